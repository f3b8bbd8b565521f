#pragma once

#include <QString>

// Deployment constants. Each can be overridden by an environment variable so that
// tests and the demo can point the program at local servers.
namespace worktide {

// Built-in server address used for both hosts until the server list names others.
// WORKTIDE_DEFAULT_SERVER overrides it.
QString DefaultServerAddress();

// Host (optionally host:port) of the server-information endpoint.
// WORKTIDE_SERVERINFO_HOST overrides it.
QString ServerInfoHost();

// Host of the maker's download site offered when the database client is missing.
// WORKTIDE_DOWNLOAD_HOST overrides it.
QString DownloadSiteHost();

// The fixed database account.
inline constexpr char kDbUser[] = "dd_inhouse";
inline constexpr char kDbPassword[] = "qzdb4826";
inline constexpr char kDbName[] = "dd_inhouse";
inline constexpr int kDbPort = 3306;

} // namespace worktide

#pragma once

#include "support/json.h"

#include <QString>

// The list of named servers: asked of the server-information endpoint at start-up,
// cached in "server_address_setting.json" beside the program, looked up by name.
namespace worktide {

// The parsed cache file; Empty (no object) until LoadServerAddressSetting reads one.
extern JsonValue ServerAddressSetting;

inline constexpr char kServerAddressFileName[] = "server_address_setting.json";
// Limits of the endpoint request: a dead or hung endpoint must not hold up start-up.
inline constexpr int kServerInfoConnectTimeoutMs = 2000;
inline constexpr int kServerInfoTotalTimeoutMs = 5000;

// Program folder + the cache file's name.
QString ServerAddressCachePath();

// The endpoint URL for a cached version and a user (each left out when empty,
// percent-encoded otherwise).
QString ServerAddressCheckerUrl(const QString& cachedVersion, const QString& user);

// Asks the endpoint; when it answers status 200 with "success": true, the "data"
// member replaces the cache file. True when a status 200 answer was handled.
// Never shows anything and never raises; a cache file it cannot read or write adds
// its message to messages, for start-up to show.
bool RefreshServerAddressSetting(const QString& user, UserMessages& messages);

// Reads the cache file, when there is one, into ServerAddressSetting. Returns the
// message of a cache file that cannot be read (nothing otherwise).
UserMessages LoadServerAddressSetting();

// The host of the first server with exactly this name; empty when unknown.
QString GetServerHost(const QString& name);

// An ordinary, visible file exists at path.
bool FileExists(const QString& path);

} // namespace worktide

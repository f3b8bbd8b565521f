#pragma once

#include <QString>

// Deployment constants. Each can be overridden by an environment variable so that
// tests and the demo can point the program at local servers.
namespace worktide {

// A setting and where it came from, for `worktide --help`.
struct ConfigValue {
    QString value;
    QString source;
};

// The server settings are read in this order: the environment variable, then the office-wide
// store [Worktide.conf in the system settings folder, /etc/xdg/Worktide/; on Windows the
// registry key HKEY_LOCAL_MACHINE\Software\Worktide\Worktide], then the built-in value.
ConfigValue DefaultServerAddressSetting();
ConfigValue ServerInfoHostSetting();

// How the database connection is protected: DatabaseTls = off (plain, the default) |
// preferred (encrypted when the server offers it) | required (encrypted and the server's
// certificate and name verified, or no connection), and DatabaseCa = the CA file that signs
// the servers' certificates. WORKTIDE_DATABASE_TLS / WORKTIDE_DATABASE_CA, then the office file.
enum class DatabaseTls { Off, Preferred, Required, Invalid };
ConfigValue DatabaseTlsSetting();
ConfigValue DatabaseCaSetting();
DatabaseTls ParseDatabaseTls(const QString& value);
inline QString DatabaseTlsName(DatabaseTls mode) {
    switch (mode) {
    case DatabaseTls::Off:
        return QStringLiteral("off");
    case DatabaseTls::Preferred:
        return QStringLiteral("preferred");
    case DatabaseTls::Required:
        return QStringLiteral("required");
    case DatabaseTls::Invalid:
        break;
    }
    return QString();
}

// The Ed25519 public key (base64 of its 32 bytes) that signs the update files. Only the office
// file sets it: who can change the environment of one desktop cannot unsign every update.
// Empty = updates are not checked.
ConfigValue UpdatePublicKeySetting();

// Points the office-wide settings at another folder for one scope (tests never touch /etc).
class ScopedOfficeSettingsFolder {
public:
    explicit ScopedOfficeSettingsFolder(const QString& folder);
    ~ScopedOfficeSettingsFolder();
    ScopedOfficeSettingsFolder(const ScopedOfficeSettingsFolder&) = delete;
    ScopedOfficeSettingsFolder& operator=(const ScopedOfficeSettingsFolder&) = delete;

private:
    QString m_previous;
};

// Built-in server address used for both hosts until the server list names others.
// WORKTIDE_DEFAULT_SERVER or the office file's DefaultServer overrides it.
QString DefaultServerAddress();

// Host (optionally host:port) of the server-information endpoint.
// WORKTIDE_SERVERINFO_HOST or the office file's ServerInfoHost overrides it.
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

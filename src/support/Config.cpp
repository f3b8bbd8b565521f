#include "support/Config.h"

#include <QSettings>

#include <memory>

namespace worktide {
namespace {

// Set by tests: a folder holding Worktide/Worktide.conf instead of the system's store.
QString g_officeFolder;

// The office-wide store: /etc/xdg/Worktide/Worktide.conf on Linux, the registry key
// HKEY_LOCAL_MACHINE\Software\Worktide\Worktide on Windows (where the office's
// administrators set it for every computer).
std::unique_ptr<QSettings> OpenOfficeSettings() {
    if (!g_officeFolder.isEmpty())
        return std::make_unique<QSettings>(g_officeFolder + QStringLiteral("/Worktide/Worktide.conf"),
                                           QSettings::IniFormat);
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::SystemScope, QStringLiteral("Worktide"),
                                       QStringLiteral("Worktide"));
}

ConfigValue FromEnvOrOffice(const char* envName, const QString& key, const char* fallback) {
    const QString env = qEnvironmentVariable(envName);
    if (!env.isEmpty())
        return {env, QStringLiteral("environment variable ") + QString::fromLatin1(envName)};
    // The office's file outranks anything per user: one place points every computer at the server.
    const auto office = OpenOfficeSettings();
    const QString value = office->value(key).toString().trimmed();
    if (!value.isEmpty())
        return {value, office->fileName()};
    return {QString::fromLatin1(fallback), QStringLiteral("built-in default")};
}

ConfigValue FromOffice(const QString& key) {
    const auto office = OpenOfficeSettings();
    const QString value = office->value(key).toString().trimmed();
    if (!value.isEmpty())
        return {value, office->fileName()};
    return {QString(), QStringLiteral("built-in default")};
}

QString FromEnv(const char* name, const char* fallback) {
    const QString value = qEnvironmentVariable(name);
    return value.isEmpty() ? QString::fromLatin1(fallback) : value;
}

} // namespace

ConfigValue DefaultServerAddressSetting() {
    return FromEnvOrOffice("WORKTIDE_DEFAULT_SERVER", QStringLiteral("DefaultServer"), "127.0.0.1");
}
ConfigValue ServerInfoHostSetting() {
    return FromEnvOrOffice("WORKTIDE_SERVERINFO_HOST", QStringLiteral("ServerInfoHost"), "127.0.0.1");
}
ConfigValue DatabaseTlsSetting() {
    return FromEnvOrOffice("WORKTIDE_DATABASE_TLS", QStringLiteral("DatabaseTls"), "off");
}
ConfigValue DatabaseCaSetting() {
    return FromEnvOrOffice("WORKTIDE_DATABASE_CA", QStringLiteral("DatabaseCa"), "");
}
DatabaseTls ParseDatabaseTls(const QString& value) {
    const QString v = value.trimmed().toLower();
    if (v == QLatin1String("off"))
        return DatabaseTls::Off;
    if (v == QLatin1String("preferred"))
        return DatabaseTls::Preferred;
    if (v == QLatin1String("required"))
        return DatabaseTls::Required;
    return DatabaseTls::Invalid;
}
ConfigValue UpdatePublicKeySetting() {
    return FromOffice(QStringLiteral("UpdatePublicKey"));
}
QString DefaultServerAddress() {
    return DefaultServerAddressSetting().value;
}
QString ServerInfoHost() {
    return ServerInfoHostSetting().value;
}
QString DownloadSiteHost() {
    return FromEnv("WORKTIDE_DOWNLOAD_HOST", "127.0.0.1");
}

ScopedOfficeSettingsFolder::ScopedOfficeSettingsFolder(const QString& folder) : m_previous(g_officeFolder) {
    g_officeFolder = folder;
}
ScopedOfficeSettingsFolder::~ScopedOfficeSettingsFolder() {
    g_officeFolder = m_previous;
}

} // namespace worktide

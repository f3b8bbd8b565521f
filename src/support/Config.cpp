#include "support/Config.h"

#include <QLibraryInfo>
#include <QSettings>

namespace worktide {
namespace {

ConfigValue FromEnvOrOffice(const char* envName, const QString& key, const char* fallback) {
    const QString env = qEnvironmentVariable(envName);
    if (!env.isEmpty())
        return {env, QStringLiteral("environment variable ") + QString::fromLatin1(envName)};
    // The office's file outranks anything per user: one place points every computer at the server.
    QSettings office(QSettings::NativeFormat, QSettings::SystemScope, QStringLiteral("Worktide"),
                     QStringLiteral("Worktide"));
    const QString value = office.value(key).toString().trimmed();
    if (!value.isEmpty())
        return {value, office.fileName()};
    return {QString::fromLatin1(fallback), QStringLiteral("built-in default")};
}

ConfigValue FromOffice(const QString& key) {
    QSettings office(QSettings::NativeFormat, QSettings::SystemScope, QStringLiteral("Worktide"),
                     QStringLiteral("Worktide"));
    const QString value = office.value(key).toString().trimmed();
    if (!value.isEmpty())
        return {value, office.fileName()};
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

ScopedOfficeSettingsFolder::ScopedOfficeSettingsFolder(const QString& folder) {
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, folder);
}
ScopedOfficeSettingsFolder::~ScopedOfficeSettingsFolder() {
    // Qt's own default for the system scope.
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, QLibraryInfo::path(QLibraryInfo::SettingsPath));
}

} // namespace worktide

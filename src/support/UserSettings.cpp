#include "support/UserSettings.h"

#include "support/PrivateFile.h"

#include <QSettings>

namespace worktide {
namespace {
QString g_settingsFile;

const QString kSettingsApp = QStringLiteral("도담 스케줄관리");
const QString kSection = QStringLiteral("Config/");
} // namespace

void SetLoginSettingsFile(const QString& path) {
    g_settingsFile = path;
}

std::unique_ptr<QSettings> OpenLoginSettings() {
    auto settings = g_settingsFile.isEmpty() ? OpenUserSettingsStore(QStringLiteral("Worktide"), kSettingsApp)
                                             : std::make_unique<QSettings>(g_settingsFile, QSettings::IniFormat);
    // The file may hold the password: one others can read is closed before a value is taken from it.
    if (settings->format() == QSettings::IniFormat)
        TightenPrivateFile(settings->fileName());
    return settings;
}

QString LoginSetting(const QString& key, const QString& defaultValue) {
    return OpenLoginSettings()->value(kSection + key, defaultValue).toString();
}

void SaveLoginSetting(const QString& key, const QString& value) {
    auto settings = OpenLoginSettings();
    if (settings->format() == QSettings::IniFormat)
        PreparePrivateFile(settings->fileName());
    settings->setValue(kSection + key, value);
    settings->sync();
}

} // namespace worktide

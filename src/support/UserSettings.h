#pragma once

#include <QString>

#include <memory>

class QSettings;

// The per-user settings store: application "도담 스케줄관리", section "Config". It holds the
// login's remembered id and password and the main window's choices. On Linux it is the
// file ~/.config/Worktide/도담 스케줄관리.ini, on Windows the registry key
// HKEY_CURRENT_USER\Software\Worktide\도담 스케줄관리, with the same keys. Tests point it
// at a file of their own (empty text restores the user's real store).
namespace worktide {

void SetLoginSettingsFile(const QString& path);
std::unique_ptr<QSettings> OpenLoginSettings();
QString LoginSetting(const QString& key, const QString& defaultValue = {});
void SaveLoginSetting(const QString& key, const QString& value);

// The user's real store, in the platform's own place (one file per platform).
std::unique_ptr<QSettings> OpenUserSettingsStore(const QString& organization, const QString& application);

} // namespace worktide

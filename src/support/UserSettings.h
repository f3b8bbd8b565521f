#pragma once

#include <QString>

#include <memory>

class QSettings;

// The per-user settings store: application "도담 스케줄관리", section "Config". It holds the
// login's remembered id and password and the main window's choices. Tests point it at a
// file of their own (empty text restores the user's real store).
namespace worktide {

void SetLoginSettingsFile(const QString& path);
std::unique_ptr<QSettings> OpenLoginSettings();
QString LoginSetting(const QString& key, const QString& defaultValue = {});
void SaveLoginSetting(const QString& key, const QString& value);

} // namespace worktide

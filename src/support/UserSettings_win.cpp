#include "support/UserSettings.h"

#include <QSettings>

namespace worktide {

// The per-user registry, HKEY_CURRENT_USER\Software\<organization>\<application>, where
// every Windows program keeps its settings.
std::unique_ptr<QSettings> OpenUserSettingsStore(const QString& organization, const QString& application) {
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, organization, application);
}

} // namespace worktide

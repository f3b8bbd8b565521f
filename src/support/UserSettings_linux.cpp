#include "support/UserSettings.h"

#include <QSettings>

namespace worktide {

// An ini file under the user's configuration folder.
std::unique_ptr<QSettings> OpenUserSettingsStore(const QString& organization, const QString& application) {
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, organization, application);
}

} // namespace worktide

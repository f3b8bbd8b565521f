#include "support/InstanceLock.h"

#include <QDir>
#include <QStandardPaths>

namespace worktide {

QString DefaultInstanceLockPath() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    // The runtime folder is the user's own; the user name keeps a shared temp folder apart.
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty())
        user = QStringLiteral("user");
    return folder + QStringLiteral("/worktide-") + user + QStringLiteral(".lock");
}

} // namespace worktide

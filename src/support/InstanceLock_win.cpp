#include "support/InstanceLock.h"

#include <QDir>
#include <QStandardPaths>

namespace worktide {

// %LOCALAPPDATA% (C:\Users\<user>\AppData\Local) belongs to the user and stays on this
// computer, so a second sign-in of the same user elsewhere is not locked out. The user
// name keeps the temp folder apart should that folder be missing.
QString DefaultInstanceLockPath() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (folder.isEmpty() || !QDir().mkpath(folder))
        folder = QDir::tempPath();
    QString user = qEnvironmentVariable("USERNAME");
    if (user.isEmpty())
        user = QStringLiteral("user");
    return folder + QStringLiteral("/worktide-") + user + QStringLiteral(".lock");
}

} // namespace worktide

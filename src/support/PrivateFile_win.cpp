#include "support/PrivateFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

// A file in the user's profile is closed to other users by the profile's own access list,
// which new files and folders inherit; there are no mode bits to take away.
namespace worktide {

void TightenPrivateFile(const QString& /*path*/) {}

void PreparePrivateFile(const QString& path) {
    if (path.isEmpty())
        return;
    const QFileInfo info(path);
    QDir().mkpath(info.absolutePath());
    if (!info.exists()) {
        QFile file(path);
        // NewOnly: a file that appeared meanwhile keeps its content.
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            file.close();
    }
}

} // namespace worktide

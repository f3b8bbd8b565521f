#include "support/PrivateFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

namespace worktide {
namespace {

constexpr mode_t kOthersBits = S_IRWXG | S_IRWXO;

void TakeAwayOthers(const QString& path, bool isFolder) {
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    if (::stat(native.constData(), &st) != 0 || (st.st_mode & kOthersBits) == 0)
        return;
    if (isFolder && ((st.st_mode & S_ISVTX) != 0 || st.st_uid != ::geteuid()))
        return;
    // Failure (a file of another owner) leaves it as it was: reading still works.
    ::chmod(native.constData(), st.st_mode & S_IRWXU);
}

} // namespace

void TightenPrivateFile(const QString& path) {
    if (path.isEmpty())
        return;
    TakeAwayOthers(QFileInfo(path).absolutePath(), true);
    TakeAwayOthers(path, false);
}

void PreparePrivateFile(const QString& path) {
    if (path.isEmpty())
        return;
    const QFileInfo info(path);
    const QString folder = info.absolutePath();
    if (!QFileInfo::exists(folder)) {
        QDir().mkpath(QFileInfo(folder).absolutePath());
        ::mkdir(QFile::encodeName(folder).constData(), S_IRWXU);
    }
    if (!info.exists()) {
        QFile file(path);
        // NewOnly: a file that appeared meanwhile keeps its content.
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly, QFile::ReadOwner | QFile::WriteOwner))
            file.close();
    }
    TightenPrivateFile(path);
}

} // namespace worktide

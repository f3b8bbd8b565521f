#include "support/AppPaths.h"

#include <QFileInfo>

namespace worktide {

QString RunningExecutablePath() {
    return QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
}

} // namespace worktide

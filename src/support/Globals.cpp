#include "support/Globals.h"

namespace worktide {

QString gAppTitle = QStringLiteral("업무일정");
QString gDBServerHost;
QString gUpdateServerHost;
QString gUserId;
QString gUserName;
qint16 gUserLevel = 0;

} // namespace worktide

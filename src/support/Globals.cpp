#include "support/Globals.h"

namespace worktide {

QString gAppTitle = QStringLiteral("업무일정");
QString gDBServerHost;
QString gUpdateServerHost;
QString gUserId;
QString gUserName;
qint16 gUserLevel = 0;

ScopedSignedInUser::ScopedSignedInUser(const QString& name, const QString& id, qint16 level)
    : m_name(gUserName), m_id(gUserId), m_level(gUserLevel) {
    gUserName = name;
    gUserId = id;
    gUserLevel = level;
}

ScopedSignedInUser::~ScopedSignedInUser() {
    gUserName = m_name;
    gUserId = m_id;
    gUserLevel = m_level;
}

} // namespace worktide

#pragma once

#include <QString>

// Which statements may be sent a second time when their first run may or may not
// have reached the server (a connection lost in flight, a cluster that rolled it back):
// only those whose second run cannot change the data again.
namespace worktide {

// Reads (SELECT, SHOW), an UPDATE or DELETE that names exactly one seq, and the
// password UPDATE of one user. An INSERT never is.
bool IsRepeatableStatement(const QString& sql);

} // namespace worktide

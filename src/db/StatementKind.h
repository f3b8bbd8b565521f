#pragma once

#include <QString>

// Which statements may be sent a second time when their first run may or may not
// have reached the server (a connection lost in flight, a cluster that rolled it back):
// only those whose second run cannot change the data again.
namespace worktide {

// Reads (SELECT, SHOW), an UPDATE or DELETE that names exactly one seq, and the
// password UPDATE of one user. An INSERT never is.
// False for every statement while a ScopedTransactionStatements exists.
bool IsRepeatableStatement(const QString& sql);

// While one exists, no statement is sent a second time: inside an explicit transaction a
// statement sent again would run outside it (on a new connection, or after the server
// rolled the transaction back) without the rows the transaction holds. The transaction
// itself is then tried again as a whole, from its first read.
class ScopedTransactionStatements {
public:
    ScopedTransactionStatements();
    ~ScopedTransactionStatements();
    ScopedTransactionStatements(const ScopedTransactionStatements&) = delete;
    ScopedTransactionStatements& operator=(const ScopedTransactionStatements&) = delete;
};

} // namespace worktide

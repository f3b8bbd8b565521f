#include "db/StatementKind.h"

#include <QRegularExpression>

namespace worktide {

namespace {
// Statements run on the window thread only.
int g_transactionScopes = 0;
} // namespace

ScopedTransactionStatements::ScopedTransactionStatements() {
    ++g_transactionScopes;
}

ScopedTransactionStatements::~ScopedTransactionStatements() {
    --g_transactionScopes;
}

bool IsRepeatableStatement(const QString& sql) {
    if (g_transactionScopes > 0)
        return false;
    static const QRegularExpression read(QStringLiteral(R"(^\s*(SELECT|SHOW)\b)"),
                                         QRegularExpression::CaseInsensitiveOption);
    // The values this program sets are absolute (a title, a flag, a hash): running the
    // statement twice leaves the row as running it once does.
    static const QRegularExpression oneSeq(QStringLiteral(R"(^\s*(UPDATE|DELETE)\b.*\bWHERE\s+seq\s*=\s*\d+\s*$)"),
                                           QRegularExpression::CaseInsensitiveOption |
                                               QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression password(
        QStringLiteral(
            R"(^\s*UPDATE\s+user\s+SET\s+password2\s*=\s*('[0-9a-f]{40}'|SHA1\('.*'\))\s+WHERE\s+id\s*=\s*'.*'\s*$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    return read.match(sql).hasMatch() || oneSeq.match(sql).hasMatch() || password.match(sql).hasMatch();
}

} // namespace worktide

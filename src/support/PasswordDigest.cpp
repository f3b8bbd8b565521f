#include "support/PasswordDigest.h"

#include "support/Cp949.h"

#include <QCryptographicHash>

namespace worktide {

std::optional<QString> PasswordDigest(const QString& password) {
    // The escaping older clients applied ends the text at a NUL; the server hashed what was left.
    const qsizetype nul = password.indexOf(QChar(0));
    bool lossless = true;
    const QByteArray bytes = ToAnsi(nul >= 0 ? password.left(nul) : password, &lossless);
    if (!lossless)
        return std::nullopt;
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex());
}

} // namespace worktide

#include "support/PasswordDigest.h"

#include "support/Cp949.h"

#include <QCryptographicHash>

namespace worktide {

std::optional<QString> PasswordDigest(const QString& password) {
    bool lossless = true;
    const QByteArray bytes = ToAnsi(password, &lossless);
    if (!lossless)
        return std::nullopt;
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex());
}

} // namespace worktide

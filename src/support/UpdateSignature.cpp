#include "support/UpdateSignature.h"

#include "support/Config.h"

#include <QFile>

#include <sodium.h>

namespace worktide {
namespace {

// The update programs are a few megabytes; anything far larger is not ours.
constexpr qint64 kMaxSignedBytes = 256LL * 1024 * 1024;

bool ReadWhole(const QString& path, qint64 limit, QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.size() > limit)
        return false;
    bytes = f.readAll();
    return f.error() == QFileDevice::NoError;
}

} // namespace

UpdateKey ConfiguredUpdateKey() {
    const ConfigValue setting = UpdatePublicKeySetting();
    UpdateKey key;
    key.source = setting.source;
    if (setting.value.isEmpty())
        return key;
    const auto decoded =
        QByteArray::fromBase64Encoding(setting.value.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || decoded.decoded.size() != crypto_sign_PUBLICKEYBYTES) {
        key.invalid = true;
        return key;
    }
    key.key = decoded.decoded;
    return key;
}

bool SignatureVerifies(const QByteArray& publicKey, const QByteArray& message, const QByteArray& signature) {
    if (publicKey.size() != crypto_sign_PUBLICKEYBYTES || signature.size() != crypto_sign_BYTES)
        return false;
    // Safe to call again and from any thread; after the first call it only reports success.
    if (sodium_init() < 0)
        return false;
    return crypto_sign_verify_detached(reinterpret_cast<const unsigned char*>(signature.constData()),
                                       reinterpret_cast<const unsigned char*>(message.constData()),
                                       static_cast<unsigned long long>(message.size()),
                                       reinterpret_cast<const unsigned char*>(publicKey.constData())) == 0;
}

bool FileSignatureVerifies(const QByteArray& publicKey, const QString& file, const QString& signatureFile) {
    QByteArray message;
    QByteArray signature;
    return ReadWhole(file, kMaxSignedBytes, message) && ReadWhole(signatureFile, crypto_sign_BYTES, signature) &&
           SignatureVerifies(publicKey, message, signature);
}

} // namespace worktide

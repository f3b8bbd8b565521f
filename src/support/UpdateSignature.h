#pragma once

#include <QByteArray>
#include <QString>

// Detached Ed25519 signatures of the update files (libsodium). An office that names
// UpdatePublicKey in its settings file runs only update programs signed with the matching
// private key; `scripts/sign-update` makes the signature files.
namespace worktide {

// The signature of a file lives beside it: <file>.sig, the 64 signature bytes.
inline QString SignatureFileOf(const QString& file) {
    return file + QStringLiteral(".sig");
}

struct UpdateKey {
    QByteArray key;       // the 32 bytes of the public key; empty when none is configured
    bool invalid = false; // configured, but not the base64 text of 32 bytes
    QString source;       // where it came from, for messages
    bool configured() const { return !key.isEmpty() || invalid; }
};
// The office's key (UpdatePublicKey), read afresh.
UpdateKey ConfiguredUpdateKey();

// True when signature (64 bytes) is publicKey's signature of message.
bool SignatureVerifies(const QByteArray& publicKey, const QByteArray& message, const QByteArray& signature);
// The same for a file and its signature file; false when either cannot be read.
bool FileSignatureVerifies(const QByteArray& publicKey, const QString& file, const QString& signatureFile);

} // namespace worktide

#include "support/SecretStore.h"

#include <windows.h>
#include <wincred.h>

#include <memory>

// The user's Credential Manager ("Windows credentials"): a generic credential per account,
// kept on this computer for this user only.
namespace worktide {
namespace {

std::wstring TargetName(const QString& service, const QString& account) {
    return (service + QLatin1Char('/') + account).toStdWString();
}

struct CredentialDeleter {
    void operator()(CREDENTIALW* credential) const { CredFree(credential); }
};

SecretStatus StatusOf(DWORD error) {
    return error == ERROR_NOT_FOUND ? SecretStatus::NotFound : SecretStatus::Unavailable;
}

} // namespace

SecretStatus ReadSecret(const QString& service, const QString& account, QString& secret) {
    const std::wstring target = TargetName(service, account);
    CREDENTIALW* raw = nullptr;
    if (!CredReadW(target.c_str(), CRED_TYPE_GENERIC, 0, &raw))
        return StatusOf(GetLastError());
    const std::unique_ptr<CREDENTIALW, CredentialDeleter> credential(raw);
    // The secret is kept as UTF-16 without a terminator; an odd size is not one of ours.
    if (credential->CredentialBlobSize % 2 != 0)
        return SecretStatus::Unavailable;
    secret = QString::fromUtf16(reinterpret_cast<const char16_t*>(credential->CredentialBlob),
                                static_cast<qsizetype>(credential->CredentialBlobSize / 2));
    return SecretStatus::Ok;
}

SecretStatus WriteSecret(const QString& service, const QString& account, const QString& secret) {
    std::wstring target = TargetName(service, account);
    std::wstring user = account.toStdWString();
    std::wstring blob = secret.toStdWString();
    const auto bytes = static_cast<DWORD>(secret.size() * 2);
    // A longer password than the store takes stays where it was kept before.
    if (bytes > CRED_MAX_CREDENTIAL_BLOB_SIZE)
        return SecretStatus::Unavailable;
    CREDENTIALW credential{};
    credential.Type = CRED_TYPE_GENERIC;
    credential.TargetName = target.data();
    credential.UserName = user.data();
    credential.CredentialBlobSize = bytes;
    credential.CredentialBlob = reinterpret_cast<LPBYTE>(blob.data());
    credential.Persist = CRED_PERSIST_LOCAL_MACHINE;
    return CredWriteW(&credential, 0) ? SecretStatus::Ok : StatusOf(GetLastError());
}

SecretStatus DeleteSecret(const QString& service, const QString& account) {
    const std::wstring target = TargetName(service, account);
    return CredDeleteW(target.c_str(), CRED_TYPE_GENERIC, 0) ? SecretStatus::Ok : StatusOf(GetLastError());
}

} // namespace worktide

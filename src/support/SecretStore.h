#pragma once

#include <QString>

#include <chrono>

// The desktop's store for secrets, asked synchronously: on Linux the secret service
// (GNOME Keyring, KWallet) through QtKeychain, each request waiting a bounded time in a
// local event loop, so that a missing, refusing or stuck service only ever means "not
// available"; on Windows the user's Credential Manager, a generic credential named
// "<service>/<account>".
namespace worktide {

enum class SecretStatus { Ok, NotFound, Unavailable };

SecretStatus ReadSecret(const QString& service, const QString& account, QString& secret);
SecretStatus WriteSecret(const QString& service, const QString& account, const QString& secret);
SecretStatus DeleteSecret(const QString& service, const QString& account);

// The longest one request may take. After a request ran out of time (or was refused) the
// secret service is not asked again in this run: QtKeychain serves its requests one after
// the other, so every later one would wait behind the stuck one. The Credential Manager
// answers at once.
constexpr std::chrono::milliseconds kSecretWaitLimit{3000};

} // namespace worktide

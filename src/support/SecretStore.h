#pragma once

#include <QString>

#include <chrono>

// The desktop's secret service (GNOME Keyring, KWallet) through QtKeychain, asked
// synchronously. Each request waits a bounded time in a local event loop, so that a
// missing, refusing or stuck service only ever means "not available".
namespace worktide {

enum class SecretStatus { Ok, NotFound, Unavailable };

SecretStatus ReadSecret(const QString& service, const QString& account, QString& secret);
SecretStatus WriteSecret(const QString& service, const QString& account, const QString& secret);
SecretStatus DeleteSecret(const QString& service, const QString& account);

// The longest one request may take. After a request ran out of time (or was refused) the
// service is not asked again in this run: QtKeychain serves its requests one after the
// other, so every later one would wait behind the stuck one.
constexpr std::chrono::milliseconds kSecretWaitLimit{3000};

} // namespace worktide

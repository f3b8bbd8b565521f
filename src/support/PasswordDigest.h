#pragma once

#include <QString>

#include <optional>

// The login password as the user table keeps it: the SHA1 of the password's CP949 bytes,
// as 40 lower-case hex digits. Computed here, so that the password itself never travels
// to the server nor lands in its logs; older clients that let the server hash it store
// and compare exactly the same text.
namespace worktide {

// The stored form of password. Nothing when the password holds a character CP949 cannot
// carry: no client could ever have stored a hash of it, and the caller must not compare
// anything (a row may hold the empty text).
std::optional<QString> PasswordDigest(const QString& password);

} // namespace worktide

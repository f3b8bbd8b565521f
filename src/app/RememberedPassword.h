#pragma once

#include <QString>

// Where the login's remembered password is kept. With a secret service it lives there,
// under the program's name and the user id, and the settings file's "passwd" stays "";
// without one (or when it refuses) it stays in the private settings file.
namespace worktide {

// The service name the password is kept under.
extern const QString kPasswordService;

// The remembered password for userId, or defaultValue when nothing is kept.
// A password in the file wins: it is always newer than the secret service's copy.
QString LoadRememberedPassword(const QString& userId, const QString& defaultValue);

// Keeps password for userId; the empty text removes it from wherever it is kept.
void SaveRememberedPassword(const QString& userId, const QString& password);

// After a successful sign-in: a password still in the file moves into the secret service.
void MoveRememberedPassword(const QString& userId);

} // namespace worktide

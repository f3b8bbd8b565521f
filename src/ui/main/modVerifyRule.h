#pragma once

#include <QString>

// Whether a new login password is acceptable and, if not, the message the user sees.
namespace worktide {

// message is cleared on entry and set to the rule's message when the result is false.
bool CheckPassword(const QString& password, QString& message);

// True only for a non-empty text whose every character is in the ASCII range named.
bool IsAllLetters(const QString& text);  // A-Z a-z
bool IsAllAlphaNum(const QString& text); // 0-9 A-Z a-z
bool IsAllDigits(const QString& text);   // 0-9

} // namespace worktide

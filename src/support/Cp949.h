#pragma once

#include <QByteArray>
#include <QString>

// The Korean ANSI code page (CP949, Unified Hangul Code) that the database and the
// byte widths of the calendar use, through the platform's own conversion
// (support/Cp949Codec.h); every platform gives the same bytes.
namespace worktide {

// Encodes text as CP949. A character that CP949 cannot hold becomes '?' and
// *lossless is set to false, so a caller that must not lose text can refuse it.
QByteArray ToAnsi(const QString& text, bool* lossless = nullptr);

// True when every character of text has a CP949 form. On false, *firstBad holds
// the first character (one or two UTF-16 units) that has none.
bool IsAnsiEncodable(const QString& text, QString* firstBad = nullptr);

// Decodes CP949 bytes. Bytes that are not valid CP949 become U+FFFD.
QString FromAnsi(const char* data, qsizetype size);
inline QString FromAnsi(const QByteArray& bytes) {
    return FromAnsi(bytes.constData(), bytes.size());
}

// The form every text returned by the database library takes: the bytes up to the
// first NUL, decoded, with trailing blanks removed. A null pointer gives "".
QString FromAnsiTrimmed(const char* data, qsizetype size);

// Byte length of the CP949 form (Hangul 2, ASCII 1; a character without a CP949
// form counts as its '?' replacement, 1).
int AnsiByteLength(const QString& text);

// First 2 × n bytes of the CP949 form; a cut inside a two-byte character drops
// that character and, unless noBlank, appends one blank.
QString LeftBytes(const QString& text, qint16 n, bool noBlank = false);
qint16 LenBytes(const QString& text);

} // namespace worktide

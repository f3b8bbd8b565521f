#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// The conversion underneath support/Cp949.h, one implementation per platform: GNU
// iconv's CP949 on Linux, the system's code page 949 on Windows. Both must give the
// bytes of tests/data/cp949-table.txt and nothing else.
namespace worktide::cp949 {

// Called for every character (index and length in UTF-16 units: 1, or 2 for a
// surrogate pair) that has no CP949 form.
using BadCharacter = std::function<void(qsizetype index, qsizetype units)>;

// Encodes text; each character without a CP949 form becomes one '?' and is reported.
QByteArray Encode(const QString& text, const BadCharacter& onBad);

// Decodes bytes; a byte that does not start a valid sequence becomes U+FFFD and
// decoding goes on with the byte after it.
QString Decode(const char* data, qsizetype size);

} // namespace worktide::cp949

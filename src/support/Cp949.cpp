#include "support/Cp949.h"

#include "support/Cp949Codec.h"

#include <cstring>

namespace worktide {
namespace {

bool IsAscii(const QString& text) {
    for (QChar ch : text)
        if (ch.unicode() >= 0x80)
            return false;
    return true;
}

bool IsAscii(const char* data, qsizetype size) {
    for (qsizetype i = 0; i < size; ++i)
        if (static_cast<unsigned char>(data[i]) >= 0x80)
            return false;
    return true;
}

QByteArray Encode(const QString& text, const cp949::BadCharacter& onBad) {
    if (IsAscii(text))
        return text.toLatin1();
    return cp949::Encode(text, onBad);
}

} // namespace

QByteArray ToAnsi(const QString& text, bool* lossless) {
    bool ok = true;
    QByteArray out = Encode(text, [&](qsizetype, qsizetype) { ok = false; });
    if (lossless)
        *lossless = ok;
    return out;
}

bool IsAnsiEncodable(const QString& text, QString* firstBad) {
    bool ok = true;
    Encode(text, [&](qsizetype index, qsizetype units) {
        if (ok && firstBad)
            *firstBad = text.mid(index, units);
        ok = false;
    });
    return ok;
}

QString FromAnsi(const char* data, qsizetype size) {
    if (!data || size <= 0)
        return {};
    if (IsAscii(data, size))
        return QString::fromLatin1(data, size);
    return cp949::Decode(data, size);
}

QString FromAnsiTrimmed(const char* data, qsizetype size) {
    if (!data)
        return {};
    const void* nul = std::memchr(data, 0, static_cast<size_t>(size));
    if (nul)
        size = static_cast<const char*>(nul) - data;
    while (size > 0 && data[size - 1] == ' ')
        --size;
    return FromAnsi(data, size);
}

int AnsiByteLength(const QString& text) {
    return static_cast<int>(ToAnsi(text).size());
}

QString LeftBytes(const QString& text, qint16 n, bool noBlank) {
    const QByteArray bytes = ToAnsi(text);
    const qsizetype keep = n <= 0 ? 0 : qMin<qsizetype>(bytes.size(), qsizetype(n) * 2);
    QString result = FromAnsi(bytes.constData(), keep);
    if (!result.isEmpty() && !text.contains(result)) {
        // The cut split a two-byte character: drop the broken last character.
        result.chop(1);
        if (!noBlank)
            result += QLatin1Char(' ');
    }
    return result;
}

qint16 LenBytes(const QString& text) {
    return static_cast<qint16>(qMin(AnsiByteLength(text), 32767));
}

} // namespace worktide

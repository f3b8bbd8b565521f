#include "support/Cp949.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace worktide {
namespace {

// iconv_open is expensive; keep one converter per direction and thread.
class Converter {
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {
        if (m_cd == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
    }
    ~Converter() { iconv_close(m_cd); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    iconv_t get() {
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr); // reset shift state
        return m_cd;
    }

private:
    iconv_t m_cd;
};

Converter& Encoder() {
    thread_local Converter c("CP949", "UTF-16LE");
    return c;
}
Converter& Decoder() {
    thread_local Converter c("UTF-16LE", "CP949");
    return c;
}

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

// Encodes, calling onBad(index, length) for each UTF-16 unit run without a CP949 form.
template <typename OnBad> QByteArray Encode(const QString& text, OnBad onBad) {
    if (IsAscii(text))
        return text.toLatin1();
    iconv_t cd = Encoder().get();
    QByteArray out;
    out.resize(text.size() * 2 + 4);
    char* in = const_cast<char*>(reinterpret_cast<const char*>(text.utf16()));
    size_t inLeft = static_cast<size_t>(text.size()) * 2;
    char* dst = out.data();
    size_t outLeft = static_cast<size_t>(out.size());
    while (inLeft > 0) {
        const size_t r = iconv(cd, &in, &inLeft, &dst, &outLeft);
        if (r != static_cast<size_t>(-1))
            break;
        if (errno == E2BIG) { // cannot happen with 2 bytes per unit, but stay safe
            const qsizetype used = dst - out.data();
            out.resize(out.size() * 2);
            dst = out.data() + used;
            outLeft = static_cast<size_t>(out.size() - used);
            continue;
        }
        // EILSEQ or EINVAL: one character (1 or 2 units) without a CP949 form.
        const qsizetype index =
            (reinterpret_cast<const char16_t*>(in) - reinterpret_cast<const char16_t*>(text.utf16()));
        qsizetype units = 1;
        if (QChar::isHighSurrogate(text.at(index).unicode()) && index + 1 < text.size() &&
            QChar::isLowSurrogate(text.at(index + 1).unicode()))
            units = 2;
        onBad(index, units);
        if (outLeft == 0) {
            const qsizetype used = dst - out.data();
            out.resize(out.size() + 16);
            dst = out.data() + used;
            outLeft = static_cast<size_t>(out.size() - used);
        }
        *dst++ = '?';
        --outLeft;
        in += units * 2;
        inLeft -= static_cast<size_t>(units) * 2;
    }
    out.resize(dst - out.data());
    return out;
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
    iconv_t cd = Decoder().get();
    QString out;
    out.resize(size);
    char* in = const_cast<char*>(data);
    size_t inLeft = static_cast<size_t>(size);
    char* dst = reinterpret_cast<char*>(out.data());
    size_t outLeft = static_cast<size_t>(out.size()) * 2;
    while (inLeft > 0) {
        const size_t r = iconv(cd, &in, &inLeft, &dst, &outLeft);
        if (r != static_cast<size_t>(-1))
            break;
        if (errno == E2BIG) {
            const qsizetype used = reinterpret_cast<QChar*>(dst) - out.data();
            out.resize(out.size() * 2);
            dst = reinterpret_cast<char*>(out.data() + used);
            outLeft = static_cast<size_t>(out.size() - used) * 2;
            continue;
        }
        // An invalid or truncated byte sequence: mark it and go on with the next byte.
        if (outLeft < 2) {
            const qsizetype used = reinterpret_cast<QChar*>(dst) - out.data();
            out.resize(out.size() + 8);
            dst = reinterpret_cast<char*>(out.data() + used);
            outLeft = static_cast<size_t>(out.size() - used) * 2;
        }
        const char16_t replacement = 0xFFFD;
        std::memcpy(dst, &replacement, 2);
        dst += 2;
        outLeft -= 2;
        ++in;
        --inLeft;
    }
    out.resize(reinterpret_cast<QChar*>(dst) - out.data());
    return out;
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

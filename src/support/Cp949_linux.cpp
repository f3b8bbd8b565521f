#include "support/Cp949Codec.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

// GNU iconv's CP949 on purpose: Qt's and ICU's plain "CP949" is IBM-949 and encodes
// some syllables (똠) wrongly.
namespace worktide::cp949 {
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

// Decodes exactly one character from the first bytes (1 or 2) of data; 0 when they are not one.
int DecodeOne(const char* data, int bytes, char16_t& ch) {
    iconv_t cd = Decoder().get();
    char* in = const_cast<char*>(data);
    size_t inLeft = static_cast<size_t>(bytes);
    char16_t buffer[2];
    char* dst = reinterpret_cast<char*>(buffer);
    size_t outLeft = sizeof buffer;
    if (iconv(cd, &in, &inLeft, &dst, &outLeft) == static_cast<size_t>(-1) || inLeft != 0 ||
        outLeft != sizeof buffer - 2)
        return 0;
    ch = buffer[0];
    return bytes;
}

} // namespace

QByteArray Encode(const QString& text, const BadCharacter& onBad) {
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

QString Decode(const char* data, qsizetype size) {
    iconv_t cd = Decoder().get();
    // One UTF-16 unit per byte is the most CP949 ever needs.
    QString out(size, Qt::Uninitialized);
    char* in = const_cast<char*>(data);
    size_t inLeft = static_cast<size_t>(size);
    char* dst = reinterpret_cast<char*>(out.data());
    size_t outLeft = static_cast<size_t>(out.size()) * 2;
    if (iconv(cd, &in, &inLeft, &dst, &outLeft) != static_cast<size_t>(-1) && inLeft == 0) {
        out.resize(reinterpret_cast<QChar*>(dst) - out.data());
        return out;
    }
    // An invalid or truncated sequence somewhere. Where iconv stopped cannot be trusted
    // (on A2 E8 it steps past the end of the input), so go sequence by sequence: mark
    // each bad byte and go on with the next.
    out.clear();
    for (qsizetype i = 0; i < size;) {
        char16_t ch = 0;
        int used = 0;
        if (i + 1 < size)
            used = DecodeOne(data + i, 2, ch);
        if (used == 0)
            used = DecodeOne(data + i, 1, ch);
        if (used == 0) {
            out += QChar(0xFFFD);
            ++i;
            continue;
        }
        out += QChar(ch);
        i += used;
    }
    return out;
}

} // namespace worktide::cp949

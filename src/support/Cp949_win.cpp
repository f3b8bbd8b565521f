#include "support/Cp949Codec.h"

#include <windows.h>

#include <algorithm>

// The system's code page 949 (Unified Hangul Code), named explicitly: the desktop's own
// ANSI code page may be another one. Best-fit mappings are refused so that a character
// without a CP949 form is reported instead of turning into a look-alike. The system's table
// also holds what CP949 leaves undefined (byte 80 as U+0080, the user-defined rows C9 and
// FE as private-use characters): those are refused too, as every other platform does, so
// that no computer stores text the others cannot show.
namespace worktide::cp949 {
namespace {

constexpr UINT kCodePage = 949;

bool IsUndefinedInCp949(char16_t ch) {
    return ch == 0x80 || (ch >= 0xE000 && ch <= 0xF8FF);
}

const wchar_t* Wide(const QString& text, qsizetype index = 0) {
    return reinterpret_cast<const wchar_t*>(text.utf16()) + index;
}

// Converts units [index, index + units) into out at written; false when one of them has no
// CP949 form (nothing counts as written then).
bool EncodeRun(const QString& text, qsizetype index, qsizetype units, QByteArray& out, qsizetype& written) {
    for (qsizetype i = index; i < index + units; ++i)
        if (IsUndefinedInCp949(text.at(i).unicode()))
            return false;
    BOOL usedDefault = FALSE;
    const int room = static_cast<int>(out.size() - written);
    const int n = WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, Wide(text, index), static_cast<int>(units),
                                      out.data() + written, room, nullptr, &usedDefault);
    if (n <= 0 || usedDefault)
        return false;
    written += n;
    return true;
}

qsizetype UnitsAt(const QString& text, qsizetype index) {
    if (QChar::isHighSurrogate(text.at(index).unicode()) && index + 1 < text.size() &&
        QChar::isLowSurrogate(text.at(index + 1).unicode()))
        return 2;
    return 1;
}

// Decodes exactly one character from data (1 or 2 bytes); 0 when they are not one.
int DecodeOne(const char* data, int bytes, wchar_t& ch) {
    wchar_t buffer[2];
    if (MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, data, bytes, buffer, 2) != 1 ||
        IsUndefinedInCp949(static_cast<char16_t>(buffer[0])))
        return 0;
    ch = buffer[0];
    return bytes;
}

} // namespace

QByteArray Encode(const QString& text, const BadCharacter& onBad) {
    // Two bytes per UTF-16 unit is the most CP949 ever needs.
    QByteArray out(text.size() * 2 + 4, Qt::Uninitialized);
    qsizetype written = 0;
    if (EncodeRun(text, 0, text.size(), out, written)) {
        out.resize(written);
        return out;
    }
    // Something has no CP949 form: go character by character to find out what.
    written = 0;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype units = UnitsAt(text, i);
        if (!EncodeRun(text, i, units, out, written)) {
            onBad(i, units);
            out[written++] = '?';
        }
        i += units;
    }
    out.resize(written);
    return out;
}

QString Decode(const char* data, qsizetype size) {
    const int length = static_cast<int>(size);
    const int units = MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, data, length, nullptr, 0);
    if (units > 0) {
        QString out(units, Qt::Uninitialized);
        MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, data, length, reinterpret_cast<wchar_t*>(out.data()),
                            units);
        if (std::none_of(out.cbegin(), out.cend(), [](QChar ch) { return IsUndefinedInCp949(ch.unicode()); }))
            return out;
    }
    // An invalid or truncated sequence somewhere: mark each bad byte and go on with the next.
    QString out;
    out.reserve(size);
    for (qsizetype i = 0; i < size;) {
        wchar_t ch = 0;
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
        out += QChar(static_cast<char16_t>(ch));
        i += used;
    }
    return out;
}

} // namespace worktide::cp949

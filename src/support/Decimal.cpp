#include "support/Decimal.h"

#include "support/VbError.h"

#include <algorithm>
#include <string>

namespace worktide {
namespace {

__extension__ typedef unsigned __int128 U128;

constexpr int kMaxScale = 28;
constexpr int kMaxDigits = 29; // 2^96 - 1 has 29 digits
const U128 kMax96 = (U128{1} << 96) - 1;

struct Parts {
    bool negative = false;
    std::string digits;  // significant digits, no leading zeros
    qint64 exponent = 0; // value = digits * 10^exponent
};

bool IsDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Splits the text; false when it is not a number of the accepted form.
bool Split(QStringView text, Parts& parts) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        parts.negative = text[i] == QLatin1Char('-');
        ++i;
    }
    bool anyDigit = false;
    qint64 pointShift = 0;
    for (; i < n && IsDigit(text[i]); ++i) {
        anyDigit = true;
        if (!parts.digits.empty() || text[i] != QLatin1Char('0'))
            parts.digits.push_back(static_cast<char>(text[i].unicode()));
    }
    if (i < n && text[i] == QLatin1Char('.')) {
        ++i;
        for (; i < n && IsDigit(text[i]); ++i) {
            anyDigit = true;
            --pointShift;
            if (!parts.digits.empty() || text[i] != QLatin1Char('0'))
                parts.digits.push_back(static_cast<char>(text[i].unicode()));
        }
    }
    if (!anyDigit)
        return false;
    qint64 exponent = 0;
    if (i < n && (text[i] == QLatin1Char('e') || text[i] == QLatin1Char('E'))) {
        ++i;
        bool negativeExp = false;
        if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
            negativeExp = text[i] == QLatin1Char('-');
            ++i;
        }
        if (i >= n || !IsDigit(text[i]))
            return false;
        for (; i < n && IsDigit(text[i]); ++i) {
            // Far past any representable exponent; clamping keeps the sum from overflowing.
            if (exponent < 1'000'000'000)
                exponent = exponent * 10 + (text[i].unicode() - '0');
        }
        if (negativeExp)
            exponent = -exponent;
    }
    if (i != n)
        return false;
    // pointShift counts every fractional digit, leading zeros included, so the
    // dropped leading zeros of the integer part need no correction.
    parts.exponent = exponent + pointShift;
    // Trailing zeros carry no value; moving them into the exponent keeps the digit count honest.
    while (!parts.digits.empty() && parts.digits.back() == '0') {
        parts.digits.pop_back();
        ++parts.exponent;
    }
    return true;
}

U128 DigitsValue(const std::string& digits, size_t count) {
    U128 v = 0;
    for (size_t k = 0; k < count; ++k)
        v = v * 10 + static_cast<unsigned>(digits[k] - '0');
    return v;
}

} // namespace

Decimal Decimal::FromInt64(std::int64_t value) {
    Decimal d;
    d.m_negative = value < 0;
    const std::uint64_t magnitude =
        value < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    d.m_lo = magnitude;
    return d;
}

int Decimal::TryParse(QStringView text, Decimal& out) {
    // Most numbers are short plain integers or decimals: read them directly.
    if (text.size() <= 19) {
        qsizetype i = 0;
        bool negative = false;
        if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
            negative = text[i] == QLatin1Char('-');
            ++i;
        }
        std::uint64_t v = 0;
        int digits = 0;
        int scale = -1; // -1: no point seen
        bool plain = true;
        for (; i < text.size(); ++i) {
            const char16_t u = text[i].unicode();
            if (u >= u'0' && u <= u'9') {
                v = v * 10 + (u - u'0');
                ++digits;
                if (scale >= 0)
                    ++scale;
            } else if (u == u'.' && scale < 0) {
                scale = 0;
            } else {
                plain = false;
                break;
            }
        }
        if (plain && digits > 0) { // at most 18 digits: no overflow
            scale = std::max(scale, 0);
            while (scale > 0 && v % 10 == 0) {
                v /= 10;
                --scale;
            }
            Decimal d;
            d.m_negative = negative;
            d.m_lo = v;
            d.m_scale = static_cast<std::uint8_t>(scale);
            out = d;
            return 0;
        }
    }
    Parts parts;
    if (!Split(text, parts))
        return kErrTypeMismatch;
    Decimal d;
    d.m_negative = parts.negative;
    if (parts.digits.empty()) {
        out = d;
        return 0;
    }
    const qint64 n = static_cast<qint64>(parts.digits.size());
    if (n + parts.exponent > kMaxDigits)
        return kErrOverflow;
    U128 mantissa = 0;
    int scale = 0;
    if (parts.exponent >= 0) {
        mantissa = DigitsValue(parts.digits, parts.digits.size());
        for (qint64 k = 0; k < parts.exponent; ++k)
            mantissa *= 10;
        if (mantissa > kMax96)
            return kErrOverflow;
    } else {
        // Keep as many fractional digits as the scale limit and the 96 bits allow,
        // rounding on the first digit dropped.
        const qint64 wantedScale = -parts.exponent;
        qint64 newScale = std::min<qint64>(wantedScale, kMaxScale);
        for (;;) {
            const qint64 keep = n - (wantedScale - newScale);
            if (keep > kMaxDigits) {
                newScale -= keep - kMaxDigits;
                continue;
            }
            U128 v = keep > 0 ? DigitsValue(parts.digits, static_cast<size_t>(keep)) : 0;
            if (keep >= 0 && keep < n && parts.digits[static_cast<size_t>(keep)] >= '5')
                ++v;
            if (v > kMax96) {
                if (newScale == 0)
                    return kErrOverflow;
                --newScale;
                continue;
            }
            mantissa = v;
            scale = static_cast<int>(newScale);
            break;
        }
        while (scale > 0 && mantissa % 10 == 0) {
            mantissa /= 10;
            --scale;
        }
    }
    d.m_lo = static_cast<std::uint64_t>(mantissa);
    d.m_hi = static_cast<std::uint32_t>(mantissa >> 64);
    d.m_scale = static_cast<std::uint8_t>(scale);
    out = d;
    return 0;
}

Decimal Decimal::Parse(QStringView text) {
    Decimal d;
    switch (TryParse(text, d)) {
    case 0:
        return d;
    case kErrOverflow:
        throw VbError(kErrOverflow, QStringLiteral("Decimal"), QStringLiteral("Overflow"));
    default:
        throw VbError(kErrTypeMismatch, QStringLiteral("Decimal"), QStringLiteral("Type mismatch"));
    }
}

QString Decimal::toString() const {
    U128 v = (U128{m_hi} << 64) | m_lo;
    int scale = m_scale;
    while (scale > 0 && v % 10 == 0) {
        v /= 10;
        --scale;
    }
    char buf[64];
    int len = 0;
    do {
        buf[len++] = static_cast<char>('0' + static_cast<int>(v % 10));
        v /= 10;
    } while (v != 0);
    while (len <= scale)
        buf[len++] = '0';
    std::string out;
    if (isNegative())
        out.push_back('-');
    for (int k = len - 1; k >= 0; --k) {
        out.push_back(buf[k]);
        if (k == scale && scale > 0)
            out.push_back('.');
    }
    return QString::fromLatin1(out.data(), static_cast<qsizetype>(out.size()));
}

bool operator==(const Decimal& a, const Decimal& b) {
    if (a.isZero() || b.isZero())
        return a.isZero() && b.isZero();
    return a.isNegative() == b.isNegative() && a.toString() == b.toString();
}

} // namespace worktide

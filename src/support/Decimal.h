#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>

// An exact decimal number: a 96-bit unsigned integer, a sign and a power-of-ten
// scale from 0 to 28, so 28 or 29 significant digits are kept without the
// rounding of binary floating point. Numbers read from JSON are held as these.
namespace worktide {

class Decimal {
public:
    Decimal() = default;
    static Decimal FromInt64(std::int64_t value);

    // Reads [sign] digits [. digits] [e|E [sign] digits] (digits may be missing on
    // one side of the point, not both). More fractional digits than fit are
    // rounded half away from zero. Raises VbError 13 (type mismatch) for text of
    // another form and VbError 6 (overflow) for a value beyond the 96-bit range.
    static Decimal Parse(QStringView text);
    // The same without raising: returns 0 on success, else the error number.
    static int TryParse(QStringView text, Decimal& out);

    // Plain digits with a point where needed, no exponent and no trailing zeros
    // after the point: "1500", "-0.25", "0".
    QString toString() const;

    bool isZero() const { return m_hi == 0 && m_lo == 0; }
    bool isNegative() const { return m_negative && !isZero(); }
    int scale() const { return m_scale; }
    std::uint32_t high32() const { return m_hi; }
    std::uint64_t low64() const { return m_lo; }

    // Numeric equality: 1.50 equals 1.5, -0 equals 0.
    friend bool operator==(const Decimal& a, const Decimal& b);
    friend bool operator!=(const Decimal& a, const Decimal& b) { return !(a == b); }

private:
    std::uint64_t m_lo = 0;
    std::uint32_t m_hi = 0;
    std::uint8_t m_scale = 0;
    bool m_negative = false;
};

} // namespace worktide

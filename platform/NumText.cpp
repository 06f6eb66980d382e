#include "platform/NumText.h"

#include "platform/AppError.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <type_traits>

namespace NumText {

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

// Digits (as characters) and decimal exponent of |v| cut to 15 significant
// digits: v = 0.d1d2...d15 * 10^exp10 is not used; instead value =
// d1.d2...d15 * 10^exp.
struct Decimal15 {
    std::string digits; // exactly 15 digits, first non-zero (or all zero)
    int exp = 0;        // power of ten of the first digit
    bool negative = false;
    bool zero = true;
};

// Powers of ten that a double holds exactly.
constexpr double kExactPow10[23] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                    1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// "00" to "99".
constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// The 15 digits of a whole number below 10^15, with leading zeros.
void writeDigits15(std::uint64_t m, char* out)
{
    auto low = std::uint32_t(m % 100000000);  // digits 7 to 14
    auto high = std::uint32_t(m / 100000000); // digits 0 to 6
    for (int i = 13; i >= 7; i -= 2) {
        const std::uint32_t pair = low % 100;
        low /= 100;
        out[i] = kDigitPairs[2 * pair];
        out[i + 1] = kDigitPairs[2 * pair + 1];
    }
    for (int i = 5; i >= 1; i -= 2) {
        const std::uint32_t pair = high % 100;
        high /= 100;
        out[i] = kDigitPairs[2 * pair];
        out[i + 1] = kDigitPairs[2 * pair + 1];
    }
    out[0] = char('0' + high);
}

// `a` (finite, above 0) rounded to 15 significant digits without the
// decimal printer, for the common magnitudes: a is scaled by an exact power
// of ten to a whole number of 15 digits, and that product, with its
// rounding error taken exactly, is rounded to the nearest whole number m:
// the digits the printer gives, a = m x 10^(exp - 14). Returns false for
// other magnitudes and for exact halves.
bool fastScaled15(double a, std::uint64_t& m, int& exp)
{
    // The exponent frexp gives (a = f x 2^binaryExp, f in [0.5, 1)), read
    // from the bits; subnormals come out too small and fail below.
    const int binaryExp = int((std::bit_cast<std::uint64_t>(a) >> 52) & 0x7ff) - 1022;
    // floor(log10(a)), or one less: floor((binaryExp - 1) x log10(2)) in
    // whole numbers (78913 / 2^18 is log10(2) closely enough for every
    // exponent a double has).
    int e = ((binaryExp - 1) * 78913) >> 18;
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int k = 14 - e;
        if (k < 0 || k > 22)
            return false;
        const double scaled = a * kExactPow10[k];
        if (scaled >= 1e15) {
            ++e;
            continue;
        }
        if (scaled < 1e14)
            return false;
        const auto whole = static_cast<std::uint64_t>(scaled); // floor: scaled is positive
        // How far the exact product lies above the half: (scaled - whole -
        // 0.5) + error, where error is the product's own rounding error (a x
        // 10^k = scaled + error). scaled is below 2^50, so |error| is at most
        // 1/16: further from the half than that, it cannot change the side.
        const double aboveHalf = scaled - double(whole) - 0.5;
        bool up = aboveHalf > 0;
        if (aboveHalf <= 0.0625 && aboveHalf >= -0.0625) {
            const double error = std::fma(a, kExactPow10[k], -scaled);
            // An exact half is left to the printer.
            if (aboveHalf == -error)
                return false;
            up = aboveHalf > -error;
        }
        m = whole + (up ? 1 : 0);
        if (m == 1000000000000000ull) {
            m = 100000000000000ull;
            ++e;
        }
        exp = e;
        return true;
    }
    return false;
}

// The 15 digits of `a` (as fastScaled15) into digits[0..14].
bool fastDigits15(double a, char* digits, int& exp)
{
    std::uint64_t m = 0;
    if (!fastScaled15(a, m, exp))
        return false;
    writeDigits15(m, digits);
    return true;
}

Decimal15 toDecimal15(double v)
{
    Decimal15 d;
    if (v == 0.0 || !std::isfinite(v)) {
        d.digits = std::string(15, '0');
        return d;
    }
    d.negative = v < 0;
    if (char digits[15]; fastDigits15(std::fabs(v), digits, d.exp)) {
        d.digits.assign(digits, 15);
        d.zero = false;
        return d;
    }
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", std::fabs(v));
    // buf: d.dddddddddddddde[+-]xx
    std::string s(buf);
    auto e = s.find('e');
    d.digits = s.substr(0, 1) + s.substr(2, e - 2);
    d.exp = std::stoi(s.substr(e + 1));
    d.zero = false;
    return d;
}

// Digits of a decimal string with `digits` rounded half away from zero to
// `keep` digits (keep may be 0 or negative: nothing kept). Returns the kept
// digits and whether a carry added a leading digit.
std::string roundDigits(const std::string& digits, int keep, bool& carry)
{
    carry = false;
    if (keep >= int(digits.size()))
        return digits + std::string(size_t(keep - int(digits.size())), '0');
    if (keep < 0)
        return std::string();
    std::string kept = digits.substr(0, size_t(keep));
    if (digits[size_t(keep)] >= '5') {
        int i = keep - 1;
        while (i >= 0 && kept[size_t(i)] == '9') {
            kept[size_t(i)] = '0';
            --i;
        }
        if (i >= 0) {
            ++kept[size_t(i)];
        } else {
            kept.insert(kept.begin(), '1');
            carry = true;
        }
    }
    return kept;
}

} // namespace

namespace {

// Val for the common texts: blanks, a sign, up to 15 or so digits with a
// point and no exponent, ending the text or followed by anything but a
// blank or an exponent letter. The digits make a whole number below 2^53
// and the point a division by an exact power of ten, so the one rounding of
// that division gives the double nearest the decimal, as the full reader
// does. Returns false where the full reader is needed.
template <typename Char>
bool fastVal(const Char* p, qsizetype n, double& value)
{
    qsizetype i = 0;
    while (i < n && isBlank(QChar(char16_t(p[i]))))
        ++i;
    bool negative = false;
    if (i < n && (char16_t(p[i]) == u'+' || char16_t(p[i]) == u'-')) {
        negative = char16_t(p[i]) == u'-';
        ++i;
    }
    constexpr std::uint64_t limit = (1ull << 53) / 10 - 1;
    std::uint64_t m = 0;
    int decimals = 0;
    bool digits = false, point = false;
    for (; i < n; ++i) {
        const auto c = char16_t(static_cast<std::make_unsigned_t<Char>>(p[i]));
        if (c >= u'0' && c <= u'9') {
            if (m > limit)
                return false;
            m = m * 10 + (c - u'0');
            digits = true;
            if (point)
                ++decimals;
        } else if (c == u'.' && !point) {
            point = true;
        } else {
            if (c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'E' || c == u'e' || c == u'D' ||
                c == u'd' || c == u'&')
                return false;
            break;
        }
    }
    if (!digits || decimals > 22)
        return false;
    if (m == 0) {
        value = 0.0;
        return true;
    }
    const double v = decimals == 0 ? double(m) : double(m) / kExactPow10[decimals];
    value = negative ? -v : v;
    return true;
}

} // namespace

double ValAscii(const char* data, qsizetype size)
{
    if (double v = 0; fastVal(data, size, v))
        return v;
    return Val(QString::fromLatin1(data, size));
}

double Val(const QString& text)
{
    if (double v = 0; fastVal(reinterpret_cast<const char16_t*>(text.constData()), text.size(), v))
        return v;
    const qsizetype n = text.size();
    qsizetype i = 0;
    auto skip = [&] {
        while (i < n && isBlank(text[i]))
            ++i;
    };
    skip();
    if (i + 1 < n && text[i] == u'&') {
        QChar k = text[i + 1].toUpper();
        int base = k == u'H' ? 16 : (k == u'O' ? 8 : 0);
        if (base) {
            i += 2;
            std::uint64_t acc = 0;
            for (; i < n; ++i) {
                if (isBlank(text[i]))
                    continue;
                int dv = -1;
                QChar c = text[i].toUpper();
                if (c >= u'0' && c <= u'9')
                    dv = c.unicode() - u'0';
                else if (base == 16 && c >= u'A' && c <= u'F')
                    dv = c.unicode() - u'A' + 10;
                if (dv < 0 || dv >= base)
                    break;
                // Past 32 bits the value only grows: keep reading the digits
                // but remember the overflow rather than let `acc` wrap.
                if (acc <= 0xFFFFFFFFull)
                    acc = acc * unsigned(base) + unsigned(dv);
            }
            // A value that fits 16 bits is a 16-bit pattern ("&HFFFF" and
            // "&O177777" read -1), a larger one a 32-bit pattern, whatever
            // the base and however many leading zeros it is written with.
            if (acc <= 0xFFFF)
                return double(std::int16_t(std::uint16_t(acc)));
            if (acc <= 0xFFFFFFFFull)
                return double(std::int32_t(std::uint32_t(acc)));
            return 0.0;
        }
    }
    std::string s;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        if (text[i] == u'-')
            s.push_back('-');
        ++i;
    }
    bool digits = false, point = false;
    for (; i < n; ++i) {
        QChar c = text[i];
        if (isBlank(c))
            continue;
        if (c >= u'0' && c <= u'9') {
            s.push_back(char(c.unicode()));
            digits = true;
        } else if (c == u'.' && !point) {
            s.push_back('.');
            point = true;
        } else {
            break;
        }
    }
    if (!digits)
        return 0.0;
    if (i < n && (text[i] == u'E' || text[i] == u'e' || text[i] == u'D' || text[i] == u'd')) {
        std::string ex = "e";
        qsizetype j = i + 1;
        while (j < n && isBlank(text[j]))
            ++j;
        if (j < n && (text[j] == u'+' || text[j] == u'-')) {
            ex.push_back(char(text[j].unicode()));
            ++j;
        }
        bool expDigits = false;
        for (; j < n; ++j) {
            QChar c = text[j];
            if (isBlank(c))
                continue;
            if (c >= u'0' && c <= u'9') {
                ex.push_back(char(c.unicode()));
                expDigits = true;
            } else {
                break;
            }
        }
        if (expDigits)
            s += ex;
    }
    double v = 0.0;
    auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    (void)ptr;
    if (ec != std::errc() || !std::isfinite(v))
        return 0.0;
    if (v == 0.0)
        return 0.0; // no "-0"
    return v;
}

QString Str(double value)
{
    if (!std::isfinite(value) || value == 0.0)
        return QStringLiteral("0");
    // Whole numbers of up to 15 digits are written as they are: the common
    // case (counts, indexes, points) needs no decimal conversion.
    if (std::fabs(value) < 1e15 && value == std::trunc(value))
        return QString::number(static_cast<long long>(value));
    // The 15 digits without their trailing zeros.
    char dg[15];
    int exp = 0;
    if (!fastDigits15(std::fabs(value), dg, exp)) {
        const Decimal15 d = toDecimal15(value);
        std::memcpy(dg, d.digits.data(), 15);
        exp = d.exp;
    }
    int len = 15;
    while (len > 1 && dg[len - 1] == '0')
        --len;
    const bool negative = value < 0;
    // Sign, up to 19 characters of digits and zeros, point, exponent.
    char out[48];
    int n = 0;
    if (negative)
        out[n++] = '-';
    if (exp >= 15 || exp < -4) {
        out[n++] = dg[0];
        if (len > 1) {
            out[n++] = '.';
            for (int i = 1; i < len; ++i)
                out[n++] = dg[i];
        }
        n += std::snprintf(out + n, sizeof out - size_t(n), "E%c%02d", exp < 0 ? '-' : '+', std::abs(exp));
    } else if (exp >= 0) {
        const int intLen = exp + 1;
        for (int i = 0; i < intLen; ++i)
            out[n++] = i < len ? dg[i] : '0';
        if (len > intLen) {
            out[n++] = '.';
            for (int i = intLen; i < len; ++i)
                out[n++] = dg[i];
        }
    } else {
        out[n++] = '0';
        out[n++] = '.';
        for (int i = 0; i < -exp - 1; ++i)
            out[n++] = '0';
        for (int i = 0; i < len; ++i)
            out[n++] = dg[i];
    }
    return QString::fromLatin1(out, n);
}

double StrValue(double value)
{
    if (!std::isfinite(value) || value == 0.0)
        return 0.0;
    if (std::fabs(value) < 1e15 && value == std::trunc(value))
        return value;
    std::uint64_t m = 0;
    int exp = 0;
    // m and 10^k are exact, so the one rounding of the division (or the
    // product) gives the double nearest the decimal, as the reader does.
    if (fastScaled15(std::fabs(value), m, exp)) {
        const int k = 14 - exp;
        const double v = k >= 0 ? double(m) / kExactPow10[k] : double(m) * kExactPow10[-k];
        return value < 0 ? -v : v;
    }
    return Val(Str(value));
}

QString Format(double value, const QString& pattern)
{
    // Pattern: intZeros zeros, optional '.', decZeros zeros.
    int intZeros = 0, decZeros = 0;
    bool point = false;
    for (QChar c : pattern) {
        if (c == u'.')
            point = true;
        else if (c == u'0')
            (point ? decZeros : intZeros)++;
    }
    if (intZeros == 0)
        intZeros = 1;
    if (!std::isfinite(value))
        value = 0.0;

    Decimal15 d = toDecimal15(value);
    std::string intPart, decPart;
    if (d.zero) {
        intPart = "0";
        decPart = std::string(size_t(decZeros), '0');
    } else {
        // Digit k of `digits` has weight 10^(exp - k). Keep digits down to
        // weight 10^-decZeros: keep = exp + decZeros + 1 digits.
        int keep = d.exp + decZeros + 1;
        bool carry = false;
        std::string kept = roundDigits(d.digits, keep, carry);
        int topExp = d.exp + (carry ? 1 : 0);
        // kept holds digits from weight 10^topExp down to 10^-decZeros.
        if (kept.empty()) {
            kept = std::string(size_t(decZeros), '0');
            topExp = -1;
        }
        // Build the full digit run from weight max(topExp,0) down.
        std::string run;
        if (topExp < 0) {
            // leading zeros between 10^-1 and the first kept digit
            run = std::string(size_t(-topExp - 1), '0') + kept;
            // run now covers weights 10^-1 .. 10^-decZeros (may be shorter)
            intPart = "0";
            decPart = run;
        } else {
            intPart = kept.substr(0, size_t(topExp) + 1);
            if (intPart.size() < size_t(topExp) + 1)
                intPart += std::string(size_t(topExp) + 1 - intPart.size(), '0');
            decPart = kept.size() > size_t(topExp) + 1 ? kept.substr(size_t(topExp) + 1) : std::string();
        }
        if (decPart.size() < size_t(decZeros))
            decPart += std::string(size_t(decZeros) - decPart.size(), '0');
        decPart.resize(size_t(decZeros));
    }
    // Strip redundant leading zeros, then pad to the pattern's minimum.
    while (intPart.size() > 1 && intPart[0] == '0')
        intPart.erase(intPart.begin());
    if (intPart.size() < size_t(intZeros))
        intPart.insert(intPart.begin(), size_t(intZeros) - intPart.size(), '0');
    bool allZero = intPart.find_first_not_of('0') == std::string::npos
        && decPart.find_first_not_of('0') == std::string::npos;
    std::string out;
    if (d.negative && !allZero)
        out.push_back('-');
    out += intPart;
    if (point) {
        out.push_back('.');
        out += decPart;
    }
    return QString::fromLatin1(out.data(), qsizetype(out.size()));
}

QString FormatText(const QString& text, const QString& pattern)
{
    return Format(Val(text), pattern);
}

std::int32_t CLng(double value)
{
    if (!std::isfinite(value))
        throw AppError(6);
    double r = std::nearbyint(value); // default rounding: half to even
    if (r < -2147483648.0 || r > 2147483647.0)
        throw AppError(6);
    return std::int32_t(r);
}

std::int16_t CInt(double value)
{
    if (!std::isfinite(value))
        throw AppError(6);
    double r = std::nearbyint(value);
    if (r < -32768.0 || r > 32767.0)
        throw AppError(6);
    return std::int16_t(r);
}

std::uint8_t CByte(double value)
{
    if (!std::isfinite(value))
        throw AppError(6);
    double r = std::nearbyint(value);
    if (r < 0.0 || r > 255.0)
        throw AppError(6);
    return std::uint8_t(r);
}

namespace {

// Whether code units [0, n) are a number as a whole: optional sign, digits
// with at most one ".", an optional exponent ("E" or "D", optional sign,
// digits). Digits are ASCII only.
template <class Unit> bool WholeNumber(Unit at, qsizetype n)
{
    const auto digit = [&](qsizetype i) { return at(i) >= u'0' && at(i) <= u'9'; };
    qsizetype i = 0;
    if (n == 0)
        return false;
    if (at(i) == u'+' || at(i) == u'-')
        ++i;
    bool digits = false, point = false;
    for (; i < n; ++i) {
        if (digit(i))
            digits = true;
        else if (at(i) == u'.' && !point)
            point = true;
        else
            break;
    }
    if (!digits)
        return false;
    if (i < n && (at(i) == u'E' || at(i) == u'e' || at(i) == u'D' || at(i) == u'd')) {
        ++i;
        if (i < n && (at(i) == u'+' || at(i) == u'-'))
            ++i;
        bool ed = false;
        while (i < n && digit(i)) {
            ++i;
            ed = true;
        }
        if (!ed)
            return false;
    }
    return i == n;
}

} // namespace

bool IsNumeric(const QString& text)
{
    const QString t = text.trimmed();
    return WholeNumber([&t](qsizetype i) { return t[i].unicode(); }, t.size());
}

bool IsNumericAscii(const char* data, qsizetype size)
{
    // The blanks QString::trimmed takes away, among ASCII characters.
    const auto blank = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    while (size > 0 && blank(data[size - 1]))
        --size;
    while (size > 0 && blank(*data)) {
        ++data;
        --size;
    }
    return WholeNumber([data](qsizetype i) { return char16_t(static_cast<unsigned char>(data[i])); }, size);
}

} // namespace NumText

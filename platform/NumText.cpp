#include "platform/NumText.h"

#include "platform/AppError.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>

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

Decimal15 toDecimal15(double v)
{
    Decimal15 d;
    if (v == 0.0 || !std::isfinite(v)) {
        d.digits = std::string(15, '0');
        return d;
    }
    d.negative = v < 0;
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

double Val(const QString& text)
{
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
    Decimal15 d = toDecimal15(value);
    // Strip trailing zeros of the 15 digits.
    std::string dg = d.digits;
    while (dg.size() > 1 && dg.back() == '0')
        dg.pop_back();
    std::string out;
    if (d.negative)
        out.push_back('-');
    if (d.exp >= 15 || d.exp < -4) {
        out += dg.substr(0, 1);
        if (dg.size() > 1) {
            out.push_back('.');
            out += dg.substr(1);
        }
        char eb[16];
        std::snprintf(eb, sizeof eb, "E%c%02d", d.exp < 0 ? '-' : '+', std::abs(d.exp));
        out += eb;
    } else if (d.exp >= 0) {
        size_t intLen = size_t(d.exp) + 1;
        if (dg.size() <= intLen) {
            out += dg + std::string(intLen - dg.size(), '0');
        } else {
            out += dg.substr(0, intLen);
            out.push_back('.');
            out += dg.substr(intLen);
        }
    } else {
        out += "0.";
        out += std::string(size_t(-d.exp - 1), '0');
        out += dg;
    }
    return QString::fromStdString(out);
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
    return QString::fromStdString(out);
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

bool IsNumeric(const QString& text)
{
    QString t = text.trimmed();
    if (t.isEmpty())
        return false;
    qsizetype i = 0;
    const qsizetype n = t.size();
    if (t[i] == u'+' || t[i] == u'-')
        ++i;
    bool digits = false, point = false;
    for (; i < n; ++i) {
        QChar c = t[i];
        if (c.isDigit() && c.unicode() < 128)
            digits = true;
        else if (c == u'.' && !point)
            point = true;
        else
            break;
    }
    if (!digits)
        return false;
    if (i < n && (t[i] == u'E' || t[i] == u'e' || t[i] == u'D' || t[i] == u'd')) {
        ++i;
        if (i < n && (t[i] == u'+' || t[i] == u'-'))
            ++i;
        bool ed = false;
        while (i < n && t[i].isDigit() && t[i].unicode() < 128) {
            ++i;
            ed = true;
        }
        if (!ed)
            return false;
    }
    return i == n;
}

} // namespace NumText

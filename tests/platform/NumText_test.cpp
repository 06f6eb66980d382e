#include "platform/AppError.h"
#include "platform/NumText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

using namespace NumText;

TEST(NumText, ValReadsTheLeadingNumber)
{
    struct Case {
        const char* text;
        double value;
    } cases[] = {
        {"", 0},           {"abc", 0},         {"  12.5", 12.5},   {"1 2 3", 123},
        {"-4.5V", -4.5},   {"+7", 7},          {"1.2.3", 1.2},     {"1e3", 1000},
        {"2.5E-2", 0.025}, {"1D2", 100},       {"1e", 1},          {".5", 0.5},
        {"- 3", -3},       {"1,000", 1},       {"&H10", 16},       {"&HFFFF", -1},
        {"&O17", 15},      {"9E999", 0},       {"-9E999", 0},      {"1E-999", 0},
        {"\t8\r\n1", 81},  {"81 Japanese", 81}, {"-", 0},          {"-0", 0},
        // Radix forms: a value that fits 16 bits is a 16-bit pattern,
        // whatever the base or the leading zeros; beyond 32 bits overflows.
        {"&H8000", -32768}, {"&H0FFFF", -1},     {"&H10000", 65536}, {"&HFFFFFFFF", -1},
        {"&O177777", -1},  {"&o7", 7},          {"&H1G", 1},        {"&H 1 F", 31},
        {"&H100000000", 0}, {"&H00000000000000001", 1}, {"&H", 0},   {"&O8", 0},
        {"5.", 5},         {"-.5", -0.5},       {"1.5D+3", 1500},   {"1 E 5", 1e5},
        {"1E5.5", 1e5},    {"--5", 0},          {"+ 5", 5},         {"e5", 0},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(Val(QString::fromUtf8(c.text)), c.value) << c.text;
    EXPECT_FALSE(std::signbit(Val("-0")));
}

TEST(NumText, StrWritesFifteenSignificantDigits)
{
    struct Case {
        double value;
        const char* text;
    } cases[] = {
        {0, "0"},
        {-0.0, "0"},
        {4095.0 / 1000, "4.095"},
        {0.1 + 0.2, "0.3"},
        {1.0 / 3, "0.333333333333333"},
        {-2.5, "-2.5"},
        {123456789012345.0, "123456789012345"},
        {1e15, "1E+15"},
        {0.0001, "0.0001"},
        {0.00001, "1E-05"},
        {-2.5e-7, "-2.5E-07"},
        {100, "100"},
        {999999999999999.9, "1E+15"},
        {1e15 - 1, "999999999999999"},
        {-(1e15 - 1), "-999999999999999"},
        {-(0.1 + 0.2), "-0.3"},
        {99999.99999999999, "100000"},
        {123456789.123456789, "123456789.123457"},
        {1e16 + 2, "1E+16"},
        {1.2345678901234567e19, "1.23456789012346E+19"},
        {1e300, "1E+300"},
        {-1e-300, "-1E-300"},
        {9.99999999999999e-5, "9.99999999999999E-05"},
        {9.999999999999999e-5, "0.0001"}, // rounds up into plain writing
    };
    for (const Case& c : cases)
        EXPECT_EQ(Str(c.value).toStdString(), c.text) << c.value;
}

TEST(NumText, FixedFormatsRoundHalfAwayFromZero)
{
    struct Case {
        double value;
        const char* pattern;
        const char* text;
    } cases[] = {
        {2.675, "0.00", "2.68"},   {250.5, "0", "251"},      {-250.5, "0", "-251"},
        {2.665, "0.00", "2.67"},   {1.005, "0.00", "1.01"},  {0.125, "0.00", "0.13"},
        {-0.001, "0.00", "0.00"},  {0.005, "0.00", "0.01"},  {0.0004, "0.00", "0.00"},
        {9.995, "0.00", "10.00"},  {0.5, "0", "1"},          {0.4, "0", "0"},
        {7, "00", "07"},           {12, "0000", "0012"},     {3.14159, "0.000", "3.142"},
        {1234.5678, "0.0", "1234.6"}, {0, "0.000", "0.000"}, {1e20, "0", "100000000000000000000"},
        {0.05, "0.0", "0.1"},      {-1.25, "0.0", "-1.3"},   {99.95, "0.0", "100.0"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Format(c.value, c.pattern).toStdString(), c.text) << c.value << " " << c.pattern;
    EXPECT_EQ(FormatText("2.675", "0.00").toStdString(), "2.68");
}

TEST(NumText, WholeNumbersRoundHalfToEven)
{
    EXPECT_EQ(CLng(2.5), 2);
    EXPECT_EQ(CLng(3.5), 4);
    EXPECT_EQ(CLng(-2.5), -2);
    EXPECT_EQ(CLng(2.6), 3);
    EXPECT_EQ(CInt(81.0), 81);
    EXPECT_THROW(CLng(3e9), AppError);
    EXPECT_THROW(CInt(40000), AppError);
    EXPECT_THROW(CByte(-1), AppError);
}

TEST(NumText, IsNumeric)
{
    EXPECT_TRUE(IsNumeric(" 12.5 "));
    EXPECT_TRUE(IsNumeric("-1e3"));
    EXPECT_FALSE(IsNumeric(""));
    EXPECT_FALSE(IsNumeric("12a"));
    EXPECT_FALSE(IsNumeric("."));
    // The judge of ASCII bytes judges as the judge of texts.
    for (const char* text : {" 12.5 ", "-1e3", "", "12a", ".", "\t+.5D-2\r\n", "1e", "--", "1 2", "  ", "0x1",
                             "+", "5.", "1.2.3", "3E+"})
        EXPECT_EQ(IsNumericAscii(text, qsizetype(std::strlen(text))), IsNumeric(QString::fromLatin1(text))) << text;
}

namespace {

// Str as the C library's decimal printer gives it: the 15 digits of
// "%.14e" without trailing zeros, plain from 1E-4 to below 1E15.
std::string PrinterStr(double v)
{
    if (v == 0)
        return "0";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", std::fabs(v));
    std::string digits = std::string(1, buf[0]) + std::string(buf + 2, 14);
    const int exp = std::atoi(std::strchr(buf, 'e') + 1);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    std::string out = v < 0 ? "-" : "";
    if (exp >= 15 || exp < -4) {
        out += digits.substr(0, 1);
        if (digits.size() > 1)
            out += "." + digits.substr(1);
        char e[16];
        std::snprintf(e, sizeof e, "E%c%02d", exp < 0 ? '-' : '+', std::abs(exp));
        return out + e;
    }
    if (exp >= 0) {
        const std::size_t whole = std::size_t(exp) + 1;
        if (digits.size() <= whole)
            return out + digits + std::string(whole - digits.size(), '0');
        return out + digits.substr(0, whole) + "." + digits.substr(whole);
    }
    return out + "0." + std::string(std::size_t(-exp - 1), '0') + digits;
}

} // namespace

// Str, StrValue and Val take short cuts for common numbers; they must give what the
// decimal printer and the correctly rounding reader give, halves and all.
TEST(NumText, ShortCutsAgreeWithThePrinterAndTheReader)
{
    std::mt19937_64 random(20240603);
    std::uniform_real_distribution<double> mantissa(1.0, 10.0);
    std::uniform_int_distribution<int> exponent(-12, 17);
    std::uniform_int_distribution<long long> digits(0, 999999999999999LL);
    for (int n = 0; n < 200000; ++n) {
        // Products and sums of short decimals, as the corrections make them,
        // and arbitrary doubles of every common magnitude.
        const double a = double(digits(random) % 100000) / 1000;
        const double b = double(digits(random) % 10000) / 100;
        const double values[] = {a * b,
                                 a + b / 7,
                                 -(a / (b + 1)),
                                 mantissa(random) * std::pow(10.0, exponent(random)),
                                 double(digits(random)) / 1e5,
                                 double(digits(random)) + 0.5};
        for (double v : values) {
            ASSERT_EQ(Str(v).toStdString(), PrinterStr(v)) << std::hexfloat << v;
            ASSERT_EQ(StrValue(v), Val(Str(v))) << std::hexfloat << v;
            // A value kept as StrValue gives the same text again.
            ASSERT_EQ(Str(StrValue(v)), Str(v)) << std::hexfloat << v;
        }
    }
    // Exact halves at the fifteenth digit go to the printer.
    EXPECT_EQ(Str(0.5000000000000005).toStdString(), PrinterStr(0.5000000000000005));
    EXPECT_EQ(Str(100000000000000.5).toStdString(), PrinterStr(100000000000000.5));
    EXPECT_EQ(Str(100000000000001.5).toStdString(), PrinterStr(100000000000001.5));
    for (double v : {0.0, -0.0, 1e15, 1e300, -2.5e-7, 0.5000000000000005, 1.0 / 0.0})
        EXPECT_EQ(StrValue(v), Val(Str(v))) << v;

    for (int n = 0; n < 200000; ++n) {
        char text[64];
        const int decimals = int(digits(random) % 12);
        std::snprintf(text, sizeof text, "%s%.*f", n % 3 ? "" : "-", decimals,
                      double(digits(random) % 100000000000LL) / std::pow(10.0, double(digits(random) % 9)));
        ASSERT_EQ(Val(QString::fromLatin1(text)), std::strtod(text, nullptr)) << text;
        ASSERT_EQ(ValAscii(text, qsizetype(std::strlen(text))), std::strtod(text, nullptr)) << text;
    }
    for (const char* text :
         {"123456789012345678", "0.1234567890123456789", "9007199254740993", "1.5e3", "2 5"})
        EXPECT_EQ(Val(QString::fromLatin1(text)),
                  text == std::string("2 5") ? 25 : std::strtod(text, nullptr))
            << text;
    // The reader of ASCII bytes reads as the reader of texts, short cut or not.
    for (const char* text : {"123456789012345678", "1.5e3", "2 5", " -&HFF", "&O17", "12,5", "", "--", "-.5D2"})
        EXPECT_EQ(ValAscii(text, qsizetype(std::strlen(text))), Val(QString::fromLatin1(text))) << text;
}

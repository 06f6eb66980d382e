// The curve points of a measurement: texts read from a file's bytes or
// computed from numbers are written only when first read, and must then be
// exactly the texts that writing them at once gives; copies share until one
// is changed.
#include "instrument/MeasRecord.h"
#include "platform/AnsiCodec.h"
#include "platform/NumText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <thread>
#include <vector>

namespace {

constexpr double NotFinite = std::numeric_limits<double>::quiet_NaN();
constexpr int Volt = MeasRecord::Volt;
constexpr int Amp = MeasRecord::Amp;
constexpr int Watt = MeasRecord::Watt;

// Numbers of every kind a correction makes, kept as their text values.
IvPointTable::Numbers SomeNumbers()
{
    IvPointTable::Numbers n{};
    for (std::size_t k = 0; k < IvPointTable::ComputedRows; ++k) {
        const double x = (double(k) - 40) * 3.0123456789 / 7;
        n[k] = {NumText::StrValue(x), NumText::StrValue(x * 1e-6), NumText::StrValue(x * x * 1e9)};
    }
    n[3][Amp] = NotFinite;
    n[4] = {0, NumText::StrValue(-0.0), NumText::StrValue(1e-320)};
    return n;
}

IvPointTable PlainTable(const QString& lastVolt)
{
    IvPointTable t;
    t[IvPointTable::ComputedRows][Volt] = lastVolt;
    return t;
}

} // namespace

TEST(IvPointTable, ComputedPointsReadAsTheTextsWrittenAtOnce)
{
    const IvPointTable::Numbers numbers = SomeNumbers();
    for (const IvPointTable& lastRowOf : {PlainTable(QStringLiteral("1.5")), IvPointTable()}) {
        const IvPointTable t = IvPointTable::FromNumbers(numbers, lastRowOf);
        // The values first: reading them writes no text and needs none.
        for (std::size_t k = 0; k < IvPointTable::ComputedRows; ++k)
            for (int c : {Volt, Amp, Watt}) {
                const double x = numbers[k][std::size_t(c)];
                const QString text = std::isnan(x) ? QStringLiteral("--") : NumText::Str(x);
                EXPECT_EQ(t.value(k, c), NumText::Val(text)) << k << "," << c;
                EXPECT_EQ(t[k][std::size_t(c)], text) << k << "," << c;
            }
        EXPECT_EQ(t[IvPointTable::ComputedRows], lastRowOf[IvPointTable::ComputedRows]);
        EXPECT_EQ(t.value(IvPointTable::ComputedRows, Volt),
                  NumText::Val(lastRowOf[IvPointTable::ComputedRows][Volt]));
    }
}

TEST(IvPointTable, UnroundedNumbersAreCutWhenRead)
{
    IvPointTable::Numbers raw{};
    for (std::size_t k = 0; k < IvPointTable::ComputedRows; ++k)
        raw[k] = {NumText::StrValue(k * 0.5), (double(k) + 0.1) / 3, (double(k) - 60) * 1234.5678901 / 7};
    raw[1][Watt] = std::numeric_limits<double>::infinity();
    raw[2][Watt] = NotFinite;
    raw[3][Amp] = 1e20 / 3;
    const IvPointTable t = IvPointTable::FromNumbers(raw, IvPointTable(), 1u << Amp | 1u << Watt);
    for (std::size_t k = 0; k < IvPointTable::ComputedRows; ++k)
        for (int c : {Volt, Amp, Watt}) {
            const double x = raw[k][std::size_t(c)];
            const QString text = std::isfinite(x) ? NumText::Str(x) : QStringLiteral("--");
            EXPECT_EQ(t.value(k, c), NumText::Val(text)) << k << "," << c;
            EXPECT_EQ(t[k][std::size_t(c)], text) << k << "," << c;
        }

    // A column set afterwards, beside entries read from bytes.
    IvPointTable::Slices slices{};
    slices[0][Volt] = {0, 3};
    IvPointTable measured = IvPointTable::FromBytes(QByteArray("2.5"), slices);
    std::array<double, IvPointTable::ComputedRows> watts{};
    watts[0] = 2.5 / 3;
    measured.SetComputedColumn(Watt, watts);
    EXPECT_EQ(measured.value(0, Volt), 2.5);
    EXPECT_EQ(measured.value(0, Watt), NumText::StrValue(2.5 / 3));
    EXPECT_EQ(measured[0][Watt], NumText::Str(2.5 / 3));
    EXPECT_EQ(measured[1][Watt], QStringLiteral("0"));
}

TEST(IvPointTable, PointsFromFileBytesDecodeAsTheirTexts)
{
    // Code page 932 bytes: an ASCII number, a text with a double-byte
    // character, a number with blanks, and places past the end.
    const QString wide = QStringLiteral("12\u5186");
    const QByteArray bytes = QByteArray("0,402.30,8.874\r\n") + AnsiCodec::encode(wide) + QByteArray(", 1 2 ,");
    IvPointTable::Slices slices{};
    slices[0][Volt] = {2, 6};
    slices[0][Amp] = {9, 5};
    const qsizetype wideAt = 16;
    const qsizetype wideSize = AnsiCodec::encode(wide).size();
    slices[1][Volt] = {wideAt, wideSize};
    slices[1][Amp] = {wideAt + wideSize + 1, 5};
    slices[2][Volt] = {bytes.size() - 1, 5};  // runs past the end: no text
    slices[2][Amp] = {-3, 2};                 // before the start: no text
    slices[IvPointTable::ComputedRows][Amp] = {9, 5};

    const IvPointTable t = IvPointTable::FromBytes(bytes, slices);
    const QString expected[3][2] = {{QStringLiteral("402.30"), QStringLiteral("8.874")},
                                    {wide, QStringLiteral(" 1 2 ")},
                                    {QString(), QString()}};
    for (std::size_t k = 0; k < 3; ++k)
        for (int c : {Volt, Amp})
            EXPECT_EQ(t.value(k, c), NumText::Val(expected[k][c])) << k << "," << c;
    for (std::size_t k = 0; k < 3; ++k)
        for (int c : {Volt, Amp})
            EXPECT_EQ(t[k][std::size_t(c)], expected[k][c]) << k << "," << c;
    EXPECT_EQ(t.value(1, Amp), 12);
    EXPECT_EQ(t[IvPointTable::ComputedRows][Amp], QStringLiteral("8.874"));
    EXPECT_TRUE(t[5][Volt].isEmpty());

    // A computed entry among them, and a corrected curve that takes the last
    // row without writing the rest.
    IvPointTable withPower = t;
    withPower.SetComputed(0, Watt, NumText::StrValue(402.3 * 8.874));
    EXPECT_EQ(withPower[0][Watt], NumText::Str(402.3 * 8.874));
    EXPECT_TRUE(t[0][Watt].isEmpty());
    const IvPointTable fresh = IvPointTable::FromBytes(bytes, slices);
    const IvPointTable corrected = IvPointTable::FromNumbers(SomeNumbers(), fresh);
    EXPECT_EQ(corrected.value(IvPointTable::ComputedRows, Amp), 8.874);
    EXPECT_EQ(corrected[IvPointTable::ComputedRows][Amp], QStringLiteral("8.874"));
    EXPECT_EQ(fresh[1][Volt], wide);
}

// A plot reads the points as numbers: whether a text is blank, whether it
// is a number as a whole and its value must be what the text gives, for
// every kind of table, before and after its texts are written.
TEST(IvPointTable, ReadingsJudgeEntriesAsTheirTexts)
{
    const QString wide = QStringLiteral("\u3000 7\u5186");
    const QByteArray bytes = QByteArray("402.30, 8.874 ,  ,--,1e3,") + AnsiCodec::encode(wide) +
                             AnsiCodec::encode(QStringLiteral("\u3000")) + QByteArray(",12a");
    IvPointTable::Slices slices{};
    slices[0][Volt] = {0, 6};
    slices[0][Amp] = {7, 7};
    slices[1][Volt] = {15, 2};
    slices[1][Amp] = {18, 2};
    slices[2][Volt] = {21, 3};
    slices[2][Amp] = {25, AnsiCodec::encode(wide).size()};
    slices[3][Volt] = {25 + AnsiCodec::encode(wide).size(), 2};
    slices[3][Amp] = {bytes.size() - 3, 3};
    const auto make = [&](int kind) {
        switch (kind) {
        case 0:
            return IvPointTable::FromBytes(bytes, slices);
        case 1: {
            IvPointTable t = IvPointTable::FromBytes(bytes, slices);
            t.SetComputed(1, Amp, NotFinite);
            t.SetComputedColumn(Watt, {});
            return t;
        }
        case 2:
            return IvPointTable::FromNumbers(SomeNumbers(), PlainTable(QStringLiteral(" 3 ")), 1u << Volt);
        default: {
            IvPointTable t = PlainTable(QStringLiteral("x"));
            t[0][Volt] = QStringLiteral(" 1.5 ");
            t[0][Amp] = QStringLiteral("\u3000");
            t[1][Volt] = QStringLiteral("--");
            return t;
        }
        }
    };
    for (int kind = 0; kind < 4; ++kind) {
        const IvPointTable unread = make(kind);
        const IvPointTable twin = make(kind);
        for (std::size_t k = 0; k < IvPointTable::Rows; ++k)
            for (int c : {Volt, Amp, Watt}) {
                const IvPointTable::Reading r = unread.reading(k, c);
                const QString& text = twin[k][std::size_t(c)];
                EXPECT_EQ(r.blank, text.trimmed().isEmpty()) << kind << ": " << k << "," << c;
                EXPECT_EQ(r.numeric, NumText::IsNumeric(text)) << kind << ": " << k << "," << c;
                EXPECT_EQ(r.value, NumText::Val(text)) << kind << ": " << k << "," << c;
                const IvPointTable::Reading after = twin.reading(k, c);
                EXPECT_EQ(after.blank, r.blank);
                EXPECT_EQ(after.numeric, r.numeric);
                EXPECT_EQ(after.value, r.value);
            }
    }
    EXPECT_TRUE(IvPointTable().reading(0, Volt).blank);
}

TEST(IvPointTable, CopiesShareUntilOneIsChanged)
{
    const IvPointTable computed = IvPointTable::FromNumbers(SomeNumbers(), IvPointTable());
    IvPointTable copy = computed;
    EXPECT_EQ(copy, computed);
    copy[0][Volt] = QStringLiteral("7");
    EXPECT_EQ(copy[0][Volt], QStringLiteral("7"));
    EXPECT_EQ(copy.value(0, Volt), 7);
    EXPECT_EQ(copy[1], computed[1]);
    EXPECT_EQ(computed[0][Volt], NumText::Str(SomeNumbers()[0][Volt]));
    EXPECT_EQ(computed.value(0, Volt), SomeNumbers()[0][Volt]);
    EXPECT_NE(copy, computed);

    // A value read before a change is not kept after it.
    IvPointTable plain = PlainTable(QStringLiteral("2"));
    const IvPointTable before = plain;
    EXPECT_EQ(plain.value(IvPointTable::ComputedRows, Volt), 2);
    plain[IvPointTable::ComputedRows][Volt] = QStringLiteral("3");
    EXPECT_EQ(plain.value(IvPointTable::ComputedRows, Volt), 3);
    EXPECT_EQ(before.value(IvPointTable::ComputedRows, Volt), 2);
    plain.SetComputed(IvPointTable::ComputedRows - 1, Amp, 0.25);
    EXPECT_EQ(plain[IvPointTable::ComputedRows - 1][Amp], QStringLiteral("0.25"));
    EXPECT_EQ(plain[IvPointTable::ComputedRows][Volt], QStringLiteral("3"));
    EXPECT_TRUE(before[IvPointTable::ComputedRows - 1][Amp].isEmpty());

    // Rows walk like an array's, and an empty table reads empty everywhere.
    int rows = 0;
    for (const IvPointTable::Row& row : std::as_const(copy)) {
        (void)row;
        ++rows;
    }
    EXPECT_EQ(rows, int(IvPointTable::Rows));
    IvPointTable moved = IvPointTable::FromNumbers(SomeNumbers(), IvPointTable());
    const IvPointTable taken = std::move(moved);
    EXPECT_EQ(taken.value(0, Volt), SomeNumbers()[0][Volt]);
    EXPECT_EQ(moved.value(0, Volt), 0); // NOLINT(bugprone-use-after-move): a moved table is empty
    const IvPointTable empty;
    EXPECT_TRUE(empty[7][Amp].isEmpty());
    EXPECT_EQ(empty.value(7, Amp), 0);
    EXPECT_EQ(empty, IvPointTable());
}

TEST(IvPointTable, ReadersOnSeveralThreadsSeeTheSameTexts)
{
    const QByteArray bytes("1.25,2.5");
    IvPointTable::Slices slices{};
    for (auto& row : slices)
        row = {IvPointTable::TextSlice{0, 4}, IvPointTable::TextSlice{5, 3}, IvPointTable::TextSlice{}};
    for (int round = 0; round < 20; ++round) {
        const IvPointTable computed = IvPointTable::FromNumbers(SomeNumbers(), IvPointTable::FromBytes(bytes, slices));
        std::vector<std::thread> readers;
        std::vector<QString> seen(8);
        for (std::size_t r = 0; r < seen.size(); ++r)
            readers.emplace_back([&, r] {
                QString all;
                for (const IvPointTable::Row& row : computed)
                    for (const QString& text : row)
                        all += text + u';';
                seen[r] = all;
            });
        for (std::thread& t : readers)
            t.join();
        for (const QString& s : seen)
            ASSERT_EQ(s, seen[0]);
        ASSERT_TRUE(seen[0].endsWith(QStringLiteral("1.25;2.5;;")));
    }
}

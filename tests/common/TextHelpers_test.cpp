#include "common/TextHelpers.h"

#include "common/AppGlobals.h"
#include "platform/AnsiCodec.h"
#include "platform/AppError.h"
#include "support/TestEnv.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <gtest/gtest.h>

namespace {

QString u8(const char* s)
{
    return QString::fromUtf8(s);
}

} // namespace

void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

TEST(TextHelpers, SlCoCutDropsSlashesAndColons)
{
    struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"2017/04/25", "20170425"},    {"12:07:09", "120709"}, {"", ""}, {"abc", "abc"}, {"/:/:", ""},
        {"日付/時刻：", "日付時刻："}, // full-width colon stays
    };
    for (auto& c : cases)
        EXPECT_EQ(SlCoCut(u8(c.in)), u8(c.out)) << c.in;
}

TEST(TextHelpers, FileNameErrorCheckRefusesEachForbiddenCharacter)
{
    for (QChar bad : QStringLiteral("/><?:;\"\\*|")) {
        for (const QString& name : {QString(bad), QStringLiteral("ab") + bad, bad + QStringLiteral("cd"),
                                    QStringLiteral("a") + bad + QStringLiteral("b")})
            EXPECT_FALSE(FileNameErrorCheck(name)) << name.toStdString();
    }
    struct {
        const char* name;
        bool ok;
    } cases[] = {
        {"", true},         {"Customer 01", true},
        {"山田太郎", true}, {"株式会社：東京", true}, // full-width colon
        {"Ａ／Ｂ", true},                             // full-width slash
        {"a.b", true},      {".hidden", true},
        {"a,b", true},      {"...x", true},
        {".", false},  // the folder itself
        {"..", false}, // its parent
        {"...", false},
    };
    for (auto& c : cases)
        EXPECT_EQ(FileNameErrorCheck(u8(c.name)), c.ok) << c.name;
}

TEST(TextHelpers, IsSingleByteText)
{
    struct {
        const char* text;
        bool single;
    } cases[] = {
        {"", true},      {"ABC-123", true}, {"ｱｲｳｴｵ", true}, // half-width katakana
        {"AＢC", false}, {"あ", false},     {"12①", false},
        {"a€", true}, // not in the code page: "?" counts one byte
    };
    for (auto& c : cases)
        EXPECT_EQ(IsSingleByteText(u8(c.text)), c.single) << c.text;
}

TEST(TextHelpers, HasDependentCharRanges)
{
    // Characters picked by their code page 932 code, at and around each
    // edge of the four ranges.
    struct {
        QByteArray bytes;
        bool dependent;
    } cases[] = {
        // The range edges 0x8540, 0x889E and the lone byte 0xA0 hold no
        // character of the code page; their nearest characters stand in.
        {"A", false},        {"\x7e", false},     {"\xa1", true},      // half-width katakana
        {"\xb1", true},      {"\xdf", true},      {"\x82\xa0", false}, // hiragana a
        {"\x84\xbe", false}, {"\x87\x40", true},  {"\x87\x54", true},  // circled one, Roman one
        {"\x87\x7e", true},  {"\x88\x9f", false}, {"\x98\x9f", false}, // first kanji of both levels
        {"\xea\xa4", false}, {"\xed\x40", true},  {"\xee\xfc", true},  // NEC-selected IBM extensions
        {"\xf0\x40", true},  {"\xf9\xfc", true},  {"\xfa\x40", true},  // user-defined, IBM extensions
        {"\xfb\xfc", true},  {"\xfc\x4b", true},
    };
    for (auto& c : cases) {
        // (A character of the NEC-selected rows encodes back to its IBM
        // twin; both ranges count alike.)
        const QString text = AnsiCodec::decode(c.bytes);
        ASSERT_FALSE(text.contains(QChar(0xFFFD))) << c.bytes.toHex().toStdString();
        EXPECT_EQ(HasDependentChar(text), c.dependent) << c.bytes.toHex().toStdString();
        EXPECT_EQ(HasDependentChar(QStringLiteral("plain ") + text + QStringLiteral(" text")), c.dependent)
            << c.bytes.toHex().toStdString();
    }
    EXPECT_FALSE(HasDependentChar(QString()));
    EXPECT_FALSE(HasDependentChar(QStringLiteral("")));
    EXPECT_FALSE(HasDependentChar(QStringLiteral("20170425_120709_0001-01-01.csv")));
    EXPECT_FALSE(HasDependentChar(u8("ひらがなカタカナ漢字")));
    EXPECT_TRUE(HasDependentChar(u8("Ⅰ")));    // Roman numeral one, NEC row 13
    EXPECT_TRUE(HasDependentChar(u8("髙橋"))); // IBM extension 0xFBFC
}

TEST(TextHelpers, TrimAtNull)
{
    const QChar nul(0);
    EXPECT_EQ(TrimAtNull(QStringLiteral("  Service Pack 3") + nul + QStringLiteral("junk  ")),
              QStringLiteral("Service Pack 3"));
    EXPECT_EQ(TrimAtNull(QStringLiteral("  a b  ")), QStringLiteral("a b"));
    EXPECT_EQ(TrimAtNull(QString(nul) + QStringLiteral("x")), QString());
    EXPECT_EQ(TrimAtNull(QString()), QString());
    EXPECT_EQ(TrimAtNull(QStringLiteral("\tC\t")), QStringLiteral("\tC\t")); // blanks only
}

TEST(TextHelpers, LoWordOf)
{
    EXPECT_EQ(LoWordOf(0), 0);
    EXPECT_EQ(LoWordOf(0x12345678), 0x5678);
    EXPECT_EQ(LoWordOf(-1), 0xFFFF);
    EXPECT_EQ(LoWordOf(0x00010200), 0x0200);
    EXPECT_EQ(LoWordOf(std::int32_t(0x80000000u)), 0);
}

TEST(TextHelpers, QuickSortStrings)
{
    struct {
        QStringList in;
        int first, last;
        QStringList out;
    } cases[] = {
        {{"b", "", "a", "B"}, 0, 3, {"", "B", "a", "b"}},
        {{"b", "", "a", "B"}, 1, 2, {"b", "", "a", "B"}}, // only the range moves
        {{"d", "c", "b", "a"}, 1, 3, {"d", "a", "b", "c"}},
        {{"x"}, 0, 0, {"x"}},
        {{}, 0, -1, {}},
        {{"b", "a"}, 1, 0, {"b", "a"}}, // first above last: nothing
        {{"a", "a", "a"}, 0, 2, {"a", "a", "a"}},
        {{"_2", "_10", "_1", "~", "Z", "z", "あ", "ア"},
         0,
         7,
         {"Z", "_1", "_10", "_2", "z", "~", "あ", "ア"}},
    };
    for (auto& c : cases) {
        QStringList items = c.in;
        QuickSortStrings(items, c.first, c.last, 0);
        EXPECT_EQ(items, c.out) << c.in.join(u',').toStdString();
    }
}

TEST(TextHelpers, QuickSortStringsSortsFilePathsLikeAStableReference)
{
    // A larger list, sorted and reverse-sorted input included: the result
    // is the binary order.
    QStringList paths;
    for (int i = 0; i < 1200; ++i)
        paths.append(
            QStringLiteral("/d/2017%1_%2.csv").arg((i * 7919) % 997, 4, 10, QChar(u'0')).arg(i % 13));
    paths.append(QString());
    for (QStringList items : {paths,
                              [&] {
                                  QStringList s = paths;
                                  std::sort(s.begin(), s.end());
                                  return s;
                              }(),
                              [&] {
                                  QStringList s = paths;
                                  std::sort(s.rbegin(), s.rend());
                                  return s;
                              }()}) {
        QStringList expected = items;
        std::sort(expected.begin(), expected.end());
        QuickSortStrings(items, 0, int(items.size()) - 1, 0);
        EXPECT_EQ(items, expected);
    }
}

TEST(TextHelpers, QuickSortStringsOutsideTheArrayIsAnError)
{
    QStringList items{"b", "a"};
    EXPECT_THROW(QuickSortStrings(items, 0, 2, 0), AppError);
    EXPECT_THROW(QuickSortStrings(items, -1, 1, 0), AppError);
}

TEST(TextHelpers, RoundUp)
{
    TestEnv env;
    struct {
        double in, out;
    } cases[] = {
        {2.3, 3}, {-2.3, -3},  {2, 2},    {0, 0},        {-0.5, -1},
        {10, 10}, {0.0001, 1}, {-0.0, 0}, {99.999, 100}, {1e300, 1e300},
    };
    for (auto& c : cases) {
        const double r = RoundUp(c.in);
        EXPECT_EQ(r, c.out) << c.in;
        EXPECT_FALSE(std::signbit(r) && r == 0) << c.in;
    }
    EXPECT_TRUE(env.dialogs->log.isEmpty());

    EXPECT_EQ(RoundUp(std::numeric_limits<double>::infinity()), 0);
    EXPECT_EQ(RoundUp(std::numeric_limits<double>::quiet_NaN()), 0);
    ASSERT_EQ(env.dialogs->log.size(), 2);
    EXPECT_EQ(env.dialogs->log[0].message.text, QStringLiteral("ERROR No:6 Overflow"));
    EXPECT_EQ(env.dialogs->log[0].message.title, QStringLiteral("RoundUp"));
}

TEST(TextHelpers, AFieldOfADataFileIsOneLine)
{
    struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"", ""},
        {"Nagano 1-2", "Nagano 1-2"},
        {"a\r\nb", "a  b"}, // CR LF: a blank for each
        {"a\rb", "a b"},
        {"a\nb", "a b"},
        {"\r\nab\r", "  ab "},
        {"a\xe2\x80\xa8" "b\xe2\x80\xa9" "c\xc2\x85" "d", "a b c d"}, // line and paragraph separators, NEL
        {"tab\tstays", "tab\tstays"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(OneLineText(u8(c.in)), u8(c.out)) << c.in;
}

TEST(TextHelpers, ACharacterTheDataFilesCannotHoldIsNamedWithItsField)
{
    TestEnv env;
    TestEnv::loadUiText();
    EXPECT_EQ(CharNotHeld(u8("東京 1-2")), QString());
    EXPECT_EQ(CharNotHeld(u8("Müllerstraße")), u8("ü"));
    EXPECT_EQ(CharNotHeld(u8("x😀y")), u8("😀"));

    EXPECT_EQ(TextNotHeldRefusal({{u8("Address"), u8("東京")}, {u8("Mail"), u8("m@example.jp")}}), QString());
    const QString refusal =
        TextNotHeldRefusal({{u8("Address"), u8("東京")}, {u8("Phone 1"), u8("Straße")}, {u8("Mail"), u8("é")}});
    EXPECT_TRUE(refusal.startsWith(Global::UiText.value(UiTextNotHeld))) << refusal.toStdString();
    EXPECT_TRUE(refusal.endsWith(u8("Phone 1: \"ß\" (U+00DF)"))) << refusal.toStdString();
    EXPECT_TRUE(TextNotHeldRefusal({{u8("Memo"), u8("a😀")}}).endsWith(u8("\"😀\" (U+1F600)")));
}

TEST(TextHelpers, DataFileBytesWriteFieldsOnOneLineAndTheMemoOnItsOwnLines)
{
    EXPECT_EQ(DataFileBytes({u8("a\r\nb"), u8("東"), QString()}),
              QByteArray("a  b\r\n\x93\x8C\r\n\r\n"));
    EXPECT_EQ(DataFileBytes({u8("x")}, u8("m1\r\nm2\rm3\nm4")), QByteArray("x\r\nm1\r\nm2\r\nm3\r\nm4\r\n"));
    EXPECT_EQ(DataFileBytes({u8("x")}, QString()), QByteArray("x\r\n\r\n")) << "an empty memo is one empty line";
    for (const char* bad : {"Café", "\xf0\x9f\x98\x80"}) {
        EXPECT_THROW(DataFileBytes({u8(bad)}), AppError) << bad;
        EXPECT_THROW(DataFileBytes({u8("x")}, u8(bad)), AppError) << bad;
    }
}

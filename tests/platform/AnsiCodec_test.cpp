#include "platform/AnsiCodec.h"

#include <gtest/gtest.h>

TEST(AnsiCodec, EncodesAndDecodesCodePage932)
{
    struct Case {
        const char* utf8;
        QByteArray bytes;
    } cases[] = {
        {"abc", "abc"},
        {"\\~", "\\~"},
        {"あ", "\x82\xa0"},
        {"日本", "\x93\xfa\x96\x7b"},
        {"ｱ", "\xb1"},           // half-width katakana
        {"①", "\x87\x40"},       // NEC special character
        {"～", "\x81\x60"},      // full-width tilde
        {"，", "\x81\x43"},      // full-width comma
        {"髙", "\xfb\xfc"},      // IBM extension
    };
    for (const Case& c : cases) {
        QString text = QString::fromUtf8(c.utf8);
        EXPECT_EQ(AnsiCodec::encode(text), c.bytes) << c.utf8;
        EXPECT_EQ(AnsiCodec::decode(c.bytes), text) << c.utf8;
        EXPECT_EQ(AnsiCodec::byteLength(text), c.bytes.size()) << c.utf8;
    }
}

TEST(AnsiCodec, UnrepresentableCharactersBecomeOneQuestionMark)
{
    QString text = QString::fromUtf8("a€b😀c한");
    EXPECT_EQ(AnsiCodec::encode(text), QByteArray("a?b?c?"));
    EXPECT_EQ(AnsiCodec::byteLength(text), 6);
    EXPECT_EQ(AnsiCodec::charCode(U'😀'), quint16('?'));
}

TEST(AnsiCodec, CharacterCodes)
{
    EXPECT_EQ(AnsiCodec::charCode(U'A'), 0x41);
    EXPECT_EQ(AnsiCodec::charCode(U'あ'), 0x82A0);
    EXPECT_EQ(AnsiCodec::charCode(U'①'), 0x8740);
    EXPECT_EQ(AnsiCodec::charCode(U'ｱ'), 0xB1);
    QList<quint16> expected{0x41, 0x82A0, 0xB1};
    EXPECT_EQ(AnsiCodec::charCodes(QString::fromUtf8("Aあｱ")), expected);
}

TEST(AnsiCodec, SplitsLinesAtCrLfLoneCrOrLf)
{
    struct Case {
        QByteArray bytes;
        QStringList lines;
    } cases[] = {
        {"", {}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\r\nb", {"a", "b"}},
        {"a\rb\r", {"a", "b"}},
        {"a\r\n\r\nb", {"a", "", "b"}},
        {"a\nb\r\nc", {"a\nb", "c"}}, // a LF without CR stays when the file has CRs
        {"a\nb\n", {"a", "b"}},       // a file without any CR splits at LF
        {"\r\n", {""}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AnsiCodec::splitLines(c.bytes), c.lines) << c.bytes.toStdString();
    EXPECT_EQ(AnsiCodec::joinLines({"a", QString::fromUtf8("あ")}), QByteArray("a\r\n\x82\xa0\r\n"));
}

TEST(AnsiCodec, EveryByteOutsideDoubleByteCharactersRoundTrips)
{
    // Control characters pass unchanged, and the single bytes that only
    // Windows maps (0x80, 0xA0, 0xFD-0xFF) come back as they were.
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        if (!((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)))
            all.append(char(b));
    const QString text = AnsiCodec::decode(all);
    EXPECT_EQ(text.size(), all.size());
    EXPECT_FALSE(text.contains(QChar(0xFFFD)));
    EXPECT_EQ(AnsiCodec::encode(text), all);
    EXPECT_EQ(AnsiCodec::decode(QByteArray("\x1a\x1c\x7f")), QString::fromLatin1("\x1a\x1c\x7f"));
}

TEST(AnsiCodec, BrokenDoubleByteCharactersDecodeToReplacement)
{
    EXPECT_EQ(AnsiCodec::decode(QByteArray("\x81")), QString(QChar(0xFFFD)));
    EXPECT_EQ(AnsiCodec::decode(QByteArray("\x82 a")), QString(QChar(0xFFFD)) + QStringLiteral(" a"));
    EXPECT_EQ(AnsiCodec::decode(QByteArray("a\x82\xa0")), QString::fromUtf8("aあ"));
}

// Every two-byte sequence decodes to one character that encodes back to a
// sequence of the same character (NEC and IBM duplicates to one of them),
// or to the replacement character and what follows it.
TEST(AnsiCodec, EveryDoubleByteSequenceDecodesToACharacterThatRoundTrips)
{
    int characters = 0;
    for (int lead : {0x81, 0x88, 0x9F, 0xE0, 0xEA, 0xED, 0xEE, 0xF0, 0xFA, 0xFB, 0xFC}) {
        for (int second = 0x40; second <= 0xFC; ++second) {
            const char bytes[2] = {char(lead), char(second)};
            const QByteArray pair(bytes, 2);
            const QString text = AnsiCodec::decode(pair);
            ASSERT_FALSE(text.isEmpty());
            if (text.size() == 1 && text[0] != QChar(0xFFFD)) {
                ++characters;
                EXPECT_EQ(AnsiCodec::decode(AnsiCodec::encode(text)), text) << lead << " " << second;
                // The same inside a text, after and before other characters.
                EXPECT_EQ(AnsiCodec::decode("a" + pair + "\x82\xa0"), "a" + text + QString::fromUtf8("あ"));
            } else {
                EXPECT_EQ(text[0], QChar(0xFFFD)) << lead << " " << second;
            }
        }
    }
    EXPECT_GT(characters, 1000);
}

TEST(AnsiCodec, TypedLookAlikesAreWrittenAsWindowsWritesThem)
{
    struct Case {
        const char* utf8;
        QByteArray bytes;
    } cases[] = {
        {"〜", "\x81\x60"}, {"‖", "\x81\x61"}, {"−", "\x81\x7c"}, {"—", "\x81\x5c"},
        {"¢", "\x81\x91"},  {"£", "\x81\x92"}, {"¬", "\x81\xca"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(AnsiCodec::encode(QString::fromUtf8(c.utf8)), c.bytes) << c.utf8;
        EXPECT_EQ(AnsiCodec::byteLength(QString::fromUtf8(c.utf8)), 2) << c.utf8;
    }
}

TEST(AnsiCodec, TellsWhichCharactersCodePage932Holds)
{
    struct {
        const char* utf8;
        qsizetype firstUnheld;
    } cases[] = {
        {"", -1},
        {"plain ASCII ?", -1},
        {"全角カナ ｶﾅ 〜", -1}, // the wave dash is written as Windows writes it
        {"Müller", 1},
        {"Straße", 4},
        {"Café", 3},
        {"ab😀", 2}, // a surrogate pair, outside the code page
        {"€5", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AnsiCodec::firstUnheld(QString::fromUtf8(c.utf8)), c.firstUnheld) << c.utf8;
    EXPECT_EQ(AnsiCodec::firstUnheld(QString(QChar(0xD800)) + u'a'), 0) << "a lone surrogate";
    EXPECT_TRUE(AnsiCodec::holds(U'?'));
    EXPECT_TRUE(AnsiCodec::holds(U'東'));
    EXPECT_FALSE(AnsiCodec::holds(U'ü'));
}

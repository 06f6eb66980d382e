#include "instrument/MeasFile.h"

#include "app/Global.h"
#include "platform/AnsiCodec.h"
#include "platform/AppError.h"
#include "platform/FileIo.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

QByteArray Fixture(const char* name)
{
    auto bytes = ReadFileBytes(QStringLiteral(HX_FIXTURES "/measfile/") + QString::fromLatin1(name));
    EXPECT_TRUE(bytes.has_value()) << name;
    return bytes.value_or(QByteArray());
}

// The texts the fixtures give their points.
QString Volt(int k)
{
    return QString::number(100 + k) + QStringLiteral(".5");
}
QString Amp(int k)
{
    return QString::number(k % 10) + u'.' + QStringLiteral("%1").arg(k, 3, 10, QChar(u'0'));
}

// A record with a distinct text in every field and every point.
MeasRecord Sample(const QString& version)
{
    MeasRecord r;
    for (int n = 0; n < MeasRecord::FieldCount; ++n)
        r.F[std::size_t(n)] = QStringLiteral("w%1").arg(n);
    r.F[0] = QStringLiteral("0012-03-01");
    r.F[1] = QStringLiteral("24/05/03");
    r.F[2] = QStringLiteral("10:15:30");
    r.F[3] = QString();
    r.F[4] = QString();
    r.F[9] = QString();
    r.F[40] = QStringLiteral("3");
    r.F[42] = version;
    r.F[43] = QStringLiteral("0.78");
    r.F[48] = QStringLiteral("計測器 ABC");
    for (int k = 0; k < MeasRecord::CurvePoints; ++k) {
        r.IvPoints[std::size_t(k)][0] = Volt(k);
        r.IvPoints[std::size_t(k)][1] = Amp(k);
    }
    return r;
}

MeasFileWriteOptions Options(MeasFileVariant v, bool secondTemp = false, bool byModel = false)
{
    MeasFileWriteOptions o;
    o.variant = v;
    o.withSecondTemperature = secondTemp;
    o.f18LabelByModel = byModel;
    return o;
}

QStringList Lines(const QByteArray& bytes)
{
    return AnsiCodec::splitLines(bytes);
}

class MeasFileTest : public ::testing::Test {
  protected:
    void SetUp() override { TestEnv::loadUiText(); }
    TestEnv env;
};

} // namespace

TEST_F(MeasFileTest, NameFromDateTimeAndNumber)
{
    MeasRecord r = Sample(QStringLiteral("8.3"));
    EXPECT_EQ(MeasFileName(r), "240503_101530_0012-03-01.csv");
}

TEST_F(MeasFileTest, WrittenReadOutFileMatchesFixtureByteForByte)
{
    MeasRecord r = Sample(QStringLiteral("8.5"));
    const QByteArray bytes = MeasFileBytes(r, Options(MeasFileVariant::ReadOut, false, true));
    EXPECT_EQ(bytes, Fixture("written_readout_85.csv"));
    EXPECT_EQ(Lines(bytes).size(), 167);
}

TEST_F(MeasFileTest, LabelledLayoutLineSetAndLabels)
{
    MeasRecord r = Sample(QStringLiteral("8.5"));
    r.F[3] = QStringLiteral("屋根南面");
    r.F[8] = QStringLiteral("30.5");
    r.F[9] = QStringLiteral("31.0");
    const QStringList hist = Lines(MeasFileBytes(r, Options(MeasFileVariant::History, true)));
    ASSERT_EQ(hist.size(), 168);
    EXPECT_EQ(hist[4], Global::UiText[603] + QStringLiteral(",屋根南面"));
    EXPECT_EQ(hist[8], Global::UiText[607] + QStringLiteral(",30.5,31.0"));
    EXPECT_EQ(hist[17], Global::UiText[644] + QStringLiteral(",0.78"));
    EXPECT_EQ(hist[18], Global::UiText[616] + QStringLiteral(",w18")); // not by model here
    EXPECT_EQ(hist[38], Global::UiText[645] + QStringLiteral(",w44"));
    EXPECT_EQ(hist[45], Global::UiText[639] + QStringLiteral(",w41"));
    EXPECT_EQ(hist[46], Global::UiText[640] + QStringLiteral(",計測器 ABC"));
    EXPECT_EQ(hist[47], Global::UiText[641] + u',' + Global::UiText[642] + u',' + Global::UiText[643]);
    EXPECT_EQ(hist[48], QStringLiteral("0,100.5,0.000"));
    EXPECT_EQ(hist[167], QStringLiteral("119,219.5,9.119"));

    // F18's label by the instrument model, for the read-out only.
    struct Case {
        const char* model;
        int key;
    } cases[] = {{"0", 649}, {"5", 649}, {"8", 649}, {"9", 649}, {"6", 616},
                 {"7", 616}, {"A", 616}, {"G", 616}, {"", 616},  {"05", 616}};
    for (const Case& c : cases) {
        r.F[40] = QString::fromLatin1(c.model);
        const QStringList ro = Lines(MeasFileBytes(r, Options(MeasFileVariant::ReadOut, false, true)));
        EXPECT_EQ(ro[17], Global::UiText[c.key] + QStringLiteral(",w18")) << c.model;
    }
}

TEST_F(MeasFileTest, VersionLineAndFillFactorBelowEightPointTwo)
{
    struct Case {
        const char* version;
        const char* f15;
        const char* f16;
        const char* f17;
        const char* verLine;
        const char* f43;
    } cases[] = {
        {"8.1", "150", "30", "6", "VER,8.3", "0.83"},   {"", "150", "30", "6", "VER,8.3", "0.83"},
        {"8.1", "150", "0", "6", "VER,8.3", ""},        {"8.1", "150", "30", "", "VER,8.3", ""},
        {"8.2", "150", "30", "6", "VER,8.3", "0.78"}, // 8.2: the instrument's F43 stays
        {"8.30", "150", "30", "6", "VER,8.30", "0.78"}, {"9", "150", "30", "6", "VER,9", "0.78"},
        // A fill factor that cannot be computed is no number: "--".
        {"8.1", "1E300", "1E-10", "1E-10", "VER,8.3", "--"}, // the quotient overflows
        {"8.1", "150", "1E200", "1E200", "VER,8.3", "--"},   // the product overflows
    };
    for (const Case& c : cases) {
        MeasRecord r = Sample(QString::fromLatin1(c.version));
        r.F[15] = QString::fromLatin1(c.f15);
        r.F[16] = QString::fromLatin1(c.f16);
        r.F[17] = QString::fromLatin1(c.f17);
        const QStringList lines = Lines(MeasFileBytes(r, Options(MeasFileVariant::ReadOut)));
        EXPECT_EQ(lines[0], c.verLine) << c.version;
        EXPECT_EQ(r.F[43], c.f43) << c.version; // stored into the record
        EXPECT_EQ(lines[16], Global::UiText[644] + u',' + QString::fromLatin1(c.f43)) << c.version;
    }
}

TEST_F(MeasFileTest, RoundTripBothVariants)
{
    for (const char* version : {"8.5", "8.3"}) {
        MeasRecord r = Sample(QString::fromLatin1(version));
        r.F[3] = QStringLiteral("東面 2列目");

        MeasRecord hist =
            ReadMeasFileBytes(MeasFileBytes(r, Options(MeasFileVariant::History)), MeasFileVariant::History);
        MeasRecord expected = r;
        expected.F[9] = r.F[8]; // one value on the temperature line: F9 takes F8
        EXPECT_EQ(hist, expected) << version;

        MeasRecord ro = ReadMeasFileBytes(MeasFileBytes(r, Options(MeasFileVariant::ReadOut, false, true)),
                                          MeasFileVariant::ReadOut);
        expected = r;
        expected.F[3].clear();
        EXPECT_EQ(ro, expected) << version;
        EXPECT_TRUE(ro.IvPoints[120][0].isEmpty());
    }
}

TEST_F(MeasFileTest, RecordBelowEightPointThreeReadsBackAsEightPointThree)
{
    MeasRecord r = Sample(QStringLiteral("8.1"));
    r.F[15] = QStringLiteral("150");
    r.F[16] = QStringLiteral("30");
    r.F[17] = QStringLiteral("6");
    for (int n = 44; n <= 47; ++n)
        r.F[std::size_t(n)].clear();
    MeasFileInfo info;
    MeasRecord back = ReadMeasFileBytes(MeasFileBytes(r, Options(MeasFileVariant::ReadOut)),
                                        MeasFileVariant::ReadOut, &info);
    EXPECT_EQ(info.layout, MeasFileLayout::Labelled);
    EXPECT_EQ(back.F[42], "8.3");
    EXPECT_EQ(back.F[43], "0.83");
    EXPECT_EQ(back.F[44], "");
    r.F[42] = QStringLiteral("8.3");
    EXPECT_EQ(back, r);
}

TEST_F(MeasFileTest, SecondTemperatureOnlyForHistoryReaders)
{
    MeasRecord r = Sample(QStringLiteral("8.3"));
    r.F[8] = QStringLiteral("30.5");
    r.F[9] = QStringLiteral("31.0");
    MeasRecord h = ReadMeasFileBytes(MeasFileBytes(r, Options(MeasFileVariant::History, true)),
                                     MeasFileVariant::History);
    EXPECT_EQ(h.F[8], "30.5");
    EXPECT_EQ(h.F[9], "31.0");
    MeasRecord ro = ReadMeasFileBytes(MeasFileBytes(r, Options(MeasFileVariant::ReadOut, true)),
                                      MeasFileVariant::ReadOut);
    EXPECT_EQ(ro.F[8], "30.5");
    EXPECT_EQ(ro.F[9], "");
}

TEST_F(MeasFileTest, BareLayoutCRoundTrip)
{
    MeasRecord r = Sample(QStringLiteral(""));
    r.F[4] = QStringLiteral("w4");
    const QByteArray bytes = MeasFileReadOutBytes(r, 1120);
    EXPECT_EQ(Lines(bytes).size(), 280);
    MeasFileInfo info;
    MeasRecord back = ReadMeasFileBytes(bytes, MeasFileVariant::ReadOut, &info);
    EXPECT_EQ(info.layout, MeasFileLayout::BareC);
    EXPECT_EQ(info.lineCount, 281);
    MeasRecord expected = r;
    for (int n : {3, 9, 41, 42, 43, 44, 45, 46, 47})
        expected.F[std::size_t(n)].clear();
    EXPECT_EQ(back, expected);
}

// Every older layout, from a file as users have them (code page 932, CR LF).
TEST_F(MeasFileTest, ReadsEveryOlderLayoutFromFixtures)
{
    struct Case {
        const char* file;
        MeasFileVariant variant;
        MeasFileLayout layout;
        int last; // last field of the F10.. run
        bool f43; // the file has an F43 line
        const char* f8;
        const char* f9;
        const char* f42;
    } cases[] = {
        {"bare_a_readout.csv", MeasFileVariant::ReadOut, MeasFileLayout::BareA, 26, false, "25.3", "", ""},
        {"bare_b_readout.csv", MeasFileVariant::ReadOut, MeasFileLayout::BareB, 31, false, "25.3", "", ""},
        {"bare_c_readout.csv", MeasFileVariant::ReadOut, MeasFileLayout::BareC, 40, false, "25.3", "", ""},
        {"bare_a_history.csv", MeasFileVariant::History, MeasFileLayout::BareA, 26, false, "25.3", "26.1",
         ""},
        {"bare_b_history.csv", MeasFileVariant::History, MeasFileLayout::BareB, 31, false, "25.3", "25.3",
         ""},
        {"bare_c_history.csv", MeasFileVariant::History, MeasFileLayout::BareC, 40, false, "25.3", "26.1",
         ""},
        {"labelled_82_history.csv", MeasFileVariant::History, MeasFileLayout::Labelled, 41, true, "25.3", "",
         "8.2"},
        {"labelled_81_readout.csv", MeasFileVariant::ReadOut, MeasFileLayout::Labelled, 41, false, "25.3", "",
         "8.1"},
        {"labelled_80_history.csv", MeasFileVariant::History, MeasFileLayout::Labelled, 41, false, "25.3", "",
         "8"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        MeasFileInfo info;
        const MeasRecord r = ReadMeasFileBytes(Fixture(c.file), c.variant, &info);
        EXPECT_EQ(info.layout, c.layout);
        EXPECT_EQ(r.F[0], "0007-02-05");
        EXPECT_EQ(r.F[1], "24/05/03"); // "2024/05/03" cut to its two-digit year
        EXPECT_EQ(r.F[2], "10:15:30");
        EXPECT_EQ(r.F[3], c.variant == MeasFileVariant::History ? "屋根南面" : "");
        EXPECT_EQ(r.F[4], "");
        for (int n : {5, 6, 7})
            EXPECT_EQ(r.F[std::size_t(n)], QStringLiteral("x%1").arg(n, 2, 10, QChar(u'0')));
        EXPECT_EQ(r.F[8], c.f8);
        EXPECT_EQ(r.F[9], c.f9);
        for (int n = 10; n <= 41; ++n) {
            QString want = n <= c.last ? QStringLiteral("x%1").arg(n) : QString();
            if (n == 40 && n <= c.last)
                want = QStringLiteral("7");
            EXPECT_EQ(r.F[std::size_t(n)], want) << "F" << n;
        }
        EXPECT_EQ(r.F[42], c.f42);
        EXPECT_EQ(r.F[43], c.f43 ? "x43" : "");
        for (int n = 44; n <= 47; ++n)
            EXPECT_EQ(r.F[std::size_t(n)], "");
        EXPECT_EQ(r.F[48], "計測器 ABC");
        for (int k = 0; k < 120; ++k) {
            EXPECT_EQ(r.IvPoints[std::size_t(k)][0], Volt(k)) << k;
            EXPECT_EQ(r.IvPoints[std::size_t(k)][1], Amp(k)) << k;
            EXPECT_EQ(r.IvPoints[std::size_t(k)][2], "");
        }
        EXPECT_TRUE(r.IvPoints[120][0].isEmpty());
    }
}

TEST_F(MeasFileTest, BareTemperatureLineSplitsIntoTwoParts)
{
    struct Case {
        const char* line;
        const char* f8;
        const char* f9;
    } cases[] = {{"25.3,26.1,27.0", "25.3", "26.1"}, {"25.3,", "25.3", ""}, {",26.1", "", "26.1"},
                 {"25.3", "25.3", "25.3"}};
    for (const Case& c : cases) {
        QByteArray bytes = Fixture("bare_a_history.csv");
        bytes.replace("\r\n25.3,26.1\r\n", "\r\n" + QByteArray(c.line) + "\r\n");
        const MeasRecord h = ReadMeasFileBytes(bytes, MeasFileVariant::History);
        EXPECT_EQ(h.F[8], c.f8) << c.line;
        EXPECT_EQ(h.F[9], c.f9) << c.line;
        EXPECT_EQ(h.F[10], "x10") << c.line;
        // The instrument-data list takes the whole line.
        QByteArray ro = Fixture("bare_a_readout.csv");
        ro.replace("\r\nx07\r\n25.3\r\n", "\r\nx07\r\n" + QByteArray(c.line) + "\r\n");
        EXPECT_EQ(ReadMeasFileBytes(ro, MeasFileVariant::ReadOut).F[8], c.line);
    }
}

TEST_F(MeasFileTest, LineCountChoosesTheLayout)
{
    const QByteArray a = Fixture("bare_a_readout.csv"); // 266 lines
    MeasFileInfo info;
    ReadMeasFileBytes(a, MeasFileVariant::ReadOut, &info);
    EXPECT_EQ(info.lineCount, 267);
    EXPECT_EQ(info.layout, MeasFileLayout::BareA);

    MeasRecord r = ReadMeasFileBytes(a + "\r\n", MeasFileVariant::ReadOut, &info);
    EXPECT_EQ(info.layout, MeasFileLayout::BareA);
    EXPECT_EQ(r.F[0], "0007-02-05");

    r = ReadMeasFileBytes(a + "\r\n\r\n", MeasFileVariant::ReadOut, &info);
    EXPECT_EQ(info.layout, MeasFileLayout::NoVersion);
    EXPECT_EQ(r, MeasRecord{});

    // Read as the history variant, a read-out file's lines are taken one
    // further on; its last current is then missing and reads empty.
    r = ReadMeasFileBytes(a, MeasFileVariant::History, &info);
    EXPECT_EQ(r.F[3], ""); // the F4 line
    EXPECT_EQ(r.F[4], "x05");
    EXPECT_EQ(r.F[8], "x10");
    EXPECT_EQ(r.F[9], "x10");
    EXPECT_EQ(r.IvPoints[118][1], Amp(119));
    EXPECT_EQ(r.IvPoints[119][1], "");
}

TEST_F(MeasFileTest, VersionLineSelectsTheTable)
{
    // A labelled read-out file whose lines all hold their position number.
    auto file = [](const QString& verLine) {
        QStringList lines{verLine};
        for (int n = 1; n < 60; ++n)
            lines.append(QStringLiteral("L,p%1,q%1").arg(n));
        return AnsiCodec::joinLines(lines);
    };
    struct Case {
        const char* ver;
        int f48pos;
        int f43pos; // 0: none
        int f44pos; // 0: none
    } cases[] = {
        {"ver,8.30", 45, 16, 37},  {"VER,8.25", 41, 16, 0}, {"VER,abc", 40, 0, 0},
        {"Ver,8.5,x", 45, 16, 37}, {"VER,8.2", 41, 16, 0},  {"VER,8.19", 40, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ver);
        const MeasRecord r = ReadMeasFileBytes(file(QString::fromLatin1(c.ver)), MeasFileVariant::ReadOut);
        EXPECT_EQ(r.F[48], QStringLiteral("p%1").arg(c.f48pos));
        EXPECT_EQ(r.F[43], c.f43pos ? QStringLiteral("p%1").arg(c.f43pos) : QString());
        EXPECT_EQ(r.F[44], c.f44pos ? QStringLiteral("p%1").arg(c.f44pos) : QString());
        EXPECT_EQ(r.F[8], "p7");
        // Points start after the header: 47, 43 or 42 in the read-out variant.
        EXPECT_EQ(r.IvPoints[0][0], QStringLiteral("p%1").arg(c.f48pos + 2));
        EXPECT_EQ(r.IvPoints[0][1], QStringLiteral("q%1").arg(c.f48pos + 2));
    }
    EXPECT_EQ(ReadMeasFileBytes(file(QStringLiteral("VER")), MeasFileVariant::ReadOut), MeasRecord{});
    EXPECT_EQ(ReadMeasFileBytes(file(QStringLiteral("VERSION,8.3")), MeasFileVariant::ReadOut), MeasRecord{});
}

TEST_F(MeasFileTest, LinesWithoutCommaDoNotCountAndCommasSplitValues)
{
    MeasRecord r = Sample(QStringLiteral("8.3"));
    r.F[3] = QStringLiteral("A,B");
    QStringList lines = Lines(MeasFileBytes(r, Options(MeasFileVariant::History)));
    lines.insert(5, QString());
    lines.insert(10, QStringLiteral("a note without a comma"));
    lines.insert(60, QStringLiteral("7,8")); // a two-part line among the points
    MeasRecord back = ReadMeasFileBytes(AnsiCodec::joinLines(lines), MeasFileVariant::History);
    EXPECT_EQ(back.F[3], "A");
    EXPECT_EQ(back.F[5], "w5");
    EXPECT_EQ(back.F[48], "計測器 ABC");
    EXPECT_EQ(back.IvPoints[119][0], Volt(119));

    // A file that ends early leaves the rest empty.
    lines = Lines(MeasFileBytes(r, Options(MeasFileVariant::ReadOut)));
    back = ReadMeasFileBytes(AnsiCodec::joinLines(lines.mid(0, 20)), MeasFileVariant::ReadOut);
    EXPECT_EQ(back.F[20], "w20");
    EXPECT_EQ(back.F[21], "");
    EXPECT_EQ(back.IvPoints[0][0], "");
}

TEST_F(MeasFileTest, LabelsOfAnotherLanguageReadTheSame)
{
    MeasRecord r = Sample(QStringLiteral("8.5"));
    r.F[3] = QStringLiteral("南");
    TestEnv::loadUiText(QStringLiteral("Japanese"));
    const QByteArray ja = MeasFileBytes(r, Options(MeasFileVariant::History));
    TestEnv::loadUiText(QStringLiteral("English"));
    const QByteArray en = MeasFileBytes(r, Options(MeasFileVariant::History));
    EXPECT_NE(ja, en);
    EXPECT_EQ(ReadMeasFileBytes(ja, MeasFileVariant::History),
              ReadMeasFileBytes(en, MeasFileVariant::History));
}

TEST_F(MeasFileTest, CommaInALabelIsWrittenFullWidth)
{
    Global::UiText[600] = QStringLiteral("No,");
    Global::UiText[641] = QStringLiteral("k,");
    MeasRecord r = Sample(QStringLiteral("8.3"));
    const QByteArray bytes = MeasFileBytes(r, Options(MeasFileVariant::ReadOut));
    const QStringList lines = Lines(bytes);
    EXPECT_EQ(lines[1], QStringLiteral("No\uFF0C,0012-03-01"));
    EXPECT_TRUE(bytes.contains(QByteArray("No\x81\x43,0012-03-01")));
    MeasRecord expected = r;
    EXPECT_EQ(ReadMeasFileBytes(bytes, MeasFileVariant::ReadOut), expected);
}

TEST_F(MeasFileTest, LineBreakInAValueIsWrittenAsABlank)
{
    MeasRecord r = Sample(QStringLiteral("8.3"));
    r.F[48] = QStringLiteral("AB\r\nCD");
    const QByteArray bytes = MeasFileBytes(r, Options(MeasFileVariant::ReadOut));
    EXPECT_EQ(Lines(bytes).size(), 167);
    EXPECT_EQ(ReadMeasFileBytes(bytes, MeasFileVariant::ReadOut).F[48], "AB  CD");
    EXPECT_EQ(Lines(MeasFileReadOutBytes(r, 1120)).size(), 280);
}

TEST_F(MeasFileTest, BadFilesReadAsEmptyOrPartialRecords)
{
    MeasFileInfo info;
    EXPECT_EQ(ReadMeasFileBytes(QByteArray(), MeasFileVariant::History, &info), MeasRecord{});
    EXPECT_EQ(info.layout, MeasFileLayout::EmptyFile);
    EXPECT_EQ(info.lineCount, 1);

    // More than 121 point lines: the 121st fills row 120, the rest are ignored.
    MeasRecord r = Sample(QStringLiteral("8.3"));
    QStringList lines = Lines(MeasFileBytes(r, Options(MeasFileVariant::ReadOut)));
    for (int k = 120; k < 130; ++k)
        lines.append(QStringLiteral("%1,%2,%3").arg(k).arg(Volt(k), Amp(k)));
    MeasRecord back = ReadMeasFileBytes(AnsiCodec::joinLines(lines), MeasFileVariant::ReadOut);
    EXPECT_EQ(back.IvPoints[120][0], Volt(120));
    EXPECT_EQ(back.IvPoints[119][1], Amp(119));
}

TEST_F(MeasFileTest, LfAndCrLineEndsReadLikeCrLf)
{
    for (const char* name : {"bare_b_history.csv", "labelled_82_history.csv"}) {
        const QByteArray crlf = Fixture(name);
        QByteArray lf = crlf, cr = crlf;
        lf.replace("\r\n", "\n");
        cr.replace("\r\n", "\r");
        MeasFileInfo a, b, c;
        const MeasRecord want = ReadMeasFileBytes(crlf, MeasFileVariant::History, &a);
        EXPECT_EQ(ReadMeasFileBytes(lf, MeasFileVariant::History, &b), want) << name;
        EXPECT_EQ(ReadMeasFileBytes(cr, MeasFileVariant::History, &c), want) << name;
        EXPECT_EQ(a.lineCount, b.lineCount);
        EXPECT_EQ(a.lineCount, c.lineCount);
    }
    EXPECT_EQ(MeasFileLineCount("a\r\nb\r\nc\r\n"), 4);
    EXPECT_EQ(MeasFileLineCount("a\r\nb"), 2);
    EXPECT_EQ(MeasFileLineCount(""), 1);
}

// Lines end as in the language files: where the file holds a CR, at CR LF
// or a lone CR, and a lone LF is part of its line; LF only where there is no
// CR at all.
TEST_F(MeasFileTest, ALoneLfInsideACrLfFileIsPartOfItsLine)
{
    struct Case {
        const char* bytes;
        int count;
    } counts[] = {
        {"a\r\nb\nc\r\n", 3}, {"a\rb\nc\r", 3}, {"a\nb\nc\n", 4}, {"a\n\rb", 2}, {"\n\n", 3},
    };
    for (const Case& c : counts)
        EXPECT_EQ(MeasFileLineCount(c.bytes), c.count) << c.bytes;

    // A value holding a lone LF shifts nothing: every point stays in place.
    for (const char* name : {"labelled_82_history.csv", "bare_b_history.csv"}) {
        SCOPED_TRACE(name);
        const QByteArray crlf = Fixture(name);
        const MeasRecord want = ReadMeasFileBytes(crlf, MeasFileVariant::History);
        QByteArray withLf = crlf;
        const qsizetype at = withLf.indexOf("\r\n") + 1;
        withLf.insert(at - 1, "\n"); // first line: "...\n\r\n"
        MeasFileInfo info;
        const MeasRecord got = ReadMeasFileBytes(withLf, MeasFileVariant::History, &info);
        EXPECT_EQ(info.lineCount, MeasFileLineCount(crlf));
        for (int k = 0; k < MeasRecord::CurvePoints; ++k)
            EXPECT_EQ(got.IvPoints[std::size_t(k)], want.IvPoints[std::size_t(k)]) << k;
        EXPECT_EQ(got.F[48], want.F[48]);
    }
}

// Bytes of the instrument that are no character of the code page on their
// own (a lead byte without its trail byte) read back as they were written.
TEST_F(MeasFileTest, LoneLeadBytesSurviveAWriteAndARead)
{
    MeasRecord r = Sample(QStringLiteral("8.3"));
    const QByteArray raw("Q\x81\x82A\xE0\xFC\xA0\xFD", 8);
    r.F[48].clear();
    for (unsigned char b : raw)
        r.F[48] += AnsiCodec::byteChar(b);
    const QByteArray bytes = MeasFileBytes(r, Options(MeasFileVariant::ReadOut));
    EXPECT_TRUE(bytes.contains("," + raw + "\r\n"));
    const MeasRecord back = ReadMeasFileBytes(bytes, MeasFileVariant::ReadOut);
    EXPECT_EQ(AnsiCodec::encode(back.F[48]), raw);
    MeasRecord again = back;
    EXPECT_EQ(MeasFileBytes(again, Options(MeasFileVariant::ReadOut)), bytes);
}

TEST_F(MeasFileTest, HistoryLoadRules)
{
    MeasFileInfo info;
    MeasRecord r = ReadMeasFileBytes(Fixture("labelled_80_history.csv"), MeasFileVariant::History, &info);
    r.F[15] = QStringLiteral("150");
    r.F[16] = QStringLiteral("30");
    r.F[17] = QStringLiteral("6");
    r.IvPoints[0][0] = QStringLiteral("10");
    r.IvPoints[0][1] = QStringLiteral("60");
    r.IvPoints[1][1] = QStringLiteral("-0.001");
    r.IvPoints[2][0] = QStringLiteral("2");
    r.IvPoints[2][1] = QStringLiteral("59.99");
    ApplyHistoryLoadRules(r, info);
    EXPECT_EQ(r.F[43], "0.83");
    EXPECT_EQ(r.IvPoints[0][1], "0");
    EXPECT_EQ(r.IvPoints[0][2], "0");
    EXPECT_EQ(r.IvPoints[1][1], "0");
    EXPECT_EQ(r.IvPoints[2][1], "59.99");
    EXPECT_EQ(r.IvPoints[2][2], "119.98");
    EXPECT_TRUE(r.IvPoints[120][2].isEmpty());

    r.F[16].clear();
    ApplyHistoryLoadRules(r, info);
    EXPECT_EQ(r.F[43], "--");

    // Bare files keep F43 empty; skipped files stay empty.
    MeasRecord bare = ReadMeasFileBytes(Fixture("bare_a_history.csv"), MeasFileVariant::History, &info);
    ApplyHistoryLoadRules(bare, info);
    EXPECT_EQ(bare.F[43], "");
    EXPECT_EQ(bare.IvPoints[1][2], "101.6015"); // 101.5 x 1.001
    MeasRecord none = ReadMeasFileBytes("no version", MeasFileVariant::History, &info);
    ApplyHistoryLoadRules(none, info);
    EXPECT_EQ(none, MeasRecord{});
}

TEST_F(MeasFileTest, WritingOnDisk)
{
    const QString folder = env.dataFolder() + QStringLiteral("/FORWARD_DATA/");
    ASSERT_TRUE(QDir().mkpath(folder));
    MeasRecord r = Sample(QStringLiteral("8.5"));
    const QString path = WriteReadOutMeasFile(folder, r, 1184);
    EXPECT_EQ(path, env.dataFolder() + QStringLiteral("/FORWARD_DATA/240503_101530_0012-03-01.csv"));
    EXPECT_EQ(ReadFileBytes(path).value(), Fixture("written_readout_85.csv"));
    EXPECT_EQ(ReadMeasFile(path, MeasFileVariant::ReadOut),
              ReadMeasFileBytes(Fixture("written_readout_85.csv"), MeasFileVariant::ReadOut));
    // Written again over the old file.
    r.F[5] = QStringLiteral("changed");
    WriteMeasFile(folder, r, Options(MeasFileVariant::ReadOut));
    EXPECT_EQ(ReadMeasFile(path, MeasFileVariant::ReadOut).F[5], "changed");
    EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), 1); // no temporary file left

    auto errorOf = [&](auto&& f) {
        try {
            f();
        } catch (const AppError& e) {
            return e.number;
        }
        return 0;
    };
    MeasRecord bad = r;
    bad.F[0] = QStringLiteral("../../x-01");
    EXPECT_EQ(errorOf([&] { WriteMeasFile(folder, bad, Options(MeasFileVariant::ReadOut)); }), 52);
    EXPECT_EQ(errorOf([&] { WriteMeasFile(folder + QStringLiteral("missing/"), r, {}); }), 76);
    EXPECT_EQ(errorOf([&] { ReadMeasFile(folder + QStringLiteral("none.csv"), MeasFileVariant::ReadOut); }),
              53);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), 1);
}

// Inputs the fuzzer found or that stress the corners: read without a crash.
TEST_F(MeasFileTest, FuzzRegressionInputs)
{
    const QDir dir(QStringLiteral(HX_SOURCE_DIR "/tests/fuzz/corpus/fuzz_measfile_read"));
    int seen = 0;
    for (const QString& name : dir.entryList(QDir::Files)) {
        const QByteArray bytes = ReadFileBytes(dir.filePath(name)).value_or(QByteArray());
        for (MeasFileVariant v : {MeasFileVariant::ReadOut, MeasFileVariant::History}) {
            MeasFileInfo info;
            MeasRecord r = ReadMeasFileBytes(bytes, v, &info);
            ApplyHistoryLoadRules(r, info);
            EXPECT_TRUE(r.IvPoints[120][2].isEmpty()) << name.toStdString();
        }
        ++seen;
    }
    EXPECT_GT(seen, 0);
}

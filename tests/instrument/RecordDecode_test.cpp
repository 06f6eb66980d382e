#include "instrument/RecordDecode.h"

#include "app/Global.h"
#include "platform/AppError.h"
#include "platform/NumText.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <string>

namespace {

// A hand-made instrument record: blanks, with pieces put at 1-based positions.
struct RecordText {
    std::string s;
    explicit RecordText(int size) : s(std::size_t(size), ' ') {}
    RecordText& put(int pos, const std::string& text)
    {
        s.replace(std::size_t(pos - 1), text.size(), text);
        return *this;
    }
    RecordText& hex(int pos, unsigned v)
    {
        char b[8];
        std::snprintf(b, sizeof b, "%04X", v);
        return put(pos, b);
    }
    QString text() const { return QString::fromStdString(s); }
};

// The header of a versioned record; `s` moves the fields from F16 on.
RecordText Versioned(const std::string& version, int s = 0)
{
    RecordText r(1184);
    r.put(1, "0012-03-01").put(11, "24/05/03").put(19, "10:15:30");
    r.put(27, "00253").put(32, "04095").put(37, "1").put(38, " 45.1").put(43, "023.5").put(48, "7");
    r.put(49, "01000").put(54, "15.25").put(59, "00000");
    if (s == 0)
        r.put(64, "00250");
    else
        r.put(64, "0025012");
    r.put(69 + s, "00374").put(74 + s, "08950").put(79 + s, "00012");
    if (s == 0)
        r.put(84, "99999"); // not read
    r.put(89 + s, "1.630").put(94 + s, "00000012345").put(105 + s, "-0000000042");
    r.put(138 + s, "2").put(139 + s, "00030").put(144 + s, "00100").put(149 + s, "0 1 2");
    r.put(154 + s, "3").put(155 + s, "4").put(156 + s, "1").put(157 + s, "00095").put(162 + s, "00090");
    r.put(167 + s, "00110").put(172 + s, "9E999").put(177 + s, "abcde").put(182 + s, "1").put(183 + s, "0");
    r.put(184 + s, "00005").put(189 + s, "5").put(190 + s, "2").put(191 + s, version);
    r.put(196 + s, "00078").put(201 + s, "00123").put(206 + s, "1").put(207 + s, "00250").put(212 + s, "3");
    r.put(213 + s, "SN-ABC 1234Z");
    for (int k = 0; k < 120; ++k) {
        r.hex(225 + 4 * k, unsigned(4000 - 10 * k));
        r.hex(705 + 4 * k, unsigned(8950 - 5 * k));
    }
    return r;
}

RecordText Old()
{
    RecordText r(1120);
    r.put(1, "0007-02-05").put(11, "23/12/31").put(19, "23:59:59");
    r.put(27, "00253").put(32, "04095").put(37, "1").put(38, "00451").put(43, "023.5").put(48, "7");
    r.put(49, "00987").put(54, "15.25").put(59, "00003").put(64, "00250").put(69, "00374").put(74, "08950");
    r.put(79, "00012").put(84, "00019").put(89, "1.630").put(94, "00000012345").put(105, "-0000000042");
    r.put(116, "00000000023").put(127, "00000000024").put(138, "2").put(139, "00030").put(144, "00100");
    r.put(149, "00028").put(154, "3").put(155, "4").put(156, "2").put(157, "AB12");
    for (int k = 0; k < 120; ++k) {
        r.hex(161 + 4 * k, unsigned(3 * k));
        r.hex(641 + 4 * k, unsigned(k));
    }
    return r;
}

struct FixedClock {
    FixedClock()
    {
        Global::ClockOverride = [] { return QDateTime(QDate(2025, 1, 2), QTime(3, 4, 5)); };
    }
    ~FixedClock() { Global::ClockOverride = nullptr; }
};

void ExpectFields(const MeasRecord& m, const std::vector<std::pair<int, const char*>>& expected)
{
    for (const auto& [n, text] : expected)
        EXPECT_EQ(m.F[std::size_t(n)].toStdString(), text) << "F" << n;
}

RecordDecodeResult Decode(const QString& text, int size, std::vector<MeasRecord>& recs)
{
    return InstrumentRecordDecode(text, size, recs);
}

} // namespace

TEST(RecordDecode, OldLayoutFieldsAndSmoothedPoints)
{
    std::vector<MeasRecord> recs;
    const auto r = Decode(Old().text(), 1120, recs);
    EXPECT_EQ(r.recordSize, 1120);
    EXPECT_EQ(r.count, 1);
    EXPECT_FALSE(r.clockFlag);
    ASSERT_EQ(recs.size(), 801u);
    const MeasRecord& m = recs[0];
    ExpectFields(m, {{0, "0007-02-05"}, {1, "23/12/31"}, {2, "23:59:59"}, {3, ""},       {4, ""},
                     {5, "253"},        {6, "4.095"},    {7, "1"},        {8, "451"},    {9, ""},
                     {10, "23.5"},      {11, "7"},       {12, "987"},     {13, "15.25"}, {14, "3"},
                     {15, "250"},       {16, "374"},     {17, "8.95"},    {18, "12"},    {19, "19"},
                     {20, "1.63"},      {21, "12345"},   {22, "-42"},     {23, "23"},    {24, "24"},
                     {25, "2"},         {26, "30"},      {27, "100"},     {28, "28"},    {29, "3"},
                     {30, "4"},         {31, "2"},       {32, ""},        {40, ""},      {42, ""},
                     {43, ""},          {47, ""},        {48, "AB12"}});
    // V(k) = 3k, I(k) = k / 1000; points 1..117 are the mean of three.
    EXPECT_EQ(m.IvPoints[0][0], "0");
    EXPECT_EQ(m.IvPoints[0][1], "0");
    EXPECT_EQ(m.IvPoints[1][0], "6");
    EXPECT_EQ(m.IvPoints[1][1], "0.002");
    EXPECT_EQ(m.IvPoints[117][0], "354");
    EXPECT_EQ(m.IvPoints[117][1], "0.118");
    EXPECT_EQ(m.IvPoints[118][0], "354");
    EXPECT_EQ(m.IvPoints[118][1], "0.118");
    EXPECT_EQ(m.IvPoints[119][0], "357");
    EXPECT_EQ(m.IvPoints[119][1], "0.119");
    for (const auto& p : m.IvPoints)
        EXPECT_TRUE(p[2].isEmpty());
    EXPECT_TRUE(m.IvPoints[120][0].isEmpty());
}

TEST(RecordDecode, VersionedLayoutFields)
{
    std::vector<MeasRecord> recs;
    const auto r = Decode(Versioned("08.30").text(), 1184, recs);
    EXPECT_EQ(r.recordSize, 1184);
    EXPECT_EQ(r.count, 1);
    const MeasRecord& m = recs[0];
    ExpectFields(m, {{0, "0012-03-01"},
                     {1, "24/05/03"},
                     {2, "10:15:30"},
                     {3, ""},
                     {4, ""},
                     {5, "25.3"},
                     {6, "4.095"},
                     {7, "1"},
                     {8, "45.1"},
                     {9, ""},
                     {10, "23.5"},
                     {11, "7"},
                     {12, "1000"},
                     {13, "15.25"},
                     {14, "0"},
                     {15, "250"},
                     {16, "37.4"},
                     {17, "8.95"},
                     {18, "12"},
                     {19, ""},
                     {20, "1.63"},
                     {21, "12345"},
                     {22, "-42"},
                     {23, ""},
                     {24, ""},
                     {25, "2"},
                     {26, "30"},
                     {27, "100"},
                     {28, "12"},
                     {29, "3"},
                     {30, "4"},
                     {31, "1"},
                     {32, "95"},
                     {33, "90"},
                     {34, "110"},
                     {35, "0"},
                     {36, "0"},
                     {37, "1"},
                     {38, "0"},
                     {39, "5"},
                     {40, "5"},
                     {41, "2"},
                     {42, "8.3"},
                     {43, "0.78"},
                     {44, "123"},
                     {45, "1"},
                     {46, "2.50"},
                     {47, "3"},
                     {48, "SN-ABC 1234Z"}});
    // From 8.1 on the points are not smoothed: "0.0" and "0.000" everywhere.
    EXPECT_EQ(m.IvPoints[0][0], "400.0");
    EXPECT_EQ(m.IvPoints[0][1], "8.950");
    EXPECT_EQ(m.IvPoints[1][0], "399.0");
    EXPECT_EQ(m.IvPoints[1][1], "8.945");
    EXPECT_EQ(m.IvPoints[119][0], "281.0");
    EXPECT_TRUE(m.IvPoints[120][0].isEmpty());
}

TEST(RecordDecode, TailAndPointFormatsFollowTheVersion)
{
    struct Case {
        const char* version;
        const char* f42;
        const char* f43;
        const char* f44;
        const char* f46;
        const char* f48;
        const char* f5;
        const char* v1; // point 1 (smoothed below 8.1)
        const char* i1;
        const char* v0; // point 0 (never smoothed)
        const char* i0;
    } cases[] = {
        {"08.50", "8.5", "0.78", "123", "2.50", "SN-ABC 1234Z", "25.3", "399.0", "8.945", "400.0", "8.950"},
        {"08.30", "8.3", "0.78", "123", "2.50", "SN-ABC 1234Z", "25.3", "399.0", "8.945", "400.0", "8.950"},
        {"08.20", "8.2", "0.78", "", "", "001231002503SN-ABC 1234Z", "25.3", "399.0", "8.945", "400.0",
         "8.950"},
        {"08.10", "8.1", "", "", "", "00078001231002503SN-ABC 1234Z", "25.3", "399.0", "8.945", "400.0",
         "8.950"},
        {"08.05", "8.05", "", "", "", "00078001231002503SN-ABC 1234Z", "25.3", "398", "8.940", "400.0",
         "8.950"},
        {"08.00", "8", "", "", "", "00078001231002503SN-ABC 1234Z", "25.3", "398.0", "8.940", "400.0",
         "8.950"},
        {"07.90", "7.9", "", "", "", "00078001231002503SN-ABC 1234Z", "253", "3980", "8.940", "4000", "8.95"},
    };
    for (const Case& c : cases) {
        std::vector<MeasRecord> recs;
        Decode(Versioned(c.version).text(), 1184, recs);
        const MeasRecord& m = recs[0];
        SCOPED_TRACE(c.version);
        EXPECT_EQ(m.F[42], c.f42);
        EXPECT_EQ(m.F[43], c.f43);
        EXPECT_EQ(m.F[44], c.f44);
        EXPECT_EQ(m.F[46], c.f46);
        EXPECT_EQ(m.F[48], c.f48);
        EXPECT_EQ(m.F[5], c.f5);
        EXPECT_EQ(m.IvPoints[1][0], c.v1);
        EXPECT_EQ(m.IvPoints[1][1], c.i1);
        EXPECT_EQ(m.IvPoints[0][0], c.v0);
        EXPECT_EQ(m.IvPoints[0][1], c.i0);
    }
}

TEST(RecordDecode, InstrumentTextWidthByVersion)
{
    // The instrument text's start and length depend on the version.
    std::vector<MeasRecord> recs;
    Decode(Versioned("08.50").text(), 1184, recs);
    EXPECT_EQ(recs[0].F[48], "SN-ABC 1234Z");
    Decode(Versioned("08.20").text(), 1184, recs);
    EXPECT_EQ(recs[0].F[48], "001231002503SN-ABC 1234Z"); // 201, 24
    Decode(Versioned("08.10").text(), 1184, recs);
    EXPECT_EQ(recs[0].F[48], "00078001231002503SN-ABC 1234Z"); // 196, 29
}

TEST(RecordDecode, SmoothingMeansThreeUnsmoothedPoints)
{
    RecordText r = Versioned("08.00");
    // V: 1, 2, 2, 7 (tenths of a volt); I: 1, 2, 3, 4 mA.
    const unsigned v[] = {10, 20, 20, 70};
    for (int k = 0; k < 4; ++k) {
        r.hex(225 + 4 * k, v[k]);
        r.hex(705 + 4 * k, unsigned(k + 1));
    }
    std::vector<MeasRecord> recs;
    Decode(r.text(), 1184, recs);
    const MeasRecord& m = recs[0];
    EXPECT_EQ(m.IvPoints[0][0], "1.0");
    EXPECT_EQ(m.IvPoints[1][0], "3.7"); // (2 + 2 + 7) / 3 = 3.666..
    EXPECT_EQ(m.IvPoints[1][1], "0.003");
    EXPECT_EQ(m.IvPoints[2][1], "2.979"); // (3 + 4 + 8930) / 3 mA, point 1's change not used

    r.put(191, "07.00");
    Decode(r.text(), 1184, recs);
    EXPECT_EQ(recs[0].IvPoints[0][0], "10");
    EXPECT_EQ(recs[0].IvPoints[1][0], "37"); // (20 + 20 + 70) / 3 = 36.67
    EXPECT_EQ(recs[0].IvPoints[0][1], "0.001");
}

TEST(RecordDecode, CurrentRangeAtSixtyAmps)
{
    for (const char* version : {"08.30", "07.00"}) {
        RecordText r = Versioned(version);
        r.hex(705 + 4 * 118, 0xEA5F).hex(705 + 4 * 119, 0xEA60).hex(705 + 4 * 0, 0xFFFF);
        r.put(705 + 4 * 117, "ea5f");
        std::vector<MeasRecord> recs;
        Decode(r.text(), 1184, recs);
        const MeasRecord& m = recs[0];
        const bool eight = std::string(version) == "08.30";
        EXPECT_EQ(m.IvPoints[118][1], eight ? "59.999" : "59.999");
        EXPECT_EQ(m.IvPoints[119][1], eight ? "0.000" : "0");
        EXPECT_EQ(m.IvPoints[0][1], eight ? "0.000" : "0");
        if (eight) {
            EXPECT_EQ(m.IvPoints[117][1], "59.999"); // lower-case hex digits
        }
    }
    RecordText old = Old();
    old.hex(641 + 4 * 119, 0xEA60).hex(641 + 4 * 118, 0xEA5F);
    std::vector<MeasRecord> recs;
    Decode(old.text(), 1120, recs);
    EXPECT_EQ(recs[0].IvPoints[119][1], "0");
    EXPECT_EQ(recs[0].IvPoints[118][1], "59.999");
}

namespace {

// The point texts as the decoding rules give them, computed the long way
// through NumText: every value read back with Val, means of three taken in
// floating point and written with Format.
std::vector<std::array<QString, 2>> ReferencePoints(const std::vector<unsigned>& hv,
                                                    const std::vector<unsigned>& hi, bool old, double v)
{
    std::vector<std::array<QString, 2>> p(120);
    for (int k = 0; k < 120; ++k) {
        const double amps = hi[std::size_t(k)] / 1000.0;
        const bool in = amps >= 0 && amps < 60;
        if (!old && v >= 8) {
            p[std::size_t(k)][0] = NumText::Format(hv[std::size_t(k)] / 10.0, "0.0");
            p[std::size_t(k)][1] = NumText::Format(in ? amps : 0, "0.000");
        } else {
            p[std::size_t(k)][0] = NumText::Str(hv[std::size_t(k)]);
            p[std::size_t(k)][1] = in ? NumText::Str(amps) : QStringLiteral("0");
        }
    }
    if (old || v < 8.1) {
        const QString pattern = !old && v == 8 ? QStringLiteral("0.0") : QStringLiteral("0");
        for (int k = 1; k <= 117; ++k) {
            double sv = 0, si = 0;
            for (int j = k; j < k + 3; ++j) {
                sv += NumText::Val(p[std::size_t(j)][0]);
                si += NumText::Val(p[std::size_t(j)][1]);
            }
            p[std::size_t(k)][0] = NumText::Format(sv / 3, pattern);
            p[std::size_t(k)][1] = NumText::Format(si / 3, "0.000");
        }
    }
    return p;
}

std::string PointRecord(bool old, const char* version, const std::vector<unsigned>& hv,
                        const std::vector<unsigned>& hi)
{
    RecordText r = old ? Old() : Versioned(version);
    for (int k = 0; k < 120; ++k) {
        r.hex((old ? 161 : 225) + 4 * k, hv[std::size_t(k)]);
        r.hex((old ? 641 : 705) + 4 * k, hi[std::size_t(k)]);
    }
    return r.s;
}

} // namespace

// Random curves of every point format against the long way through NumText,
// with many equal neighbours, exact halves and currents around 60 A.
TEST(RecordDecode, PointTextsMatchTheLongWayThroughNumText)
{
    struct Kind {
        bool old;
        const char* version;
        double v;
    } kinds[] = {{true, "", 0},          {false, "07.00", 7},   {false, "08.00", 8},
                 {false, "08.05", 8.05}, {false, "08.10", 8.1}, {false, "08.30", 8.3}};
    std::mt19937 rng(20240503);
    for (const Kind& kind : kinds) {
        std::string text;
        std::vector<std::vector<unsigned>> vs, is;
        for (int n = 0; n < 100; ++n) {
            std::vector<unsigned> hv(120), hi(120);
            const int mode = n % 4;
            for (int k = 0; k < 120; ++k) {
                switch (mode) {
                case 0:
                    hv[std::size_t(k)] = rng() % 65536;
                    hi[std::size_t(k)] = rng() % 65536;
                    break;
                case 1:
                    hv[std::size_t(k)] = rng() % 40;
                    hi[std::size_t(k)] = rng() % 40;
                    break;
                case 2:
                    hv[std::size_t(k)] = 5 + rng() % 3;
                    hi[std::size_t(k)] = 59990 + rng() % 20;
                    break;
                default:
                    hv[std::size_t(k)] = 65535 - rng() % 30;
                    hi[std::size_t(k)] = rng() % 60000;
                    break;
                }
            }
            text += PointRecord(kind.old, kind.version, hv, hi);
            vs.push_back(hv);
            is.push_back(hi);
        }
        std::vector<MeasRecord> recs;
        const auto r = Decode(QString::fromStdString(text), kind.old ? 1120 : 1184, recs);
        ASSERT_EQ(r.count, 100);
        for (int n = 0; n < 100; ++n) {
            const auto want = ReferencePoints(vs[std::size_t(n)], is[std::size_t(n)], kind.old, kind.v);
            for (int k = 0; k < 120; ++k) {
                ASSERT_EQ(recs[std::size_t(n)].IvPoints[std::size_t(k)][0], want[std::size_t(k)][0])
                    << kind.version << " record " << n << " point " << k;
                ASSERT_EQ(recs[std::size_t(n)].IvPoints[std::size_t(k)][1], want[std::size_t(k)][1])
                    << kind.version << " record " << n << " point " << k;
            }
        }
    }
}

// Piece values in the unsmoothed formats: fixed decimals (from version 8.1
// on) for every value 0..65535 at every point; the shortest form, which only
// the unsmoothed points 0, 118 and 119 keep below version 8.1, for every
// digit pattern of the last four digits and a spread of larger values.
TEST(RecordDecode, EveryPieceValueMatchesNumText)
{
    auto check = [](const char* version, const std::vector<unsigned>& values,
                    const std::vector<int>& points) {
        const bool fixed = std::string(version) >= "08.10";
        std::size_t next = 0;
        std::vector<MeasRecord> recs;
        while (next < values.size()) {
            std::string text;
            std::vector<std::vector<unsigned>> vs;
            for (int n = 0; n < 800 && next < values.size(); ++n) {
                std::vector<unsigned> hv(120, 0);
                for (int k : points)
                    if (next < values.size())
                        hv[std::size_t(k)] = values[next++];
                text += PointRecord(false, version, hv, hv);
                vs.push_back(hv);
            }
            Decode(QString::fromStdString(text), 1184, recs);
            for (std::size_t n = 0; n < vs.size(); ++n)
                for (int k : points) {
                    const unsigned h = vs[n][std::size_t(k)];
                    const double amps = h / 1000.0;
                    const bool in = amps < 60;
                    const QString v = fixed ? NumText::Format(h / 10.0, "0.0") : NumText::Str(h);
                    const QString i = fixed ? NumText::Format(in ? amps : 0, "0.000")
                                            : (in ? NumText::Str(amps) : QStringLiteral("0"));
                    ASSERT_EQ(recs[n].IvPoints[std::size_t(k)][0], v) << h;
                    ASSERT_EQ(recs[n].IvPoints[std::size_t(k)][1], i) << h;
                }
        }
    };
    std::vector<unsigned> all(65536);
    for (unsigned i = 0; i < 65536; ++i)
        all[i] = i;
    std::vector<int> everyPoint(120);
    for (int k = 0; k < 120; ++k)
        everyPoint[std::size_t(k)] = k;
    check("08.30", all, everyPoint);

    std::vector<unsigned> some;
    for (unsigned i = 0; i < 10000; ++i)
        some.push_back(i);
    for (unsigned i = 10000; i < 65536; i += 7)
        some.push_back(i);
    for (unsigned i = 59990; i <= 60010; ++i)
        some.push_back(i);
    some.push_back(65535);
    check("07.00", some, {0, 118, 119});
}

// Number pieces of every shape read as NumText reads and writes them.
TEST(RecordDecode, NumberPiecesMatchNumText)
{
    const char* pieces[] = {"00000", "00007", "70000", "99999", "0",     "5",     " 45.1", "-0012",
                            "+0012", "1E3  ", "9E999", "abcde", "12ab3", "  0  ", "0 1 2", "&H1F ",
                            ".5000", "1.500", "-0000", "1D2  ", "00010", "12345"};
    std::vector<MeasRecord> recs;
    for (const char* p : pieces) {
        RecordText r = Versioned("08.30");
        const std::string piece = std::string(p) + std::string(5 - std::strlen(p), ' ');
        r.put(49, piece);
        Decode(r.text(), 1184, recs);
        EXPECT_EQ(recs[0].F[12], NumText::Str(NumText::Val(QString::fromStdString(piece)))) << p;
    }
    std::mt19937 rng(7);
    std::string text;
    std::vector<std::string> all;
    for (int n = 0; n < 800; ++n) {
        std::string digits;
        for (int i = 0; i < 11; ++i)
            digits += char('0' + (rng() % 3 == 0 ? 0 : rng() % 10));
        RecordText r = Versioned("08.30");
        r.put(94, digits);
        text += r.s;
        all.push_back(digits);
    }
    Decode(QString::fromStdString(text), 1184, recs);
    for (std::size_t n = 0; n < all.size(); ++n)
        ASSERT_EQ(recs[n].F[21], NumText::Str(NumText::Val(QString::fromStdString(all[n])))) << all[n];
}

TEST(RecordDecode, MalformedVersionDecodesOnceShifted)
{
    // "8.300" has its "." second: the record is decoded again two characters
    // further on, F15 as seven characters in hundredths.
    RecordText r = Versioned("8.300");
    std::vector<MeasRecord> recs;
    Decode(r.text(), 1184, recs);
    EXPECT_EQ(recs[0].F[15], "250");   // "00250" + "00" / 100
    EXPECT_EQ(recs[0].F[42], "30000"); // the shifted piece at 193

    // A record written shifted: its raw version piece has no "." third.
    RecordText shifted = Versioned("08.50", 2);
    Decode(shifted.text(), 1184, recs);
    const MeasRecord& m = recs[0];
    ExpectFields(m, {{15, "250.12"},
                     {16, "37.4"},
                     {17, "8.95"},
                     {18, "12"},
                     {19, ""},
                     {20, "1.63"},
                     {28, "12"},
                     {32, "95"},
                     {40, "5"},
                     {41, "2"},
                     {42, "8.5"},
                     {43, "0.78"},
                     {44, "123"},
                     {46, "2.50"},
                     {47, "3"},
                     {48, "SN-ABC 123"}});
    EXPECT_EQ(m.IvPoints[0][0], "400.0"); // points are never shifted
}

TEST(RecordDecode, ShiftedPassIsNotRepeated)
{
    RecordText r = Versioned("xxxxx");
    r.put(193, "yyyyy"); // still no version after the shift
    std::vector<MeasRecord> recs;
    const auto res = Decode(r.text(), 1184, recs);
    EXPECT_EQ(res.count, 1);
    EXPECT_EQ(recs[0].F[42], "0");
    EXPECT_EQ(recs[0].IvPoints[1][0], "3980"); // below 8: whole volts, smoothed
}

TEST(RecordDecode, LetterModelsTakeTheComputersClockAndGroupDashes)
{
    FixedClock clock;
    RecordText r = Versioned("08.30");
    r.put(189, "D");
    std::vector<MeasRecord> recs;
    auto res = Decode(r.text(), 1184, recs);
    EXPECT_FALSE(res.clockFlag);
    ExpectFields(recs[0], {{0, "0012----01"}, {1, "25/01/02"}, {2, "03:04:05"}, {40, "D"}});

    for (const char* model : {"G", "H"}) {
        r.put(189, model);
        res = Decode(r.text(), 1184, recs);
        EXPECT_TRUE(res.clockFlag) << model;
        EXPECT_EQ(recs[0].F[0], "0012-03-01");
        EXPECT_EQ(recs[0].F[1], "24/05/03");
    }
    r.put(189, "d"); // exact comparison
    res = Decode(r.text(), 1184, recs);
    EXPECT_EQ(recs[0].F[0], "0012-03-01");
    EXPECT_FALSE(res.clockFlag);
}

TEST(RecordDecode, BadDateSwitchesToTheOtherLayout)
{
    // Two 1120 records with good dates, offered as 1184: the second record's
    // date piece is no date, so the text is decoded again as 1120 records.
    std::string text = Old().s + Old().s;
    std::vector<MeasRecord> recs;
    const auto r = Decode(QString::fromStdString(text), 1184, recs);
    EXPECT_EQ(r.recordSize, 1120);
    EXPECT_EQ(r.count, 2);
    EXPECT_EQ(recs[1].F[0], "0007-02-05");
    EXPECT_EQ(recs[1].F[2], "23:59:59"); // fewer than five failures: the record's own time
    EXPECT_TRUE(recs[2].F[0].isEmpty());
}

TEST(RecordDecode, FifthBadDateKeepsTheVersionedLayoutWithTheComputersClock)
{
    FixedClock clock;
    // Record 0's date fails in both layouts: four switches, then the fifth
    // failure falls in the 1184 layout, which stays.
    RecordText bad = Versioned("08.30");
    bad.put(11, "24-05-03");
    RecordText good = Versioned("08.30");
    good.put(11, "24/06/01").put(1, "0013-01-02");
    std::vector<MeasRecord> recs;
    const auto r = Decode(QString::fromStdString(bad.s + good.s), 1184, recs);
    EXPECT_EQ(r.recordSize, 1184);
    EXPECT_EQ(r.count, 2);
    ExpectFields(recs[0], {{0, "0012-03-01"}, {1, "25/01/02"}, {2, "03:04:05"}, {15, "250"}});
    // A good date is kept, but the time is the computer's from then on.
    ExpectFields(recs[1], {{0, "0013-01-02"}, {1, "24/06/01"}, {2, "03:04:05"}});
}

TEST(RecordDecode, OldRecordsWithBadDatesEndInTheVersionedLayout)
{
    FixedClock clock;
    RecordText a = Old(), b = Old();
    a.put(11, "231231  ");
    b.put(11, "23.12.31");
    std::vector<MeasRecord> recs;
    const auto r = Decode(QString::fromStdString(a.s + b.s), 1120, recs);
    // 1 + (2240 / 1184 - 1, rounded) = 2 records, the second one shorter.
    EXPECT_EQ(r.recordSize, 1184);
    EXPECT_EQ(r.count, 2);
    EXPECT_EQ(recs[0].F[1], "25/01/02");
    EXPECT_EQ(recs[0].F[2], "03:04:05");
    EXPECT_EQ(recs[1].F[1], "25/01/02");
    EXPECT_EQ(NumText::Val(recs[1].IvPoints[119][1]), 0); // beyond the text's end
}

TEST(RecordDecode, RecordCountRoundsHalfToEven)
{
    EXPECT_EQ(RecordCountForLength(0, 1184), 0);
    EXPECT_EQ(RecordCountForLength(41440, 1120), 37);
    EXPECT_EQ(RecordCountForLength(41440, 1184), 35);
    EXPECT_EQ(RecordCountForLength(2240, 1184), 2);
    EXPECT_EQ(RecordCountForLength(592, 1184), 1); // 0.5 - 1 = -0.5 rounds to 0
    EXPECT_EQ(RecordCountForLength(591, 1184), 0);
    EXPECT_EQ(RecordCountForLength(1776, 1184), 1); // 1.5 - 1 = 0.5 rounds to 0
    EXPECT_EQ(RecordCountForLength(2960, 1184), 3); // 2.5 - 1 = 1.5 rounds to 2
}

TEST(RecordDecode, TruncatedTextLeavesTheRestEmpty)
{
    const QString text = Versioned("08.30").text().left(700);
    std::vector<MeasRecord> recs;
    const auto r = Decode(text, 1184, recs);
    EXPECT_EQ(r.count, 1);
    EXPECT_EQ(recs[0].F[0], "0012-03-01");
    EXPECT_EQ(recs[0].IvPoints[119][0], "0.0"); // beyond the text's end
    EXPECT_EQ(recs[0].IvPoints[119][1], "0.000");
}

TEST(RecordDecode, MoreThan801RecordsIsSubscriptOutOfRange)
{
    const std::string one = Versioned("08.30").s;
    std::string text;
    for (int i = 0; i < 801; ++i)
        text += one;
    std::vector<MeasRecord> recs;
    EXPECT_EQ(Decode(QString::fromStdString(text), 1184, recs).count, 801);
    text += one;
    try {
        Decode(QString::fromStdString(text), 1184, recs);
        FAIL() << "an 802nd record must not fit";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number, 9);
    }
}

TEST(RecordDecode, GlobalFormLeavesTheRecordSize)
{
    Global::RecordSize = 1184;
    const std::string text = Old().s + Old().s;
    const auto r = InstrumentRecordDecode(QString::fromStdString(text));
    EXPECT_EQ(Global::RecordSize, 1120);
    EXPECT_EQ(r.count, 2);
    EXPECT_EQ(Global::ReadOutRecords[0].F[0], "0007-02-05");
    Global::RecordSize = 1184;
}

// Inputs the fuzzer found or that stress the corners; each must decode
// without a crash and without an exception other than the table's limit.
TEST(RecordDecode, FuzzRegressionInputs)
{
    const QDir dir(QStringLiteral(HX_SOURCE_DIR "/tests/fuzz/corpus/fuzz_record_decode"));
    int seen = 0;
    for (const QString& name : dir.entryList(QDir::Files)) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        // As the fuzzer takes it (first byte: the size offered), and whole.
        const int offered = !bytes.isEmpty() && (bytes[0] & 1) ? 1120 : 1184;
        const std::pair<QByteArray, int> runs[] = {
            {bytes.mid(1), offered}, {bytes, 1120}, {bytes, 1184}, {bytes, 0}};
        for (const auto& [text, size] : runs) {
            std::vector<MeasRecord> recs;
            try {
                const auto r = Decode(QString::fromLatin1(text), size, recs);
                EXPECT_LE(r.count, 801) << name.toStdString();
            } catch (const AppError& e) {
                EXPECT_EQ(e.number, 9) << name.toStdString();
            }
        }
        ++seen;
    }
    EXPECT_GT(seen, 0);
}

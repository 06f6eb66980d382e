// The total of the ticked measurements, and the bytes of the two files that
// keep it: MeasData.csv lines 3 to 5 and CheckMemory.csv.
#include "MeasViewTestSupport.h"

#include "measview/Totals.h"
#include "platform/AnsiCodec.h"
#include "platform/NumText.h"

#include <gtest/gtest.h>

namespace {

// Two strings of one array and a third of an instrument of a lettered model
// (no outside temperature).
MeasRecord StringOne()
{
    return MakeRecord(
        {{0, "0001-01-01"},
         {8, "45.2"},
         {10, "23.5"},
         {12, "800"},
         {13, "15.1"},
         {15, "250.5"},
         {16, "401.5"},
         {17, "8.125"},
         {20, "1.63"},
         {40, "3"},
         {42, "8.3"}},
        [](int k) { return k == 0   ? "400"
                           : k == 1 ? "300.5"
                                    : ""; },
        [](int k) { return k == 0   ? "0.5"
                           : k == 1 ? "7.25"
                                    : ""; });
}

MeasRecord StringTwo()
{
    return MakeRecord(
        {{0, "0002-01-02"},
         {8, "47"},
         {10, "20"},
         {12, "820"},
         {15, "240.25"},
         {16, "398.7"},
         {17, "7.96"},
         {20, "1.63"},
         {40, "3"},
         {42, "8.2"}},
        [](int k) { return k == 0   ? "398"
                           : k == 1 ? "299"
                                    : ""; },
        [](int k) { return k == 0   ? "0.4"
                           : k == 1 ? "7"
                                    : ""; });
}

MeasRecord StringThree()
{
    return MakeRecord(
        {{0, "0003-01-03"},
         {8, "40"},
         {10, "30"},
         {12, "1000"},
         {15, "255"},
         {16, "402"},
         {17, "8.2"},
         {20, "1.63"},
         {40, "a"},
         {42, "8.5"}},
        [](int k) { return k == 0   ? "402"
                           : k == 1 ? "301"
                                    : ""; },
        [](int k) { return k == 0   ? "0.6"
                           : k == 1 ? "7.5"
                                    : ""; });
}

std::vector<MeasRecord> View(std::initializer_list<MeasRecord> measurements)
{
    std::vector<MeasRecord> v(1);
    SetNoValueFields(v[0]);
    v.insert(v.end(), measurements);
    return v;
}

// F15, F16, F17, F43, F8, F10, F12, F20, F13, F42 of a total.
QStringList Fields(const MeasRecord& t)
{
    return {t.F[15], t.F[16], t.F[17], t.F[43], t.F[8], t.F[10], t.F[12], t.F[20], t.F[13], t.F[42]};
}

QByteArray Cp932(std::initializer_list<const char*> lines, const char* end = "\r\n")
{
    QByteArray out;
    for (const char* line : lines)
        out += AnsiCodec::encode(QString::fromUtf8(line)) + end;
    return out;
}

template <std::size_t N> QByteArray Bytes(const char (&text)[N])
{
    return QByteArray(text, qsizetype(N) - 1);
}

} // namespace

TEST(Totals, TwoStringsInParallel)
{
    std::vector<MeasRecord> v = View({StringOne(), StringTwo()});
    TotalOfTicked(v, 2, {0, 1, 1}, TotalView::Shown);
    // Pm and Isc add up; Voc, temperatures and irradiance are means; the
    // version is the last ticked one's.
    EXPECT_EQ(Fields(v[0]), QStringList({"490.75", "400.1", "16.085", "0.08", "46.1", "21.8", "810", "3.26",
                                         "18.58", "8.2"}));
    // Points: mean voltage, summed current, their product; empty points add 0.
    EXPECT_EQ(PointTexts(v[0], 0), QStringList({"399", "0.9", "359.1"}));
    EXPECT_EQ(PointTexts(v[0], 1), QStringList({"299.75", "14.25", "4271.4375"}));
    EXPECT_EQ(PointTexts(v[0], 2), QStringList({"0", "0", "0"}));
    // Identity and judgement fields stay "--".
    EXPECT_EQ(v[0].F[0], "--");
    EXPECT_EQ(v[0].F[37], "--");
    // The measurements are not touched.
    EXPECT_EQ(v[1], StringOne());
}

TEST(Totals, ThreeStringsWithALetteredInstrument)
{
    // The shown view adds only measured outside temperatures and takes their
    // mean; the Pm-corrected view adds all and keeps the version.
    std::vector<MeasRecord> shown = View({StringOne(), StringTwo(), StringThree()});
    std::vector<MeasRecord> pm = shown;
    pm[0].F[42] = "kept";
    TotalOfTicked(shown, 3, {0, 1, 1, 1}, TotalView::Shown);
    TotalOfTicked(pm, 3, {0, 1, 1, 1}, TotalView::PmCorrected);
    EXPECT_EQ(Fields(shown[0]), QStringList({"745.75", "400.7", "24.285", "0.08", "44.1", "21.8", "873",
                                             "4.89", "17.47", "8.5"}));
    EXPECT_EQ(shown[0].F[10], "21.8"); // (23.5 + 20) / 2, not / 3
    EXPECT_EQ(pm[0].F[10], "24.5");    // (23.5 + 20 + 30) / 3
    // The lettered instrument first or alone among measuring ones: the same mean.
    std::vector<MeasRecord> mixed = View({StringThree(), StringOne(), StringThree()});
    TotalOfTicked(mixed, 3, {0, 1, 1, 1}, TotalView::Shown);
    EXPECT_EQ(mixed[0].F[10], "23.5");
    EXPECT_EQ(pm[0].F[42], "kept");
    EXPECT_EQ(PointTexts(shown[0], 0), QStringList({"400", "1.5", "600"}));
    EXPECT_EQ(PointTexts(shown[0], 1), QStringList({"300.166666666667", "21.75", "6528.62500000001"}));

    // Only lettered instruments ticked: no outside temperature at all.
    std::vector<MeasRecord> letters = View({StringThree(), StringThree()});
    TotalOfTicked(letters, 2, {0, 1, 1}, TotalView::Shown);
    EXPECT_EQ(letters[0].F[10], "--");
}

TEST(Totals, AMeasurementWithoutValuesInTheViewIsLeftOutOfItsTotal)
{
    // As a corrected view holds a measurement it cannot correct: "--" in Pm,
    // Voc, Isc and fill factor, no points, the other fields as measured.
    MeasRecord dashes = StringOne();
    for (int f : {15, 16, 17, 43})
        dashes.F[std::size_t(f)] = "--";
    dashes.IvPoints = IvPointTable();
    dashes.F[42] = "9.9";
    // An instrument's failed trace in the view as measured.
    MeasRecord failed = StringThree();
    failed.F[15] = "ERR";

    struct Case {
        const char* what;
        std::vector<MeasRecord> measurements;
        std::vector<std::uint8_t> ticks;
        // The same total from the measurements that have values.
        std::vector<MeasRecord> counted;
        std::vector<std::uint8_t> countedTicks;
    } cases[] = {
        {"between two others", {StringOne(), dashes, StringTwo()}, {0, 1, 1, 1}, {StringOne(), StringTwo()},
         {0, 1, 1}},
        {"last, with the total row", {StringOne(), StringTwo(), dashes}, {1, 1, 1, 1}, {StringOne(), StringTwo()},
         {1, 1, 1}},
        {"a word for Pm", {StringOne(), failed, StringTwo()}, {0, 1, 1, 1}, {StringOne(), StringTwo()}, {0, 1, 1}},
        {"alone", {StringOne(), dashes}, {0, 0, 1}, {StringOne(), dashes}, {0, 0, 0}},
        {"alone with the total row", {dashes, StringTwo()}, {1, 1, 0}, {dashes, StringTwo()}, {1, 0, 0}},
        {"two without values", {dashes, failed}, {0, 1, 1}, {dashes, failed}, {0, 0, 0}},
    };
    for (TotalView view : {TotalView::Shown, TotalView::PmCorrected})
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (view == TotalView::Shown ? " (shown)" : " (Pm-corrected)"));
            std::vector<MeasRecord> v(1);
            SetNoValueFields(v[0]);
            v.insert(v.end(), c.measurements.begin(), c.measurements.end());
            std::vector<MeasRecord> want(1);
            SetNoValueFields(want[0]);
            want.insert(want.end(), c.counted.begin(), c.counted.end());
            TotalOfTicked(v, int(c.measurements.size()), c.ticks, view);
            TotalOfTicked(want, int(c.counted.size()), c.countedTicks, view);
            EXPECT_EQ(Fields(v[0]), Fields(want[0]));
            EXPECT_EQ(v[0], want[0]);
            // The measurements keep their own values.
            EXPECT_TRUE(std::equal(c.measurements.begin(), c.measurements.end(), v.begin() + 1));
        }

    // With none left the total says so, and so do the history's files.
    std::vector<MeasRecord> v = View({dashes});
    TotalOfTicked(v, 1, {0, 1}, TotalView::PmCorrected);
    EXPECT_EQ(Fields(v[0]), QStringList({"--", "--", "--", "--", "--", "--", "--", "--", "--", ""}));
    EXPECT_EQ(PointTexts(v[0], 0), QStringList({"", "", ""}));
    EXPECT_EQ(MeasDataWithTotals(Cp932({"Roof", "d", "SEL_OK,1", "SEL_OK,2", "SEL_OK,3", "", "", "", ""}), v[0]),
              Cp932({"Roof", "d", "", "", "", "", "", "", ""}));
}

TEST(Totals, FormatsOfTheTotal)
{
    auto total = [](std::initializer_list<std::pair<int, const char*>> a,
                    std::initializer_list<std::pair<int, const char*>> b) {
        std::vector<MeasRecord> v =
            View({MakeRecord(a, Every("1"), Every("1")), MakeRecord(b, Every("1"), Every("1"))});
        // A Pm of 0 where the case names none: every measurement has one.
        for (MeasRecord& r : v)
            if (r.F[15].isEmpty())
                r.F[15] = "0";
        TotalOfTicked(v, 2, {0, 1, 1}, TotalView::Shown);
        return Fields(v[0]);
    };
    // Isc above 99 with one decimal; 99.000 stays.
    EXPECT_EQ(total({{17, "60.5"}, {16, "10"}}, {{17, "40.2"}, {16, "10"}})[2], "100.7");
    EXPECT_EQ(total({{17, "49.5"}, {16, "10"}}, {{17, "49.5"}, {16, "10"}})[2], "99.000");
    // Voc in "0" when the history's first measurement is below version 8.
    EXPECT_EQ(total({{16, "401.5"}, {42, "7.5"}}, {{16, "398.7"}, {42, "8.3"}})[1], "400");
    // A mean irradiance of "0" or no area: no efficiency.
    EXPECT_EQ(total({{12, "0.4"}, {20, "1"}, {15, "5"}}, {{12, "0.4"}, {20, "1"}})[8], "Err");
    EXPECT_EQ(total({{12, "800"}, {15, "5"}}, {{12, "800"}})[8], "Err");
    // No Voc or no Isc: no fill factor.
    EXPECT_EQ(total({{15, "5"}, {17, "2"}}, {{15, "5"}})[3], "--");
    EXPECT_EQ(total({{15, "5"}, {16, "2"}}, {{15, "5"}})[3], "--");
}

TEST(Totals, NothingTickedResetsTheTotal)
{
    std::vector<MeasRecord> v = View({StringOne(), StringTwo()});
    TotalOfTicked(v, 2, {0, 1, 1}, TotalView::Shown);
    ASSERT_EQ(v[0].F[13], "18.58");
    // Only the total row ticked counts as nothing ticked.
    for (const std::vector<std::uint8_t>& ticks : {std::vector<std::uint8_t>{0, 0, 0}, {1, 0, 0}}) {
        TotalOfTicked(v, 2, ticks, TotalView::Shown);
        EXPECT_EQ(Fields(v[0]), QStringList({"--", "--", "--", "--", "--", "--", "--", "--", "--", "8.2"}));
        EXPECT_EQ(PointTexts(v[0], 0), QStringList({"", "", ""}));
        EXPECT_EQ(v[0].F[1], "--");
        EXPECT_EQ(v[0].F[40], "");
    }
    // One ticked row: its points as plain text, its values formatted.
    TotalOfTicked(v, 2, {0, 0, 1}, TotalView::Shown);
    EXPECT_EQ(PointTexts(v[0], 0), QStringList({"398", "0.4", "159.2"}));
    EXPECT_EQ(Fields(v[0]), QStringList({"240.25", "398.7", "7.960", "0.08", "47.0", "20.0", "820", "1.63",
                                         "17.97", "8.2"}));
    // Ticks and count beyond the records are not read.
    TotalOfTicked(v, 9, {0, 1}, TotalView::Shown);
    EXPECT_EQ(v[0].F[15], "250.50");
}

TEST(Totals, MeasDataKeepsEveryLineButTheTotals)
{
    MeasRecord total;
    total.F[15] = "490.75";
    total.F[16] = "400.1";
    total.F[17] = "16.085";
    MeasRecord none;
    SetNoValueFields(none);
    struct Case {
        const char* what;
        QByteArray before;
        const MeasRecord& total;
        QByteArray after;
    } cases[] = {
        {"a file of 12 lines",
         Cp932({"屋根", "2024/05/03", "SEL_OK,1", "SEL_OK,2", "3", "", "", "", "", "メモ 1 ", "", "メモ,3"}),
         total,
         Cp932({"屋根", "2024/05/03", "SEL_OK,490.75", "SEL_OK,400.1", "SEL_OK,16.085", "", "", "", "",
                "メモ 1 ", "", "メモ,3"})},
        {"a file of 4 lines grows to 9", Cp932({"Roof", "24/05/03", "", ""}), total,
         Cp932({"Roof", "24/05/03", "SEL_OK,490.75", "SEL_OK,400.1", "SEL_OK,16.085", "", "", "", ""})},
        {"no total: empty lines",
         Cp932({"Roof", "d", "SEL_OK,1", "SEL_OK,2", "SEL_OK,3", "", "", "", "", "m"}), none,
         Cp932({"Roof", "d", "", "", "", "", "", "", "", "m"})},
        {"lone CR line ends and no last line end", QByteArray("a\rb\rc\rd\re\rf\rg\rh\ri\rmemo"), total,
         Cp932({"a", "b", "SEL_OK,490.75", "SEL_OK,400.1", "SEL_OK,16.085", "f", "g", "h", "i", "memo"})},
        {"LF line ends", QByteArray("a\nb\n\n\n\n\n\n\n\nx\n"), none,
         Cp932({"a", "b", "", "", "", "", "", "", "", "x"})},
        {"an empty file", QByteArray(), none, Cp932({"", "", "", "", "", "", "", "", ""})},
        // Bytes that are no text of the code page pass unchanged.
        {"stray bytes", Bytes("\x82\r\n\xff\r\nx\r\nx\r\nx\r\n\x80\x81\r\n"), none,
         Bytes("\x82\r\n\xff\r\n\r\n\r\n\r\n\x80\x81\r\n\r\n\r\n\r\n")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MeasDataWithTotals(c.before, c.total), c.after) << c.what;
}

TEST(Totals, TickMemoryHasOneLinePerRow)
{
    EXPECT_EQ(TickMemoryBytes({false, true, false, true}), QByteArray("False\r\nTrue\r\nFalse\r\nTrue\r\n"));
    EXPECT_EQ(TickMemoryBytes({true}), QByteArray("True\r\n"));
}

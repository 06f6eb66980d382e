// The decisions of the measurement-data tab that need no window.
#include "measview/TabRules.h"

#include <QString>

#include <gtest/gtest.h>

TEST(TabRules, TheStcViewIsRefusedForTheFirstReasonThatHolds)
{
    struct Case {
        bool coefMissing, noModule, mixed;
        int key;
    } cases[] = {
        {false, false, false, 0},
        {true, false, false, UiStcCoefMissing},
        {true, true, true, UiStcCoefMissing},
        {false, true, true, UiStcNoModule},
        {false, true, false, UiStcNoModule},
        {false, false, true, UiStcMixedModules},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StcRefusalKey(c.coefMissing, {c.noModule, c.mixed}), c.key)
            << c.coefMissing << c.noModule << c.mixed;
    EXPECT_EQ(UiStcCoefMissing, 779);
    EXPECT_EQ(UiStcNoModule, 791);
    EXPECT_EQ(UiStcMixedModules, 792);
}

TEST(TabRules, AllTicksWhileAnyRowTheTotalIncludedIsUnticked)
{
    using Ticks = std::vector<std::uint8_t>;
    EXPECT_FALSE(TickAllTicks(Ticks{1, 1, 1}, 2));
    EXPECT_TRUE(TickAllTicks(Ticks{0, 1, 1}, 2)); // only the total row
    EXPECT_TRUE(TickAllTicks(Ticks{1, 1, 0}, 2));
    // Rows past the count are not looked at.
    EXPECT_FALSE(TickAllTicks(Ticks{1, 1, 0}, 1));
    EXPECT_TRUE(TickAllTicks(Ticks{0}, 0));
}

TEST(TabRules, TheReportTakesOneToTwentyTickedMeasurements)
{
    auto ticks = [](int count, int ticked, bool total) {
        std::vector<std::uint8_t> t(std::size_t(count) + 1, 0);
        t[0] = total ? 1 : 0;
        for (int j = 1; j <= ticked; ++j)
            t[std::size_t(j)] = 1;
        return t;
    };
    struct Case {
        int count, ticked;
        bool total;
        ReportHandOver expected;
    } cases[] = {
        {30, 0, false, ReportHandOver::Nothing},
        {30, 0, true, ReportHandOver::Nothing}, // a ticked total alone
        {30, 1, false, ReportHandOver::Open},
        {30, 20, true, ReportHandOver::Open},   // the total is not counted
        {30, 21, false, ReportHandOver::TooMany},
        {0, 0, true, ReportHandOver::Nothing},
    };
    for (const Case& c : cases) {
        const int n = TickedMeasurementCount(ticks(c.count, c.ticked, c.total), c.count);
        EXPECT_EQ(n, c.ticked);
        EXPECT_EQ(ReportHandOverFor(c.count, n), c.expected) << c.count << " " << c.ticked;
    }
    // No history loaded: nothing, whatever the flags say.
    EXPECT_EQ(ReportHandOverFor(0, 5), ReportHandOver::Nothing);
    // Flags shorter than the count count what they hold.
    EXPECT_EQ(TickedMeasurementCount({0, 1}, 5), 1);
}

TEST(TabRules, ArraySummaryCaptions)
{
    EXPECT_EQ(GroupTabCaption(QStringLiteral("Tolvane Solar"), 0), QStringLiteral("01"));
    EXPECT_EQ(GroupTabCaption(QStringLiteral("x"), 9), QStringLiteral("10"));
    EXPECT_EQ(GroupTabCaption(QString(), 3), QString());

    struct Case {
        const char *stored, *shown;
    } cases[] = {{"1500", "1500"}, {"0", ""},       {"", ""},         {"abc", ""},
                 {"0.0", ""},      {" 12", " 12"}, {"2500.5", "2500.5"}, {"-3", "-3"}};
    for (const Case& c : cases)
        EXPECT_EQ(RatedPmCaption(QString::fromUtf8(c.stored)), QString::fromUtf8(c.shown)) << c.stored;
}

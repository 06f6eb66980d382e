// The figures of an array configuration without any window: the grand and
// group totals of the string rows, the matching of stored names against the
// lists, and the rated Pm and coefficients derived from a record and the
// catalogue, including stored makers and models the catalogue lost.
#include "catalog/ArrayDerivation.h"
#include "catalog/CatalogGlobals.h"
#include "catalog/support/ArraySetFixture.h"
#include "platform/AppError.h"

#include <gtest/gtest.h>

using namespace ArrayDerivation;

namespace {

struct TotalsCase {
    const char* what;
    RowFigures row; // placed in row 7 (group 1), all other rows empty
    const char* grand;
    const char* group;
};

} // namespace

TEST(ArrayTotals, OneRowGivesTheGrandAndTheGroupTotal)
{
    const TotalsCase cases[] = {
        {"Pm x series x parallel", {"250", "3", "2"}, "1500", "1500"},
        {"empty parallel count counts one string", {"250", "3", ""}, "750", "750"},
        {"parallel count 0 counts one string", {"250", "3", "0"}, "750", "750"},
        {"parallel count without a number counts one string", {"250", "3", "two"}, "750", "750"},
        {"2.5 strings: the group rounds halves to even", {"100", "1", "2.5"}, "250", "200"},
        {"3.5 strings: the group rounds up to 4", {"100", "1", "3.5"}, "350", "400"},
        {"0.4 strings: one string is judged unrounded", {"100", "1", "0.4"}, "40", "0"},
        {"empty series count adds nothing", {"250", "", "2"}, "0", "0"},
        {"a unit after the Pm is not read", {"250W", "2", "1"}, "500", "500"},
        {"a comma ends the Pm", {"250,5", "2", ""}, "500", "500"},
        {"a fractional Pm", {"187.5", "3", ""}, "562.5", "562.5"},
        {"all empty", {"", "", ""}, "0", "0"},
    };
    for (const TotalsCase& c : cases) {
        SCOPED_TRACE(c.what);
        AllRowFigures rows;
        rows[7] = c.row;
        EXPECT_EQ(TotalText(GrandTotal(rows)), c.grand);
        EXPECT_EQ(TotalText(GroupTotal(rows, 1)), c.group);
        for (int g : {0, 2, 9})
            EXPECT_EQ(TotalText(GroupTotal(rows, g)), "0");
    }
}

TEST(ArrayTotals, GroupsTakeOnlyTheirOwnRowsAndTheGrandTotalAll)
{
    AllRowFigures rows;
    rows[0] = {"250", "10", "2"}; // group 0: 5000
    rows[4] = {"300", "1", ""};   // group 0: 300
    rows[5] = {"200", "3", "1.5"}; // group 1: 200 x 3 x 2 = 1200; grand takes 1.5
    rows[49] = {"100", "2", ""};  // group 9: 200
    EXPECT_EQ(TotalText(GrandTotal(rows)), "6400");
    EXPECT_EQ(TotalText(GroupTotal(rows, 0)), "5300");
    EXPECT_EQ(TotalText(GroupTotal(rows, 1)), "1200");
    EXPECT_EQ(TotalText(GroupTotal(rows, 9)), "200");
}

TEST(ArrayTotals, OverflowIsErrorSix)
{
    AllRowFigures rows;
    rows[0] = {"1", "1", "3E9"}; // the rounded count leaves 32 bits (group only)
    EXPECT_NO_THROW(GrandTotal(rows));
    try {
        GroupTotal(rows, 0);
        FAIL() << "no error";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number, 6);
    }
    rows[0] = {"1E300", "1E300", ""};
    EXPECT_THROW(GrandTotal(rows), AppError);
    EXPECT_THROW(GroupTotal(rows, 0), AppError);
}

TEST(ArrayMatching, StoredTextsFindTheirItem)
{
    const QStringList items{"TS-250", "TS-300", "ts-250", "Ｔｓ－ａ"};
    EXPECT_EQ(MatchItem(items, "TS-300"), 1);
    EXPECT_EQ(MatchItem(items, "ts-300"), 1) << "letter case does not count";
    EXPECT_EQ(MatchItem(items, "ts-250"), 0) << "the first of two codes differing in case";
    EXPECT_EQ(MatchItem(items, "ｔｓ－Ａ"), 3) << "full-width letters too";
    EXPECT_EQ(MatchItem(items, ""), -1);
    EXPECT_EQ(MatchItem(items, "TS-25"), -1);
    EXPECT_EQ(MatchItem({}, "TS-250"), -1);

    const std::pair<const char*, int> numbers[] = {{"1", 0},  {"3", 2},     {"10", 9},  {" 4 ", 3},
                                                   {"", -1},  {"0", -1},    {"11", -1}, {"-2", -1},
                                                   {"2.5", -1}, {"abc", -1}, {"3x", -1}};
    for (const auto& [text, pos] : numbers)
        EXPECT_EQ(GroupNumberPosition(text), pos) << text;
}

class ArrayDeriveTest : public ::testing::Test {
  protected:
    void SetUp() override { ArraySetFixture::InstallCatalog(); }
    void TearDown() override { ArraySetFixture::ClearCatalog(); }

    ArrayConfigurationType Derived(ArrayConfigurationType a)
    {
        DeriveArrayGroups(a, Global::ModuleCatalog, Global::ModuleMakerCount);
        return a;
    }
};

TEST_F(ArrayDeriveTest, RatedPmAndCoefficientsFromRecordAndCatalogue)
{
    ArrayConfigurationType a;
    a.GroupPmTempCoef[4] = "stale"; // a table entry of an earlier customer
    // Group 0: maker and models found in another letter case; the stored Pm
    // (not the catalogue's 250) counts.
    a.GroupMaker[0] = "TOLVANE SOLAR";
    a.StringRows[0] = {"ts-300", "10", "2", "290", "38", "9"};
    a.StringRows[1] = {"TS-250", "4", "", "250", "37", "8"};
    // Group 1: the first row's model is gone from the catalogue: no
    // coefficients, but the row keeps its stored figures.
    a.GroupMaker[1] = "Kirin Denki";
    a.StringRows[5] = {"KD-999", "2", "", "199", "", ""};
    a.StringRows[6] = {"KD-200", "1", "", "200", "", ""};
    // Group 2: the maker is gone; its rows still count.
    a.GroupMaker[2] = "Gone Maker";
    a.StringRows[10] = {"GM-1", "3", "", "100", "", ""};
    // Group 3: a row without a model shows nothing, whatever it holds.
    a.GroupMaker[3] = "Tolvane Solar";
    a.StringRows[15] = {"", "5", "2", "250", "", ""};
    a.StringRows[16] = {"TS-250", "2", "", "250", "", ""};
    // Group 4: maker of no models.
    a.GroupMaker[4] = "Empty Maker";

    const ArrayConfigurationType d = Derived(a);
    const QString rated[10] = {"6800", "598", "300", "500", "0", "0", "0", "0", "0", "0"};
    for (int g = 0; g < 10; ++g)
        EXPECT_EQ(d.GroupRatedPm[g], rated[g]) << "group " << g;

    const ModuleModelRecord ts300 = Global::ModuleCatalog[0].Models[1];
    EXPECT_EQ(CoefficientsInRecord(d, 0), CoefficientsOf(ts300));
    EXPECT_EQ(d.GroupCellsDown[0], "TS-300 down");
    EXPECT_EQ(d.GroupCellsAcross[0], "TS-300 across");
    for (int g = 1; g < 10; ++g) {
        if (g == 3)
            continue;
        EXPECT_EQ(CoefficientsInRecord(d, g), GroupCoefficients{}) << "group " << g;
    }
    EXPECT_EQ(CoefficientsInRecord(d, 3), GroupCoefficients{})
        << "a first row without a model gives no coefficients, even when row 2 has one";

    // The stored part is untouched.
    ArrayConfigurationType stored = d;
    stored.GroupRatedPm = a.GroupRatedPm;
    ClearCoefficientTables(stored);
    ArrayConfigurationType expected = a;
    ClearCoefficientTables(expected);
    EXPECT_EQ(stored, expected);
}

TEST_F(ArrayDeriveTest, TheFirstOfTwoCodesDifferingInCaseGivesTheCoefficients)
{
    ArrayConfigurationType a;
    a.GroupMaker[6] = "tolvane solar";
    a.StringRows[30] = {"ts-250", "1", "", "250", "", ""};
    const ArrayConfigurationType d = Derived(a);
    EXPECT_EQ(d.GroupPmTempCoef[6], "TS-250 pmt");
    EXPECT_EQ(d.GroupK[6], "TS-250 k");
}

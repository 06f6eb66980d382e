// The cell texts of a row of the measurement list, by the row's writer.
#include "MeasViewTestSupport.h"

#include "common/AppGlobals.h"
#include "measview/MeasList.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

namespace {

class MeasListCellsTest : public ::testing::Test {
  protected:
    void SetUp() override { TestEnv::loadUiText(); }
};

MeasRecord Row(std::initializer_list<std::pair<int, const char*>> fields)
{
    MeasRecord r =
        MakeRecord({{0, "0012-03-07"}, {1, "24/05/03"}, {2, "10:15:00"}, {3, "Roof"},   {8, "45.2"},
                    {10, "23.5"},      {12, "800"},     {15, "250.5"},   {16, "401.5"}, {17, "8.125"},
                    {25, "1"},         {26, "30"},      {31, "0"},       {32, "95"},    {33, "9"},
                    {34, "11"},        {37, "1"},       {40, "3"},       {42, "8.3"},   {43, "0.77"}},
                   Every("1"), Every("1"));
    for (const auto& [n, text] : fields)
        r.F[std::size_t(n)] = QString::fromUtf8(text);
    return r;
}

QStringList Cells(const MeasRecord& r, MeasRowWriter writer = MeasRowWriter::Load, bool total = false,
                  bool hidden = false)
{
    return MeasListCells(r, total, writer, hidden);
}

QString Ui(int key)
{
    return Global::UiText.value(key);
}

} // namespace

TEST_F(MeasListCellsTest, AMeasurementRow)
{
    EXPECT_EQ(Cells(Row({})),
              QStringList({"24/05/03", "10:15:00", "0012", "03", "07", "Roof", "251", "401.5", "8.125",
                           "0.77", "45.2", "23.5", "800", Ui(511), "30", "95", "9/11", Ui(580)}));
}

TEST_F(MeasListCellsTest, VoltageAndCurrentByVersionAndModel)
{
    struct Case {
        const char *version, *model, *voc, *isc, *col7, *col8;
    } cases[] = {
        {"7.5", "2", "45.67", "3.456", "46", "3.46"},
        {"7.5", "6", "45.67", "3.456", "46", "3.5"},
        {"8.3", "1", "123456.78", "12.3456", "123456.", "12.346"},
        {"8.3", "7", "40", "1234567.89", "40.0", "1234567"},
        {"", "1", "--", "--", "0", "0.00"},
    };
    for (const Case& c : cases) {
        const QStringList cells = Cells(Row({{42, c.version}, {40, c.model}, {16, c.voc}, {17, c.isc}}));
        EXPECT_EQ(cells[7], c.col7) << c.voc;
        EXPECT_EQ(cells[8], c.col8) << c.isc;
    }
    // Pm in whole watts; a text that is no number as it stands.
    EXPECT_EQ(Cells(Row({{15, "1234.6"}}))[6], "1235");
    EXPECT_EQ(Cells(Row({{15, "--"}}))[6], "--");
    EXPECT_EQ(Cells(Row({{15, ""}}))[6], "");
}

TEST_F(MeasListCellsTest, WhoWritesDecidesHowVocAndIscShow)
{
    const MeasRecord dashes = Row({{16, "--"}, {17, "--"}, {42, "7.5"}, {40, "1"}});
    EXPECT_EQ(Cells(dashes, MeasRowWriter::Load).mid(7, 2), QStringList({"0", "0.00"}));
    EXPECT_EQ(Cells(dashes, MeasRowWriter::ViewSwitch).mid(7, 2), QStringList({"--", "--"}));
    // Only both "--" leave them as stored after a view switch.
    EXPECT_EQ(Cells(Row({{16, "--"}, {17, "8.125"}}), MeasRowWriter::ViewSwitch).mid(7, 2),
              QStringList({"0.0", "8.125"}));

    // The total row: its label, and Voc and Isc as stored.
    const MeasRecord total = Row({{16, "400.1"}, {17, "16.085"}, {0, "--"}});
    for (MeasRowWriter w : {MeasRowWriter::Load, MeasRowWriter::Totals}) {
        const QStringList cells = Cells(total, w, true);
        EXPECT_EQ(cells[3], Ui(UiTotalRowLabel));
        EXPECT_EQ(cells.mid(7, 2), QStringList({"400.1", "16.085"}));
        EXPECT_EQ(cells[2], "--");
    }
    EXPECT_EQ(Cells(total, MeasRowWriter::ViewSwitch, true).mid(7, 2), QStringList({"400.1", "16.085"}));
    EXPECT_FALSE(Ui(UiTotalRowLabel).isEmpty());
}

TEST_F(MeasListCellsTest, ModelsDirtAndJudgement)
{
    struct Case {
        std::initializer_list<std::pair<int, const char*>> fields;
        QStringList col11to17;
    } cases[] = {
        // Lower-case letter code: no outside temperature or dirt; judgement
        // only above version 8.3.
        {{{40, "b"}, {42, "8.3"}}, {"--", "800", "--", "--", "--", "--/--", "--"}},
        {{{40, "b"}, {42, "8.5"}, {37, "2"}}, {"--", "800", "--", "--", "95", "9/--", "--"}},
        {{{40, "H"}, {42, "8.5"}, {37, "3"}}, {"--", "800", "--", "--", "95", "9/--", Ui(582)}},
        // Model 7: no outside temperature or dirt, judgement as usual.
        {{{40, "7"}, {37, "2"}}, {"--", "800", "--", "--", "95", "9/11", Ui(581)}},
        // No judgement whatever the model.
        {{{31, "2"}, {40, "b"}, {42, "8.5"}}, {"--", "800", "--", "--", "--", "--/--", "--"}},
        {{{31, "2"}}, {"23.5", "800", Ui(511), "30", "--", "--/--", "--"}},
        // Dirt codes.
        {{{25, "2"}}, {"23.5", "800", Ui(512), "30", "95", "9/11", Ui(580)}},
        {{{25, "3"}}, {"23.5", "800", "--", "--", "95", "9/11", Ui(580)}},
        {{{37, "4"}}, {"23.5", "800", Ui(511), "30", "95", "9/11", "--"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Cells(Row(c.fields)).mid(11, 7), c.col11to17) << c.col11to17.join(u' ').toStdString();

    // The judgement switch empties the judgement columns, whatever the rule.
    for (const MeasRecord& r : {Row({}), Row({{31, "2"}})})
        EXPECT_EQ(Cells(r, MeasRowWriter::Load, false, true).mid(15, 3), QStringList({"", "", ""}));
}

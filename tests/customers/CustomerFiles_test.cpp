// The customer files as bytes: each parser against short, long and odd
// input, and each writer against the layout the readers expect.
#include "customers/UserData.h"
#include "customers/support/CustomerFixture.h"
#include "platform/AnsiCodec.h"

#include <gtest/gtest.h>

namespace {

QByteArray Lines(const QStringList& lines)
{
    return AnsiCodec::joinLines(lines);
}

QStringList Repeat(const QString& line, int n)
{
    QStringList out;
    for (int i = 0; i < n; ++i)
        out << line;
    return out;
}

} // namespace

TEST(CustomerFiles, UserDataJoinsTheMemoAndPadsAShortFile)
{
    const UserDataRecordType u =
        ParseUserData(Lines({"C1", "名前", "ナマエ", "現場", "100-0001", "住所", "03", "090", "m@x",
                             "2024/01/02", "一行目", "", "三行目"}));
    EXPECT_EQ(u.CustomerCode, "C1");
    EXPECT_EQ(u.CustomerName, "名前");
    EXPECT_EQ(u.Mail, "m@x");
    EXPECT_EQ(u.RegistrationDate, "2024/01/02");
    EXPECT_EQ(u.CustomerMemo, "一行目\r\n\r\n三行目");
    EXPECT_EQ(UserDataBytes(u), Lines({"C1", "名前", "ナマエ", "現場", "100-0001", "住所", "03", "090", "m@x",
                                       "2024/01/02", "一行目\r\n\r\n三行目"}));

    const UserDataRecordType shortFile = ParseUserData(Lines({"C2", "Name", "Reading"}));
    EXPECT_EQ(shortFile.NameReading, "Reading");
    EXPECT_EQ(shortFile.SiteName, "");
    EXPECT_EQ(shortFile.CustomerMemo, "");
    EXPECT_EQ(ParseUserData(QByteArray()), UserDataRecordType{});
}

TEST(CustomerFiles, MakerDataRowsOfSixFiveAndFewerFields)
{
    ArrayConfigurationType a;
    a.StringRows[2].ModelCode = "earlier";
    a.GroupAlpha[0] = "0.05";
    QStringList lines{"99.5",
                      "Maker",
                      "M6,10,250,37.5,8.9,2",
                      "M5,8,250,37.5,8.9",
                      "",
                      "M7,1,2,3,4,5,6,7",
                      "short,1,2,3",
                      "3",
                      "PCMaker",
                      "PC1"};
    lines << Repeat("", 9 * 9) << "memo 1"
          << "memo 2";
    ParseMakerData(Lines(lines), a);

    EXPECT_EQ(a.TotalPm, "99.5");
    EXPECT_EQ(a.GroupMaker[0], "Maker");
    EXPECT_EQ(a.StringRows[0], (StringRow{"M6", "10", "2", "250", "37.5", "8.9"}));
    EXPECT_EQ(a.StringRows[1], (StringRow{"M5", "8", "", "250", "37.5", "8.9"}));
    EXPECT_EQ(a.StringRows[2].ModelCode, "earlier") << "an empty row line leaves the row";
    EXPECT_EQ(a.StringRows[3], (StringRow{"M7", "1", "5", "2", "3", "4"}));
    EXPECT_EQ(a.StringRows[4].ModelCode, "") << "four fields are no row";
    EXPECT_EQ(a.StringRows[5].ModelCode, "") << "group 1 starts at row 5";
    EXPECT_EQ(a.GroupPowCon[0], (GroupPowConEntry{"3", "PCMaker", "PC1"}));
    EXPECT_EQ(a.ExtMemo, "memo 1\r\nmemo 2");
    EXPECT_EQ(a.GroupAlpha[0], "0.05") << "derived tables are not in the file";
}

TEST(CustomerFiles, MakerDataEndingEarlyLeavesTheLaterGroups)
{
    ArrayConfigurationType a;
    for (int g = 0; g < 10; ++g)
        a.GroupMaker[g] = "old";
    a.ExtMemo = "old memo";
    QStringList lines{"1"};
    for (int g = 0; g < 3; ++g)
        lines << QString("G%1").arg(g) << Repeat(",,,,,", 5) << ""
              << ""
              << "";
    ParseMakerData(Lines(lines), a);
    EXPECT_EQ(a.GroupMaker[2], "G2");
    EXPECT_EQ(a.GroupMaker[3], "old");
    EXPECT_EQ(a.ExtMemo, "");

    // A file that ends inside a group reads the rest of the group as empty.
    ArrayConfigurationType b;
    ParseMakerData(Lines({"1", "G0", "A,1,2,3,4,5"}), b);
    EXPECT_EQ(b.StringRows[0].ParallelCount, "5");
    EXPECT_EQ(b.GroupPowCon[0].PowConMaker, "");
}

TEST(CustomerFiles, MakerDataWritesTenGroupsOfNineLines)
{
    ArrayConfigurationType a;
    a.TotalPm = "5";
    a.GroupMaker[9] = "Last";
    a.StringRows[49] = StringRow{"M", "2", "3", "250", "40", "9"};
    a.GroupPowCon[9] = GroupPowConEntry{"10", "P", "Q"};
    a.ExtMemo = "x\r\ny";
    QStringList lines{"5"};
    for (int g = 0; g < 9; ++g)
        lines << "" << Repeat(",,,,,", 5) << ""
              << ""
              << "";
    lines << "Last" << Repeat(",,,,,", 4) << "M,2,250,40,9,3"
          << "10"
          << "P"
          << "Q"
          << "x"
          << "y";
    EXPECT_EQ(MakerDataBytes(a), Lines(lines));

    ArrayConfigurationType back;
    ParseMakerData(MakerDataBytes(a), back);
    EXPECT_EQ(back, a);
}

TEST(CustomerFiles, MarkedTotals)
{
    const struct {
        const char* line;
        const char* value;
    } cases[] = {
        {"SEL_OK,12.5", "12.5"}, {"sel_ok,7", "7"}, {"Sel_Ok,1,234", "1"}, {"SEL_OK,", ""},  {"12.5", "----"},
        {"SEL_OK", "----"},      {"", "----"},      {" SEL_OK,3", "----"}, {"OK,3", "----"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadMarkedTotal(QString::fromUtf8(c.line)), QString::fromUtf8(c.value)) << c.line;
}

TEST(CustomerFiles, MeasDataReadsItsLinesAndPadsAShortFile)
{
    const MeasDataContent full = ParseMeasData(Lines({"屋根", "2024/05/10", "SEL_OK,1", "SEL_OK,2", "3",
                                                      "/a/p1.jpg", "", "", "/a/p4.jpg", "m1", "m2"}),
                                               "1_屋根");
    EXPECT_EQ(full.record.HistoryName, "屋根");
    EXPECT_EQ(full.record.MeasDate, "2024/05/10");
    EXPECT_EQ(full.record.HistoryPmTotal, "1");
    EXPECT_EQ(full.record.HistoryVocTotal, "2");
    EXPECT_EQ(full.record.HistoryIscTotal, "----");
    EXPECT_EQ(full.olderPictures, (PictureNames{"/a/p1.jpg", "", "", "/a/p4.jpg"}));
    EXPECT_EQ(full.record.HistoryMemo, "m1\r\nm2");

    const MeasDataContent two = ParseMeasData(Lines({"Name", "Date"}), "2_x");
    EXPECT_EQ(two.record.HistoryName, "Name");
    EXPECT_EQ(two.record.HistoryPmTotal, "----");
    EXPECT_EQ(two.record.HistoryMemo, "");

    // An empty file takes the name from the folder, all after its first "_".
    const MeasDataContent empty = ParseMeasData(QByteArray(), "4_a_b");
    EXPECT_EQ(empty.record.HistoryName, "a_b");
    EXPECT_EQ(empty.record.HistoryIscTotal, "----");
}

TEST(CustomerFiles, MeasDataMarkerOfTheSave)
{
    const struct {
        QStringList lines;
        bool marked;
    } cases[] = {
        {{"n", "d", "SEL_OK,1", "SEL_OK,2"}, true},
        {{"n", "d", "sel_ok,1"}, true},
        {{"n", "d", "1", "SEL_OK,2"}, false}, // only line 3 decides
        {{"n", "SEL_OK"}, true},              // a short file: its last line decides
        {{"n", "d", "5"}, false},
        {{}, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MeasDataTotalsMarked(Lines(c.lines)), c.marked) << c.lines.join('|').toStdString();

    HistoryRecord h;
    h.HistoryName = "n";
    h.MeasDate = "d";
    h.HistoryPmTotal = "1";
    h.HistoryVocTotal = "2";
    h.HistoryIscTotal = "----";
    h.PicturePaths[0] = "/not/written.jpg";
    h.HistoryMemo = "a\r\nb";
    EXPECT_EQ(MeasDataBytes(h, true),
              Lines({"n", "d", "SEL_OK,1", "SEL_OK,2", "SEL_OK,----", "", "", "", "", "a", "b"}));
    EXPECT_EQ(MeasDataBytes(h, false), Lines({"n", "d", "1", "2", "----", "", "", "", "", "a", "b"}));
}

TEST(CustomerFiles, OlderPictureLinesAreClearedOneByOne)
{
    const QByteArray in = "n\r\nd\r\n1\r\n2\r\n3\r\n/p1.jpg\r\n/p2.jpg\r\n\r\n/p4.jpg\r\n\x82\xa0memo\r\n";
    EXPECT_EQ(ClearOlderPictureLines(in, {true, false, false, true}),
              QByteArray("n\r\nd\r\n1\r\n2\r\n3\r\n\r\n/p2.jpg\r\n\r\n\r\n\x82\xa0memo\r\n"));
    // A file too short to hold the line keeps its lines.
    EXPECT_EQ(ClearOlderPictureLines("a\r\nb", {true, true, true, true}), QByteArray("a\r\nb\r\n"));
}

TEST(CustomerFiles, PictureDataNamesNeverLeaveThePictureFolder)
{
    EXPECT_EQ(ParsePictureData(Lines({"a.jpg", "../b.jpg", "c/d.jpg", "e\\f.jpg"})),
              (PictureNames{"a.jpg", "", "", ""}));
    EXPECT_EQ(ParsePictureData(Lines({"..", ".", "x..jpg", "y.jpg", "fifth.jpg"})),
              (PictureNames{"", "", "x..jpg", "y.jpg"}));
    EXPECT_EQ(ParsePictureData(Lines({"only.jpg"})), (PictureNames{"only.jpg", "", "", ""}));
    EXPECT_EQ(PictureDataBytes({"a.jpg", "", "写真.jpg", ""}), Lines({"a.jpg", "", "写真.jpg", ""}));
}

TEST(CustomerFiles, ContractorsOfAShortFileArePadded)
{
    const ContractorRecord c = ParseContractors(Lines({"A社", "03", "甲", "B社"}));
    EXPECT_EQ(c.ContractorNames[0], "A社");
    EXPECT_EQ(c.ContractorPersons[0], "甲");
    EXPECT_EQ(c.ContractorNames[1], "B社");
    EXPECT_EQ(c.ContractorPhones[1], "");
    EXPECT_EQ(c.ContractorNames[4], "");
    EXPECT_EQ(ContractorBytes(c), Lines(QStringList{"A社", "03", "甲", "B社"} + Repeat("", 11)));
}

TEST(CustomerFiles, HistoryFolderNumbers)
{
    const struct {
        const char* name;
        int number;
    } cases[] = {
        {"1_a", 1},          {"99_b", 99}, {"03_c", 3},          {"10_x_y", 10}, {"0_zero", 0},
        {"100_big", 0},      {"_none", 0}, {"abc_d", 0},         {"3a_e", 0},    {" 3_f", 0},
        {"nounderscore", 0}, {"-1_g", 0},  {"99999999999_h", 0}, {"", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HistoryFolderNumber(QString::fromUtf8(c.name)), c.number) << c.name;
}

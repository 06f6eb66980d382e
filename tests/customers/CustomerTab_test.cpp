// The customer tab driven through the main window's controls: the list and
// its order, choosing a customer, editing and saving, a new customer, a new
// code or name, the names refused, deleting, and the documents folder.
#include "customers/support/CustomerTabEnv.h"

#include "customers/UserData.h"
#include "platform/Registry.h"

#include <QFile>
#include <QLabel>

using namespace CustomerTabTest;
using CustomerFixture::Bytes;
using CustomerFixture::Lines;

namespace {

// Five customers whose columns sort differently.
const QList<CustomerSpec> Five = {
    {"C300", "Kato", "kato", "Site 1", "300-0001", "Tsukuba", "029-1", "2023/05/01", {}, "10"},
    {"a100", "Abe", "abe", "Site 2", "500-0001", "Gifu", "058-1", "2024/01/15", {}, "20"},
    {"B200", "ito", "Ito", "Site 3", "100-0001", "Tokyo", "03-1", "2022/12/31", {}, "30"},
    {"d400", "Ueda", "ueda", "Site 4", "900-0001", "Naha", "098-1", "2024/01/15", {}, "40"},
    {"E500", "Oka", "OKA", "Site 5", "060-0001", "Sapporo", "011-1", "2021/07/07", {}, "50"},
};

CustomerSpec WithHistories()
{
    CustomerSpec c{"K001", "Kimura", "kimura", "Roof", "123-4567", "Osaka", "06-1", "2024/02/02", {}, "12.5"};
    c.histories = {{1, "East", "2024/03/01", "first memo", {"Alpha", "", "", "", "Echo"}},
                   {2, "West", "2024/03/02", "second", {"Bravo"}},
                   {3, "North_roof", "2024/03/03", "", {}}};
    return c;
}

class CustomerTabTest : public ::testing::Test {
  protected:
    CustomerTabEnv t;
};

} // namespace

TEST_F(CustomerTabTest, ListShowsEveryCustomerFolderSortedByTheStoredColumnAndDirection)
{
    for (const CustomerSpec& c : Five)
        t.Write(c);
    // Not customers: a folder without MakerData.csv, one without
    // UserData.csv, and a plain file.
    QDir().mkpath(t.Folder("X_only-user"));
    WriteLinesAtomic(t.Folder("X_only-user") + "/UserData.csv", QStringList(10, "x"));
    QDir().mkpath(t.Folder("Y_only-maker"));
    WriteLinesAtomic(t.Folder("Y_only-maker") + "/MakerData.csv", {""});
    WriteLinesAtomic(t.Users() + "/stray.csv", {"a"});
    // A link to a customer folder is no customer of its own.
    QFile::link(t.Folder("C300_Kato"), t.Users() + "/Z_link");

    struct Case {
        int column, direction;
        QStringList codes;
    };
    const Case cases[] = {
        {0, 0, {"a100", "B200", "C300", "d400", "E500"}},
        {0, 1, {"E500", "d400", "C300", "B200", "a100"}},
        {1, 0, {"Abe", "ito", "Kato", "Oka", "Ueda"}},
        {2, 1, {"ueda", "OKA", "kato", "Ito", "abe"}},
        {4, 0, {"060-0001", "100-0001", "300-0001", "500-0001", "900-0001"}},
        // Equal dates keep the folder order.
        {7, 0, {"2021/07/07", "2022/12/31", "2023/05/01", "2024/01/15", "2024/01/15"}},
        {3, 1, {"Site 5", "Site 4", "Site 3", "Site 2", "Site 1"}},
        // A stored column that names no column sorts by the code.
        {12, 0, {"a100", "B200", "C300", "d400", "E500"}},
        {-3, 0, {"a100", "B200", "C300", "d400", "E500"}},
    };
    t.Load();
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << "column " << k.column << " direction " << k.direction);
        Global::SortColumn = k.column;
        Global::SortDirection = k.direction;
        UserListIni(true);
        const int shown = k.column >= 0 && k.column < 8 ? k.column : 0;
        EXPECT_EQ(t.Column(shown), k.codes);
        EXPECT_EQ(Global::UserListCount, 5);
        EXPECT_EQ(t.Grid().Row(), 1);
        EXPECT_EQ(t.Grid().Col(), 1);
        EXPECT_TRUE(t.Grid().isVisibleTo(t.w.form.get()));
    }
    for (int k = 0; k < 8; ++k)
        EXPECT_EQ(t.Grid().TextMatrix(0, k), Ui(44 + k));
    EXPECT_EQ(t.Grid().TextMatrix(1, 7), "2024/01/15") << "line 10 of UserData.csv";
    EXPECT_EQ(t.Grid().cellAlignment(1, 0), FlexGrid::flexAlignLeftCenter);
    EXPECT_EQ(t.Grid().cellAlignment(0, 0), FlexGrid::flexAlignCenterCenter);
    for (int b : {0, 1, 2, 10, 11})
        EXPECT_TRUE(t.Enabled(Name("CmdBtn", b))) << b;
    EXPECT_TRUE(t.TakeMessages().isEmpty());

    // Built hidden, the list is still filled and sorted.
    UserListIni(false);
    EXPECT_FALSE(t.Grid().isVisibleTo(t.w.form.get()));
    EXPECT_EQ(t.Grid().Rows(), 6);
}

TEST_F(CustomerTabTest, EmptyDataFolderListsNothingAndLocksTheCommands)
{
    WriteLinesAtomic(t.Users() + "/stray.csv", {"a"});
    t.Load();
    EXPECT_EQ(t.Grid().Rows(), 1);
    for (int b : {0, 1, 2, 10, 11})
        EXPECT_FALSE(t.Enabled(Name("CmdBtn", b))) << b;
    EXPECT_TRUE(t.Enabled(Name("CmdBtn", 3))) << "a new customer can always be started";
    for (int k : {0, 1, 11, 12})
        EXPECT_FALSE(t.Enabled(Name("TxtIn", k))) << "locked until a customer is chosen";
    // A click on the empty list does nothing.
    emit t.Grid().Click();
    EXPECT_EQ(Global::CurUserRow, 0);
    EXPECT_TRUE(t.TakeMessages().isEmpty());
}

TEST_F(CustomerTabTest, DamagedFoldersAreReportedOnceAndTheOtherCustomersStayListed)
{
    t.Write(Five[0]);
    t.Write(Five[1]);
    // A UserData.csv of three lines: reported, listed with empty fields.
    QDir().mkpath(t.Folder("S9_short"));
    WriteLinesAtomic(t.Folder("S9_short") + "/UserData.csv", {"S9", "short", "reading"});
    WriteLinesAtomic(t.Folder("S9_short") + "/MakerData.csv", {""});
    t.Load();
    EXPECT_EQ(t.Column(0), (QStringList{"a100", "C300", "S9"}));
    ASSERT_EQ(t.Dialogs().log.size(), 1);
    EXPECT_EQ(t.Dialogs().log[0].message.text, "ERROR No:62 Input past end of file");
    EXPECT_EQ(t.Dialogs().log[0].message.title, "UserListIni");
    EXPECT_EQ(t.Dialogs().log[0].message.icon, 0);
}

TEST_F(CustomerTabTest, A1025thCustomerIsReportedAndTheFirst1024AreListed)
{
    for (int i = 0; i < 1025; ++i) {
        const QString key = QString("N%1_n").arg(i, 4, 10, QChar('0'));
        QDir().mkpath(t.Folder(key));
        WriteLinesAtomic(t.Folder(key) + "/UserData.csv",
                         {QString("N%1").arg(i, 4, 10, QChar('0')), "n", "", "", "", "", "", "", "", ""});
        WriteLinesAtomic(t.Folder(key) + "/MakerData.csv", {""});
    }
    t.Load();
    EXPECT_EQ(Global::UserListCount, 1024);
    EXPECT_EQ(t.Grid().Rows(), 1025);
    EXPECT_EQ(t.Grid().TextMatrix(1024, 0), "N1023");
    EXPECT_EQ(t.TakeMessages(), QStringList{"ERROR No:9 Subscript out of range"});
    // The last one listed is chosen like any other.
    t.ClickRow(1024);
    EXPECT_EQ(Global::CurUserIndex, 1023);
    EXPECT_EQ(t.Text("TxtIn", 0), "N1023");
}

TEST_F(CustomerTabTest, ChoosingACustomerShowsItWithItsFirstHistoryAndHighlightsItsRow)
{
    t.Write(Five[0]);
    t.Write(WithHistories());
    t.Load();
    t.ClickCustomer("K001");
    const int row = t.RowOf("K001");
    EXPECT_EQ(Global::CurUserRow, row);
    EXPECT_EQ(Global::UserListItems[std::size_t(Global::CurUserIndex)].CustomerCode, "K001");
    EXPECT_EQ(Global::LoadedCustomerKey, "K001_Kimura");
    const QStringList fields{"K001", "Kimura", "kimura", "Roof", "123-4567", "Osaka",
                             "06-1", "0120-000", "m@example.jp", "2024/02/02", "memo of K001"};
    for (int k = 0; k <= 10; ++k)
        EXPECT_EQ(t.Text("TxtIn", k), fields[k]) << k;
    EXPECT_EQ(t.Text("LblModulePmMax"), "12.5");
    EXPECT_EQ(t.Text("TxtIn", 11), "East");
    EXPECT_EQ(t.Text("LblDate"), "2024/03/01");
    EXPECT_EQ(t.Text("LblMeasDataPm"), "1.5");
    EXPECT_EQ(t.Text("TxtIn", 12), "first memo");
    EXPECT_EQ(t.Text("TxtCompanyName", 0), "Alpha");
    EXPECT_EQ(t.Text("TxtCompanyName", 4), "Echo");
    EXPECT_EQ(t.Text("LblPage"), "1");
    EXPECT_EQ(t.Text("LblTotalPage"), "3");
    EXPECT_EQ(Global::HistoryPage, 0);
    for (const char* box : {"TxtIn_0", "TxtIn_11", "TxtCompanyTel_3", "CmdScl_1", "CmdPicReg_0", "OpPicSel_2"})
        EXPECT_TRUE(t.Enabled(box)) << box;
    for (int col = 0; col < 8; ++col) {
        EXPECT_EQ(t.Grid().cellBackColor(row, col), UserRowSelectedBack);
        EXPECT_EQ(t.Grid().cellForeColor(row, col), UserRowSelectedFore);
    }
    EXPECT_FALSE(Global::TabModified[0]) << "showing a customer is no edit";

    // Another customer: the first row's highlight goes.
    t.ClickCustomer("C300");
    EXPECT_EQ(t.Grid().cellBackColor(row, 0), UserRowBack);
    EXPECT_EQ(t.Text("TxtIn", 1), "Kato");
    EXPECT_EQ(t.Text("TxtIn", 11), "") << "no histories";
    EXPECT_EQ(t.Text("LblTotalPage"), "0");
    EXPECT_TRUE(t.TakeMessages().isEmpty());
}

TEST_F(CustomerTabTest, ARowWhoseCustomerCannotBeReadLeavesNoCustomerChosen)
{
    t.Write(Five[0]);
    t.Write(WithHistories());
    t.Load();
    t.ClickCustomer("K001");
    // The folder goes away behind the program's back.
    QDir(t.Folder("K001_Kimura")).removeRecursively();
    t.ClickCustomer("K001");
    EXPECT_EQ(Global::CurUserRow, 0);
    EXPECT_EQ(Global::LoadedCustomerKey, "");
    EXPECT_EQ(t.Text("TxtIn", 0), "") << "nothing of the customer shown before";
    EXPECT_FALSE(t.Enabled("TxtIn_0"));
    EXPECT_EQ(t.Grid().cellBackColor(t.RowOf("K001"), 0), UserRowBack);
}

TEST_F(CustomerTabTest, EditsAreSavedToTheFilesAndTheCustomerIsShownAgainOnTheSamePage)
{
    t.Write(Five[0]);
    const QString c = t.Write(WithHistories());
    t.Load();
    t.ClickCustomer("K001");
    t.Click("CmdScl", 1);
    ASSERT_EQ(t.Text("TxtIn", 11), "West");
    t.Type("TxtIn", 3, "New roof");
    t.Type("TxtIn", 12, "line one");
    t.Type("TxtCompanyTel", 1, "045-9");
    ASSERT_TRUE(Global::TabModified[0]);

    t.Click("CmdBtn", 0);
    EXPECT_TRUE(t.TakeMessages().isEmpty());
    EXPECT_EQ(Global::MessWindowText, "Save OK");
    EXPECT_FALSE(Global::TabModified[0]);
    EXPECT_EQ(AnsiCodec::splitLines(Bytes(c + "/UserData.csv")).value(3), "New roof");
    EXPECT_EQ(Bytes(c + "/2_West/MeasData.csv"),
              Lines({"West", "2024/03/02", "SEL_OK,1.5", "SEL_OK,40", "SEL_OK,9", "", "", "", "", "line one"}));
    EXPECT_EQ(AnsiCodec::splitLines(Bytes(c + "/2_West/ConstructionContractor.csv")).value(4), "045-9");
    // Shown again, on the same page.
    EXPECT_EQ(Global::HistoryPage, 1);
    EXPECT_EQ(t.Text("LblPage"), "2");
    EXPECT_EQ(t.Text("TxtIn", 11), "West");
    EXPECT_EQ(t.Text("TxtIn", 3), "New roof");
    EXPECT_EQ(Global::CurUserRow, t.RowOf("K001"));
    EXPECT_EQ(t.Grid().cellBackColor(t.RowOf("K001"), 0), UserRowSelectedBack);
    EXPECT_EQ(t.Grid().TextMatrix(t.RowOf("K001"), 3), "New roof");
}

TEST_F(CustomerTabTest, SaveQuestionOfTheCustomerChoice)
{
    t.Write(Five[0]);
    t.Write(WithHistories());
    t.Load();

    // No: the clicked customer is shown, the edits are gone.
    t.ClickCustomer("K001");
    t.Type("TxtIn", 3, "typed");
    t.Dialogs().answer(vbNo);
    t.ClickCustomer("C300");
    EXPECT_EQ(t.TakeMessages(), QStringList{Ui(578)});
    EXPECT_EQ(t.Text("TxtIn", 0), "C300");
    EXPECT_FALSE(Global::TabModified[0]);
    EXPECT_NE(AnsiCodec::splitLines(Bytes(t.Folder("K001_Kimura") + "/UserData.csv")).value(3), "typed");

    // Yes with a save that goes through: the saved customer stays chosen.
    t.Type("TxtIn", 3, "saved site");
    t.Dialogs().answer(vbYes);
    t.ClickCustomer("K001");
    EXPECT_EQ(t.TakeMessages(), QStringList{Ui(578)});
    EXPECT_EQ(t.Text("TxtIn", 0), "C300");
    EXPECT_EQ(t.Text("TxtIn", 3), "saved site");
    EXPECT_EQ(Global::CurUserRow, t.RowOf("C300"));

    // Yes with a refused save: the edits and the customer stay.
    t.Type("TxtIn", 1, "");
    t.Dialogs().answer(vbYes);
    t.ClickCustomer("K001");
    EXPECT_EQ(t.TakeMessages(), (QStringList{Ui(578), Ui(555)}));
    EXPECT_EQ(t.Text("TxtIn", 0), "C300");
    EXPECT_EQ(t.Text("TxtIn", 1), "");
    EXPECT_TRUE(Global::TabModified[0]) << "the edits are still unsaved";
    EXPECT_EQ(Global::LoadedCustomerKey, "C300_Kato");

    // Shown from another tab, the customer is chosen without a question
    // (the edits given up first: the way to another tab asks about them).
    Global::TabModified[0] = false;
    t.Tabs().setCurrentIndex(3);
    t.ClickCustomer("K001");
    EXPECT_TRUE(t.TakeMessages().isEmpty());
    EXPECT_EQ(t.Text("TxtIn", 0), "K001");
}

TEST_F(CustomerTabTest, NewCustomerIsTypedSavedListedAndChosen)
{
    t.Write(Five[0]);
    t.Write(WithHistories());
    t.Load();
    t.ClickCustomer("K001");
    t.Click("CmdBtn", 3);
    EXPECT_TRUE(t.TakeMessages().isEmpty());
    for (int k : {0, 1, 3, 10, 11, 12})
        EXPECT_EQ(t.Text("TxtIn", k), "") << k;
    EXPECT_EQ(t.Text("LblModulePmMax"), "");
    EXPECT_EQ(Global::HistoryPage, 0);
    EXPECT_EQ(Global::LoadedCustomerKey, "");
    EXPECT_TRUE(t.Enabled("TxtIn_0"));

    t.Type("TxtIn", 0, "N777");
    t.Type("TxtIn", 1, "Nakamura");
    t.Type("TxtIn", 9, "2024/06/01");
    t.Type("TxtIn", 11, "Carport");
    t.Type("TxtCompanyName", 0, "Delta");
    t.Click("CmdBtn", 0);
    EXPECT_TRUE(t.TakeMessages().isEmpty());

    const QString c = t.Folder("N777_Nakamura");
    EXPECT_EQ(AnsiCodec::splitLines(Bytes(c + "/UserData.csv")).mid(0, 2), (QStringList{"N777", "Nakamura"}));
    EXPECT_TRUE(QFileInfo::exists(c + "/MakerData.csv"));
    EXPECT_EQ(Bytes(c + "/Documents/" + Ui(521)), "\r\n");
    EXPECT_EQ(AnsiCodec::splitLines(Bytes(c + "/1_Carport/MeasData.csv")).value(0), "Carport");
    EXPECT_EQ(AnsiCodec::splitLines(Bytes(c + "/1_Carport/ConstructionContractor.csv")).value(0), "Delta");
    EXPECT_EQ(Bytes(c + "/1_Carport/PictureData.csv"), Lines({"", "", "", ""})) << "made by the read";
    EXPECT_FALSE(QFileInfo::exists(t.Folder("K001_Kimura") + "/1_Carport")) << "nothing of it in the customer before";

    EXPECT_EQ(t.Column(0), (QStringList{"C300", "K001", "N777"}));
    EXPECT_EQ(Global::CurUserRow, 3);
    EXPECT_EQ(Global::LoadedCustomerKey, "N777_Nakamura");
    EXPECT_EQ(t.Text("TxtIn", 11), "Carport");
    EXPECT_EQ(t.Text("LblTotalPage"), "1");
    EXPECT_EQ(t.Grid().cellBackColor(t.RowOf("K001"), 0), UserRowBack) << "one row highlighted";
    EXPECT_EQ(t.Grid().cellBackColor(3, 0), UserRowSelectedBack);
}

TEST_F(CustomerTabTest, ANewCustomerOfAnExistingKeyIsRefused)
{
    const QString c = t.Write(WithHistories());
    const auto before = CustomerFixture::Snapshot(t.Users());
    t.Load();
    t.Click("CmdBtn", 3);
    t.Type("TxtIn", 0, "K001");
    t.Type("TxtIn", 1, "Kimura");
    t.Type("TxtIn", 11, "East");
    t.Click("CmdBtn", 0);
    EXPECT_EQ(t.TakeMessages(), QStringList{Ui(687)});
    EXPECT_TRUE(SameFiles(CustomerFixture::Snapshot(t.Users()), before));
    EXPECT_TRUE(Global::TabModified[0]);
    EXPECT_EQ(t.Grid().Rows(), 2) << "no row for the refused customer";
    EXPECT_EQ(Global::CurUserRow, 0);
    EXPECT_EQ(t.Text("TxtIn", 11), "East") << "the edits stay";
}

TEST_F(CustomerTabTest, AFolderInTheWayThatTheListDoesNotShowIsNamed)
{
    t.Write(WithHistories());
    // Left over without the customer's files: a folder with a history only,
    // one with UserData.csv alone, and a plain file of a customer's name.
    QDir().mkpath(t.Folder("L404_Lost") + "/1_East");
    QDir().mkpath(t.Folder("L405_Half"));
    WriteLinesAtomic(t.Folder("L405_Half") + "/UserData.csv", QStringList(10, "x"));
    WriteLinesAtomic(t.Folder("L406_File"), {"x"});
    const auto before = CustomerFixture::Snapshot(t.Users());
    t.Load();
    t.TakeMessages();
    for (const char* name : {"Lost", "Half", "File"}) {
        const QString code = name == QString("Lost") ? "L404" : name == QString("Half") ? "L405" : "L406";
        SCOPED_TRACE(name);
        EXPECT_EQ(t.RowOf(code), 0) << "the list shows no such customer";
        Global::TabModified[0] = false;
        t.Click("CmdBtn", 3);
        t.Type("TxtIn", 0, code);
        t.Type("TxtIn", 1, name);
        t.Click("CmdBtn", 0);
        EXPECT_EQ(t.TakeMessages(), QStringList{Ui(687) + "   [" + t.Folder(code + "_" + name) + "]"});
    }
    EXPECT_TRUE(SameFiles(CustomerFixture::Snapshot(t.Users()), before));

    // Re-keying a listed customer onto a left-over folder names it as well.
    Global::TabModified[0] = false;
    t.ClickCustomer("K001");
    t.Type("TxtIn", 0, "L404");
    t.Type("TxtIn", 1, "Lost");
    t.Click("CmdBtn", 0);
    EXPECT_EQ(t.TakeMessages(), QStringList{Ui(687) + "   [" + t.Folder("L404_Lost") + "]"});
    EXPECT_TRUE(SameFiles(CustomerFixture::Snapshot(t.Users()), before));
}

TEST_F(CustomerTabTest, ANewCodeOrNameMovesTheFolderAndAnExistingKeyIsRefused)
{
    t.Write(Five[0]);
    const QString old = t.Write(WithHistories());
    QDir().mkpath(old + "/2_West/Pictures");
    WritePicture(old + "/2_West/Pictures/site.jpg");
    WriteLinesAtomic(old + "/2_West/PictureData.csv", {"site.jpg", "", "", ""});
    t.Load();
    t.ClickCustomer("K001");
    t.Click("CmdScl", 1);

    // Onto the key of another customer: refused, nothing moves.
    t.Type("TxtIn", 0, "C300");
    t.Type("TxtIn", 1, "Kato");
    t.Click("CmdBtn", 0);
    EXPECT_EQ(t.TakeMessages(), QStringList{Ui(687)});
    EXPECT_TRUE(QFileInfo::exists(old + "/UserData.csv"));

    t.Type("TxtIn", 0, "K002");
    t.Type("TxtIn", 1, "Kimura Ltd");
    t.Click("CmdBtn", 0);
    EXPECT_TRUE(t.TakeMessages().isEmpty());
    const QString moved = t.Folder("K002_Kimura Ltd");
    EXPECT_FALSE(QFileInfo::exists(old));
    EXPECT_EQ(AnsiCodec::splitLines(Bytes(moved + "/UserData.csv")).mid(0, 2), (QStringList{"K002", "Kimura Ltd"}));
    EXPECT_EQ(Bytes(moved + "/2_West/PictureData.csv"), Lines({"site.jpg", "", "", ""})) << "kept after a move";
    EXPECT_TRUE(QFileInfo::exists(moved + "/2_West/Pictures/site.jpg"));
    EXPECT_EQ(t.Column(0), (QStringList{"C300", "K002"}));
    EXPECT_EQ(Global::LoadedCustomerKey, "K002_Kimura Ltd");
    EXPECT_EQ(t.Text("LblPage"), "2");
    EXPECT_EQ(Global::HistoryRecords[1].PicturePaths[0], moved + "/2_West/Pictures/site.jpg");
}

TEST_F(CustomerTabTest, TypedNamesAreRefusedBeforeAnythingIsWritten)
{
    const QString longName(200, u'n');
    struct Case {
        const char* what;
        QString code, name, history;
        QString otherHistory; // typed on page 2 and left there
        int key;
    };
    const Case cases[] = {
        {"no code", "", "Kimura", "East", "", 555},
        {"no name", "K001", "", "East", "", 555},
        {"a double-byte code", "Ｋ001", "Kimura", "East", "", 675},
        {"a slash in the code", "K/1", "Kimura", "East", "", 556},
        {"a colon in the name", "K001", "Ki:mura", "East", "", 557},
        {"a question mark in the history", "K001", "Kimura", "East?", "", 558},
        {"a backslash in a history not shown", "K001", "Kimura", "East", "We\\st", 558},
        {"a name ending in a dot", "K001", "Kimura.", "East", "", 575},
        {"a name ending in a blank", "K001", "Kimura ", "East", "", 575},
        {"a history of dots only", "K001", "Kimura", "..", "", 558},
        {"a history ending in a dot", "K001", "Kimura", "East.", "", 575},
        {"a tab in the name", "K001", "Ki\tmura", "East", "", 575},
        {"a character code page 932 cannot hold", "K001", "Kim\u00E9ra", "East", "", 575},
        {"an emoji in a history not shown", "K001", "Kimura", "East", "West \U0001F600", 575},
        {"a folder name above 255 bytes", "K001", QString(90, u'\u5C71'), "East", "", 575},
        {"two histories of one name", "K001", "Kimura", "West", "", 559},
        {"a path of 256 characters", "K001", "Kimura", longName, "", 586},
    };
    const QString c = t.Write(WithHistories());
    t.Load();
    const auto before = CustomerFixture::Snapshot(t.Users());
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        t.ClickCustomer("K001");
        t.TakeMessages();
        if (!k.otherHistory.isEmpty()) {
            t.Click("CmdScl", 1);
            t.Type("TxtIn", 11, k.otherHistory);
            t.Dialogs().answer(vbNo); // the page turn's save question
            t.Click("CmdScl", 0);
            t.TakeMessages();
        }
        t.Type("TxtIn", 0, k.code);
        t.Paste(Name("TxtIn", 1), k.name);
        t.Type("TxtIn", 11, k.history);
        Global::MessWindowText.clear();
        EXPECT_FALSE(CmdBtn0_Click(true));
        EXPECT_EQ(t.TakeMessages(), QStringList{Ui(k.key)});
        EXPECT_TRUE(Global::TabModified[0]);
        EXPECT_EQ(Global::MessWindowText, "");
        EXPECT_EQ(t.Text("TxtIn", 1), k.name) << "the typed texts stay";
        EXPECT_TRUE(SameFiles(CustomerFixture::Snapshot(t.Users()), before));
        Global::TabModified[0] = false;
    }
    // A history whose name holds "_" or full-width characters is fine.
    t.ClickCustomer("K001");
    t.Type("TxtIn", 11, "東_面");
    t.Click("CmdBtn", 0);
    EXPECT_TRUE(t.TakeMessages().isEmpty());
    EXPECT_TRUE(QFileInfo::exists(c + "/1_東_面/MeasData.csv"));
}

TEST_F(CustomerTabTest, DeletingRemovesTheLoadedCustomersFolderAfterTwoQuestions)
{
    t.Write(Five[0]);
    t.Write(Five[1]);
    t.Write(WithHistories());
    t.Load();
    t.ClickCustomer("K001");

    for (const QList<int>& answers : QList<QList<int>>{{vbNo}, {vbYes, vbNo}}) {
        for (int a : answers)
            t.Dialogs().answer(a);
        t.Click("CmdBtn", 1);
        EXPECT_EQ(t.TakeMessages().size(), answers.size());
        EXPECT_TRUE(QFileInfo::exists(t.Folder("K001_Kimura")));
        EXPECT_EQ(t.Text("TxtIn", 0), "K001");
    }

    // The boxes name another customer; the loaded one is deleted all the same.
    t.Type("TxtIn", 0, "a100");
    t.Type("TxtIn", 1, "Abe");
    t.Dialogs().answer(vbYes);
    t.Dialogs().answer(vbYes);
    t.Click("CmdBtn", 1);
    EXPECT_EQ(t.TakeMessages(), (QStringList{Ui(517), Ui(518), Ui(677)}));
    EXPECT_FALSE(QFileInfo::exists(t.Folder("K001_Kimura")));
    EXPECT_TRUE(QFileInfo::exists(t.Folder("a100_Abe/UserData.csv")));
    EXPECT_EQ(t.Column(0), (QStringList{"a100", "C300"}));
    EXPECT_EQ(Global::CurUserRow, 0);
    EXPECT_EQ(Global::UserDataRecord.CustomerCode, "");
    EXPECT_EQ(t.Text("TxtIn", 0), "");
    EXPECT_FALSE(Global::TabModified[0]);
}

TEST_F(CustomerTabTest, AFailedDeletionIsReportedWithoutTheDoneMessage)
{
    const QString c = t.Write(WithHistories());
    t.Load();
    t.ClickCustomer("K001");
    // A read-only file stops the folder deletion.
    WriteFileAtomic(c + "/2_West/locked.csv", "x");
    QFile::setPermissions(c + "/2_West/locked.csv", QFileDevice::ReadOwner);
    t.Dialogs().answer(vbYes);
    t.Dialogs().answer(vbYes);
    t.Click("CmdBtn", 1);
    const QStringList shown = t.TakeMessages();
    ASSERT_EQ(shown.size(), 3);
    EXPECT_EQ(shown[2], "ERROR No:70 Permission denied: " + c + "/2_West/locked.csv");
    EXPECT_FALSE(shown.contains(Ui(677)));
    EXPECT_TRUE(QFileInfo::exists(c + "/2_West/locked.csv"));
    QFile::setPermissions(c + "/2_West/locked.csv", QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

TEST_F(CustomerTabTest, DocumentsFolderOfTheLoadedCustomer)
{
    const QString c = t.Write(WithHistories());
    t.Load();

    // A customer not saved yet has no folder to open.
    t.Click("CmdBtn", 3);
    t.Type("TxtIn", 0, "Z1");
    t.Type("TxtIn", 1, "Unsaved");
    t.Click("CmdBtn", 11);
    EXPECT_EQ(t.TakeMessages(), QStringList{Ui(519)});
    EXPECT_TRUE(t.opened.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(t.Folder("Z1_Unsaved")));

    Global::TabModified[0] = false;
    t.ClickCustomer("K001");
    t.Click("CmdBtn", 11);
    const QString docs = c + "/" + Ui(520);
    EXPECT_EQ(t.opened, QStringList{docs});
    EXPECT_EQ(Bytes(docs + "/" + Ui(521)), "\r\n");

    // An existing folder without its marker is opened as it is.
    QFile::remove(docs + "/" + Ui(521));
    t.Type("TxtIn", 0, "OTHER");
    t.Click("CmdBtn", 11);
    EXPECT_EQ(t.opened.size(), 2);
    EXPECT_EQ(t.opened.last(), docs) << "the loaded customer's, not the edited boxes'";
    EXPECT_FALSE(QFileInfo::exists(docs + "/" + Ui(521)));
    EXPECT_TRUE(t.TakeMessages().isEmpty());
}

TEST_F(CustomerTabTest, ArrayConfigurationCommandNeedsCodeAndName)
{
    t.Write(WithHistories());
    t.Load();
    t.Click("CmdBtn", 3);
    t.Click("CmdBtn", 10);
    EXPECT_EQ(t.TakeMessages(), QStringList{Ui(519)});
    t.Type("TxtIn", 0, "Q1");
    t.Type("TxtIn", 1, "Q");
    // Opening the window asks the save question first; No goes on.
    t.Dialogs().answer(vbNo);
    t.Click("CmdBtn", 10);
    EXPECT_EQ(t.TakeMessages(), QStringList{Ui(578)});
    EXPECT_FALSE(Global::TabModified[0]);
}

TEST_F(CustomerTabTest, SaveOnCloseSavesForRealAndARefusedSaveKeepsTheWindow)
{
    const QString c = t.Write(WithHistories());
    FrmMain& form = t.Load();
    t.ClickCustomer("K001");
    t.Type("TxtIn", 3, "closing site");
    // Yes to the save, No to the end question.
    t.Dialogs().answer(vbYes);
    t.Dialogs().answer(vbNo);
    form.MnuEnd_Click();
    EXPECT_EQ(t.TakeMessages(), (QStringList{Ui(578), Ui(516)}));
    EXPECT_EQ(AnsiCodec::splitLines(Bytes(c + "/UserData.csv")).value(3), "closing site");

    // A save that is refused keeps the window and its edits: no end question.
    t.Type("TxtIn", 0, "");
    t.Dialogs().answer(vbYes);
    form.MnuEnd_Click();
    EXPECT_EQ(t.TakeMessages(), (QStringList{Ui(578), Ui(555)}));
    EXPECT_TRUE(Global::TabModified[0]);
    EXPECT_EQ(t.Text("TxtIn", 3), "closing site");
}

TEST_F(CustomerTabTest, ACustomerAnotherTabReadIsNeverSavedIntoTheShownOne)
{
    CustomerSpec other = Five[0];
    other.histories = {{1, "Kato roof", "2024/01/01", "kato memo", {"KatoFirm"}}};
    t.Write(other);
    const QString c = t.Write(WithHistories());
    t.Load();
    t.ClickCustomer("K001");
    const auto katoBefore = CustomerFixture::Snapshot(t.Folder("C300_Kato"));
    // The measurement tab chooses another customer: the shared records now
    // hold it, while the customer tab still shows K001.
    ASSERT_TRUE(UserDataRead("C300_Kato"));
    t.Type("TxtIn", 3, "edited site");
    t.Click("CmdBtn", 0);
    EXPECT_TRUE(t.TakeMessages().isEmpty());
    EXPECT_EQ(AnsiCodec::splitLines(Bytes(c + "/UserData.csv")).value(3), "edited site");
    EXPECT_EQ(QDir(c).entryList({"*_*"}, QDir::Dirs), (QStringList{"1_East", "2_West", "3_North_roof"}));
    EXPECT_FALSE(QFileInfo::exists(c + "/1_Kato roof"));
    EXPECT_TRUE(SameFiles(CustomerFixture::Snapshot(t.Folder("C300_Kato")), katoBefore));
    EXPECT_EQ(t.Text("TxtIn", 11), "East");
}

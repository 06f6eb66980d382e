// The data-control buttons: moving ticked read-out measurements into the
// history chosen on the instrument-data tab, deleting ticked read-out files
// and ticked measurement files of a history.
#include "MeasTabsEnv.h"

#include "app/DataControl.h"
#include "instrument/DataControl.h"
#include "instrument/ForwardTab.h"
#include "support/WriteFaults.h"

using namespace MeasTabsTest;

namespace {

const QString West = QStringLiteral("2_West");

// The instrument-data tab entered with history page 1 ("West") chosen on
// the customer tab.
void OnInstrumentTab(MeasTabsEnv& t)
{
    t.choose(QStringLiteral("K001"), 1);
    t.goTo(2);
    ASSERT_EQ(t.combo("CmbHistorySel", 1).currentText(), QStringLiteral("West"));
    t.TakeMessages();
}

QList<QByteArray> LinesOf(const QString& path)
{
    return AnsiCodec::splitLineBytes(Bytes(path));
}

// History measurements numbered 00nn-01-01, measured on 24/05/dd at tt, one
// per {nn, dd, tt}; their file names.
QStringList WriteHistoryMeasurements(const QString& folder,
                                     std::initializer_list<std::tuple<int, const char*, const char*>> rows)
{
    QStringList names;
    for (const auto& [n, day, time] : rows) {
        MeasRecord r = ReadOut(QStringLiteral("00%1-01-01").arg(n), QStringLiteral("24/05/") + QLatin1String(day),
                               QLatin1String(time), QStringLiteral("200"));
        names << QFileInfo(WriteMeasFile(folder, r, {MeasFileVariant::History})).fileName();
    }
    return names;
}

// The numbers of the measurements the loaded list has ticked, "total" for
// the total row.
QStringList TickedNumbers()
{
    QStringList numbers;
    for (int i = 0; i <= Global::MeasFileCount && i < int(Global::DisplayTick.size()); ++i)
        if (Global::DisplayTick[std::size_t(i)] == 1)
            numbers << (i == 0 ? QStringLiteral("total") : Global::MeasRawRecords[std::size_t(i)].F[0]);
    return numbers;
}

} // namespace

TEST(DataControlMove, TickedFilesGoIntoTheChosenHistoryWithItsDateAndTheCustomerTabIsShown)
{
    MeasTabsEnv t;
    // A folder that is no history but whose name ends in the same history
    // name, listed first: it never receives anything.
    QDir().mkpath(t.history(QStringLiteral("0_West")));
    OnInstrumentTab(t);
    MeasRecord& second = Global::ForwardRecords[1];
    second.F[3] = QStringLiteral("South face"); // typed into the list

    MeasTabsEnv::tick(t.forwardList(), {2, 3});
    t.Dialogs().answer(vbYes);
    t.Click("CmdDataControl", 5);

    EXPECT_EQ(t.TakeMessages(), QStringList{Ui(UiMoveQuestion)});
    const QString west = t.history(West);
    EXPECT_EQ(t.filesIn(t.forward()), QStringList{ReadOutNames[0]});
    for (int i : {1, 2})
        EXPECT_TRUE(QFileInfo(west + u'/' + ReadOutNames[i]).isFile()) << i;
    EXPECT_TRUE(t.filesIn(t.history(QStringLiteral("0_West"))).isEmpty());
    const MeasRecord moved = ReadMeasFile(west + u'/' + ReadOutNames[1], MeasFileVariant::History);
    EXPECT_EQ(moved.F[3], QStringLiteral("South face"));
    EXPECT_EQ(moved.F[15], QStringLiteral("240"));

    // MeasData.csv: the last moved row's date, no totals, the memo kept.
    const QList<QByteArray> lines = LinesOf(west + QStringLiteral("/MeasData.csv"));
    ASSERT_EQ(lines.size(), 10);
    EXPECT_EQ(lines[0], "West");
    EXPECT_EQ(lines[1], "24/05/04");
    for (int i = 2; i < 9; ++i)
        EXPECT_TRUE(lines[i].isEmpty()) << i;
    EXPECT_EQ(lines[9], "second memo");

    // The list without the moved rows, nothing ticked; the customer tab on
    // the same customer and page, the new date shown.
    EXPECT_EQ(t.forwardList().Rows(), 2);
    EXPECT_EQ(Global::ForwardTick, std::vector<std::uint8_t>(2, 0));
    EXPECT_EQ(t.Tabs().currentIndex(), 0);
    EXPECT_EQ(Global::HookedGrid, 1);
    EXPECT_EQ(Global::CurUserRow, t.RowOf(QStringLiteral("K001")));
    EXPECT_EQ(Global::HistoryPage, 1);
    EXPECT_EQ(t.Text("TxtIn", 11), QStringLiteral("West"));
    EXPECT_EQ(t.Text(QStringLiteral("LblPage")), QStringLiteral("2"));
    EXPECT_EQ(t.Text(QStringLiteral("LblDate")), QStringLiteral("24/05/04"));
    EXPECT_EQ(qobject_cast<QWidget*>(t.Ctl("TxtIn", 11))->focusPolicy(), Qt::StrongFocus);
}

TEST(DataControlMove, TheTicksOfTheHistoryStayOnTheirMeasurements)
{
    MeasTabsEnv t;
    const QString west = t.history(West);
    // Three measurements of the history, two of them ticked; the read-out
    // files moved in sort between them.
    WriteHistoryMeasurements(west, {{20, "03", "09:00:00"}, {21, "03", "11:00:00"}, {22, "05", "09:00:00"}});
    Put(west + QStringLiteral("/CheckMemory.csv"), "False\r\nTrue\r\nFalse\r\nTrue\r\n");
    OnInstrumentTab(t);
    MeasTabsEnv::tick(t.forwardList(), {2, 3});
    t.Dialogs().answer(vbYes);
    t.Click("CmdDataControl", 5);
    ASSERT_EQ(t.TakeMessages(), QStringList{Ui(UiMoveQuestion)});

    // 0020, the moved 0013, 0021, the moved 0016, 0022.
    EXPECT_EQ(Bytes(west + QStringLiteral("/CheckMemory.csv")),
              QByteArray("False\r\nTrue\r\nFalse\r\nFalse\r\nFalse\r\nTrue\r\n"));
    t.choose(QStringLiteral("K001"), 1);
    t.goTo(1);
    ASSERT_EQ(Global::MeasFileCount, 5);
    EXPECT_EQ(TickedNumbers(), QStringList({QStringLiteral("0020-01-01"), QStringLiteral("0022-01-01")}));
}

TEST(DataControlMove, TheCustomerTheFilesWentToIsShownAgainWhenTwoShareItsNumber)
{
    MeasTabsEnv t;
    // Kato shares Kimura's control number and is listed before her.
    CustomerSpec kato{"K001", "Kato", "kato", "Shed", "111-2222", "Kobe", "078-1", "2024/02/03", {}, "3"};
    kato.histories = {{1, "Shed", "2024/03/05", "", {}}};
    t.Write(kato);
    UserListIni(true);
    auto rowOf = [&](const QString& name) {
        for (int r = 1; r < t.Grid().Rows(); ++r)
            if (t.Grid().TextMatrix(r, 0) == QStringLiteral("K001") && t.Grid().TextMatrix(r, 1) == name)
                return r;
        return 0;
    };
    ASSERT_LT(rowOf(QStringLiteral("Kato")), rowOf(QStringLiteral("Kimura")));
    auto listIndexOf = [](const QString& name) {
        for (int i = 0; i < Global::UserListCount; ++i)
            if (Global::UserListItems[std::size_t(i)].CustomerName == name)
                return i;
        return -1;
    };

    struct Case {
        const char* what;
        QString shown;   // the customer tab's customer before
        int shownPage;   // and its page
        QString target;  // the customer chosen on the instrument-data tab
        int history;     // and its history
        int pageAfter;   // the page shown afterwards
        QString nameOnPage;
    };
    const Case cases[] = {
        {"from the other customer of the number", "Kato", 0, "Kimura", 1, 1, "West"},
        {"to the one listed first", "Kimura", 2, "Kato", 0, 0, "Shed"},
        {"the same customer keeps its page", "Kimura", 2, "Kimura", 0, 2, "North_roof"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        t.goTo(0);
        Global::TabModified = {};
        t.ClickRow(rowOf(c.shown));
        for (int p = 0; p < c.shownPage; ++p)
            t.Click("CmdScl", 1);
        t.goTo(2);
        t.combo("CmbUserName", 1).setCurrentIndex(listIndexOf(c.target));
        t.combo("CmbHistorySel", 1).setCurrentIndex(c.history);
        t.TakeMessages();
        t.writeReadOuts();
        ForwardDataView();
        MeasTabsEnv::tick(t.forwardList(), {1});
        t.Dialogs().answer(vbYes);
        t.Click("CmdDataControl", 5);

        EXPECT_EQ(t.TakeMessages(), QStringList{Ui(UiMoveQuestion)});
        EXPECT_EQ(t.Tabs().currentIndex(), 0);
        EXPECT_EQ(Global::LoadedCustomerKey, QStringLiteral("K001_") + c.target);
        EXPECT_EQ(Global::CurUserRow, rowOf(c.target));
        EXPECT_EQ(t.Text("TxtIn", 1), c.target);
        EXPECT_EQ(Global::HistoryPage, c.pageAfter);
        EXPECT_EQ(t.Text("TxtIn", 11), c.nameOnPage);
        EXPECT_EQ(t.Text(QStringLiteral("LblPage")), QString::number(c.pageAfter + 1));
    }
}

TEST(DataControlMove, ADifferentFileOfTheSameNameInTheHistoryIsKeptAndReported)
{
    MeasTabsEnv t;
    const QString taken = t.history(West) + u'/' + ReadOutNames[0];
    MeasRecord other = ReadOut(QStringLiteral("0012-03-01"), QStringLiteral("24/05/03"), QStringLiteral("10:15:00"),
                               QStringLiteral("111"));
    const QByteArray otherBytes = MovedMeasFileBytes(other);
    Put(taken, otherBytes);
    OnInstrumentTab(t);

    MeasTabsEnv::tick(t.forwardList(), {1, 2});
    t.Dialogs().answer(vbYes);
    t.Click("CmdDataControl", 5);

    EXPECT_EQ(t.TakeMessages(),
              QStringList({Ui(UiMoveQuestion), Ui(UiReadOutNotMoved) + QStringLiteral("\r\n") + ReadOutNames[0]}));
    EXPECT_EQ(Bytes(taken), otherBytes);
    EXPECT_EQ(t.filesIn(t.forward()), QStringList({ReadOutNames[0], ReadOutNames[2]}));
    EXPECT_TRUE(QFileInfo(t.history(West) + u'/' + ReadOutNames[1]).isFile());
    EXPECT_EQ(LinesOf(t.history(West) + QStringLiteral("/MeasData.csv")).value(1), "24/05/03");
}

TEST(DataControlMove, RefusalsAndAnswersThatMoveNothing)
{
    struct Case {
        const char* name;
        std::function<void(MeasTabsEnv&)> arrange;
        QList<int> answers;
        QList<int> messages; // UI texts; FileNotFound for the error report
        int shown;           // the tab shown afterwards
    };
    // The error report of a missing file, in place of a UI text.
    constexpr int FileNotFound = -53;
    const Case cases[] = {
        {"nothing ticked", [](MeasTabsEnv&) {}, {}, {}, 2},
        {"No to the question", [](MeasTabsEnv& t) { MeasTabsEnv::tick(t.forwardList(), {1}); }, {vbNo},
         {UiMoveQuestion}, 2},
        {"no history chosen",
         [](MeasTabsEnv& t) {
             MeasTabsEnv::tick(t.forwardList(), {1});
             t.combo("CmbHistorySel", 1).setCurrentIndex(-1);
         },
         {},
         {UiNoTargetHistory},
         2},
        {"801 files", [](MeasTabsEnv& t) {
             // 3 files of the history's own and 796 more, 2 ticked.
             for (int i = 0; i < 796; ++i)
                 Put(t.history(West) + QStringLiteral("/f%1.txt").arg(i), "x");
             MeasTabsEnv::tick(t.forwardList(), {1, 2});
         },
         {vbYes}, {UiMoveQuestion, UiHistoryFull}, 2},
        {"no MeasData.csv",
         [](MeasTabsEnv& t) {
             QFile::remove(t.history(West) + QStringLiteral("/MeasData.csv"));
             MeasTabsEnv::tick(t.forwardList(), {1});
         },
         {vbYes},
         {UiMoveQuestion, FileNotFound},
         2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MeasTabsEnv t;
        OnInstrumentTab(t);
        c.arrange(t);
        for (int a : c.answers)
            t.Dialogs().answer(a);
        t.Click("CmdDataControl", 5);
        QStringList shown = t.TakeMessages();
        // The error report names the file.
        for (QString& m : shown)
            if (m.startsWith(QStringLiteral("ERROR No:53")))
                m = m.left(QStringLiteral("ERROR No:53 File not found: ").size());
        QStringList expected;
        for (int key : c.messages)
            expected << (key == FileNotFound ? QStringLiteral("ERROR No:53 File not found: ") : Ui(key));
        EXPECT_EQ(shown, expected);
        EXPECT_EQ(t.filesIn(t.forward()), ReadOutNames);
        EXPECT_EQ(t.Tabs().currentIndex(), c.shown);
    }
}

TEST(DataControlMove, ExactlyEightHundredFilesAreAccepted)
{
    MeasTabsEnv t;
    OnInstrumentTab(t);
    for (int i = 0; i < 795; ++i)
        Put(t.history(West) + QStringLiteral("/f%1.txt").arg(i), "x");
    MeasTabsEnv::tick(t.forwardList(), {1, 2});
    t.Dialogs().answer(vbYes);
    t.Click("CmdDataControl", 5);
    EXPECT_EQ(t.TakeMessages(), QStringList{Ui(UiMoveQuestion)});
    EXPECT_EQ(t.filesIn(t.forward()), QStringList{ReadOutNames[2]});
}

TEST(DataControlMove, EveryWriteFailingInTurnLeavesEveryFileWhole)
{
    MeasTabsEnv t;
    const QString data = t.w.env.dataFolder();
    CheckWriteFaults({QStringLiteral("CmdDataControl_Click (move into a history)"), data,
                      [&] {
                          FileIoFaults::Reset();
                          for (const QString& name : ReadOutNames)
                              QFile::remove(t.history(West) + u'/' + name);
                          t.writeReadOuts();
                          CustomerTabEnv::WriteHistory(t.Folder(QStringLiteral("K001_Kimura")),
                                                       Kimura().histories[1]);
                          Global::TabModified = {};
                          t.goTo(0);
                          OnInstrumentTab(t);
                          MeasTabsEnv::tick(t.forwardList(), {1, 2, 3});
                          t.Dialogs().answer(vbYes);
                      },
                      [&] {
                          CmdDataControl_Click(5);
                          return true;
                      }});
}

TEST(DataControlDelete, TickedReadOutFilesAreDeletedOnYesOnly)
{
    MeasTabsEnv t;
    OnInstrumentTab(t);
    MeasTabsEnv::tick(t.forwardList(), {1, 3});
    t.Dialogs().answer(vbNo);
    t.Click("CmdDataControl", 6);
    EXPECT_EQ(t.TakeMessages(), QStringList{Ui(UiDeleteTickedReadOutQuestion)});
    EXPECT_EQ(t.filesIn(t.forward()), ReadOutNames);

    // A ticked file removed meanwhile is passed over.
    QFile::remove(t.forward() + u'/' + ReadOutNames[0]);
    t.Dialogs().answer(vbYes);
    t.Click("CmdDataControl", 6);
    EXPECT_EQ(t.TakeMessages(), QStringList({Ui(UiDeleteTickedReadOutQuestion), Ui(UiDataDeleted)}));
    EXPECT_EQ(t.filesIn(t.forward()), QStringList{ReadOutNames[1]});
    EXPECT_EQ(t.forwardList().Rows(), 2);
    EXPECT_EQ(t.Tabs().currentIndex(), 2);

    // Nothing ticked: nothing asked.
    t.Click("CmdDataControl", 6);
    EXPECT_TRUE(t.TakeMessages().isEmpty());
}

TEST(DataControlDelete, TickedMeasurementFilesOfTheListedHistoryAreDeleted)
{
    MeasTabsEnv t;
    const QString west = t.history(West);
    QStringList names;
    for (int i = 0; i < 3; ++i) {
        MeasRecord r = ReadOut(QStringLiteral("00%1-01-01").arg(20 + i), QStringLiteral("24/06/01"),
                               QStringLiteral("09:00:0%1").arg(i), QStringLiteral("200"));
        names << QFileInfo(WriteMeasFile(west, r, {MeasFileVariant::History})).fileName();
    }
    t.choose(QStringLiteral("K001"), 1);
    t.goTo(1);
    ASSERT_EQ(Global::MeasFileCount, 3);
    t.TakeMessages();

    // The total row alone does not count.
    MeasTabsEnv::tick(t.measList(), {1});
    t.Click("CmdDataControl", 0);
    EXPECT_TRUE(t.TakeMessages().isEmpty());

    MeasTabsEnv::tick(t.measList(), {2, 4});
    t.Dialogs().answer(vbNo);
    t.Click("CmdDataControl", 0);
    EXPECT_EQ(t.TakeMessages(), QStringList{Ui(UiDeleteTickedMeasQuestion)});
    EXPECT_EQ(t.filesIn(west).filter(QStringLiteral("_00")), names);

    t.Dialogs().answer(vbYes);
    t.Click("CmdDataControl", 0);
    EXPECT_EQ(t.TakeMessages(), QStringList({Ui(UiDeleteTickedMeasQuestion), Ui(UiDataDeleted)}));
    EXPECT_EQ(t.filesIn(west).filter(QStringLiteral("_00")), QStringList{names[1]});
    EXPECT_EQ(Global::MeasFileCount, 1);
    EXPECT_EQ(t.measList().Rows(), 3);
    EXPECT_EQ(t.Tabs().currentIndex(), 1);
}

TEST(DataControlDelete, TheTicksLeftStayOnTheirMeasurements)
{
    MeasTabsEnv t;
    const QString west = t.history(West);
    const QStringList names = WriteHistoryMeasurements(
        west, {{20, "03", "09:00:00"}, {21, "03", "10:00:00"}, {22, "03", "11:00:00"}, {23, "03", "12:00:00"}});
    t.choose(QStringLiteral("K001"), 1);
    t.goTo(1);
    ASSERT_EQ(Global::MeasFileCount, 4);
    t.TakeMessages();
    MeasTabsEnv::tick(t.measList(), {1, 3, 4});
    ASSERT_EQ(TickedNumbers(), QStringList({QStringLiteral("total"), QStringLiteral("0021-01-01"),
                                            QStringLiteral("0022-01-01")}));

    // The first ticked file turned into a folder meanwhile: the deletion
    // stops there, and the other ticked measurement stays, ticked.
    ASSERT_TRUE(QFile::remove(west + u'/' + names[1]));
    ASSERT_TRUE(QDir().mkpath(west + u'/' + names[1]));
    t.Dialogs().answer(vbYes);
    t.Click("CmdDataControl", 0);
    const QStringList shown = t.TakeMessages();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_TRUE(shown[1].startsWith(QStringLiteral("ERROR No:75"))) << shown[1].toStdString();
    ASSERT_EQ(Global::MeasFileCount, 3);
    EXPECT_EQ(TickedNumbers(), QStringList({QStringLiteral("total"), QStringLiteral("0022-01-01")}));
    EXPECT_EQ(Bytes(west + QStringLiteral("/CheckMemory.csv")), QByteArray("True\r\nFalse\r\nTrue\r\nFalse\r\n"));

    // Deleted as asked, it takes its tick along; the total row keeps its own.
    t.Dialogs().answer(vbYes);
    t.Click("CmdDataControl", 0);
    EXPECT_EQ(t.TakeMessages(), QStringList({Ui(UiDeleteTickedMeasQuestion), Ui(UiDataDeleted)}));
    ASSERT_EQ(Global::MeasFileCount, 2);
    EXPECT_EQ(TickedNumbers(), QStringList{QStringLiteral("total")});
    EXPECT_EQ(Bytes(west + QStringLiteral("/CheckMemory.csv")), QByteArray("True\r\nFalse\r\nFalse\r\n"));
}

// Loading a construction history on the measurement-data tab: the fixture
// history (tests/fixtures/history) into the four views and the list, the
// ticks from its tick memory, the totals into its files, the judgement
// switch, and the files the totals write under the write-fault harness.
#include "MeasTabTestSupport.h"
#include "MeasViewTestSupport.h"

#include "app/MainWindowEnv.h"
#include "common/FrmMessWindow.h"
#include "instrument/MeasRecordGlobals.h"
#include "measview/HistoryLoad.h"
#include "measview/MeasList.h"
#include "measview/MeasViewGlobals.h"
#include "measview/MeasViewTab.h"
#include "platform/AnsiCodec.h"
#include "platform/FileIo.h"
#include "platform/FlexGrid.h"
#include "support/WriteFaults.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyleOptionViewItem>
#include <QTabWidget>
#include <QTableWidgetItem>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <thread>
#include <utility>
#include <vector>

namespace {

QString Ui(int key)
{
    return Global::UiText.value(key);
}

// Every group the fixture measures with a module row and all coefficients.
ArrayConfigurationType FixtureArray()
{
    ArrayConfigurationType a;
    for (int g = 0; g < 3; ++g)
        SetGroup(a, g, {{{"PV-A", "10", "1"}}, "3000", "-0.45", "0.0045", "-0.12", "0.5", "0.0012"});
    return a;
}

const QByteArray TicksAfterLoad =
    "False\r\nTrue\r\nFalse\r\nTrue\r\nFalse\r\nFalse\r\nFalse\r\nFalse\r\nTrue\r\n";

// The main window with the fixture history as C001_Sample's "1_Roof".
struct HistoryWindow {
    MainWindowEnv w;
    FrmMain* form = nullptr;
    QString customer;
    QString history;

    HistoryWindow()
    {
        form = &w.load();
        customer = Global::DataFolder + QStringLiteral("/USER_DATA/C001_Sample");
        history = customer + QStringLiteral("/1_Roof");
        CopyHistoryFixture(history);
        Global::ArrayConfiguration = FixtureArray();
        ResetMeasViewGlobals();
        Global::CurMeasRow = 5;
        setCombo("CmbCodeName_0", {"C001"});
        setCombo("CmbUserName_0", {"Sample"});
        w.env.dialogs->log.clear();
    }
    ~HistoryWindow() { FileIoFaults::Reset(); }

    template <class T = QWidget> T* control(const char* name) const
    {
        return form->control<T>(QString::fromLatin1(name));
    }
    FlexGrid* grid() const { return form->MfgMeasList; }

    // Fills a combo box without running its handler and selects item 0.
    void setCombo(const char* name, const QStringList& items)
    {
        auto* combo = control<QComboBox>(name);
        const QSignalBlocker block(combo);
        combo->clear();
        combo->addItems(items);
        combo->setCurrentIndex(items.isEmpty() ? -1 : 0);
    }
    // Chooses the history `name` as the user does: its selection loads it.
    void choose(const char* name = "Roof")
    {
        auto* combo = control<QComboBox>("CmbHistorySel_0");
        {
            const QSignalBlocker block(combo);
            combo->clear();
            combo->addItem(QString::fromUtf8(name));
            combo->setCurrentIndex(-1);
        }
        combo->setCurrentIndex(0);
    }

    QStringList rowTexts(int row) const { return GridRowTexts(grid(), row); }
    QList<quint32> rowColors(int row) const
    {
        QList<quint32> t;
        for (int c = 0; c < grid()->Cols(); ++c)
            t << grid()->cellBackColor(row, c);
        return t;
    }
    QList<int> tickedRows() const { return GridTickedRows(grid()); }
    QString measData() const { return history + QStringLiteral("/MeasData.csv"); }
    QString tickMemory() const { return history + QStringLiteral("/CheckMemory.csv"); }
    QStringList boxes() const { return Boxes(*w.env.dialogs); }
};

QList<quint32> Colors(quint32 c)
{
    return QList<quint32>(18, c);
}

} // namespace

TEST(HistoryLoad, TheFixtureHistoryAsTheListShowsIt)
{
    HistoryWindow h;
    h.control<QLabel>("LblMeasType")->setText(QStringLiteral("old view"));
    // Loaded on the as-measured tab: the rows as the load writes them (a
    // load from another tab ends with the view switch's rows, tested with
    // the switch).
    h.choose();
    ASSERT_TRUE(h.boxes().isEmpty()) << h.boxes().join(u'\n').toStdString();

    // Eight measurements in name order; the other names are not taken.
    ASSERT_EQ(Global::MeasFileCount, 8);
    const QStringList names = {"240502_090000_0004-03-01.csv", "240503_101500_0001-01-01.csv",
                               "240503_102000_0002-02-01.csv", "240503_103000_0003-01-02.csv",
                               "240504_080000_0005-02-02.csv", "240504_090000_0006-01-03.csv",
                               "240504_100000_0007-01-04.csv", "240504_110000_0008-11-01.csv"};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(Global::MeasFilePaths[std::size_t(i)], h.history + u'/' + names[i]);
    EXPECT_TRUE(Global::MeasFilePaths[8].isEmpty());
    EXPECT_EQ(Global::MeasHistoryFolder, h.history);

    ASSERT_EQ(h.grid()->Rows(), 10);
    // The total row's label is whole in its column, not cut short.
    const QList<QTableWidgetItem*> total = h.grid()->findItems(Ui(547), Qt::MatchExactly);
    ASSERT_EQ(total.size(), 1);
    QStyleOptionViewItem option;
    option.initFrom(h.grid()->viewport());
    option.font = h.grid()->font();
    const QModelIndex cell = h.grid()->model()->index(total[0]->row(), total[0]->column());
    EXPECT_LE(h.grid()->itemDelegate()->sizeHint(option, cell).width(), h.grid()->columnWidth(total[0]->column()));
    const QString no = Ui(511), yes = Ui(512), good = Ui(580), poor = Ui(582);
    const QList<QStringList> rows = {
        // The total of rows 1, 3 and 8: Pm and Isc summed, the rest means;
        // Voc whole, as the first measurement carries no version.
        {"--", "--", "--", Ui(547), "--", "--", "675", "394", "22.660", "0.08", "39.2", "23.5", "823", "--",
         "--", "--", "--/--", "--"},
        // Bare layout A: a four-digit year, no judgement fields.
        {"24/05/02", "09:00:00", "0004", "03", "01", "南面", "180", "380", "6.50", "", "30.5", "23.5", "650",
         no, "30", "", "/", "--"},
        {"24/05/03", "10:15:00", "0001", "01", "01", "屋根東", "251", "401.5", "8.125", "0.77", "45.2",
         "23.5", "800", no, "30", "95", "9/11", good},
        {"24/05/03", "10:20:00", "0002", "02", "01", "屋根西", "240", "398.7", "7.960", "0.77", "47.0",
         "23.5", "820", no, "30", "95", "9/11", poor},
        // Version 7.5 of model 6: the fill factor computed on load.
        {"24/05/03", "10:30:00", "0003", "01", "02", "", "150", "30", "6.0", "0.83", "44.0", "--", "790",
         "--", "--", "95", "9/11", good},
        // Bare layout C: dirt code 2, judgement switched off.
        {"24/05/04", "08:00:00", "0005", "02", "02", "", "260", "405", "8.50", "", "38.5", "23.5", "910", yes,
         "15", "--", "--/--", "--"},
        // The empty file keeps its row with "--" values.
        {"--", "--", "--", "", "--", "--", "--", "0", "0.00", "--", "--", "--", "--", "--", "--", "--",
         "--/--", "--"},
        // The file without its version line keeps an empty row.
        {"", "", "", "", "", "", "", "0", "0.00", "", "", "", "", "--", "--", "", "/", "--"},
        {"24/05/04", "11:00:00", "0008", "11", "01", "車庫", "255", "402.0", "8.200", "0.77", "40.0", "23.5",
         "1000", no, "30", "95", "9/11", good},
    };
    for (int i = 0; i < rows.size(); ++i)
        EXPECT_EQ(h.rowTexts(i + 1), rows[i]) << "row " << i + 1;
    for (int c = 0; c < 18; ++c)
        EXPECT_EQ(h.grid()->TextMatrix(0, c), Ui(MeasListHeaderKeys()[c]));

    // Ticks from the tick memory: "TRUE", "true,extra" and "True"; the total
    // row pale green, ticked rows light cyan.
    EXPECT_EQ(h.tickedRows(), QList<int>({2, 4, 9}));
    EXPECT_EQ(Global::DisplayTick, std::vector<std::uint8_t>({0, 1, 0, 1, 0, 0, 0, 0, 1}));
    EXPECT_EQ(Global::DisplayTickMemory,
              std::vector<bool>({false, true, false, true, false, false, false, false, true}));
    EXPECT_EQ(h.rowColors(1), Colors(MeasTotalRowColor));
    EXPECT_EQ(h.rowColors(2), Colors(MeasTickedColor));
    EXPECT_EQ(h.rowColors(9), Colors(MeasTickedColor));
    EXPECT_NE(h.rowColors(3), Colors(MeasTickedColor));
    EXPECT_FALSE(Global::TickRestoring);

    // The totals went into the history's files; the other lines kept.
    EXPECT_EQ(FileBytes(h.measData()), Cp932({"屋根", "2024/05/03", "SEL_OK,675.25", "SEL_OK,394",
                                              "SEL_OK,22.660", "", "", "", "", "メモ 1", "メモ 2"}));
    EXPECT_EQ(FileBytes(h.tickMemory()), TicksAfterLoad);

    // The rest of the tab: no row pressed, the graph and its view name
    // cleared, the as-measured view shown, the all button shown.
    EXPECT_EQ(Global::CurMeasRow, -1);
    EXPECT_TRUE(h.control<QLabel>("LblMeasType")->text().isEmpty());
    EXPECT_EQ(h.form->SSTab3->currentIndex(), 0);
    EXPECT_FALSE(h.control<QPushButton>("CmdDspAll")->isHidden());
}

TEST(HistoryLoad, TheFourViewsOfTheFixture)
{
    HistoryWindow h;
    h.choose();
    ASSERT_EQ(Global::MeasFileCount, 8);
    for (const auto* view : {&Global::MeasViewRecords, &Global::MeasRawRecords, &Global::MeasPmCorrRecords,
                             &Global::MeasStcRecords})
        ASSERT_EQ(view->size(), 801u);
    // As measured: the files as read; the total only in the shown view.
    for (std::size_t i = 1; i <= 800; ++i)
        ASSERT_EQ(Global::MeasRawRecords[i], Global::MeasViewRecords[i]) << i;
    EXPECT_EQ(Global::MeasRawRecords[0].F[15], "--");
    EXPECT_EQ(Global::MeasViewRecords[0].F[15], "675.25");
    EXPECT_EQ(Global::MeasViewRecords[9], MeasRecord());

    const MeasRecord& bareA = Global::MeasViewRecords[1];
    EXPECT_EQ(bareA.F[8], "30.5");
    EXPECT_EQ(bareA.F[9], "31.0");
    const MeasRecord& v83 = Global::MeasViewRecords[2];
    EXPECT_EQ(v83.F[9], "46.0");
    EXPECT_EQ(PointTexts(v83, 4), QStringList({"388.0", "7.800", "3026.4"}));
    // Currents of 60 and below 0 read 0.
    EXPECT_EQ(PointTexts(v83, 5), QStringList({"385.0", "0", "0"}));
    EXPECT_EQ(PointTexts(v83, 6), QStringList({"382.0", "0", "0"}));
    EXPECT_EQ(Global::MeasViewRecords[3].F[9], "");

    // Pm-corrected: 8.125 A at 800 W/m2 is 10.15625 A at 1000 W/m2; the
    // STC view adds 0.0045 x (25 - 45.2) to it.
    EXPECT_EQ(Global::MeasPmCorrRecords[2].F[17], "10.15625");
    EXPECT_EQ(Global::MeasStcRecords[2].F[17], "10.06535");
    // The empty file and the one without its version cannot be corrected.
    for (std::size_t i : {6u, 7u}) {
        EXPECT_EQ(Global::MeasPmCorrRecords[i].F[15], "--") << i;
        EXPECT_EQ(Global::MeasStcRecords[i].F[16], "--") << i;
    }
    // The Pm-corrected total follows the same ticks.
    // 6.5 A at 650 W/m2, 7.96 A at 820 W/m2 and 8.2 A at 1000 W/m2.
    EXPECT_EQ(Global::MeasPmCorrRecords[0].F[17], "27.907");
    EXPECT_FALSE(Global::StcCoefMissing);
    EXPECT_EQ(Global::ModuleCompFlags, (std::array<bool, 2>{false, false}));
}

TEST(HistoryLoad, TheArrayConfigurationRaisesTheFlags)
{
    HistoryWindow h;
    // Group 02: K missing; group 03: series count 0; group 01: two models.
    SetGroup(Global::ArrayConfiguration, 1,
             {{{"PV-A", "10", "1"}}, "3000", "-0.45", "0.0045", "-0.12", "0.5", ""});
    h.choose();
    EXPECT_TRUE(Global::StcCoefMissing);
    EXPECT_EQ(Global::ModuleCompFlags, (std::array<bool, 2>{false, false}));

    SetGroup(Global::ArrayConfiguration, 1,
             {{{"PV-A", "10", "1"}}, "3000", "-0.45", "0.0045", "-0.12", "0.5", "0"});
    SetGroup(Global::ArrayConfiguration, 2, {{{"PV-A", "0", "1"}}});
    SetGroup(Global::ArrayConfiguration, 0, {{{"PV-A", "10", "1"}, {"PV-B", "10", "1"}}});
    h.choose();
    EXPECT_FALSE(Global::StcCoefMissing);
    EXPECT_EQ(Global::ModuleCompFlags, (std::array<bool, 2>{true, true}));
    // The measurement of group 03 has no STC view; its Pm view stays.
    EXPECT_EQ(Global::MeasStcRecords[1].F[15], "--");
    EXPECT_NE(Global::MeasPmCorrRecords[1].F[15], "--");
}

TEST(HistoryLoad, ATickMemoryOfAnotherLengthTicksNothing)
{
    HistoryWindow h;
    ASSERT_TRUE(WriteFileAtomic(h.tickMemory(), QByteArray("True\r\n").repeated(10)));
    h.choose();
    EXPECT_TRUE(h.tickedRows().isEmpty());
    EXPECT_EQ(Global::DisplayTick, std::vector<std::uint8_t>(9, 0));
    // Written anew for the eight measurements; no total.
    EXPECT_EQ(FileBytes(h.tickMemory()), QByteArray("False\r\n").repeated(9));
    EXPECT_EQ(FileBytes(h.measData()),
              Cp932({"屋根", "2024/05/03", "", "", "", "", "", "", "", "メモ 1", "メモ 2"}));
    EXPECT_EQ(h.rowTexts(1).mid(6, 4), QStringList({"--", "--", "--", "--"}));
}

TEST(HistoryLoad, AHistoryNotFoundOrEmptyLeavesNothingLoaded)
{
    HistoryWindow h;
    h.choose();
    ASSERT_EQ(Global::MeasFileCount, 8);
    const QByteArray measData = FileBytes(h.measData());

    // A name no folder carries (nor a folder named without "_").
    QDir().mkpath(h.customer + QStringLiteral("/Attic"));
    h.choose("Attic");
    EXPECT_EQ(h.grid()->Rows(), 1);
    EXPECT_EQ(Global::MeasFileCount, 0);
    EXPECT_TRUE(std::all_of(Global::MeasFilePaths.begin(), Global::MeasFilePaths.end(),
                            [](const QString& p) { return p.isEmpty(); }));
    EXPECT_EQ(Global::DisplayTick, std::vector<std::uint8_t>(1, 0));
    EXPECT_EQ(Global::DisplayTickMemory, std::vector<bool>(1, false));
    EXPECT_TRUE(Global::MeasHistoryFolder.isEmpty());
    EXPECT_EQ(Global::MeasViewRecords[2], MeasRecord());
    EXPECT_TRUE(h.control<QPushButton>("CmdDspAll")->isHidden());
    // Nothing is written for a history that is not there.
    Global::DisplayTick.assign(1, 1);
    DataViewTotalCalc();
    EXPECT_EQ(FileBytes(h.measData()), measData);
    EXPECT_FALSE(QFile::exists(h.customer + QStringLiteral("/Attic/CheckMemory.csv")));

    // A history without measurement files.
    h.choose();
    h.control<QLabel>("LblMeasType")->setText(QStringLiteral("old view"));
    Global::CurMeasRow = 3;
    QDir().mkpath(h.customer + QStringLiteral("/2_Shed"));
    ASSERT_TRUE(WriteFileAtomic(h.customer + QStringLiteral("/2_Shed/MeasData.csv"), Cp932({"Shed"})));
    h.choose("Shed");
    EXPECT_EQ(h.grid()->Rows(), 1);
    EXPECT_EQ(Global::MeasFileCount, 0);
    EXPECT_EQ(Global::DisplayTick, std::vector<std::uint8_t>(1, 0));
    EXPECT_EQ(Global::CurMeasRow, -1);
    EXPECT_TRUE(h.control<QLabel>("LblMeasType")->text().isEmpty());
    EXPECT_EQ(FileBytes(h.customer + QStringLiteral("/2_Shed/MeasData.csv")), Cp932({"Shed"}));
    EXPECT_FALSE(QFile::exists(h.customer + QStringLiteral("/2_Shed/CheckMemory.csv")));

    // The instrument-data tab's history list, or no choice, loads nothing.
    h.choose();
    CmbHistorySel_Click(1);
    EXPECT_EQ(Global::MeasFileCount, 8);
    h.setCombo("CmbHistorySel_0", {});
    CmbHistorySel_Click(0);
    EXPECT_EQ(Global::MeasFileCount, 8);
}

TEST(HistoryLoad, TheJudgementSwitchHidesTheJudgementColumns)
{
    HistoryWindow h;
    auto* judge = h.control<QCheckBox>("ChkJudgeOff");
    // With no history chosen: only the colour and the three header texts.
    judge->click();
    EXPECT_EQ(judge->palette().color(QPalette::Window), ColorFromValue(JudgeHiddenColor));
    EXPECT_EQ(h.grid()->TextMatrix(0, 15), QString());
    EXPECT_EQ(h.grid()->TextMatrix(0, 14), Ui(111));
    judge->click();
    EXPECT_EQ(judge->palette().color(QPalette::Window), ColorFromValue(JudgeShownColor));
    EXPECT_EQ(h.grid()->TextMatrix(0, 15), Ui(113));

    h.choose();
    judge->click();
    // The history is loaded again: every row without judgement, the headers
    // laid out anew.
    for (int row = 1; row < h.grid()->Rows(); ++row)
        EXPECT_EQ(h.rowTexts(row).mid(15), QStringList({"", "", ""})) << row;
    EXPECT_EQ(h.grid()->TextMatrix(0, 17), Ui(118));
    EXPECT_EQ(h.rowTexts(3)[14], "30");
    judge->click();
    EXPECT_EQ(h.rowTexts(3).mid(15), QStringList({"95", "9/11", Ui(580)}));
    EXPECT_EQ(h.rowTexts(1).mid(15), QStringList({"--", "--/--", "--"}));
}

TEST(HistoryLoad, TotalsGoToTheFolderTheHistoryCameFrom)
{
    HistoryWindow h;
    h.choose();
    // Another folder now answers to the name; the lists say something else.
    QDir().mkpath(h.customer + QStringLiteral("/0_Roof"));
    ASSERT_TRUE(WriteFileAtomic(h.customer + QStringLiteral("/0_Roof/MeasData.csv"), Cp932({"Other"})));
    h.setCombo("CmbHistorySel_0", {"Elsewhere"});
    Global::DisplayTick = {0, 0, 1, 0, 0, 0, 0, 0, 0};
    Global::DisplayTickMemory = {false, false, true, false, false, false, false, false, false};
    DataViewTotalCalc();
    EXPECT_TRUE(h.boxes().isEmpty());
    EXPECT_EQ(FileBytes(h.tickMemory()),
              QByteArray("False\r\nFalse\r\nTrue\r\n") + QByteArray("False\r\n").repeated(6));
    EXPECT_EQ(FileBytes(h.customer + QStringLiteral("/0_Roof/MeasData.csv")), Cp932({"Other"}));
    // Voc whole: the history's first measurement carries no version.
    EXPECT_EQ(h.rowTexts(1).mid(6, 3), QStringList({"251", "402", "8.125"}));

    // While ticks are restored, nothing at all.
    const QByteArray before = FileBytes(h.tickMemory());
    const MeasRecord total = Global::MeasViewRecords[0];
    Global::TickRestoring = true;
    Global::DisplayTick = {0, 1, 1, 1, 1, 1, 1, 1, 1};
    Global::DisplayTickMemory = std::vector<bool>(9, true);
    DataViewTotalCalc();
    Global::TickRestoring = false;
    EXPECT_EQ(FileBytes(h.tickMemory()), before);
    EXPECT_EQ(Global::MeasViewRecords[0], total);

    // A history whose MeasData.csv is gone: the standard error report, and
    // the tick memory is not written.
    QFile::remove(h.measData());
    DataViewTotalCalc();
    EXPECT_EQ(h.boxes(), QStringList({"DataViewTotalCalc|ERROR No:53 File not found: " + h.measData()}));
    EXPECT_EQ(FileBytes(h.tickMemory()), before);
}

// The totals' two files on the shared harness: every step failed in turn,
// then a full disk.
TEST(HistoryLoad, EveryWriteOfTheTotalsSurvivesAFaultAndAFullDisk)
{
    HistoryWindow h;
    h.choose();
    const QByteArray oldMeasData = FileBytes(h.measData());
    const QByteArray oldTicks = FileBytes(h.tickMemory());
    CheckWriteFaults({QStringLiteral("DataViewTotalCalc"), h.history,
                      [&] {
                          ASSERT_TRUE(WriteFileAtomic(h.measData(), oldMeasData));
                          ASSERT_TRUE(WriteFileAtomic(h.tickMemory(), oldTicks));
                          Global::DisplayTick = {1, 0, 1, 0, 0, 0, 0, 0, 0};
                          Global::DisplayTickMemory = {true, false, true, false, false, false, false, false, false};
                          h.w.env.dialogs->log.clear();
                      },
                      [&] {
                          DataViewTotalCalc();
                          return h.boxes().isEmpty();
                      }});
}

// On a full disk the totals say so and name the file they could not write,
// as every other save does.
TEST(HistoryLoad, TheTotalsOnAFullDiskReportDiskFullWithTheirFile)
{
    HistoryWindow h;
    h.choose();
    const QByteArray oldMeasData = FileBytes(h.measData());
    const QByteArray oldTicks = FileBytes(h.tickMemory());
    const WriteFaultSummary disk = RunOnFullDisk({QStringLiteral("DataViewTotalCalc"), h.history,
                                                  [&] {
                                                      ASSERT_TRUE(WriteFileAtomic(h.measData(), oldMeasData));
                                                      ASSERT_TRUE(WriteFileAtomic(h.tickMemory(), oldTicks));
                                                      Global::DisplayTick = {1, 0, 1, 0, 0, 0, 0, 0, 0};
                                                      Global::DisplayTickMemory = {true,  false, true,
                                                                                   false, false, false,
                                                                                   false, false, false};
                                                  },
                                                  [&] {
                                                      DataViewTotalCalc();
                                                      return h.boxes().isEmpty();
                                                  }});
    EXPECT_TRUE(disk.problems.isEmpty()) << disk.problems.join(u'\n').toStdString();
    ASSERT_FALSE(disk.reports.isEmpty());
    const QStringList expected{"ERROR No:61 Disk full: " + h.measData(), "ERROR No:61 Disk full: " + h.tickMemory()};
    for (const QString& report : disk.reports)
        EXPECT_TRUE(expected.contains(report)) << report.toStdString();
    EXPECT_TRUE(disk.reports.contains(expected[0]));
}

// Failing each write of the totals in turn leaves both files whole: each
// holds its old bytes or its new ones, and a failure is reported.
TEST(HistoryLoad, EveryWriteOfTheTotalsFailsCleanly)
{
    HistoryWindow h;
    h.choose();
    const QByteArray oldMeasData = FileBytes(h.measData());
    const QByteArray oldTicks = FileBytes(h.tickMemory());
    Global::DisplayTick = {1, 0, 1, 0, 0, 0, 0, 0, 0};
    Global::DisplayTickMemory = {true, false, true, false, false, false, false, false, false};
    DataViewTotalCalc();
    const QByteArray newMeasData = FileBytes(h.measData());
    const QByteArray newTicks = FileBytes(h.tickMemory());
    ASSERT_NE(newMeasData, oldMeasData);
    ASSERT_NE(newTicks, oldTicks);

    for (int step = 1;; ++step) {
        ASSERT_TRUE(WriteFileAtomic(h.measData(), oldMeasData));
        ASSERT_TRUE(WriteFileAtomic(h.tickMemory(), oldTicks));
        h.w.env.dialogs->log.clear();
        FileIoFaults::FailAt(step);
        DataViewTotalCalc();
        const bool failed = FileIoFaults::StepsTaken() >= step;
        FileIoFaults::Reset();
        const QByteArray measData = FileBytes(h.measData());
        const QByteArray ticks = FileBytes(h.tickMemory());
        EXPECT_TRUE(measData == oldMeasData || measData == newMeasData) << step;
        EXPECT_TRUE(ticks == oldTicks || ticks == newTicks) << step;
        if (!failed) {
            EXPECT_EQ(step, 7);
            EXPECT_EQ(measData, newMeasData);
            EXPECT_EQ(ticks, newTicks);
            EXPECT_TRUE(h.boxes().isEmpty());
            break;
        }
        // The report names the file whose write failed: the write and the
        // flush meet a full disk, the rename an I/O error.
        const QString file = step <= 3 ? h.measData() : h.tickMemory();
        const QString number = step % 3 == 0 ? "57 Device I/O error" : "61 Disk full";
        EXPECT_EQ(h.boxes(), QStringList({"DataViewTotalCalc|ERROR No:" + number + ": " + file})) << step;
        // The tick memory is written after MeasData.csv only.
        if (step <= 3) {
            EXPECT_EQ(ticks, oldTicks) << step;
        }
        ASSERT_LT(step, 20);
    }
    // The files in the history folder are those two and the fixture's: no
    // temporary file is left behind.
    EXPECT_EQ(QDir(h.history).entryList(QDir::Files | QDir::Hidden).size(), 12);
}

// Totals that come out as the files already hold them write nothing; a
// changed total writes only the file whose bytes change.
TEST(HistoryLoad, TotalsAreWrittenOnlyWhereTheirBytesChange)
{
    HistoryWindow h;
    h.choose();
    const QByteArray measData = FileBytes(h.measData());
    const QByteArray ticks = FileBytes(h.tickMemory());

    FileIoFaults::FailAt(0);
    DataViewTotalCalc();
    EXPECT_EQ(FileIoFaults::StepsTaken(), 0);
    h.choose();
    EXPECT_EQ(FileIoFaults::StepsTaken(), 0);
    EXPECT_TRUE(h.boxes().isEmpty());
    EXPECT_EQ(FileBytes(h.measData()), measData);
    EXPECT_EQ(FileBytes(h.tickMemory()), ticks);

    // Another tick: both files change, and both are written.
    Global::DisplayTick = {1, 0, 1, 0, 0, 0, 0, 0, 0};
    Global::DisplayTickMemory = {true, false, true, false, false, false, false, false, false};
    DataViewTotalCalc();
    QStringList written;
    for (const FileIoFaults::StepRecord& step : FileIoFaults::Steps())
        if (step.step == FileIoFaults::Step::Rename)
            written << QFileInfo(step.path).fileName();
    EXPECT_EQ(written, QStringList({"MeasData.csv", "CheckMemory.csv"}));
    EXPECT_NE(FileBytes(h.measData()), measData);
    EXPECT_NE(FileBytes(h.tickMemory()), ticks);

    // A tick memory changed on disk is written back whole, although the
    // totals are the same.
    const QByteArray newTicks = FileBytes(h.tickMemory());
    ASSERT_TRUE(WriteFileAtomic(h.tickMemory(), QByteArray("False\r\n")));
    FileIoFaults::FailAt(0);
    DataViewTotalCalc();
    ASSERT_EQ(FileIoFaults::Steps().size(), 3);
    EXPECT_EQ(QFileInfo(FileIoFaults::Steps()[2].path).fileName(), "CheckMemory.csv");
    EXPECT_EQ(FileBytes(h.tickMemory()), newTicks);
    FileIoFaults::Reset();
}

TEST(HistoryLoad, FoldersAndFiles)
{
    QTemporaryDir dir;
    const QString c = dir.path();
    for (const char* name : {"3_Roof", "1_Roof", "2_roof", "4_Roof_East", "Roof", "5_Shed"})
        QDir().mkpath(c + u'/' + QString::fromLatin1(name));
    QFile file(c + QStringLiteral("/0_Roof"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    // The first folder by name; case counts; everything after the first "_".
    EXPECT_EQ(FindHistoryFolder(c, QStringLiteral("Roof")), c + QStringLiteral("/1_Roof"));
    EXPECT_EQ(FindHistoryFolder(c, QStringLiteral("roof")), c + QStringLiteral("/2_roof"));
    EXPECT_EQ(FindHistoryFolder(c, QStringLiteral("Roof_East")), c + QStringLiteral("/4_Roof_East"));
    EXPECT_TRUE(FindHistoryFolder(c, QStringLiteral("Attic")).isEmpty());
    EXPECT_TRUE(FindHistoryFolder(c, QString()).isEmpty());
    EXPECT_TRUE(FindHistoryFolder(c + QStringLiteral("/missing"), QStringLiteral("Roof")).isEmpty());

    // Of 805 measurement files, the first 800 by name, whatever the order
    // they were made in; other names are not taken.
    const QString h = c + QStringLiteral("/1_Roof");
    for (int i = 805; i >= 1; --i) {
        QFile f(h + QStringLiteral("/240503_%1_%2-01-01.csv")
                        .arg(i, 6, 10, QLatin1Char('0'))
                        .arg(i % 10000, 4, 10, QLatin1Char('0')));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    for (const char* other :
         {"240503_000001_0001-01-1.csv", "240503_000001_0001-01-01.csv.bak", "CheckMemory.csv"}) {
        QFile f(h + u'/' + QString::fromLatin1(other));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    QDir().mkpath(h + QStringLiteral("/240503_000000_0000-01-01.csv"));
    const QStringList files = HistoryMeasFiles(h);
    ASSERT_EQ(files.size(), 800);
    EXPECT_EQ(files.first(), h + QStringLiteral("/240503_000001_0001-01-01.csv"));
    EXPECT_EQ(files.last(), h + QStringLiteral("/240503_000800_0800-01-01.csv"));

    // Their load reports (0, 800) first, then files done, on the calling
    // thread alone.
    std::vector<std::pair<int, int>> heard;
    bool elsewhere = false;
    const std::thread::id me = std::this_thread::get_id();
    HistoryViews views;
    LoadHistory(h, ArrayConfigurationType(), views, [&](int done, int total) {
        heard.emplace_back(done, total);
        elsewhere = elsewhere || std::this_thread::get_id() != me;
    });
    EXPECT_FALSE(elsewhere);
    ASSERT_GT(heard.size(), 1u);
    EXPECT_EQ(heard.front(), std::make_pair(0, 800));
    for (std::size_t i = 1; i < heard.size(); ++i) {
        EXPECT_EQ(heard[i].second, 800);
        EXPECT_GT(heard[i].first, heard[i - 1].first);
        EXPECT_LE(heard[i].first, 800);
    }
}

// Choosing a history is long work: its progress window is up and the main
// window takes no input while it loads; both end with it.
TEST(HistoryLoad, TheLoadShowsItsProgressWindow)
{
    HistoryWindow h;
    bool shown = false;
    bool running = false;
    QTimer::singleShot(0, [&] {
        shown = FrmLoading::IsLoaded() && FrmLoading::Load(nullptr)->isVisible();
        running = LongWork::Running();
    });
    h.choose();
    ASSERT_TRUE(h.boxes().isEmpty()) << h.boxes().join(u'\n').toStdString();
    EXPECT_TRUE(shown);
    EXPECT_TRUE(running);
    EXPECT_FALSE(FrmLoading::IsLoaded());
    EXPECT_FALSE(LongWork::Running());
    EXPECT_EQ(Global::MeasFileCount, 8);
}

TEST(HistoryLoad, TickMemoryLines)
{
    EXPECT_EQ(TickMemoryFlags("True\r\nFalse\r\ntrue,1\r\n\r\n", 3), std::vector<std::uint8_t>({1, 0, 1, 0}));
    EXPECT_EQ(TickMemoryFlags("TRUE\r\nTrue ,x\r\n", 1), std::vector<std::uint8_t>({1, 0}));
    // A last line without its line end counts; any other length ticks nothing.
    EXPECT_EQ(TickMemoryFlags("True\r\nTrue", 1), std::vector<std::uint8_t>({1, 1}));
    EXPECT_EQ(TickMemoryFlags("True\r\nTrue\r\n\r\n", 1), std::vector<std::uint8_t>({0, 0}));
    EXPECT_EQ(TickMemoryFlags("", 0), std::vector<std::uint8_t>({0}));
}

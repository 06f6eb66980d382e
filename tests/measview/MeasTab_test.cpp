// The measurement-data tab driven as a user drives it, over the fixture
// data folder (tests/fixtures/meastab): choosing a customer and a history,
// ticking rows one by one and all at once with the totals and files
// following, the list's mouse handling and edit start, the result views
// with the refusals of the STC view, and the report hand-over.
#include "MeasTabWindow.h"
#include "support/TestFiles.h"

#include "common/Global.h"
#include "measview/CurveButtons.h"
#include "measview/MeasList.h"
#include "measview/PlotPainter.h"
#include "measview/Totals.h"
#include "instrument/MeasFile.h"
#include "measview/TabRules.h"
#include "platform/AnsiCodec.h"
#include "platform/NumText.h"
#include "report/FrmReport.h"
#include "report/ReportEntry.h"
#include "report/ReportGlobals.h"

#include <QCheckBox>
#include <QPushButton>

namespace {

QString Ui(int key)
{
    return Global::UiText.value(key);
}

QByteArray TickLines(std::initializer_list<bool> ticks)
{
    QByteArray out;
    for (bool t : ticks)
        out += t ? "True\r\n" : "False\r\n";
    return out;
}

// Lines 3 to 5 of a MeasData.csv.
QList<QByteArray> TotalLines(const QByteArray& measData)
{
    return measData.split('\n').mid(2, 3);
}

std::vector<std::uint8_t> Flags(std::initializer_list<int> ticks)
{
    return std::vector<std::uint8_t>(ticks.begin(), ticks.end());
}

} // namespace

// ---- Customer and history choice --------------------------------------------

TEST(MeasTabCustomer, ThePageResetOffersEveryCustomerAndChoosesNone)
{
    MeasTabWindow t;
    auto* codes = t.control<QComboBox>("CmbCodeName", 0);
    auto* names = t.control<QComboBox>("CmbUserName", 0);
    ASSERT_EQ(codes->count(), 4);
    for (int p = 0; p < 4; ++p) {
        EXPECT_EQ(codes->itemText(p), MeasTab::Codes[p]);
        EXPECT_EQ(names->itemText(p), MeasTab::Names[p]);
    }
    EXPECT_EQ(codes->currentIndex(), -1);
    EXPECT_EQ(names->currentIndex(), -1);
    EXPECT_EQ(t.control<QComboBox>("CmbHistorySel", 0)->count(), 0);
    EXPECT_EQ(t.grid()->Rows(), 1);
    EXPECT_TRUE(t.boxes().isEmpty());
}

TEST(MeasTabCustomer, EnteringTheTabShowsTheCustomerAndHistoryOfTheCustomerTab)
{
    MeasTabWindow t;
    struct Case {
        int customer, page;
        int loaded;
    } cases[] = {{1, 0, 8}, {0, 1, 0}, {3, 5, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.customer);
        t.form->SSTab->setCurrentIndex(0);
        // The customer chosen on the customer tab (the list in code order),
        // and the history page it shows.
        t.form->MfgUserList->setRow(c.customer + 1);
        emit t.form->MfgUserList->Click();
        ASSERT_EQ(Global::CurUserIndex, c.customer);
        Global::HistoryPage = c.page;
        t.dialogs().log.clear();
        t.form->SSTab->setCurrentIndex(1);
        auto* histories = t.control<QComboBox>("CmbHistorySel", 0);
        if (c.page >= 2) {
            // A page the customer's folder does not hold: back to the
            // customer tab.
            EXPECT_EQ(t.boxes(), QStringList{QStringLiteral("Heliodex|") + Ui(576)});
            EXPECT_EQ(t.form->SSTab->currentIndex(), 0);
            continue;
        }
        EXPECT_TRUE(t.boxes().isEmpty()) << t.boxes().join(u'\n').toStdString();
        EXPECT_EQ(t.form->SSTab->currentIndex(), 1);
        EXPECT_EQ(t.caption("LblCodeName", 0), MeasTab::Codes[c.customer]);
        EXPECT_EQ(t.caption("LblSiteName", 0), Global::UserDataRecord.SiteName);
        EXPECT_EQ(histories->currentIndex(), c.page);
        EXPECT_EQ(Global::MeasFileCount, c.loaded);
        EXPECT_EQ(t.grid()->Rows(), c.loaded ? c.loaded + 2 : 1);
    }
}

TEST(MeasTabCustomer, ChoosingACustomerShowsItsArrayWithItsOwnCoefficients)
{
    for (bool byName : {false, true}) {
        SCOPED_TRACE(byName ? "by name" : "by control number");
        MeasTabWindow t;
        Global::CurMeasRow = 4;
        t.chooseCustomer(0, byName);
        ASSERT_TRUE(t.boxes().isEmpty()) << t.boxes().join(u'\n').toStdString();

        EXPECT_EQ(t.control<QComboBox>("CmbCodeName", 0)->currentIndex(), 0);
        EXPECT_EQ(t.control<QComboBox>("CmbUserName", 0)->currentIndex(), 0);
        EXPECT_EQ(t.caption("LblUserName", 0), QStringLiteral("見本"));
        EXPECT_EQ(t.caption("LblSiteName", 0), QStringLiteral("本社屋上"));
        EXPECT_EQ(t.caption("LblMeasModuleData"), QStringLiteral("11750"));
        EXPECT_EQ(t.caption("LblExtData"), QStringLiteral("監視装置 1台"));

        // Groups 1 to 4 have a maker; group 4 no string row, so no rated Pm
        // and no coefficients.
        const QStringList tabs = {"01", "02", "03", "04", "", "", "", "", "", ""};
        for (int g = 0; g < 10; ++g)
            EXPECT_EQ(t.form->SSTab1->tabText(g), tabs[g]) << g;
        EXPECT_EQ(t.form->SSTab1->currentIndex(), 0);
        const QStringList rated = {"7000", "2500", "2250", "", "", "", "", "", "", ""};
        for (int g = 0; g < 10; ++g) {
            EXPECT_EQ(t.caption("LblStringTotalPm", g), rated[g]) << g;
            EXPECT_EQ(t.control<QWidget>("FraStringSel", g)->property("title").toString(), Ui(296));
        }
        EXPECT_EQ(Global::ArrayConfiguration.GroupRatedPm[0], QStringLiteral("7000"));
        EXPECT_EQ(Global::ArrayConfiguration.GroupRatedPm[3], QStringLiteral("0"));
        EXPECT_EQ(QStringList({t.caption("LblPmTemp", 0), t.caption("LblAlpha", 0), t.caption("LblBeta", 0),
                               t.caption("LblRs", 0), t.caption("LblK", 0)}),
                  QStringList({"-0.45", "0.0053", "-0.126", "0.35", "0.0025"}));
        EXPECT_EQ(t.caption("LblK", 3), QString());
        EXPECT_EQ(QStringList({t.caption("LblModCode", 0), t.caption("LblModCnt", 0), t.caption("LblModCntH", 0),
                               t.caption("LblModPm", 0), t.caption("LblModVoc", 0), t.caption("LblModIsc", 0)}),
                  QStringList({"TS-250", "10", "2", "250", "37.6", "8.75"}));
        EXPECT_EQ(t.caption("LblModCntH", 1), QString());
        EXPECT_EQ(t.caption("LblModCode", 2), QString());
        EXPECT_EQ(QStringList({t.caption("LblPowConNo", 0), t.caption("LblPowConMaker", 0),
                               t.caption("LblPowConSerial", 0)}),
                  QStringList({"1", "Sanrise", "SR-4"}));
        EXPECT_EQ(t.caption("LblPowConNo", 1), QStringLiteral("2"));

        // The histories offered, none chosen, nothing loaded yet.
        auto* histories = t.control<QComboBox>("CmbHistorySel", 0);
        EXPECT_EQ(histories->count(), 2);
        EXPECT_EQ(histories->itemText(0), MeasTab::History);
        EXPECT_EQ(histories->itemText(1), QStringLiteral("空き"));
        EXPECT_EQ(histories->currentIndex(), -1);
        EXPECT_EQ(Global::CurMeasRow, -1);
        EXPECT_EQ(t.grid()->Rows(), 1);
    }
}

TEST(MeasTabCustomer, AnotherCustomersHistoryIsCorrectedWithThatCustomersGroups)
{
    MeasTabWindow t;
    t.open(0);
    ASSERT_EQ(Global::MeasFileCount, 8);
    const QString pmCustomer0 = Global::MeasPmCorrRecords[2].F[15];
    // C002's group 01 has a rated Pm of 8000 instead of 7000.
    t.open(1);
    ASSERT_TRUE(t.boxes().isEmpty()) << t.boxes().join(u'\n').toStdString();
    EXPECT_EQ(t.caption("LblStringTotalPm", 0), QStringLiteral("8000"));
    EXPECT_EQ(Global::MeasFilePaths[0].section(u'/', -3, -3), QStringLiteral("C002_混在"));
    EXPECT_NE(Global::MeasPmCorrRecords[2].F[15], pmCustomer0);
    EXPECT_TRUE(Global::ModuleCompFlags[1]);
}

TEST(MeasTabCustomer, ACustomerWhoseFileIsGoneEmptiesThePageAndSaysSo)
{
    MeasTabWindow t;
    t.open(0);
    ASSERT_EQ(Global::MeasFileCount, 8);
    ASSERT_TRUE(QFile::remove(MeasTab::CustomerFolder(2) + QStringLiteral("/UserData.csv")));
    const QByteArray ticksBefore = FileBytes(t.historyFolder(0) + QStringLiteral("/CheckMemory.csv"));

    t.chooseCustomer(2);
    EXPECT_EQ(t.boxes(), QStringList({AppTitle + u'|' + Ui(UiCustomerFileMissing)}));
    EXPECT_EQ(t.dialogs().log.first().message.icon, vbExclamation);
    EXPECT_FALSE(Ui(UiCustomerFileMissing).isEmpty());
    // Nothing of the customer shown before stays under the new name.
    EXPECT_EQ(t.caption("LblUserName", 0), QStringLiteral("係数欠"));
    EXPECT_EQ(t.caption("LblSiteName", 0), QString());
    EXPECT_EQ(t.caption("LblMeasModuleData"), QString());
    EXPECT_EQ(t.caption("LblExtData"), QString());
    EXPECT_EQ(t.caption("LblModMaker", 0), QString());
    EXPECT_EQ(t.caption("LblK", 0), QString());
    EXPECT_EQ(t.control<QComboBox>("CmbHistorySel", 0)->count(), 0);
    EXPECT_EQ(t.grid()->Rows(), 1);
    EXPECT_EQ(Global::MeasFileCount, 0);
    EXPECT_TRUE(Global::MeasHistoryFolder.isEmpty());
    EXPECT_TRUE(t.control<QPushButton>("CmdDspAll")->isHidden());
    // Nothing is written into the history shown before.
    t.form->SSTab3->setCurrentIndex(1);
    CmdDspAll_Click();
    EXPECT_EQ(FileBytes(t.historyFolder(0) + QStringLiteral("/CheckMemory.csv")), ticksBefore);

    // The next customer is shown as usual.
    t.chooseCustomer(0);
    EXPECT_EQ(t.caption("LblSiteName", 0), QStringLiteral("本社屋上"));
    EXPECT_EQ(t.control<QComboBox>("CmbHistorySel", 0)->count(), 2);
}

TEST(MeasTabCustomer, TheInstrumentTabsChoiceNamesTheFirstHistoryAndLoadsNothing)
{
    MeasTabWindow t;
    t.open(0);
    for (const char* name : {"CmbCodeName", "CmbUserName"}) {
        auto* combo = t.control<QComboBox>(name, 1);
        const QSignalBlocker block(combo);
        combo->clear();
        combo->addItems(QString::fromLatin1(name) == QLatin1String("CmbCodeName") ? MeasTab::Codes : MeasTab::Names);
        combo->setCurrentIndex(-1);
    }
    t.control<QComboBox>("CmbUserName", 1)->setCurrentIndex(3);
    EXPECT_EQ(t.control<QComboBox>("CmbCodeName", 1)->currentIndex(), 3);
    EXPECT_EQ(t.caption("LblUserName", 1), QStringLiteral("未設定"));
    EXPECT_EQ(t.caption("LblSiteName", 1), QStringLiteral("車庫"));
    auto* histories = t.control<QComboBox>("CmbHistorySel", 1);
    EXPECT_EQ(histories->count(), 2);
    EXPECT_EQ(histories->currentIndex(), 0);
    // The measurement-data tab keeps its customer and history.
    EXPECT_EQ(Global::MeasFileCount, 8);
    EXPECT_EQ(t.caption("LblSiteName", 0), QStringLiteral("本社屋上"));
    EXPECT_EQ(t.grid()->Rows(), 10);

    // Other indexes do nothing.
    const QString loaded = Global::UserDataRecord.SiteName;
    for (int index : {2, -1}) {
        CmbCodeName_Click(index);
        CmbUserName_Click(index);
    }
    EXPECT_EQ(Global::UserDataRecord.SiteName, loaded);
    EXPECT_TRUE(t.boxes().isEmpty());
}

TEST(MeasTabCustomer, AHistoryWithoutMeasurementsLeavesTheListEmpty)
{
    MeasTabWindow t;
    t.open(0, QStringLiteral("空き"));
    EXPECT_EQ(Global::MeasFileCount, 0);
    EXPECT_EQ(t.grid()->Rows(), 1);
    EXPECT_TRUE(t.control<QPushButton>("CmdDspAll")->isHidden());
    // The view switch has nothing to show, nor to refuse (the history
    // loaded before it had a group mixing modules).
    t.open(1);
    ASSERT_TRUE(Global::ModuleCompFlags[1]);
    t.chooseHistory(QStringLiteral("空き"));
    for (int tab : {1, 2, 0})
        t.form->SSTab3->setCurrentIndex(tab);
    EXPECT_EQ(t.grid()->Rows(), 1);
    EXPECT_EQ(Global::DisplayTick, Flags({0}));
    EXPECT_TRUE(t.boxes().isEmpty());
}

// ---- Ticks and totals ---------------------------------------------------------

TEST(MeasTabTicks, ATickFollowsIntoTheFlagsTheColourTheTotalAndBothFiles)
{
    MeasTabWindow t;
    t.open(0);
    ASSERT_EQ(t.tickedRows(), QList<int>({2, 4, 9}));
    const QString folder = t.historyFolder();

    // Unticking record 3 (list row 4) leaves records 1 and 8.
    t.grid()->setTick(4, false);
    EXPECT_EQ(Global::DisplayTick, Flags({0, 1, 0, 0, 0, 0, 0, 0, 1}));
    EXPECT_FALSE(Global::DisplayTickMemory[3]);
    EXPECT_TRUE(t.painted(4, MeasUntickedColor));
    EXPECT_EQ(FileBytes(folder + QStringLiteral("/CheckMemory.csv")),
              TickLines({false, true, false, false, false, false, false, false, true}));
    // 180 + 255 W; Voc the mean of 380 and 402 V, whole volts as the first
    // measurement carries no version; Isc 6.5 + 8.2 A.
    EXPECT_EQ(TotalLines(FileBytes(folder + QStringLiteral("/MeasData.csv"))),
              QList<QByteArray>({"SEL_OK,435.00\r", "SEL_OK,391\r", "SEL_OK,14.700\r"}));
    EXPECT_EQ(t.rowTexts(1).mid(6, 3), QStringList({"435", "391", "14.700"}));
    EXPECT_EQ(Global::MeasViewRecords[0].F[15], QStringLiteral("435.00"));

    // The user's click on the tick cell of record 2 (row 3).
    t.clickTick(3);
    EXPECT_EQ(Global::DisplayTick, Flags({0, 1, 1, 0, 0, 0, 0, 0, 1}));
    EXPECT_TRUE(t.painted(3, MeasTickedColor));
    EXPECT_EQ(TotalLines(FileBytes(folder + QStringLiteral("/MeasData.csv")))[0], QByteArray("SEL_OK,685.50\r"));

    // The total row's own tick: flag 0 and the tick memory, not its colour,
    // not the total.
    t.grid()->setTick(1, true);
    EXPECT_EQ(Global::DisplayTick[0], 1);
    EXPECT_TRUE(t.painted(1, MeasTotalRowColor));
    EXPECT_EQ(FileBytes(folder + QStringLiteral("/CheckMemory.csv")).left(6), QByteArray("True\r\n"));
    EXPECT_EQ(TotalLines(FileBytes(folder + QStringLiteral("/MeasData.csv")))[0], QByteArray("SEL_OK,685.50\r"));
    EXPECT_TRUE(t.boxes().isEmpty()) << t.boxes().join(u'\n').toStdString();

    // The ticks come back with the history.
    t.chooseHistory(QStringLiteral("空き"));
    t.chooseHistory();
    EXPECT_EQ(Global::DisplayTick, Flags({1, 1, 1, 0, 0, 0, 0, 0, 1}));
    EXPECT_EQ(t.tickedRows(), QList<int>({1, 2, 3, 9}));
}

TEST(MeasTabTicks, AllTicksEveryRowThenUnticksThemAndTheTotalsRunOnce)
{
    MeasTabWindow t;
    t.open(0);
    const QString folder = t.historyFolder();
    auto* all = t.control<QPushButton>(QStringLiteral("CmdDspAll"));
    ASSERT_TRUE(all->isVisible());
    EXPECT_EQ(all->text(), QStringLiteral("All"));

    all->click();
    EXPECT_EQ(Global::DisplayTick, std::vector<std::uint8_t>(9, 1));
    EXPECT_EQ(Global::DisplayTickMemory, std::vector<bool>(9, true));
    EXPECT_EQ(t.tickedRows(), QList<int>({1, 2, 3, 4, 5, 6, 7, 8, 9}));
    for (int row = 2; row <= 9; ++row)
        EXPECT_TRUE(t.painted(row, MeasTickedColor)) << row;
    EXPECT_EQ(t.grid()->cellBackColor(1, 0), MeasTotalRowColor);
    EXPECT_EQ(FileBytes(folder + QStringLiteral("/CheckMemory.csv")),
              TickLines({true, true, true, true, true, true, true, true, true}));
    // Pm of all eight: 180 + 250.5 + 240.25 + 150 + 260 + 0 + 0 + 255.
    EXPECT_EQ(TotalLines(FileBytes(folder + QStringLiteral("/MeasData.csv")))[0], QByteArray("SEL_OK,1335.75\r"));
    EXPECT_FALSE(Global::TickAllRunning);

    all->click();
    EXPECT_EQ(Global::DisplayTick, std::vector<std::uint8_t>(9, 0));
    EXPECT_TRUE(t.tickedRows().isEmpty());
    for (int row = 2; row <= 9; ++row)
        EXPECT_TRUE(t.painted(row, MeasUntickedColor)) << row;
    EXPECT_EQ(TotalLines(FileBytes(folder + QStringLiteral("/MeasData.csv"))),
              QList<QByteArray>({"\r", "\r", "\r"}));
    EXPECT_EQ(t.rowTexts(1)[6], QStringLiteral("--"));

    // Only the total row unticked: All ticks everything.
    all->click();
    t.grid()->setTick(1, false);
    all->click();
    EXPECT_EQ(Global::DisplayTick, std::vector<std::uint8_t>(9, 1));
    EXPECT_TRUE(t.boxes().isEmpty()) << t.boxes().join(u'\n').toStdString();
}

TEST(MeasTabTicks, AFailingTotalLeavesNoTickDead)
{
    MeasTabWindow t;
    t.open(0);
    const QString measData = t.historyFolder() + QStringLiteral("/MeasData.csv");
    const QByteArray saved = FileBytes(measData);
    ASSERT_TRUE(QFile::remove(measData));

    t.control<QPushButton>(QStringLiteral("CmdDspAll"))->click();
    ASSERT_EQ(t.boxes().size(), 1);
    EXPECT_TRUE(t.boxes()[0].startsWith(QStringLiteral("DataViewTotalCalc|ERROR No:53")))
        << t.boxes()[0].toStdString();
    EXPECT_FALSE(Global::TickAllRunning);
    EXPECT_TRUE(t.grid()->Redraw());

    // Ticks still act, and with the file back the totals are stored again.
    ASSERT_TRUE(WriteFileAtomic(measData, saved));
    t.grid()->setTick(5, false);
    EXPECT_EQ(Global::DisplayTick[4], 0);
    EXPECT_TRUE(t.painted(5, MeasUntickedColor));
    EXPECT_EQ(FileBytes(t.historyFolder() + QStringLiteral("/CheckMemory.csv")),
              TickLines({true, true, true, true, false, true, true, true, true}));
    EXPECT_EQ(t.boxes().size(), 1);
}

TEST(MeasTabTicks, AScrollPutsTheFlagsIntoTheCellsWithoutAnyTotal)
{
    MeasTabWindow t;
    t.open(0);
    const QString tickFile = t.historyFolder() + QStringLiteral("/CheckMemory.csv");
    const QByteArray before = FileBytes(tickFile);
    const QString total = Global::MeasViewRecords[0].F[15];
    // A flag that its cell does not show yet.
    Global::DisplayTick[5] = 1;
    Global::DisplayTickMemory[5] = true;
    t.grid()->setTopRow(4);
    QApplication::processEvents();
    MfgMeasList_Scroll();
    EXPECT_EQ(t.grid()->Tick(6), 1);
    EXPECT_TRUE(t.painted(6, MeasTickedColor));
    EXPECT_EQ(Global::DisplayTick, Flags({0, 1, 0, 1, 0, 1, 0, 0, 1}));
    EXPECT_EQ(FileBytes(tickFile), before);
    EXPECT_EQ(Global::MeasViewRecords[0].F[15], total);
    EXPECT_FALSE(Global::TickRestoring);
}

// ---- Pointer, row press and edit start ----------------------------------------------

TEST(MeasTabMouse, ADoubleClickOpensTheEditBoxOnAMeasurementRowOnly)
{
    MeasTabWindow t;
    t.open(0);
    FlexGrid* g = t.grid();
    auto* box = t.control<QLineEdit>(QStringLiteral("TxtPoinrIn_0"));

    // Before any row was pressed nothing opens.
    t.mouse(QEvent::MouseMove, t.at(3, 2));
    MfgMeasList_DblClick();
    EXPECT_FALSE(box->isVisible());

    // Row 3 shows record 2, number 0001-01-01.
    const QStringList texts = {"24/05/03", "10:15:00", "0001", "01", "01", "屋根東"};
    for (int col = 0; col < 6; ++col) {
        SCOPED_TRACE(col);
        t.doubleClick(3, col);
        EXPECT_EQ(Global::CurMeasRow, 2);
        ASSERT_TRUE(box->isVisible());
        EXPECT_EQ(box->text(), texts[col]);
        EXPECT_EQ(box->selectedText(), texts[col]);
        EXPECT_EQ(Global::EditColMeas, col);
        EXPECT_FALSE(g->isEnabled());
        const QRect cell = g->CellRect(3, col);
        EXPECT_EQ(box->geometry(), QRect(g->mapTo(box->parentWidget(), cell.topLeft()), cell.size()));
        // Esc closes it, storing nothing.
        QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(box, &esc);
        EXPECT_FALSE(box->isVisible());
        EXPECT_TRUE(g->isEnabled());
    }
    // Not the total row, not a column right of the position.
    t.doubleClick(1, 2);
    EXPECT_EQ(Global::CurMeasRow, 0);
    EXPECT_FALSE(box->isVisible());
    t.doubleClick(5, 7);
    EXPECT_FALSE(box->isVisible());
    EXPECT_TRUE(g->isEnabled());

    // A press on a tick cell ticks its row and leaves the row pressed.
    t.press(4, 3);
    ASSERT_EQ(Global::CurMeasRow, 3);
    t.clickTick(6);
    EXPECT_EQ(Global::CurMeasRow, 3);
    EXPECT_EQ(Global::DisplayTick[5], 1);

    // A new customer forgets the row pressed.
    t.chooseCustomer(1);
    EXPECT_EQ(Global::CurMeasRow, -1);
    EXPECT_TRUE(t.boxes().isEmpty()) << t.boxes().join(u'\n').toStdString();
}

TEST(MeasTabMouse, ThePointerIsKeptInTwips)
{
    MeasTabWindow t;
    t.open(0);
    const QPointF pos = t.at(4, 5);
    t.mouse(QEvent::MouseMove, pos);
    const QPoint inList = t.grid()->viewport()->mapTo(t.grid(), pos.toPoint());
    EXPECT_EQ(Global::MeasListMouseX, NumText::CLng(PixelsToTwipsX(inList.x(), t.grid())));
    EXPECT_EQ(Global::MeasListMouseY, NumText::CLng(PixelsToTwipsY(inList.y(), t.grid())));
}

// ---- Result views -------------------------------------------------------------------

TEST(MeasTabViews, EachViewRewritesTheRowsAndStoresItsOwnTotals)
{
    MeasTabWindow t;
    t.open(0);
    const QString measData = t.historyFolder() + QStringLiteral("/MeasData.csv");
    const QString tickFile = t.historyFolder() + QStringLiteral("/CheckMemory.csv");
    const QByteArray ticks = FileBytes(tickFile);
    const QString irradiance = t.grid()->TextMatrix(3, 12);

    struct View {
        int tab;
        const std::vector<MeasRecord>* records;
    } views[] = {{1, &Global::MeasPmCorrRecords}, {2, &Global::MeasStcRecords}, {0, &Global::MeasRawRecords}};
    for (const View& v : views) {
        SCOPED_TRACE(v.tab);
        t.form->SSTab3->setCurrentIndex(v.tab);
        ASSERT_TRUE(t.boxes().isEmpty()) << t.boxes().join(u'\n').toStdString();
        for (int r = 1; r <= 8; ++r)
            ASSERT_EQ(Global::MeasViewRecords[std::size_t(r)].F, (*v.records)[std::size_t(r)].F) << r;
        // The rows of the view, the irradiance as the load wrote it.
        for (int r = 1; r <= 8; ++r) {
            QStringList want =
                MeasListCells(Global::MeasViewRecords[std::size_t(r)], false, MeasRowWriter::ViewSwitch, false);
            want[12] = t.grid()->TextMatrix(r + 1, 12);
            EXPECT_EQ(t.rowTexts(r + 1), want) << r;
        }
        EXPECT_EQ(t.grid()->TextMatrix(3, 12), irradiance);
        // The same ticks and colours; the total of this view in row 1 and in
        // the history's file.
        EXPECT_EQ(Global::DisplayTick, Flags({0, 1, 0, 1, 0, 0, 0, 0, 1}));
        EXPECT_EQ(t.tickedRows(), QList<int>({2, 4, 9}));
        EXPECT_TRUE(t.painted(2, MeasTickedColor));
        EXPECT_TRUE(t.painted(3, MeasUntickedColor));
        EXPECT_EQ(FileBytes(tickFile), ticks);
        const MeasRecord& total = Global::MeasViewRecords[0];
        EXPECT_EQ(TotalLines(FileBytes(measData)),
                  QList<QByteArray>({"SEL_OK," + total.F[15].toLatin1() + "\r",
                                     "SEL_OK," + total.F[16].toLatin1() + "\r",
                                     "SEL_OK," + total.F[17].toLatin1() + "\r"}));
        EXPECT_EQ(t.rowTexts(1), MeasListCells(total, true, MeasRowWriter::ViewSwitch, false));
        EXPECT_FALSE(Global::ViewSwitchRunning);
        EXPECT_FALSE(Global::TickRestoring);
    }
    // The Pm-corrected total differs from the measured one.
    t.form->SSTab3->setCurrentIndex(1);
    EXPECT_NE(TotalLines(FileBytes(measData))[0], QByteArray("SEL_OK,675.25\r"));
    t.form->SSTab3->setCurrentIndex(0);
    EXPECT_EQ(TotalLines(FileBytes(measData))[0], QByteArray("SEL_OK,675.25\r"));
    // A row whose Voc and Isc are "--" (the empty file) shows them so.
    EXPECT_EQ(t.rowTexts(7).mid(7, 2), QStringList({"--", "--"}));
}

TEST(MeasTabViews, TheStcViewIsRefusedWithOneMessageAndTheMeasuredViewFollows)
{
    struct Case {
        int customer;
        int key;
    } cases[] = {{1, UiStcMixedModules}, {2, UiStcCoefMissing}, {3, UiStcNoModule}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.customer);
        MeasTabWindow t;
        t.open(c.customer);
        ASSERT_EQ(Global::MeasFileCount, 8);
        t.grid()->setTick(3, true);
        t.form->SSTab3->setCurrentIndex(1);
        t.dialogs().log.clear();

        t.form->SSTab3->setCurrentIndex(2);
        ASSERT_EQ(t.boxes(), QStringList({AppTitle + u'|' + Ui(c.key)}));
        EXPECT_EQ(t.dialogs().log[0].message.icon, vbExclamation);
        EXPECT_EQ(t.dialogs().log[0].message.buttons, vbOKOnly);
        EXPECT_EQ(t.form->SSTab3->currentIndex(), 0);
        for (int r = 1; r <= 8; ++r)
            EXPECT_EQ(Global::MeasViewRecords[std::size_t(r)].F, Global::MeasRawRecords[std::size_t(r)].F) << r;
        EXPECT_EQ(Global::DisplayTick, Flags({0, 1, 1, 1, 0, 0, 0, 0, 1}));
        EXPECT_TRUE(t.painted(3, MeasTickedColor));
        EXPECT_EQ(TotalLines(FileBytes(t.historyFolder(c.customer) + QStringLiteral("/MeasData.csv")))[0],
                  QByteArray("SEL_OK,925.75\r"));
        EXPECT_FALSE(Global::ViewSwitchRunning);
        // Ticks still act after the refusal.
        t.grid()->setTick(3, false);
        EXPECT_EQ(Global::DisplayTick[2], 0);
    }
}

TEST(MeasTabViews, ALanguageSwitchEmptiesTheTabWithoutAnyMessage)
{
    MeasTabWindow t;
    // A history whose STC view is refused, shown in the Pm-corrected view.
    t.open(2);
    t.form->SSTab3->setCurrentIndex(1);
    ASSERT_EQ(Global::MeasFileCount, 8);
    t.dialogs().log.clear();
    // The caption set-up lays the list out afresh and captions each result
    // tab in turn.
    t.form->LanguageSetup(1);
    EXPECT_TRUE(t.boxes().isEmpty()) << t.boxes().join(u'\n').toStdString();
    EXPECT_EQ(t.grid()->Rows(), 1);
    EXPECT_EQ(Global::MeasFileCount, 0);
    EXPECT_FALSE(Global::StcCoefMissing);
    // Nothing that is no longer shown is handed to the report.
    Global::ReportCount = 99;
    t.control<QPushButton>(QStringLiteral("CmdReportMake"))->click();
    EXPECT_EQ(Global::ReportCount, 99);
    EXPECT_TRUE(t.boxes().isEmpty()) << t.boxes().join(u'\n').toStdString();
}

TEST(MeasTabViews, ALoadFromAnotherViewEndsOnTheMeasuredViewWithItsRows)
{
    MeasTabWindow t;
    t.form->SSTab3->setCurrentIndex(1);
    t.open(0);
    EXPECT_EQ(t.form->SSTab3->currentIndex(), 0);
    for (int r = 1; r <= 8; ++r)
        EXPECT_EQ(Global::MeasViewRecords[std::size_t(r)].F, Global::MeasRawRecords[std::size_t(r)].F) << r;
    EXPECT_EQ(t.rowTexts(7).mid(7, 2), QStringList({"--", "--"}));
    EXPECT_EQ(t.tickedRows(), QList<int>({2, 4, 9}));
}

TEST(MeasTabViews, TheJudgementSwitchKeepsTheViewShown)
{
    MeasTabWindow t;
    t.open(0);
    t.form->SSTab3->setCurrentIndex(2);
    auto* judge = t.control<QCheckBox>(QStringLiteral("ChkJudgeOff"));
    judge->click();
    EXPECT_EQ(t.form->SSTab3->currentIndex(), 2);
    for (int r = 1; r <= 8; ++r)
        EXPECT_EQ(Global::MeasViewRecords[std::size_t(r)].F, Global::MeasStcRecords[std::size_t(r)].F) << r;
    EXPECT_EQ(t.rowTexts(3).mid(15), QStringList({"", "", ""}));
    judge->click();
    EXPECT_EQ(t.rowTexts(3).mid(15), QStringList({"95", "9/11", Ui(580)}));
    EXPECT_TRUE(t.boxes().isEmpty()) << t.boxes().join(u'\n').toStdString();
}

// ---- Totals ------------------------------------------------------------------

TEST(MeasTabTotals, AMeasurementWithoutCorrectedValuesIsLeftOutOfTheCorrectedTotals)
{
    MeasTabWindow t;
    const QString folder = t.historyFolder();
    // Record 2 again, taken with the irradiance sensor unplugged: it has
    // values as measured and "--" in both corrected views.
    MeasRecord unplugged =
        ReadMeasFile(folder + QStringLiteral("/240503_101500_0001-01-01.csv"), MeasFileVariant::History);
    unplugged.F[0] = QStringLiteral("0010-01-01");
    unplugged.F[2] = QStringLiteral("10:17:00");
    unplugged.F[12] = QStringLiteral("0");
    WriteMeasFile(folder, unplugged, {MeasFileVariant::History});
    t.open(0);
    ASSERT_EQ(Global::MeasFileCount, 9);
    ASSERT_EQ(Global::MeasRawRecords[3].F[0], QStringLiteral("0010-01-01"));
    // Records 2 and 3 (the unplugged one) ticked.
    for (int row = 2; row <= 10; ++row)
        t.grid()->setTick(row, row == 3 || row == 4);
    ASSERT_EQ(Global::DisplayTick, Flags({0, 0, 1, 1, 0, 0, 0, 0, 0, 0}));
    const QString measData = folder + QStringLiteral("/MeasData.csv");
    const QString tickFile = folder + QStringLiteral("/CheckMemory.csv");

    // The list's total row and MeasData.csv lines 3 to 5 show the same total.
    const auto shownAsTheListShows = [&](const MeasRecord& total) {
        EXPECT_EQ(t.rowTexts(1).mid(6, 7), MeasListCells(total, true, MeasRowWriter::Totals, false).mid(6, 7));
        QList<QByteArray> lines;
        for (int f : {15, 16, 17}) {
            const QString& value = total.F[std::size_t(f)];
            lines << (value == QLatin1String("--") ? QByteArray("\r") : "SEL_OK," + value.toLatin1() + "\r");
        }
        EXPECT_EQ(TotalLines(FileBytes(measData)), lines);
    };
    // The total of a view with record 2 alone ticked.
    const auto record2Alone = [](std::vector<MeasRecord> view, TotalView kind) {
        TotalOfTicked(view, 9, Flags({0, 0, 1, 0, 0, 0, 0, 0, 0, 0}), kind);
        return view[0];
    };
    for (int tab : {1, 2}) {
        SCOPED_TRACE(tab);
        t.form->SSTab3->setCurrentIndex(tab);
        ASSERT_TRUE(t.boxes().isEmpty()) << t.boxes().join(u'\n').toStdString();
        EXPECT_EQ(t.rowTexts(4).mid(6, 3), QStringList({"--", "--", "--"}));
        const MeasRecord want = record2Alone(tab == 1 ? Global::MeasPmCorrRecords : Global::MeasStcRecords,
                                             TotalView::Shown);
        EXPECT_EQ(Global::MeasViewRecords[0], want);
        EXPECT_EQ(Global::MeasPmCorrRecords[0], record2Alone(Global::MeasPmCorrRecords, TotalView::PmCorrected));
        EXPECT_NE(want.F[15], QStringLiteral("--"));
        // A re-tick writes the row with the totals' own rules.
        t.grid()->setTick(4, false);
        t.grid()->setTick(4, true);
        EXPECT_EQ(Global::MeasViewRecords[0], want);
        shownAsTheListShows(want);
    }

    // The unplugged measurement alone: no total, in the list and the file.
    t.grid()->setTick(3, false);
    const MeasRecord none = Global::MeasViewRecords[0];
    for (int f : {8, 10, 12, 15, 16, 17, 43})
        EXPECT_EQ(none.F[std::size_t(f)], QStringLiteral("--")) << f;
    EXPECT_EQ(t.rowTexts(1).mid(6, 7), QStringList({"--", "--", "--", "--", "--", "--", "--"}));
    shownAsTheListShows(none);
    EXPECT_EQ(TotalLines(FileBytes(measData)), QList<QByteArray>({"\r", "\r", "\r"}));
    // Its tick is kept all the same.
    EXPECT_EQ(FileBytes(tickFile), TickLines({false, false, false, true, false, false, false, false, false, false}));

    // As measured it has its values and is counted.
    t.form->SSTab3->setCurrentIndex(0);
    t.grid()->setTick(3, true);
    const double pm = NumText::Val(Global::MeasRawRecords[2].F[15]) + NumText::Val(unplugged.F[15]);
    EXPECT_EQ(Global::MeasViewRecords[0].F[15], NumText::Format(pm, QStringLiteral("0.00")));
    shownAsTheListShows(Global::MeasViewRecords[0]);
    EXPECT_TRUE(t.boxes().isEmpty()) << t.boxes().join(u'\n').toStdString();
}

// ---- Report hand-over -----------------------------------------------------------------

TEST(MeasTabReport, OneToTwentyTickedRowsAreHandedOverMoreAreRefused)
{
    MeasTabWindow t;
    // A history of 25 measurements, made before the customer is read.
    const QString big = MeasTab::CustomerFolder(0) + QStringLiteral("/3_多数");
    QDir().mkpath(big);
    ASSERT_TRUE(WriteFileAtomic(big + QStringLiteral("/MeasData.csv"),
                                Cp932({"多数", "2024/06/02", "", "", "", "", "", "", ""})));
    const QString one = QStringLiteral(HX_FIXTURES "/history/240503_101500_0001-01-01.csv");
    for (int i = 1; i <= 25; ++i)
        ASSERT_TRUE(QFile::copy(one, big + QStringLiteral("/240601_1000%1_%2-01-01.csv")
                                              .arg(i, 2, 10, QLatin1Char('0'))
                                              .arg(i, 4, 10, QLatin1Char('0'))));
    t.open(0, QStringLiteral("多数"));
    ASSERT_EQ(Global::MeasFileCount, 25);
    auto* report = t.control<QPushButton>(QStringLiteral("CmdReportMake"));

    struct Case {
        int ticked;
        bool total;
        bool handedOver;
        bool refused;
    } cases[] = {
        {0, false, false, false}, {0, true, false, false}, {1, false, true, false},
        {20, true, true, false},  {21, false, false, true}, {25, true, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ticked);
        {
            // The ticks as the user leaves them.
            for (int row = 1; row <= 26; ++row)
                t.grid()->setTick(row, row == 1 ? c.total : row - 1 <= c.ticked);
        }
        t.dialogs().log.clear();
        Global::ReportCount = 99;
        Global::ReportPmTotal = Global::ReportVocMean = Global::ReportIscTotal = QStringLiteral("x");
        report->click();
        if (c.refused) {
            EXPECT_EQ(t.boxes(), QStringList({AppTitle + u'|' + Ui(UiReportTooMany)}));
            EXPECT_EQ(t.dialogs().log[0].message.icon, vbInformation);
        } else {
            EXPECT_TRUE(t.boxes().isEmpty()) << t.boxes().join(u'\n').toStdString();
        }
        EXPECT_EQ(Global::ReportCount, c.handedOver ? c.ticked : 99);
        // Handed over, the totals are cleared and the report fills them anew
        // from the ticked rows (251 W, 402 V and 8.1 A each).
        const bool one = c.handedOver && c.ticked == 1 && !c.total;
        for (const QString* total : {&Global::ReportPmTotal, &Global::ReportVocMean, &Global::ReportIscTotal})
            EXPECT_EQ(*total == QStringLiteral("x"), !c.handedOver);
        if (one)
            EXPECT_EQ(QStringList({Global::ReportPmTotal, Global::ReportVocMean, Global::ReportIscTotal}),
                      QStringList({QStringLiteral("251"), QStringLiteral("402"), QStringLiteral("8.1")}));
        // The report window takes the main window's place; its back button
        // brings the main window again.
        EXPECT_EQ(FrmReportIsLoaded(), c.handedOver);
        EXPECT_EQ(t.form->isVisible(), !c.handedOver);
        if (c.handedOver) {
            FrmReportWindow()->findChild<QPushButton*>(QStringLiteral("CmdBack"))->click();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            EXPECT_FALSE(FrmReportIsLoaded());
            EXPECT_TRUE(t.form->isVisible());
        }
    }

    // No history loaded: nothing, whatever the flags hold.
    t.chooseCustomer(1);
    t.chooseHistory(QStringLiteral("空き"));
    Global::DisplayTick = Flags({1, 1});
    Global::ReportCount = 99;
    report->click();
    EXPECT_EQ(Global::ReportCount, 99);
    EXPECT_TRUE(t.form->isVisible());
}

// ---- Curves -------------------------------------------------------------------

namespace {

int Segments(const PlotModel& m, PlotItem::Kind kind)
{
    int n = 0;
    for (const PlotItem& item : m.items)
        n += item.kind == kind;
    return n;
}

PlotModel ShownModel(bool pv)
{
    auto* pic = MainControl<QLabel>(QStringLiteral("Pic_2"));
    auto m = MeasGraphModel(pv, PictureSurface(pic));
    EXPECT_TRUE(m.has_value());
    return m ? *m : PlotModel{};
}

} // namespace

TEST(MeasTabCurves, TheTickedRowsAreDrawnOnTheScaleOfTheirPoints)
{
    MeasTabWindow t;
    t.open(0);
    auto* pic = MainControl<QLabel>(QStringLiteral("Pic_2"));
    auto* draw = t.control<QPushButton>("CmdDataView", 0);
    auto* clear = t.control<QPushButton>("CmdDataView", 1);
    EXPECT_EQ(draw->text(), Ui(89));
    EXPECT_EQ(clear->text(), Ui(90));
    const std::vector<MeasRecord> before = Global::MeasViewRecords;
    const QByteArray files = FileBytes(t.historyFolder() + QStringLiteral("/MeasData.csv")) +
                             FileBytes(t.historyFolder() + QStringLiteral("/CheckMemory.csv"));

    // Records 1, 3 and 8: at most 8.2 A, 402 V and 402 x 8.2 W.
    draw->click();
    ASSERT_TRUE(t.boxes().isEmpty()) << t.boxes().join(u'\n').toStdString();
    EXPECT_FALSE(pic->pixmap().isNull());
    EXPECT_EQ(t.caption("LblMeasType"), Ui(505));
    const PlotScale& s = Global::MeasPlotScale;
    EXPECT_DOUBLE_EQ(s.PlotIMax, 8.2);
    EXPECT_DOUBLE_EQ(s.PlotVMax, 402);
    EXPECT_NEAR(s.PlotPMax, 3296.4, 1e-9);
    EXPECT_EQ(QList<double>({s.DecadeI, s.DecadeV, s.DecadeP}), QList<double>({100, 1, 1}));
    EXPECT_EQ(QList<double>({s.AxisIMax, s.AxisVMax, s.AxisPMax}), QList<double>({900, 500, 3300}));
    EXPECT_EQ(QStringList({s.LabelFmtI, s.LabelFmtV, s.LabelFmtP}), QStringList({"0.00", "0", "0"}));
    EXPECT_EQ(QList<double>({s.GridDivH, s.GridDivV, s.MarginDivisor}), QList<double>({10, 10, 7}));
    const PlotLayout& l = Global::SharedPlotLayout;
    EXPECT_EQ(QList<int>({l.PlotVRangeL, l.PlotIRangeL, l.PlotXMargin, l.PlotYMargin}),
              QList<int>({500, 900, 71, 161}));
    // One I-V segment from the current axis and 119 between the points of
    // each curve; no P-V curve without the P-V box.
    const PlotModel shown = ShownModel(false);
    EXPECT_EQ(shown.scale, s);
    EXPECT_EQ(Segments(shown, PlotItem::IvSegment), 3 * 120);
    EXPECT_EQ(Segments(shown, PlotItem::PvSegment), 0);
    MainControl<QCheckBox>(QStringLiteral("ChkPV_VIEW"))->setChecked(true);
    EXPECT_EQ(Segments(ShownModel(true), PlotItem::PvSegment), 3 * 120);

    // Drawing changes no record and no file.
    for (int r = 0; r <= 8; ++r) {
        EXPECT_EQ(Global::MeasViewRecords[std::size_t(r)].F, before[std::size_t(r)].F) << r;
        EXPECT_EQ(Global::MeasViewRecords[std::size_t(r)].IvPoints, before[std::size_t(r)].IvPoints) << r;
    }
    EXPECT_EQ(FileBytes(t.historyFolder() + QStringLiteral("/MeasData.csv")) +
                  FileBytes(t.historyFolder() + QStringLiteral("/CheckMemory.csv")),
              files);

    // The clear empties the graph and the view's name, the scale stays.
    const PlotScale kept = s;
    clear->click();
    EXPECT_TRUE(pic->pixmap().isNull());
    EXPECT_EQ(t.caption("LblMeasType"), QString());
    EXPECT_EQ(Global::MeasPlotScale, kept);

    // A ticked total alone draws nothing.
    t.control<QPushButton>(QStringLiteral("CmdDspAll"))->click();
    t.control<QPushButton>(QStringLiteral("CmdDspAll"))->click();
    t.grid()->setTick(1, true);
    draw->click();
    EXPECT_TRUE(pic->pixmap().isNull());
    EXPECT_EQ(t.caption("LblMeasType"), QString());
    EXPECT_TRUE(t.boxes().isEmpty()) << t.boxes().join(u'\n').toStdString();
}

TEST(MeasTabCurves, EveryViewSwitchDrawsTheNewViewAndALoadClearsTheGraph)
{
    MeasTabWindow t;
    t.open(0);
    auto* pic = MainControl<QLabel>(QStringLiteral("Pic_2"));
    const int keys[3] = {505, 506, 508};
    for (int tab : {1, 2, 0}) {
        SCOPED_TRACE(tab);
        t.form->SSTab3->setCurrentIndex(tab);
        EXPECT_FALSE(pic->pixmap().isNull());
        EXPECT_EQ(t.caption("LblMeasType"), Ui(keys[tab]));
        // The scale of the view's own points.
        EXPECT_EQ(Global::MeasPlotScale, ShownModel(false).scale);
    }
    // The Pm-corrected currents are scaled to 1000 W/m2: a larger current axis.
    t.form->SSTab3->setCurrentIndex(1);
    const double pmAxis = Global::MeasPlotScale.PlotIMax;
    t.form->SSTab3->setCurrentIndex(0);
    EXPECT_GT(pmAxis, Global::MeasPlotScale.PlotIMax);

    // A refused STC view ends on the measured view's curves.
    t.open(1);
    t.control<QPushButton>("CmdDataView", 0)->click();
    t.dialogs().log.clear();
    t.form->SSTab3->setCurrentIndex(2);
    EXPECT_EQ(t.boxes().size(), 1);
    EXPECT_EQ(t.caption("LblMeasType"), Ui(505));
    EXPECT_FALSE(pic->pixmap().isNull());

    // Loading a history clears the graph.
    t.chooseHistory(QStringLiteral("空き"));
    t.chooseHistory();
    EXPECT_TRUE(pic->pixmap().isNull());
    EXPECT_EQ(t.caption("LblMeasType"), QString());
}

// A view switch saves the view's totals while it draws: a save that fails
// is reported once under the totals' name after the view is shown, the
// files stay as they were and the total row shows the switch's texts; a
// save that succeeds writes them and shows the total row as the totals do,
// then as the switch does.
TEST(MeasTabViews, AViewSwitchSavesItsTotalsAndReportsAFailedSaveOnce)
{
    MeasTabWindow t;
    t.open(0);
    ASSERT_TRUE(t.boxes().isEmpty()) << t.boxes().join(u'\n').toStdString();
    const QString measData = t.historyFolder() + QStringLiteral("/MeasData.csv");
    const QByteArray before = TestFileBytes(measData);
    auto* pic = MainControl<QLabel>(QStringLiteral("Pic_2"));
    const auto switchRow = [] {
        return MeasListCells(Global::MeasViewRecords[0], true, MeasRowWriter::ViewSwitch, false);
    };

    FileIoFaults::FailAt(1);
    t.form->SSTab3->setCurrentIndex(1);
    FileIoFaults::Reset();
    EXPECT_EQ(t.boxes(), QStringList({"DataViewTotalCalc|ERROR No:61 Disk full: " + measData}));
    EXPECT_EQ(TestFileBytes(measData), before);
    EXPECT_EQ(t.caption("LblMeasType"), Ui(506));
    EXPECT_FALSE(pic->pixmap().isNull());
    const QStringList failed = t.rowTexts(1);
    const QStringList expected = switchRow();
    for (int c = 0; c < expected.size() && c < 18; ++c)
        if (c != 12) // the irradiance stays as it was
            EXPECT_EQ(failed.value(c), expected.value(c)) << c;

    t.dialogs().log.clear();
    t.form->SSTab3->setCurrentIndex(0);
    EXPECT_TRUE(t.boxes().isEmpty()) << t.boxes().join(u'\n').toStdString();
    EXPECT_EQ(TestFileBytes(measData), MeasDataWithTotals(before, Global::MeasViewRecords[0]));
    const QStringList saved = t.rowTexts(1);
    const QStringList asTotals = MeasListCells(Global::MeasViewRecords[0], true, MeasRowWriter::Totals, false);
    const QStringList asSwitch = switchRow();
    for (int c = 0; c < asSwitch.size() && c < 18; ++c)
        EXPECT_EQ(saved.value(c), c == 12 ? asTotals.value(c) : asSwitch.value(c)) << c;
}

// The instrument-data tab's commands: ticks and "All", scrolling, the
// mouse on the list, the in-place edit box, the tab's reset and the delete
// command of the instrument. With HX_SCREENS_DIR set, the tab is also saved
// as instrument-data-en.png there (see docs/screens/README.md).
#include "ForwardTestSupport.h"

#include "instrument/MeasFile.h"
#include "platform/NumText.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTabWidget>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

QString Ui(int key)
{
    return Global::UiText.value(key);
}

// The tab shown in a window of laptop size, with `count` rows listed.
struct ShownTab : ForwardWindow {
    explicit ShownTab(int count)
    {
        form->resize(1300, 700);
        form->show();
        {
            const QSignalBlocker b(form->SSTab);
            form->SSTab->setCurrentIndex(2);
        }
        WriteForwardFiles(count);
        ForwardDataView();
        QApplication::processEvents();
    }

    QPointF at(int row, int col) const
    {
        return grid()->viewport()->mapFrom(grid(), grid()->CellRect(row, col).center());
    }
    void mouse(QEvent::Type type, QPointF pos, Qt::MouseButton button = Qt::LeftButton,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        const Qt::MouseButtons held = type == QEvent::MouseMove ? Qt::NoButton : Qt::MouseButtons(button);
        QMouseEvent e(type, pos, grid()->viewport()->mapToGlobal(pos),
                      type == QEvent::MouseMove ? Qt::NoButton : button, held, modifiers);
        QApplication::sendEvent(grid()->viewport(), &e);
    }
    void press(int row, int col, Qt::MouseButton button = Qt::LeftButton,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        mouse(QEvent::MouseButtonPress, at(row, col), button, modifiers);
        mouse(QEvent::MouseButtonRelease, at(row, col), button, modifiers);
    }
    // Moves the pointer over (row, col) and double-clicks there.
    void doubleClick(int row, int col)
    {
        mouse(QEvent::MouseMove, at(row, col));
        mouse(QEvent::MouseButtonDblClick, at(row, col));
    }

    // Every cell of the row has back colour `back` and black text.
    bool painted(int row, quint32 back) const
    {
        for (int c = 0; c < grid()->Cols(); ++c)
            if (grid()->cellBackColor(row, c) != back || grid()->cellForeColor(row, c) != 0)
                return false;
        return true;
    }
    std::vector<std::uint8_t> ticks(std::uint8_t value, int count) const
    {
        std::vector<std::uint8_t> t(std::size_t(count) + 1, value);
        t.back() = 0;
        return t;
    }
};

} // namespace

// ---- Ticks ----------------------------------------------------------------------

TEST(ForwardTicks, ATickCellSetsItsRecordsFlagAndPaintsTheRow)
{
    ShownTab t(30);
    FlexGrid* g = t.grid();
    Global::CurForwardRow = 4;
    g->setTopRow(10);
    g->setTick(13, true); // as the user's click on the cell would
    EXPECT_EQ(Global::ForwardTick[12], 1);
    EXPECT_TRUE(t.painted(13, ForwardTickedColor));
    EXPECT_EQ(g->Row(), 13);
    EXPECT_EQ(Global::CurForwardRow, 4); // the current record stays
    EXPECT_TRUE(t.painted(12, 0));       // untouched rows keep their colour

    g->setTick(13, false);
    EXPECT_EQ(Global::ForwardTick[12], 0);
    EXPECT_TRUE(t.painted(13, ForwardUntickedColor));
}

TEST(ForwardTicks, AllTicksEveryRecordOrUnticksThemWhenAllAreTicked)
{
    ShownTab t(40);
    FlexGrid* g = t.grid();
    auto* all = t.control<QPushButton>("CmdFwdAll");
    g->setTick(5, true);
    all->click();
    EXPECT_EQ(Global::ForwardTick, t.ticks(1, 40));
    // Rows out of view too: their cells show the tick and its colour.
    for (int row = 1; row <= 40; ++row) {
        EXPECT_EQ(g->Tick(row), 1) << row;
        EXPECT_TRUE(t.painted(row, ForwardTickedColor)) << row;
    }
    all->click();
    EXPECT_EQ(Global::ForwardTick, t.ticks(0, 40));
    for (int row = 1; row <= 40; ++row) {
        EXPECT_EQ(g->Tick(row), 0) << row;
        EXPECT_TRUE(t.painted(row, ForwardUntickedColor)) << row;
    }
    EXPECT_TRUE(g->isVisible());
    EXPECT_TRUE(g->Redraw());
}

TEST(ForwardTicks, AllWithoutRecordsChangesNothing)
{
    ShownTab t(0);
    EXPECT_TRUE(t.control<QPushButton>("CmdFwdAll")->isHidden());
    CmdFwdAll_Click();
    EXPECT_EQ(Global::ForwardTick, std::vector<std::uint8_t>(1, 0));
    EXPECT_EQ(t.grid()->Rows(), 1);
}

TEST(ForwardTicks, AfterAScrollTheTickCellsShowTheFlagsOfTheirRecords)
{
    ShownTab t(40);
    FlexGrid* g = t.grid();
    ASSERT_GT(g->verticalScrollBar()->maximum(), 15);
    // A flag changed behind the list (as a data-control command might).
    Global::ForwardTick[20] = 1;
    g->setTopRow(15);
    EXPECT_EQ(g->TopRow(), 15);
    EXPECT_EQ(g->Tick(21), 1);
    EXPECT_TRUE(t.painted(21, ForwardTickedColor));
    EXPECT_EQ(Global::ForwardTick[20], 1);
    EXPECT_EQ(std::count(Global::ForwardTick.begin(), Global::ForwardTick.end(), 1), 1);
}

// ---- The mouse on the list ----------------------------------------------------------

TEST(ForwardMouse, ALeftPressSetsTheCurrentRecordUnlessCtrlAloneIsHeld)
{
    ShownTab t(10);
    t.press(5, 2);
    EXPECT_EQ(Global::CurForwardRow, 4);

    struct Case {
        const char* name;
        Qt::MouseButton button;
        Qt::KeyboardModifiers modifiers;
        int expected;
    };
    const Case cases[] = {
        {"ctrl alone", Qt::LeftButton, Qt::ControlModifier, 4},
        {"right button", Qt::RightButton, Qt::NoModifier, 4},
        {"ctrl and shift", Qt::LeftButton, Qt::ControlModifier | Qt::ShiftModifier, 7},
        {"shift", Qt::LeftButton, Qt::ShiftModifier, 2},
    };
    const int rows[] = {8, 9, 8, 3};
    for (int i = 0; i < 4; ++i) {
        t.press(rows[i], 3, cases[i].button, cases[i].modifiers);
        EXPECT_EQ(Global::CurForwardRow, cases[i].expected) << cases[i].name;
    }
}

TEST(ForwardMouse, APressOnATickCellLeavesTheCurrentRecord)
{
    ShownTab t(10);
    t.press(5, 2);
    ASSERT_EQ(Global::CurForwardRow, 4);
    const QRect tick = t.grid()->visualRect(t.grid()->model()->index(6, 0));
    t.mouse(QEvent::MouseButtonPress, QPointF(tick.center()));
    t.mouse(QEvent::MouseButtonRelease, QPointF(tick.center()));
    EXPECT_EQ(Global::CurForwardRow, 4);
    // The click ticked row 7: its record's flag and its colour.
    EXPECT_EQ(Global::ForwardTick[6], 1);
    EXPECT_TRUE(t.painted(7, ForwardTickedColor));
}

TEST(ForwardMouse, TheMovesAreRememberedInTwips)
{
    ShownTab t(3);
    const QPointF pos = t.at(2, 4);
    t.mouse(QEvent::MouseMove, pos);
    const QPoint inList = t.grid()->viewport()->mapTo(t.grid(), pos.toPoint());
    EXPECT_EQ(Global::FwdListMouseX, NumText::CLng(PixelsToTwipsX(inList.x(), t.grid())));
    EXPECT_EQ(Global::FwdListMouseY, NumText::CLng(PixelsToTwipsY(inList.y(), t.grid())));
}

TEST(ForwardMouse, ADoubleClickOpensTheEditBoxOverTheCellOfTheFirstSixColumns)
{
    ShownTab t(10);
    FlexGrid* g = t.grid();
    auto* box = t.control<QLineEdit>("TxtPoinrIn_1");
    Global::ForwardRecords[4].F[3] = QStringLiteral("roof south");
    const QStringList texts = {"24/05/03", "10:00:05", "0005", "02", "03", "roof south"};
    for (int col = 0; col < 6; ++col) {
        SCOPED_TRACE(col);
        t.press(5, col);
        t.doubleClick(5, col);
        ASSERT_TRUE(box->isVisible());
        EXPECT_EQ(box->text(), texts[col]);
        EXPECT_EQ(box->selectedText(), texts[col]);
        EXPECT_EQ(Global::EditColForward, col);
        EXPECT_EQ(g->Col(), col);
        EXPECT_FALSE(g->isEnabled());
        const QRect cell = g->CellRect(5, col);
        EXPECT_EQ(box->geometry(), QRect(g->mapTo(box->parentWidget(), cell.topLeft()), cell.size()));
        box->hide();
        g->setEnabled(true);
    }
}

TEST(ForwardMouse, ADoubleClickElsewhereOrWithoutACurrentRecordDoesNothing)
{
    ShownTab t(10);
    FlexGrid* g = t.grid();
    auto* box = t.control<QLineEdit>("TxtPoinrIn_1");
    t.mouse(QEvent::MouseMove, t.at(3, 2));
    MfgForwardList_DblClick(); // no record is current yet
    EXPECT_FALSE(box->isVisible());
    t.press(3, 7);
    t.doubleClick(3, 7); // Voc: not editable
    EXPECT_FALSE(box->isVisible());
    EXPECT_TRUE(g->isEnabled());

    // After a Ctrl press the box still shows the record current before it.
    t.press(3, 2);
    t.press(8, 2, Qt::LeftButton, Qt::ControlModifier);
    t.doubleClick(8, 2);
    ASSERT_TRUE(box->isVisible());
    EXPECT_EQ(box->text(), QStringLiteral("0003"));
}

TEST(ForwardMouse, TheEditBoxClosesOnEnterOrEscAndLeavesTheListUsable)
{
    ShownTab t(10);
    FlexGrid* g = t.grid();
    auto* box = t.control<QLineEdit>("TxtPoinrIn_1");
    const QString before = Global::ForwardRecords[2].F[1];
    for (int key : {int(Qt::Key_Return), int(Qt::Key_Escape)}) {
        SCOPED_TRACE(key);
        t.press(3, 0);
        t.doubleClick(3, 0);
        ASSERT_TRUE(box->isVisible());
        ASSERT_FALSE(g->isEnabled());
        box->setText(QStringLiteral("99/99/99"));
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(box, &press);
        EXPECT_FALSE(box->isVisible());
        EXPECT_TRUE(g->isEnabled());
        EXPECT_EQ(Global::ForwardRecords[2].F[1], before);
    }
}

// ---- The tab's reset --------------------------------------------------------------------

TEST(ForwardReset, TheTabIsResetAndTheListReloaded)
{
    ForwardWindow f;
    WriteForwardFiles(3);
    Global::UserListItems[0].CustomerCode = QStringLiteral("C001");
    Global::UserListItems[0].CustomerName = QStringLiteral("Asahi Farm");
    Global::UserListItems[1].CustomerCode = QStringLiteral("C002");
    Global::UserListItems[1].CustomerName = QStringLiteral("Kita Works");
    Global::UserListCount = 2;
    auto* names = f.control<QComboBox>("CmbUserName_1");
    auto* codes = f.control<QComboBox>("CmbCodeName_1");
    auto* histories = f.control<QComboBox>("CmbHistorySel_1");
    histories->addItem(QStringLiteral("old history"));
    f.control<QLabel>("LblSiteName_1")->setText(QStringLiteral("old site"));
    Global::CurForwardRow = 2;

    ForwordDisplayInitial();

    EXPECT_EQ(names->count(), 2);
    EXPECT_EQ(names->itemText(1), QStringLiteral("Kita Works"));
    EXPECT_EQ(codes->itemText(1), QStringLiteral("C002"));
    EXPECT_EQ(names->currentIndex(), -1);
    EXPECT_EQ(codes->currentIndex(), -1);
    EXPECT_EQ(histories->count(), 0);
    EXPECT_TRUE(f.control<QLabel>("LblSiteName_1")->text().isEmpty());
    EXPECT_EQ(Global::CurForwardRow, -1);
    EXPECT_EQ(f.grid()->Rows(), 4);
    EXPECT_TRUE(f.boxes().isEmpty());
    Global::UserListCount = 0;
}

// ---- Deleting the instrument's data -------------------------------------------------

TEST(ForwardDelete, TheInstrumentsDataIsDeletedOnlyOnYesAndDoneOnlyWhenSent)
{
    struct Case {
        const char* name;
        int answer;
        bool unplugged;
        bool sendFails;
        QStringList boxes; // after the question
        int deleted;
    };
    TestEnv::loadUiText();
    const Case cases[] = {
        {"no", vbNo, false, false, {}, 0},
        {"yes", vbYes, false, false, {AppTitle + u'|' + Ui(677)}, 1},
        {"send fails", vbYes, false, true, {LinkBox(567)}, 0},
        {"no instrument", vbYes, true, false, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ForwardWindow f;
        WriteForwardFiles(2);
        f.sim().records = Records1184(2);
        f.sim().failWriteAt = c.sendFails ? 1 : 0;
        if (c.unplugged)
            f.sim().openFailures = -1;
        f.dialogs().answer(c.answer);

        f.pressDelete();

        EXPECT_EQ(f.sim().deleteCount, c.deleted);
        EXPECT_FALSE(f.sim().isOpen());
        if (c.unplugged) {
            EXPECT_TRUE(f.boxes().isEmpty());
            continue;
        }
        ASSERT_GE(f.dialogs().log.size(), 1);
        const MessageRequest& q = f.dialogs().log.at(0).message;
        EXPECT_EQ(q.text, Ui(548));
        EXPECT_EQ(q.title, AppTitle);
        EXPECT_EQ(q.buttons, vbYesNo);
        EXPECT_EQ(q.icon, vbExclamation);
        EXPECT_EQ(q.defaultButton, 1); // No
        EXPECT_EQ(f.boxes().mid(1), c.boxes);
        EXPECT_EQ(f.sim().writes().contains(QByteArray("#DELETE")), c.answer == vbYes && !c.sendFails);
        // Neither the folder nor the list is touched.
        EXPECT_EQ(ForwardWindow::files(ForwardWindow::forwardFolder()).size(), 2);
    }
}

// ---- A look at the tab -------------------------------------------------------------------------

TEST(ForwardScreen, TheTabWithAFewRows)
{
    ForwardWindow f;
    const QDir fixtures(QStringLiteral(HX_FIXTURES "/forward"));
    QDir().mkpath(ForwardWindow::forwardFolder());
    for (const QString& name : fixtures.entryList({QStringLiteral("2*.csv"), QStringLiteral("1*.csv")}))
        QFile::copy(fixtures.filePath(name), ForwardWindow::forwardFolder() + u'/' + name);
    f.form->show();
    {
        const QSignalBlocker b(f.form->SSTab);
        f.form->SSTab->setCurrentIndex(2);
    }
    ForwordDisplayInitial();
    f.grid()->setTick(2, true);
    f.grid()->setTick(3, true);
    for (int i = 0; i < 20; ++i)
        QApplication::processEvents();
    EXPECT_EQ(f.grid()->Rows(), 8);
    // Every column is wide enough for its header.
    const QFontMetrics fm(f.grid()->horizontalHeader()->font());
    for (int c = 0; c < 18; ++c)
        EXPECT_GE(f.grid()->columnWidth(c + 1), fm.horizontalAdvance(f.grid()->TextMatrix(0, c)) - 8) << c;

    const QString dir = qEnvironmentVariable("HX_SCREENS_DIR");
    if (dir.isEmpty())
        return;
    QPixmap shot;
    if (QScreen* s = f.form->screen(); s && QGuiApplication::platformName() == QLatin1String("xcb"))
        shot = s->grabWindow(0, f.form->frameGeometry().x(), f.form->frameGeometry().y(),
                             f.form->frameGeometry().width(), f.form->frameGeometry().height());
    if (shot.isNull())
        shot = f.form->grab();
    EXPECT_TRUE(shot.save(dir + QStringLiteral("/instrument-data-en.png")));
}

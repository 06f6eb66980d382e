#include "platform/FlexGrid.h"

#include "platform/AppError.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QMouseEvent>
#include <QPalette>
#include <QScreen>
#include <QScrollBar>
#include <QSet>
#include <QTableWidget>
#include <QWheelEvent>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

class FlexGridTest : public ::testing::Test {
  protected:
    void SetUp() override { EnsureApp(); }

    // A grid of `rows` rows (header included) and 3 columns, column c of
    // data row r holding "r.c".
    static void fill(FlexGrid& g, int rows)
    {
        g.setCols(3);
        g.setRows(rows);
        for (int r = 1; r < rows; ++r)
            for (int c = 0; c < 3; ++c)
                g.setTextMatrix(r, c, QStringLiteral("%1.%2").arg(r).arg(c));
    }

    static int errorOf(const std::function<void()>& f)
    {
        try {
            f();
        } catch (const AppError& e) {
            return e.number;
        }
        return 0;
    }
};

TEST_F(FlexGridTest, HeaderIsRowZeroAndDataRowsFollow)
{
    FlexGrid g;
    EXPECT_EQ(g.Rows(), 1);
    fill(g, 4);
    g.setTextMatrix(0, 1, QStringLiteral("Name"));
    EXPECT_EQ(g.Rows(), 4);
    EXPECT_EQ(g.Cols(), 3);
    EXPECT_EQ(g.rowCount(), 3);
    EXPECT_EQ(g.horizontalHeaderItem(1)->text(), QStringLiteral("Name"));
    EXPECT_EQ(g.item(0, 2)->text(), QStringLiteral("1.2"));
    EXPECT_EQ(g.TextMatrix(3, 0), QStringLiteral("3.0"));
    // A fresh header is empty, not numbered.
    EXPECT_EQ(g.TextMatrix(0, 0), QString());

    g.setRows(2);
    EXPECT_EQ(g.Rows(), 2);
    EXPECT_EQ(g.TextMatrix(1, 1), QStringLiteral("1.1"));
}

TEST_F(FlexGridTest, CurrentCellMovesFreelyIncludingTheHeader)
{
    FlexGrid g;
    fill(g, 4);
    g.setRow(0);
    g.setCol(2);
    g.setText(QStringLiteral("Head"));
    EXPECT_EQ(g.TextMatrix(0, 2), QStringLiteral("Head"));
    g.setRow(3);
    EXPECT_EQ(g.Text(), QStringLiteral("3.2"));
    EXPECT_EQ(g.currentRow(), 2); // the table's own current cell follows data rows
    g.setCellBackColor(0xFFFFC0);
    g.setCellForeColor(0x000080);
    EXPECT_EQ(g.cellBackColor(3, 2), 0xFFFFC0u);
    EXPECT_EQ(g.CellForeColor(), 0x000080u);
    EXPECT_EQ(g.item(2, 2)->background().color(), QColor(0xC0, 0xFF, 0xFF));
}

TEST_F(FlexGridTest, OutOfRangeCellsAreRefused)
{
    FlexGrid g;
    fill(g, 3);
    struct Case {
        const char* what;
        std::function<void()> f;
        int error;
    };
    const Case cases[] = {
        {"row past the end", [&] { g.setRow(3); }, 30009},
        {"negative row", [&] { g.setRow(-1); }, 30009},
        {"column past the end", [&] { g.setCol(3); }, 30010},
        {"text of a missing row", [&] { (void)g.TextMatrix(5, 0); }, 30009},
        {"text of a missing column", [&] { g.setTextMatrix(1, 7, QString()); }, 30010},
        {"top row past the end", [&] { g.setTopRow(9); }, 30009},
        {"tick of a missing row", [&] { (void)g.Tick(4); }, 30009},
        {"a valid cell",
         [&] {
             g.setRow(2);
             g.setCol(2);
         },
         0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(errorOf(c.f), c.error) << c.what;
}

TEST_F(FlexGridTest, ColumnWidthsAreInTwipsAtTheLogicalDpi)
{
    FlexGrid g;
    fill(g, 2);
    const double dpi = QGuiApplication::primaryScreen()->logicalDotsPerInchX();
    g.setColWidth(1, 1440);
    EXPECT_EQ(g.columnWidth(1), qRound(dpi));
    EXPECT_NEAR(g.ColWidth(1), 1440, 1440.0 / dpi);
    EXPECT_EQ(TwipsToPixelsY(720), qRound(QGuiApplication::primaryScreen()->logicalDotsPerInchY() / 2));
}

TEST_F(FlexGridTest, FormatStringSetsColumnsAlignmentsHeadersAndWidths)
{
    FlexGrid g;
    g.setFormatString(QStringLiteral("^    |<        |>  "));
    EXPECT_EQ(g.Cols(), 3);
    EXPECT_EQ(g.ColAlignment(0), FlexGrid::flexAlignCenterCenter);
    EXPECT_EQ(g.ColAlignment(1), FlexGrid::flexAlignLeftCenter);
    EXPECT_EQ(g.ColAlignment(2), FlexGrid::flexAlignRightCenter);
    EXPECT_EQ(g.TextMatrix(0, 0), QStringLiteral("    "));
    EXPECT_GT(g.columnWidth(1), g.columnWidth(0));
    EXPECT_GT(g.columnWidth(0), g.columnWidth(2));
    // A cell's own alignment wins over its column's.
    g.setRows(2);
    g.setCellAlignment(1, 0, FlexGrid::flexAlignRightBottom);
    EXPECT_EQ(g.cellAlignment(1, 0), FlexGrid::flexAlignRightBottom);
    EXPECT_EQ(g.cellAlignment(1, 1), FlexGrid::flexAlignLeftCenter);
}

TEST_F(FlexGridTest, FormatWidensAColumnToItsLeastWidthOnceAndKeepsTheWiderOnes)
{
    FlexGrid g;
    const QString format = QStringLiteral("^  |^  |^  ");
    g.setFormatString(format);
    const int narrow = g.ColWidth(1);
    int resizes = 0;
    QObject::connect(g.horizontalHeader(), &QHeaderView::sectionResized, [&] { ++resizes; });
    // Column 1 at least 2000 twips, column 2 at least less than it has.
    const std::vector<double> least{0, 2000, 10};
    g.setFormatString(format, least);
    EXPECT_EQ(g.ColWidth(0), narrow);
    EXPECT_NEAR(g.ColWidth(1), 2000, 15);
    EXPECT_EQ(g.ColWidth(2), narrow);
    EXPECT_EQ(resizes, 1);
    // Laid out again the same way, no column moves.
    g.setFormatString(format, least);
    EXPECT_EQ(resizes, 1);
}

TEST_F(FlexGridTest, AListFilledInABatchIsDrawnOnce)
{
    FlexGrid g;
    g.resize(400, 300);
    g.show();
    fill(g, 3);
    QCoreApplication::processEvents();
    struct Paints : QObject {
        int count = 0;
        bool eventFilter(QObject*, QEvent* e) override
        {
            count += e->type() == QEvent::Paint ? 1 : 0;
            return false;
        }
    } paints;
    g.viewport()->installEventFilter(&paints);
    {
        const GridBatch batch(&g);
        g.setRows(1);
        g.setRows(200);
        for (int r = 1; r < 200; ++r)
            g.setTextMatrix(r, 0, QString::number(r));
    }
    // The posted paint, and any timer the table keeps, have run.
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    EXPECT_EQ(paints.count, 1);
    EXPECT_EQ(g.verticalScrollBar()->maximum() > 0, true);
}

TEST_F(FlexGridTest, ColourValuesAreWindowsColours)
{
    EXPECT_EQ(ColorFromValue(0x0000FF), QColor(255, 0, 0));
    EXPECT_EQ(ColorFromValue(0xFF0000), QColor(0, 0, 255));
    EXPECT_EQ(ColorValue(QColor(0, 0, 128)), 0x800000u);
    EXPECT_EQ(ColorFromValue(0x8000000F), QGuiApplication::palette().color(QPalette::Button));
}

TEST_F(FlexGridTest, ClearEmptiesTextsFormatsAndTicksButKeepsTheSize)
{
    FlexGrid g;
    g.setTickable(true);
    fill(g, 3);
    g.setTextMatrix(0, 0, QStringLiteral("H"));
    g.setCellBackColor(1, 0, 0x0000FF);
    g.setTick(2, true);
    g.Clear();
    EXPECT_EQ(g.Rows(), 3);
    EXPECT_EQ(g.Cols(), 3);
    EXPECT_EQ(g.TextMatrix(0, 0), QString());
    EXPECT_EQ(g.TextMatrix(1, 1), QString());
    EXPECT_EQ(g.cellBackColor(1, 0), 0u);
    EXPECT_EQ(g.Tick(2), 0);
}

TEST_F(FlexGridTest, TicksAreFlagsBehindCheckBoxesOutsideTheColumns)
{
    FlexGrid g;
    fill(g, 4);
    g.setTickable(true);
    fill(g, 4);
    EXPECT_EQ(g.Cols(), 3);
    EXPECT_EQ(g.columnCount(), 4);
    EXPECT_EQ(g.TextMatrix(1, 0), QStringLiteral("1.0"));
    EXPECT_EQ(g.item(0, 1)->text(), QStringLiteral("1.0"));

    std::vector<std::pair<int, bool>> spy;
    QObject::connect(&g, &FlexGrid::TickChanged, [&](int row, bool on) { spy.emplace_back(row, on); });
    g.setTick(2, true);
    g.setTick(2, true); // unchanged: no second signal
    ASSERT_EQ(spy.size(), 1u);
    EXPECT_EQ(spy[0], std::make_pair(2, true));
    EXPECT_EQ(g.item(1, 0)->checkState(), Qt::Checked);

    // The user's click on a box changes the flag the same way.
    g.item(2, 0)->setCheckState(Qt::Checked);
    ASSERT_EQ(spy.size(), 2u);
    EXPECT_EQ(spy[1], std::make_pair(3, true));
    EXPECT_EQ(g.Tick(3), 1);
    EXPECT_EQ(g.Tick(1), 0);

    // New rows come unticked with their box.
    g.setRows(6);
    EXPECT_EQ(g.Tick(5), 0);
    ASSERT_NE(g.item(4, 0), nullptr);
    EXPECT_EQ(g.item(4, 0)->checkState(), Qt::Unchecked);
}

TEST_F(FlexGridTest, TicksPutBackTogetherRaiseNoTickEvents)
{
    FlexGrid g;
    fill(g, 5);
    g.setTickable(true);
    g.setTick(4, true);
    std::vector<std::pair<int, bool>> spy;
    QObject::connect(&g, &FlexGrid::TickChanged, [&](int row, bool on) { spy.emplace_back(row, on); });

    // Rows 2 on: flags past the last row are left out.
    g.setTicks(2, {1, 0, 0, 1, 1});
    EXPECT_TRUE(spy.empty());
    for (int r = 1; r < 5; ++r) {
        EXPECT_EQ(g.Tick(r), r == 2 ? 1 : 0) << r;
        EXPECT_EQ(g.item(r - 1, 0)->checkState(), r == 2 ? Qt::Checked : Qt::Unchecked) << r;
    }
    // The user's click afterwards is heard as before.
    g.item(2, 0)->setCheckState(Qt::Checked);
    ASSERT_EQ(spy.size(), 1u);
    EXPECT_EQ(spy[0], std::make_pair(3, true));

    // An empty list, or one without tick boxes, takes nothing.
    FlexGrid empty;
    empty.setTickable(true);
    empty.setTicks(1, {1});
    EXPECT_EQ(empty.Rows(), 1);
}

TEST_F(FlexGridTest, ABatchDrawsOnceAtItsEndAndTheViewSeesEveryCell)
{
    FlexGrid g;
    g.setTickable(true);
    g.resize(400, 300);
    g.show();
    fill(g, 3);
    int changes = 0;
    QObject::connect(g.model(), &QAbstractItemModel::dataChanged, [&] { ++changes; });
    {
        const GridBatch outer(&g);
        {
            const GridBatch inner(&g);
            // Rows may come and go within a batch: the view hears of them.
            g.setRows(40);
            EXPECT_EQ(g.model()->rowCount(), 39);
            for (int r = 1; r < 40; ++r)
                for (int c = 0; c < 3; ++c) {
                    g.setTextMatrix(r, c, QStringLiteral("%1/%2").arg(r).arg(c));
                    g.setCellBackColor(r, c, 0x00FFFF);
                }
            g.setTextMatrix(0, 1, QStringLiteral("head"));
        }
        EXPECT_FALSE(g.Redraw());
        EXPECT_EQ(changes, 0);
    }
    EXPECT_TRUE(g.Redraw());
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(g.TextMatrix(39, 2), QStringLiteral("39/2"));
    EXPECT_EQ(g.model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("head"));
    EXPECT_EQ(g.model()->data(g.model()->index(38, 3)).toString(), QStringLiteral("39/2"));
    EXPECT_EQ(g.cellBackColor(20, 1), 0x00FFFFu);

    // A list kept from drawing by its caller stays so after a batch.
    g.setRedraw(false);
    {
        const GridBatch batch(&g);
        g.setTextMatrix(1, 0, QStringLiteral("x"));
    }
    EXPECT_FALSE(g.Redraw());
    g.setRedraw(true);
}

TEST_F(FlexGridTest, ARowWrittenAtOnceEqualsItsCellsWrittenOneByOne)
{
    FlexGrid byCell, atOnce;
    for (FlexGrid* g : {&byCell, &atOnce}) {
        g->setTickable(true);
        fill(*g, 4);
    }
    const QStringList texts{QStringLiteral("a"), QStringLiteral("b")};
    // Row 2 over cells that exist, with colours; row 3 without; a new row 4
    // made whole.
    byCell.setRows(5);
    atOnce.setRows(5);
    for (int c = 0; c < 2; ++c) {
        byCell.setTextMatrix(2, c, texts[c]);
        byCell.setTextMatrix(3, c, texts[c]);
        byCell.setTextMatrix(4, c, texts[c]);
    }
    byCell.setRowColors(2, 0xC0FFFF, 0x0000FF);
    byCell.setRowColors(4, 0xFFFFC0, 0x000000);
    const std::pair<quint32, quint32> cyan{0xC0FFFF, 0x0000FF}, pale{0xFFFFC0, 0x000000};
    atOnce.setRowCells(2, texts, &cyan);
    atOnce.setRowCells(3, texts);
    atOnce.setRowCells(4, texts, &pale);
    for (int r = 1; r < 5; ++r)
        for (int c = 0; c < 3; ++c) {
            EXPECT_EQ(atOnce.TextMatrix(r, c), byCell.TextMatrix(r, c)) << r << c;
            EXPECT_EQ(atOnce.cellBackColor(r, c), byCell.cellBackColor(r, c)) << r << c;
            EXPECT_EQ(atOnce.cellForeColor(r, c), byCell.cellForeColor(r, c)) << r << c;
        }
    EXPECT_EQ(atOnce.TextMatrix(2, 2), QStringLiteral("2.2")); // past the texts: kept
    // Cells made at once are the grid's: no tick event, the tick boxes stay.
    EXPECT_EQ(atOnce.Tick(4), 0);
    ASSERT_NE(atOnce.item(3, 0), nullptr);
    EXPECT_EQ(atOnce.item(3, 0)->checkState(), Qt::Unchecked);
    EXPECT_EQ(atOnce.item(3, 1)->flags(), byCell.item(3, 1)->flags());
}

// A cell made with its text and colours keeps them itself until they
// change: every later change must reach the table and be read back, a
// cleared colour included, and the same value again must change nothing.
TEST_F(FlexGridTest, ACellMadeWholeShowsAndTellsEveryLaterChange)
{
    FlexGrid g;
    g.setTickable(true);
    g.setCols(2);
    g.setRows(2);
    const std::pair<quint32, quint32> cyan{0xC0FFFF, 0x0000FF};
    g.setRowCells(1, {QStringLiteral("1.5"), QStringLiteral("x")}, &cyan);
    int changes = 0;
    QObject::connect(g.model(), &QAbstractItemModel::dataChanged, [&] { ++changes; });

    g.setTextMatrix(1, 0, QStringLiteral("1.5"));
    g.setCellBackColor(1, 0, 0xC0FFFF);
    EXPECT_EQ(changes, 0);

    g.setTextMatrix(1, 0, QStringLiteral("2.5"));
    g.setCellForeColor(1, 1, 0x00FF00);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(g.TextMatrix(1, 0), QStringLiteral("2.5"));
    EXPECT_EQ(g.item(0, 1)->data(Qt::EditRole).toString(), QStringLiteral("2.5"));
    EXPECT_EQ(g.cellForeColor(1, 1), 0x00FF00u);
    EXPECT_EQ(g.cellForeColor(1, 0), 0x0000FFu);

    g.item(0, 1)->setData(Qt::BackgroundRole, QVariant());
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(g.cellBackColor(1, 0), 0u);
    EXPECT_EQ(g.cellBackColor(1, 1), 0xC0FFFFu);

    // The tick box made with the row changes, and says so, the same way.
    g.item(0, 0)->setCheckState(Qt::Checked);
    EXPECT_EQ(changes, 4);
    EXPECT_EQ(g.Tick(1), 1);
    EXPECT_EQ(g.item(0, 0)->checkState(), Qt::Checked);

    // Within a batch the cells change in place, a patterned brush the
    // item's own way, and the view hears of them all once, at its end.
    {
        const GridBatch batch(&g);
        g.setTextMatrix(1, 1, QStringLiteral("y"));
        g.setCellForeColor(1, 0, 0x123456);
        g.item(0, 2)->setData(Qt::BackgroundRole, QBrush(Qt::red, Qt::Dense4Pattern));
        EXPECT_EQ(g.TextMatrix(1, 1), QStringLiteral("y"));
    }
    EXPECT_EQ(changes, 5);
    EXPECT_EQ(g.TextMatrix(1, 1), QStringLiteral("y"));
    EXPECT_EQ(g.cellForeColor(1, 0), 0x123456u);
    EXPECT_EQ(g.cellBackColor(1, 0), 0u);
    EXPECT_EQ(g.item(0, 2)->background().style(), Qt::Dense4Pattern);
}

TEST_F(FlexGridTest, CustomSortReordersWholeRowsStablyWithTheirTicks)
{
    FlexGrid g;
    g.setTickable(true);
    g.setCols(2);
    g.setRows(5);
    const QString keys[] = {QStringLiteral("b"), QStringLiteral("a"), QStringLiteral("b"),
                            QStringLiteral("A")};
    for (int r = 1; r <= 4; ++r) {
        g.setTextMatrix(r, 0, keys[r - 1]);
        g.setTextMatrix(r, 1, QString::number(r));
    }
    g.setTick(3, true);
    g.setCellBackColor(3, 1, 0x00FF00);
    g.Sort([&](int a, int b) {
        return QString::compare(g.TextMatrix(a, 0), g.TextMatrix(b, 0), Qt::CaseInsensitive);
    });
    QStringList order;
    for (int r = 1; r <= 4; ++r)
        order << g.TextMatrix(r, 1);
    EXPECT_EQ(order, (QStringList{"2", "4", "1", "3"}));
    EXPECT_EQ(g.Tick(4), 1);
    EXPECT_EQ(g.Tick(3), 0);
    EXPECT_EQ(g.cellBackColor(4, 1), 0x00FF00u);
}

TEST_F(FlexGridTest, TopRowScrollsByWholeRowsAndTheWheelAloneDoesNot)
{
    FlexGrid g;
    fill(g, 60);
    g.resize(300, 200);
    g.show();
    QApplication::processEvents();
    EXPECT_EQ(g.TopRow(), 1);

    int scrolled = 0;
    QObject::connect(&g, &FlexGrid::Scroll, [&] { ++scrolled; });
    g.setTopRow(10);
    EXPECT_EQ(g.TopRow(), 10);
    EXPECT_GE(scrolled, 1);

    QWheelEvent wheel(QPointF(50, 50), QPointF(50, 50), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(g.viewport(), &wheel);
    EXPECT_EQ(g.TopRow(), 10);
    // Not over its scroll bar either.
    QApplication::sendEvent(g.verticalScrollBar(), &wheel);
    EXPECT_EQ(g.TopRow(), 10);
}

TEST_F(FlexGridTest, AClickMakesTheDataCellCurrentAndAHeaderClickDoesNot)
{
    FlexGrid g;
    fill(g, 10);
    g.resize(300, 300);
    g.show();
    QApplication::processEvents();
    g.setRow(1);
    g.setCol(0);
    int clicks = 0;
    QObject::connect(&g, &FlexGrid::Click, [&] { ++clicks; });

    const QRect cell = g.CellRect(3, 1);
    const QRect head = g.CellRect(0, 1);
    EXPECT_LT(head.bottom(), cell.top() + 1);
    const QPointF at = g.viewport()->mapFrom(&g, cell.center());
    QMouseEvent press(QEvent::MouseButtonPress, at, g.viewport()->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, g.viewport()->mapToGlobal(at), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(g.viewport(), &press);
    QApplication::sendEvent(g.viewport(), &release);
    EXPECT_EQ(g.Row(), 3);
    EXPECT_EQ(g.Col(), 1);
    EXPECT_EQ(g.MouseRow(), 3);
    EXPECT_EQ(clicks, 1);

    emit g.horizontalHeader()->sectionClicked(0);
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(g.Row(), 3);
}

} // namespace

// The header row made current from code (as a list's header is written)
// leaves the table no current cell, so that a click on the first data row,
// the cell the table had as current before, still moves the grid there; a
// click never chooses the header.
TEST_F(FlexGridTest, AClickOnTheFirstRowAfterTheHeaderWasCurrentChoosesIt)
{
    FlexGrid g;
    fill(g, 4);
    g.resize(300, 300);
    g.show();
    QApplication::processEvents();
    int clicks = 0;
    int clickedRow = -1;
    QObject::connect(&g, &FlexGrid::Click, [&] {
        ++clicks;
        clickedRow = g.Row();
    });
    auto click = [&](int row, int col) {
        const QPoint at = g.viewport()->mapFrom(&g, g.CellRect(row, col).center());
        QTest::mouseClick(g.viewport(), Qt::LeftButton, Qt::NoModifier, at);
    };

    g.setRow(1);
    g.setCol(0);
    g.setRow(0);
    g.setText(QStringLiteral("Head"));
    EXPECT_FALSE(g.currentIndex().isValid());
    // On the header, or below the rows, while the header is current: no click.
    emit g.horizontalHeader()->sectionClicked(0);
    g.setRows(2);
    QTest::mouseClick(g.viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(5, g.viewport()->height() - 5));
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(g.Row(), 0);
    g.setRows(4);

    click(1, 0);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(clickedRow, 1);
    EXPECT_EQ(g.Col(), 0);

    // Rows taken away under the current cell: the table follows the grid.
    g.setRow(3);
    g.setRows(3);
    EXPECT_EQ(g.Row(), 2);
    EXPECT_EQ(g.currentRow(), 1);
    click(2, 0);
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(clickedRow, 2);
}

// Rows made with their texts and colours take new ones in place, from
// several threads at once, only within a batch; the view hears of them all
// at its end. A row whose cells are not all the grid's own says no.
TEST_F(FlexGridTest, RowsHoldTextsAndColoursInPlaceFromThreadsWithinABatch)
{
    FlexGrid g;
    g.setTickable(true);
    g.setCols(3);
    constexpr int Rows = 200;
    g.setRows(Rows + 1);
    const std::pair<quint32, quint32> pale{0xFFFFC0, 0x000000};
    for (int r = 1; r < Rows; ++r) // the last row has no cells
        g.setRowCells(r, {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}, &pale);
    int changes = 0;
    QObject::connect(g.model(), &QAbstractItemModel::dataChanged, [&] { ++changes; });

    EXPECT_FALSE(g.holdTextInPlace(1, 0, QStringLiteral("x")));
    EXPECT_FALSE(g.holdRowColorsInPlace(1, 0xC0FFFF, 0x0000FF));
    EXPECT_EQ(g.TextMatrix(1, 0), QStringLiteral("a"));

    std::atomic<int> refused{0};
    {
        const GridBatch batch(&g);
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t)
            threads.emplace_back([&, t] {
                for (int r = 1 + t; r <= Rows; r += 4) {
                    bool held = g.holdRowColorsInPlace(r, 0xC0FFFF, 0x0000FF);
                    for (int c = 0; c < 3; ++c)
                        held = g.holdTextInPlace(r, c, QStringLiteral("%1:%2").arg(r).arg(c)) && held;
                    refused += held ? 0 : 1;
                }
            });
        for (std::thread& t : threads)
            t.join();
        EXPECT_EQ(changes, 0);
    }
    EXPECT_EQ(refused, 1);
    EXPECT_EQ(changes, 1);
    for (int r : {1, 77, Rows - 1})
        for (int c = 0; c < 3; ++c) {
            EXPECT_EQ(g.TextMatrix(r, c), QStringLiteral("%1:%2").arg(r).arg(c));
            EXPECT_EQ(g.model()->data(g.model()->index(r - 1, c + 1)).toString(),
                      QStringLiteral("%1:%2").arg(r).arg(c));
            EXPECT_EQ(g.cellBackColor(r, c), 0xC0FFFFu);
            EXPECT_EQ(g.cellForeColor(r, c), 0x0000FFu);
        }
    EXPECT_EQ(g.TextMatrix(Rows, 0), QString());
}

// A cell that holds its text and colours is drawn straight from them, as a
// cell drawn the item's way looks; and a list's scroll bar, drawn from the
// pictures of its states, looks as a plain scroll bar in the same state.
TEST_F(FlexGridTest, HeldCellsAndScrollBarsLookAsTheStyleDrawsThem)
{
    QWidget window;
    window.resize(420, 300);
    FlexGrid g(&window);
    g.resize(400, 200);
    g.setTickable(true);
    g.setCols(3);
    g.setColAlignment(1, FlexGrid::flexAlignRightCenter);
    g.setRows(60);
    const std::pair<quint32, quint32> cyan{0xC0FFFF, 0x0000FF};
    for (int r = 1; r < 60; ++r)
        g.setRowCells(r, {QStringLiteral("left"), QStringLiteral("12.5"), QStringLiteral("W")}, &cyan);
    // Row 2 the item's way: an alignment of the cells' own (the column's).
    for (int c = 0; c < 3; ++c)
        g.item(1, c + 1)->setData(Qt::TextAlignmentRole,
                                  int(c == 1 ? Qt::AlignRight | Qt::AlignVCenter : Qt::AlignLeft | Qt::AlignVCenter));
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    const QImage view = g.viewport()->grab().toImage();
    const int h = g.rowHeight(0);
    // The data cells (the tick boxes differ: the first row's is current).
    const int left = g.columnViewportPosition(1);
    const int width = g.columnViewportPosition(3) + g.columnWidth(3) - left;
    const QImage held = view.copy(left, g.rowViewportPosition(0), width, h);
    const QImage itemWay = view.copy(left, g.rowViewportPosition(1), width, h);
    EXPECT_EQ(held, itemWay);
    // Drawn at all: background, text and grid lines.
    QSet<QRgb> colours;
    for (int y = 0; y < held.height(); ++y)
        for (int x = 0; x < held.width(); ++x)
            colours.insert(held.pixel(x, y));
    EXPECT_GT(colours.size(), 3);

    QScrollBar* bar = g.verticalScrollBar();
    ASSERT_TRUE(bar->isVisible());
    // A plain table's bar, in a scroll area as the list's is.
    QTableWidget table(60, 3, &window);
    table.setGeometry(0, 0, g.width(), g.height());
    table.show();
    QScrollBar& plain = *table.verticalScrollBar();
    ASSERT_EQ(plain.size(), bar->size());
    const auto same = [&] {
        plain.setRange(bar->minimum(), bar->maximum());
        plain.setPageStep(bar->pageStep());
        plain.setSingleStep(bar->singleStep());
        plain.setValue(bar->value());
        return bar->grab().toImage() == plain.grab().toImage();
    };
    const QImage top = bar->grab().toImage();
    EXPECT_TRUE(same());
    g.setTopRow(30);
    EXPECT_NE(bar->grab().toImage(), top);
    EXPECT_TRUE(same());
    g.setTopRow(1);
    EXPECT_EQ(bar->grab().toImage(), top);
    EXPECT_TRUE(same());
}

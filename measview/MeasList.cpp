#include "measview/MeasList.h"

#include "common/Controls.h"
#include "common/Global.h"
#include "instrument/ForwardTab.h"
#include "measview/MeasViewGlobals.h"
#include "measview/MeasViewTab.h"
#include "measview/Parallel.h"
#include "platform/FlexGrid.h"
#include "platform/NumText.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr int HeaderKeys[18] = {93,  94,  95,  123, 124, 96,  97,  98,  99,
                                108, 101, 102, 103, 110, 111, 113, 117, 118};
constexpr int ListColumns = 18;
constexpr int VocColumn = 7;
constexpr int IscColumn = 8;
constexpr int IrradianceColumn = 12;
constexpr int JudgeColumn = 15; // 15 to 17
constexpr int CutLength = 7;
// Rows per thread below which one thread makes the texts of them all.
constexpr int RowsPerSlice = 50;

const QString NoValue = QStringLiteral("--");

// Column widths in blanks of the list font, centred.
const QString ListFormat = QStringLiteral(
    "^         |^         |^      |^    |^    |^                 |^          |^       |^       |^     |"
    "^        |^        |^        |^    |^        |^        |^        |^            ");

QString Ui(int key)
{
    return Global::UiText.value(key);
}

FlexGrid* Grid()
{
    return MainControl<FlexGrid>(QStringLiteral("MfgMeasList"));
}

void SetBackColor(QWidget* w, quint32 color)
{
    w->setAutoFillBackground(true);
    QPalette p = w->palette();
    p.setColor(QPalette::Window, ColorFromValue(color));
    p.setColor(QPalette::Button, ColorFromValue(color));
    w->setPalette(p);
}

// The total row's label goes where the group's two digits go; a column of
// their blanks is too narrow for it in some languages, so the column grows
// to hold it whole, with the margins every cell keeps: the least width of
// each column in twips (0: the format's).
std::vector<double> LeastColumnWidths(FlexGrid* grid)
{
    constexpr int LabelColumn = 3;
    const QFontMetrics fm(grid->font());
    const int frame = grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1;
    const int margins = 2 * fm.horizontalAdvance(u' ') + 2 * frame;
    std::vector<double> least(ListColumns, 0.0);
    least[LabelColumn] = PixelsToTwipsX(fm.horizontalAdvance(Ui(UiTotalRowLabel)) + margins, grid);
    return least;
}

} // namespace

QList<int> MeasListHeaderKeys()
{
    return QList<int>(std::begin(HeaderKeys), std::end(HeaderKeys));
}

QStringList MeasListCells(const MeasRecord& rec, bool totalRow, MeasRowWriter writer, bool judgementHidden)
{
    // A measurement row follows the rules of the instrument-data list, with
    // Voc and Isc cut to seven characters where they carry decimals.
    QStringList cells = ForwardListCells(rec);
    if (totalRow)
        cells[3] = Ui(UiTotalRowLabel);
    const QString& voc = rec.F[MeasRecord::Voc];
    const QString& isc = rec.F[MeasRecord::Isc];
    const bool asStored = writer == MeasRowWriter::Totals || (writer == MeasRowWriter::Load && totalRow) ||
                          (writer == MeasRowWriter::ViewSwitch && voc == NoValue && isc == NoValue);
    if (asStored) {
        cells[VocColumn] = voc;
        cells[IscColumn] = isc;
    } else {
        if (NumText::Val(rec.F[MeasRecord::Version]) >= 8)
            cells[VocColumn].truncate(CutLength);
        cells[IscColumn].truncate(CutLength);
    }
    if (judgementHidden)
        for (int c = JudgeColumn; c < ListColumns; ++c)
            cells[c].clear();
    return cells;
}

std::vector<QStringList> MeasListRowsCells(const std::vector<MeasRecord>& records, int count, MeasRowWriter writer,
                                           bool judgementHidden)
{
    count = std::clamp(count, 0, int(records.size()) - 1);
    std::vector<QStringList> rows(std::size_t(std::max(count, 0)));
    ParallelSlices(count, RowsPerSlice, [&](int begin, int end) {
        for (int r = begin; r < end; ++r)
            rows[std::size_t(r)] = MeasListCells(records[std::size_t(r) + 1], false, writer, judgementHidden);
    });
    return rows;
}

void WriteMeasListRows(FlexGrid* grid, const std::vector<MeasRecord>& records, int count, MeasRowWriter writer,
                       bool judgementHidden)
{
    count = std::clamp(count, 0, int(records.size()) - 1);
    // The rows with a cell that could not hold its text in place, for this
    // thread.
    std::vector<QStringList> rest(std::size_t(std::max(count, 0)));
    ParallelSlices(count, RowsPerSlice, [&](int begin, int end) {
        for (int r = begin; r < end; ++r) {
            QStringList cells = MeasListCells(records[std::size_t(r) + 1], false, writer, judgementHidden);
            bool held = true;
            for (int c = 0; c < ListColumns && c < cells.size(); ++c)
                if (c != IrradianceColumn && !grid->holdTextInPlace(r + 2, c, cells[c]))
                    held = false;
            if (!held)
                rest[std::size_t(r)] = std::move(cells);
        }
    });
    for (int r = 0; r < count; ++r)
        if (!rest[std::size_t(r)].isEmpty())
            WriteMeasListRow(grid, r + 2, rest[std::size_t(r)], false);
}

void WriteMeasListRow(FlexGrid* grid, int row, const QStringList& cells, bool irradiance, const quint32* color)
{
    if (irradiance) {
        const std::pair<quint32, quint32> colors{color ? *color : 0, 0x000000};
        grid->setRowCells(row, cells.size() > ListColumns ? cells.mid(0, ListColumns) : cells,
                          color ? &colors : nullptr);
        return;
    }
    for (int c = 0; c < ListColumns && c < cells.size(); ++c)
        if (c != IrradianceColumn)
            grid->setTextMatrix(row, c, cells[c]);
    if (color)
        PaintMeasListRow(grid, row, *color);
}

void PaintMeasListRow(FlexGrid* grid, int row, quint32 color)
{
    grid->setRowColors(row, color, 0x000000);
}

void PaintMeasListRows(FlexGrid* grid, int count, const std::vector<std::uint8_t>& ticks)
{
    count = std::clamp(count, 0, int(ticks.size()) - 1);
    auto color = [&](int r) { return ticks[std::size_t(r) + 1] ? MeasTickedColor : MeasUntickedColor; };
    // The rows with a cell that could not hold its colours in place, for
    // this thread.
    std::vector<std::uint8_t> rest(std::size_t(std::max(count, 0)), 0);
    ParallelSlices(count, RowsPerSlice, [&](int begin, int end) {
        for (int r = begin; r < end; ++r)
            rest[std::size_t(r)] = !grid->holdRowColorsInPlace(r + 2, color(r), 0x000000);
    });
    for (int r = 0; r < count; ++r)
        if (rest[std::size_t(r)])
            PaintMeasListRow(grid, r + 2, color(r));
}

bool JudgementHidden()
{
    const auto* box = MainControl<QCheckBox>(QStringLiteral("ChkJudgeOff"));
    return box && box->checkState() != Qt::Unchecked;
}

void MeasListIni()
{
    FlexGrid* grid = Grid();
    Guarded(QStringLiteral("MeasListIni"), [&] {
        if (!grid)
            return;
        // The rows go, their tick cells without a tick event, before the
        // header is cleared (clearing first would make every row's tick
        // cell anew only for it to go).
        grid->setRedraw(false);
        grid->setRows(1);
        grid->Clear();
        grid->setGridFont(QStringLiteral("MS Gothic"), 9);
        grid->setFormatString(ListFormat, LeastColumnWidths(grid));
        for (int c = 0; c < ListColumns; ++c) {
            grid->setTextMatrix(0, c, Ui(HeaderKeys[c]));
            grid->setCellAlignment(0, c, FlexGrid::flexAlignCenterCenter);
        }
        grid->setRow(0);
        grid->setCol(1);
        grid->setRedraw(true);
        grid->viewport()->update();
        if (auto* all = MainControl<QPushButton>(QStringLiteral("CmdDspAll")))
            all->hide();
        if (auto* pic = MainControl<QLabel>(QStringLiteral("Pic_2")))
            pic->clear();
    });
    if (grid && !grid->Redraw())
        grid->setRedraw(true);
}

void ChkJudgeOff_Click()
{
    auto* box = MainControl<QCheckBox>(QStringLiteral("ChkJudgeOff"));
    auto* views = MainControl<QTabWidget>(QStringLiteral("SSTab3"));
    const int shownView = views ? views->currentIndex() : 0;
    const bool hidden = JudgementHidden();
    if (box)
        SetBackColor(box, hidden ? JudgeHiddenColor : JudgeShownColor);
    if (FlexGrid* grid = Grid(); grid && grid->Cols() >= ListColumns)
        for (int c = JudgeColumn; c < ListColumns; ++c)
            grid->setTextMatrix(0, c, hidden ? QString() : Ui(HeaderKeys[c]));
    CmbHistorySel_Click(0);
    if (views)
        views->setCurrentIndex(shownView);
}

// The measurement list's ticks, pointer and edit start. Every row carries
// its own tick cell (row 1 the total row), so the tick flag of record r is
// the cell of list row r + 1.
#include "common/Global.h"
#include "instrument/ForwardTab.h"
#include "instrument/MeasRecordGlobals.h"
#include "measview/MeasList.h"
#include "measview/MeasTabSupport.h"
#include "measview/MeasViewGlobals.h"
#include "measview/MeasViewTab.h"
#include "measview/TabRules.h"
#include "platform/AppError.h"
#include "platform/NumText.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

namespace {

constexpr int EditableColumns = 6; // columns 0 to 5

QLineEdit* EditBox()
{
    return MainControl<QLineEdit>(QStringLiteral("TxtPoinrIn_0"));
}

// The last record whose flags and tick cell exist: the smaller of the
// count, the last flag and the last list row's record.
int LastTickedRecord(const FlexGrid* grid)
{
    int last = std::min<int>(Global::MeasFileCount, int(Global::DisplayTick.size()) - 1);
    last = std::min<int>(last, int(Global::DisplayTickMemory.size()) - 1);
    if (grid)
        last = std::min(last, grid->Rows() - 2);
    return last;
}

void SetFlags(int r, bool ticked)
{
    Global::DisplayTick[std::size_t(r)] = ticked ? 1 : 0;
    Global::DisplayTickMemory[std::size_t(r)] = ticked;
}

// Esc in the edit box closes it without storing anything.
class EscapeCloses : public QObject {
  public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            CloseMeasEditBox();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

void ChkDspSel_Click(int row, bool ticked)
{
    if (Global::TickAllRunning || Global::ViewSwitchRunning)
        return;
    FlexGrid* grid = MeasGrid();
    const int r = row - 1;
    if (r < 0 || r > LastTickedRecord(nullptr))
        return;
    SetFlags(r, ticked);
    // The total row keeps its own colour.
    if (r != 0 && grid && row < grid->Rows()) {
        const ListHidden hidden(grid);
        PaintMeasListRow(grid, row, ticked ? MeasTickedColor : MeasUntickedColor);
    }
    DataViewTotalCalc();
}

void CmdDspAll_Click()
{
    FlexGrid* grid = MeasGrid();
    Guarded(QStringLiteral("CmdDspAll_Click"), [&] {
        const ListHidden hidden(grid);
        {
            const FlagScope all(Global::TickAllRunning);
            const int last = LastTickedRecord(grid);
            const bool tick = TickAllTicks(Global::DisplayTick, last);
            for (int r = 0; r <= last; ++r) {
                SetFlags(r, tick);
                if (grid)
                    grid->setTick(r + 1, tick);
                if (r >= 1 && grid)
                    PaintMeasListRow(grid, r + 1, tick ? MeasTickedColor : MeasUntickedColor);
            }
        }
        DataViewTotalCalc();
    });
}

void MfgMeasList_Scroll()
{
    FlexGrid* grid = MeasGrid();
    if (!grid)
        return;
    {
        const FlagScope restoring(Global::TickRestoring);
        // A cell that differs from its flag takes the flag; its tick handler
        // writes the same flag back and colours the row.
        const int last = LastTickedRecord(grid);
        for (int r = 0; r <= last; ++r) {
            const bool want = Global::DisplayTick[std::size_t(r)] == 1;
            if (bool(grid->Tick(r + 1)) != want)
                grid->setTick(r + 1, want);
        }
    }
    if (grid->isEnabled())
        grid->setFocus();
}

void MfgMeasList_MouseMove(Qt::MouseButtons, QPoint pos)
{
    FlexGrid* grid = MeasGrid();
    if (!grid)
        return;
    std::int32_t x = 0;
    std::int32_t y = 0;
    try {
        x = NumText::CLng(PixelsToTwipsX(pos.x(), grid));
        y = NumText::CLng(PixelsToTwipsY(pos.y(), grid));
    } catch (const AppError&) {
        return;
    }
    if ((x != Global::MeasListMouseX || y != Global::MeasListMouseY) && Global::MainWindowHandle &&
        QApplication::activeWindow() == Global::MainWindowHandle)
        grid->setFocus(Qt::MouseFocusReason);
    Global::MeasListMouseX = x;
    Global::MeasListMouseY = y;
}

void MfgMeasList_MouseDown(Qt::MouseButton, Qt::KeyboardModifiers, QPoint)
{
    Guarded(QStringLiteral("MfgMeasList_MouseDown"), [&] {
        const FlexGrid* grid = MeasGrid();
        if (!grid || grid->Rows() <= 1)
            return;
        // A press on a tick cell ticks its row; like the tick boxes beside
        // the rows it leaves the row last pressed as it was.
        if (grid->MouseRow() >= 1 && grid->MouseCol() < 0)
            return;
        Global::CurMeasRow = grid->Row() - 1;
    });
}

void MfgMeasList_DblClick()
{
    Guarded(QStringLiteral("MfgMeasList_DblClick"), [&] {
        FlexGrid* grid = MeasGrid();
        QLineEdit* box = EditBox();
        // The total row (record 0) is never edited, nor anything before a
        // row was pressed since the list was filled.
        if (!grid || !box || grid->Rows() <= 1 || Global::CurMeasRow < 1 ||
            Global::CurMeasRow > Global::MeasFileCount ||
            Global::CurMeasRow >= int(Global::MeasViewRecords.size()))
            return;
        const int row = grid->Row();
        if (row < 1)
            return;
        // The column under the pointer; where two touch, the lower wins.
        int column = -1;
        for (int i = 0; i < EditableColumns && i < grid->Cols(); ++i) {
            const QRect cell = grid->CellRect(row, i);
            const std::int32_t left = NumText::CLng(PixelsToTwipsX(cell.left(), grid));
            const std::int32_t width = NumText::CLng(PixelsToTwipsX(cell.width(), grid));
            if (left <= Global::MeasListMouseX && Global::MeasListMouseX <= left + width) {
                column = i;
                break;
            }
        }
        if (column < 0)
            return;
        Global::EditColMeas = column;
        grid->setCol(column);
        grid->setEnabled(false);
        const QRect cell = grid->CellRect(row, column);
        const QPoint at = box->parentWidget() ? grid->mapTo(box->parentWidget(), cell.topLeft()) : cell.topLeft();
        box->setGeometry(QRect(at, cell.size()));
        box->setText(ForwardEditText(Global::MeasViewRecords[std::size_t(Global::CurMeasRow)], column));
        box->show();
        box->raise();
        box->setSelection(0, int(box->text().size()));
        box->setFocus();
    });
}

void CloseMeasEditBox()
{
    QLineEdit* box = EditBox();
    if (!box || !box->isVisible())
        return;
    box->hide();
    if (FlexGrid* grid = MeasGrid()) {
        grid->setEnabled(true);
        grid->setFocus();
    }
}

void ConnectMeasTicks(QObject* form)
{
    FlexGrid* grid = MeasGrid();
    if (grid) {
        QObject::connect(grid, &FlexGrid::TickChanged, form,
                         [](int row, bool ticked) { ChkDspSel_Click(row, ticked); });
        QObject::connect(grid, &FlexGrid::Scroll, form, [] { MfgMeasList_Scroll(); });
        QObject::connect(grid, &FlexGrid::MouseMove, form,
                         [](Qt::MouseButtons buttons, QPoint pos) { MfgMeasList_MouseMove(buttons, pos); });
        QObject::connect(grid, &FlexGrid::MouseDown, form,
                         [](Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos) {
                             MfgMeasList_MouseDown(button, modifiers, pos);
                         });
    }
    if (auto* all = MainControl<QPushButton>(QStringLiteral("CmdDspAll")))
        QObject::connect(all, &QPushButton::clicked, form, [] { CmdDspAll_Click(); });
    // Until the edit is committed into the measurement's file, the box
    // stores nothing: Enter, Esc and leaving it close it, and the list is
    // usable again in every case.
    if (QLineEdit* box = EditBox()) {
        QObject::connect(box, &QLineEdit::editingFinished, form, [] { CloseMeasEditBox(); });
        box->installEventFilter(new EscapeCloses(box));
    }
}

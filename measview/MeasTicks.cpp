// The measurement list's ticks, pointer and edit start. Every row carries
// its own tick cell (row 1 the total row), so the tick flag of record r is
// the cell of list row r + 1.
#include "common/Global.h"
#include "common/GridCellEdit.h"
#include "instrument/ForwardTab.h"
#include "instrument/MeasRecordGlobals.h"
#include "measview/MeasList.h"
#include "measview/MeasTabSupport.h"
#include "measview/MeasViewGlobals.h"
#include "measview/MeasViewTab.h"
#include "measview/TabRules.h"
#include "platform/AppError.h"

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
    TrackGridPointer(MeasGrid(), pos, Global::MeasListMouseX, Global::MeasListMouseY);
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
        const MeasRecord& rec = Global::MeasViewRecords[std::size_t(Global::CurMeasRow)];
        const int column = OpenGridEditBox(grid, box, row, Global::MeasListMouseX, EditableColumns,
                                           [&rec](int c) { return ForwardEditText(rec, c); });
        if (column >= 0)
            Global::EditColMeas = column;
    });
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
}

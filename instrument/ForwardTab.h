#pragma once
// The instrument-data tab of the main window: the list of read-out
// measurement files waiting in FORWARD_DATA (MfgForwardList, 18 columns,
// record k in row k + 1), its ticks and mouse handling, and the buttons that
// read the instrument's memory and delete it.
//
// Ticks are the check-box cells of the list's rows; each row's tick flag is
// Global::ForwardTick(row - 1), a ticked row is light cyan (0xFFFFC0) and an
// unticked one white, both with black text.
//
// The cell texts of a record are plain functions (ForwardListCells), so that
// they can be checked without a window.
#include "instrument/MeasRecord.h"

#include <QPoint>
#include <QString>
#include <QStringList>


// Row colours of ticked and unticked rows (0x00BBGGRR).
inline constexpr quint32 ForwardTickedColor = 0xFFFFC0;
inline constexpr quint32 ForwardUntickedColor = 0xFFFFFF;

// UI text keys of the tab's commands.
inline constexpr int UiInstrumentNotFound = 564;
inline constexpr int UiDeleteInstrumentQuestion = 548;
inline constexpr int UiDeleteInstrumentDone = 677;

// The 18 header keys of the list, column 0 to 17.
QList<int> ForwardListHeaderKeys();
// The 18 cell texts of a record, column 0 to 17.
QStringList ForwardListCells(const MeasRecord& rec);
// The text the in-place edit box starts with for list column 0 to 5.
QString ForwardEditText(const MeasRecord& rec, int column);

// Lays out the empty list: 18 centred columns, the header row from UiText.
void ForwardListIni();
// Reads every measurement file of FORWARD_DATA into ForwardRecords and the
// list, in name order; the ticks, the current row and the curve graph start
// afresh. An empty file or one that cannot be read gets a row too, with the
// date, time and number of its name and no values, so that it can be ticked
// and deleted. Temporary files an interrupted write left are removed first.
void ForwardDataView();
// Resets the tab: the target customer lists, the site name, the history
// list, the current row, and the list (ForwardDataView).
void ForwordDisplayInitial();
// Enter in the edit box TxtPoinrIn_1 (already hidden, the list usable
// again) with `typed` in it: the value goes into the current record
// (CurForwardRow, column EditColForward) and its file in FORWARD_DATA is
// written under the name the record now gives, with a copy in a new backup
// folder BACKUP_DATA/YYYYMMDD_HHNNSS; then the file of the old name is
// removed, and the list cell shows the value. A refused value changes
// nothing. Throws AppError when a file cannot be written or removed, with
// every file, the record and the list as they were.
void ForwardListEditCommit(const QString& typed);

// The read button: reads the instrument's memory (QtmForwordData) and
// reloads the list. Both instrument buttons stay disabled, and the windows
// take no input, from its first step to its end.
void CmdDataForward_Click();
// The delete button: asks, then sends "#DELETE" to the instrument (the
// buttons and the windows as for the read button).
void CmdDataDelete_Click();
// "All": ticks every record, or unticks all when all are ticked.
void CmdFwdAll_Click();
// The tick cell of list row `row` changed to `ticked`: the record's flag,
// the row's colour, the grid's current row.
void ChkFwdSel_Click(int row, bool ticked);
// The list scrolled: the tick cells show the flags of their records.
void MfgForwardList_Scroll();
// The pointer moved over the list (`pos` in the list's pixels).
void MfgForwardList_MouseMove(Qt::MouseButtons buttons, QPoint pos);
// A mouse button went down on the list (`pos` in the list's pixels).
void MfgForwardList_MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos);
// Opens the in-place edit box TxtPoinrIn_1 over the cell under the pointer
// (columns 0 to 5 of the current record).
void MfgForwardList_DblClick();

// Connects the tab's controls of `form` to the handlers above.
void ConnectForwardTab();

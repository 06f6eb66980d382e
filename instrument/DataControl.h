#pragma once
// The plain side of the data-control buttons of both measurement tabs:
// moving read-out measurement files into a construction history, the
// history's MeasData.csv after such a move, and deleting measurement files.
// The handler that reads the tabs and shows the questions is
// CmdDataControl_Click (app/DataControl.h).
#include "instrument/MeasRecord.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// UI text keys of the buttons' questions and messages.
inline constexpr int UiDeleteTickedMeasQuestion = 549;
inline constexpr int UiNoTargetHistory = 550;
inline constexpr int UiMoveQuestion = 551;
inline constexpr int UiDeleteTickedReadOutQuestion = 552;
inline constexpr int UiHistoryFull = 585;
inline constexpr int UiDataDeleted = 677;
inline constexpr int UiReadOutNotMoved = 970;

// Most files a construction-history folder may hold after a move.
inline constexpr int MaxHistoryFolderFiles = 800;
// Most lines of a MeasData.csv a move rewrites.
inline constexpr int MaxMeasDataLines = 65536;

// The history file a moved read-out measurement becomes: the labelled
// layout of the construction-history variant, the key-607 line with F8
// alone, F18 labelled with key 616. A record below version 8.2 first gets
// its fill factor F43 computed and stored.
QByteArray MovedMeasFileBytes(MeasRecord& rec);

// Throws AppError 9 when MeasData.csv's bytes hold more than
// MaxMeasDataLines lines: a move checks this before it moves anything.
void CheckMeasDataLines(const QByteArray& measData);
// MeasData.csv after measurements moved into its history: line 2 the date
// `date` of the last moved measurement, lines 3 to 9 empty (the totals are
// computed again by the data view), lengthened to 9 lines when shorter;
// line 1 and every line from line 10 on keep their bytes. Lines end in
// CR LF.
QByteArray MeasDataAfterMove(const QByteArray& measData, const QString& date);

enum class ReadOutMoveResult {
    Moved,   // the history holds the measurement, the read-out file is gone
    Missing, // the read-out file is no longer there: passed over
    Kept,    // not moved, the read-out file stays (see MoveReadOutFile)
};

// Moves the read-out measurement `rec`, loaded from the file `sourcePath`,
// into the folder `historyFolder` under the same file name: the history
// file is written whole first, the read-out file deleted after (its backup
// copy stays). Kept, with nothing written or deleted, when
//   - a different measurement already has that name in the history (an
//     identical one is taken as moved before, and the read-out file goes);
//   - the read-out file cannot be read, is empty, or no longer holds the
//     values that `rec` was loaded with.
// Throws AppError (naming the file) when the history file cannot be
// written or the read-out file cannot be deleted.
ReadOutMoveResult MoveReadOutFile(MeasRecord& rec, const QString& sourcePath, const QString& historyFolder);

// Deletes the measurement file `path`; false when there is none (passed
// over). Throws AppError naming the file when it cannot be deleted.
bool DeleteMeasFile(const QString& path);

#pragma once
// The in-place edit of a measurement in either list (the measurement list
// of a construction history, the instrument-data list), without a window:
// what a typed value does to the record, and the files of an accepted edit.
//
// The six edit columns: 0 the date F1, 1 the time F2, 2 the serial (first
// four characters of F0), 3 the group (characters 6 and 7 of F0, 1 to 10),
// 4 the sub-number (last two characters of F0), 5 the measuring position F3.
#include "instrument/MeasRecord.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

enum class MeasEditVerdict {
    Accepted,      // the record holds the value (or keeps its own, see below)
    Refused,       // the box just closes, nothing changes
    RefusedChar,   // as Refused, and the user is told why (UiMeasEditBadChar)
};

struct MeasEditResult {
    MeasEditVerdict verdict = MeasEditVerdict::Refused;
    MeasRecord rec; // the record after the edit (Accepted)
    // The measuring position is longer than 14 bytes in code page 932: the
    // notice UiLongPosition is shown, the position is stored whole.
    bool longPosition = false;
};

// UI text of the notice on a long measuring position.
inline constexpr int UiLongPosition = 778;
// UI text of the refusal of a character that the file or its name cannot carry.
inline constexpr int UiMeasEditBadChar = 958;
// UI text naming the measuring position (the file's label of it).
inline constexpr int UiPositionField = 603;

// The typed date (column 0) as "YY/MM/DD" when it reads as a calendar date
// (year, month and day, separated by "/"; a year of one or two digits is
// 2000 to 2029 below 30 and 1930 to 1999 from 30); else the text as typed.
QString EditDateText(const QString& typed);
// The typed time (column 1) as "HH:NN:SS" when it reads as a time of day;
// else the text as typed.
QString EditTimeText(const QString& typed);

// Applies `typed`, entered over `column` of `rec`'s row, to a copy of the
// record. `cellText` is what the list cell shows (the present sub-number).
// A date or time that has the form but is no date or time, and a
// sub-number of 0 over a present one that is not 0, are accepted and leave
// the record as it was (its file is written all the same). A serial that a
// file name cannot carry (a character that file names refuse, a comma, a
// control character, a machine-dependent character or one code page 932
// lacks) and a measuring position holding a comma or a character code page
// 932 cannot hold are RefusedChar.
MeasEditResult ApplyMeasEdit(const MeasRecord& rec, int column, const QString& typed, const QString& cellText);

// ApplyMeasEdit with its messages: a RefusedChar value is refused with UI
// text UiMeasEditBadChar (exclamation), a position holding a character
// code page 932 cannot hold with the refusal that names the field and the
// character (common/TextHelpers.h); a long measuring position is noted
// with UiLongPosition (information). The record after the edit, or none
// when the value is refused.
std::optional<MeasRecord> TakeMeasEdit(const MeasRecord& rec, int column, const QString& typed,
                                       const QString& cellText);

// The path an edited record's file takes: its name from its date, time and
// number, in the folder of `oldPath`. Throws AppError 52 when the name would
// leave the folder or is not of the form YYMMDD_HHNNSS_NNNN-AA-SS.csv that
// the lists take (a record read from no file has "--" there), and 58 naming the file when a different file already
// bears that name (the old file under another letter case is no other file).
QString MeasEditTarget(const QString& oldPath, const MeasRecord& rec);

struct MeasEditWrite {
    QString path;
    QByteArray bytes;
};

// The files of an accepted edit: the measurement's file under its new name
// first (writes[0]), then any copy, each written whole; then the file of
// the old name removed unless the new one is that file. The old file must
// be there and readable beforehand (53 or 70 naming it, nothing written).
// On any failure everything written is undone (a new file removed, a file
// written over given its old bytes back) and the error thrown again.
void CommitMeasEditFiles(const QString& oldPath, const QList<MeasEditWrite>& writes);

#pragma once
// The measurement file: one MeasRecord as a text file in code page 932 with
// CR LF line ends, named after its date, time and number.
//
// Two variants: a construction-history file carries a line for the measuring
// position (F3) right after the time; a read-out file (instrument-data and
// backup folders) does not. Four layouts: the labelled layout, which begins
// with a "VER," line and carries "label,value" lines (labels are UiText 600
// to 649 of the language in use and mean nothing to a reader), and three
// older bare layouts of one value per line (A, B, C), told apart by their
// line count. The labelled layout is always written with the version-8.3 line
// set; the read-out still writes bare layout C for 1120-character records.
// Readers go by line position only, never by label.
#include "instrument/MeasRecord.h"

#include <QByteArray>
#include <QString>

enum class MeasFileVariant {
    ReadOut, // instrument-data folder and backup copies: no measuring-position line
    History, // construction-history folder: the F3 line after F2
};

struct MeasFileWriteOptions {
    MeasFileVariant variant = MeasFileVariant::ReadOut;
    // The cell-temperature line carries F8 "," F9 (the in-place edit's
    // history copy); every other writer writes F8 alone.
    bool withSecondTemperature = false;
    // F18 is labelled with key 649 for the model codes "0" to "5", "8" and
    // "9" and with key 616 otherwise (the read-out); else always key 616.
    bool f18LabelByModel = false;
};

// SlCoCut(F1) "_" SlCoCut(F2) "_" F0 ".csv": YYMMDD_HHNNSS_NNNN-AA-SS.csv.
QString MeasFileName(const MeasRecord& rec);

// The labelled layout, as bytes. When F42 reads below 8.2 the fill factor F43
// is first computed from F15 / (F16 x F17) in "0.00" (empty when F16 x F17 is
// 0, "--" when the computation overflows) and stored into `rec`. A comma inside a label is written as the
// full-width comma so that it cannot shift the values; a line break inside a
// value is written as a blank so that it cannot shift the lines.
QByteArray MeasFileBytes(MeasRecord& rec, const MeasFileWriteOptions& options);

// Bare layout C (read-out variant, 280 lines): F0, F1, F2, F4 .. F8, F10 ..
// F40, F48, the 120 voltages, the 120 currents.
QByteArray MeasFileBareBytes(const MeasRecord& rec);

// What the read-out writes for a record decoded from `recordSize`-character
// records: bare layout C for 1120, else the labelled read-out variant with
// F18 labelled by model.
QByteArray MeasFileReadOutBytes(MeasRecord& rec, int recordSize);

// Writes `bytes` whole through WriteFileAtomic as MeasFileName(rec) in
// `folder` (with or without a trailing "/"), replacing a file of that name,
// and returns the full path. Throws AppError: 52 when the name would leave
// the folder (a "/" or "\" in the number), 76 when the folder is missing,
// 75 when the file cannot be written; an old file of that name then stays
// as it was.
QString WriteMeasFileBytes(const QString& folder, const MeasRecord& rec, const QByteArray& bytes);
// The same under a file name of the caller's (a read-out record whose own
// name another record took).
QString WriteMeasFileBytesAs(const QString& folder, const QString& name, const QByteArray& bytes);

// MeasFileBytes written through WriteMeasFileBytes.
QString WriteMeasFile(const QString& folder, MeasRecord& rec, const MeasFileWriteOptions& options);
// MeasFileReadOutBytes written through WriteMeasFileBytes.
QString WriteReadOutMeasFile(const QString& folder, MeasRecord& rec, int recordSize);

enum class MeasFileLayout {
    Labelled,  // a "VER," file read by its version's table
    BareA,     // fields up to F26 (266 read-out lines, 267 history lines)
    BareB,     // fields up to F31 (271 / 272)
    BareC,     // fields up to F40 (280 / 281)
    NoVersion, // counted as labelled but its first line is no "VER," line: empty record
    EmptyFile, // no bytes at all: empty record
};

struct MeasFileInfo {
    MeasFileLayout layout = MeasFileLayout::EmptyFile;
    int lineCount = 1;  // line breaks + 1, as the line counter gives it
    double version = 0; // the "VER," line's number (labelled layout)
};

// The line number at the end of the bytes: one more than the number of line
// ends; 1 for no bytes. Line ends are those of the language files: CR LF or
// a lone CR where the bytes hold a CR (a lone LF is then part of a line),
// LF where they hold none.
int MeasFileLineCount(const QByteArray& bytes);

// Reads one measurement file's bytes as `variant`, whatever layout the line
// count gives: fields and IvPoints columns 0 and 1 (a 121st point line of a
// labelled file fills row 120; further ones are ignored). F1 longer than 8
// characters keeps its 8 characters from the third on. Lines end as
// MeasFileLineCount counts them, so files with LF-only or lone-CR line ends
// read like CR LF files. Never throws on content.
//
// The history variant also fills F9: from the third part of the cell
// temperature line of a labelled file of version 8.3 or above (F9 = F8 when
// there is none), and from the F8 line of a bare file split at ",": F8 the
// first part, F9 the second, further parts dropped (F9 = F8 without a ",").
MeasRecord ReadMeasFileBytes(const QByteArray& bytes, MeasFileVariant variant, MeasFileInfo* info = nullptr);

// The same for a file on disk. Throws AppError 53 when the file is missing
// and 70 when it cannot be read.
MeasRecord ReadMeasFile(const QString& path, MeasFileVariant variant, MeasFileInfo* info = nullptr);

// What the construction-history loader does besides reading the file, for a
// file that was read (a bare file or a labelled file with its "VER," line):
// a labelled file below version 8.2 gets F43 = F15 / (F16 x F17) in "0.00",
// "--" when F16 x F17 is 0; every current not in 0 <= I < 60 becomes "0";
// the power of points 0 to 119 becomes V x I.
void ApplyHistoryLoadRules(MeasRecord& rec, const MeasFileInfo& info);

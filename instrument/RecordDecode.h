#pragma once
// Decoding of the instrument's read-out text into measurement records.
//
// The instrument sends its memory as one run of fixed-width records: the
// older layout of 1120 characters without a version, and the versioned
// layout of 1184 characters whose tail and number formats follow the version
// that each record carries. Every value stays text: numeric pieces are read
// with NumText::Val, scaled where the layout says so, and written back with
// NumText::Str or a fixed NumText::Format pattern. The decoder works on text
// only; it never talks to the device.
#include "instrument/MeasRecord.h"

#include <QString>

#include <vector>

struct RecordDecodeResult {
    int recordSize = 1184;  // the record size in force at the end (1120 or 1184)
    int count = 0;          // records 0 .. count-1 of the table are filled
    bool clockFlag = false; // a record of model "G" or "H" asks for the clock to be set
};

// Decodes `text`, cut into records of `recordSize` characters (1120 or 1184;
// anything else is taken as 1184), into `records`, which is re-created with
// 801 empty entries (0 to 800) first.
//
// Nothing in a record is refused: malformed numbers read 0, a piece beyond
// the end of the text is empty. A date that fails its check switches the
// layout and starts over (up to four times with an emptied table); from the
// fifth failure on the 1184 layout stays and takes the computer's date and
// time (CurrentDateTime()). A 1184 record whose version piece is malformed is
// decoded once more with the fields from F15 on shifted by two characters,
// and kept as that second pass gives it.
//
// The table holds 801 records: a text that needs an 802nd throws AppError 9
// (subscript out of range) before anything is returned, so that the read-out
// reports it and writes nothing.
RecordDecodeResult InstrumentRecordDecode(const QString& text, int recordSize,
                                          std::vector<MeasRecord>& records);

// The read-out's form: decodes into Global::ReadOutRecords starting from
// Global::RecordSize, and leaves the final size in Global::RecordSize.
RecordDecodeResult InstrumentRecordDecode(const QString& text);

// The number of records of `recordSize` characters in a text of `length`
// characters: 1 + (length / size - 1) rounded half to even (0 for no text).
int RecordCountForLength(qsizetype length, int recordSize);

#pragma once
// The read-out of the instrument's memory into measurement files.
//
// One read-out opens the link, sends "#E2P_READ", joins every answer up to
// "#END" (idle answers dropped) into one text, cuts it into records of 1120
// or 1184 characters, decodes them, and writes each record as a read-out
// measurement file into FORWARD_DATA and again into a backup folder of its
// own under BACKUP_DATA. When a record asks for it, the instrument's clock
// is set afterwards ("#RTC_SET" and the computer's time). It is long work:
// the windows take no input until it ends, and its progress window shows at
// once how far the reading got.
//
// Only an answer that is the read-out's own is taken: the link is drained
// until the instrument is quiet when it opens, and the instrument must fall
// silent after its "#END". Anything else -- the rest of an earlier answer
// coming in before the new one, say -- is a failed read-out that writes
// nothing, and the link is drained before it closes. The text itself is
// never judged: whatever record numbers and dates it holds, the decoding
// takes it (a bad date switches the layout, and in the end the computer's
// date and time stand in).
//
// ReadInstrumentMemory is the plain procedure, driven through a
// ReadOutProgress so that it runs without windows; QtmForwordData is the
// procedure with the progress window FrmLoading over the main window.
#include "instrument/MeasRecord.h"

#include <QByteArray>
#include <QString>

// Where the reading of the memory shows its advance.
class ReadOutProgress {
  public:
    virtual ~ReadOutProgress() = default;
    // The reading starts: a bar from 0 to `maximum` at 0, and its label.
    virtual void begin(int maximum, const QString& label) = 0;
    // The bar's new value after an answer was taken (value is below maximum).
    virtual void advance(int value) = 0;
    // The reading is over (also after a failure).
    virtual void end() = 0;
};

// What one read-out did.
struct ReadOutOutcome {
    bool ok = false;      // the result of QtmForwordData
    int records = 0;      // records decoded
    int written = 0;      // measurement files written to FORWARD_DATA
    int leftOut = 0;      // records whose number cannot name a file (not written)
    int renamed = 0;      // records written under a name one second later (the name was taken)
    QString backupFolder; // the backup folder of this read-out ("" when none was made)
};

// UI text keys of the read-out.
inline constexpr int UiReadOutLabel = 171;     // label of the progress window
inline constexpr int UiReadOutLength = 569;    // the text is no whole number of records
inline constexpr int UiReadOutDone = 676;      // completion
inline constexpr int UiReadOutCapacity = 705;  // FORWARD_DATA would reach 1200 files
inline constexpr int UiReadOutEmpty = 820;     // the instrument holds no measurement
inline constexpr int UiReadOutRenamed = 821;   // count of records saved under a later name
inline constexpr int UiReadOutLeftOut = 822;   // count of records not saved (their number)
inline constexpr int UiReadOutSavedSoFar = 823; // count of files saved before a failure

// The most files FORWARD_DATA may hold after a read-out, plus one.
inline constexpr int ForwardFolderCapacity = 1200;

// The maximum of the progress bar for a record size: (size / 64 + 1) x 400 + 2.
int ReadOutBarMaximum(int recordSize);

// Converts the bytes of one answer into read-out text: NUL bytes dropped,
// every other byte one character (AnsiCodec::byteChar), so that the text
// has as many characters as the answer has bytes and every byte is written
// back into the file unchanged.
QString ReadOutAnswerText(const QByteArray& bytes);

// The time text "HH:NN:SS" of `rec` one second later, turning the date
// "YY/MM/DD" when it passes midnight (a time that is no time counts as
// 00:00:00; a date that is no date stays). Used to find a free file name for
// a record whose name another record of the same read-out took.
void StepRecordTime(MeasRecord& rec);

// The lines that tell what a read-out could not save as it was: how many
// records went under a later name and how many were left out (none when
// both are 0); with `savedSoFar`, first the number of files written before
// a failure.
QString ReadOutNote(const ReadOutOutcome& outcome, bool savedSoFar);
// After a failure that came once files were written: an information box
// with ReadOutNote(outcome, true). Nothing when no file was written.
void ShowReadOutSavedNote(const ReadOutOutcome& outcome);

// Removes what an interrupted write of the atomic writer can leave in
// `folder`: temporary files of measurement files
// ("??????_??????_????-??-??.csv.XXXXXX"), nothing else. Returns how many.
int RemoveLeftoverTempFiles(const QString& folder);

// The read-out (see above) with its messages. `progress` may be null.
ReadOutOutcome ReadInstrumentMemory(ReadOutProgress* progress);

// The read-out with the progress window FrmLoading over the main window.
// True when the memory was empty or every record was written (and the clock
// was set when asked); false on every failure, with Global::UsbNotFoundFlag
// set when the instrument could not be opened. `outcome` receives the
// details when given.
bool QtmForwordData(ReadOutOutcome* outcome = nullptr);

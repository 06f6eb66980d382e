#pragma once
// The read-out of the instrument's memory into measurement files.
//
// One read-out opens the link, sends "#E2P_READ", joins every answer up to
// "#END" (idle answers dropped) into one text, cuts it into records of 1120
// or 1184 characters, decodes them, and writes each record as a read-out
// measurement file into FORWARD_DATA and again into a backup folder of its
// own under BACKUP_DATA. When a record asks for it, the instrument's clock
// is set afterwards ("#RTC_SET" and the computer's time). It blocks the
// window until it ends; a progress window shows how far the reading got.
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
    bool ok = false;       // the result of QtmForwordData
    int records = 0;       // records decoded
    int written = 0;       // distinct measurement files written to FORWARD_DATA
    int leftOut = 0;       // records whose number cannot name a file (not written)
    int sameAsEarlier = 0; // records identical to an earlier one of this read-out (written once)
    int renamed = 0;       // records moved to a later second to keep their own file
    QString backupFolder;  // the backup folder of this read-out ("" when none was made)
};

// UI text keys of the read-out.
inline constexpr int UiReadOutLabel = 171;    // label of the progress window
inline constexpr int UiReadOutLength = 569;   // the text is no whole number of records
inline constexpr int UiReadOutDone = 676;     // completion
inline constexpr int UiReadOutCapacity = 705; // FORWARD_DATA would reach 1200 files

// The most files FORWARD_DATA may hold after a read-out, plus one.
inline constexpr int ForwardFolderCapacity = 1200;

// The maximum of the progress bar for a record size: (size / 64 + 1) x 400 + 2.
int ReadOutBarMaximum(int recordSize);

// Converts the bytes of one answer into read-out text: NUL bytes dropped,
// every other byte one character of the code page (a byte that is no
// character on its own becomes U+FFFD), so that the text has as many
// characters as the answer has bytes.
QString ReadOutAnswerText(const QByteArray& bytes);

// The time text "HH:NN:SS" of `rec` one second later, turning the date
// "YY/MM/DD" when it passes midnight (a time that is no time counts as
// 00:00:00; a date that is no date stays). Used to give a record whose file
// name another record of the same read-out took a name of its own.
void StepRecordTime(MeasRecord& rec);

// The read-out (see above) with its messages. `progress` may be null.
ReadOutOutcome ReadInstrumentMemory(ReadOutProgress* progress);

// The read-out with the progress window FrmLoading over the main window.
// True when the memory was empty or every record was written (and the clock
// was set when asked); false on every failure, with Global::UsbNotFoundFlag
// set when the instrument could not be opened. `outcome` receives the
// details when given.
bool QtmForwordData(ReadOutOutcome* outcome = nullptr);

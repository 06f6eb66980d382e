#pragma once
// The write-fault harness. A saver is any procedure that writes data files
// through the write path of platform/FileIo. The harness runs it once
// whole, then once for every step of the write path it took, failing that
// step (FileIoFaults::FailAt), and again in a child process under a series
// of file-size limits, so that its writes meet a disk that is full. After
// every run it checks that
//   - the run either completed (no error box) or reported its failure (an
//     "ERROR No:" box), and a run that completed left exactly the files of
//     the whole run;
//   - every file below the saver's folder holds its old bytes, its new
//     bytes, or bytes the saver wrote whole in that run; a file moved by a
//     rename of the run is followed to its new place; nothing is lost,
//     cut off or left behind.
// A saver joins the harness with one call:
//
//   CheckWriteFaults({"UserDataSave", customerFolder,
//                     [&] { /* lay out the folder and the records */ },
//                     [&] { return UserDataSave(key, false); }});
//
// It prints one line per pass, "[write faults] <name>: ..." and
// "[full disk] <name>: ...", and keeps them in the build folder
// (write-faults/<name>.txt) for scripts/test.sh to show.
#include "platform/FileIo.h"

#include <QString>
#include <QStringList>

#include <functional>

struct Saver {
    QString name;   // shown in the summary lines
    QString folder; // every file below it is checked
    // Lays the folder and the records out as they are before the save; runs
    // before every run, in the test's own process.
    std::function<void()> arrange;
    // The saver; true when it says it did its work.
    std::function<bool()> run;
};

struct WriteFaultSummary {
    int points = 0;       // failure points (steps or file-size limits) tried
    int reported = 0;     // runs that reported their failure
    int completed = 0;    // runs that completed
    QStringList problems; // one line per damaged file or unreported failure
    QStringList reports;  // the error boxes of the runs that reported, in order
};

// Fails each step the whole run takes, one run per step.
WriteFaultSummary FailEveryWriteStep(const Saver& saver);
// Runs the saver in a child process under file-size limits from 0 bytes up
// to the size of the largest file it writes.
WriteFaultSummary RunOnFullDisk(const Saver& saver);
// Both passes, printing and keeping their summary lines; every problem is
// a test failure.
void CheckWriteFaults(const Saver& saver);

// The number (from 1) of the first step of the whole run of `saver` of kind
// `step` whose path ends with `pathEnd`; 0 when it takes none. For tests
// that fail one chosen write.
int StepNumberOf(const Saver& saver, FileIoFaults::Step step, const QString& pathEnd);

#pragma once
// Whole-file reads and writes. Every data file is written through
// WriteFileAtomic: a temporary file beside the target, flushed, then renamed
// over it, so a failure never leaves a truncated file in place of the old one.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

class QFile;

// Opens `file` on `path` for reading, or throws the classic error: 76 for a
// missing folder, 53 for a missing file, 75 for a folder, 70 for a file that
// cannot be opened.
void OpenForReading(QFile& file, const QString& path);

// The bytes of a file; nullopt when it cannot be opened or read.
std::optional<QByteArray> ReadFileBytes(const QString& path);

// Writes `bytes` as the whole content of `path`. Returns false (and leaves
// any old file untouched) when anything fails.
bool WriteFileAtomic(const QString& path, const QByteArray& bytes);

// Test seam of the write path: makes one step of the atomic writer fail, so
// that a test can fail every write of a saver in turn. Steps are counted from
// 1 over every WriteFileAtomic from the last Reset on: each write takes three
// steps, the write of the bytes, the flush to disk and the rename over the
// target.
namespace FileIoFaults {
enum class Step { Write, Flush, Rename };
// The step numbered `n` fails (0: none fails).
void FailAt(int n);
// Steps taken since the last Reset (or FailAt).
int StepsTaken();
void Reset();
} // namespace FileIoFaults

// Lines in code page 932, each followed by CR LF, written atomically.
bool WriteLinesAtomic(const QString& path, const QStringList& lines);

// The lines of a code page 932 text file (CR LF or lone CR; LF when the file
// has no CR); nullopt when it cannot be read.
std::optional<QStringList> ReadLines(const QString& path);

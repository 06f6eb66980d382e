#pragma once
// Whole-file reads and the one write path of the program. Paths are taken
// to the names on disk by DiskPath (platform/DiskNames.h), so that names
// written on Windows in code page 932 are read and written as they are. Every data file
// is written through WriteFileAtomic (or its throwing and copying forms): a
// temporary file beside the target gets every byte, the bytes are flushed
// into it (a full disk or a file-size limit shows only then), and only then
// is it renamed over the target. So a failure leaves the old file exactly
// as it was and is always reported to the caller.
//
// The folder creation and the renames of the savers live here too, so that
// the test seam below can fail them like any write.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QFile;
struct AppError;

// Opens `file` on `path` for reading, or throws the classic error: 76 for a
// missing folder, 53 for a missing file, 75 for a folder, 70 for a file that
// cannot be opened.
void OpenForReading(QFile& file, const QString& path);

// The bytes of a file; nullopt when it cannot be opened or read.
std::optional<QByteArray> ReadFileBytes(const QString& path);
// The bytes of a file, or the classic error of OpenForReading naming the
// file (a file that is there but cannot be read is an error, never an
// empty file).
QByteArray ReadFileOrThrow(const QString& path);

// Writes `bytes` as the whole content of `path`. Returns false (and leaves
// any old file untouched) when anything fails.
bool WriteFileAtomic(const QString& path, const QByteArray& bytes);
// The same; a failure throws the classic error naming the file: 61 for a
// full disk, 70 for a folder or file that may not be written, 76 for a
// missing folder, 75 for a folder in the file's place.
void WriteFileOrThrow(const QString& path, const QByteArray& bytes);
// Copies the file `source` whole to `target` through the same write path;
// the copy keeps the source's last-write time and mode. Throws the classic
// error naming the source (when it cannot be read) or the target.
void CopyFileOrThrow(const QString& source, const QString& target);

// What a plain copy of a tree did.
struct TreeCopy {
    int entries = 0; // files and folders of the source (links and other kinds not counted)
    int copied = 0;  // of them, those copied whole
    int notCopied() const { return entries - copied; }
};
// Copies the tree `source` into `destination` (made, with its missing
// parents) plainly, for a backup set, which replaces nothing and is made
// durable as a whole (SyncFileSystemOrThrow): each file and folder by its
// bytes on disk, names included, without the temporary file and flush of
// the write path. A file keeps its source's time and mode; a copy that
// fails leaves no part of its file behind. Each failure goes to `failed`
// (the classic error naming the entry) and the copy goes on; a folder that
// cannot be made counts with everything below it. `each` runs after every
// file. Links are passed over.
TreeCopy CopyTreePlainly(const QString& source, const QString& destination,
                         const std::function<void(const AppError&)>& failed, const std::function<void()>& each);
// Brings everything written on the file system of `folder` to the disk;
// the classic error naming the folder when the disk refuses.
void SyncFileSystemOrThrow(const QString& folder);

// Creates the folder `path` with every missing parent (an existing folder
// is no error). Throws the classic error naming the folder that could not
// be made: 70 when its parent may not be written, 76 when a file stands on
// its way, 58 when a file has its name.
void MakeFolderOrThrow(const QString& path);
// The same without the error: true when the folder exists afterwards.
bool MakeFolderPath(const QString& path);
// Gives the file or folder `from` the full path `to`, in the same folder or
// another of the same disk. An existing entry at `to` is never replaced
// (58 naming it); a missing `from` is 53, a missing folder of `to` 76 naming
// it; any other failure throws the classic error naming `from`.
void RenameOrThrow(const QString& from, const QString& to);
// Removes the file `path`; a missing file is 53, anything else the classic
// error naming it.
void RemoveFileOrThrow(const QString& path);
// True when both paths name one file on disk (also when they differ only
// in letter case on a file system that ignores it); false when either is
// missing.
bool SameFile(const QString& a, const QString& b);

// Test seam of the write path: makes one step of it fail, so that a test
// can fail every write of a saver in turn. Steps are counted from 1 over
// every call from the last Reset on: each write (or copy) takes three
// steps, the write of the bytes, their flush into the file and the rename
// over the target; each folder made takes one step, and so does each rename of a
// file or folder and each file removed. A plain copy takes one step, its
// write (logged with its source as `other`), and a sync of the file system
// one flush step. A failing step fails as the system would (the write
// stops half-way; a full disk for the write and the flush, an I/O error for
// the others).
namespace FileIoFaults {
enum class Step { Write, Flush, Rename, Folder, Move, Remove };
struct StepRecord {
    Step step;
    QString path;     // the file written, the folder made, the entry renamed
    QString other;    // Move: the new path; a copy's Rename and a plain copy's Write: its source
    QByteArray bytes; // Rename of a WriteFileAtomic: the bytes committed
    bool failed = false;
};
// The step numbered `n` fails (0: none fails). Starts the log of steps.
void FailAt(int n);
// Steps taken since the last Reset (or FailAt).
int StepsTaken();
// The steps taken since the last FailAt, in order (empty after Reset).
const QList<StepRecord>& Steps();
// No step fails, the count starts again and the log is dropped.
void Reset();
// "write", "flush", "rename", "folder", "move" or "remove".
QString StepName(Step step);
} // namespace FileIoFaults

// Lines in code page 932, each followed by CR LF, written atomically.
bool WriteLinesAtomic(const QString& path, const QStringList& lines);

// The lines of a code page 932 text file (CR LF or lone CR; LF when the file
// has no CR); nullopt when it cannot be read.
std::optional<QStringList> ReadLines(const QString& path);

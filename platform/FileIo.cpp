#include "platform/FileIo.h"

#include "platform/AnsiCodec.h"
#include "platform/AppError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <functional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// ---- The test seam ---------------------------------------------------------

namespace {

struct FaultState {
    int failAt = 0;
    int taken = 0;
    bool logging = false;
    QList<FileIoFaults::StepRecord> log;
};

FaultState& faults()
{
    static FaultState state;
    return state;
}

// Takes the next step of the write path; true when it is to fail.
bool stepFails(FileIoFaults::Step step, const QString& path, const QString& other = QString())
{
    FaultState& s = faults();
    ++s.taken;
    const bool fail = s.failAt != 0 && s.taken == s.failAt;
    if (s.logging)
        s.log.append({step, path, other, QByteArray(), fail});
    return fail;
}

// The last step taken failed after all (the system refused it), or, for a
// rename of written bytes, went through with `bytes`.
void noteLastStep(bool failed, const QByteArray& bytes = QByteArray())
{
    FaultState& s = faults();
    if (!s.logging || s.log.isEmpty())
        return;
    s.log.last().failed = s.log.last().failed || failed;
    if (!failed)
        s.log.last().bytes = bytes;
}

} // namespace

void FileIoFaults::FailAt(int n)
{
    FaultState& s = faults();
    s.failAt = n;
    s.taken = 0;
    s.logging = true;
    s.log.clear();
}

int FileIoFaults::StepsTaken()
{
    return faults().taken;
}

const QList<FileIoFaults::StepRecord>& FileIoFaults::Steps()
{
    return faults().log;
}

void FileIoFaults::Reset()
{
    FailAt(0);
    faults().logging = false;
    faults().log.clear();
}

QString FileIoFaults::StepName(Step step)
{
    switch (step) {
    case Step::Write: return QStringLiteral("write");
    case Step::Flush: return QStringLiteral("flush");
    case Step::Rename: return QStringLiteral("rename");
    case Step::Folder: return QStringLiteral("folder");
    case Step::Move: return QStringLiteral("move");
    case Step::Remove: return QStringLiteral("remove");
    }
    return QString();
}

// ---- Reading ---------------------------------------------------------------

namespace {

QByteArray nativePath(const QString& path)
{
    return QFile::encodeName(path);
}

// The classic number of a file that cannot be opened for reading.
int readFailure(const QString& path)
{
    const QFileInfo fi(path);
    if (!fi.exists())
        return fi.absoluteDir().exists() ? 53 : 76;
    if (fi.isDir())
        return 75;
    return 70;
}

} // namespace

void OpenForReading(QFile& file, const QString& path)
{
    file.setFileName(path);
    const QFileInfo fi(path);
    if (!fi.exists() || fi.isDir() || !file.open(QIODevice::ReadOnly))
        throw AppError(readFailure(path));
}

std::optional<QByteArray> ReadFileBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray data = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return std::nullopt;
    return data;
}

QByteArray ReadFileOrThrow(const QString& path)
{
    QFile f(path);
    const QFileInfo fi(path);
    if (!fi.exists() || fi.isDir() || !f.open(QIODevice::ReadOnly))
        throw FileError(readFailure(path), path);
    QByteArray data = f.readAll();
    if (f.error() != QFileDevice::NoError)
        throw FileError(57, path);
    return data;
}

// ---- Writing ---------------------------------------------------------------

namespace {

// Why a file could not be created in its folder or renamed over its old
// self, from the state of both looked at afterwards (0 when they show no
// reason): Qt may refuse before any system call, so its errno can be stale.
int probeWriteFailure(const QString& path)
{
    const QFileInfo target(path);
    const QFileInfo folder(target.absolutePath());
    if (!folder.exists())
        return ENOENT;
    if (!folder.isDir())
        return ENOTDIR;
    if (target.isDir())
        return EISDIR;
    if (::access(nativePath(folder.absoluteFilePath()).constData(), W_OK | X_OK) != 0)
        return errno;
    if (target.exists() && !(target.permissions() & QFileDevice::WriteOwner))
        return EACCES;
    return 0;
}

// Hands `size` bytes to the file: the system's error code, 0 when taken.
// Qt may keep them in its buffer until the flush.
int put(QSaveFile& f, const char* data, qint64 size)
{
    errno = 0;
    if (f.write(data, size) == size)
        return 0;
    return errno != 0 ? errno : EIO;
}

// Fills an open temporary file: the system's error code, 0 when done. With
// `halfWay` it stops part of the way through, as a disk filling up would.
using Body = std::function<int(QSaveFile& f, bool halfWay)>;
// Runs on the filled and flushed temporary file before it is renamed.
using Finish = std::function<int(int fd)>;

// The write path: a temporary file beside `path` gets its content from
// `body`, is flushed and renamed over `path`. Returns the system's error
// code of the step that failed (the temporary file is then removed and any
// old file is untouched), 0 when the file was replaced. `logged` and
// `source` only describe the write in the seam's log.
int writeWhole(const QString& path, const Body& body, const Finish& beforeCommit, const QByteArray& logged,
               const QString& source)
{
    using FileIoFaults::Step;
    QSaveFile f(path);
    errno = 0;
    if (!f.open(QIODevice::WriteOnly)) {
        const int err = errno;
        const int probed = probeWriteFailure(path);
        return probed != 0 ? probed : (err != 0 ? err : EIO);
    }
    if (stepFails(Step::Write, path)) {
        body(f, true);
        f.cancelWriting();
        return ENOSPC;
    }
    if (const int err = body(f, false)) {
        noteLastStep(true);
        f.cancelWriting();
        return err;
    }
    // Qt keeps the bytes in its buffer: a full disk shows only when they
    // reach the file.
    if (stepFails(Step::Flush, path)) {
        f.cancelWriting();
        return ENOSPC;
    }
    errno = 0;
    if (!f.flush()) {
        const int err = errno;
        noteLastStep(true);
        f.cancelWriting();
        return err != 0 ? err : EIO;
    }
    if (beforeCommit) {
        if (const int err = beforeCommit(f.handle())) {
            f.cancelWriting();
            return err;
        }
    }
    if (stepFails(Step::Rename, path, source)) {
        f.cancelWriting();
        return EIO;
    }
    errno = 0;
    if (!f.commit()) {
        const int err = errno;
        noteLastStep(true);
        const int probed = probeWriteFailure(path);
        return probed != 0 ? probed : (err != 0 ? err : EIO);
    }
    noteLastStep(false, logged);
    return 0;
}

int writeBytes(const QString& path, const QByteArray& bytes)
{
    return writeWhole(
        path,
        [&](QSaveFile& f, bool halfWay) {
            return put(f, bytes.constData(), halfWay ? bytes.size() / 2 : bytes.size());
        },
        Finish(), bytes, QString());
}

} // namespace

bool WriteFileAtomic(const QString& path, const QByteArray& bytes)
{
    return writeBytes(path, bytes) == 0;
}

namespace {

// The error of a failed write of `path`: a missing folder is named itself.
AppError writeError(int err, const QString& path)
{
    if (err == ENOENT || err == ENOTDIR)
        return FileSystemError(err, QFileInfo(path).absolutePath());
    return FileSystemError(err, path);
}

} // namespace

void WriteFileOrThrow(const QString& path, const QByteArray& bytes)
{
    if (const int err = writeBytes(path, bytes))
        throw writeError(err, path);
}

void CopyFileOrThrow(const QString& source, const QString& target)
{
    const QByteArray from = nativePath(source);
    int in = -1;
    do
        in = ::open(from.constData(), O_RDONLY | O_CLOEXEC);
    while (in < 0 && errno == EINTR);
    if (in < 0) {
        const int err = errno;
        throw err == ENOENT ? FileError(readFailure(source), source) : FileSystemError(err, source);
    }
    struct stat st {};
    if (::fstat(in, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(in);
        throw FileError(75, source);
    }
    bool readFailed = false;
    const int err = writeWhole(
        target,
        [&](QSaveFile& f, bool halfWay) {
            char buf[64 * 1024];
            for (bool first = true;; first = false) {
                if (halfWay && !first)
                    return ENOSPC;
                const ssize_t n = ::read(in, buf, sizeof buf);
                if (n < 0) {
                    if (errno == EINTR)
                        continue;
                    readFailed = true;
                    return errno;
                }
                if (n == 0)
                    return 0;
                if (const int e = put(f, buf, n))
                    return e;
            }
        },
        [&](int fd) {
            // As the shell's copy does: the copy keeps the time the source
            // was last written, and its mode.
            const struct timespec times[2] = {{0, UTIME_OMIT}, st.st_mtim};
            if (::futimens(fd, times) != 0 || ::fchmod(fd, st.st_mode & 07777) != 0)
                return errno;
            return 0;
        },
        QByteArray(), source);
    ::close(in);
    if (err != 0)
        throw readFailed ? FileSystemError(err, source) : writeError(err, target);
}

// ---- Folders and renames ---------------------------------------------------

void MakeFolderOrThrow(const QString& path)
{
    if (path.isEmpty() || path.contains(QChar(0)))
        throw FileError(52, path);
    const QString full = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    // The folders to make, the outermost last.
    QStringList missing;
    QString at = full;
    for (;;) {
        const QFileInfo fi(at);
        if (fi.exists()) {
            if (!fi.isDir())
                throw FileSystemError(at == full ? EEXIST : ENOTDIR, at);
            break;
        }
        missing.append(at);
        const QString parent = fi.absolutePath();
        if (parent == at)
            break;
        at = parent;
    }
    for (qsizetype i = missing.size() - 1; i >= 0; --i) {
        const QString& folder = missing.at(i);
        if (stepFails(FileIoFaults::Step::Folder, folder))
            throw FileSystemError(EIO, folder);
        if (::mkdir(nativePath(folder).constData(), 0777) != 0) {
            const int err = errno;
            if (err == EEXIST && QFileInfo(folder).isDir())
                continue;
            noteLastStep(true);
            throw FileSystemError(err, folder);
        }
    }
}

bool MakeFolderPath(const QString& path)
{
    try {
        MakeFolderOrThrow(path);
    } catch (const AppError&) {
        return false;
    }
    return true;
}

void RenameOrThrow(const QString& from, const QString& to)
{
    const QFileInfo target(to);
    if (target.exists() || target.isSymLink())
        throw FileError(58, to);
    if (stepFails(FileIoFaults::Step::Move, from, to))
        throw FileSystemError(EIO, from);
    if (::rename(nativePath(from).constData(), nativePath(to).constData()) != 0) {
        const int err = errno;
        noteLastStep(true);
        if (err == ENOENT) {
            const QFileInfo source(from);
            if (!source.exists() && !source.isSymLink() && source.absoluteDir().exists())
                throw FileError(53, from);
            if (!QFileInfo(target.absolutePath()).isDir())
                throw FileError(76, target.absolutePath());
        }
        throw FileSystemError(err, from);
    }
}

void RemoveFileOrThrow(const QString& path)
{
    const QFileInfo fi(path);
    if (!fi.exists() && !fi.isSymLink())
        throw FileError(fi.absoluteDir().exists() ? 53 : 76, path);
    if (fi.isDir())
        throw FileError(75, path);
    if (stepFails(FileIoFaults::Step::Remove, path))
        throw FileSystemError(EIO, path);
    if (::unlink(nativePath(path).constData()) != 0) {
        const int err = errno;
        noteLastStep(true);
        throw FileSystemError(err, path);
    }
}

bool SameFile(const QString& a, const QString& b)
{
    struct stat sa {};
    struct stat sb {};
    if (::stat(nativePath(a).constData(), &sa) != 0 || ::stat(nativePath(b).constData(), &sb) != 0)
        return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// ---- Lines -----------------------------------------------------------------

bool WriteLinesAtomic(const QString& path, const QStringList& lines)
{
    return WriteFileAtomic(path, AnsiCodec::joinLines(lines));
}

std::optional<QStringList> ReadLines(const QString& path)
{
    auto bytes = ReadFileBytes(path);
    if (!bytes)
        return std::nullopt;
    return AnsiCodec::splitLines(*bytes);
}

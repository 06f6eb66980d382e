#include "platform/FileIo.h"

#include "platform/AnsiCodec.h"
#include "platform/AppError.h"
#include "platform/DiskNames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <cerrno>
#include <cstdlib>
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
    return DiskPath(path);
}

// The folder part of a path on disk ("." for a bare name).
QByteArray folderOf(const QByteArray& raw)
{
    const qsizetype slash = raw.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    if (slash == 0)
        return QByteArrayLiteral("/");
    return raw.left(slash);
}

bool statRaw(const QByteArray& raw, struct stat& st, bool follow = true)
{
    return (follow ? ::stat(raw.constData(), &st) : ::lstat(raw.constData(), &st)) == 0;
}

bool isFolderRaw(const QByteArray& raw)
{
    struct stat st;
    return statRaw(raw, st) && S_ISDIR(st.st_mode);
}

// The classic number of a file that cannot be opened for reading.
int readFailure(const QByteArray& raw)
{
    struct stat st;
    if (!statRaw(raw, st))
        return isFolderRaw(folderOf(raw)) ? 53 : 76;
    if (S_ISDIR(st.st_mode))
        return 75;
    return 70;
}

// Opens the file `path` for reading: the descriptor, or -1 with the
// classic number in `failure`.
int openForReading(const QString& path, int& failure, qint64* size = nullptr)
{
    const int fd = TryDiskPathAt(AT_FDCWD, path, [](const QByteArray& raw) {
        int f = -1;
        do
            f = ::open(raw.constData(), O_RDONLY | O_CLOEXEC);
        while (f < 0 && errno == EINTR);
        return f;
    });
    struct stat st {};
    if (fd >= 0 && ::fstat(fd, &st) == 0 && !S_ISDIR(st.st_mode)) {
        if (size)
            *size = S_ISREG(st.st_mode) ? qint64(st.st_size) : 0;
        return fd;
    }
    if (fd >= 0)
        ::close(fd);
    failure = readFailure(nativePath(path));
    return -1;
}

// Every byte of an open file (`size` expected); nullopt when a read
// fails. Closes `fd`.
std::optional<QByteArray> readAllAndClose(int fd, qint64 size)
{
    // Read straight into the result: a file that grew meanwhile is read
    // whole all the same.
    QByteArray bytes;
    bytes.resize(qsizetype(size > 0 ? size : 0) + 1);
    qsizetype have = 0;
    for (;;) {
        if (have == bytes.size())
            bytes.resize(bytes.size() * 2 + 4096);
        const ssize_t n = ::read(fd, bytes.data() + have, size_t(bytes.size() - have));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0)
            break;
        have += n;
    }
    ::close(fd);
    bytes.resize(have);
    return bytes;
}

} // namespace

void OpenForReading(QFile& file, const QString& path)
{
    int failure = 0;
    const int fd = openForReading(path, failure);
    if (fd < 0)
        throw AppError(failure);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw AppError(70);
    }
}

std::optional<QByteArray> ReadFileBytes(const QString& path)
{
    int failure = 0;
    qint64 size = 0;
    const int fd = openForReading(path, failure, &size);
    if (fd < 0)
        return std::nullopt;
    return readAllAndClose(fd, size);
}

QByteArray ReadFileOrThrow(const QString& path)
{
    int failure = 0;
    qint64 size = 0;
    const int fd = openForReading(path, failure, &size);
    if (fd < 0)
        throw FileError(failure, path);
    std::optional<QByteArray> data = readAllAndClose(fd, size);
    if (!data)
        throw FileError(57, path);
    return *std::move(data);
}

// ---- Writing ---------------------------------------------------------------

namespace {

// Why a file could not be created in its folder or renamed over its old
// self, from the state of both looked at afterwards (0 when they show no
// reason).
int probeWriteFailure(const QByteArray& raw)
{
    const QByteArray folder = folderOf(raw);
    struct stat st;
    if (!statRaw(folder, st))
        return ENOENT;
    if (!S_ISDIR(st.st_mode))
        return ENOTDIR;
    const bool there = statRaw(raw, st);
    if (there && S_ISDIR(st.st_mode))
        return EISDIR;
    if (::access(folder.constData(), W_OK | X_OK) != 0)
        return errno;
    if (there && !(st.st_mode & S_IWUSR))
        return EACCES;
    return 0;
}

// Hands `size` bytes to the file: the system's error code, 0 when taken.
int put(int fd, const char* data, qint64 size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return EIO;
        data += n;
        size -= n;
    }
    return 0;
}

// Fills an open temporary file: the system's error code, 0 when done. With
// `halfWay` it stops part of the way through, as a disk filling up would.
using Body = std::function<int(int fd, bool halfWay)>;
// Runs on the filled and flushed temporary file before it is renamed.
using Finish = std::function<int(int fd)>;

// The file a write replaces: a link is written through to the file it
// leads to, as an editor saves through it.
QByteArray writeTarget(const QString& path)
{
    QByteArray raw = nativePath(path);
    struct stat st;
    if (statRaw(raw, st, false) && S_ISLNK(st.st_mode)) {
        if (char* real = ::realpath(raw.constData(), nullptr)) {
            raw = QByteArray(real);
            ::free(real);
        }
    }
    return raw;
}

// A new temporary file beside the target, in the open folder `dirFd`:
// its descriptor (name in `name`), or -1 with errno set.
int makeTemporary(int dirFd, const QByteArray& leaf, mode_t mode, QByteArray& name)
{
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = leaf + '.' + QByteArray::number(unsigned(::getpid()), 36) + '.' +
               QByteArray::number(counter.fetch_add(1) + unsigned(attempt) * 7919u, 36);
        const int fd = ::openat(dirFd, name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

// The write path: a temporary file beside `path` gets its content from
// `body`, is flushed to the disk and renamed over `path`. Returns the
// system's error code of the step that failed (the temporary file is then
// removed and any old file is untouched), 0 when the file was replaced.
// `logged` and `source` only describe the write in the seam's log.
int writeWhole(const QString& path, const Body& body, const Finish& beforeCommit, const QByteArray& logged,
               const QString& source)
{
    using FileIoFaults::Step;
    const QByteArray raw = writeTarget(path);
    const QByteArray folder = folderOf(raw);
    const QByteArray leaf = raw.mid(raw.lastIndexOf('/') + 1);
    struct stat old {};
    const bool replacing = statRaw(raw, old);
    if (replacing && S_ISDIR(old.st_mode))
        return EISDIR;
    // A file that may not be written is not replaced either.
    if (replacing && ::access(raw.constData(), W_OK) != 0)
        return errno == ENOENT ? EACCES : errno;
    const int dirFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0) {
        const int err = errno;
        const int probed = probeWriteFailure(raw);
        return probed != 0 ? probed : (err != 0 ? err : EIO);
    }
    QByteArray temporary;
    const int fd = makeTemporary(dirFd, leaf, replacing ? 0600 : 0666, temporary);
    if (fd < 0) {
        const int err = errno;
        ::close(dirFd);
        const int probed = probeWriteFailure(raw);
        return probed != 0 ? probed : (err != 0 ? err : EIO);
    }
    const auto drop = [&](int err) {
        ::close(fd);
        ::unlinkat(dirFd, temporary.constData(), 0);
        ::close(dirFd);
        return err;
    };
    if (stepFails(Step::Write, path)) {
        body(fd, true);
        return drop(ENOSPC);
    }
    if (const int err = body(fd, false)) {
        noteLastStep(true);
        return drop(err);
    }
    // The bytes reach the disk before the name changes: a full disk on a
    // file system that allocates late shows here.
    if (stepFails(Step::Flush, path))
        return drop(ENOSPC);
    if (::fdatasync(fd) != 0 && errno != EINVAL) {
        const int err = errno;
        noteLastStep(true);
        return drop(err);
    }
    // The new file keeps the old one's mode.
    if (replacing && ::fchmod(fd, old.st_mode & 07777) != 0)
        return drop(errno);
    if (beforeCommit) {
        if (const int err = beforeCommit(fd))
            return drop(err);
    }
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlinkat(dirFd, temporary.constData(), 0);
        ::close(dirFd);
        return err;
    }
    const auto dropClosed = [&](int err) {
        ::unlinkat(dirFd, temporary.constData(), 0);
        ::close(dirFd);
        return err;
    };
    if (stepFails(Step::Rename, path, source))
        return dropClosed(EIO);
    if (::renameat(dirFd, temporary.constData(), dirFd, leaf.constData()) != 0) {
        const int err = errno;
        noteLastStep(true);
        dropClosed(err);
        const int probed = probeWriteFailure(raw);
        return probed != 0 ? probed : (err != 0 ? err : EIO);
    }
    ::close(dirFd);
    noteLastStep(false, logged);
    return 0;
}

int writeBytes(const QString& path, const QByteArray& bytes)
{
    return writeWhole(
        path,
        [&](int fd, bool halfWay) { return put(fd, bytes.constData(), halfWay ? bytes.size() / 2 : bytes.size()); },
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

// Opens `source` for a copy: its descriptor and status, or the classic
// error naming it.
int openSource(const QString& source, struct stat& st)
{
    const QByteArray from = nativePath(source);
    int in = -1;
    do
        in = ::open(from.constData(), O_RDONLY | O_CLOEXEC);
    while (in < 0 && errno == EINTR);
    if (in < 0) {
        const int err = errno;
        throw err == ENOENT ? FileError(readFailure(from), source) : FileSystemError(err, source);
    }
    if (::fstat(in, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(in);
        throw FileError(75, source);
    }
    return in;
}

// Copies what is left of `in` into `out` (halfWay: one buffer, then a full
// disk). `readFailed` tells a failure of the source from one of the copy.
int copyBytes(int in, int out, bool halfWay, bool& readFailed)
{
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
        if (const int e = put(out, buf, n))
            return e;
    }
}

// As the shell's copy does: the copy keeps the time the source was last
// written, and its mode.
int keepTimeAndMode(int fd, const struct stat& st)
{
    const struct timespec times[2] = {{0, UTIME_OMIT}, st.st_mtim};
    if (::futimens(fd, times) != 0 || ::fchmod(fd, st.st_mode & 07777) != 0)
        return errno;
    return 0;
}

} // namespace

void WriteFileOrThrow(const QString& path, const QByteArray& bytes)
{
    if (const int err = writeBytes(path, bytes))
        throw writeError(err, path);
}

void CopyFileOrThrow(const QString& source, const QString& target)
{
    struct stat st {};
    const int in = openSource(source, st);
    bool readFailed = false;
    const int err = writeWhole(
        target, [&](int out, bool halfWay) { return copyBytes(in, out, halfWay, readFailed); },
        [&](int fd) { return keepTimeAndMode(fd, st); }, QByteArray(), source);
    ::close(in);
    if (err != 0)
        throw readFailed ? FileSystemError(err, source) : writeError(err, target);
}

namespace {

// A descriptor closed on every way out.
struct Fd {
    int fd = -1;
    explicit Fd(int f) : fd(f) {}
    ~Fd()
    {
        if (fd >= 0)
            ::close(fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
};

int openFolderAt(int dirFd, const QByteArray& name)
{
    return ::openat(dirFd, name.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

// A plain copy of a tree, folder by open folder and name by name on disk,
// so that each step costs what the system's own copy costs.
struct PlainTree {
    const std::function<void(const AppError&)>& failed;
    const std::function<void()>& each;
    TreeCopy counts;

    // The files and folders below an open folder (links and other kinds
    // are not copied, and not counted).
    int countBelow(int dirFd)
    {
        int n = 0;
        for (const DiskEntry& e : ListFolderAt(dirFd, QString(), false).entries) {
            if (e.link || (e.kind != DiskKind::File && e.kind != DiskKind::Folder))
                continue;
            ++n;
            if (e.kind == DiskKind::Folder) {
                const Fd sub(openFolderAt(dirFd, e.raw));
                if (sub.fd >= 0)
                    n += countBelow(sub.fd);
            }
        }
        return n;
    }

    void file(int fromDir, int toDir, const DiskEntry& e, const QString& fromPath, const QString& toPath)
    {
        using FileIoFaults::Step;
        const Fd in(::openat(fromDir, e.raw.constData(), O_RDONLY | O_CLOEXEC));
        struct stat st {};
        if (in.fd < 0 || ::fstat(in.fd, &st) != 0)
            throw FileSystemError(errno, fromPath);
        Fd out(::openat(toDir, e.raw.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (out.fd < 0)
            throw writeError(errno, toPath);
        bool readFailed = false;
        int err = 0;
        if (stepFails(Step::Write, toPath, fromPath)) {
            copyBytes(in.fd, out.fd, true, readFailed);
            readFailed = false;
            err = ENOSPC;
        } else if ((err = copyBytes(in.fd, out.fd, false, readFailed)) != 0) {
            noteLastStep(true);
        } else {
            err = keepTimeAndMode(out.fd, st);
        }
        const int closed = ::close(out.fd);
        out.fd = -1;
        if (closed != 0 && err == 0)
            err = errno;
        if (err != 0) {
            // No part of a file is left in the set.
            ::unlinkat(toDir, e.raw.constData(), 0);
            throw readFailed ? FileSystemError(err, fromPath) : writeError(err, toPath);
        }
    }

    void folder(int fromDir, int toDir, const QString& fromPath, const QString& toPath)
    {
        for (const DiskEntry& e : ListFolderAt(fromDir, fromPath, false).entries) {
            if (e.link || (e.kind != DiskKind::File && e.kind != DiskKind::Folder))
                continue;
            ++counts.entries;
            const QString from = fromPath + u'/' + e.exact;
            const QString to = toPath + u'/' + e.exact;
            if (e.kind == DiskKind::File) {
                try {
                    file(fromDir, toDir, e, from, to);
                    ++counts.copied;
                } catch (const AppError& error) {
                    failed(error);
                }
                if (each)
                    each();
                continue;
            }
            const Fd source(openFolderAt(fromDir, e.raw));
            int err = source.fd < 0 ? errno : 0;
            if (err == 0 && stepFails(FileIoFaults::Step::Folder, to))
                err = EIO;
            else if (err == 0 && ::mkdirat(toDir, e.raw.constData(), 0777) != 0) {
                err = errno;
                noteLastStep(true);
            }
            const Fd target(err == 0 ? openFolderAt(toDir, e.raw) : -1);
            if (err == 0 && target.fd < 0)
                err = errno;
            if (err != 0) {
                failed(source.fd < 0 ? FileSystemError(err, from) : FileSystemError(err, to));
                if (source.fd >= 0)
                    counts.entries += countBelow(source.fd);
                continue;
            }
            ++counts.copied;
            folder(source.fd, target.fd, from, to);
        }
    }
};

} // namespace

TreeCopy CopyTreePlainly(const QString& source, const QString& destination,
                         const std::function<void(const AppError&)>& failed, const std::function<void()>& each)
{
    PlainTree copy{failed, each, {}};
    const Fd from(::open(nativePath(source).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (from.fd < 0) {
        failed(FileSystemError(errno, source));
        return copy.counts;
    }
    try {
        MakeFolderOrThrow(destination);
    } catch (const AppError& error) {
        failed(error);
        copy.counts.entries = copy.countBelow(from.fd);
        return copy.counts;
    }
    const Fd to(::open(nativePath(destination).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (to.fd < 0) {
        failed(FileSystemError(errno, destination));
        copy.counts.entries = copy.countBelow(from.fd);
        return copy.counts;
    }
    copy.folder(from.fd, to.fd, source, destination);
    return copy.counts;
}

void SyncFileSystemOrThrow(const QString& folder)
{
    const QByteArray raw = nativePath(folder);
    if (stepFails(FileIoFaults::Step::Flush, folder))
        throw FileSystemError(EIO, folder);
    const int fd = ::open(raw.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        throw FileSystemError(errno, folder);
    if (::syncfs(fd) != 0) {
        const int err = errno;
        ::close(fd);
        noteLastStep(true);
        throw FileSystemError(err, folder);
    }
    ::close(fd);
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
        const DiskKind kind = KindOf(at);
        if (kind != DiskKind::Missing) {
            if (kind != DiskKind::Folder)
                throw FileSystemError(at == full ? EEXIST : ENOTDIR, at);
            break;
        }
        missing.append(at);
        const QString parent = QFileInfo(at).absolutePath();
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
            if (err == EEXIST && KindOf(folder) == DiskKind::Folder)
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
    const QByteArray target = nativePath(to);
    struct stat st;
    if (statRaw(target, st, false))
        throw FileError(58, to);
    if (stepFails(FileIoFaults::Step::Move, from, to))
        throw FileSystemError(EIO, from);
    const QByteArray source = nativePath(from);
    if (::rename(source.constData(), target.constData()) != 0) {
        const int err = errno;
        noteLastStep(true);
        if (err == ENOENT) {
            if (!statRaw(source, st, false) && isFolderRaw(folderOf(source)))
                throw FileError(53, from);
            if (!isFolderRaw(folderOf(target)))
                throw FileError(76, QFileInfo(to).absolutePath());
        }
        throw FileSystemError(err, from);
    }
}

void RemoveFileOrThrow(const QString& path)
{
    const QByteArray raw = nativePath(path);
    struct stat st;
    if (!statRaw(raw, st, false))
        throw FileError(isFolderRaw(folderOf(raw)) ? 53 : 76, path);
    if (S_ISDIR(st.st_mode))
        throw FileError(75, path);
    if (stepFails(FileIoFaults::Step::Remove, path))
        throw FileSystemError(EIO, path);
    if (::unlink(raw.constData()) != 0) {
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

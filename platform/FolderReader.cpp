#include "platform/FolderReader.h"

#include "platform/DiskNames.h"

#include <cerrno>
#include <limits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

FolderReader::FolderReader(const QString& folder)
{
    fd = ::open(DiskPath(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

FolderReader::~FolderReader()
{
    if (fd >= 0)
        ::close(fd);
}

QStringList FolderReader::subfolders(QList<QByteArray>* notShown) const
{
    return entries(true, notShown);
}

QStringList FolderReader::files(QList<QByteArray>* notShown) const
{
    return entries(false, notShown);
}

QStringList FolderReader::entries(bool folders, QList<QByteArray>* notShown) const
{
    QStringList names;
    if (fd < 0)
        return names;
    const FolderListing listing = ListFolderAt(fd, QString(), false);
    const DiskKind wanted = folders ? DiskKind::Folder : DiskKind::File;
    for (const DiskEntry& e : listing.entries)
        if (e.shown && e.kind == wanted)
            names << e.name;
    if (notShown)
        *notShown = listing.notShown;
    return names;
}

bool FolderReader::isFile(const QString& relative) const
{
    struct stat st;
    return fd >= 0 &&
           TryDiskPathAt(fd, relative, [&](const QByteArray& raw) { return ::fstatat(fd, raw.constData(), &st, 0); }) ==
               0 &&
           S_ISREG(st.st_mode);
}

std::optional<QByteArray> FolderReader::read(const QString& relative) const
{
    QByteArray bytes;
    if (readAtMost(relative, std::numeric_limits<qint64>::max(), bytes) != ReadOutcome::Read)
        return std::nullopt;
    return bytes;
}

FolderReader::ReadOutcome FolderReader::readAtMost(const QString& relative, qint64 limit, QByteArray& bytes) const
{
    // Emptied, keeping its room: a caller reading many files in turn into
    // one array allocates once.
    bytes.resize(0);
    if (fd < 0)
        return ReadOutcome::Failed;
    const int file = TryDiskPathAt(
        fd, relative, [&](const QByteArray& raw) { return ::openat(fd, raw.constData(), O_RDONLY | O_CLOEXEC); });
    if (file < 0)
        return ReadOutcome::Failed;
    // Small files (the most) come whole in the first read and are copied
    // once; no status call is needed to size them.
    char buffer[16384];
    ReadOutcome outcome = ReadOutcome::Read;
    for (;;) {
        const ssize_t n = ::read(file, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            outcome = ReadOutcome::Failed;
            break;
        }
        if (n == 0)
            break;
        if (qint64(bytes.size()) + n > limit) {
            outcome = ReadOutcome::TooLarge;
            break;
        }
        bytes.append(buffer, n);
    }
    ::close(file);
    if (outcome != ReadOutcome::Read)
        bytes.resize(0);
    return outcome;
}

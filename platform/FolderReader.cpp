#include "platform/FolderReader.h"

#include "platform/DiskNames.h"

#include <cerrno>
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
    QStringList names;
    if (fd < 0)
        return names;
    const FolderListing listing = ListFolderAt(fd, QString(), false);
    for (const DiskEntry& e : listing.entries)
        if (e.shown && e.isRealFolder())
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
    if (fd < 0)
        return std::nullopt;
    const int file = TryDiskPathAt(
        fd, relative, [&](const QByteArray& raw) { return ::openat(fd, raw.constData(), O_RDONLY | O_CLOEXEC); });
    if (file < 0)
        return std::nullopt;
    QByteArray bytes;
    char buffer[8192];
    for (;;) {
        const ssize_t n = ::read(file, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ::close(file);
            return std::nullopt;
        }
        if (n == 0)
            break;
        bytes.append(buffer, n);
    }
    ::close(file);
    return bytes;
}

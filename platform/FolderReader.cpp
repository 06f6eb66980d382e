#include "platform/FolderReader.h"

#include <QFile>

#include <cerrno>
#include <limits>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

FolderReader::FolderReader(const QString& folder)
{
    fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

FolderReader::~FolderReader()
{
    if (fd >= 0)
        ::close(fd);
}

QStringList FolderReader::subfolders() const
{
    return entries(true);
}

QStringList FolderReader::files() const
{
    return entries(false);
}

QStringList FolderReader::entries(bool folders) const
{
    QStringList names;
    if (fd < 0)
        return names;
    const int listing = ::dup(fd);
    if (listing < 0)
        return names;
    DIR* dir = ::fdopendir(listing);
    if (!dir) {
        ::close(listing);
        return names;
    }
    ::rewinddir(dir);
    const unsigned char wanted = folders ? DT_DIR : DT_REG;
    while (const dirent* e = ::readdir(dir)) {
        const char* name = e->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        bool match = e->d_type == wanted;
        if (e->d_type == DT_UNKNOWN) {
            // File systems that do not give the type in the listing.
            struct stat st;
            match = ::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                    (folders ? S_ISDIR(st.st_mode) : S_ISREG(st.st_mode));
        }
        if (match)
            names << QFile::decodeName(name);
    }
    ::closedir(dir);
    return names;
}

bool FolderReader::isFile(const QString& relative) const
{
    struct stat st;
    return fd >= 0 && ::fstatat(fd, QFile::encodeName(relative).constData(), &st, 0) == 0 && S_ISREG(st.st_mode);
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
    const int file = ::openat(fd, QFile::encodeName(relative).constData(), O_RDONLY | O_CLOEXEC);
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

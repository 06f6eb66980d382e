#include "platform/FolderReader.h"

#include <QFile>

#include <cerrno>
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
    while (const dirent* e = ::readdir(dir)) {
        const char* name = e->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        bool folder = e->d_type == DT_DIR;
        if (e->d_type == DT_UNKNOWN) {
            // File systems that do not give the type in the listing.
            struct stat st;
            folder = ::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
        }
        if (folder)
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
    if (fd < 0)
        return std::nullopt;
    const int file = ::openat(fd, QFile::encodeName(relative).constData(), O_RDONLY | O_CLOEXEC);
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

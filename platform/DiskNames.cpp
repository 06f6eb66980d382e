#include "platform/DiskNames.h"

#include "platform/AnsiCodec.h"

#include <QSet>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool isAscii(const QByteArray& bytes)
{
    for (const char c : bytes)
        if ((unsigned char)c >= 0x80)
            return false;
    return true;
}

bool exists(int dirFd, const QByteArray& raw)
{
    struct stat st;
    return ::fstatat(dirFd, raw.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

// The code page 932 bytes of a name, when they stand for exactly that name.
std::optional<QByteArray> ansiForm(const QString& name)
{
    const QByteArray bytes = AnsiCodec::encode(name);
    if (AnsiCodec::decode(bytes) != name)
        return std::nullopt;
    return bytes;
}

constexpr char16_t kExactBase = 0xDC00;

bool isExactByte(QChar c)
{
    return c.unicode() >= kExactBase + 0x80 && c.unicode() <= kExactBase + 0xFF;
}

// The bytes of a name given as its exact text.
QByteArray exactBytes(const QString& name)
{
    QByteArray out;
    out.reserve(name.size());
    for (const QChar c : name)
        out += isExactByte(c) ? char(c.unicode() - kExactBase) : char(c.unicode());
    return out;
}

QByteArray resolve(int dirFd, const QString& path)
{
    // The common case costs nothing: ASCII names are the same bytes in both
    // forms, and a UTF-8 name that exists is taken as it is.
    const bool exact = std::any_of(path.begin(), path.end(), isExactByte);
    const QByteArray utf8 = path.toUtf8();
    if (!exact && (isAscii(utf8) || exists(dirFd, utf8)))
        return utf8;
    QByteArray out;
    bool found = true; // every name so far exists
    const QStringList parts = path.split(u'/');
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i > 0)
            out += '/';
        const QString& part = parts.at(i);
        const QByteArray plain = part.toUtf8();
        if (exact && std::any_of(part.begin(), part.end(), isExactByte)) {
            out += exactBytes(part);
        } else if (!found || isAscii(plain)) {
            out += plain;
        } else {
            const qsizetype before = out.size();
            out += plain;
            if (!exists(dirFd, out)) {
                const auto ansi = ansiForm(part);
                out.truncate(before);
                out += ansi && exists(dirFd, out + *ansi) ? *ansi : plain;
            }
        }
        if (found && !part.isEmpty() && part != u"." && part != u"..")
            found = exists(dirFd, out);
    }
    return out;
}

DiskKind kindOfMode(mode_t mode)
{
    if (S_ISREG(mode))
        return DiskKind::File;
    if (S_ISDIR(mode))
        return DiskKind::Folder;
    return DiskKind::Other;
}

// The shown text of a name; `ansi` tells whether it came from code page 932.
std::optional<QString> shownName(const QByteArray& raw, bool* ansi)
{
    if (ansi)
        *ansi = false;
    if (isAscii(raw))
        return QString::fromLatin1(raw);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(raw);
    if (!utf8.hasError())
        return text;
    text = AnsiCodec::decode(raw);
    if (text.contains(QChar::ReplacementCharacter) || AnsiCodec::encode(text) != raw)
        return std::nullopt;
    if (ansi)
        *ansi = true;
    return text;
}

} // namespace

QByteArray DiskPath(const QString& path)
{
    return resolve(AT_FDCWD, path);
}

QByteArray DiskPathAt(int dirFd, const QString& relative)
{
    return resolve(dirFd, relative);
}

int TryDiskPathAt(int dirFd, const QString& path, const std::function<int(const QByteArray& raw)>& attempt)
{
    if (!std::any_of(path.begin(), path.end(), isExactByte)) {
        const QByteArray utf8 = path.toUtf8();
        const int result = attempt(utf8);
        if (result >= 0 || errno != ENOENT || isAscii(utf8))
            return result;
    }
    return attempt(resolve(dirFd, path));
}

std::optional<QString> ShownName(const QByteArray& raw)
{
    return shownName(raw, nullptr);
}

QString ExactName(const QByteArray& raw)
{
    if (isAscii(raw))
        return QString::fromLatin1(raw);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(raw);
    if (!utf8.hasError())
        return text;
    QString out;
    out.reserve(raw.size());
    for (const char c : raw) {
        const auto b = (unsigned char)c;
        out += b < 0x80 ? QChar(b) : QChar(char16_t(kExactBase + b));
    }
    return out;
}

QString EscapedName(const QByteArray& raw)
{
    QString out;
    for (const char c : raw) {
        const auto b = (unsigned char)c;
        if (b >= 0x20 && b < 0x7F)
            out += QChar(b);
        else
            out += QStringLiteral("\\x%1").arg(b, 2, 16, QChar(u'0')).toUpper().replace(u'X', u'x');
    }
    return out;
}

DiskKind KindOf(const QString& path, bool followLinks)
{
    struct stat st;
    const QByteArray raw = DiskPath(path);
    const int r = followLinks ? ::stat(raw.constData(), &st) : ::lstat(raw.constData(), &st);
    return r == 0 ? kindOfMode(st.st_mode) : DiskKind::Missing;
}

bool IsLink(const QString& path)
{
    struct stat st;
    return ::lstat(DiskPath(path).constData(), &st) == 0 && S_ISLNK(st.st_mode);
}

FolderListing ListFolderAt(int dirFd, const QString& shownFolder, bool withTargets)
{
    FolderListing listing;
    listing.folder = shownFolder;
    const int listingFd = dirFd >= 0 ? ::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC) : -1;
    if (listingFd < 0)
        return listing;
    DIR* dir = ::fdopendir(listingFd);
    if (!dir) {
        ::close(listingFd);
        return listing;
    }
    listing.opened = true;
    QList<qsizetype> ansiNamed; // entries shown from code page 932
    while (const dirent* e = ::readdir(dir)) {
        const char* name = e->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        const QByteArray raw(name);
        bool ansi = false;
        const std::optional<QString> shown = shownName(raw, &ansi);
        const QString exact = ExactName(raw);
        DiskEntry entry{shown.value_or(exact), exact, raw, shown.has_value()};
        if (!shown)
            listing.notShown.append(raw);
        switch (e->d_type) {
        case DT_REG: entry.kind = DiskKind::File; break;
        case DT_DIR: entry.kind = DiskKind::Folder; break;
        case DT_LNK: entry.link = true; break;
        case DT_UNKNOWN: {
            // File systems that do not give the type in the listing.
            struct stat st;
            if (::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
                entry.kind = kindOfMode(st.st_mode);
                entry.link = S_ISLNK(st.st_mode);
            }
            break;
        }
        default: break;
        }
        entry.target = entry.kind;
        if (entry.link && withTargets) {
            struct stat st;
            entry.target = ::fstatat(dirFd, name, &st, 0) == 0 ? kindOfMode(st.st_mode) : DiskKind::Missing;
        }
        if (ansi)
            ansiNamed.append(listing.entries.size());
        listing.entries.append(entry);
    }
    ::closedir(dir);
    // A code page 932 name that reads as a UTF-8 name beside it cannot be
    // reached by its shown name (the UTF-8 one is): it is not shown.
    if (!ansiNamed.isEmpty()) {
        QSet<QString> utf8Names;
        for (qsizetype i = 0; i < listing.entries.size(); ++i)
            if (!ansiNamed.contains(i) && listing.entries.at(i).shown)
                utf8Names.insert(listing.entries.at(i).name);
        for (const qsizetype i : std::as_const(ansiNamed)) {
            DiskEntry& e = listing.entries[i];
            if (utf8Names.contains(e.name)) {
                listing.notShown.append(e.raw);
                e.shown = false;
                e.name = e.exact;
            }
        }
    }
    return listing;
}

FolderListing ListFolder(const QString& folder, bool withTargets)
{
    const int fd = ::open(DiskPath(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    FolderListing listing = ListFolderAt(fd, folder, withTargets);
    if (fd >= 0)
        ::close(fd);
    return listing;
}

#include "common/FileHelpers.h"

#include "common/AppGlobals.h"
#include "common/FrmMessWindow.h"
#include "platform/AppError.h"
#include "platform/AppPaths.h"
#include "platform/Dialogs.h"
#include "platform/EndProgram.h"
#include "platform/FileIo.h"
#include "platform/NumText.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <QCoreApplication>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Paths this long are never looked up: the program keeps full paths below it.
constexpr qsizetype kMaxPath = 256;

bool tooLongOrEmpty(const QString& path)
{
    return path.isEmpty() || path.size() >= kMaxPath;
}

QString chopOneSlash(const QString& path)
{
    QString p = path;
    if (p.endsWith(u'/'))
        p.chop(1);
    return p;
}

// A NUL cannot be part of a name on this system: the classic "bad file name".
void checkName(const QString& path)
{
    if (path.contains(QChar(0)))
        throw AppError(52);
}

// The read-only attribute of the Windows file system is the owner's write
// bit here; it is read from the mode so that it holds for root as well.
bool isReadOnly(const QString& path)
{
    struct stat st;
    return ::stat(DiskPath(path).constData(), &st) == 0 && !(st.st_mode & S_IWUSR);
}

bool nameLess(const QString& a, const QString& b)
{
    const int c = QString::compare(a, b, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a < b;
}

// Every entry of `folder`, shown or not, in the order a user sees them.
QList<DiskEntry> sortedEntries(const QString& folder, bool withTargets = false)
{
    QList<DiskEntry> entries = ListFolder(folder, withTargets).entries;
    std::sort(entries.begin(), entries.end(),
              [](const DiskEntry& a, const DiskEntry& b) { return nameLess(a.name, b.name); });
    return entries;
}

void removeTree(const QString& folder)
{
    // Every entry goes, whatever bytes its name holds.
    for (const DiskEntry& e : sortedEntries(folder)) {
        const QString p = folder + u'/' + e.exact;
        const QByteArray raw = DiskPath(p);
        if (e.link) {
            // A link is removed as a link; what it points to stays untouched.
            if (::unlink(raw.constData()) != 0)
                throw FileSystemError(errno, p);
        } else if (e.kind == DiskKind::Folder) {
            removeTree(p);
        } else {
            if (isReadOnly(p))
                throw FileError(70, p);
            if (::unlink(raw.constData()) != 0)
                throw FileSystemError(errno, p);
        }
    }
    if (::rmdir(DiskPath(folder).constData()) != 0)
        throw FileSystemError(errno, folder);
}

// Copies one file; `mode` says what happens to a file of that name
// already in the destination.
void copyFile(const QString& src, const QString& dst, ExistingFiles mode)
{
    const DiskKind target = KindOf(dst, false);
    if (target != DiskKind::Missing) {
        if (mode == ExistingFiles::Keep)
            return;
        if (mode == ExistingFiles::Refuse || KindOf(dst) == DiskKind::Folder)
            throw FileError(58, dst);
        if (isReadOnly(dst))
            throw FileError(70, dst);
    }
    // Through the one write path: an interrupted copy never leaves a
    // truncated file behind, and the copy keeps the source's time and mode.
    CopyFileOrThrow(src, dst);
}

void copyTree(const QString& src, const QString& dst, ExistingFiles mode, const CopyPassOver& passOver,
              const QString& relative)
{
    const DiskKind d = KindOf(dst);
    if (d != DiskKind::Missing && d != DiskKind::Folder)
        throw FileError(58, dst);
    if (d == DiskKind::Missing)
        MakeFolderOrThrow(dst);
    // By the names' exact texts, so that every name is copied byte for byte.
    for (const DiskEntry& e : sortedEntries(src)) {
        // A link is never followed, to a folder (it may loop) or to a file
        // (it may lie anywhere): only what the tree itself holds is copied.
        if (e.link)
            continue;
        const QString below = relative.isEmpty() ? e.name : relative + u'/' + e.name;
        if (passOver && passOver(below, e.kind == DiskKind::Folder))
            continue;
        const QString from = src + u'/' + e.exact;
        const QString to = dst + u'/' + e.exact;
        if (e.kind == DiskKind::Folder) {
            // Nor is a linked folder inside the destination written through.
            if (IsLink(to))
                throw FileError(58, to);
            copyTree(from, to, mode, passOver, below);
        } else if (e.kind == DiskKind::File) {
            copyFile(from, to, mode);
            // A large tree takes a while: the windows repaint meanwhile
            // when the copy is long work (a backup, an import).
            LongWork::Pump();
        }
    }
}

bool isRoot(const QString& path)
{
    char* real = ::realpath(DiskPath(path).constData(), nullptr);
    const bool root = real && std::strcmp(real, "/") == 0;
    ::free(real);
    return root;
}

QString two(int v)
{
    return NumText::Format(v, QStringLiteral("00"));
}

// One count of the line counter; throws AppError 70 when the file exists but
// cannot be read.
std::int32_t countLineFeeds(const QString& path)
{
    if (path.isEmpty())
        throw AppError(52);
    checkName(path);
    // Counting needs no write access: the file is only read.
    QFile f;
    OpenForReading(f, path);
    std::int64_t feeds = 0;
    char buf[64 * 1024];
    for (;;) {
        const qint64 n = f.read(buf, sizeof buf);
        if (n < 0)
            throw AppError(70);
        if (n == 0)
            break;
        for (qint64 i = 0; i < n; ++i)
            if (buf[i] == '\n')
                ++feeds;
    }
    if (feeds >= 0x7FFFFFFF)
        throw AppError(6);
    return std::int32_t(feeds + 1);
}

} // namespace

QString FileCheck(const QString& path)
{
    QString result;
    try {
        if (tooLongOrEmpty(path))
            return QString();
        checkName(path);
        const QString name = QFileInfo(path).fileName();
        // Hidden files are dot-files here; like a missing file they give no name.
        if (!name.startsWith(u'.') && KindOf(path) == DiskKind::File)
            result = name;
    } catch (const AppError& e) {
        if (e.number != 52)
            ShowErrorReport(QStringLiteral("FileCheck"), e);
        return QString();
    }
    return result;
}

QString FolderCheck(const QString& path)
{
    QString result;
    try {
        if (tooLongOrEmpty(path))
            return QString();
        checkName(path);
        QString p = path;
        if (!p.endsWith(u'/'))
            p += u'/';
        if (KindOf(p) == DiskKind::Folder) {
            const QString clean = QDir::cleanPath(p);
            result = QFileInfo(clean).fileName();
            if (result.isEmpty())
                result = clean; // the root folder names itself
        }
    } catch (const AppError& e) {
        if (e.number != 52)
            ShowErrorReport(QStringLiteral("FileCheck"), e);
        return QString();
    }
    return result;
}

bool MakeFolder(const QString& path)
{
    // A path too long to be looked up is not created either, so that a False
    // answer never leaves folders behind.
    if (tooLongOrEmpty(path) || path.contains(QChar(0)))
        return false;
    MakeFolderPath(path);
    return !FolderCheck(path).isEmpty();
}

int DlFol(const QString& path)
{
    try {
        checkName(path);
        const QString p = chopOneSlash(path);
        // An emptied path would name the root; never delete that, however the
        // path is written ("//", "/tmp/..", ...).
        if (p.isEmpty())
            throw AppError(76);
        if (KindOf(p) != DiskKind::Folder || IsLink(p) || isRoot(p))
            throw FileError(76, p);
        removeTree(p);
        return 0;
    } catch (...) {
        const AppError e = ToAppError(std::current_exception());
        ShowErrorReport(QStringLiteral("DlFol"), e);
        return e.number;
    }
}

bool PathIsInside(const QString& path, const QString& folder)
{
    if (path.isEmpty() || folder.isEmpty())
        return false;
    // Each side by its real place, so that a link on the way is seen.
    const QString to = AppPaths::resolvedPath(path);
    const QString root = AppPaths::resolvedPath(folder);
    return to == root || to.startsWith(root == u"/" ? root : root + u'/');
}

bool FolCopy(const QString& source, const QString& destination, bool overwrite)
{
    return CopyFolderTree(source, destination, overwrite ? ExistingFiles::Replace : ExistingFiles::Refuse);
}

bool CopyFolderTree(const QString& source, const QString& destination, ExistingFiles mode,
                    const CopyPassOver& passOver)
{
    return Guarded(QStringLiteral("FolCopy"), [&] {
        checkName(source);
        checkName(destination);
        const QString src = chopOneSlash(source);
        const QString dst = chopOneSlash(destination);
        if (src.isEmpty() || dst.isEmpty())
            throw AppError(76);
        if (KindOf(src) != DiskKind::Folder)
            throw FileError(76, src);
        // Copying a folder into itself would never end. The destination is
        // compared by its real place, so that a link on its way is seen.
        if (PathIsInside(dst, src))
            throw AppError(5);
        const QString parent = QFileInfo(dst).absolutePath();
        if (KindOf(parent) != DiskKind::Folder)
            throw FileError(76, parent);
        copyTree(src, dst, mode, passOver, QString());
    });
}

TreeCopy CopyTreePlainly(const QString& source, const QString& destination)
{
    // The first failure is reported; the copy goes on, and counts the rest.
    bool reported = false;
    return CopyTreePlainly(
        source, destination,
        [&](const AppError& e) {
            if (!reported)
                ShowErrorReport(QStringLiteral("FolCopy"), e);
            reported = true;
        },
        [] { LongWork::Pump(); });
}

bool WildcardMatch(const QString& name, const QString& pattern)
{
    // The width of the character at `i` (a surrogate pair is one character).
    const auto width = [](const QString& s, qsizetype i) {
        return i + 1 < s.size() && s[i].isHighSurrogate() && s[i + 1].isLowSurrogate() ? 2 : 1;
    };
    const auto same = [&](qsizetype n, qsizetype p) {
        const qsizetype w = width(name, n);
        return w == width(pattern, p) &&
               QStringView(name).mid(n, w).compare(QStringView(pattern).mid(p, w), Qt::CaseInsensitive) == 0;
    };
    // One point to come back to after a "*" is enough.
    qsizetype n = 0, p = 0, starP = -1, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] != u'*' && (pattern[p] == u'?' || same(n, p))) {
            const bool any = pattern[p] == u'?';
            p += any ? 1 : width(pattern, p);
            n += width(name, n);
        } else if (p < pattern.size() && pattern[p] == u'*') {
            starP = p++;
            starN = n;
        } else if (starP >= 0) {
            p = starP + 1;
            starN += width(name, starN);
            n = starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

QStringList ListFolderNames(const QString& folder, ListedKind kind, const QString& pattern, bool report)
{
    const FolderListing listing = ListFolder(folder, kind == ListedKind::FilesOrLinks);
    QStringList names;
    for (const DiskEntry& e : listing.entries) {
        // Hidden entries (dot-names) are in no list.
        if (!e.shown || e.name.startsWith(u'.'))
            continue;
        bool wanted = false;
        switch (kind) {
        case ListedKind::Folders: wanted = !e.link && e.kind == DiskKind::Folder; break;
        case ListedKind::Files: wanted = !e.link && e.kind == DiskKind::File; break;
        case ListedKind::FilesOrLinks: wanted = e.isFile(); break;
        }
        if (wanted && (pattern.isEmpty() || WildcardMatch(e.name, pattern)))
            names << e.name;
    }
    std::sort(names.begin(), names.end(), nameLess);
    if (report)
        ReportNamesNotShown(listing);
    return names;
}

void ReportNamesNotShown(const FolderListing& listing)
{
    if (listing.notShown.isEmpty())
        return;
    // A long list is cut: the folder is named, the user looks there.
    constexpr qsizetype kNamesShown = 20;
    QStringList names;
    for (qsizetype i = 0; i < listing.notShown.size() && i < kNamesShown; ++i)
        names << EscapedName(listing.notShown.at(i));
    if (listing.notShown.size() > kNamesShown)
        names << QStringLiteral("...");
    const QString text = Global::UiText.value(947) + QStringLiteral("\r\n\r\n") + listing.folder +
                         QStringLiteral("\r\n\r\n") + names.join(QStringLiteral("\r\n"));
    const auto show = [text] { MsgBox(text, vbOKOnly | vbExclamation); };
    QCoreApplication* app = QCoreApplication::instance();
    if (app && QThread::currentThread() != app->thread())
        QMetaObject::invokeMethod(app, show, Qt::QueuedConnection);
    else
        show();
}

std::int32_t GetFileLine(const QString& path)
{
    for (;;) {
        try {
            return countLineFeeds(path);
        } catch (const ProgramEnded&) {
            throw;
        } catch (...) {
            const AppError e = ToAppError(std::current_exception());
            if (e.number != 70) {
                ShowErrorReport(QStringLiteral("GetFileLine"), e);
                return 0;
            }
        }
        // The file is in use or cannot be read: ask until the user gives up.
        if (MsgBox(Global::UiText.value(775), vbRetryCancel | vbQuestion, QStringLiteral("GetFileLine")) !=
            vbRetry)
            EndProgramNow();
    }
}

QString GetFileStamp(const QString& path)
{
    if (path.isEmpty() || path.contains(QChar(0)))
        return QString();
    QFileInfo fi(path);
    if (!fi.exists())
        return QString();
    const QDateTime utc = fi.lastModified().toUTC();
    if (!utc.isValid())
        return QString();
    const QDate d = utc.date();
    const QTime t = utc.time();
    // The hour is moved to Japan's time without carrying into the date: the
    // stamps of firmware files are compared as texts in this layout.
    return NumText::Str(d.year()) + u'/' + two(d.month()) + u'/' + two(d.day()) + u' ' + two(t.hour() + 9) +
           u':' + two(t.minute()) + u':' + two(t.second());
}

int FileCount(const QString& folder)
{
    // Every entry that is no folder, whatever bytes its name holds.
    const QList<DiskEntry> entries = ListFolder(folder).entries;
    return int(std::count_if(entries.begin(), entries.end(),
                             [](const DiskEntry& e) { return e.target != DiskKind::Folder; }));
}

bool SubFolderExists(const QString& folder, const QString& name)
{
    checkName(folder);
    QFileInfo fi(folder);
    if (!fi.isDir())
        throw AppError(76);
    if (!fi.isReadable())
        throw AppError(70);
    const QStringList names = QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QString& n : names)
        if (n.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

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

#include <cerrno>

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
    return !(QFile::permissions(path) & QFileDevice::WriteOwner);
}

const QDir::Filters kAllEntries = QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System;

void removeTree(const QString& folder)
{
    QDir dir(folder);
    const QFileInfoList entries = dir.entryInfoList(kAllEntries, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& e : entries) {
        const QString p = e.absoluteFilePath();
        if (e.isSymLink()) {
            // A link is removed as a link; what it points to stays untouched.
            if (::unlink(QFile::encodeName(p).constData()) != 0)
                throw FileSystemError(errno, p);
        } else if (e.isDir()) {
            removeTree(p);
        } else {
            if (isReadOnly(p))
                throw FileError(70, p);
            if (::unlink(QFile::encodeName(p).constData()) != 0)
                throw FileSystemError(errno, p);
        }
    }
    if (::rmdir(QFile::encodeName(folder).constData()) != 0)
        throw FileSystemError(errno, folder);
}

// Copies one file; `mode` says what happens to a file of that name
// already in the destination.
void copyFile(const QString& src, const QString& dst, ExistingFiles mode)
{
    QFileInfo target(dst);
    if (target.exists() || target.isSymLink()) {
        if (mode == ExistingFiles::Keep)
            return;
        if (mode == ExistingFiles::Refuse || target.isDir())
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
    QFileInfo d(dst);
    if (d.exists() && !d.isDir())
        throw FileError(58, dst);
    if (!d.exists())
        MakeFolderOrThrow(dst);
    const QFileInfoList entries = QDir(src).entryInfoList(kAllEntries, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& e : entries) {
        // A link is never followed, to a folder (it may loop) or to a file
        // (it may lie anywhere): only what the tree itself holds is copied.
        if (e.isSymLink())
            continue;
        const QString below = relative.isEmpty() ? e.fileName() : relative + u'/' + e.fileName();
        if (passOver && passOver(below, e.isDir()))
            continue;
        const QString to = dst + u'/' + e.fileName();
        if (e.isDir()) {
            // Nor is a linked folder inside the destination written through.
            if (QFileInfo(to).isSymLink())
                throw FileError(58, to);
            copyTree(e.absoluteFilePath(), to, mode, passOver, below);
        } else if (e.isFile()) {
            copyFile(e.absoluteFilePath(), to, mode);
            // A large tree takes a while: the windows repaint meanwhile
            // when the copy is long work (a backup, an import).
            LongWork::Pump();
        }
    }
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
        QFileInfo fi(path);
        // Hidden files are dot-files here; like a missing file they give no name.
        if (fi.isFile() && !fi.fileName().startsWith(u'.'))
            result = fi.fileName();
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
        QFileInfo fi(p);
        if (fi.isDir()) {
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
        QFileInfo fi(p);
        // An emptied path would name the root; never delete that, however the
        // path is written ("//", "/tmp/..", ...).
        if (p.isEmpty())
            throw AppError(76);
        if (!fi.isDir() || fi.isSymLink() || fi.canonicalFilePath() == u"/")
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
        QFileInfo s(src);
        if (src.isEmpty() || dst.isEmpty())
            throw AppError(76);
        if (!s.isDir())
            throw FileError(76, src);
        // Copying a folder into itself would never end. The destination is
        // compared by its real place, so that a link on its way is seen.
        if (PathIsInside(dst, src))
            throw AppError(5);
        const QString parent = QFileInfo(dst).absolutePath();
        if (!QFileInfo(parent).isDir())
            throw FileError(76, parent);
        copyTree(src, dst, mode, passOver, QString());
    });
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
    return int(QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System).size());
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

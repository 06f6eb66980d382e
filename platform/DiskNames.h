#pragma once
// The names of files and folders as the disk holds them and as the program
// shows them. The program keeps every path as text; the disk keeps bytes.
// A name is shown as UTF-8 when its bytes are UTF-8, else decoded from code
// page 932 (a data folder copied byte for byte from a Windows machine),
// and a shown path is taken back to the bytes on disk by DiskPath. A name
// that decodes in neither (or whose code page 932 text would be taken back
// to other bytes) is not shown: listings give it as a name not shown, for
// the caller to report.
//
// Copies that must keep every name byte for byte (the backup, the import)
// use a name's exact text instead: the shown text where the name is UTF-8,
// else its ASCII bytes as they are and every other byte b as the lone
// surrogate U+DC00 + b, which no UTF-8 name can hold. DiskPath takes such a
// name back to exactly its bytes, whether it exists or is to be made.
//
// Every open, status call, listing, creation, rename and removal of a path
// of the data folder goes through DiskPath (FileIo, FolderReader and the
// listings below); Qt's own file classes encode names as UTF-8 only and
// cannot reach the others.
#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

// The bytes on disk of the path `path`: its UTF-8 form when that exists or
// when the path is ASCII; otherwise each name along it in the form that
// exists there (UTF-8 first, then code page 932), names that exist in
// neither form (to be created) in UTF-8; an exact name, its bytes.
QByteArray DiskPath(const QString& path);
// The same for a path relative to the open folder `dirFd`.
QByteArray DiskPathAt(int dirFd, const QString& relative);

// Runs `attempt` (a system call giving -1 and errno on failure) with the
// bytes of `path` on disk: first its UTF-8 form, and only when that names
// nothing and the path is not ASCII, once more with DiskPathAt's. For calls
// made by the thousand, so that the common case costs no status call more.
int TryDiskPathAt(int dirFd, const QString& path, const std::function<int(const QByteArray& raw)>& attempt);

// The shown text of a name's bytes, or nullopt when it decodes in neither
// form (or would not be taken back to the same bytes).
std::optional<QString> ShownName(const QByteArray& raw);
// A name not shown, for a message: its ASCII as is, other bytes as \xNN.
QString EscapedName(const QByteArray& raw);
// The exact text of a name's bytes (see above).
QString ExactName(const QByteArray& raw);

enum class DiskKind { Missing, File, Folder, Other };
// What `path` is, links followed (a dangling link is Missing) or, with
// `followLinks` false, a link being Other.
DiskKind KindOf(const QString& path, bool followLinks = true);
// True when `path` is a symbolic link (dangling or not).
bool IsLink(const QString& path);

struct DiskEntry {
    QString name;   // as shown (for a name not shown, its exact text)
    QString exact;  // the exact text, for paths that must keep the bytes
    QByteArray raw; // as on disk
    bool shown = true;
    // The entry itself; a link is Other here, and `target` says what it
    // leads to (Missing for a dangling link).
    DiskKind kind = DiskKind::Other;
    bool link = false;
    DiskKind target = DiskKind::Other;
    bool isFile() const { return target == DiskKind::File; } // links to files count
    bool isRealFolder() const { return kind == DiskKind::Folder; }
};

struct FolderListing {
    QString folder;
    bool opened = false;       // false: the folder could not be opened
    QList<DiskEntry> entries;   // every entry ("." and ".." left out), shown or not
    QList<QByteArray> notShown; // the names that cannot be shown, as on disk
};
// Every entry of `folder`, in the order the system gives them (sort them
// before showing). With `withTargets`, links are followed to tell what
// they lead to; otherwise `target` is the entry's own kind.
FolderListing ListFolder(const QString& folder, bool withTargets = true);
// The same for a folder already open (the descriptor stays open).
FolderListing ListFolderAt(int dirFd, const QString& shownFolder, bool withTargets = true);

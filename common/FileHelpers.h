#pragma once
// File and folder helpers every subsystem uses. They take full paths, keep
// nothing open between calls and report their own failures, so that callers
// only look at the result.
#include "platform/DiskNames.h"
#include "platform/FileIo.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

// The file's own name as the folder lists it, or empty: for an empty path,
// a path of 256 or more characters, a folder, a hidden file or nothing.
QString FileCheck(const QString& path);
// The folder's own name, or empty (same rules; a trailing "/" is accepted).
QString FolderCheck(const QString& path);
// Creates the folder with every missing parent; true when it exists after.
bool MakeFolder(const QString& path);
// Deletes a folder tree; 0 when deleted, else the error number (70, 76, ...)
// after the standard error report titled "DlFol".
int DlFol(const QString& path);
// What a folder copy does with a file that the destination has already.
enum class ExistingFiles {
    Refuse,  // the copy stops there with the report (58)
    Replace, // the file is replaced whole
    Keep,    // the destination's file stays, the source's is passed over
};
// Copies a folder tree into `destination` (created or merged into); an
// existing file is replaced only with `overwrite`, else the copy stops with
// the report titled "FolCopy". Links inside the tree are never followed.
// Names are copied byte for byte, whatever they hold. True when the whole
// tree was copied.
bool FolCopy(const QString& source, const QString& destination, bool overwrite);
// An entry of a copied tree by its path below the source ("/" between
// names) and whether it is a folder; true when the copy passes it over
// (with a folder, everything in it).
using CopyPassOver = std::function<bool(const QString& relative, bool folder)>;
// The same with the choice of what happens to existing files, and of
// entries not to copy.
bool CopyFolderTree(const QString& source, const QString& destination, ExistingFiles mode,
                    const CopyPassOver& passOver = {});
// The plain copy of a tree of platform/FileIo (for the backup): its first
// failure is reported titled "FolCopy", the copy goes on with the next
// entry, and the windows repaint meanwhile.
TreeCopy CopyTreePlainly(const QString& source, const QString& destination);
// True when `path` (existing or not) is `folder` or lies below it, each
// taken at its real place (links on the way resolved).
bool PathIsInside(const QString& path, const QString& folder);
// One more than the number of line feeds in the file (1 for an empty file);
// 0 after the report for a missing file.
std::int32_t GetFileLine(const QString& path);
// "yyyy/MM/dd HH:mm:ss" of the file's last write, the hour being the UTC
// hour plus nine without carry into the date (09 to 32); empty when missing.
QString GetFileStamp(const QString& path);
// The number of files of any name in `folder` (hidden ones too); 0 when
// the folder is missing.
int FileCount(const QString& folder);
// True when `folder` has a direct subfolder named `name` (any letter case).
// A missing folder throws AppError to the caller.
bool SubFolderExists(const QString& folder, const QString& name);

// What a folder listing keeps.
enum class ListedKind {
    Folders,      // real folders (links to folders passed over)
    Files,        // regular files (links passed over)
    FilesOrLinks, // regular files and links to regular files
};
// The names of `folder`'s entries of that kind, hidden ones (dot-names)
// left out, sorted by name without regard to case; with `pattern`, only
// names matching that wildcard ("?" one character, "*" any; letter case
// ignored). Whatever bytes a name holds it is listed (see
// platform/DiskNames.h); names that cannot be shown are reported once,
// naming the folder (ReportNamesNotShown), unless
// `report` is false (a look-up of one name, not a list).
QStringList ListFolderNames(const QString& folder, ListedKind kind, const QString& pattern = QString(),
                            bool report = true);
// True when `name` matches the wildcard `pattern` ("?" exactly one
// character, "*" any run; letter case ignored).
bool WildcardMatch(const QString& name, const QString& pattern);
// Tells the user once that names of `listing.folder` cannot be shown and
// are left out, naming them; nothing when every name could be shown. Safe
// from any thread (the box is shown on the main thread).
void ReportNamesNotShown(const FolderListing& listing);

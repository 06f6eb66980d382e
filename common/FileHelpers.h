#pragma once
// File and folder helpers every subsystem uses. They take full paths, keep
// nothing open between calls and report their own failures, so that callers
// only look at the result.
#include <QString>

#include <cstdint>

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
// Copies a folder tree into `destination` (created or merged into); an
// existing file is replaced only with `overwrite`, else the copy stops with
// the report titled "FolCopy".
void FolCopy(const QString& source, const QString& destination, bool overwrite);
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

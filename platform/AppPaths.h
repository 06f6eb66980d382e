#pragma once
// Where the program's folders lie on this system. Every place that would be a
// fixed Windows path is answered here, and tests can point each elsewhere.
#include <QString>

namespace Global {
// Overrides for tests; empty means the system's own answer.
inline QString ProgramFolderOverride;
inline QString DriveCRootOverride;
inline QString HomeOverride;
inline QString RuntimeFolderOverride;
} // namespace Global

namespace AppPaths {

// The folder of the executable (no trailing separator).
QString programFolder();
// The language folder beside the executable, with a trailing "/": the
// folder named LANGUAGE in any letter case (the exact name first), else
// "LANGUAGE/", which may not exist yet.
QString languageFolder();
// Where the root of drive C lies: firmware files are looked up here.
QString driveCRoot();
// The user's home folder.
QString home();
// The default data folder (the Windows program's C:\SOLAR_DATA\Heliodex).
QString defaultDataFolder();
// Folder for the single-instance lock.
QString runtimeFolder();
// True for the system folders a data folder may never be: "/", "/bin",
// "/boot", "/dev", "/etc", "/lib", "/proc", "/sbin", "/sys", "/usr" and
// every folder below them, whether named as written or reached through a
// link (such as /lib64 on a system whose /lib64 leads into /usr). A
// relative path is taken from the current folder.
bool isRefusedSystemFolder(const QString& path);
// Where `path` (existing or not) really lies: absolute and cleaned, the
// nearest existing folder on its way resolved through its links, the rest
// as written.
QString resolvedPath(const QString& path);
// The user's login name.
QString loginUserName();
// The name of `fileName` in `folder` as the folder lists it, matched without
// regard to case; empty when there is none.
QString findCaseInsensitive(const QString& folder, const QString& fileName);

} // namespace AppPaths

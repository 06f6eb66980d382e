#pragma once
// The program's version, shown in the main window's title and the splash.
inline constexpr int AppVersionMajor = 8;
inline constexpr int AppVersionMinor = 8;
inline constexpr int AppVersionRevision = 3;

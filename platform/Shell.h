#pragma once
// Opening documents, folders and web pages with the desktop's programs.
#include <QString>

#include <functional>

namespace Global {
// When set, receives every target instead of the desktop (tests).
inline std::function<void(const QString&)> ShellOpenOverride;
} // namespace Global

// Asks the desktop to open `target` (a file, a folder or a web address);
// returns whether the request was taken. Never waits for the program.
bool ShellOpen(const QString& target);

#pragma once
// Opening documents, folders, pictures and web pages with the desktop's
// programs. Every open of the program goes through ShellOpen: it starts the
// desktop opener (xdg-open), waits a short while for its exit status, and
// reports a failure in plain words -- what could not be opened and why (no
// opener installed, the opener could not be started, or it failed with its
// exit status). An opener still running when the wait ends has started its
// program: that is an open, and the opener goes on by itself.
#include <QString>

#include <functional>

namespace Global {
// When set, receives every target instead of the desktop (tests).
inline std::function<void(const QString&)> ShellOpenOverride;
// The opener to start: a program name looked up on PATH, or a path; empty
// means "xdg-open" (tests give a stand-in).
inline QString ShellOpenerOverride;
// How long an open waits for the opener's exit status.
inline int ShellOpenWaitMs = 3000;
} // namespace Global

// The opener's program name ("xdg-open" unless overridden).
QString DesktopOpenerName();

// What became of one request to the desktop opener.
struct DesktopOpenResult {
    enum Outcome {
        Opened,     // the opener exited with 0, or is still running after the wait
        NoOpener,   // no such program
        NotStarted, // it exists but could not be started (code: the system's error number)
        Failed,     // it exited with a non-zero status (code)
        Killed,     // it ended by a signal (code)
    };
    Outcome outcome = Opened;
    int code = 0;
};

// Starts the opener with `target` (an existing file or folder is given by
// its absolute path, anything else as written) and waits for it up to
// Global::ShellOpenWaitMs. Shows nothing.
DesktopOpenResult RunDesktopOpener(const QString& target);

// The plain words of a failure: "<target>" could not be opened, and why.
QString DesktopOpenFailureText(const QString& target, const DesktopOpenResult& result);

// Asks the desktop to open `target` (a file, a folder or a web address).
// A failure is shown in an exclamation box (DesktopOpenFailureText).
// Returns whether it opened.
bool ShellOpen(const QString& target);

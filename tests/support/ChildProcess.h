#pragma once
// Runs a piece of a test in a child process (fork), where the process may
// be given what a test must not give itself: a file-size limit, so that
// every write beyond it fails as on a full disk, or an ordinary user's
// rights, so that a folder without write permission refuses a root test
// too. The child shares the test's memory as it was at the fork and sends
// back a text.
#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

struct ChildLimits {
    // Files may grow to this many bytes (RLIMIT_FSIZE); a write beyond it
    // fails with EFBIG. nullopt: no limit.
    std::optional<qint64> fileSizeLimit;
    // Run as the unprivileged user "nobody" when the test runs as root.
    bool asOrdinaryUser = false;
};

struct ChildResult {
    bool exited = false;  // ended by _exit, not by a signal
    int exitCode = -1;    // the body's result
    int signal = 0;       // the signal that ended it, when not exited
    QByteArray output;    // what the body handed to `send`
};

// A child still running after this long is ended by SIGALRM.
constexpr unsigned ChildTimeLimitSeconds = 60;

// Runs `body` in a child process under `limits`. `body` gets a function to
// send text to the parent, and its result is the child's exit code (an
// exception gives 250). Threads of Qt's pool are ended first, so that the
// child holds no lock another thread held.
ChildResult RunInChild(const ChildLimits& limits,
                       const std::function<int(const std::function<void(const QByteArray&)>& send)>& body);

// True when the test runs as root (permissions alone refuse it nothing).
bool RunningAsRoot();
// Opens `path` and every folder above it for reading and entering by
// anyone, so that a child running as an ordinary user can reach it.
void OpenPathToEveryone(const QString& path);

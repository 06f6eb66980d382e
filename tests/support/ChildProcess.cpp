#include "support/ChildProcess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThreadPool>

#include <cerrno>
#include <csignal>
#include <cstdio>

#include <grp.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr uid_t NobodyId = 65534;

void writeAllTo(int fd, const QByteArray& bytes)
{
    const char* p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        p += n;
        left -= n;
    }
}

// A thread still on its way out at the fork may hold a lock of the C library
// or of the sanitizers, which the child would then wait on forever: wait
// (briefly) until this process is down to its one thread.
void waitForOneThread()
{
    for (int i = 0; i < 200; ++i) {
        const QStringList tasks = QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        if (tasks.size() <= 1)
            return;
        ::usleep(10'000);
    }
}

} // namespace

ChildResult RunInChild(const ChildLimits& limits,
                       const std::function<int(const std::function<void(const QByteArray&)>& send)>& body)
{
    ChildResult result;
    QThreadPool::globalInstance()->waitForDone();
    waitForOneThread();
    std::fflush(nullptr);
    int fds[2];
    if (::pipe(fds) != 0)
        return result;
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return result;
    }
    if (pid == 0) {
        ::close(fds[0]);
        int code = 250;
        // A child that hangs ends instead of holding the test until its
        // time runs out; the caller sees SIGALRM.
        ::alarm(ChildTimeLimitSeconds);
        try {
            if (limits.fileSizeLimit) {
                // A write past the limit fails with EFBIG instead of ending
                // the process.
                std::signal(SIGXFSZ, SIG_IGN);
                const rlimit r{rlim_t(*limits.fileSizeLimit), RLIM_INFINITY};
                if (::setrlimit(RLIMIT_FSIZE, &r) != 0)
                    ::_exit(251);
            }
            if (limits.asOrdinaryUser && ::geteuid() == 0) {
                if (::setgroups(0, nullptr) != 0 || ::setgid(NobodyId) != 0 || ::setuid(NobodyId) != 0)
                    ::_exit(252);
            }
            code = body([&](const QByteArray& bytes) { writeAllTo(fds[1], bytes); });
        } catch (...) {
            code = 250;
        }
        std::fflush(nullptr);
        ::close(fds[1]);
        ::_exit(code);
    }
    ::close(fds[1]);
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(fds[0], buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        result.output.append(buf, n);
    }
    ::close(fds[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) {
        result.exited = true;
        result.exitCode = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.signal = WTERMSIG(status);
    }
    return result;
}

bool RunningAsRoot()
{
    return ::geteuid() == 0;
}

void OpenPathToEveryone(const QString& path)
{
    QString at = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    for (;;) {
        const QFileInfo fi(at);
        if (fi.isDir())
            QFile::setPermissions(at, QFile::permissions(at) | QFileDevice::ReadOther | QFileDevice::ExeOther |
                                          QFileDevice::ReadGroup | QFileDevice::ExeGroup);
        const QString parent = fi.absolutePath();
        if (parent == at || at == QDir::tempPath() || at == QStringLiteral("/"))
            break;
        at = parent;
    }
}

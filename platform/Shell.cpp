#include "platform/Shell.h"

#include "platform/Dialogs.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <vector>

namespace {

// What the helper process tells about the opener, through a pipe.
struct Report {
    int kind = 0; // DesktopOpenResult::Outcome
    int code = 0;
};

void SendReport(int fd, DesktopOpenResult::Outcome kind, int code)
{
    const Report r{int(kind), code};
    (void)!::write(fd, &r, sizeof r);
}

qint64 MonotonicMs()
{
    timespec t{};
    ::clock_gettime(CLOCK_MONOTONIC, &t);
    return qint64(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

// The helper process, between the two forks: starts the opener, waits for
// it up to `waitMs`, reports, and leaves. The opener is then nobody's child
// here: one still running goes on by itself and is never a zombie of this
// program. Only calls that are safe after a fork of a threaded process.
[[noreturn]] void RunHelper(int reportFd, const char* program, char* const argv[], int waitMs)
{
    const pid_t opener = ::fork();
    if (opener == 0) {
        ::setsid();
        // The program the opener starts gets none of this program's files
        // (the instrument link, data files), only the report pipe until it runs.
        if (reportFd > 3)
            ::close_range(3, unsigned(reportFd) - 1, 0);
        ::close_range(unsigned(reportFd) + 1, ~0U, 0);
        const int null = ::open("/dev/null", O_RDONLY);
        if (null > 0) {
            ::dup2(null, 0);
            ::close(null);
        }
        ::execv(program, argv);
        SendReport(reportFd, DesktopOpenResult::NotStarted, errno);
        ::_exit(127);
    }
    if (opener < 0) {
        SendReport(reportFd, DesktopOpenResult::NotStarted, errno);
        ::_exit(0);
    }
    const qint64 end = MonotonicMs() + waitMs;
    for (;;) {
        int status = 0;
        const pid_t done = ::waitpid(opener, &status, WNOHANG);
        if (done == opener) {
            if (WIFEXITED(status))
                SendReport(reportFd, WEXITSTATUS(status) == 0 ? DesktopOpenResult::Opened : DesktopOpenResult::Failed,
                           WEXITSTATUS(status));
            else
                SendReport(reportFd, DesktopOpenResult::Killed, WIFSIGNALED(status) ? WTERMSIG(status) : 0);
            ::_exit(0);
        }
        if (done < 0 && errno != EINTR)
            break;
        if (MonotonicMs() >= end)
            break;
        const timespec pause{0, 10 * 1000 * 1000};
        ::nanosleep(&pause, nullptr);
    }
    SendReport(reportFd, DesktopOpenResult::Opened, 0); // still running: it started its program
    ::_exit(0);
}

} // namespace

QString DesktopOpenerName()
{
    return Global::ShellOpenerOverride.isEmpty() ? QStringLiteral("xdg-open") : Global::ShellOpenerOverride;
}

DesktopOpenResult RunDesktopOpener(const QString& target)
{
    const QString name = DesktopOpenerName();
    const QString program = name.contains(u'/') ? name : QStandardPaths::findExecutable(name);
    if (program.isEmpty() || !QFileInfo(program).isFile())
        return {DesktopOpenResult::NoOpener, ENOENT};

    // Everything the processes need is made before they are forked.
    const QString argument = QFileInfo::exists(target) ? QFileInfo(target).absoluteFilePath() : target;
    const QByteArray programBytes = QFile::encodeName(program);
    QByteArray nameBytes = QFile::encodeName(QFileInfo(program).fileName());
    QByteArray argumentBytes = QFile::encodeName(argument);
    char* const argv[] = {nameBytes.data(), argumentBytes.data(), nullptr};
    const int waitMs = qMax(0, Global::ShellOpenWaitMs);

    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return {DesktopOpenResult::NotStarted, errno};
    const pid_t helper = ::fork();
    if (helper == 0) {
        ::close(fds[0]);
        RunHelper(fds[1], programBytes.constData(), argv, waitMs);
    }
    const int forkError = errno;
    ::close(fds[1]);
    if (helper < 0) {
        ::close(fds[0]);
        return {DesktopOpenResult::NotStarted, forkError};
    }

    // The reports, up to the end of the pipe: the opener's own when it could
    // not be started, then the helper's.
    std::vector<Report> reports;
    for (;;) {
        Report r;
        const ssize_t n = ::read(fds[0], &r, sizeof r);
        if (n < 0 && errno == EINTR)
            continue;
        if (n != ssize_t(sizeof r))
            break;
        reports.push_back(r);
    }
    ::close(fds[0]);
    while (::waitpid(helper, nullptr, 0) < 0 && errno == EINTR) {
    }

    if (reports.empty())
        return {DesktopOpenResult::NotStarted, 0};
    const Report& r = reports.front();
    if (r.kind == DesktopOpenResult::NotStarted && r.code == ENOENT)
        return {DesktopOpenResult::NoOpener, ENOENT};
    return {DesktopOpenResult::Outcome(r.kind), r.code};
}

QString DesktopOpenFailureText(const QString& target, const DesktopOpenResult& result)
{
    const QString opener = DesktopOpenerName();
    QString why;
    switch (result.outcome) {
    case DesktopOpenResult::Opened:
        return QString();
    case DesktopOpenResult::NoOpener:
        why = QStringLiteral("no desktop opener is installed (the program %1 was not found; it comes with the "
                             "package xdg-utils)")
                  .arg(opener);
        break;
    case DesktopOpenResult::NotStarted:
        why = QStringLiteral("the desktop opener %1 could not be started (%2)")
                  .arg(opener, result.code ? QString::fromLocal8Bit(std::strerror(result.code))
                                           : QStringLiteral("no reason given"));
        break;
    case DesktopOpenResult::Failed: {
        // The meanings xdg-open gives its exit statuses.
        static const char* const meanings[] = {nullptr, "it was called wrongly", "the file or folder does not exist",
                                               "a program it needs is missing", "no program could open it"};
        why = QStringLiteral("the desktop opener %1 failed with exit status %2").arg(opener).arg(result.code);
        if (result.code >= 1 && result.code <= 4)
            why += QStringLiteral(": ") + QLatin1String(meanings[result.code]);
        break;
    }
    case DesktopOpenResult::Killed:
        why = QStringLiteral("the desktop opener %1 was stopped by signal %2").arg(opener).arg(result.code);
        break;
    }
    return QStringLiteral("\"%1\" could not be opened: %2.").arg(target, why);
}

bool ShellOpen(const QString& target)
{
    if (Global::ShellOpenOverride) {
        Global::ShellOpenOverride(target);
        return true;
    }
    const DesktopOpenResult result = RunDesktopOpener(target);
    if (result.outcome == DesktopOpenResult::Opened)
        return true;
    MsgBox(DesktopOpenFailureText(target, result), vbOKOnly | vbExclamation);
    return false;
}

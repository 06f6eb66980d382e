#include "SystemShell.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

// Submitting a print job is quick; a scheduler that does not answer in this
// time is reported rather than waited for.
constexpr int PrintTimeoutMs = 30000;

ShellResult Failed(int errorCode, const QString& text = {})
{
    return ShellResult{false, errorCode, text};
}

// The program, given the document, in the launcher's folder, with no input.
void Prepare(QProcess& process, const QString& program, const ShellRequest& request)
{
    process.setProgram(program);
    process.setArguments({request.file});
    process.setWorkingDirectory(request.directory);
    process.setStandardInputFile(QProcess::nullDevice());
}

} // namespace

SystemShell::SystemShell(QString opener, QString printer, int openWaitMs)
    : opener_(std::move(opener)), printer_(std::move(printer)), openWaitMs_(openWaitMs)
{
}

ShellResult SystemShell::Execute(const ShellRequest& request)
{
    // The opener may not tell in its exit status whether the document
    // exists: look first, so that a missing document gets its own box.
    struct stat st {};
    if (::stat(QFile::encodeName(request.file).constData(), &st) != 0)
        return Failed(errno);
    const bool isFolder = S_ISDIR(st.st_mode);

    if (request.verb == u"properties")
        return Failed(EOPNOTSUPP);
    if (request.verb == u"explore" && !isFolder)
        return Failed(ENOTDIR);
    if (request.verb == u"print")
        return isFolder ? Failed(EISDIR) : Print(request);
    // No verb, "open", "opennew", "edit" and "play" all take the document
    // type's default action: the opener knows no other.
    return Open(request);
}

ShellResult SystemShell::Open(const ShellRequest& request) const
{
    const QString program = opener_.contains(u'/') ? opener_ : QStandardPaths::findExecutable(opener_);
    const QString noOpener =
        QStringLiteral("%1 could not be started: no program opens documents on this system.").arg(opener_);
    if (program.isEmpty())
        return Failed(0, noOpener);

    // All the child needs is made before the fork.
    const QByteArray path = QFile::encodeName(program);
    QByteArray name = QFile::encodeName(QFileInfo(program).fileName());
    QByteArray file = QFile::encodeName(request.file);
    const QByteArray directory = QFile::encodeName(request.directory);
    char* const argv[] = {name.data(), file.data(), nullptr};
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return Failed(errno);
    const pid_t child = ::fork();
    if (child == 0) {
        // Only calls that are safe after a fork until the program runs.
        ::setsid();
        if (!directory.isEmpty())
            (void)!::chdir(directory.constData());
        const int null = ::open("/dev/null", O_RDONLY);
        if (null >= 0)
            ::dup2(null, 0);
        ::execv(path.constData(), argv);
        const int error = errno;
        (void)!::write(fds[1], &error, sizeof error);
        ::_exit(127);
    }
    const int forkError = errno;
    ::close(fds[1]);
    if (child < 0) {
        ::close(fds[0]);
        return Failed(forkError);
    }
    // The pipe ends when the opener runs (or says why it could not).
    int execError = 0;
    ssize_t n = 0;
    do
        n = ::read(fds[0], &execError, sizeof execError);
    while (n < 0 && errno == EINTR);
    ::close(fds[0]);
    if (n == ssize_t(sizeof execError)) {
        ::waitpid(child, nullptr, 0);
        return execError == ENOENT ? Failed(0, noOpener)
                                   : Failed(0, QStringLiteral("%1 could not be started: %2")
                                                   .arg(opener_, QString::fromLocal8Bit(std::strerror(execError))));
    }

    QDeadlineTimer deadline(openWaitMs_);
    for (;;) {
        int status = 0;
        const pid_t done = ::waitpid(child, &status, WNOHANG);
        if (done == child) {
            if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
                return ShellResult{true, 0, {}};
            if (WIFEXITED(status))
                return Failed(0, QStringLiteral("No program could open the document: %1 failed with exit status %2.")
                                     .arg(opener_)
                                     .arg(WEXITSTATUS(status)));
            return Failed(0, QStringLiteral("No program could open the document: %1 was stopped by signal %2.")
                                 .arg(opener_)
                                 .arg(WIFSIGNALED(status) ? WTERMSIG(status) : 0));
        }
        if ((done < 0 && errno != EINTR) || deadline.hasExpired())
            break;
        QThread::msleep(10);
    }
    // Still running: it has started the document's program (the launcher
    // ends now; the opener goes on by itself).
    return ShellResult{true, 0, {}};
}

ShellResult SystemShell::Print(const ShellRequest& request) const
{
    QProcess process;
    Prepare(process, printer_, request);
    process.start();
    if (!process.waitForStarted())
        return Failed(0, QStringLiteral("The print command %1 could not be started.").arg(printer_));
    if (!process.waitForFinished(PrintTimeoutMs)) {
        process.kill();
        process.waitForFinished();
        return Failed(ETIMEDOUT);
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        const QString said = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
        return Failed(0, said.isEmpty() ? QStringLiteral("The print command %1 failed (exit code %2).")
                                              .arg(printer_)
                                              .arg(process.exitCode())
                                        : said);
    }
    return ShellResult{true, 0, {}};
}

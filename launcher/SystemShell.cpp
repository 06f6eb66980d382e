#include "SystemShell.h"

#include <QFile>
#include <QProcess>

#include <sys/stat.h>

#include <cerrno>

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

SystemShell::SystemShell(QString opener, QString printer)
    : opener_(std::move(opener)), printer_(std::move(printer))
{
}

ShellResult SystemShell::Execute(const ShellRequest& request)
{
    // The opener is started detached and never tells whether the document
    // exists: look first, so that a missing document gets its box.
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
    QProcess process;
    Prepare(process, opener_, request);
    if (!process.startDetached())
        return Failed(0, QStringLiteral("%1 could not be started: no program opens documents on this system.")
                             .arg(opener_));
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

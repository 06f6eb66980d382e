#include "SystemShell.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <cerrno>

namespace {

// A folder with a document, a sub-folder, and stand-ins for the opener and
// the print command that write down where they ran and what they were given.
class ShellWorld : public ::testing::Test {
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(root.isValid());
        QDir dir(root.path());
        ASSERT_TRUE(dir.mkpath(QStringLiteral("disc/docs")));
        ASSERT_TRUE(dir.mkpath(QStringLiteral("bin")));
        disc = root.path() + QStringLiteral("/disc/");
        WriteFile(disc + QStringLiteral("guide.pdf"), "%PDF");
        log = root.path() + QStringLiteral("/calls.log");
        opener = Script(QStringLiteral("xdg-open"), "exit 0");
        printer = Script(QStringLiteral("lp"), "exit 0");
    }

    static void WriteFile(const QString& path, const QByteArray& bytes)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    // A program in bin/ that appends "name|cwd|args" to the log, then runs tail.
    QString Script(const QString& name, const QByteArray& tail)
    {
        const QString path = root.path() + QStringLiteral("/bin/") + name;
        WriteFile(path, "#!/bin/sh\nprintf '%s|%s|%s\\n' " + name.toUtf8() + " \"$PWD\" \"$*\" >> '" +
                            log.toUtf8() + "'\n" + tail + "\n");
        QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner);
        return path;
    }

    // The log once it holds the given number of lines (a detached program
    // writes it in its own time), or what it holds after five seconds.
    QStringList Calls(int expected = 1) const
    {
        QDeadlineTimer deadline(5000);
        QStringList lines;
        do {
            QFile f(log);
            lines.clear();
            if (f.open(QIODevice::ReadOnly))
                lines = QString::fromUtf8(f.readAll()).split(u'\n', Qt::SkipEmptyParts);
            if (lines.size() >= expected)
                break;
            QThread::msleep(20);
        } while (!deadline.hasExpired());
        return lines;
    }

    ShellRequest Request(const QString& file, const QString& verb = {}) const
    {
        return ShellRequest{verb, file, disc, SW_SHOWMAXIMIZED};
    }

    QTemporaryDir root;
    QString disc;
    QString log;
    QString opener;
    QString printer;
};

} // namespace

TEST_F(ShellWorld, OpenVerbsHandTheDocumentToTheOpenerInTheLaunchersFolder)
{
    SystemShell shell(opener, printer);
    const QString verbs[] = {"", "open", "opennew", "edit", "play"};
    for (const QString& verb : verbs) {
        const ShellResult r = shell.Execute(Request(disc + QStringLiteral("guide.pdf"), verb));
        EXPECT_TRUE(r.opened) << verb.toStdString();
    }
    const QStringList calls = Calls(5);
    ASSERT_EQ(calls.size(), 5);
    for (const QString& call : calls)
        EXPECT_EQ(call, QStringLiteral("xdg-open|") + root.path() + QStringLiteral("/disc|") + disc +
                            QStringLiteral("guide.pdf"));
}

TEST_F(ShellWorld, ExploreOpensFoldersOnly)
{
    SystemShell shell(opener, printer);
    EXPECT_TRUE(shell.Execute(Request(disc + QStringLiteral("docs"), QStringLiteral("explore"))).opened);
    const ShellResult onFile =
        shell.Execute(Request(disc + QStringLiteral("guide.pdf"), QStringLiteral("explore")));
    EXPECT_FALSE(onFile.opened);
    EXPECT_EQ(onFile.errorCode, ENOTDIR);
    const QStringList calls = Calls();
    ASSERT_EQ(calls.size(), 1);
    EXPECT_TRUE(calls.first().endsWith(disc + QStringLiteral("docs"))) << calls.first().toStdString();
}

TEST_F(ShellWorld, PrintWaitsForThePrintCommandAndReportsItsWords)
{
    SystemShell shell(opener, printer);
    EXPECT_TRUE(shell.Execute(Request(disc + QStringLiteral("guide.pdf"), QStringLiteral("print"))).opened);
    ASSERT_EQ(Calls().size(), 1);
    EXPECT_EQ(Calls().first(), QStringLiteral("lp|") + root.path() + QStringLiteral("/disc|") + disc +
                                   QStringLiteral("guide.pdf"));

    SystemShell refusing(opener, Script(QStringLiteral("lp-refusing"),
                                        "echo 'lp: Error - no default destination available.' >&2; exit 1"));
    const ShellResult refused =
        refusing.Execute(Request(disc + QStringLiteral("guide.pdf"), QStringLiteral("print")));
    EXPECT_FALSE(refused.opened);
    EXPECT_EQ(FailureText(refused), QStringLiteral("lp: Error - no default destination available."));

    SystemShell silent(opener, Script(QStringLiteral("lp-silent"), "exit 3"));
    const ShellResult failed =
        silent.Execute(Request(disc + QStringLiteral("guide.pdf"), QStringLiteral("print")));
    EXPECT_FALSE(failed.opened);
    EXPECT_TRUE(FailureText(failed).contains(QStringLiteral("3"))) << FailureText(failed).toStdString();

    const ShellResult folder = shell.Execute(Request(disc + QStringLiteral("docs"), QStringLiteral("print")));
    EXPECT_EQ(folder.errorCode, EISDIR);
}

TEST_F(ShellWorld, FailuresStartNothing)
{
    SystemShell shell(opener, printer);
    struct Case {
        QString file;
        QString verb;
        int errorCode;
    } cases[] = {
        {disc + "missing.pdf", "", ENOENT},        {disc + "missing.pdf", "print", ENOENT},
        {disc + "guide.pdf/inner", "", ENOTDIR},   {disc + "guide.pdf", "properties", EOPNOTSUPP},
        {disc + "docs", "properties", EOPNOTSUPP},
    };
    for (const Case& c : cases) {
        const ShellResult r = shell.Execute(Request(c.file, c.verb));
        EXPECT_FALSE(r.opened) << c.file.toStdString();
        EXPECT_EQ(r.errorCode, c.errorCode) << c.file.toStdString();
        EXPECT_FALSE(FailureText(r).isEmpty());
    }
    QThread::msleep(100);
    EXPECT_FALSE(QFile::exists(log));
}

TEST_F(ShellWorld, MissingOpenerOrPrintCommandIsAFailure)
{
    SystemShell shell(root.path() + QStringLiteral("/bin/no-opener"),
                      root.path() + QStringLiteral("/bin/no-lp"));
    for (const QString verb : {"", "print"}) {
        const ShellResult r = shell.Execute(Request(disc + QStringLiteral("guide.pdf"), verb));
        EXPECT_FALSE(r.opened) << verb.toStdString();
        EXPECT_FALSE(r.errorText.isEmpty()) << verb.toStdString();
    }
}

// The launcher over the real shell with three stand-in openers: one that
// opens, one that fails (no program for the document's type), and none at
// all. A failure is the information box, captioned with the document as
// typed; an opener still running after the wait has opened.
TEST_F(ShellWorld, AnOpenerThatFailsGetsTheInformationBox)
{
    struct Boxes : LaunchMessages {
        void Information(const QString& caption, const QString& text) override { shown << caption + u'|' + text; }
        QStringList shown;
    };
    struct Case {
        const char* name;
        QString opener;
        QString box; // empty: opened
    } cases[] = {
        {"exits 0", opener, {}},
        {"exits with an error", Script(QStringLiteral("xdg-open-failing"), "exit 3"),
         QStringLiteral("guide.pdf|No program could open the document: %1 failed with exit status 3.")},
        {"missing", root.path() + QStringLiteral("/bin/no-opener"),
         QStringLiteral("guide.pdf|%1 could not be started: no program opens documents on this system.")},
        {"still running", Script(QStringLiteral("xdg-open-waiting"), "exec sleep 2"), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SystemShell shell(c.opener, printer, 300);
        Boxes boxes;
        EXPECT_EQ(LauncherMain({disc + QStringLiteral("pelmora"), QStringLiteral("guide.pdf")},
                               disc + QStringLiteral("pelmora"), shell, boxes),
                  0);
        EXPECT_EQ(boxes.shown, c.box.isEmpty() ? QStringList() : QStringList{c.box.arg(c.opener)});
    }
    // Each opener that exists was given the document, in the launcher's folder.
    const QStringList calls = Calls(3);
    ASSERT_EQ(calls.size(), 3);
    for (const QString& call : calls)
        EXPECT_TRUE(call.endsWith(QStringLiteral("|") + root.path() + QStringLiteral("/disc|") + disc +
                                  QStringLiteral("guide.pdf")))
            << call.toStdString();
}

// The whole program, copied into a disc folder and started from elsewhere,
// with the stand-in opener first on PATH.
class PelmoraProgram : public ShellWorld {
  protected:
    void SetUp() override
    {
        ShellWorld::SetUp();
        exe = disc + QStringLiteral("pelmora");
        ASSERT_TRUE(QFile::copy(QStringLiteral(PELMORA_EXE), exe));
        ASSERT_TRUE(QDir(root.path()).mkpath(QStringLiteral("elsewhere")));
    }

    int Start(const QStringList& args)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PATH"),
                   root.path() + QStringLiteral("/bin:") + env.value(QStringLiteral("PATH")));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(root.path() + QStringLiteral("/elsewhere"));
        p.start(exe, args);
        if (!p.waitForFinished(30000)) {
            p.kill();
            p.waitForFinished();
            return -1;
        }
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }

    QString exe;
};

TEST_F(PelmoraProgram, OpensTheStartDocumentBesideItself)
{
    WriteFile(disc + QStringLiteral("Pelmora.html"), "<html></html>");
    EXPECT_EQ(Start({}), 0);
    const QStringList calls = Calls();
    ASSERT_EQ(calls.size(), 1);
    EXPECT_EQ(calls.first(), QStringLiteral("xdg-open|") + root.path() + QStringLiteral("/disc|") + disc +
                                 QStringLiteral("Pelmora.html"));
}

TEST_F(PelmoraProgram, ResolvesTheDocumentAgainstItsFolderAndKeepsQtOptionsAsDocuments)
{
    WriteFile(disc + QStringLiteral("docs/manual.pdf"), "%PDF");
    EXPECT_EQ(Start({QStringLiteral("docs/manual.pdf"), QStringLiteral("/MAX")}), 0);
    ASSERT_EQ(Calls().size(), 1);
    EXPECT_TRUE(Calls().first().endsWith(QStringLiteral("|") + disc + QStringLiteral("docs/manual.pdf")));

    // Qt would take these for its own options.
    WriteFile(disc + QStringLiteral("-platform"), "x");
    EXPECT_EQ(Start({QStringLiteral("-platform"), QStringLiteral("xcb")}), 0);
    ASSERT_EQ(Calls(2).size(), 2);
    EXPECT_TRUE(Calls(2).last().endsWith(QStringLiteral("|") + disc + QStringLiteral("-platform")));
}

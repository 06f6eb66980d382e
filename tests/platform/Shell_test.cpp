// The one way to open things on the desktop: the opener is started, its exit
// status is waited for a short while, and a failure is reported in plain
// words naming what could not be opened and why.
#include "platform/Shell.h"

#include "support/StandInOpener.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <gtest/gtest.h>

#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace {

class ShellTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        EnsureApp();
        folder = env.root() + QStringLiteral("/Documents folder");
        QDir().mkpath(folder);
    }
    QStringList boxes() const { return Boxes(*env.dialogs); }

    TestEnv env;
    StandInOpener opener;
    QString folder;
};

} // namespace

TEST_F(ShellTest, EachOpenerOutcomeIsAnOpenOrAFailureInPlainWords)
{
    struct Case {
        const char* name;
        QByteArray tail;     // the stand-in's end; empty: no opener at all
        bool opened;
        QString why;         // the box after "<target>" could not be opened:
    };
    const Case cases[] = {
        {"exits 0", "exit 0", true, {}},
        {"exits with an error", "exit 4", false,
         QStringLiteral("the desktop opener %1 failed with exit status 4: no program could open it.")},
        {"exits with an unknown error", "exit 9", false,
         QStringLiteral("the desktop opener %1 failed with exit status 9.")},
        {"missing", {}, false,
         QStringLiteral("no desktop opener is installed (the program %1 was not found; it comes with the "
                        "package xdg-utils).")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        env.dialogs->log.clear();
        QFile::remove(opener.log());
        const QString program = c.tail.isEmpty() ? opener.useMissing() : opener.use(QStringLiteral("opener"), c.tail);
        EXPECT_EQ(ShellOpen(folder), c.opened);
        if (c.opened) {
            EXPECT_TRUE(boxes().isEmpty());
        } else {
            ASSERT_EQ(env.dialogs->log.size(), 1);
            EXPECT_EQ(env.dialogs->log[0].message.text,
                      u'"' + folder + QStringLiteral("\" could not be opened: ") + c.why.arg(program));
            EXPECT_EQ(env.dialogs->log[0].message.icon, vbExclamation);
            EXPECT_EQ(env.dialogs->log[0].message.title, AppTitle);
        }
        // The folder by its absolute path, as one argument.
        if (!c.tail.isEmpty())
            EXPECT_EQ(opener.calls(), QStringList{folder});
    }
}

TEST_F(ShellTest, AnOpenerOnThePathIsFoundByNameAndAnAddressGoesAsWritten)
{
    const QString path = opener.use(QStringLiteral("hx-stand-in-opener"), "exit 0");
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(opener.dir.path()) + ':' + oldPath);
    Global::ShellOpenerOverride = QStringLiteral("hx-stand-in-opener");
    const QString page = QStringLiteral("https://www.example.com/maintenance/downloads");
    EXPECT_TRUE(ShellOpen(page));
    Global::ShellOpenerOverride = QStringLiteral("hx-no-such-opener");
    EXPECT_EQ(RunDesktopOpener(page).outcome, DesktopOpenResult::NoOpener);
    qputenv("PATH", oldPath);
    EXPECT_EQ(opener.calls(), QStringList{page});
    (void)path;
}

TEST_F(ShellTest, AnOpenerThatCannotBeStartedOrIsKilledIsAFailure)
{
    const QString plain = opener.use(QStringLiteral("not-executable"), "exit 0");
    QFile::setPermissions(plain, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    DesktopOpenResult r = RunDesktopOpener(folder);
    EXPECT_EQ(r.outcome, DesktopOpenResult::NotStarted);
    EXPECT_TRUE(DesktopOpenFailureText(folder, r).contains(QStringLiteral("could not be started")));

    opener.use(QStringLiteral("killed"), "kill -TERM $$");
    r = RunDesktopOpener(folder);
    EXPECT_EQ(r.outcome, DesktopOpenResult::Killed);
    EXPECT_EQ(r.code, SIGTERM);
}

// An opener that runs on (it waits for the program it started) has opened:
// the wait ends at its bound and the opener goes on by itself.
TEST_F(ShellTest, AnOpenerStillRunningAfterTheWaitHasOpened)
{
    const QString pidFile = opener.dir.path() + QStringLiteral("/pid");
    opener.use(QStringLiteral("slow"), "echo $$ > '" + QFile::encodeName(pidFile) + "'\nexec sleep 60");
    Global::ShellOpenWaitMs = 300;
    QElapsedTimer t;
    t.start();
    EXPECT_TRUE(ShellOpen(folder));
    EXPECT_LT(t.elapsed(), 30000);
    EXPECT_TRUE(boxes().isEmpty());
    QFile f(pidFile);
    if (f.open(QIODevice::ReadOnly))
        ::kill(pid_t(f.readAll().trimmed().toInt()), SIGTERM);
}

// The opener, and so the program it starts, gets none of the files this
// program holds open.
TEST_F(ShellTest, TheOpenerGetsNoneOfTheProgramsOpenFiles)
{
    const QString held = env.root() + QStringLiteral("/held.dat");
    const int fd = ::open(QFile::encodeName(held).constData(), O_WRONLY | O_CREAT, 0600); // not closed on exec
    ASSERT_GE(fd, 3);
    const QString fdLog = opener.dir.path() + QStringLiteral("/fds");
    opener.use(QStringLiteral("opener"), "ls /proc/$$/fd > '" + QFile::encodeName(fdLog) + "'");
    EXPECT_TRUE(ShellOpen(folder));
    ::close(fd);
    QFile f(fdLog);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QStringList fds = QString::fromUtf8(f.readAll()).split(u'\n', Qt::SkipEmptyParts);
    EXPECT_TRUE(fds.contains(QStringLiteral("0")));
    EXPECT_FALSE(fds.contains(QString::number(fd))) << fds.join(u' ').toStdString();
}

#include "common/SystemHelpers.h"

#include "common/AppGlobals.h"
#include "platform/Shell.h"
#include "support/TestEnv.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include <gtest/gtest.h>

void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

class SystemHelpers : public ::testing::Test {
  protected:
    TestEnv env;
    QStringList opened;
    void SetUp() override
    {
        Global::ShellOpenOverride = [this](const QString& t) { opened.append(t); };
    }
    void TearDown() override { Global::ShellOpenOverride = nullptr; }
};

TEST_F(SystemHelpers, WaitLetsEventsRunAndEndsOnTime)
{
    int fired = 0;
    QTimer::singleShot(10, [&] { ++fired; });
    QElapsedTimer t;
    t.start();
    EXPECT_TRUE(Wait(100));
    const qint64 took = t.elapsed();
    EXPECT_GE(took, 100);
    EXPECT_LT(took, 2000);
    EXPECT_EQ(fired, 1);
}

TEST_F(SystemHelpers, WaitOfZeroOrLessReturnsAtOnce)
{
    bool posted = false;
    QTimer::singleShot(0, [&] { posted = true; });
    for (int ms : {0, -5}) {
        QElapsedTimer t;
        t.start();
        EXPECT_TRUE(Wait(ms));
        EXPECT_LT(t.elapsed(), 1000); // no wait: far below a second, however busy the machine
    }
    EXPECT_TRUE(posted); // pending events ran even so
}

TEST_F(SystemHelpers, RunSubSystemOpensOnlyExistingFiles)
{
    const QString pic = env.root() + QStringLiteral("/module.jpg");
    QFile f(pic);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("jpg");
    f.close();
    const QString hidden = env.root() + QStringLiteral("/.hidden.jpg");
    QFile::copy(pic, hidden);

    RunSubSystem(nullptr, QString(), QString());
    RunSubSystem(nullptr, env.root() + QStringLiteral("/missing.jpg"), QString());
    RunSubSystem(nullptr, env.root(), QString()); // a folder is no file
    RunSubSystem(nullptr, hidden, QString());
    EXPECT_TRUE(opened.isEmpty());
    RunSubSystem(nullptr, pic, QString());
    EXPECT_EQ(opened, QStringList{pic});
    EXPECT_TRUE(env.dialogs->log.isEmpty());
}

TEST_F(SystemHelpers, ShellOpenDocumentTrimsBlanks)
{
    ShellOpenDocument(QString(), nullptr);
    ShellOpenDocument(QStringLiteral("    "), nullptr);
    EXPECT_TRUE(opened.isEmpty());
    ShellOpenDocument(QStringLiteral("  https://example.com/download  "), nullptr);
    ShellOpenDocument(QStringLiteral("/tmp/a b.pdf"), nullptr);
    EXPECT_EQ(opened,
              (QStringList{QStringLiteral("https://example.com/download"), QStringLiteral("/tmp/a b.pdf")}));
    EXPECT_TRUE(env.dialogs->log.isEmpty());
}

TEST_F(SystemHelpers, OsVersionCodeAndUserName)
{
    // No Windows release: the per-user store the codes gate is skipped.
    EXPECT_EQ(GetOsVersionCode(), 0);

    const QByteArray oldUser = qgetenv("USER"), oldLogname = qgetenv("LOGNAME");
    qputenv("USER", "heliodex-user");
    EXPECT_EQ(GetLoginUserName(), QStringLiteral("heliodex-user"));
    qunsetenv("USER");
    qunsetenv("LOGNAME");
    EXPECT_FALSE(GetLoginUserName().isEmpty()); // from the user database
    for (auto [name, value] : {std::pair{"USER", oldUser}, std::pair{"LOGNAME", oldLogname}}) {
        if (!value.isEmpty())
            qputenv(name, value);
    }
}

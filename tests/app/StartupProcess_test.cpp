// The heliodex program itself, started as a process under the offscreen
// platform with a home, settings and runtime folder of its own.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

namespace {

class HeliodexProcess {
  public:
    HeliodexProcess()
    {
        QDir().mkpath(home());
        QDir().mkpath(config());
        QDir().mkpath(runtime());
        QFile::setPermissions(runtime(),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    QString home() const { return dir.path() + QStringLiteral("/home"); }
    QString config() const { return dir.path() + QStringLiteral("/config"); }
    QString runtime() const { return dir.path() + QStringLiteral("/runtime"); }
    static QString program() { return QStringLiteral(HX_BUILD_DIR "/heliodex"); }

    void start(QProcess& p, const QStringList& args,
               const QString& lang = QStringLiteral("en_US.UTF-8")) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("LANG"), lang);
        env.insert(QStringLiteral("LC_ALL"), lang);
        env.remove(QStringLiteral("LANGUAGE"));
        p.setProcessEnvironment(env);
        p.start(program(), args);
    }
    QString setting(const QString& name) const
    {
        QSettings s(config() + QStringLiteral("/Tolvane/Heliodex.conf"), QSettings::IniFormat);
        return s.value(QStringLiteral("System/") + name).toString();
    }

  private:
    QTemporaryDir dir;
};

} // namespace

class StartupProcessTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        if (!QFileInfo(HeliodexProcess::program()).isExecutable())
            FAIL() << "build the heliodex target first: " << HeliodexProcess::program().toStdString();
    }
};

TEST_F(StartupProcessTest, ComesUpWithoutInstrumentAndStoresItsSettings)
{
    HeliodexProcess h;
    QProcess p;
    h.start(p, {QStringLiteral("--quit-after-start"), QStringLiteral("--print-dialogs")});
    ASSERT_TRUE(p.waitForFinished(60000)) << p.readAllStandardError().toStdString();
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_EQ(p.readAllStandardOutput(), QByteArray()); // no message box
    EXPECT_EQ(h.setting(QStringLiteral("Language")), QStringLiteral("1"));
    const QString data = h.home() + QStringLiteral("/SOLAR_DATA/Heliodex");
    EXPECT_EQ(h.setting(QStringLiteral("SaveFolder")), data);
    EXPECT_TRUE(QFileInfo(data).isDir());
}

TEST_F(StartupProcessTest, ASecondInstanceIsRefused)
{
    struct Case {
        QString lang;
        QByteArray line;
    } cases[] = {
        {QStringLiteral("en_US.UTF-8"), "MsgBox|Heliodex|16|Double starting cannot be performed.\n"},
        {QStringLiteral("ja_JP.UTF-8"), QStringLiteral("MsgBox|Heliodex|16|二重起動はできません\n").toUtf8()},
    };
    HeliodexProcess h;
    QProcess first;
    h.start(first, {QStringLiteral("--print-dialogs"), QStringLiteral("--simulate")});
    ASSERT_TRUE(first.waitForStarted(10000));
    // Running once the data folder is settled.
    for (int i = 0; i < 600 && h.setting(QStringLiteral("SaveFolder")).isEmpty(); ++i)
        QThread::msleep(50);
    ASSERT_FALSE(h.setting(QStringLiteral("SaveFolder")).isEmpty());

    for (const Case& c : cases) {
        SCOPED_TRACE(c.lang.toStdString());
        QProcess second;
        h.start(second, {QStringLiteral("--print-dialogs")}, c.lang);
        ASSERT_TRUE(second.waitForFinished(60000));
        EXPECT_EQ(second.exitCode(), 0);
        EXPECT_EQ(second.readAllStandardOutput(), c.line);
    }
    EXPECT_EQ(first.state(), QProcess::Running);
    first.kill();
    first.waitForFinished(10000);
}

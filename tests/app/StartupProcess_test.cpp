// The heliodex program itself, started as a process under the offscreen
// platform with a home, settings, runtime and program folder of its own.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

class HeliodexProcess {
  public:
    // `languageFolder`: the name of the program folder's language folder,
    // which gets the shipped language files.
    explicit HeliodexProcess(const QString& languageFolder = QStringLiteral("LANGUAGE"))
    {
        QDir().mkpath(home());
        QDir().mkpath(config());
        QDir().mkpath(runtime());
        QFile::setPermissions(runtime(),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        // The program's folder is the executable's: a link to the built one
        // (a copy where no link can be made) in a folder of this test's own.
        QDir().mkpath(programFolder() + u'/' + languageFolder);
        const QString exe = programFolder() + QStringLiteral("/heliodex");
        if (::link(QFile::encodeName(built()).constData(), QFile::encodeName(exe).constData()) != 0)
            QFile::copy(built(), exe);
        for (const char* name : {"English.txt", "Japanese.txt"})
            QFile::copy(QStringLiteral(HX_SOURCE_DIR "/lang/") + QLatin1String(name),
                        programFolder() + u'/' + languageFolder + u'/' + QLatin1String(name));
    }
    QString home() const { return dir.path() + QStringLiteral("/home"); }
    QString config() const { return dir.path() + QStringLiteral("/config"); }
    QString runtime() const { return dir.path() + QStringLiteral("/runtime"); }
    QString programFolder() const { return dir.path() + QStringLiteral("/program"); }
    QString program() const { return programFolder() + QStringLiteral("/heliodex"); }
    static QString built() { return QStringLiteral(HX_BUILD_DIR "/heliodex"); }

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
    void setSetting(const QString& name, const QString& value) const
    {
        QSettings s(config() + QStringLiteral("/Tolvane/Heliodex.conf"), QSettings::IniFormat);
        s.setValue(QStringLiteral("System/") + name, value);
    }
    // Starts the program until its start-up is over; what it printed.
    QByteArray runOnce(const QString& lang = QStringLiteral("en_US.UTF-8")) const
    {
        QProcess p;
        start(p, {QStringLiteral("--quit-after-start"), QStringLiteral("--print-dialogs")}, lang);
        if (!p.waitForFinished(60000))
            ADD_FAILURE() << "the program did not end";
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit) << p.readAllStandardError().toStdString();
        EXPECT_EQ(p.exitCode(), 0);
        return p.readAllStandardOutput();
    }

  private:
    QTemporaryDir dir;
};

} // namespace

class StartupProcessTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        if (!QFileInfo(HeliodexProcess::built()).isExecutable())
            FAIL() << "build the heliodex target first: " << HeliodexProcess::built().toStdString();
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

TEST_F(StartupProcessTest, AStoredLanguageWithoutItsFileIsChosenAgain)
{
    // Japanese on the first start; then its file goes, and the next start
    // chooses again.
    HeliodexProcess h;
    const QString japan = QStringLiteral("ja_JP.UTF-8");
    EXPECT_EQ(h.runOnce(japan), QByteArray());
    EXPECT_EQ(h.setting(QStringLiteral("Language")), QStringLiteral("81"));
    ASSERT_TRUE(QFile::remove(h.programFolder() + QStringLiteral("/LANGUAGE/Japanese.txt")));
    EXPECT_EQ(h.runOnce(japan), QByteArray()); // no error report, no empty texts
    EXPECT_EQ(h.setting(QStringLiteral("Language")), QStringLiteral("1"));

    // Codes no file carries, one beyond a whole number among them, which the
    // main window's load once failed on.
    for (const char* code : {"999", "1E+30", "-4E+15"}) {
        SCOPED_TRACE(code);
        h.setSetting(QStringLiteral("Language"), QString::fromLatin1(code));
        EXPECT_EQ(h.runOnce(), QByteArray());
        EXPECT_EQ(h.setting(QStringLiteral("Language")), QStringLiteral("1"));
    }
}

TEST_F(StartupProcessTest, TheLanguageFolderIsFoundInLowerCase)
{
    HeliodexProcess h(QStringLiteral("language"));
    EXPECT_EQ(h.runOnce(), QByteArray());
    EXPECT_EQ(h.setting(QStringLiteral("Language")), QStringLiteral("1"));
    EXPECT_FALSE(QFileInfo::exists(h.programFolder() + QStringLiteral("/LANGUAGE")));
}

TEST_F(StartupProcessTest, ADefaultDataFolderThatIsAFileIsRefusedUntilItIsGone)
{
    HeliodexProcess h;
    const QString data = h.home() + QStringLiteral("/SOLAR_DATA/Heliodex");
    QDir().mkpath(QFileInfo(data).path());
    {
        QFile f(data);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("a file");
    }
    // The message names the folder and nothing is stored; the password
    // window follows, to choose another folder.
    const QString text = QStringLiteral(
        "The data folder cannot be created here. A file may have its name, or the folder may not be writable:");
    EXPECT_EQ(h.runOnce(), (QStringLiteral("MsgBox|Heliodex|48|") + text + QStringLiteral("\\n\\n") + data +
                            u'\n')
                               .toUtf8());
    EXPECT_EQ(h.setting(QStringLiteral("SaveFolder")), QString());
    EXPECT_TRUE(QFileInfo(data).isFile());

    ASSERT_TRUE(QFile::remove(data));
    EXPECT_EQ(h.runOnce(), QByteArray());
    EXPECT_EQ(h.setting(QStringLiteral("SaveFolder")), data);
    EXPECT_TRUE(QFileInfo(data).isDir());
}

TEST_F(StartupProcessTest, AMissingDataFolderLeadsToThePasswordWindow)
{
    HeliodexProcess h;
    const QString gone = h.home() + QStringLiteral("/gone");
    h.setSetting(QStringLiteral("Language"), QStringLiteral("1"));
    h.setSetting(QStringLiteral("SaveFolder"), gone);
    EXPECT_EQ(h.runOnce(), QByteArrayLiteral("MsgBox|Heliodex|48|The data folder was not found. Please choose the "
                                             "data folder again.\n"));
    EXPECT_EQ(h.setting(QStringLiteral("SaveFolder")), gone);
    EXPECT_FALSE(QFileInfo::exists(gone));
}

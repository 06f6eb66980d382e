#include "common/Language.h"

#include "common/AppGlobals.h"
#include "platform/AnsiCodec.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

class Language : public ::testing::Test {
  protected:
    TestEnv env;
    void SetUp() override
    {
        Global::LanguageFolder = env.programFolder() + QStringLiteral("/LANGUAGE/");
        QDir().mkpath(Global::LanguageFolder);
        Global::LanguageFiles = {};
    }
    void TearDown() override
    {
        Global::LanguageFolder.clear();
        Global::LanguageFiles = {};
        Global::SystemLocaleOverride.reset();
    }
    // Puts `bytes` as language file `index` and loads it.
    void load(int index, const QByteArray& bytes)
    {
        const QString name = QStringLiteral("lang%1.txt").arg(index);
        QFile f(Global::LanguageFolder + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        f.close();
        Global::LanguageFiles[size_t(index)] = name;
        LanguageRead(index);
    }
    QStringList loadedHead(int n) const { return Global::UiText.mid(0, n); }
    bool restEmptyFrom(int key) const
    {
        for (int k = key; k < Global::UiTextCount; ++k)
            if (!Global::UiText[k].isEmpty())
                return false;
        return true;
    }
};

TEST_F(Language, LinesSplitIntoKeys)
{
    struct {
        const char* name;
        QByteArray bytes;
        QStringList keys;
    } cases[] = {
        {"CR LF", "English\r\n1\r\nFile\r\n", {"English", "1", "File"}},
        {"no final line end", "English\r\n1\r\nFile", {"English", "1", "File"}},
        {"CR only", "English\r1\rFile\r", {"English", "1", "File"}},
        {"LF only", "English\n1\nFile\n", {"English", "1", "File"}},
        {"LF stays where CRs end lines", "a\nb\r\nc\r\n", {"a\nb", "c"}},
        {"empty line keeps the keys after it", "a\r\n\r\nc\r\n", {"a", "", "c"}},
        {"blanks are kept", "  a \r\n\tb\r\n", {"  a ", "\tb"}},
        {"code page 932", "\x93\xfa\x96\x7b\x8c\xea\r\n81\r\n", {QString::fromUtf8("日本語"), "81"}},
        {"empty file", "", {}},
    };
    for (auto& c : cases) {
        load(0, c.bytes);
        EXPECT_EQ(loadedHead(int(c.keys.size())), c.keys) << c.name;
        EXPECT_TRUE(restEmptyFrom(int(c.keys.size()))) << c.name;
        EXPECT_EQ(Global::UiText.size(), Global::UiTextCount);
    }
    EXPECT_TRUE(env.dialogs->log.isEmpty());
}

TEST_F(Language, ThousandLinesFillEveryKeyAndTheNextIsRefused)
{
    auto file = [](int lines, const char* eol) {
        QByteArray b;
        for (int i = 0; i < lines; ++i)
            b += "line " + QByteArray::number(i) + eol;
        return b;
    };
    for (const char* eol : {"\r\n", "\r", "\n"}) {
        env.dialogs->log.clear();
        load(3, file(1000, eol));
        EXPECT_EQ(Global::UiText[0], QStringLiteral("line 0"));
        EXPECT_EQ(Global::UiText[999], QStringLiteral("line 999"));
        EXPECT_TRUE(env.dialogs->log.isEmpty());

        load(3, file(1001, eol));
        EXPECT_EQ(Global::UiText.size(), Global::UiTextCount);
        EXPECT_EQ(Global::UiText[999], QStringLiteral("line 999"));
        ASSERT_EQ(env.dialogs->log.size(), 1);
        EXPECT_EQ(env.dialogs->log[0].message.text, QStringLiteral("ERROR No:9 Subscript out of range"));
        EXPECT_EQ(env.dialogs->log[0].message.title, QStringLiteral("LanguageRead"));
        EXPECT_EQ(env.dialogs->log[0].message.icon, 0);
    }
}

TEST_F(Language, FailedLoadLeavesAnEmptyTable)
{
    load(0, "English\r\n1\r\n");
    ASSERT_EQ(Global::UiText[0], QStringLiteral("English"));

    struct {
        int index;
        const char* report;
    } cases[] = {
        {1, "ERROR No:75 Path/File access error"}, // no file name: the folder itself
        {-1, "ERROR No:9 Subscript out of range"},
        {101, "ERROR No:9 Subscript out of range"},
    };
    for (auto& c : cases) {
        env.dialogs->log.clear();
        LanguageRead(c.index);
        EXPECT_TRUE(restEmptyFrom(0)) << c.index;
        ASSERT_EQ(env.dialogs->log.size(), 1) << c.index;
        EXPECT_EQ(env.dialogs->log[0].message.text, QString::fromLatin1(c.report)) << c.index;
        EXPECT_EQ(env.dialogs->log[0].message.title, QStringLiteral("LanguageRead"));
    }

    // Deleted after the listing.
    load(2, "x\r\n");
    QFile::remove(Global::LanguageFolder + Global::LanguageFiles[2]);
    env.dialogs->log.clear();
    LanguageRead(2);
    EXPECT_TRUE(restEmptyFrom(0));
    ASSERT_EQ(env.dialogs->log.size(), 1);
    EXPECT_EQ(env.dialogs->log[0].message.text, QStringLiteral("ERROR No:53 File not found"));
}

TEST_F(Language, ShippedFilesLoad)
{
    env.installLanguageFiles();
    Global::LanguageFiles[0] = QStringLiteral("English.txt");
    Global::LanguageFiles[1] = QStringLiteral("Japanese.txt");
    struct {
        int index;
        const char* name;
        const char* code;
    } cases[] = {{0, "English", "1"}, {1, "日本語", "81"}};
    for (auto& c : cases) {
        LanguageRead(c.index);
        EXPECT_EQ(Global::UiText[0], QString::fromUtf8(c.name));
        EXPECT_EQ(Global::UiText[1], QString::fromUtf8(c.code));
        EXPECT_FALSE(Global::UiText[775].isEmpty()) << c.name;
        for (const QString& t : Global::UiText)
            EXPECT_FALSE(t.contains(u'\r') || t.contains(u'\n') || t.contains(QChar(0xFFFD))) << c.name;
    }
    EXPECT_TRUE(env.dialogs->log.isEmpty());
}

TEST_F(Language, LanguageGetNamesTheCountryInEnglish)
{
    struct {
        QLocale locale;
        const char* country;
    } cases[] = {
        {QLocale(QLocale::Japanese, QLocale::Japan), "Japan"},
        {QLocale(QLocale::English, QLocale::UnitedStates), "United States"},
        {QLocale(QLocale::German, QLocale::Germany), "Germany"},
        {QLocale::c(), ""},
    };
    for (auto& c : cases) {
        Global::SystemLocaleOverride = c.locale;
        EXPECT_EQ(LanguageGet(), QString::fromLatin1(c.country)) << c.country;
        // Start-up compares the upper-cased name.
        EXPECT_EQ(LanguageGet().toUpper() == QStringLiteral("JAPAN"), QByteArray(c.country) == "Japan");
    }
    EXPECT_TRUE(env.dialogs->log.isEmpty());
}

// Run in a child process whose environment names the locale.
TEST(LanguageSystem, ChildReportsTheEnvironmentsCountry)
{
    const QByteArray expected = qgetenv("HX_EXPECT_COUNTRY");
    if (expected.isNull())
        GTEST_SKIP() << "run by LanguageSystem.UsesTheSystemLocale";
    EXPECT_EQ(LanguageGet(), QString::fromUtf8(expected));
}

TEST(LanguageSystem, UsesTheSystemLocale)
{
    if (!qgetenv("HX_EXPECT_COUNTRY").isNull())
        GTEST_SKIP();
    struct {
        const char* locale;
        const char* country;
    } cases[] = {{"ja_JP.UTF-8", "Japan"}, {"en_US.UTF-8", "United States"}, {"C", ""}};
    for (auto& c : cases) {
        QProcess p;
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        for (const char* v :
             {"LANG", "LC_ALL", "LC_MESSAGES", "LC_NUMERIC", "LC_TIME", "LC_MONETARY", "LANGUAGE"})
            e.insert(QString::fromLatin1(v), QString::fromLatin1(c.locale));
        e.insert(QStringLiteral("HX_EXPECT_COUNTRY"), QString::fromLatin1(c.country));
        p.setProcessEnvironment(e);
        p.start(QFile::symLinkTarget(QStringLiteral("/proc/self/exe")),
                {QStringLiteral("--gtest_filter=LanguageSystem.ChildReportsTheEnvironmentsCountry")});
        ASSERT_TRUE(p.waitForFinished(30000)) << c.locale;
        EXPECT_EQ(p.exitCode(), 0) << c.locale << "\n" << p.readAll().toStdString();
    }
}

TEST(RemoveNull, CutsAtTheFirstNul)
{
    const QChar nul(0);
    struct {
        QString in, out;
    } cases[] = {
        {QStringLiteral("Japan"), QStringLiteral("Japan")},
        {QStringLiteral("Japan") + nul + QStringLiteral("xx") + nul, QStringLiteral("Japan")},
        {QString(nul) + QStringLiteral("Japan"), QString()},
        {QString(), QString()},
        {QString(255, nul), QString()},
    };
    for (auto& c : cases)
        EXPECT_EQ(RemoveNull(c.in), c.out);
}

#include "platform/Registry.h"

#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QSettings>

#include <gtest/gtest.h>

namespace {

QString confFile(const TestEnv& env)
{
    return env.root() + QStringLiteral("/config/Tolvane/Heliodex.conf");
}

QString repeat(const char* utf8, int n)
{
    return QString::fromUtf8(utf8).repeated(n);
}

} // namespace

TEST(Registry, MissingValuesReadEmptyOrZeroAndCreateNothing)
{
    TestEnv env;
    EXPECT_EQ(RegStrGet(RegKeySystem, QStringLiteral("SaveFolder")), QString());
    EXPECT_EQ(RegNumGet(RegKeySystem, QStringLiteral("SortCol")), 0);
    EXPECT_EQ(RegStrGet(RegKeyColorPV, QStringLiteral("1")), QString());
    EXPECT_EQ(RegStrGet(QStringLiteral("Tolvane\\Heliodex\\Nowhere"), QStringLiteral("x")), QString());
    RegSync();
    EXPECT_FALSE(QFile::exists(confFile(env)));
    EXPECT_TRUE(env.dialogs->log.isEmpty());
}

TEST(Registry, TextsRoundTrip)
{
    TestEnv env;
    struct Case {
        const char* name;
        QString text;
        bool stored;
        QString readBack;
    } cases[] = {
        {"empty", QString(), true, QString()},
        {"code", QStringLiteral("81"), true, QStringLiteral("81")},
        {"path", QStringLiteral("/home/u/SOLAR_DATA/Heliodex"), true,
         QStringLiteral("/home/u/SOLAR_DATA/Heliodex")},
        {"windows path", QStringLiteral("C:\\SOLAR_DATA\\Heliodex"), true,
         QStringLiteral("C:\\SOLAR_DATA\\Heliodex")},
        {"comma and blanks", QStringLiteral(" a, b ;c "), true, QStringLiteral(" a, b ;c ")},
        {"at sign", QStringLiteral("@Variant(x)"), true, QStringLiteral("@Variant(x)")},
        {"japanese", QString::fromUtf8("日本語のパスワード"), true, QString::fromUtf8("日本語のパスワード")},
        {"255 bytes", repeat("a", 255), true, repeat("a", 255)},
        {"256 bytes refused", repeat("a", 256), false, QString()},
        {"127 double-byte", repeat("あ", 127), true, repeat("あ", 127)},
        {"128 double-byte refused", repeat("あ", 128), false, QString()},
        {"mixed 255 bytes", repeat("あ", 127) + u'x', true, repeat("あ", 127) + u'x'},
        {"not in code page 932", QString::fromUtf8("a€b"), true, QStringLiteral("a?b")},
        {"NUL ends the text", QStringLiteral("ab") + QChar(0) + QStringLiteral("cd"), true,
         QStringLiteral("ab")},
    };
    for (const Case& c : cases) {
        const QString name = QString::fromLatin1(c.name);
        EXPECT_EQ(RegStrSet(RegKeySystem, name, c.text), c.stored) << c.name;
        EXPECT_EQ(RegStrGet(RegKeySystem, name), c.readBack) << c.name;
    }
    EXPECT_TRUE(env.dialogs->log.isEmpty());
}

TEST(Registry, RefusedTextLeavesTheStoredValue)
{
    TestEnv env;
    ASSERT_TRUE(RegStrSet(RegKeySystem, QStringLiteral("Password"), QStringLiteral("old")));
    EXPECT_FALSE(RegStrSet(RegKeySystem, QStringLiteral("Password"), repeat("x", 300)));
    EXPECT_EQ(RegStrGet(RegKeySystem, QStringLiteral("Password")), QStringLiteral("old"));
}

TEST(Registry, StoredTextOf256BytesReadsEmpty)
{
    // A value put there by other means: it does not fit the read buffer.
    TestEnv env;
    ASSERT_TRUE(RegStrSet(RegKeySystem, QStringLiteral("Logo"), QStringLiteral("x")));
    {
        QSettings s(confFile(env), QSettings::IniFormat);
        s.setValue(QStringLiteral("System/Logo"), repeat("b", 256));
        s.setValue(QStringLiteral("System/Short"), repeat("b", 255));
    }
    EXPECT_EQ(RegStrGet(RegKeySystem, QStringLiteral("Logo")), QString());
    EXPECT_EQ(RegStrGet(RegKeySystem, QStringLiteral("Short")), repeat("b", 255));
}

TEST(Registry, NumbersRoundTrip)
{
    TestEnv env;
    for (std::int32_t v : {0, 1, 5, -1, 2147483647, std::int32_t(-2147483647 - 1), 0x00FF00FF}) {
        EXPECT_TRUE(RegNumSet(RegKeySystem, QStringLiteral("SortContition"), v)) << v;
        EXPECT_EQ(RegNumGet(RegKeySystem, QStringLiteral("SortContition")), v) << v;
    }
}

TEST(Registry, KeyPathsMapToGroupsAndTrailingBackslashIsTheSameKey)
{
    TestEnv env;
    EXPECT_TRUE(RegStrSet(RegKeySystem + u'\\', QStringLiteral("Language"), QStringLiteral("81")));
    EXPECT_TRUE(RegStrSet(RegKeyColorPV, QStringLiteral("1"), QStringLiteral("255")));
    EXPECT_TRUE(RegStrSet(RegKeyColorIV + u'\\', QStringLiteral("20"), QStringLiteral("16711680")));
    EXPECT_TRUE(RegNumSet(RegKeySystem, QStringLiteral("SortCol"), 4));

    EXPECT_EQ(RegStrGet(RegKeySystem, QStringLiteral("Language")), QStringLiteral("81"));
    EXPECT_EQ(RegStrGet(RegKeyColorPV + u'\\', QStringLiteral("1")), QStringLiteral("255"));
    EXPECT_EQ(RegStrGet(RegKeyColorIV, QStringLiteral("20")), QStringLiteral("16711680"));
    // A value of one key is not seen under another.
    EXPECT_EQ(RegStrGet(RegKeyColorIV, QStringLiteral("1")), QString());
    EXPECT_EQ(RegStrGet(RegKeySystem, QStringLiteral("1")), QString());

    // Every write is on disk at once, under organisation Tolvane, application
    // Heliodex, in the groups System and System/Report/Color/PV and IV.
    QSettings s(confFile(env), QSettings::IniFormat);
    EXPECT_EQ(s.value(QStringLiteral("System/Language")).toString(), QStringLiteral("81"));
    EXPECT_EQ(s.value(QStringLiteral("System/Report/Color/PV/1")).toString(), QStringLiteral("255"));
    EXPECT_EQ(s.value(QStringLiteral("System/Report/Color/IV/20")).toString(), QStringLiteral("16711680"));
    EXPECT_EQ(s.value(QStringLiteral("System/SortCol")).toInt(), 4);
}

TEST(Registry, EachTestEnvironmentHasItsOwnStore)
{
    // The settings folder follows XDG_CONFIG_HOME even after the first use
    // in the process, so values never leak from one environment to the next.
    QString first;
    {
        TestEnv env;
        first = confFile(env);
        ASSERT_TRUE(RegStrSet(RegKeySystem, QStringLiteral("SaveFolder"), QStringLiteral("/one")));
        EXPECT_TRUE(QFile::exists(first));
    }
    TestEnv env;
    EXPECT_EQ(RegStrGet(RegKeySystem, QStringLiteral("SaveFolder")), QString());
    ASSERT_TRUE(RegStrSet(RegKeySystem, QStringLiteral("SaveFolder"), QStringLiteral("/two")));
    EXPECT_TRUE(QFile::exists(confFile(env)));
    EXPECT_FALSE(QFile::exists(first));
}

TEST(Registry, WorkersRefuseOtherHivesAndTypes)
{
    TestEnv env;
    const QString key = QStringLiteral("Software\\") + RegKeySystem;
    EXPECT_FALSE(RegSetValue(2, key, QStringLiteral("a"), REG_SZ, QStringLiteral("x")));
    EXPECT_FALSE(RegSetValue(HKEY_CURRENT_USER, key, QStringLiteral("a"), 3, QStringLiteral("x")));
    EXPECT_EQ(
        RegGetValue(HKEY_CURRENT_USER, key, QStringLiteral("a"), REG_SZ, QStringLiteral("def")).toString(),
        QStringLiteral("def"));
    EXPECT_TRUE(env.dialogs->log.isEmpty());
}

TEST(Registry, NumberWorkerReportsTextThatIsNoNumber)
{
    TestEnv env;
    const QString key = QStringLiteral("Software\\") + RegKeySystem;
    EXPECT_FALSE(RegSetValue(HKEY_CURRENT_USER, key, QStringLiteral("n"), REG_DWORD, QStringLiteral("abc")));
    ASSERT_EQ(env.dialogs->log.size(), 1);
    EXPECT_EQ(env.dialogs->log[0].message.text, QStringLiteral("ERROR No:13 Type mismatch"));
    EXPECT_EQ(env.dialogs->log[0].message.title, QStringLiteral("RegSetValue"));
    EXPECT_EQ(env.dialogs->log[0].message.icon, 0);
    EXPECT_EQ(RegNumGet(RegKeySystem, QStringLiteral("n")), 0);
}

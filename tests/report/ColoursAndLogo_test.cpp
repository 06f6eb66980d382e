// The curve colours in the settings (defaults, reading, storing) and the
// logo setting (choosing a file, a spoilt file, removing it), without a
// window.
#include "ReportTestSupport.h"

#include "common/AppGlobals.h"
#include "platform/FileIo.h"
#include "platform/Registry.h"
#include "report/CurveColors.h"
#include "report/ReportLogo.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

QString Pv(int n)
{
    return RegStrGet(RegKeyColorPV, QString::number(n));
}

QString Iv(int n)
{
    return RegStrGet(RegKeyColorIV, QString::number(n));
}

} // namespace

TEST(CurveColours, StoredTextsReadAsColoursOrBlack)
{
    struct Case {
        const char* stored;
        std::uint32_t colour;
    } cases[] = {
        {"65280", 65280},   {"16777215", 16777215}, {"0", 0},       {"", 0},          {"abc", 0},
        {"255 blue", 255},  {"4660.6", 4661},       {"2.5", 2},     {"3.5", 4},       {"-1", 0},
        {"16777216", 0},    {"1E+30", 0},           {"-0.4", 0},    {"&HFF", 255},    {"16777215.4", 16777215},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CurveColorValue(QString::fromLatin1(c.stored)), c.colour) << c.stored;
}

TEST(CurveColours, DefaultsWrittenOnceThenReadEveryStart)
{
    TestEnv env;
    Global::CurveColors = {};
    LoadCurveColors();
    const char* defaults[5] = {"16711680", "65280", "16776960", "255", "16711935"};
    for (int n = 1; n <= 20; ++n) {
        EXPECT_EQ(Pv(n), QString::fromLatin1(defaults[(n - 1) % 5])) << n;
        EXPECT_EQ(Iv(n), QString::fromLatin1(defaults[(n - 1) % 5])) << n;
        EXPECT_EQ(Global::CurveColors[CurveColor::PV][std::size_t(n - 1)], DefaultCurveColor(n - 1));
        EXPECT_EQ(Global::CurveColors[CurveColor::IV][std::size_t(n - 1)], DefaultCurveColor(n - 1));
    }
    // Value "1" alone decides: with it present, a missing "7" reads black
    // and nothing is written.
    RegStrSet(RegKeyColorPV, QStringLiteral("7"), QString());
    RegStrSet(RegKeyColorIV, QStringLiteral("20"), QStringLiteral("99999999"));
    LoadCurveColors();
    EXPECT_TRUE(Pv(7).isEmpty());
    EXPECT_EQ(Global::CurveColors[CurveColor::PV][6], 0u);
    EXPECT_EQ(Global::CurveColors[CurveColor::IV][19], 0u);
    // Without value "1" all forty are written again.
    RegStrSet(RegKeyColorPV, QStringLiteral("1"), QString());
    LoadCurveColors();
    EXPECT_EQ(Pv(7), QStringLiteral("65280"));
    EXPECT_EQ(Iv(20), QStringLiteral("16711935"));

    EXPECT_EQ(CurveColorOf(CurveColor::IV, 19), 16711935u);
    EXPECT_EQ(CurveColorOf(CurveColor::IV, 20), 0u);
    EXPECT_EQ(CurveColorOf(CurveColor::PV, -1), 0u);
}

TEST(CurveColours, StoringWritesAllFortyAndReportsAFailureOnce)
{
    TestEnv env;
    for (int q = 0; q < 20; ++q) {
        Global::CurveColors[CurveColor::PV][std::size_t(q)] = std::uint32_t(q);
        Global::CurveColors[CurveColor::IV][std::size_t(q)] = std::uint32_t(0x10000 + q);
    }
    EXPECT_TRUE(StoreCurveColors());
    for (int n = 1; n <= 20; ++n) {
        EXPECT_EQ(Pv(n), QString::number(n - 1));
        EXPECT_EQ(Iv(n), QString::number(0x10000 + n - 1));
    }
    EXPECT_TRUE(env.dialogs->log.isEmpty());

    // A settings store that cannot be written (a folder stands where its
    // file should be): one report, not forty.
    const QString store = env.root() + QStringLiteral("/config/Tolvane/Heliodex.conf");
    ASSERT_TRUE(QFile::remove(store));
    ASSERT_TRUE(QDir().mkpath(store));
    EXPECT_FALSE(StoreCurveColors());
    ASSERT_EQ(env.dialogs->log.size(), 1);
    EXPECT_EQ(env.dialogs->log[0].message.title, QStringLiteral("RegStrSet"));
    EXPECT_TRUE(env.dialogs->log[0].message.text.startsWith(QStringLiteral("ERROR No:75 ")));

    // Loading from that store: the defaults are used as they are, with the
    // one report of the failed write, never forty black curves.
    Global::CurveColors = {};
    LoadCurveColors();
    EXPECT_EQ(env.dialogs->log.size(), 2);
    for (int q = 0; q < 20; ++q) {
        EXPECT_EQ(CurveColorOf(CurveColor::PV, q), DefaultCurveColor(q)) << q;
        EXPECT_EQ(CurveColorOf(CurveColor::IV, q), DefaultCurveColor(q)) << q;
    }
}

TEST(ReportLogo, AChosenFileIsStoredOnlyWhenItLoads)
{
    TestEnv env;
    EXPECT_TRUE(StoredLogoPath().isEmpty());
    EXPECT_EQ(BuiltInLogo().size(), QSize(150, 30));
    EXPECT_EQ(ReportLogo(), BuiltInLogo());

    const QString good = env.root() + QStringLiteral("/logo.png");
    ASSERT_TRUE(ReportTest::WritePicture(good, 200, 40, Qt::red));
    LogoChoice c = ChooseLogoFile(good);
    EXPECT_EQ(c.kind, LogoChoice::Chosen);
    EXPECT_FALSE(c.error);
    EXPECT_EQ(c.image.size(), QSize(200, 40));
    EXPECT_EQ(StoredLogoPath(), good);
    EXPECT_EQ(ReportLogo().size(), QSize(200, 40));

    // A file that is no picture: nothing changes, and the caller is told why.
    const QString spoilt = env.root() + QStringLiteral("/logo.bmp");
    ASSERT_TRUE(WriteFileAtomic(spoilt, QByteArray("BM not really")));
    c = ChooseLogoFile(spoilt);
    EXPECT_EQ(c.kind, LogoChoice::Unchanged);
    ASSERT_TRUE(c.error);
    EXPECT_EQ(c.error->number, 481);
    EXPECT_EQ(StoredLogoPath(), good);

    // A name that names no file stands for the built-in logo.
    c = ChooseLogoFile(env.root() + QStringLiteral("/gone.png"));
    EXPECT_EQ(c.kind, LogoChoice::BuiltIn);
    EXPECT_EQ(c.image, BuiltInLogo());
    EXPECT_TRUE(RegStrGet(RegKeySystem, QStringLiteral("Logo")).isEmpty());

    // A stored file that was spoilt or removed since shows the built-in logo.
    ASSERT_TRUE(ChooseLogoFile(good).kind == LogoChoice::Chosen);
    ASSERT_TRUE(WriteFileAtomic(good, QByteArray("spoilt")));
    EXPECT_EQ(ReportLogo(), BuiltInLogo());
    QFile::remove(good);
    EXPECT_EQ(ReportLogo(), BuiltInLogo());
    EXPECT_EQ(StoredLogoPath(), good);
    EXPECT_TRUE(RemoveLogo());
    EXPECT_TRUE(StoredLogoPath().isEmpty());
    EXPECT_TRUE(env.dialogs->log.isEmpty());
}

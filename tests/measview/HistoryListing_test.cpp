// A history lists its measurement files only: regular files, or links to
// them. Anything else named like one is passed over (reading a link to
// /dev/zero or a pipe would never end).
#include "measview/HistoryLoad.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <sys/stat.h>

TEST(HistoryListing, OnlyRegularFilesAndLinksToThemAreListed)
{
    TestEnv env;
    const QString history = env.dataFolder() + QStringLiteral("/USER_DATA/A001_Kato/1_Roof");
    ASSERT_TRUE(QDir().mkpath(history));
    const auto name = [&](int k) { return history + QStringLiteral("/240504_08000%1_0005-02-02.csv").arg(k); };
    {
        QFile real(name(0));
        ASSERT_TRUE(real.open(QIODevice::WriteOnly));
        real.write("a measurement\r\n");
    }
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), name(1)));
    ASSERT_EQ(::mkfifo(QFile::encodeName(name(2)).constData(), 0644), 0);
    ASSERT_TRUE(QDir().mkpath(name(3)));
    ASSERT_TRUE(QFile::link(history + QStringLiteral("/gone.csv"), name(4)));
    ASSERT_TRUE(QFile::link(name(0), name(5)));

    EXPECT_EQ(HistoryMeasFiles(history), (QStringList{name(0), name(5)}));
    EXPECT_TRUE(env.dialogs->log.isEmpty());
}

// The read-out with its backup copy under the write-fault harness: each
// step of its writes failed in turn, and a disk that fills up, over a
// FORWARD_DATA folder that already holds files (one of the same name).
#include "ForwardTestSupport.h"

#include "common/FileHelpers.h"
#include "support/WriteFaults.h"

#include <QFile>

#include <gtest/gtest.h>

TEST(ReadOutWriteFaults, QtmForwordData)
{
    ForwardWindow f;
    const QString forward = ForwardWindow::forwardFolder();
    const QList<QByteArray> records = Records1184(3);
    // The file name the first record takes (its date, time and number).
    const QString firstName = QStringLiteral("240503_000001_0001-01-01.csv");
    CheckWriteFaults({"QtmForwordData (read-out with backup)", Global::DataFolder,
                      [&] {
                          QDir(forward).removeRecursively();
                          QDir(ForwardWindow::backupRoot()).removeRecursively();
                          QDir().mkpath(forward);
                          QFile same(forward + u'/' + firstName);
                          ASSERT_TRUE(same.open(QIODevice::WriteOnly));
                          same.write("an earlier read-out\r\n");
                          same.close();
                          QFile other(forward + QStringLiteral("/240101_101010_0009-09-09.csv"));
                          ASSERT_TRUE(other.open(QIODevice::WriteOnly));
                          other.write("another measurement\r\n");
                          other.close();
                          f.sim().records = records;
                          Global::ClockOverride = [] { return TestNow(); };
                      },
                      [&] { return QtmForwordData(); }});
    // The record names the file the test expects to replace.
    EXPECT_TRUE(QFile::exists(forward + u'/' + firstName));
}

// The instrument-data list: which files of FORWARD_DATA it lists, in which
// order, and how each column shows a record (fixtures in
// tests/fixtures/forward/, one per column rule).
#include "ForwardTestSupport.h"

#include "instrument/MeasFile.h"

#include <QFile>
#include <QLabel>

#include <gtest/gtest.h>

namespace {

QString Ui(int key)
{
    return Global::UiText.value(key);
}

void CopyFixtures(const QString& to)
{
    QDir().mkpath(to);
    const QDir from(QStringLiteral(HX_FIXTURES "/forward"));
    for (const QString& name : from.entryList({QStringLiteral("*.csv")}, QDir::Files))
        ASSERT_TRUE(QFile::copy(from.filePath(name), to + u'/' + name)) << name.toStdString();
}

void Touch(const QString& path, const QByteArray& bytes = QByteArray())
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

TEST(ForwardList, EachColumnShowsItsRecordByTheListsRules)
{
    ForwardWindow f;
    const QString forward = ForwardWindow::forwardFolder();
    CopyFixtures(forward);
    // Not listed: a name of another pattern, a name holding a
    // machine-dependent character (a full copy of a listed file). Listed
    // with no values: an empty file, so that it can be deleted.
    Touch(forward + QStringLiteral("/notes.txt"), "x");
    Touch(forward + QStringLiteral("/240101_000000_0000-00-00.csv"));
    QFile::copy(forward + QStringLiteral("/240503_101500_0012-03-01.csv"),
                forward + QStringLiteral("/240503_101500_0012-0\u2460-01.csv"));

    ForwardDataView();

    const QString clean = Ui(511), dirty = Ui(512), good = Ui(580), poor = Ui(582);
    const QString dash = QStringLiteral("--");
    // Rows in name order: date, time and number as text (year 99 last).
    const QList<QStringList> rows = {
        // bare layout C of a 1120-character record: no version
        {"17/01/01", "09:00:00", "0001", "01", "01", "", "200", "38", "7.50", "", "45.2", "23.5", "1000",
         dirty, "15", dash, "--/--", dash},
        // an empty file: its name's date, time and number, no values
        {"24/01/01", "00:00:00", "0000", "00", "00", "", "", "", "", "", "", "", "", "", "", "", "", ""},
        // numbered model, version 8.3
        {"24/05/03", "10:15:00", "0012", "03", "01", "", "251", "37.5", "8.952", "0.75", "45.2", "23.5",
         "1000", clean, "30", "95", "9/11", good},
        // lower-case letter code, version 8.4: result "2" has no text
        {"24/05/03", "10:20:00", "0013", "01", "02", "", "251", "37.5", "8.952", "0.75", "45.2", dash, "1000",
         dash, dash, "95", "9/--", dash},
        // model 7: Isc with one decimal
        {"24/05/03", "10:30:00", "0014", "02", "01", "", "251", "37.5", "12.3", "0.75", "45.2", dash, "1000",
         dash, dash, "95", "9/11", poor},
        // letter code, version 8.3 (not above): no judgement
        {"24/05/03", "10:40:00", "0015", "05", "02", "", "251", "37.5", "8.952", "0.75", "45.2", dash, "1000",
         dash, dash, dash, "--/--", dash},
        // version 8.1 without a fill-factor line, dirt code 3, no result
        {"24/05/04", "08:00:00", "0016", "01", "01", "", "100", "41.0", "8.952", "", "45.2", "23.5", "1000",
         dash, dash, "95", "9/11", dash},
        // version 7.5, model 6: Voc whole, Isc one decimal
        {"24/05/04", "09:00:00", "0017", "01", "01", "", "251", "42", "5.3", "", "45.2", dash, "1000", dash,
         dash, "95", "9/11", good},
        // no "VER," line: an empty record
        {"", "", "", "", "", "", "", "0", "0.00", "", "", "", "", dash, dash, "", "/", dash},
    };
    ASSERT_EQ(f.grid()->Rows(), int(rows.size()) + 1);
    ASSERT_EQ(f.grid()->Cols(), 18);
    for (int r = 0; r < rows.size(); ++r)
        EXPECT_EQ(f.rowTexts(r + 1), rows[r]) << "row " << r + 1;

    QStringList headers;
    for (int key : ForwardListHeaderKeys())
        headers << Ui(key);
    EXPECT_EQ(f.rowTexts(0), headers);
    for (int c = 0; c < 18; ++c)
        EXPECT_EQ(f.grid()->ColAlignment(c), FlexGrid::flexAlignCenterCenter) << c;

    // The state behind the rows.
    EXPECT_EQ(Global::ForwardFileCount, 9);
    EXPECT_EQ(Global::ForwardTick, std::vector<std::uint8_t>(10, 0));
    EXPECT_EQ(Global::CurForwardRow, -1);
    EXPECT_EQ(Global::ForwardRecords.size(), 1201u);
    EXPECT_EQ(Global::ForwardFilePaths.size(), 1201u);
    EXPECT_EQ(Global::ForwardFilePaths[0], forward + QStringLiteral("/170101_090000_0001-01-01.csv"));
    EXPECT_EQ(Global::ForwardFilePaths[1], forward + QStringLiteral("/240101_000000_0000-00-00.csv"));
    EXPECT_EQ(Global::ForwardFilePaths[8], forward + QStringLiteral("/990101_000000_0002-01-01.csv"));
    EXPECT_TRUE(Global::ForwardFilePaths[9].isEmpty());
    EXPECT_EQ(Global::ForwardRecords[1].F[MeasRecord::Number], QStringLiteral("0000-00-00"));
    EXPECT_EQ(Global::ForwardRecords[2].F[MeasRecord::Model], QStringLiteral("3"));
    EXPECT_TRUE(Global::ForwardRecords[2].IvPoints[0][MeasRecord::Watt].isEmpty());
    EXPECT_FALSE(f.control<QPushButton>("CmdFwdAll")->isHidden());
}

TEST(ForwardList, AnEmptyOrMissingFolderGivesTheHeaderAlone)
{
    ForwardWindow f;
    ASSERT_FALSE(QDir(ForwardWindow::forwardFolder()).exists());
    Global::ForwardTick.assign(5, 1);
    Global::CurForwardRow = 3;
    ForwardDataView();
    EXPECT_TRUE(QDir(ForwardWindow::forwardFolder()).exists());
    EXPECT_EQ(f.grid()->Rows(), 1);
    EXPECT_EQ(f.grid()->TextMatrix(0, 0), Ui(142));
    EXPECT_EQ(Global::ForwardFileCount, 0);
    EXPECT_EQ(Global::ForwardTick, std::vector<std::uint8_t>(1, 0));
    EXPECT_EQ(Global::CurForwardRow, -1);
    EXPECT_TRUE(f.control<QPushButton>("CmdFwdAll")->isHidden());
}

TEST(ForwardList, TheRecordsAreSizedByTheFolderBeyond1200Files)
{
    ForwardWindow f;
    const QString forward = ForwardWindow::forwardFolder();
    QDir().mkpath(forward);
    for (int i = 0; i < 1300; ++i)
        Touch(forward + QStringLiteral("/other%1.dat").arg(i), "x");
    CopyFixtures(forward);
    ForwardDataView();
    EXPECT_EQ(Global::ForwardFileCount, 8);
    EXPECT_EQ(Global::ForwardRecords.size(), 1309u);
    EXPECT_EQ(Global::ForwardFilePaths.size(), 1309u);
}

TEST(ForwardList, EveryLoadStartsTicksAndCurrentRowAfresh)
{
    ForwardWindow f;
    const QString forward = ForwardWindow::forwardFolder();
    CopyFixtures(forward);
    ForwardDataView();
    f.grid()->setTick(2, true);
    f.grid()->setTick(8, true);
    Global::CurForwardRow = 4;
    ASSERT_EQ(Global::ForwardTick[7], 1);

    // One file fewer: the flags never follow the old rows.
    ASSERT_TRUE(QFile::remove(forward + QStringLiteral("/170101_090000_0001-01-01.csv")));
    ForwardDataView();
    EXPECT_EQ(f.grid()->Rows(), 8);
    EXPECT_EQ(Global::ForwardTick, std::vector<std::uint8_t>(8, 0));
    for (int row = 1; row < f.grid()->Rows(); ++row) {
        EXPECT_EQ(f.grid()->Tick(row), 0) << row;
        EXPECT_EQ(f.grid()->cellBackColor(row, 0), 0u) << row;
    }
    EXPECT_EQ(Global::CurForwardRow, -1);
    EXPECT_EQ(f.grid()->TextMatrix(1, 2), QStringLiteral("0012"));
}

TEST(ForwardListCells, TheJudgementSwitchWinsOverTheModel)
{
    MeasRecord r;
    r.F[40] = QStringLiteral("B");
    r.F[42] = QStringLiteral("8.5");
    r.F[31] = QStringLiteral("2");
    r.F[32] = QStringLiteral("95");
    const QStringList c = ForwardListCells(r);
    EXPECT_EQ(c.mid(15), (QStringList{"--", "--/--", "--"}));
    r.F[31] = QStringLiteral("0");
    EXPECT_EQ(ForwardListCells(r).mid(15), (QStringList{"95", "/--", "--"}));
}

// The in-place edit of a read-out measurement on the instrument-data list,
// driven as a user drives it: a double-click opens the box over a cell,
// Enter stores the value, the file in FORWARD_DATA follows under its new
// name with a backup copy, Esc and leaving the box drop the edit; refused
// values, another measurement's file in the way, and failing writes.
#include "ForwardTestSupport.h"

#include "app/MeasEditBox.h"
#include "instrument/MeasEdit.h"
#include "instrument/MeasFile.h"
#include "support/WriteFaults.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QTabWidget>

#include <gtest/gtest.h>

namespace {

QByteArray FileBytes(const QString& path)
{
    return ReadFileBytes(path).value_or(QByteArray("(missing)"));
}

struct EditTab : ForwardWindow {
    EditTab()
    {
        form->resize(1300, 700);
        form->show();
        {
            const QSignalBlocker b(form->SSTab);
            form->SSTab->setCurrentIndex(2);
        }
        WriteForwardFiles(3);
        ForwardDataView();
        QApplication::processEvents();
        dialogs().log.clear();
    }
    ~EditTab() { FileIoFaults::Reset(); }

    QLineEdit* box() const { return control<QLineEdit>("TxtPoinrIn_1"); }
    QPointF at(int row, int col) const
    {
        return grid()->viewport()->mapFrom(grid(), grid()->CellRect(row, col).center());
    }
    void mouse(QEvent::Type type, QPointF pos)
    {
        const bool move = type == QEvent::MouseMove;
        QMouseEvent e(type, pos, grid()->viewport()->mapToGlobal(pos), move ? Qt::NoButton : Qt::LeftButton,
                      move ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(grid()->viewport(), &e);
    }
    // Opens the box over (row, col), types `text` and presses `key`.
    void edit(int row, int col, const QString& text, int key = Qt::Key_Return)
    {
        mouse(QEvent::MouseMove, at(row, col));
        mouse(QEvent::MouseButtonPress, at(row, col));
        mouse(QEvent::MouseButtonRelease, at(row, col));
        mouse(QEvent::MouseButtonDblClick, at(row, col));
        ASSERT_TRUE(box()->isVisible());
        box()->setText(text);
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(box(), &press);
    }
    static QString backupFolder() { return ForwardWindow::backupFolder(); }
};

const QString First = QStringLiteral("240503_100001_0001-02-03.csv");

} // namespace

TEST(ForwardEdit, EachColumnRewritesTheFileUnderItsNewNameWithABackupCopy)
{
    const struct {
        int col;
        const char* typed;
        const char* cell;
        const char* name;
    } cases[] = {
        {0, "24/6/1", "24/06/01", "240601_100001_0001-02-03.csv"},
        {1, "9:5:7", "09:05:07", "240503_090507_0001-02-03.csv"},
        {2, "77", "0077", "240503_100001_0077-02-03.csv"},
        {3, "4", "04", "240503_100001_0001-04-03.csv"},
        {4, "9", "09", "240503_100001_0001-02-09.csv"},
        {5, "roof south", "roof south", "240503_100001_0001-02-03.csv"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.col);
        EditTab t;
        t.edit(1, c.col, QString::fromUtf8(c.typed));
        EXPECT_FALSE(t.box()->isVisible());
        EXPECT_TRUE(t.grid()->isEnabled());
        EXPECT_EQ(t.grid()->TextMatrix(1, c.col), QString::fromUtf8(c.cell));
        const QString name = QString::fromUtf8(c.name);
        const QString path = ForwardWindow::forwardFolder() + u'/' + name;
        EXPECT_EQ(Global::ForwardFilePaths[0], path);
        QStringList want = {name, QStringLiteral("240503_100002_0002-02-03.csv"),
                            QStringLiteral("240503_100003_0003-02-03.csv")};
        want.sort();
        EXPECT_EQ(ForwardWindow::files(ForwardWindow::forwardFolder()), want);
        // The file holds the record as the list holds it; the backup the same bytes.
        MeasRecord rec = Global::ForwardRecords[0];
        MeasFileWriteOptions readOut;
        EXPECT_EQ(FileBytes(path), MeasFileBytes(rec, readOut));
        EXPECT_EQ(ForwardWindow::files(EditTab::backupFolder()), QStringList{name});
        EXPECT_EQ(FileBytes(EditTab::backupFolder() + u'/' + name), FileBytes(path));
        // The read-out file has no line for the measuring position.
        EXPECT_FALSE(FileBytes(path).contains("roof"));
        EXPECT_EQ(ReadMeasFile(path, MeasFileVariant::ReadOut).F[0], rec.F[0]);
        EXPECT_TRUE(t.boxes().isEmpty()) << t.boxes().join(u'\n').toStdString();
        EXPECT_TRUE(t.grid()->hasFocus() || !QApplication::focusWidget());
    }
}

TEST(ForwardEdit, EscLeavingTheBoxOrARefusedValueChangeNothing)
{
    EditTab t;
    const QByteArray before = FileBytes(ForwardWindow::forwardFolder() + u'/' + First);
    const QStringList files = ForwardWindow::files(ForwardWindow::forwardFolder());
    const auto unchanged = [&] {
        EXPECT_FALSE(t.box()->isVisible());
        EXPECT_TRUE(t.grid()->isEnabled());
        EXPECT_EQ(ForwardWindow::files(ForwardWindow::forwardFolder()), files);
        EXPECT_EQ(FileBytes(ForwardWindow::forwardFolder() + u'/' + First), before);
        EXPECT_FALSE(QDir(ForwardWindow::backupRoot()).exists());
        EXPECT_EQ(Global::ForwardRecords[0].F[0], QStringLiteral("0001-02-03"));
        EXPECT_EQ(t.grid()->TextMatrix(1, 3), QStringLiteral("02"));
    };
    t.edit(1, 3, QStringLiteral("5"), Qt::Key_Escape);
    unchanged();
    EXPECT_TRUE(t.grid()->hasFocus());

    // Leaving the box drops the edit as Esc does; its own context menu
    // does not leave it.
    t.edit(1, 3, QStringLiteral("5"), Qt::Key_A);
    ASSERT_TRUE(t.box()->isVisible());
    QFocusEvent menu(QEvent::FocusOut, Qt::PopupFocusReason);
    QApplication::sendEvent(t.box(), &menu);
    EXPECT_TRUE(t.box()->isVisible());
    QFocusEvent away(QEvent::FocusOut, Qt::MouseFocusReason);
    QApplication::sendEvent(t.box(), &away);
    unchanged();

    for (const char* refused : {"11", "0", "x"}) {
        SCOPED_TRACE(refused);
        t.edit(1, 3, QString::fromLatin1(refused));
        unchanged();
    }
    EXPECT_TRUE(t.boxes().isEmpty());

    // A serial a file name cannot carry, and a comma in the position, are
    // refused with a word to the user.
    t.edit(1, 2, QStringLiteral("1/2"));
    unchanged();
    t.edit(1, 5, QStringLiteral("east, roof"));
    unchanged();
    EXPECT_TRUE(Global::ForwardRecords[0].F[3].isEmpty());
    const QString why = QStringLiteral("Heliodex|") + Global::UiText.value(UiMeasEditBadChar);
    EXPECT_EQ(t.boxes(), QStringList({why, why}));
    EXPECT_FALSE(Global::UiText.value(UiMeasEditBadChar).isEmpty());
}

TEST(ForwardEdit, RetypingThePresentValueKeepsTheNameAndAddsABackup)
{
    EditTab t;
    t.edit(1, 4, QStringLiteral("3"));
    EXPECT_EQ(Global::ForwardFilePaths[0], ForwardWindow::forwardFolder() + u'/' + First);
    EXPECT_EQ(ForwardWindow::files(ForwardWindow::forwardFolder()).size(), 3);
    EXPECT_EQ(ForwardWindow::files(EditTab::backupFolder()), QStringList{First});

    // A date of the right form that is no date keeps the name as well.
    t.edit(1, 0, QStringLiteral("99/99/99"));
    EXPECT_EQ(t.grid()->TextMatrix(1, 0), QStringLiteral("24/05/03"));
    EXPECT_EQ(ForwardWindow::files(ForwardWindow::forwardFolder()).size(), 3);
    EXPECT_TRUE(t.boxes().isEmpty());
}

TEST(ForwardEdit, ALongPositionIsNotedAndKeptInTheRecordOnly)
{
    EditTab t;
    const QString fifteen = QStringLiteral("123456789012345");
    t.edit(2, 5, fifteen);
    EXPECT_EQ(Global::ForwardRecords[1].F[3], fifteen);
    EXPECT_EQ(t.grid()->TextMatrix(2, 5), fifteen);
    EXPECT_EQ(t.boxes(), QStringList{QStringLiteral("Heliodex|") + Global::UiText.value(UiLongPosition)});
    EXPECT_FALSE(Global::UiText.value(UiLongPosition).isEmpty());
    EXPECT_EQ(t.dialogs().log.at(0).message.icon, vbInformation);
}

TEST(ForwardEdit, AnotherMeasurementsFileIsNotReplaced)
{
    EditTab t;
    // Record 2 has the name record 1 would take with the time 10:00:02 and
    // serial 0002: make record 1's serial 0002 first, then its time.
    t.edit(1, 2, QStringLiteral("2"));
    ASSERT_EQ(Global::ForwardFilePaths[0],
              ForwardWindow::forwardFolder() + QStringLiteral("/240503_100001_0002-02-03.csv"));
    const QStringList files = ForwardWindow::files(ForwardWindow::forwardFolder());
    const QString other = ForwardWindow::forwardFolder() + QStringLiteral("/240503_100002_0002-02-03.csv");
    const QByteArray otherBytes = FileBytes(other);
    const QStringList backups = ForwardWindow::files(EditTab::backupFolder());
    t.dialogs().log.clear();

    t.edit(1, 1, QStringLiteral("10:00:02"));
    ASSERT_EQ(t.boxes().size(), 1);
    EXPECT_TRUE(t.boxes()[0].startsWith(QStringLiteral("TxtPoinrIn_KeyPress|ERROR No:58 ")));
    EXPECT_EQ(FileBytes(other), otherBytes);
    EXPECT_EQ(ForwardWindow::files(ForwardWindow::forwardFolder()), files);
    EXPECT_EQ(ForwardWindow::files(EditTab::backupFolder()), backups);
    EXPECT_EQ(Global::ForwardRecords[0].F[2], QStringLiteral("10:00:01"));
    EXPECT_EQ(t.grid()->TextMatrix(1, 1), QStringLiteral("10:00:01"));
}

namespace {

// The edit of record 1's group to 05, from the box as the double-click
// leaves it.
Saver GroupEdit(EditTab& t)
{
    return {QStringLiteral("TxtPoinrIn_KeyPress (instrument data)"), Global::DataFolder,
            [&t] {
                QDir(ForwardWindow::forwardFolder()).removeRecursively();
                QDir(ForwardWindow::backupRoot()).removeRecursively();
                WriteForwardFiles(3);
                ForwardDataView();
                Global::CurForwardRow = 0;
                Global::EditColForward = 3;
                t.grid()->setEnabled(false);
                t.box()->setText(QStringLiteral("5"));
                t.box()->show();
            },
            [] {
                int key = 13;
                TxtPoinrIn_KeyPress(1, key);
                return key == 0;
            }};
}

} // namespace

TEST(ForwardEdit, AnEditFailingHalfWayLeavesFilesRecordAndListAsTheyWere)
{
    EditTab t;
    const Saver edit = GroupEdit(t);
    // The old file's removal, the last step of the edit, fails.
    const int removal = StepNumberOf(edit, FileIoFaults::Step::Remove, First);
    ASSERT_GT(removal, 0);
    edit.arrange();
    const QStringList files = ForwardWindow::files(ForwardWindow::forwardFolder());
    const QByteArray bytes = FileBytes(ForwardWindow::forwardFolder() + u'/' + First);
    t.dialogs().log.clear();
    FileIoFaults::FailAt(removal);
    edit.run();
    FileIoFaults::Reset();
    ASSERT_EQ(t.boxes().size(), 1);
    EXPECT_TRUE(t.boxes()[0].startsWith(QStringLiteral("TxtPoinrIn_KeyPress|ERROR No:")));
    EXPECT_EQ(ForwardWindow::files(ForwardWindow::forwardFolder()), files);
    EXPECT_EQ(FileBytes(ForwardWindow::forwardFolder() + u'/' + First), bytes);
    EXPECT_TRUE(ForwardWindow::files(EditTab::backupFolder()).isEmpty());
    EXPECT_EQ(Global::ForwardRecords[0].F[0], QStringLiteral("0001-02-03"));
    EXPECT_EQ(Global::ForwardFilePaths[0], ForwardWindow::forwardFolder() + u'/' + First);
    EXPECT_EQ(t.grid()->TextMatrix(1, 3), QStringLiteral("02"));
    EXPECT_TRUE(t.grid()->isEnabled());
}

TEST(ForwardEdit, EveryWriteOfTheEditSurvivesAFaultAndAFullDisk)
{
    EditTab t;
    CheckWriteFaults(GroupEdit(t));
}

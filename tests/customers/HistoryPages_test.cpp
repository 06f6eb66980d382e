// The construction-history pages of the customer tab: turning pages, edits
// kept in memory, copy and paste of the contractors, the history-name
// guard, deleting a history with the renumbering of the others, and the
// site pictures.
#include "customers/support/CustomerTabEnv.h"

#include "customers/UserData.h"

#include <QFile>
#include <QFocusEvent>
#include <QLabel>
#include <QMenu>
#include <QTemporaryDir>

#include "common/FrmMessWindow.h"

using namespace CustomerTabTest;
using CustomerFixture::Bytes;
using CustomerFixture::Lines;

namespace {

QStringList Folders(const QString& folder)
{
    return QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
}

void Focus(QObject* box, QEvent::Type type)
{
    QFocusEvent e(type, Qt::TabFocusReason);
    QCoreApplication::sendEvent(box, &e);
}

class HistoryPagesTest : public ::testing::Test {
  protected:
    CustomerTabEnv t;
    QString customer;

    void Open(int histories) { customer = t.Open(Hayashi(histories)); }
};

} // namespace

TEST_F(HistoryPagesTest, PagesRunFromTheFirstHistoryToTheEmptyPageAfterTheLast)
{
    Open(3);
    EXPECT_EQ(t.Text("TxtIn", 11), "Job1");
    t.Click("CmdScl", 0);
    EXPECT_EQ(Global::HistoryPage, 0) << "no page before the first";
    for (int page = 2; page <= 4; ++page) {
        t.Click("CmdScl", 1);
        EXPECT_EQ(t.Text("LblPage"), QString::number(page));
    }
    EXPECT_EQ(t.Text("TxtIn", 11), "") << "the empty page after history 3";
    EXPECT_EQ(t.Text("TxtCompanyName", 0), "");
    t.Click("CmdScl", 1);
    EXPECT_EQ(Global::HistoryPage, 3) << "no page after the empty one";
    t.Click("CmdScl", 0);
    EXPECT_EQ(t.Text("TxtIn", 11), "Job3");
    EXPECT_EQ(t.Text("LblDate"), "2024/02/03");
    EXPECT_EQ(t.Text("LblMeasDataVoc"), "40");
    EXPECT_EQ(t.Text("TxtIn", 12), "memo 3");
    EXPECT_EQ(t.Text("TxtCompanyName", 0), "Firm3");
    EXPECT_TRUE(t.TakeMessages().isEmpty());
}

TEST_F(HistoryPagesTest, EditsStayInMemoryAcrossPagesAndTheSaveQuestionComesOncePerBatch)
{
    Open(2);
    t.Type("TxtIn", 12, "changed memo");
    t.Type("TxtCompanyTel", 2, "099");
    t.Dialogs().answer(vbNo);
    t.Click("CmdScl", 1);
    EXPECT_EQ(t.TakeMessages(), QStringList{Ui(578)});
    EXPECT_FALSE(Global::TabModified[0]);
    // Back without new edits: no question, the edits are shown again.
    t.Click("CmdScl", 0);
    EXPECT_TRUE(t.TakeMessages().isEmpty());
    EXPECT_EQ(t.Text("TxtIn", 12), "changed memo");
    EXPECT_EQ(t.Text("TxtCompanyTel", 2), "099");
    EXPECT_EQ(AnsiCodec::splitLines(Bytes(customer + "/1_Job1/MeasData.csv")).value(9), "memo 1")
        << "not written";

    // A new history typed on the empty page, saved by Yes to the question.
    t.Click("CmdScl", 1);
    t.Click("CmdScl", 1);
    t.Type("TxtIn", 11, "Job3");
    t.Dialogs().answer(vbYes);
    t.Click("CmdScl", 0);
    EXPECT_EQ(t.TakeMessages(), QStringList{Ui(578)});
    EXPECT_EQ(AnsiCodec::splitLines(Bytes(customer + "/3_Job3/MeasData.csv")).value(0), "Job3");
    EXPECT_EQ(AnsiCodec::splitLines(Bytes(customer + "/1_Job1/MeasData.csv")).value(9), "changed memo");
    EXPECT_EQ(Global::HistoryPage, 1) << "turned after the save";
    EXPECT_EQ(t.Text("TxtIn", 11), "Job2");
    EXPECT_EQ(t.Text("LblTotalPage"), "3");
}

TEST_F(HistoryPagesTest, ContractorsAreCopiedAndPastedBetweenPagesAndCustomers)
{
    Open(2);
    EXPECT_FALSE(qobject_cast<QAction*>(t.Ctl("MnuCopyPaste_1"))->isEnabled()) << "nothing copied yet";
    t.Trigger("MnuCopyPaste_0");
    EXPECT_TRUE(qobject_cast<QAction*>(t.Ctl("MnuCopyPaste_1"))->isEnabled());
    EXPECT_FALSE(Global::TabModified[0]) << "copying is no edit";
    t.Click("CmdScl", 1);
    ASSERT_EQ(t.Text("TxtCompanyName", 0), "Firm2");
    t.Trigger("MnuCopyPaste_1");
    EXPECT_EQ(t.Text("TxtCompanyName", 0), "Firm1");
    EXPECT_EQ(t.Text("TxtCompanyCharge", 4), "");
    EXPECT_TRUE(Global::TabModified[0]);

    // A right click on a contractor heading opens the menu; on another
    // caption nothing.
    auto* menu = qobject_cast<QMenu*>(t.Ctl("MnuCopyPasteMenu"));
    LblUserMess_MouseDown(16, Qt::RightButton, QPoint(5, 5));
    EXPECT_FALSE(menu->isVisible());
    LblUserMess_MouseDown(18, Qt::LeftButton, QPoint(5, 5));
    EXPECT_FALSE(menu->isVisible());
    LblUserMess_MouseDown(18, Qt::RightButton, QPoint(5, 5));
    EXPECT_TRUE(menu->isVisible());
    menu->hide();
}

TEST_F(HistoryPagesTest, LeavingAChangedHistoryNameAsksWhetherToKeepIt)
{
    Open(2);
    QObject* box = t.Ctl("TxtIn", 11);
    Focus(box, QEvent::FocusIn);
    EXPECT_TRUE(Global::HistoryNameEdited);
    Focus(box, QEvent::FocusOut);
    EXPECT_FALSE(Global::HistoryNameEdited) << "unchanged";
    EXPECT_TRUE(t.TakeMessages().isEmpty());

    // No puts the stored name back.
    Focus(box, QEvent::FocusIn);
    t.Type("TxtIn", 11, "job1");
    t.Dialogs().answer(vbNo);
    Focus(box, QEvent::FocusOut);
    EXPECT_EQ(t.TakeMessages(), QStringList{Ui(588)});
    EXPECT_EQ(t.Text("TxtIn", 11), "Job1");
    EXPECT_TRUE(Global::HistoryNameEdited);

    // Yes saves: the folder takes the new name, with what it holds.
    t.Type("TxtIn", 11, "Barn");
    t.Dialogs().answer(vbYes);
    Focus(box, QEvent::FocusOut);
    EXPECT_EQ(t.TakeMessages(), QStringList{Ui(588)});
    EXPECT_EQ(Folders(customer), (QStringList{"1_Barn", "2_Job2", "Documents"}));
    EXPECT_EQ(Bytes(customer + "/1_Barn/ConstructionContractor.csv").left(7), "Firm1\r\n");
    EXPECT_FALSE(Global::HistoryNameEdited);
    EXPECT_EQ(Global::MessWindowText.isEmpty() || !FrmMessWindow::IsLoaded(), true) << "no Save OK";

    // A focus change that another window causes is no leaving.
    t.Type("TxtIn", 11, "Shed");
    QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QCoreApplication::sendEvent(box, &away);
    EXPECT_TRUE(t.TakeMessages().isEmpty());

    // A name typed on the empty page asks nothing.
    Global::TabModified[0] = false;
    t.ClickCustomer("H001");
    t.Click("CmdScl", 1);
    t.Click("CmdScl", 1);
    Focus(box, QEvent::FocusIn);
    t.Type("TxtIn", 11, "Job3");
    Focus(box, QEvent::FocusOut);
    EXPECT_TRUE(t.TakeMessages().isEmpty());
    EXPECT_TRUE(Global::HistoryNameEdited);
}

TEST_F(HistoryPagesTest, DeletingAHistoryRenumbersTheFoldersAfterIt)
{
    Open(12);
    // Not histories: they keep their names whatever their place.
    QDir().mkpath(customer + "/backup_old");
    QDir().mkpath(customer + "/0_draft");
    // History 3 is shown and deleted.
    t.Click("CmdScl", 1);
    t.Click("CmdScl", 1);
    ASSERT_EQ(t.Text("TxtIn", 11), "Job3");

    t.Dialogs().answer(vbYes);
    t.Dialogs().answer(vbNo);
    t.Click("CmdDelete");
    EXPECT_EQ(t.TakeMessages(), (QStringList{Ui(553), Ui(554)}));
    EXPECT_TRUE(QFileInfo::exists(customer + "/3_Job3"));

    t.Dialogs().answer(vbYes);
    t.Dialogs().answer(vbYes);
    t.Click("CmdDelete");
    EXPECT_EQ(t.TakeMessages(), (QStringList{Ui(553), Ui(554), Ui(677)}));
    QStringList expected{"0_draft", "backup_old"};
    for (int k = 1; k <= 11; ++k)
        expected << QStringLiteral("%1_Job%2").arg(k).arg(k < 3 ? k : k + 1);
    QStringList found = Folders(customer);
    found.sort();
    expected.sort();
    EXPECT_EQ(found, expected);
    EXPECT_EQ(AnsiCodec::splitLines(Bytes(customer + "/3_Job4/MeasData.csv")).value(0), "Job4");
    // Shown again from its first history.
    EXPECT_EQ(Global::HistoryPage, 0);
    EXPECT_EQ(t.Text("TxtIn", 11), "Job1");
    EXPECT_EQ(t.Text("LblTotalPage"), "13") << "every folder named with \"_\" counts";
    EXPECT_EQ(Global::CurUserRow, t.RowOf("H001"));

    // On the empty page after the last history the button does nothing.
    for (int i = 0; i < 11; ++i)
        t.Click("CmdScl", 1);
    t.Click("CmdDelete");
    EXPECT_TRUE(t.TakeMessages().isEmpty());
}

TEST_F(HistoryPagesTest, HistoryDeletionAsksTheSaveQuestionFirstAndStopsWhenTheFolderStays)
{
    Open(3);
    t.Click("CmdScl", 1);
    t.Type("TxtIn", 12, "kept memo");
    // Yes saves before anything is deleted; then No keeps the history.
    t.Dialogs().answer(vbYes);
    t.Dialogs().answer(vbNo);
    t.Click("CmdDelete");
    EXPECT_EQ(t.TakeMessages(), (QStringList{Ui(578), Ui(553)}));
    EXPECT_EQ(AnsiCodec::splitLines(Bytes(customer + "/2_Job2/MeasData.csv")).value(9), "kept memo");
    EXPECT_EQ(Global::HistoryPage, 1);

    // A folder that cannot be deleted: reported, nothing renumbered, no 677.
    WriteFileAtomic(customer + "/2_Job2/locked.csv", "x");
    QFile::setPermissions(customer + "/2_Job2/locked.csv", QFileDevice::ReadOwner);
    t.Dialogs().answer(vbYes);
    t.Dialogs().answer(vbYes);
    t.Click("CmdDelete");
    EXPECT_EQ(t.TakeMessages(), (QStringList{Ui(553), Ui(554), "ERROR No:70 Permission denied: " + customer + "/2_Job2/locked.csv"}));
    EXPECT_TRUE(QFileInfo::exists(customer + "/3_Job3"));
    EXPECT_TRUE(QFileInfo::exists(customer + "/2_Job2/locked.csv"));
    QFile::setPermissions(customer + "/2_Job2/locked.csv", QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

TEST(RenumberHistoryFolders, NumbersRunFromOneInTheOrderOfTheOldNumbers)
{
    struct Case {
        const char* what;
        QStringList before, after;
    };
    const Case cases[] = {
        {"the last deleted", {"1_a", "2_b"}, {"1_a", "2_b"}},
        {"a gap", {"1_a", "3_c", "4_d"}, {"1_a", "2_c", "3_d"}},
        {"by value, not by text", {"10_j", "2_b", "9_i"}, {"1_b", "2_i", "3_j"}},
        {"a name holding _", {"1_a", "5_North_roof"}, {"1_a", "2_North_roof"}},
        {"a leading zero in place", {"01_a", "3_c"}, {"01_a", "2_c"}},
        {"two folders of one number", {"2_a", "2_b", "3_c"}, {"1_a", "2_b", "3_c"}},
        {"a taken target", {"1_x", "1_y", "2_x"}, {"1_x", "2_y", "3_x"}},
        {"no number, 0 or above 99", {"backup_old", "0_z", "100_w", "Documents", "5_e"},
         {"0_z", "100_w", "1_e", "Documents", "backup_old"}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        QTemporaryDir dir;
        for (const QString& name : k.before)
            ASSERT_TRUE(QDir().mkpath(dir.path() + u'/' + name + "/inner"));
        RenumberHistoryFolders(dir.path(), "Documents");
        QStringList after = k.after;
        after.sort();
        QStringList found = Folders(dir.path());
        found.sort();
        EXPECT_EQ(found, after);
        for (const QString& name : found)
            EXPECT_TRUE(QFileInfo::exists(dir.path() + u'/' + name + "/inner")) << name.toStdString();
    }
}

TEST_F(HistoryPagesTest, PicturesAreCopiedIntoTheHistoryAndTheirReferencesRemoved)
{
    Open(2);
    const QString source = t.w.env.root() + "/camera/IMG_0001.JPG";
    QDir().mkpath(t.w.env.root() + "/camera");
    WritePicture(source, 1600, 1200);
    t.Click("CmdScl", 1);

    // Cancel: nothing but the picture folder.
    t.Click("OpPicSel", 2);
    t.Click("CmdPicReg", 0);
    ASSERT_EQ(t.Dialogs().log.size(), 1);
    EXPECT_EQ(t.Dialogs().log[0].kind, RecordedDialog::OpenFile);
    EXPECT_EQ(t.Dialogs().log[0].defaultText.left(9), "Pictures ") << "filter from UI text 539";
    t.TakeMessages();
    EXPECT_EQ(Bytes(customer + "/2_Job2/PictureData.csv"), Lines({"", "", "", ""}));

    t.Dialogs().answerText(source);
    t.Click("CmdPicReg", 0);
    const QString copy = customer + "/2_Job2/Pictures/IMG_0001.jpg";
    EXPECT_EQ(QImage(copy).size(), QSize(640, 480));
    EXPECT_EQ(Bytes(customer + "/2_Job2/PictureData.csv"), Lines({"", "", "IMG_0001.jpg", ""}));
    EXPECT_EQ(Global::HistoryRecords[1].PicturePaths[2], copy);
    EXPECT_TRUE(qobject_cast<QRadioButton*>(t.Ctl("OpPicSel", 2))->isChecked());
    EXPECT_FALSE(qobject_cast<QLabel*>(t.Ctl("ImgPic", 0))->pixmap().isNull());
    EXPECT_FALSE(Global::TabModified[0]) << "a picture is on disk at once";
    EXPECT_TRUE(t.TakeMessages().isEmpty());

    // Slot 1 shows nothing; slot 3 the picture again.
    t.Click("OpPicSel", 0);
    EXPECT_TRUE(qobject_cast<QLabel*>(t.Ctl("ImgPic", 0))->pixmap().isNull());
    t.Click("OpPicSel", 2);
    EXPECT_FALSE(qobject_cast<QLabel*>(t.Ctl("ImgPic", 0))->pixmap().isNull());

    // The pop-up menu opens over the chosen slot with a picture only.
    auto* menu = qobject_cast<QMenu*>(t.Ctl("MnuPicDel"));
    OpPicSel_MouseDown(0, Qt::RightButton, QPoint(1, 1));
    EXPECT_FALSE(menu->isVisible());
    OpPicSel_MouseDown(2, Qt::RightButton, QPoint(1, 1));
    EXPECT_TRUE(menu->isVisible());
    menu->hide();
    t.Trigger("MnuPicDelete");
    EXPECT_EQ(Bytes(customer + "/2_Job2/PictureData.csv"), Lines({"", "", "", ""}));
    EXPECT_TRUE(QFileInfo::exists(copy)) << "the file stays";
    EXPECT_TRUE(qobject_cast<QLabel*>(t.Ctl("ImgPic", 0))->pixmap().isNull());
    EXPECT_FALSE(Global::TabModified[0]);

    // Removal on another tab is not the customer tab's.
    t.Dialogs().answerText(source);
    t.Click("CmdPicReg", 0);
    t.Tabs().setCurrentIndex(2);
    t.Trigger("MnuPicDelete");
    EXPECT_EQ(Bytes(customer + "/2_Job2/PictureData.csv"), Lines({"", "", "IMG_0001.jpg", ""}));
    EXPECT_TRUE(t.TakeMessages().isEmpty());
}

TEST_F(HistoryPagesTest, PictureOfARenamedHistoryGoesIntoItsFolderOnDiskAndFailuresKeepTheSlot)
{
    Open(2);
    const QString source = t.w.env.root() + "/pic.png";
    WritePicture(source);
    // The name is changed on page 1 and the page turned without saving.
    t.Type("TxtIn", 11, "Renamed");
    t.Dialogs().answer(vbNo);
    t.Click("CmdScl", 1);
    t.Click("CmdScl", 0);
    t.TakeMessages();
    ASSERT_EQ(Global::HistoryRecords[0].HistoryName, "Renamed");
    t.Dialogs().answerText(source);
    t.Click("CmdPicReg", 0);
    EXPECT_TRUE(QFileInfo::exists(customer + "/1_Job1/Pictures/pic.jpg"));
    EXPECT_EQ(Bytes(customer + "/1_Job1/PictureData.csv"), Lines({"pic.jpg", "", "", ""}));
    EXPECT_FALSE(QFileInfo::exists(customer + "/1_Renamed")) << "never a second folder";

    // The save renames the folder; the picture goes with it.
    t.Click("CmdBtn", 0);
    EXPECT_EQ(Bytes(customer + "/1_Renamed/PictureData.csv"), Lines({"pic.jpg", "", "", ""}));
    EXPECT_EQ(Global::HistoryRecords[0].PicturePaths[0], customer + "/1_Renamed/Pictures/pic.jpg");

    // A file that is no picture: reported, the slot keeps its picture.
    const QString bad = t.w.env.root() + "/bad.jpg";
    WriteFileAtomic(bad, "not a picture");
    t.TakeMessages();
    t.Dialogs().answerText(bad);
    t.Click("CmdPicReg", 0);
    const QStringList shown = t.TakeMessages();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].startsWith("ERROR No:481")) << shown[0].toStdString();
    EXPECT_EQ(t.Dialogs().log.size(), 0);
    EXPECT_EQ(Bytes(customer + "/1_Renamed/PictureData.csv"), Lines({"pic.jpg", "", "", ""}));

    // A history page without a name, or a customer not saved yet, gets none.
    t.Click("CmdScl", 1);
    t.Click("CmdScl", 1);
    t.Click("CmdPicReg", 0);
    EXPECT_TRUE(t.Dialogs().log.isEmpty()) << "no dialog on the empty page";
    // A new customer whose first save failed holds a named history but has
    // no folder of its own yet.
    t.Click("CmdBtn", 3);
    t.Type("TxtIn", 0, "F1");
    t.Type("TxtIn", 1, "Fresh");
    t.Type("TxtIn", 11, "Roof");
    FileIoFaults::FailAt(1);
    t.Click("CmdBtn", 0);
    FileIoFaults::Reset();
    ASSERT_EQ(t.TakeMessages().size(), 1);
    EXPECT_FALSE(QFileInfo::exists(t.Folder("F1_Fresh"))) << "a failed first save leaves no folder";
    ASSERT_EQ(Global::HistoryRecords[0].HistoryName, "Roof");
    t.Click("CmdPicReg", 0);
    EXPECT_EQ(t.TakeMessages(), QStringList{Ui(519)});
}

TEST_F(HistoryPagesTest, AMissingPictureIsReportedWithItsPath)
{
    customer = t.Write(Hayashi(1));
    WriteLinesAtomic(customer + "/1_Job1/PictureData.csv", {"gone.jpg", "", "", ""});
    t.Load();
    t.ClickCustomer("H001");
    const QString path = customer + "/1_Job1/Pictures/gone.jpg";
    ASSERT_EQ(t.Dialogs().log.size(), 1);
    const MessageRequest& box = t.Dialogs().log[0].message;
    EXPECT_EQ(box.text, Ui(571) + "   [" + path + "]");
    EXPECT_EQ(box.icon, vbExclamation);
    EXPECT_EQ(box.buttons, vbOKOnly);
    EXPECT_EQ(box.title, AppTitle);
    EXPECT_TRUE(qobject_cast<QLabel*>(t.Ctl("ImgPic", 0))->pixmap().isNull());
    EXPECT_EQ(t.Text("TxtIn", 11), "Job1") << "the rest is shown";
}

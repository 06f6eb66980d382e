// Every message box of the customer tab, as the user meets it: text, icon,
// buttons, default button and title, one row per box, each reached through
// the tab's controls.
#include "customers/support/CustomerTabEnv.h"

#include "common/FrmMessWindow.h"

#include <QFile>
#include <QFocusEvent>

#include <functional>

using namespace CustomerTabTest;

namespace {

CustomerSpec Kimura()
{
    CustomerSpec c{"K001", "Kimura", "kimura", "Roof", "123-4567", "Osaka", "06-1", "2024/02/02", {}, "12.5"};
    c.histories = {{1, "East", "2024/03/01", "first", {"Alpha"}}, {2, "West", "2024/03/02", "", {}}};
    return c;
}

struct Box {
    const char* what;
    // Brings the box up (scripting the answers of the boxes before it).
    std::function<void(CustomerTabEnv&)> scenario;
    int index; // which box of the scenario
    QString text;
    int icon, buttons, defaultButton;
    QString title = AppTitle;
};

void Choose(CustomerTabEnv& e)
{
    e.ClickCustomer("K001");
}

void TypeAndSave(CustomerTabEnv& e, const QString& code, const QString& name, const QString& history)
{
    Choose(e);
    e.Type("TxtIn", 0, code);
    e.Paste(Name("TxtIn", 1), name);
    e.Type("TxtIn", 11, history);
    e.Click("CmdBtn", 0);
}

} // namespace

TEST(CustomerMessages, EveryBoxHasItsTextIconButtonsAndDefault)
{
    EnsureApp();
    TestEnv::loadUiText(); // the texts the window loads, for the table
    const int question = vbQuestion, info = vbInformation, warn = vbExclamation;
    const QList<Box> boxes = {
        {"save question of a command", [](CustomerTabEnv& e) { Choose(e); e.Type("TxtIn", 3, "x"); e.Click("CmdBtn", 3); },
         0, Ui(578), question, vbYesNo, 0},
        {"first question before deleting the customer", [](CustomerTabEnv& e) { Choose(e); e.Click("CmdBtn", 1); },
         0, Ui(517), question, vbYesNo, 1},
        {"second question before deleting the customer",
         [](CustomerTabEnv& e) { Choose(e); e.Dialogs().answer(vbYes); e.Click("CmdBtn", 1); }, 1, Ui(518), question,
         vbYesNo, 1},
        {"customer deleted",
         [](CustomerTabEnv& e) {
             Choose(e);
             e.Dialogs().answer(vbYes);
             e.Dialogs().answer(vbYes);
             e.Click("CmdBtn", 1);
         },
         2, Ui(677), info, vbOKOnly, 0},
        {"customer folder that cannot be deleted",
         [](CustomerTabEnv& e) {
             Choose(e);
             WriteFileAtomic(e.Folder("K001_Kimura") + "/z.csv", "x");
             QFile::setPermissions(e.Folder("K001_Kimura") + "/z.csv", QFileDevice::ReadOwner);
             e.Dialogs().answer(vbYes);
             e.Dialogs().answer(vbYes);
             e.Click("CmdBtn", 1);
         },
         2, "ERROR No:70 Permission denied: %1/z.csv", 0, vbOKOnly, 0, "DlFol"},
        {"no code", [](CustomerTabEnv& e) { TypeAndSave(e, "", "Kimura", "East"); }, 0, Ui(555), warn, vbOKOnly, 0},
        {"double-byte code", [](CustomerTabEnv& e) { TypeAndSave(e, "Ｋ1", "Kimura", "East"); }, 0, Ui(675), warn,
         vbOKOnly, 0},
        {"forbidden character in the code", [](CustomerTabEnv& e) { TypeAndSave(e, "K*1", "Kimura", "East"); }, 0,
         Ui(556), warn, vbOKOnly, 0},
        {"forbidden character in the name", [](CustomerTabEnv& e) { TypeAndSave(e, "K001", "Ki|mura", "East"); }, 0,
         Ui(557), warn, vbOKOnly, 0},
        {"forbidden character in the history", [](CustomerTabEnv& e) { TypeAndSave(e, "K001", "Kimura", "E<"); }, 0,
         Ui(558), warn, vbOKOnly, 0},
        {"history name twice", [](CustomerTabEnv& e) { TypeAndSave(e, "K001", "Kimura", "West"); }, 0, Ui(559), warn,
         vbOKOnly, 0},
        {"date without a history name", [](CustomerTabEnv& e) { TypeAndSave(e, "K001", "Kimura", ""); }, 0, Ui(560),
         warn, vbOKOnly, 0},
        {"name no folder can hold", [](CustomerTabEnv& e) { TypeAndSave(e, "K001", "Kimura ", "East"); }, 0, Ui(575),
         warn, vbOKOnly, 0},
        {"path too long", [](CustomerTabEnv& e) { TypeAndSave(e, "K001", "Kimura", QString(230, u'h')); }, 0, Ui(586),
         warn, vbOKOnly, 0},
        {"key of an existing customer",
         [](CustomerTabEnv& e) {
             e.Click("CmdBtn", 3);
             e.Type("TxtIn", 0, "K001");
             e.Type("TxtIn", 1, "Kimura");
             e.Click("CmdBtn", 0);
         },
         0, Ui(687), warn, vbOKOnly, 0},
        {"array configuration without code and name", [](CustomerTabEnv& e) { e.Click("CmdBtn", 3); e.Click("CmdBtn", 10); },
         0, Ui(519), warn, vbOKOnly, 0},
        {"documents of a customer not saved", [](CustomerTabEnv& e) { e.Click("CmdBtn", 3); e.Type("TxtIn", 0, "Q"); e.Type("TxtIn", 1, "Q"); e.Click("CmdBtn", 11); },
         0, Ui(519), warn, vbOKOnly, 0},
        {"save question of a page turn", [](CustomerTabEnv& e) { Choose(e); e.Type("TxtIn", 3, "x"); e.Click("CmdScl", 1); },
         0, Ui(578), question, vbYesNo, 0},
        {"history name changed",
         [](CustomerTabEnv& e) {
             Choose(e);
             e.Type("TxtIn", 11, "Other");
             QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
             QCoreApplication::sendEvent(e.Ctl("TxtIn", 11), &out);
         },
         0, Ui(588), question, vbYesNo, 0},
        {"first question before deleting a history", [](CustomerTabEnv& e) { Choose(e); e.Click("CmdDelete"); }, 0,
         Ui(553), question, vbYesNo, 1},
        {"second question before deleting a history",
         [](CustomerTabEnv& e) { Choose(e); e.Dialogs().answer(vbYes); e.Click("CmdDelete"); }, 1, Ui(554), question,
         vbYesNo, 1},
        {"history deleted",
         [](CustomerTabEnv& e) {
             Choose(e);
             e.Dialogs().answer(vbYes);
             e.Dialogs().answer(vbYes);
             e.Click("CmdDelete");
         },
         2, Ui(677), info, vbOKOnly, 0},
        {"missing picture",
         [](CustomerTabEnv& e) {
             WriteLinesAtomic(e.Folder("K001_Kimura") + "/1_East/PictureData.csv", {"a.jpg", "", "", ""});
             Choose(e);
         },
         0, Ui(571) + "   [" + QStringLiteral("%1/1_East/Pictures/a.jpg") + "]", warn, vbOKOnly, 0},
        {"picture list that cannot be written",
         [](CustomerTabEnv& e) {
             Choose(e);
             const QString source = e.w.env.root() + "/p.png";
             WritePicture(source);
             e.Dialogs().answerText(source);
             FileIoFaults::FailAt(4); // the copy takes steps 1 to 3
             e.Click("CmdPicReg", 0);
             FileIoFaults::Reset();
         },
         1, "ERROR No:75 Path/File access error: %1/1_East/PictureData.csv", 0, vbOKOnly, 0, "CmdPicReg_Click"},
        {"damaged customer file in the list",
         [](CustomerTabEnv& e) {
             WriteLinesAtomic(e.Folder("K001_Kimura") + "/UserData.csv", {"K001", "Kimura"});
             UserListIni(true);
         },
         0, "ERROR No:62 Input past end of file", 0, vbOKOnly, 0, "UserListIni"},
    };

    for (const Box& b : boxes) {
        SCOPED_TRACE(b.what);
        CustomerTabEnv e;
        e.Write(Kimura());
        e.Load();
        e.TakeMessages();
        b.scenario(e);
        const QList<RecordedDialog> log = e.Dialogs().log;
        ASSERT_GT(log.size(), b.index);
        const RecordedDialog& d = log[b.index];
        ASSERT_EQ(d.kind, RecordedDialog::Message);
        EXPECT_EQ(d.message.text, QString(b.text).replace("%1", e.Folder("K001_Kimura")));
        EXPECT_EQ(d.message.icon, b.icon);
        EXPECT_EQ(d.message.buttons, b.buttons);
        EXPECT_EQ(d.message.defaultButton, b.defaultButton);
        EXPECT_EQ(d.message.title, b.title);
        QFile::setPermissions(e.Folder("K001_Kimura") + "/z.csv", QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
}

TEST(CustomerMessages, SaveOkOnlyAfterASaveThatWentThrough)
{
    CustomerTabEnv e;
    e.Write(Kimura());
    e.Load();
    e.ClickCustomer("K001");
    Global::MessWindowText.clear();
    e.Click("CmdBtn", 0);
    EXPECT_EQ(Global::MessWindowText, "Save OK");
    EXPECT_TRUE(FrmMessWindow::IsLoaded());
    FrmMessWindow::Unload();

    // Saved without the notice (the history-name guard, the array window).
    Global::MessWindowText.clear();
    EXPECT_TRUE(CmdBtn0_Click(false));
    EXPECT_EQ(Global::MessWindowText, "");

    Global::MessWindowText.clear();
    e.Type("TxtIn", 1, "");
    EXPECT_FALSE(CmdBtn0_Click(true));
    EXPECT_EQ(Global::MessWindowText, "");
}

// The password window and the data-folder window, opened from the main
// window's tools menu: their states, refusals, and where they lead.
#include "app/MainWindowEnv.h"

#include "app/FrmFolderList.h"
#include "app/FrmPass.h"
#include "common/FrmMessWindow.h"
#include "support/WindowSystem.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

QString ui(int key)
{
    return Global::UiText.value(key);
}

QString reg(const char* name)
{
    return RegStrGet(RegKeySystem, QString::fromLatin1(name));
}

} // namespace

class DataFolderWindows : public ::testing::Test {
  protected:
    void SetUp() override
    {
        form = &w.load();
        form->show();
        Global::KeyStateOverride = [] { return Qt::KeyboardModifiers(); };
    }
    void TearDown() override
    {
        Global::KeyStateOverride = nullptr;
        delete Global::PassForm;
        delete Global::FolderListForm;
    }
    // The tools menu's item, as the user picks it.
    FrmPass* openFromMenu()
    {
        form->control<QAction>(QStringLiteral("MnuSaveFolderSel"))->trigger();
        return Global::PassForm;
    }
    void type(FrmPass* p, const QString& first, const QString& second = QString())
    {
        p->txtPassword[0]->setText(first);
        p->txtPassword[1]->setText(second);
    }
    QStringList shown() const { return w.env.dialogs->messages(); }

    MainWindowEnv w;
    FrmMain* form = nullptr;
};

TEST_F(DataFolderWindows, TheMenuHidesTheMainWindowAndAsksForANewPassword)
{
    FrmPass* p = openFromMenu();
    ASSERT_TRUE(p);
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(p->isVisible());
    EXPECT_EQ(p->mode(), PassSetNew);
    EXPECT_EQ(p->windowTitle(), ui(710));
    EXPECT_EQ(p->LblMess->text(), ui(711));
    EXPECT_EQ(p->lblLabels[0]->text(), ui(714));
    EXPECT_EQ(p->lblLabels[1]->text(), ui(715));
    EXPECT_EQ(p->cmdOK->text(), ui(717));
    EXPECT_EQ(p->cmdCancel->text(), ui(718));
    EXPECT_FALSE(p->CmdResetting->isVisibleTo(p));
    EXPECT_TRUE(p->txtPassword[1]->isVisibleTo(p));
    for (QLineEdit* box : p->txtPassword)
        EXPECT_EQ(box->echoMode(), QLineEdit::Password);

    // Nothing typed: nothing happens. Two different texts: refused.
    p->cmdOK_Click();
    EXPECT_TRUE(shown().isEmpty());
    type(p, QStringLiteral("abc"), QStringLiteral("abC"));
    p->cmdOK_Click();
    EXPECT_EQ(shown(), QStringList{ui(723)});
    EXPECT_EQ(reg("Password"), QString());
    EXPECT_FALSE(Global::FolderListForm);

    type(p, QStringLiteral("abc"), QStringLiteral("abc"));
    p->cmdOK_Click();
    EXPECT_EQ(shown(), (QStringList{ui(723), ui(721)}));
    EXPECT_EQ(w.env.dialogs->log[1].message.icon, vbInformation);
    EXPECT_EQ(reg("Password"), QStringLiteral("abc"));
    ASSERT_TRUE(Global::FolderListForm);
    EXPECT_TRUE(Global::FolderListForm->isVisible());
    EXPECT_FALSE(p->isVisible());
    EXPECT_FALSE(form->isVisible());
}

TEST_F(DataFolderWindows, AWrongPasswordIsRefusedWithoutShowingIt)
{
    RegStrSet(RegKeySystem, QStringLiteral("Password"), QStringLiteral("Secret"));
    FrmPass* p = openFromMenu();
    EXPECT_EQ(p->mode(), PassVerify);
    EXPECT_EQ(p->LblMess->text(), ui(712));
    EXPECT_TRUE(p->CmdResetting->isVisibleTo(p));
    EXPECT_FALSE(p->txtPassword[1]->isVisibleTo(p));

    for (const char* wrong : {"secret", "Secret ", "my other password"}) {
        w.env.dialogs->log.clear();
        type(p, QString::fromLatin1(wrong));
        p->cmdOK_Click();
        ASSERT_EQ(shown().size(), 1) << wrong;
        EXPECT_EQ(shown()[0], ui(719) + ui(720)) << wrong;
        EXPECT_FALSE(shown()[0].contains(QString::fromLatin1(wrong).trimmed())) << wrong;
        EXPECT_EQ(w.env.dialogs->log[0].message.icon, vbExclamation);
        EXPECT_EQ(p->txtPassword[0]->text(), QString::fromLatin1(wrong)); // kept for a correction
        EXPECT_FALSE(Global::FolderListForm);
    }
    type(p, QStringLiteral("Secret"));
    w.env.dialogs->log.clear();
    p->cmdOK_Click();
    EXPECT_TRUE(shown().isEmpty());
    EXPECT_TRUE(Global::FolderListForm);
}

TEST_F(DataFolderWindows, AResetKeepsTheOldPasswordUntilTheNewOneIsSet)
{
    RegStrSet(RegKeySystem, QStringLiteral("Password"), QStringLiteral("old"));
    FrmPass* p = openFromMenu();
    p->CmdResetting->click();
    EXPECT_EQ(p->mode(), PassResetVerify);
    EXPECT_FALSE(p->CmdResetting->isEnabled());
    EXPECT_EQ(p->LblMess->text(), ui(713));

    // A wrong old password empties the box.
    type(p, QStringLiteral("bad"));
    p->cmdOK_Click();
    EXPECT_EQ(shown(), QStringList{ui(719) + ui(720)});
    EXPECT_EQ(p->txtPassword[0]->text(), QString());
    EXPECT_EQ(p->mode(), PassResetVerify);

    // Cancel goes back to typing the password, which is unchanged.
    p->cmdCancel->click();
    EXPECT_EQ(p->mode(), PassVerify);
    EXPECT_TRUE(p->isVisible());
    EXPECT_TRUE(p->CmdResetting->isEnabled());
    EXPECT_EQ(reg("Password"), QStringLiteral("old"));

    // The old password typed: two empty boxes for the new one, the old one
    // still stored; giving up now keeps it.
    p->CmdResetting->click();
    type(p, QStringLiteral("old"));
    p->cmdOK_Click();
    EXPECT_EQ(p->mode(), PassResetNew);
    EXPECT_TRUE(p->txtPassword[1]->isVisibleTo(p));
    EXPECT_EQ(p->txtPassword[0]->text(), QString());
    EXPECT_EQ(p->LblMess->text(), ui(711));
    EXPECT_EQ(reg("Password"), QStringLiteral("old"));

    type(p, QStringLiteral("new"), QStringLiteral("neW"));
    p->cmdOK_Click();
    EXPECT_EQ(reg("Password"), QStringLiteral("old"));
    type(p, QStringLiteral("new"), QStringLiteral("new"));
    w.env.dialogs->log.clear();
    p->cmdOK_Click();
    EXPECT_EQ(shown(), QStringList{ui(722)});
    EXPECT_EQ(reg("Password"), QStringLiteral("new"));
    EXPECT_TRUE(Global::FolderListForm);
}

TEST_F(DataFolderWindows, GivingUpLeadsBackToTheMainWindowWithTheOldPassword)
{
    RegStrSet(RegKeySystem, QStringLiteral("Password"), QStringLiteral("old"));
    // Cancel in the new-password state, the close box in the reset state.
    {
        FrmPass* p = openFromMenu();
        p->CmdResetting->click();
        type(p, QStringLiteral("old"));
        p->cmdOK_Click();
        p->cmdCancel->click();
        EXPECT_TRUE(form->isVisible());
        EXPECT_FALSE(p->isVisible());
        EXPECT_EQ(reg("Password"), QStringLiteral("old"));
    }
    QApplication::processEvents();
    {
        FrmPass* p = openFromMenu();
        p->CmdResetting->click();
        EXPECT_FALSE(form->isVisible());
        EXPECT_TRUE(CloseBoxClick(p));
        EXPECT_TRUE(form->isVisible());
        EXPECT_EQ(reg("Password"), QStringLiteral("old"));
    }
}

TEST_F(DataFolderWindows, CtrlAndShiftAtOpeningClearThePassword)
{
    const struct {
        Qt::KeyboardModifiers held;
        bool cleared;
    } cases[] = {
        {Qt::ControlModifier, false},
        {Qt::ShiftModifier, false},
        {Qt::ControlModifier | Qt::ShiftModifier, true},
    };
    for (const auto& c : cases) {
        RegStrSet(RegKeySystem, QStringLiteral("Password"), QStringLiteral("forgotten"));
        Global::KeyStateOverride = [&] { return c.held; };
        FrmPass* p = openFromMenu();
        EXPECT_EQ(reg("Password").isEmpty(), c.cleared) << int(c.held);
        EXPECT_EQ(p->mode(), c.cleared ? PassSetNew : PassVerify) << int(c.held);
        delete p;
    }
}

TEST_F(DataFolderWindows, APasswordTheSettingsCannotKeepIsRefused)
{
    FrmPass* p = openFromMenu();
    type(p, QStringLiteral("caf\u00e9"), QStringLiteral("caf\u00e9"));
    p->cmdOK_Click();
    EXPECT_EQ(shown(), QStringList{ui(930)});
    EXPECT_EQ(reg("Password"), QString());
    EXPECT_FALSE(Global::FolderListForm);
    EXPECT_TRUE(p->isVisible());
}

class FolderListWindow : public DataFolderWindows {
  protected:
    void SetUp() override
    {
        DataFolderWindows::SetUp();
        form->hide();
        ShowFolderListWindow();
        f = Global::FolderListForm;
    }
    FrmFolderList* f = nullptr;
};

TEST_F(FolderListWindow, ShowsTheFolderInUseAndBrowses)
{
    EXPECT_EQ(f->windowTitle(), ui(590));
    EXPECT_EQ(f->LblFolder[0]->text(), ui(669));
    EXPECT_EQ(f->LblFolder[1]->text(), ui(728));
    EXPECT_EQ(f->CmdFolChange->text(), ui(727));
    EXPECT_EQ(f->cmdOK->text(), ui(591));
    EXPECT_EQ(f->cmdCancel->text(), ui(592));
    EXPECT_EQ(f->TxtDefaultFolder->text(), Global::DataFolder);
    EXPECT_TRUE(f->TxtFolderIn->text().isEmpty());

    f->TxtFolderIn->setText(QStringLiteral("typed"));
    w.env.dialogs->answerCancel();
    f->CmdFolChange->click();
    EXPECT_EQ(f->TxtFolderIn->text(), QStringLiteral("typed"));
    w.env.dialogs->answerText(QStringLiteral("/picked/folder"));
    f->CmdFolChange->click();
    EXPECT_EQ(f->TxtFolderIn->text(), QStringLiteral("/picked/folder"));
    ASSERT_EQ(w.env.dialogs->log.size(), 2);
    EXPECT_EQ(w.env.dialogs->log[0].title, ui(590));
    EXPECT_EQ(w.env.dialogs->log[0].defaultText, Global::DataFolder); // opens on the folder in use
}

TEST_F(FolderListWindow, RefusedFoldersLeaveEverythingAsItWas)
{
    const QString before = reg("SaveFolder");
    QFile file(w.env.root() + QStringLiteral("/afile"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const struct {
        QString typed;
        int message;
    } cases[] = {
        {QString(), 589},
        {QStringLiteral("/usr/heliodex-data"), 594},
        {QStringLiteral("/etc"), 594},
        {w.env.root() + QStringLiteral("/afile"), 735},
    };
    for (const auto& c : cases) {
        w.env.dialogs->log.clear();
        f->TxtFolderIn->setText(c.typed);
        f->CmdOK_Click();
        ASSERT_EQ(shown(), QStringList{ui(c.message)}) << c.typed.toStdString();
        EXPECT_EQ(w.env.dialogs->log[0].message.icon, vbExclamation);
        EXPECT_EQ(f->TxtFolderIn->text(), c.typed);
        EXPECT_TRUE(f->isVisible());
        EXPECT_EQ(reg("SaveFolder"), before);
    }
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/usr/heliodex-data")));

    // A folder the settings cannot keep is reported, and nothing changes.
    w.env.dialogs->log.clear();
    f->TxtFolderIn->setText(w.env.root() + QStringLiteral("/caf\u00e9"));
    f->CmdOK_Click();
    EXPECT_EQ(shown(), QStringList{ui(929)});
    EXPECT_EQ(reg("SaveFolder"), before);
    EXPECT_EQ(Global::DataFolder, w.env.dataFolder());
}

TEST_F(FolderListWindow, AnAcceptedFolderIsStoredAfterTheSaveQuestionsAndEnds)
{
    const QString chosen = w.env.root() + QStringLiteral("/new data");
    Global::TabModified[0] = true; // unsaved customer edits
    w.env.dialogs->answer(vbNo);
    f->TxtFolderIn->setText(chosen + u'/');
    EXPECT_THROW(f->CmdOK_Click(), ProgramEnded);
    EXPECT_EQ(shown(), (QStringList{ui(578), ui(595)}));
    EXPECT_EQ(w.env.dialogs->log[1].message.icon, vbExclamation);
    EXPECT_EQ(reg("SaveFolder"), chosen);
    EXPECT_EQ(Global::DataFolder, chosen);
    EXPECT_TRUE(QFileInfo(chosen).isDir());
}

TEST_F(FolderListWindow, CancelAndTheCloseBoxShowTheMainWindowAgain)
{
    f->cmdCancel->click();
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(f->isVisible());
    QApplication::processEvents();

    form->hide();
    ShowFolderListWindow();
    EXPECT_TRUE(CloseBoxClick(Global::FolderListForm));
    EXPECT_TRUE(form->isVisible());

    // Without a data folder in use Cancel refuses to leave.
    form->hide();
    ShowFolderListWindow();
    Global::DataFolder.clear();
    w.env.dialogs->log.clear();
    Global::FolderListForm->cmdCancel_Click();
    EXPECT_EQ(shown(), QStringList{ui(589)});
    EXPECT_TRUE(Global::FolderListForm->isVisible());
    EXPECT_FALSE(form->isVisible());
}

// Both windows read well in both languages; with HX_SCREENS_DIR set they
// are saved there as password-<en|ja>.png and data-folder-<en|ja>.png.
TEST(DataFolderWindowScreens, FitAndShowTheirTexts)
{
    const QString dir = qEnvironmentVariable("HX_SCREENS_DIR");
    for (const char* code : {"1", "81"}) {
        MainWindowEnv w;
        w.load(QLatin1String(code));
        const QString suffix = QLatin1String(code) == QLatin1String("1") ? QStringLiteral("en") : QStringLiteral("ja");
        Global::KeyStateOverride = [] { return Qt::KeyboardModifiers(); };
        ShowPassWindow();
        FrmPass* p = Global::PassForm;
        p->txtPassword[0]->setText(QStringLiteral("secret"));
        ShowFolderListWindow();
        FrmFolderList* f = Global::FolderListForm;
        f->TxtFolderIn->setText(w.env.root() + QStringLiteral("/SOLAR_DATA/Heliodex"));
        for (QWidget* window : {static_cast<QWidget*>(p), static_cast<QWidget*>(f)}) {
            for (int i = 0; i < 10; ++i)
                QApplication::processEvents();
            EXPECT_LE(window->sizeHint().width(), 1366);
            EXPECT_FALSE(window->windowTitle().isEmpty());
        }
        EXPECT_GE(p->LblMess->width(), p->LblMess->minimumSizeHint().width());
        if (!dir.isEmpty()) {
            p->grab().save(dir + QStringLiteral("/password-") + suffix + QStringLiteral(".png"));
            f->grab().save(dir + QStringLiteral("/data-folder-") + suffix + QStringLiteral(".png"));
        }
        Global::KeyStateOverride = nullptr;
        delete p;
        delete f;
    }
}

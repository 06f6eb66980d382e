#include "app/FrmFolderList.h"

#include "app/FrmMain.h"
#include "app/FrmMainEntry.h"
#include "common/AppGlobals.h"
#include "common/ControlMakers.h"
#include "common/DataFolderChoice.h"
#include "common/QueryUnload.h"
#include "platform/AppError.h"
#include "platform/Dialogs.h"
#include "platform/EndProgram.h"
#include "platform/FlexGrid.h"

#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using ControlMakers::make;

namespace {

QString ui(int key)
{
    return Global::UiText.value(key);
}

} // namespace

void ShowMainWindowOrEnd()
{
    if (!FrmMainIsLoaded())
        EndProgramNow();
    FrmMainShow();
}

FrmFolderList::FrmFolderList() : QDialog(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("FrmFolderList"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setFont(ProgramFont(QStringLiteral("MS UI Gothic"), 9));

    for (int i = 0; i < 2; ++i)
        LblFolder[i] = make<QLabel>(QStringLiteral("LblFolder_%1").arg(i), this);
    TxtDefaultFolder = make<QLineEdit>(QStringLiteral("TxtDefaultFolder"), this);
    TxtDefaultFolder->setReadOnly(true);
    TxtDefaultFolder->setFocusPolicy(Qt::NoFocus);
    TxtFolderIn = make<QLineEdit>(QStringLiteral("TxtFolderIn"), this);
    for (QLineEdit* t : {TxtDefaultFolder, TxtFolderIn})
        t->setMinimumWidth(420);
    CmdFolChange = make<QPushButton>(QStringLiteral("CmdFolChange"), this);
    cmdOK = make<QPushButton>(QStringLiteral("cmdOK"), this);
    cmdCancel = make<QPushButton>(QStringLiteral("cmdCancel"), this);
    for (QPushButton* b : {CmdFolChange, cmdCancel})
        b->setAutoDefault(false);
    cmdOK->setDefault(true);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(4);
    grid->addWidget(LblFolder[0], 0, 0, 1, 2);
    grid->addWidget(TxtDefaultFolder, 1, 0, 1, 2);
    grid->addWidget(LblFolder[1], 2, 0, 1, 2);
    grid->addWidget(TxtFolderIn, 3, 0);
    grid->addWidget(CmdFolChange, 3, 1);
    grid->setColumnStretch(0, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(12, 12, 12, 12);
    column->setSpacing(12);
    column->addLayout(grid);
    column->addLayout(buttons);

    setTabOrder(TxtFolderIn, CmdFolChange);
    setTabOrder(CmdFolChange, cmdOK);
    setTabOrder(cmdOK, cmdCancel);

    connect(CmdFolChange, &QPushButton::clicked, this, [this] { CmdFolChange_Click(); });
    connect(cmdOK, &QPushButton::clicked, this, [this] { CmdOK_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
}

void FrmFolderList::Form_Load()
{
    setWindowTitle(ui(590));
    cmdOK->setText(ui(591));
    cmdCancel->setText(ui(592));
    LblFolder[0]->setText(ui(669));
    CmdFolChange->setText(ui(727));
    LblFolder[1]->setText(ui(728));
    TxtDefaultFolder->setText(Global::DataFolder);
    TxtFolderIn->clear();
    // A relative folder typed here is taken from this folder.
    QDir::setCurrent(FolderChoiceBase(Global::DataFolder));
    TxtFolderIn->setFocus();
}

void FrmFolderList::CmdFolChange_Click()
{
    const QString chosen = ShowFolders(this, ui(590), Global::DataFolder, true);
    if (!chosen.isEmpty())
        TxtFolderIn->setText(chosen);
}

void FrmFolderList::CmdOK_Click()
{
    try {
        const FolderChoice choice = ChooseDataFolder(TxtFolderIn->text(), FolderChoiceBase(Global::DataFolder));
        if (choice.refusal != 0) {
            MsgBox(ui(choice.refusal), vbOKOnly | vbExclamation);
            return;
        }
        // The program ends below without its closing questions: unsaved
        // edits are asked about now, while they can still be saved into the
        // data folder they belong to.
        if (Global::MainForm && !Global::MainForm->SaveQuestions())
            return;
        if (!StoreDataFolder(choice.folder)) {
            MsgBox(ui(929), vbOKOnly | vbExclamation);
            return;
        }
        Global::DataFolder = choice.folder;
        MsgBox(ui(595), vbOKOnly | vbExclamation);
        EndProgramNow();
    } catch (const ProgramEnded&) {
        throw;
    } catch (...) {
        ShowErrorReport(QStringLiteral("CmdOK_Click"), ToAppError(std::current_exception()), true);
        cmdCancel_Click();
    }
}

void FrmFolderList::cmdCancel_Click()
{
    if (Global::DataFolder.isEmpty()) {
        MsgBox(ui(589), vbOKOnly | vbExclamation);
        return;
    }
    ShowMainWindowOrEnd();
    close();
}

void LeaveOnClose(int unloadMode)
{
    // The program's own close: whoever closes the window says what comes
    // next.
    if (unloadMode == vbFormCode)
        return;
    // The session or the task manager closing it, or a close box with no
    // data folder to go back to, ends the program at once.
    if (unloadMode != vbFormControlMenu || Global::DataFolder.isEmpty())
        EndProgramNow();
    ShowMainWindowOrEnd();
}

void FrmFolderList::Form_QueryUnload(bool& cancel, int unloadMode)
{
    cancel = false;
    LeaveOnClose(unloadMode);
}

void FrmFolderList::closeEvent(QCloseEvent* event)
{
    RunQueryUnload(this, event);
}

void FrmFolderList::reject()
{
    cmdCancel_Click();
}

void ShowFolderListWindow()
{
    if (Global::FolderListForm)
        Global::FolderListForm->close();
    auto* w = new FrmFolderList;
    Global::FolderListForm = w;
    w->Form_Load();
    w->show();
    w->raise();
    w->activateWindow();
}

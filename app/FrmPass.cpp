#include "app/FrmPass.h"

#include "app/FrmFolderList.h"
#include "common/AppGlobals.h"
#include "common/ControlMakers.h"
#include "common/QueryUnload.h"
#include "platform/AppError.h"
#include "platform/Dialogs.h"
#include "platform/EndProgram.h"
#include "platform/FlexGrid.h"

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

FrmPass::FrmPass() : QDialog(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("FrmPass"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setFont(ProgramFont(QStringLiteral("MS UI Gothic"), 9));

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(6);
    for (int i = 0; i < 2; ++i) {
        lblLabels[i] = make<QLabel>(QStringLiteral("lblLabels_%1").arg(i), this);
        txtPassword[i] = make<QLineEdit>(QStringLiteral("txtPassword_%1").arg(i), this);
        // Every character typed shows as "*".
        txtPassword[i]->setEchoMode(QLineEdit::Password);
        txtPassword[i]->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
        txtPassword[i]->setMinimumWidth(200);
        txtPassword[i]->installEventFilter(this);
        grid->addWidget(lblLabels[i], i, 0);
        grid->addWidget(txtPassword[i], i, 1);
    }
    LblMess = make<QLabel>(QStringLiteral("LblMess"), this);
    LblMess->setWordWrap(true);
    LblMess->setTextFormat(Qt::PlainText);
    LblMess->setMinimumHeight(LblMess->fontMetrics().lineSpacing() * 2);

    CmdResetting = make<QPushButton>(QStringLiteral("CmdResetting"), this);
    cmdOK = make<QPushButton>(QStringLiteral("cmdOK"), this);
    cmdCancel = make<QPushButton>(QStringLiteral("cmdCancel"), this);
    for (QPushButton* b : {CmdResetting, cmdCancel})
        b->setAutoDefault(false);
    cmdOK->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(CmdResetting);
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(12, 12, 12, 12);
    column->setSpacing(10);
    column->addWidget(LblMess);
    column->addLayout(grid);
    column->addLayout(buttons);
    column->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(txtPassword[0], txtPassword[1]);
    setTabOrder(txtPassword[1], CmdResetting);
    setTabOrder(CmdResetting, cmdOK);
    setTabOrder(cmdOK, cmdCancel);

    connect(CmdResetting, &QPushButton::clicked, this, [this] { CmdResetting_Click(); });
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
}

void FrmPass::Form_Load()
{
    Guarded(QStringLiteral("Form_Load"), [&] {
        // The way out for a user who has forgotten the password.
        if (CtrlAndShiftHeld())
            StorePassword(QString());
        SetupPassForm();
    });
}

void FrmPass::showSecondBox(bool shown)
{
    lblLabels[1]->setVisible(shown);
    txtPassword[1]->setVisible(shown);
}

void FrmPass::SetupPassForm()
{
    setWindowTitle(ui(710));
    CmdResetting->setText(ui(716));
    cmdOK->setText(ui(717));
    cmdCancel->setText(ui(718));
    if (!StoredPassword().isEmpty()) {
        LblMess->setText(ui(712));
        CmdResetting->setVisible(true);
        showSecondBox(false);
        PassModeValue = PassVerify;
    } else {
        LblMess->setText(ui(711));
        CmdResetting->setVisible(false);
        showSecondBox(true);
        PassModeValue = PassSetNew;
    }
    lblLabels[0]->setText(ui(714));
    lblLabels[1]->setText(ui(715));
    CmdResetting->setEnabled(true);
    txtPassword[0]->setFocus();
}

void FrmPass::CmdResetting_Click()
{
    CmdResetting->setEnabled(false);
    LblMess->setText(ui(713));
    PassModeValue = PassResetVerify;
    txtPassword[0]->setFocus();
}

void FrmPass::cmdOK_Click()
{
    Guarded(QStringLiteral("cmdOK_Click"), [&] {
        const PassOkOutcome out =
            PassOk(PassModeValue, txtPassword[0]->text(), txtPassword[1]->text(), StoredPassword());
        if (out.store && !StorePassword(*out.store)) {
            MsgBox(ui(930), vbOKOnly | vbExclamation);
            return;
        }
        switch (out.messageKey) {
        case 0:
            break;
        case 719:
            MsgBox(WrongPasswordText(), vbOKOnly | vbExclamation);
            break;
        case 721:
        case 722:
            MsgBox(ui(out.messageKey), vbOKOnly | vbInformation);
            break;
        default:
            MsgBox(ui(out.messageKey), vbOKOnly | vbExclamation);
            break;
        }
        if (out.clearFirstBox) {
            txtPassword[0]->clear();
            txtPassword[0]->setFocus();
        }
        if (out.clearBothBoxes) {
            showSecondBox(true);
            txtPassword[0]->clear();
            txtPassword[1]->clear();
            LblMess->setText(ui(711));
            txtPassword[0]->setFocus();
        }
        PassModeValue = out.next;
        if (out.openFolderWindow) {
            ShowFolderListWindow();
            close();
        }
    });
}

void FrmPass::cmdCancel_Click()
{
    Guarded(QStringLiteral("cmdCancel_Click"), [&] {
        if (PassModeValue == PassResetVerify) {
            SetupPassForm();
            return;
        }
        ShowMainWindowOrEnd();
        close();
    });
}

void FrmPass::Form_QueryUnload(bool& cancel, int unloadMode)
{
    // The close box leads back to the main window, whatever the state.
    cancel = false;
    LeaveOnClose(unloadMode);
}

void FrmPass::txtPassword_GotFocus(int index)
{
    QLineEdit* box = txtPassword[index];
    const int n = int(box->text().size());
    box->setCursorPosition(n);
    box->cursorBackward(true, n);
}

void FrmPass::closeEvent(QCloseEvent* event)
{
    RunQueryUnload(this, event);
}

void FrmPass::reject()
{
    cmdCancel_Click();
}

bool FrmPass::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn)
        for (int i = 0; i < 2; ++i)
            if (watched == txtPassword[i])
                txtPassword_GotFocus(i);
    return QDialog::eventFilter(watched, event);
}

void ShowPassWindow()
{
    if (!Global::PassForm) {
        auto* w = new FrmPass;
        Global::PassForm = w;
        w->Form_Load();
    }
    Global::PassForm->show();
    Global::PassForm->raise();
    Global::PassForm->activateWindow();
}

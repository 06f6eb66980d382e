#include "customers/FrmCustomerSort.h"

#include "common/AppGlobals.h"
#include "customers/CustomerGlobals.h"
#include "customers/CustomerList.h"
#include "customers/CustomerTab.h"
#include "customers/TabControls.h"
#include "platform/AppError.h"
#include "platform/FlexGrid.h"
#include "platform/Registry.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

// The column each column option stands for.
constexpr int OptionColumn[5] = {0, 1, 2, 4, 7};

} // namespace

FrmCustomerSort::FrmCustomerSort(QWidget* owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("FrmCustomerSort"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* layout = new QVBoxLayout(this);
    FraObject = new QGroupBox(this);
    FraObject->setObjectName(QStringLiteral("FraObject"));
    auto* columns = new QVBoxLayout(FraObject);
    for (int i = 0; i < 5; ++i) {
        Op1[i] = new QRadioButton(FraObject);
        Op1[i]->setObjectName(CustomerUi::Indexed("Op1", i));
        columns->addWidget(Op1[i]);
        connect(Op1[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                Op1_Click(i);
        });
    }
    FraCondition = new QGroupBox(this);
    FraCondition->setObjectName(QStringLiteral("FraCondition"));
    auto* directions = new QVBoxLayout(FraCondition);
    for (int i = 0; i < 2; ++i) {
        Op2[i] = new QRadioButton(FraCondition);
        Op2[i]->setObjectName(CustomerUi::Indexed("Op2", i));
        directions->addWidget(Op2[i]);
        connect(Op2[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                Op2_Click(i);
        });
    }
    directions->addStretch(1);
    auto* choices = new QHBoxLayout;
    choices->addWidget(FraObject, 1);
    choices->addWidget(FraCondition, 1);
    layout->addLayout(choices);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (int i = 0; i < 2; ++i) {
        CmdBtn[i] = new QPushButton(this);
        CmdBtn[i]->setObjectName(CustomerUi::Indexed("CmdBtn", i));
        CmdBtn[i]->setAutoDefault(false);
        CmdBtn[i]->setMinimumWidth(90);
        buttons->addWidget(CmdBtn[i]);
        connect(CmdBtn[i], &QPushButton::clicked, this, [this, i] { CmdBtn_Click(i); });
    }
    layout->addLayout(buttons);
}

FrmCustomerSort* FrmCustomerSort::Open()
{
    if (!Global::CustomerSortForm) {
        Global::CustomerSortForm = new FrmCustomerSort(CustomerUi::Owner());
        Global::CustomerSortForm->Form_Load();
    }
    Global::CustomerSortForm->setWindowModality(Qt::ApplicationModal);
    Global::CustomerSortForm->show();
    Global::CustomerSortForm->raise();
    Global::CustomerSortForm->activateWindow();
    return Global::CustomerSortForm;
}

FrmCustomerSort* FrmCustomerSort::Loaded()
{
    return Global::CustomerSortForm;
}

void FrmCustomerSort::Form_Load()
{
    Guarded(QStringLiteral("Form_Load"), [this] {
        for (int i = 0; i < 5; ++i)
            if (OptionColumn[i] == Global::SortColumn)
                Op1[i]->setChecked(true);
        if (Global::SortDirection == 0 || Global::SortDirection == 1)
            Op2[Global::SortDirection]->setChecked(true);
    });
    LanguageInitial();
}

void FrmCustomerSort::LanguageInitial()
{
    Guarded(QStringLiteral("LanguageInitial"), [this] {
        const QStringList& ui = Global::UiText;
        setWindowTitle(ui.value(310));
        FraObject->setTitle(ui.value(311));
        for (int i = 0; i < 5; ++i)
            Op1[i]->setText(ui.value(312 + i));
        FraCondition->setTitle(ui.value(317));
        Op2[0]->setText(ui.value(319));
        Op2[1]->setText(ui.value(320));
        CmdBtn[0]->setText(ui.value(321));
        CmdBtn[1]->setText(ui.value(322));
    });
}

void FrmCustomerSort::Op1_Click(int index)
{
    Guarded(QStringLiteral("Op1_Click"), [index] {
        if (index < 0 || index >= 5)
            throw AppError(9);
        Global::SortColumn = OptionColumn[index];
    });
}

void FrmCustomerSort::Op2_Click(int index)
{
    Guarded(QStringLiteral("Op2_Click"), [index] { Global::SortDirection = index; });
}

void FrmCustomerSort::CmdBtn_Click(int index)
{
    if (index == 1) {
        close();
        return;
    }
    if (index != 0)
        return;
    Guarded(QStringLiteral("CmdBtn_Click"), [] {
        UserDataInitial();
        UserRawBackClear();
        UserMemoryClear();
        Global::CurUserRow = 0;
        Global::LoadedCustomerKey.clear();
        if (FlexGrid* grid = CustomerUi::UserGrid()) {
            grid->setRedraw(false);
            grid->setCol(EffectiveSortColumn(Global::SortColumn));
            grid->Sort([](int a, int b) { return MfgUserList_Compare(a, b); });
            grid->setRedraw(true);
            if (grid->Rows() > 1) {
                grid->setRow(1);
                grid->setCol(1);
                grid->setTopRow(1);
            }
        }
        RegNumSet(RegKeySystem, QStringLiteral("SortCol"), Global::SortColumn);
        RegNumSet(RegKeySystem, QStringLiteral("SortContition"), Global::SortDirection);
    });
}

bool FrmCustomerSortIsLoaded()
{
    return Global::CustomerSortForm != nullptr;
}

void FrmCustomerSortUnload()
{
    if (Global::CustomerSortForm) {
        FrmCustomerSort* form = Global::CustomerSortForm;
        Global::CustomerSortForm = nullptr;
        form->close();
    }
}

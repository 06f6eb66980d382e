#include "customers/CustomerTab.h"

#include "common/Controls.h"
#include "common/Global.h"
#include "customers/CustomerGlobals.h"
#include "platform/FlexGrid.h"

#include <QPushButton>

// The customer tab's work is not built yet: these bodies only lay the list
// out, so that the main window loads and shows a consistent tab.

void UserListIni(bool visible)
{
    auto* grid = MainControl<FlexGrid>(QStringLiteral("MfgUserList"));
    if (!grid)
        return;
    grid->setRedraw(false);
    grid->Clear();
    grid->setFormatString(QStringLiteral("^          |                        |                            |"
                                         "                  |            |                                |"
                                         "                 |              "));
    grid->setRows(1);
    for (int k = 0; k < 8; ++k) {
        grid->setTextMatrix(0, k, Global::UiText.value(44 + k));
        grid->setCellAlignment(0, k, FlexGrid::flexAlignCenterCenter);
    }
    grid->setRedraw(true);
    grid->setVisible(visible);
    // No customer listed: save, delete, sort, array and documents wait for one.
    for (int i : {0, 1, 2, 10, 11})
        if (auto* b = MainControl<QPushButton>(QStringLiteral("CmdBtn_%1").arg(i)))
            b->setEnabled(false);
}

void MfgUserList_Click() {}

bool CmdBtn0_Click(bool)
{
    return false;
}

void MeasDataPageChange() {}

void CmdBtn_Click(int) {}

void MnuPicDelete_Click() {}

void MnuCopyPaste_Click(int) {}

bool FrmCustomerSortIsLoaded()
{
    return false;
}

void FrmCustomerSortUnload() {}

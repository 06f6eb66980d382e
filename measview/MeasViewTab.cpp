#include "measview/MeasViewTab.h"

#include "common/Controls.h"
#include "common/Global.h"
#include "measview/MeasViewGlobals.h"
#include "platform/FlexGrid.h"

// The measurement view is not built yet: these bodies only lay the list out,
// so that the main window loads and shows a consistent tab.

void MeasListIni()
{
    auto* grid = MainControl<FlexGrid>(QStringLiteral("MfgMeasList"));
    if (!grid)
        return;
    static const int keys[18] = {93,  94,  95,  123, 124, 96,  97,  98,  99,
                                 108, 101, 102, 103, 110, 111, 113, 117, 118};
    grid->setVisible(false);
    grid->Clear();
    grid->setFormatString(
        QStringLiteral("^         |^         |^      |^    |^    |^                 |^          |"
                       "^       |^       |^     |^        |^        |^        |^    |^        |"
                       "^        |^        |^            "));
    for (int c = 0; c < 18; ++c) {
        grid->setTextMatrix(0, c, Global::UiText.value(keys[c]));
        grid->setCellAlignment(0, c, FlexGrid::flexAlignCenterCenter);
    }
    grid->setRows(1);
    grid->setRow(0);
    grid->setCol(1);
    grid->setVisible(true);
}

void DataViewDisplayInitial()
{
    MeasListIni();
}

void CmbCodeName_Click(int) {}

void CmbUserName_Click(int) {}

void CmbHistorySel_Click(int) {}

void SSTab3_Click(int) {}

void MfgMeasList_DblClick() {}

void DataViewTotalCalc() {}

void CmdReportMake_Click() {}

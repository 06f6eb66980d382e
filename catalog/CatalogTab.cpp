#include "catalog/CatalogTab.h"

#include "common/Controls.h"
#include "common/Global.h"
#include "catalog/CatalogGlobals.h"
#include "platform/FlexGrid.h"

// The catalogue's work is not built yet: these bodies only lay the lists
// out, so that the main window loads and shows a consistent tab.

namespace {

void layOutList(const QString& name, int headerKey)
{
    auto* grid = MainControl<FlexGrid>(name);
    if (!grid)
        return;
    grid->Clear();
    grid->setRows(1);
    grid->setFormatString(QStringLiteral("                    "));
    grid->setTextMatrix(0, 0, Global::UiText.value(headerKey));
    grid->setCellAlignment(0, 0, FlexGrid::flexAlignCenterCenter);
}

} // namespace

void ModuleDataRead() {}

void PowConDataRead() {}

void MakerListIni()
{
    Global::CurModuleMaker = -1;
    Global::CurModuleModel = -1;
    layOutList(QStringLiteral("MfgSerialNoList_0"), 212);
    layOutList(QStringLiteral("MfgMakerList_0"), 211);
}

void PowConListIni()
{
    Global::CurPowConMaker = -1;
    Global::CurPowConModel = -1;
    layOutList(QStringLiteral("MfgSerialNoList_1"), 265);
    layOutList(QStringLiteral("MfgMakerList_1"), 264);
}

bool CmdModuleReg_Click(int)
{
    Global::TabModified[3] = false;
    return false;
}

void SSTab2_Click(int) {}

void ImgModule_DblClick(int) {}

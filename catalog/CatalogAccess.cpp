#include "catalog/CatalogAccess.h"

#include "catalog/CatalogGlobals.h"
#include "catalog/ModelFiles.h"
#include "common/AppGlobals.h"

namespace {

template <class Table> auto* makerOf(Table& table, std::int32_t count, int maker)
{
    return maker >= 0 && maker < count ? &table[std::size_t(maker)] : nullptr;
}

template <class Maker> auto* modelOf(Maker* maker, int model)
{
    return maker && model >= 0 && model < maker->ModelCount && std::size_t(model) < maker->Models.size()
               ? &maker->Models[std::size_t(model)]
               : nullptr;
}

bool moduleSide(int side)
{
    return side == Catalog::ModuleSide;
}

} // namespace

std::int32_t& CurMaker(int side)
{
    return moduleSide(side) ? Global::CurModuleMaker : Global::CurPowConMaker;
}

std::int32_t& CurModel(int side)
{
    return moduleSide(side) ? Global::CurModuleModel : Global::CurPowConModel;
}

std::int32_t MakerCount(int side)
{
    return moduleSide(side) ? Global::ModuleMakerCount : Global::PowConMakerCount;
}

QString MakerNameAt(int side, int maker)
{
    if (moduleSide(side)) {
        const auto* m = makerOf(Global::ModuleCatalog, Global::ModuleMakerCount, maker);
        return m ? m->MakerName : QString();
    }
    const auto* m = makerOf(Global::PowConCatalog, Global::PowConMakerCount, maker);
    return m ? m->MakerName : QString();
}

std::int32_t ModelCountAt(int side, int maker)
{
    if (moduleSide(side)) {
        const auto* m = makerOf(Global::ModuleCatalog, Global::ModuleMakerCount, maker);
        return m ? m->ModelCount : 0;
    }
    const auto* m = makerOf(Global::PowConCatalog, Global::PowConMakerCount, maker);
    return m ? m->ModelCount : 0;
}

QString ModelCodeAt(int side, int maker, int model)
{
    if (moduleSide(side)) {
        const auto* m = modelOf(makerOf(Global::ModuleCatalog, Global::ModuleMakerCount, maker), model);
        return m ? m->ModelCode : QString();
    }
    const auto* m = modelOf(makerOf(Global::PowConCatalog, Global::PowConMakerCount, maker), model);
    return m ? m->ModelCode : QString();
}

int FindMaker(int side, const QString& name)
{
    const int n = MakerCount(side);
    for (int i = 0; i < n; ++i)
        if (MakerNameAt(side, i) == name)
            return i;
    return -1;
}

int FindModel(int side, int maker, const QString& code)
{
    const int n = ModelCountAt(side, maker);
    for (int i = 0; i < n; ++i)
        if (ModelCodeAt(side, maker, i) == code)
            return i;
    return -1;
}

bool ModelSelected(int side)
{
    return SelectedPictureFile(side) != nullptr;
}

QString* SelectedPictureFile(int side)
{
    if (moduleSide(side)) {
        auto* m = modelOf(makerOf(Global::ModuleCatalog, Global::ModuleMakerCount, Global::CurModuleMaker),
                          Global::CurModuleModel);
        return m ? &m->PictureFile : nullptr;
    }
    auto* m = modelOf(makerOf(Global::PowConCatalog, Global::PowConMakerCount, Global::CurPowConMaker),
                      Global::CurPowConModel);
    return m ? &m->PictureFile : nullptr;
}

QString ModelPictureFolder(int side, const QString& maker)
{
    return MakerFolder(side, maker) + u'/' + Global::UiText.value(moduleSide(side) ? 541 : 542);
}

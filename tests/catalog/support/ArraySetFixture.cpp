#include "catalog/support/ArraySetFixture.h"

#include "catalog/ArraySet.h"
#include "catalog/CatalogGlobals.h"
#include "catalog/CatalogTab.h"

namespace ArraySetFixture {

ModuleModelRecord Module(const QString& code, const QString& pm)
{
    ModuleModelRecord m;
    m.ModelCode = code;
    m.Pm = pm;
    m.Voc = code + QStringLiteral(" voc");
    m.Isc = code + QStringLiteral(" isc");
    m.PmTempCoef = code + QStringLiteral(" pmt");
    m.Alpha = code + QStringLiteral(" alpha");
    m.Beta = code + QStringLiteral(" beta");
    m.Rs = code + QStringLiteral(" rs");
    m.K = code + QStringLiteral(" k");
    m.CellsDown = code + QStringLiteral(" down");
    m.CellsAcross = code + QStringLiteral(" across");
    return m;
}

namespace {

template <class Maker, class Model>
void SetMaker(Maker& maker, const QString& name, std::vector<Model> models)
{
    maker.MakerName = name;
    maker.ModelCount = std::int32_t(models.size());
    maker.Models = std::move(models);
}

PowConModelRecord PowCon(const QString& code)
{
    PowConModelRecord p;
    p.ModelCode = code;
    return p;
}

// As a catalogue load does: the array window, loaded at start-up, lists the
// makers of the catalogue now in memory.
void ListMakersInArrayWindow()
{
    if (FrmArraySetIsLoaded())
        for (int side : {0, 1})
            FillArraySetMakerLists(ArraySetForm(), side);
}

} // namespace

void ClearCatalog()
{
    Global::ModuleCatalog = {};
    Global::PowConCatalog = {};
    Global::ModuleMakerCount = 0;
    Global::PowConMakerCount = 0;
    ListMakersInArrayWindow();
}

void InstallCatalog()
{
    ClearCatalog();
    SetMaker(Global::ModuleCatalog[0], QStringLiteral("Tolvane Solar"),
             std::vector<ModuleModelRecord>{Module("TS-250", "250"), Module("TS-300", "300"), Module("ts-250", "251")});
    SetMaker(Global::ModuleCatalog[1], QStringLiteral("Kirin Denki"),
             std::vector<ModuleModelRecord>{Module("KD-200", "200")});
    SetMaker(Global::ModuleCatalog[2], QStringLiteral("Empty Maker"), std::vector<ModuleModelRecord>{});
    Global::ModuleMakerCount = 3;
    SetMaker(Global::PowConCatalog[0], QStringLiteral("ソルベル"),
             std::vector<PowConModelRecord>{PowCon("SB55M"), PowCon("SB40F")});
    SetMaker(Global::PowConCatalog[1], QStringLiteral("Sanrise"), std::vector<PowConModelRecord>{PowCon("SR-4")});
    Global::PowConMakerCount = 2;
    ListMakersInArrayWindow();
}

} // namespace ArraySetFixture

#pragma once
// The module and power-conditioner catalogues as the program holds them:
// fixed tables of up to 256 makers of up to 256 models each. Every field of
// a model record is the text of its file line, unchanged.
#include <QString>

#include <array>
#include <cstdint>
#include <vector>

namespace Catalog {
inline constexpr int MaxMakers = 256;
inline constexpr int MaxModels = 256;
} // namespace Catalog

struct ModuleModelRecord {
    QString ModelCode;        // the file name before its last "."
    QString CellType;         // list position of the cell type, as text
    QString Pm;               // W
    QString Vpm;              // V
    QString Ipm;              // A
    QString Voc;              // V
    QString Isc;              // A
    QString CellEfficiency;   // %
    QString ModuleEfficiency; // %
    QString OutlineWidth;     // mm
    QString OutlineDepth;     // mm
    QString OutlineHeight;    // mm
    QString Mass;             // kg
    QString Area;             // m2
    QString CellsAcross;
    QString CellsDown;
    QString Alpha;       // A/degC
    QString Beta;        // V/degC
    QString Rs;          // ohm
    QString K;           // ohm/degC
    QString Memo;        // lines joined with CR LF
    QString PictureFile; // file name in the maker's picture folder, or empty
    QString PmTempCoef;  // %/degC; empty in the old layout
    QString Reserved;

    bool operator==(const ModuleModelRecord&) const = default;
};

struct PowConModelRecord {
    QString ModelCode;
    QString InputCircuits;
    QString RatedInputVoltage;
    QString InputVoltageRange;
    QString MaxInputVoltage;
    QString RatedOutputVoltageGrid;
    QString FrequencyGrid;
    QString RatedOutputVoltageStandAlone;
    QString FrequencyStandAlone;
    QString RatedOutputPowerGrid;
    QString RatedOutputPowerStandAlone;
    QString ConversionEfficiency;
    QString PowerFactor;
    QString HarmonicDistortion;
    QString OperatingNoise;
    QString InverterType;
    QString SwitchingType;
    QString InsulationType;
    QString ElectricalSystemGrid;
    QString ElectricalSystemStandAlone;
    QString ProtectionFunctions;
    QString Mass;
    QString OutlineWidth;
    QString OutlineDepth;
    QString OutlineHeight;
    QString Memo;
    QString PictureFile;

    bool operator==(const PowConModelRecord&) const = default;
};

// One maker folder with its models; models 0 .. ModelCount - 1 are in use,
// in listing order. Only the models in use are held (Models.size() is
// ModelCount), so an empty slot costs nothing; the limit stays MaxModels.
template <class Model> struct CatalogMakerOf {
    QString MakerName;
    std::int32_t ModelCount = 0;
    std::vector<Model> Models;
};
using CatalogMaker = CatalogMakerOf<ModuleModelRecord>;
using PowConCatalogMaker = CatalogMakerOf<PowConModelRecord>;

// Every field of a record in declaration order (0 .. 23 and 0 .. 26), so that
// the file layouts can be written as tables of field numbers.
inline constexpr std::array<QString ModuleModelRecord::*, 24> ModuleFields = {
    &ModuleModelRecord::ModelCode,        &ModuleModelRecord::CellType,
    &ModuleModelRecord::Pm,               &ModuleModelRecord::Vpm,
    &ModuleModelRecord::Ipm,              &ModuleModelRecord::Voc,
    &ModuleModelRecord::Isc,              &ModuleModelRecord::CellEfficiency,
    &ModuleModelRecord::ModuleEfficiency, &ModuleModelRecord::OutlineWidth,
    &ModuleModelRecord::OutlineDepth,     &ModuleModelRecord::OutlineHeight,
    &ModuleModelRecord::Mass,             &ModuleModelRecord::Area,
    &ModuleModelRecord::CellsAcross,      &ModuleModelRecord::CellsDown,
    &ModuleModelRecord::Alpha,            &ModuleModelRecord::Beta,
    &ModuleModelRecord::Rs,               &ModuleModelRecord::K,
    &ModuleModelRecord::Memo,             &ModuleModelRecord::PictureFile,
    &ModuleModelRecord::PmTempCoef,       &ModuleModelRecord::Reserved,
};
inline constexpr std::array<QString PowConModelRecord::*, 27> PowConFields = {
    &PowConModelRecord::ModelCode,
    &PowConModelRecord::InputCircuits,
    &PowConModelRecord::RatedInputVoltage,
    &PowConModelRecord::InputVoltageRange,
    &PowConModelRecord::MaxInputVoltage,
    &PowConModelRecord::RatedOutputVoltageGrid,
    &PowConModelRecord::FrequencyGrid,
    &PowConModelRecord::RatedOutputVoltageStandAlone,
    &PowConModelRecord::FrequencyStandAlone,
    &PowConModelRecord::RatedOutputPowerGrid,
    &PowConModelRecord::RatedOutputPowerStandAlone,
    &PowConModelRecord::ConversionEfficiency,
    &PowConModelRecord::PowerFactor,
    &PowConModelRecord::HarmonicDistortion,
    &PowConModelRecord::OperatingNoise,
    &PowConModelRecord::InverterType,
    &PowConModelRecord::SwitchingType,
    &PowConModelRecord::InsulationType,
    &PowConModelRecord::ElectricalSystemGrid,
    &PowConModelRecord::ElectricalSystemStandAlone,
    &PowConModelRecord::ProtectionFunctions,
    &PowConModelRecord::Mass,
    &PowConModelRecord::OutlineWidth,
    &PowConModelRecord::OutlineDepth,
    &PowConModelRecord::OutlineHeight,
    &PowConModelRecord::Memo,
    &PowConModelRecord::PictureFile,
};

using ModuleCatalogTable = std::array<CatalogMaker, Catalog::MaxMakers>;
using PowConCatalogTable = std::array<PowConCatalogMaker, Catalog::MaxMakers>;

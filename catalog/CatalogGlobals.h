#pragma once
// Shared state of this subsystem, in namespace Global (see app/Global.h).
#include "catalog/CatalogRecords.h"

#include <QString>

#include <array>
#include <cstdint>

namespace Global {

// The two catalogues, each a table of 256 makers that lives for the whole
// run. Makers 0 .. count - 1 are in use, in listing order.
inline ModuleCatalogTable ModuleCatalog;
inline PowConCatalogTable PowConCatalog;
inline std::int32_t ModuleMakerCount = 0;
inline std::int32_t PowConMakerCount = 0;

// The catalogue selection of each side (modules, power conditioners): maker
// and model index, -1 for none. A model index always indexes the models of
// the maker index of the same side.
inline std::int32_t CurModuleMaker = -1;
inline std::int32_t CurModuleModel = -1;
inline std::int32_t CurPowConMaker = -1;
inline std::int32_t CurPowConModel = -1;

// The full path of the product picture shown in ImgModule_0 (modules) and
// ImgModule_1 (power conditioners); empty while the box shows none.
inline std::array<QString, 2> ShownModelPicturePath;

} // namespace Global

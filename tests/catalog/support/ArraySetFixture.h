#pragma once
// A small module and power-conditioner catalogue, put into the catalogue
// tables by hand, for the tests of the array configuration window and its
// derivation.
#include "catalog/CatalogRecords.h"

#include <QString>

#include <ostream>

namespace ArraySetFixture {

// Module makers: 0 "Tolvane Solar" with TS-250, TS-300 and ts-250 (a code
// that differs from the first only in letter case), 1 "Kirin Denki" with
// KD-200, 2 "Empty Maker" without models. Power-conditioner makers:
// 0 "ソルベル" with SB55M and SB40F, 1 "Sanrise" with SR-4.
void InstallCatalog();
// Empties both catalogue tables.
void ClearCatalog();
// A module model with the given code and Pm; its other figures are derived
// from the code so that every model's differ.
ModuleModelRecord Module(const QString& code, const QString& pm);

} // namespace ArraySetFixture

inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

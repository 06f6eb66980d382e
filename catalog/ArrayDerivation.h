#pragma once
// What follows from a customer's array configuration and the module
// catalogue, without any window: the totals of the string rows, each group's
// rated Pm, and each group's correction coefficients, taken from the
// catalogue model of the group's first string row. The array configuration
// window computes its labels with these, and the measurement view can derive
// the same figures from the records alone.
#include "catalog/CatalogRecords.h"
#include "customers/CustomerRecords.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>

namespace ArrayDerivation {

// The three texts of a string row that its Pm contribution is computed from.
struct RowFigures {
    QString Pm;       // the module's Pm
    QString Series;   // modules in series
    QString Parallel; // strings in parallel
};
using AllRowFigures = std::array<RowFigures, Customer::RowCount>;

// Sum over all rows of Pm x series x parallel, each text read as the number
// it begins with; a parallel count that reads 0 (empty included) counts as
// one string, any other is taken as read, fraction and all. Throws AppError 6
// when the sum leaves the range of a double.
double GrandTotal(const AllRowFigures& rows);
// The total of group g (rows 5g to 5g+4), its rated Pm: as GrandTotal, but a
// parallel count that does not read 0 is first rounded to a whole number,
// halves to even (0.4 gives 0, 2.5 gives 2, 3.5 gives 4). Throws AppError 6
// when a rounded count leaves the 32-bit range or the sum that of a double.
double GroupTotal(const AllRowFigures& rows, int g);
// A total as text: up to 15 significant digits, "." whatever the locale.
QString TotalText(double total);

// The correction coefficients of a group, as the catalogue holds them.
struct GroupCoefficients {
    QString PmTempCoef;
    QString Alpha;
    QString Beta;
    QString Rs;
    QString K;
    QString CellsDown;
    QString CellsAcross;

    bool operator==(const GroupCoefficients&) const = default;
};
GroupCoefficients CoefficientsOf(const ModuleModelRecord& model);
// Entry g of the seven coefficient tables of `a`.
GroupCoefficients CoefficientsInRecord(const ArrayConfigurationType& a, int g);
void SetCoefficientsInRecord(ArrayConfigurationType& a, int g, const GroupCoefficients& c);
// Empties entries 0 to 9 of the seven coefficient tables.
void ClearCoefficientTables(ArrayConfigurationType& a);

// Position of the first item equal to `stored` when both are put in upper
// case; -1 when `stored` is empty or nothing matches.
int MatchItem(const QStringList& items, const QString& stored);
// The list position a stored group number chooses in the list "1" to "10":
// a whole number 1 to 10 (blanks around it allowed) gives 0 to 9; anything
// else, the empty text and "0" included, gives -1.
int GroupNumberPosition(const QString& text);

// The maker names of catalogue makers 0 .. makerCount - 1.
template <class Table> QStringList MakerNames(const Table& table, int makerCount)
{
    QStringList names;
    for (int m = 0; m < makerCount && m < int(table.size()); ++m)
        names << table[std::size_t(m)].MakerName;
    return names;
}
// The model codes of one catalogue maker, in catalogue order.
template <class Maker> QStringList ModelCodes(const Maker& maker)
{
    QStringList codes;
    const int n = qMin<int>(maker.ModelCount, int(maker.Models.size()));
    for (int k = 0; k < n; ++k)
        codes << maker.Models[std::size_t(k)].ModelCode;
    return codes;
}
// Model k of maker m of the module catalogue, or nullptr when either
// position names nothing in it.
const ModuleModelRecord* CatalogModule(const ModuleCatalogTable& catalog, int makerCount, int m, int k);

// What filling the array configuration window derives from the records:
// GroupRatedPm (each group's total over its rows that name a model, with
// the stored Pm and counts) and the seven coefficient tables (from the
// catalogue model of each group's first row, found by maker name and model
// code without regard to case; empty when that row names no model, or one
// the catalogue does not hold). The stored part of `a` is not changed.
void DeriveArrayGroups(ArrayConfigurationType& a, const ModuleCatalogTable& catalog, int makerCount);

} // namespace ArrayDerivation

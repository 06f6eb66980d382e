#include "catalog/ArrayDerivation.h"

#include "platform/AppError.h"
#include "platform/NumText.h"

#include <cmath>

namespace ArrayDerivation {

namespace {

double Checked(double value)
{
    if (!std::isfinite(value))
        throw AppError(6);
    return value;
}

// One row's contribution with the given parallel factor.
double RowPm(const RowFigures& row, double factor)
{
    return Checked(NumText::Val(row.Pm) * NumText::Val(row.Series) * factor);
}

} // namespace

double GrandTotal(const AllRowFigures& rows)
{
    double total = 0;
    for (const RowFigures& row : rows) {
        const double h = NumText::Val(row.Parallel);
        total = Checked(RowPm(row, h == 0 ? 1.0 : h) + total);
    }
    return total;
}

double GroupTotal(const AllRowFigures& rows, int g)
{
    if (g < 0 || g >= Customer::GroupCount)
        throw AppError(9);
    double total = 0;
    for (int j = 0; j < Customer::RowsPerGroup; ++j) {
        const RowFigures& row = rows[std::size_t(Customer::RowsPerGroup * g + j)];
        const double h = NumText::Val(row.Parallel);
        const double factor = h == 0 ? 1.0 : double(NumText::CLng(h));
        total = Checked(total + RowPm(row, factor));
    }
    return total;
}

QString TotalText(double total)
{
    return NumText::Str(total);
}

GroupCoefficients CoefficientsOf(const ModuleModelRecord& model)
{
    return {model.PmTempCoef, model.Alpha, model.Beta, model.Rs, model.K, model.CellsDown, model.CellsAcross};
}

GroupCoefficients CoefficientsInRecord(const ArrayConfigurationType& a, int g)
{
    const auto i = std::size_t(g);
    return {a.GroupPmTempCoef[i], a.GroupAlpha[i], a.GroupBeta[i],        a.GroupRs[i],
            a.GroupK[i],          a.GroupCellsDown[i], a.GroupCellsAcross[i]};
}

void SetCoefficientsInRecord(ArrayConfigurationType& a, int g, const GroupCoefficients& c)
{
    const auto i = std::size_t(g);
    a.GroupPmTempCoef[i] = c.PmTempCoef;
    a.GroupAlpha[i] = c.Alpha;
    a.GroupBeta[i] = c.Beta;
    a.GroupRs[i] = c.Rs;
    a.GroupK[i] = c.K;
    a.GroupCellsDown[i] = c.CellsDown;
    a.GroupCellsAcross[i] = c.CellsAcross;
}

void ClearCoefficientTables(ArrayConfigurationType& a)
{
    for (int g = 0; g < Customer::GroupCount; ++g)
        SetCoefficientsInRecord(a, g, GroupCoefficients{});
}

int MatchItem(const QStringList& items, const QString& stored)
{
    if (stored.isEmpty())
        return -1;
    const QString wanted = stored.toUpper();
    for (int i = 0; i < items.size(); ++i)
        if (items[i].toUpper() == wanted)
            return i;
    return -1;
}

int GroupNumberPosition(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || !NumText::IsNumeric(t))
        return -1;
    const double v = NumText::Val(t);
    if (v != std::floor(v) || v < 1 || v > Customer::GroupCount)
        return -1;
    return int(v) - 1;
}

const ModuleModelRecord* CatalogModule(const ModuleCatalogTable& catalog, int makerCount, int m, int k)
{
    if (m < 0 || m >= makerCount || m >= int(catalog.size()))
        return nullptr;
    const CatalogMaker& maker = catalog[std::size_t(m)];
    if (k < 0 || k >= maker.ModelCount || k >= int(maker.Models.size()))
        return nullptr;
    return &maker.Models[std::size_t(k)];
}

void DeriveArrayGroups(ArrayConfigurationType& a, const ModuleCatalogTable& catalog, int makerCount)
{
    AllRowFigures rows;
    for (int r = 0; r < Customer::RowCount; ++r) {
        const StringRow& s = a.StringRows[std::size_t(r)];
        // A row that names no model is shown empty, so it adds nothing.
        if (!s.ModelCode.isEmpty())
            rows[std::size_t(r)] = {s.ModulePm, s.SeriesCount, s.ParallelCount};
    }
    const QStringList makers = MakerNames(catalog, makerCount);
    for (int g = 0; g < Customer::GroupCount; ++g) {
        a.GroupRatedPm[std::size_t(g)] = TotalText(GroupTotal(rows, g));
        GroupCoefficients c;
        const int m = MatchItem(makers, a.GroupMaker[std::size_t(g)]);
        if (m >= 0) {
            const int k = MatchItem(ModelCodes(catalog[std::size_t(m)]),
                                    a.StringRows[std::size_t(Customer::RowsPerGroup * g)].ModelCode);
            if (const ModuleModelRecord* model = CatalogModule(catalog, makerCount, m, k))
                c = CoefficientsOf(*model);
        }
        SetCoefficientsInRecord(a, g, c);
    }
}

} // namespace ArrayDerivation

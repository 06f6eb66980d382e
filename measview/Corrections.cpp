#include "measview/Corrections.h"

#include "platform/NumText.h"

#include <array>
#include <cmath>
#include <limits>

using NumText::Val;

namespace {

const QString NoValue = QStringLiteral("--");
const QString WholeFormat = QStringLiteral("0");
const QString TwoDecimals = QStringLiteral("0.00");

constexpr int Volt = MeasRecord::Volt;
constexpr int Amp = MeasRecord::Amp;
constexpr int Watt = MeasRecord::Watt;

// Whole numbers with halves to the even neighbour.
double RoundCount(double x)
{
    return std::nearbyint(x);
}

// A corrected view of `measured`: its fields; the curve is set by the caller.
MeasRecord FieldsOf(const MeasRecord& measured)
{
    MeasRecord out;
    out.F = measured.F;
    return out;
}

void MarkNotCorrected(MeasRecord& rec)
{
    rec.F[MeasRecord::Pm] = NoValue;
    rec.F[MeasRecord::Voc] = NoValue;
    rec.F[MeasRecord::Isc] = NoValue;
    rec.F[MeasRecord::FillFactor] = NoValue;
    rec.IvPoints = IvPointTable();
}

// The irradiance a correction divides by: none when it is zero, negative or
// missing, since scaling to 1000 W/m2 then means nothing (or a thousandfold
// current).
bool UsableIrradiance(const MeasRecord& rec, double& e)
{
    e = Val(rec.F[MeasRecord::Irradiance]);
    return e > 0 && std::isfinite(1000.0 / e);
}

// The value the text of a result reads back as, kept for a curve point that
// is written later: NaN where the text is "--".
double PointValue(double value)
{
    return std::isfinite(value) ? NumText::StrValue(value) : std::numeric_limits<double>::quiet_NaN();
}

// The value of a point's text as a computation reads it ("--" reads 0).
double ReadBack(double pointValue)
{
    return std::isnan(pointValue) ? 0 : pointValue;
}

} // namespace

double TextValue(double value)
{
    return std::isfinite(value) ? NumText::StrValue(value) : 0;
}

QString ResultText(double value)
{
    return std::isfinite(value) ? NumText::Str(value) : NoValue;
}

QString ResultFormat(double value, const QString& pattern)
{
    return std::isfinite(value) ? NumText::Format(value, pattern) : NoValue;
}

QString FillFactorText(const MeasRecord& rec)
{
    // A Pm that was no number gives none.
    if (rec.F[MeasRecord::Pm] == NoValue)
        return NoValue;
    const double product = Val(rec.F[MeasRecord::Voc]) * Val(rec.F[MeasRecord::Isc]);
    if (product == 0)
        return NoValue;
    return ResultFormat(Val(rec.F[MeasRecord::Pm]) / product, TwoDecimals);
}

CorrectionSet CorrectionSetOf(const ArrayConfigurationType& array)
{
    CorrectionSet set;
    for (int g = 0; g < Customer::GroupCount; ++g) {
        GroupCorrection& c = set.groups[std::size_t(g)];
        const auto at = std::size_t(g);
        c.ratedPm = Val(array.GroupRatedPm[at]);
        c.pmTempCoef = Val(array.GroupPmTempCoef[at]) / 100;

        int rows = 0;
        QString firstModel;
        double series = 0;
        double parallel = 0;
        for (int r = Customer::RowsPerGroup * g; r < Customer::RowsPerGroup * (g + 1); ++r) {
            const StringRow& row = array.StringRows[std::size_t(r)];
            if (row.ModelCode.isEmpty())
                continue;
            if (rows == 0) {
                firstModel = row.ModelCode;
                series = RoundCount(Val(row.SeriesCount));
                parallel = RoundCount(Val(row.ParallelCount));
                rows = 1;
            } else if (row.ModelCode != firstModel) {
                ++rows;
            }
        }
        c.mixedModules = rows > 1;
        c.noModule = rows == 0 || series < 1;
        c.stcCorrectable = !c.noModule;
        if (parallel < 1)
            parallel = 1;

        c.coefMissing = array.GroupAlpha[at].isEmpty() || array.GroupBeta[at].isEmpty() ||
                        array.GroupRs[at].isEmpty() || array.GroupK[at].isEmpty();
        c.alpha = Val(array.GroupAlpha[at]) * parallel;
        c.beta = Val(array.GroupBeta[at]) * series;
        c.rs = Val(array.GroupRs[at]) * series / parallel;
        c.k = Val(array.GroupK[at]) * series / parallel;
    }
    return set;
}

int MeasGroupIndex(const MeasRecord& rec)
{
    const double group = Val(rec.F[MeasRecord::Number].mid(5, 2));
    if (!(group > 0 && group <= 10))
        return -1;
    const double index = RoundCount(group - 1);
    return index >= 0 && index < Customer::GroupCount ? int(index) : -1;
}

void RaiseCorrectionFlags(CorrectionFlags& flags, const MeasRecord& rec, const CorrectionSet& set)
{
    const int g = MeasGroupIndex(rec);
    if (g < 0)
        return;
    const GroupCorrection& c = set.groups[std::size_t(g)];
    flags.stcCoefMissing = flags.stcCoefMissing || c.coefMissing;
    flags.noModule = flags.noModule || c.noModule;
    flags.mixedModules = flags.mixedModules || c.mixedModules;
}

MeasRecord PmCorrected(const MeasRecord& measured, const CorrectionSet& set)
{
    MeasRecord out = FieldsOf(measured);
    const int g = MeasGroupIndex(measured);
    const GroupCorrection* group = g >= 0 ? &set.groups[std::size_t(g)] : nullptr;
    double e = 0;
    // A valid group brings the values to 25 deg C from the cell temperature.
    if (!UsableIrradiance(measured, e) || (group && !NumText::IsNumeric(measured.F[MeasRecord::CellTemp]))) {
        MarkNotCorrected(out);
        return out;
    }

    // Every current to 1000 W/m2; the power from the value of each new text.
    const double isc = Val(measured.F[MeasRecord::Isc]);
    const double raise = (1000 / e - 1) * isc;
    IvPointTable::Numbers points;
    std::array<double, MeasRecord::CurvePoints> volts;
    double pmax = 0;
    for (std::size_t k = 0; k < MeasRecord::CurvePoints; ++k) {
        points[k][Amp] = PointValue(measured.IvPoints.value(k, Amp) + raise);
        volts[k] = TextValue(measured.IvPoints.value(k, Volt));
        const double power = volts[k] * ReadBack(points[k][Amp]);
        points[k][Watt] = power;
        if (power > pmax)
            pmax = power;
    }
    out.F[MeasRecord::Isc] = ResultText(isc * (1000 / e));

    // A valid group brings Pm and the voltages to 25 deg C; the powers stay
    // as computed above.
    double d = 0;
    if (group) {
        const double t = Val(measured.F[MeasRecord::CellTemp]);
        const double c = group->pmTempCoef;
        out.F[MeasRecord::Pm] = ResultFormat((25 - t) * (group->ratedPm * c) + pmax, TwoDecimals);
        d = c * 0.95 * (t - 25);
        const double voc = Val(measured.F[MeasRecord::Voc]);
        out.F[MeasRecord::Voc] = ResultText(voc - voc * d);
    } else {
        out.F[MeasRecord::Pm] = ResultFormat(pmax, TwoDecimals);
    }
    for (std::size_t k = 0; k < MeasRecord::CurvePoints; ++k)
        points[k][Volt] = volts[k] - volts[k] * d;
    // Voltages and powers are kept as computed: nothing here reads them back.
    out.IvPoints = IvPointTable::FromNumbers(points, measured.IvPoints, 1u << Volt | 1u << Watt);
    out.F[MeasRecord::FillFactor] = FillFactorText(out);
    return out;
}

MeasRecord StcCorrected(const MeasRecord& measured, const CorrectionSet& set)
{
    MeasRecord out = FieldsOf(measured);
    const int g = MeasGroupIndex(measured);
    const GroupCorrection* group = g >= 0 ? &set.groups[std::size_t(g)] : nullptr;
    double e = 0;
    if (!UsableIrradiance(measured, e) ||
        (group && (!NumText::IsNumeric(measured.F[MeasRecord::CellTemp]) || !group->stcCorrectable))) {
        MarkNotCorrected(out);
        return out;
    }

    const GroupCorrection none;
    const GroupCorrection& c = group ? *group : none;
    const double dt = 25 - Val(measured.F[MeasRecord::CellTemp]);
    const double isc = Val(measured.F[MeasRecord::Isc]);
    const double irradiance = 1000 / e - 1;
    IvPointTable::Numbers points;
    double pmax = 0;
    for (std::size_t k = 0; k < MeasRecord::CurvePoints; ++k) {
        const double i1 = measured.IvPoints.value(k, Amp);
        const double v1 = measured.IvPoints.value(k, Volt);
        points[k][Amp] = PointValue(i1 + isc * irradiance + c.alpha * dt);
        const double i2 = ReadBack(points[k][Amp]);
        points[k][Volt] = PointValue(v1 + c.beta * dt - c.rs * (i2 - i1) - c.k * i2 * dt);
        const double power = ReadBack(points[k][Volt]) * i2;
        points[k][Watt] = power;
        if (power > pmax)
            pmax = power;
    }
    out.IvPoints = IvPointTable::FromNumbers(points, measured.IvPoints, 1u << Watt);
    out.F[MeasRecord::Pm] = ResultFormat(pmax, WholeFormat);
    // The open-circuit point moves by the curve formula, from Isc to the
    // corrected Isc.
    out.F[MeasRecord::Isc] = ResultText(isc + isc * irradiance + c.alpha * dt);
    const double isc2 = Val(out.F[MeasRecord::Isc]);
    const double voc = Val(measured.F[MeasRecord::Voc]);
    out.F[MeasRecord::Voc] = ResultText(voc + c.beta * dt - c.rs * (isc2 - isc) - c.k * isc2 * dt);
    out.F[MeasRecord::FillFactor] = FillFactorText(out);
    return out;
}

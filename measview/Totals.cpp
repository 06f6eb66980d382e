#include "measview/Totals.h"

#include "measview/Corrections.h"
#include "measview/Parallel.h"
#include "platform/AnsiCodec.h"
#include "platform/NumText.h"

#include <QList>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

using NumText::Val;

namespace {

const QString NoValue = QStringLiteral("--");

// Curve points per thread below which one thread sums them all.
constexpr int PointsPerSlice = 15;
// Curves per thread below which one thread makes the values of them all.
constexpr int CurvesPerSlice = 16;
// Records per thread below which one thread reads the fields of them all.
constexpr int RecordsPerSlice = 64;

// Fields that read "--" while there is no total.
constexpr int NoValueFields[] = {0,  1,  2,  3,  8,  10, 12, 14, 15, 16, 17, 20, 21, 22,
                                 23, 24, 25, 26, 31, 32, 33, 34, 35, 36, 37, 39, 43};

// Fields the total adds up (its means start as sums).
constexpr int SummedFields[] = {MeasRecord::Pm,       MeasRecord::Voc,        MeasRecord::Isc,
                                MeasRecord::CellTemp, MeasRecord::Irradiance, MeasRecord::Area};

bool LetterModel(const MeasRecord& rec)
{
    const QString& m = rec.F[MeasRecord::Model];
    return m.size() == 1 && ((m[0] >= u'A' && m[0] <= u'H') || (m[0] >= u'a' && m[0] <= u'h'));
}

// A sum kept as its text would be: each step stores its result as text and
// the next reads that text's value. A result that is no finite number is
// stored as "--", which reads 0.
struct TextSum {
    double value = 0;
    bool finite = true;
    void add(double x)
    {
        const double sum = x + value;
        finite = std::isfinite(sum);
        value = TextValue(sum);
    }
    QString text() const { return finite ? NumText::Str(value) : NoValue; }
};

// The curve of the total: at every point the mean voltage and the summed
// current of the ticked records, and their product. Each point's sums run
// over the records in their order; the points are independent of one
// another, so slices of them are summed side by side.
void TotalPoints(MeasRecord& total, const std::vector<const MeasRecord*>& ticked)
{
    const int n = int(ticked.size());
    constexpr double NotFinite = std::numeric_limits<double>::quiet_NaN();
    IvPointTable::Numbers points;
    // Each curve's values are made ready first, curves side by side: made
    // at their first read, each curve's would be made by one slice of
    // points while every other slice waits for it.
    ParallelSlices(n, CurvesPerSlice, [&](int begin, int end) {
        for (int j = begin; j < end; ++j)
            ticked[std::size_t(j)]->IvPoints.prepareValues();
    });
    ParallelSlices(MeasRecord::CurvePoints, PointsPerSlice, [&](int begin, int end) {
        std::array<TextSum, MeasRecord::CurvePoints> volts, amps;
        for (const MeasRecord* r : ticked)
            for (int k = begin; k < end; ++k) {
                volts[std::size_t(k)].add(r->IvPoints.value(std::size_t(k), MeasRecord::Volt));
                amps[std::size_t(k)].add(r->IvPoints.value(std::size_t(k), MeasRecord::Amp));
            }
        for (int k = begin; k < end; ++k) {
            auto& p = points[std::size_t(k)];
            const double mean = volts[std::size_t(k)].value / n;
            const TextSum& sum = amps[std::size_t(k)];
            p[MeasRecord::Volt] = std::isfinite(mean) ? TextValue(mean) : NotFinite;
            p[MeasRecord::Amp] = sum.finite ? sum.value : NotFinite;
            // The power of the two texts just written, each read strictly:
            // "--" has no value.
            const double power = TextValue(mean) * sum.value;
            p[MeasRecord::Watt] = std::isfinite(mean) && sum.finite && std::isfinite(power) ? TextValue(power)
                                                                                            : NotFinite;
        }
    });
    total.IvPoints = IvPointTable::FromNumbers(points, total.IvPoints);
}

QByteArray TotalLine(const QString& value)
{
    return value == NoValue ? QByteArray() : AnsiCodec::encode(QStringLiteral("SEL_OK,") + value);
}

} // namespace

bool HasTotalValues(const MeasRecord& rec)
{
    return NumText::IsNumeric(rec.F[MeasRecord::Pm]);
}

void SetNoValueFields(MeasRecord& rec)
{
    for (int f : NoValueFields)
        rec.F[std::size_t(f)] = NoValue;
    // Every point but the last, which no total writes.
    const IvPointTable::Row last = std::as_const(rec.IvPoints)[MeasRecord::CurvePoints];
    rec.IvPoints = IvPointTable();
    if (last != IvPointTable::Row())
        rec.IvPoints[MeasRecord::CurvePoints] = last;
}

void TotalOfTicked(std::vector<MeasRecord>& records, int count, const std::vector<std::uint8_t>& ticks,
                   TotalView view)
{
    if (records.empty())
        return;
    count = std::min({count, int(records.size()) - 1, int(ticks.size()) - 1});
    MeasRecord& total = records[0];

    // A measurement without values in this view (its Pm no number, such as
    // the "--" of one that cannot be corrected) is no part of the total: it
    // would count as zero and halve every mean.
    std::vector<std::uint8_t> counted(std::size_t(std::max(count, 0)) + 1, 0);
    ParallelSlices(count, RecordsPerSlice, [&](int begin, int end) {
        for (int j = begin + 1; j <= end; ++j)
            counted[std::size_t(j)] = ticks[std::size_t(j)] == 1 && HasTotalValues(records[std::size_t(j)]);
    });
    std::vector<const MeasRecord*> ticked;
    for (int j = 1; j <= count; ++j)
        if (counted[std::size_t(j)])
            ticked.push_back(&records[std::size_t(j)]);
    const int n = int(ticked.size());
    if (n == 0) {
        SetNoValueFields(total);
        // No efficiency either: not the one of the last total.
        total.F[MeasRecord::Efficiency] = NoValue;
        return;
    }

    TotalPoints(total, ticked);

    auto& F = total.F;
    // The fields' values are read side by side first; the sums then run
    // over them in the records' order.
    constexpr std::size_t Summed = std::size(SummedFields);
    struct Values {
        std::array<double, Summed> summed;
        double air;
        bool airMeasured; // instruments of the lettered models measure none
    };
    std::vector<Values> values(ticked.size());
    ParallelSlices(n, RecordsPerSlice, [&](int begin, int end) {
        for (int j = begin; j < end; ++j) {
            const MeasRecord& r = *ticked[std::size_t(j)];
            auto& v = values[std::size_t(j)];
            for (std::size_t i = 0; i < Summed; ++i)
                v.summed[i] = Val(r.F[std::size_t(SummedFields[i])]);
            v.airMeasured = view == TotalView::PmCorrected || !LetterModel(r);
            v.air = v.airMeasured ? Val(r.F[MeasRecord::AirTemp]) : 0;
        }
    });
    std::array<TextSum, Summed> sums;
    TextSum air;
    int airCount = 0;
    for (const auto& v : values) {
        for (std::size_t i = 0; i < Summed; ++i)
            sums[i].add(v.summed[i]);
        if (v.airMeasured) {
            air.add(v.air);
            ++airCount;
        }
    }
    if (view == TotalView::Shown)
        F[MeasRecord::Version] = ticked.back()->F[MeasRecord::Version];
    for (std::size_t i = 0; i < sums.size(); ++i)
        F[std::size_t(SummedFields[i])] = sums[i].text();
    F[MeasRecord::AirTemp] = airCount > 0 ? air.text() : NoValue;
    F[MeasRecord::FillFactor] = NoValue;

    F[MeasRecord::Pm] = ResultFormat(Val(F[MeasRecord::Pm]), QStringLiteral("0.00"));
    const bool decimalVoc = Val(records[1].F[MeasRecord::Version]) >= 8;
    F[MeasRecord::Voc] =
        ResultFormat(Val(F[MeasRecord::Voc]) / n, decimalVoc ? QStringLiteral("0.0") : QStringLiteral("0"));
    F[MeasRecord::Isc] = ResultFormat(Val(F[MeasRecord::Isc]), QStringLiteral("0.000"));
    if (Val(F[MeasRecord::Isc]) > 99)
        F[MeasRecord::Isc] = ResultFormat(Val(F[MeasRecord::Isc]), QStringLiteral("0.0"));
    F[MeasRecord::FillFactor] = FillFactorText(total);
    F[MeasRecord::Irradiance] = ResultFormat(Val(F[MeasRecord::Irradiance]) / n, QStringLiteral("0"));
    F[MeasRecord::CellTemp] = ResultFormat(Val(F[MeasRecord::CellTemp]) / n, QStringLiteral("0.0"));
    // The mean of the outside temperatures that were added, not of every row.
    if (F[MeasRecord::AirTemp] != NoValue)
        F[MeasRecord::AirTemp] = ResultFormat(Val(F[MeasRecord::AirTemp]) / airCount, QStringLiteral("0.0"));
    const double product = Val(F[MeasRecord::Area]) * Val(F[MeasRecord::Irradiance]);
    F[MeasRecord::Efficiency] =
        product == 0 ? QStringLiteral("Err")
                     : ResultFormat(Val(F[MeasRecord::Pm]) / product * 100, QStringLiteral("0.00"));
}

QByteArray MeasDataWithTotals(const QByteArray& measData, const MeasRecord& total)
{
    QList<QByteArray> lines = AnsiCodec::splitLineBytes(measData);
    while (lines.size() < 9)
        lines.append(QByteArray());
    lines[2] = TotalLine(total.F[MeasRecord::Pm]);
    lines[3] = TotalLine(total.F[MeasRecord::Voc]);
    lines[4] = TotalLine(total.F[MeasRecord::Isc]);
    return AnsiCodec::joinLineBytes(lines);
}

QByteArray TickMemoryBytes(const std::vector<bool>& memory)
{
    QByteArray out;
    out.reserve(qsizetype(memory.size()) * 7);
    for (bool ticked : memory)
        out += ticked ? "True\r\n" : "False\r\n";
    return out;
}

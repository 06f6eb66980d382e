#pragma once
// Measurement records and array configurations built by hand for the tests
// of the measurement view.
#include "customers/CustomerRecords.h"
#include "instrument/MeasRecord.h"

#include <QString>
#include <QStringList>

#include <initializer_list>
#include <utility>

// A record with the given fields ({n, text}) and every point k of the curve
// at voltage volts(k) and current amps(k).
template <class V, class A>
MeasRecord MakeRecord(std::initializer_list<std::pair<int, const char*>> fields, V volts, A amps)
{
    MeasRecord r;
    for (const auto& [n, text] : fields)
        r.F[std::size_t(n)] = QString::fromUtf8(text);
    for (int k = 0; k < MeasRecord::CurvePoints; ++k) {
        r.IvPoints[std::size_t(k)][MeasRecord::Volt] = QString::fromUtf8(volts(k));
        r.IvPoints[std::size_t(k)][MeasRecord::Amp] = QString::fromUtf8(amps(k));
    }
    return r;
}

// The same text at every point.
inline auto Every(const char* text)
{
    return [text](int) { return text; };
}

// One group's data: its string rows (model code, series count, parallel
// count) and its coefficient texts.
struct GroupSetup {
    std::initializer_list<std::tuple<const char*, const char*, const char*>> rows;
    const char* ratedPm = "";
    const char* pmTempCoef = "";
    const char* alpha = "0";
    const char* beta = "0";
    const char* rs = "0";
    const char* k = "0";
};

inline void SetGroup(ArrayConfigurationType& a, int g, const GroupSetup& group)
{
    int r = 5 * g;
    for (const auto& [model, series, parallel] : group.rows) {
        StringRow& row = a.StringRows[std::size_t(r++)];
        row.ModelCode = QString::fromUtf8(model);
        row.SeriesCount = QString::fromUtf8(series);
        row.ParallelCount = QString::fromUtf8(parallel);
    }
    const auto at = std::size_t(g);
    a.GroupRatedPm[at] = QString::fromUtf8(group.ratedPm);
    a.GroupPmTempCoef[at] = QString::fromUtf8(group.pmTempCoef);
    a.GroupAlpha[at] = QString::fromUtf8(group.alpha);
    a.GroupBeta[at] = QString::fromUtf8(group.beta);
    a.GroupRs[at] = QString::fromUtf8(group.rs);
    a.GroupK[at] = QString::fromUtf8(group.k);
}

inline ArrayConfigurationType ArrayOf(int g, const GroupSetup& group)
{
    ArrayConfigurationType a;
    SetGroup(a, g, group);
    return a;
}

// The voltage, current and power texts of point k.
inline QStringList PointTexts(const MeasRecord& r, int k)
{
    const auto& p = r.IvPoints[std::size_t(k)];
    return {p[MeasRecord::Volt], p[MeasRecord::Amp], p[MeasRecord::Watt]};
}

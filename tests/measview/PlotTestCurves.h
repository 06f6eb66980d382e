#pragma once
// Curves built by hand for the plot tests: a few named points, or a whole
// smooth I-V curve as a module gives it.
#include "instrument/MeasRecord.h"
#include "measview/PlotEngine.h"

#include <QString>

#include <cmath>
#include <initializer_list>
#include <utility>

// A record whose points 0, 1, ... are the given (voltage, current) texts,
// the rest empty; F17 (Isc) and F0 as given.
inline MeasRecord PointsRecord(std::initializer_list<std::pair<const char*, const char*>> points,
                               const char* isc = "0", const char* number = "0001-01-01")
{
    MeasRecord r;
    r.F[MeasRecord::Number] = QString::fromUtf8(number);
    r.F[MeasRecord::Isc] = QString::fromUtf8(isc);
    std::size_t k = 0;
    for (const auto& [v, i] : points) {
        r.IvPoints[k][MeasRecord::Volt] = QString::fromUtf8(v);
        r.IvPoints[k][MeasRecord::Amp] = QString::fromUtf8(i);
        ++k;
    }
    return r;
}

// 120 points of a module's I-V curve from 0 V to a little past Voc, where
// the current turns slightly negative.
inline MeasRecord ModuleCurve(double isc, double voc, const char* number = "0001-01-01")
{
    MeasRecord r;
    r.F[MeasRecord::Number] = QString::fromUtf8(number);
    r.F[MeasRecord::Isc] = QString::number(isc);
    const double a = voc * 0.05;
    for (int k = 0; k < MeasRecord::CurvePoints; ++k) {
        const double v = voc * 1.01 * (k + 0.5) / MeasRecord::CurvePoints;
        const double i = isc * (1 - std::exp((v - voc) / a)) / (1 - std::exp(-voc / a));
        r.IvPoints[std::size_t(k)][MeasRecord::Volt] = QString::number(v, 'f', 2);
        r.IvPoints[std::size_t(k)][MeasRecord::Amp] = QString::number(i, 'f', 3);
    }
    return r;
}

// Texts measured as 7 units per character and 12 high, on a surface of the
// given size (picture units equal surface units when the size is the
// plot's scale).
inline PlotSurface FixedSurface(double width, double height)
{
    PlotSurface s;
    s.size = QSizeF(width, height);
    s.textSize = [](const QString& t) { return QSizeF(7.0 * t.size(), 12.0); };
    return s;
}

inline PlotParams ReportParams(bool pvView = true)
{
    PlotParams p;
    p.yMarginFactor = 0.5;
    p.emptyAxis = EmptyAxisRule::NotDrawable;
    p.stopAtBadCurve = false;
    p.pvView = pvView;
    return p;
}

inline PlotParams TabParams(bool pvView = true)
{
    PlotParams p;
    p.pvView = pvView;
    return p;
}

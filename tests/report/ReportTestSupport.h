#pragma once
// Measurement records, customers and pictures built by hand for the report
// tests.
#include "customers/CustomerGlobals.h"
#include "instrument/MeasRecord.h"

#include <QColor>
#include <QImage>
#include <QString>

#include <cmath>
#include <initializer_list>
#include <utility>
#include <vector>

namespace ReportTest {

// A record with the given fields ({n, text}).
inline MeasRecord Rec(std::initializer_list<std::pair<int, const char*>> fields)
{
    MeasRecord r;
    for (const auto& [n, text] : fields)
        r.F[std::size_t(n)] = QString::fromUtf8(text);
    return r;
}

// A measurement of a QTM-310 of version 8.3 with a module's curve: number
// NNNN-01-01, Pm, Voc and Isc as given.
inline MeasRecord Measurement(int n, double pm = 200, double voc = 40.2, double isc = 8.3,
                              const char* model = "0", const char* version = "8.3")
{
    MeasRecord r;
    r.F[MeasRecord::Number] = QStringLiteral("%1-01-01").arg(n, 4, 10, QLatin1Char('0'));
    r.F[MeasRecord::Date] = QStringLiteral("24/06/%1").arg(1 + n % 28, 2, 10, QLatin1Char('0'));
    r.F[MeasRecord::Time] = QStringLiteral("10:%1:00").arg(n % 60, 2, 10, QLatin1Char('0'));
    r.F[MeasRecord::Position] = QStringLiteral("P%1").arg(n);
    r.F[MeasRecord::CellTemp] = QStringLiteral("41.5");
    r.F[MeasRecord::AirTemp] = QStringLiteral("25.0");
    r.F[MeasRecord::Irradiance] = QStringLiteral("950");
    r.F[MeasRecord::Pm] = QString::number(pm);
    r.F[MeasRecord::Voc] = QString::number(voc);
    r.F[MeasRecord::Isc] = QString::number(isc);
    r.F[MeasRecord::Soiling] = QStringLiteral("1");
    r.F[MeasRecord::Tilt] = QStringLiteral("30");
    r.F[MeasRecord::JudgeSwitch] = QStringLiteral("1");
    r.F[MeasRecord::JudgeValue] = QStringLiteral("4.2");
    r.F[MeasRecord::JudgePairA] = QStringLiteral("98");
    r.F[MeasRecord::JudgePairB] = QStringLiteral("97");
    r.F[MeasRecord::JudgeResult] = QStringLiteral("1");
    r.F[MeasRecord::Model] = QString::fromLatin1(model);
    r.F[MeasRecord::Version] = QString::fromLatin1(version);
    r.F[MeasRecord::FillFactor] = QStringLiteral("0.72");
    const double a = voc * 0.05;
    for (int k = 0; k < MeasRecord::CurvePoints; ++k) {
        const double v = voc * (k + 0.5) / MeasRecord::CurvePoints;
        const double i = isc * (1 - std::exp((v - voc) / a)) / (1 - std::exp(-voc / a));
        r.IvPoints[std::size_t(k)][MeasRecord::Volt] = QString::number(v, 'f', 2);
        r.IvPoints[std::size_t(k)][MeasRecord::Amp] = QString::number(i, 'f', 3);
    }
    return r;
}

// A view of `count` measurements (element 0 the total, its model code
// empty) and their ticks: `ticked` measurements from 1 on, the total too
// when `total`.
struct View {
    std::vector<MeasRecord> records;
    std::vector<std::uint8_t> ticks;
    int count = 0;
};
inline View MakeView(int count, int ticked, bool total = false)
{
    View v;
    v.count = count;
    v.records.resize(std::size_t(count) + 1);
    v.records[0] = Measurement(0, 1000, 45, 20);
    v.records[0].F[MeasRecord::Model].clear();
    v.records[0].F[MeasRecord::Number] = QStringLiteral("TOTAL");
    for (int i = 1; i <= count; ++i)
        v.records[std::size_t(i)] = Measurement(i, 200 + i, 40 + i * 0.1, 8 + i * 0.01);
    v.ticks.assign(std::size_t(count) + 1, 0);
    v.ticks[0] = total ? 1 : 0;
    for (int i = 1; i <= ticked && i <= count; ++i)
        v.ticks[std::size_t(i)] = 1;
    return v;
}

// A picture file of w by h pixels in one colour.
inline bool WritePicture(const QString& path, int w, int h, QColor colour = QColor(40, 120, 200),
                         const char* format = "PNG")
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return image.save(path, format);
}

} // namespace ReportTest

#pragma once
// The construction history the history benchmarks load: 800 measurement
// files of the labelled layout of version 8.3, 120 points each, spread over
// the ten array groups (measurement i in group i % 10 + 1), with a
// MeasData.csv and a tick memory that ticks every row.
#include "instrument/MeasFile.h"
#include "platform/FileIo.h"
#include "platform/NumText.h"

#include <QDir>
#include <QString>
#include <QStringList>

#include <cmath>
#include <cstdio>

namespace BenchHistory {

constexpr int FileCount = 800;

// Measurement i: a curve from Voc about 400 V down to 0.
inline MeasRecord Measurement(int i)
{
    MeasRecord r;
    auto& F = r.F;
    char number[16];
    std::snprintf(number, sizeof number, "%04d-%02d-%02d", i % 10000, i % 10 + 1, i % 100);
    F[0] = QString::fromLatin1(number);
    F[1] = QStringLiteral("24/05/%1").arg(i / 400 + 3, 2, 10, QLatin1Char('0'));
    F[2] = QStringLiteral("%1:%2:%3")
               .arg(i / 3600 % 24, 2, 10, QLatin1Char('0'))
               .arg(i / 60 % 60, 2, 10, QLatin1Char('0'))
               .arg(i % 60, 2, 10, QLatin1Char('0'));
    F[3] = QStringLiteral("Roof %1").arg(i % 7);
    F[8] = NumText::Str(41.5 + i % 9 * 0.3);
    F[10] = QStringLiteral("23.5");
    F[12] = NumText::Str(780 + i % 40);
    F[15] = NumText::Str(2812.45 + i % 13);
    F[16] = NumText::Str(402.3 + i % 5 * 0.7);
    F[17] = NumText::Str(8.874 + i % 11 * 0.013);
    F[20] = QStringLiteral("16.3");
    F[25] = QStringLiteral("1");
    F[26] = QStringLiteral("30");
    F[32] = QStringLiteral("95");
    F[33] = QStringLiteral("9");
    F[34] = QStringLiteral("11");
    F[37] = QStringLiteral("1");
    F[40] = QStringLiteral("3");
    F[42] = QStringLiteral("8.3");
    F[43] = QStringLiteral("0.79");
    for (int k = 0; k < MeasRecord::CurvePoints; ++k) {
        const double v = 402.3 * k / 119;
        const double a = 8.874 * (1 - std::pow(double(k) / 119, 12));
        r.IvPoints[std::size_t(k)][MeasRecord::Volt] = NumText::Format(v, QStringLiteral("0.00"));
        r.IvPoints[std::size_t(k)][MeasRecord::Amp] = NumText::Format(a, QStringLiteral("0.000"));
    }
    return r;
}

// Writes the history into `folder` (made when missing); returns the paths of
// its measurement files.
inline QStringList WriteHistory(const QString& folder, const QString& name)
{
    QDir().mkpath(folder);
    MeasFileWriteOptions o;
    o.variant = MeasFileVariant::History;
    QStringList paths;
    for (int i = 0; i < FileCount; ++i) {
        MeasRecord r = Measurement(i);
        paths << WriteMeasFile(folder, r, o);
    }
    WriteLinesAtomic(folder + QStringLiteral("/MeasData.csv"),
                     {name, QStringLiteral("2024/05/03"), QString(), QString(), QString(), QString(), QString(),
                      QString(), QString(), QStringLiteral("memo")});
    QStringList ticks;
    for (int i = 0; i <= FileCount; ++i)
        ticks << QStringLiteral("True");
    WriteLinesAtomic(folder + QStringLiteral("/CheckMemory.csv"), ticks);
    return paths;
}

} // namespace BenchHistory

// The sample memory of the simulated instrument: measurements of PV strings
// as an instrument stores them, with I-V curves of a single-diode module
// model, so that the read-out, the lists and the curve plots show real shapes.
#include "platform/SimulatedInstrument.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

// The module of every sample string, as its maker rates it at 1000 W/m2
// and 25 C: the single-diode model below gives about this Pm.
constexpr double ModuleRatedPm = 255;      // W
constexpr double ModulePmTempCoef = -0.45; // %/C

// The instrument's judgement: the Pm brought to 1000 W/m2 and 25 C as a
// percentage of the string's rated power; Good from the first criterion on,
// Caution from the second, Poor below.
constexpr int JudgeGoodFrom = 90;
constexpr int JudgeCautionFrom = 80;

// One string of modules under the sun at one moment.
struct StringUnderTest {
    int modules = 10;         // in series
    double vocModule = 38.4;  // open-circuit voltage at 1000 W/m2, 25 C (V)
    double iscModule = 9.12;  // short-circuit current at 1000 W/m2, 25 C (A)
    int cells = 60;           // cells per module
    double ideality = 1.25;   // diode ideality factor
    double rsModule = 0.32;   // series resistance per module (ohm)
    double rshModule = 350.0; // shunt resistance per module (ohm)
    double alpha = 0.0005;    // Isc temperature coefficient (1/K)
    double beta = -0.0031;    // Voc temperature coefficient (1/K)
    double irradiance = 900;  // W/m2
    double cellTemp = 45;     // C
};

// The single-diode model of a whole string: I = Iph - I0 (exp((V + I Rs) / a) - 1) - (V + I Rs) / Rsh.
struct DiodeModel {
    double iph = 0, i0 = 0, a = 0, rs = 0, rsh = 0, voc = 0;

    explicit DiodeModel(const StringUnderTest& s)
    {
        const double vt = 1.380649e-23 * (s.cellTemp + 273.15) / 1.602176634e-19;
        a = s.ideality * s.cells * s.modules * vt;
        rs = s.rsModule * s.modules;
        rsh = s.rshModule * s.modules;
        const double g = s.irradiance / 1000.0;
        iph = s.iscModule * g * (1 + s.alpha * (s.cellTemp - 25));
        const double vocTarget =
            s.modules * s.vocModule * (1 + s.beta * (s.cellTemp - 25)) + a * std::log(std::max(g, 1e-3));
        i0 = (iph - vocTarget / rsh) / std::expm1(vocTarget / a);
        // The open-circuit voltage of the model itself.
        double v = vocTarget;
        for (int i = 0; i < 50; ++i) {
            const double f = iph - i0 * std::expm1(v / a) - v / rsh;
            const double df = -i0 * std::exp(v / a) / a - 1 / rsh;
            v -= f / df;
        }
        voc = v;
    }

    double current(double v) const
    {
        double i = iph - v / rsh;
        for (int n = 0; n < 60; ++n) {
            const double e = std::exp((v + i * rs) / a);
            const double f = iph - i0 * (e - 1) - (v + i * rs) / rsh - i;
            const double df = -i0 * e * rs / a - rs / rsh - 1;
            const double step = f / df;
            i -= step;
            if (std::fabs(step) < 1e-12)
                break;
        }
        return std::max(i, 0.0);
    }
};

// A small, repeatable scatter of the readings (a few tenths of a percent).
struct Scatter {
    unsigned state;
    double next()
    {
        state = state * 1103515245u + 12345u;
        return (double((state >> 8) & 0xFFFF) / 65535.0 - 0.5) * 2.0;
    }
};

void put(QByteArray& r, int pos, const QByteArray& text)
{
    r.replace(pos - 1, text.size(), text);
}

QByteArray digits(long long v, int width)
{
    char b[32];
    std::snprintf(b, sizeof b, "%0*lld", width, std::max(0LL, v));
    return QByteArray(b).right(width);
}

// A decimal piece of exactly `width` characters, such as "048.2".
QByteArray decimal(double v, int width, int decimals)
{
    char b[32];
    std::snprintf(b, sizeof b, "%0*.*f", width, decimals, v);
    return QByteArray(b).left(width);
}

QByteArray hex4(long v)
{
    char b[8];
    std::snprintf(b, sizeof b, "%04lX", std::clamp(v, 0L, 0xFFFFL));
    return QByteArray(b);
}

QByteArray padRight(const QByteArray& text, int width)
{
    return (text + QByteArray(width, ' ')).left(width);
}

// One record of 1184 characters.
struct SampleRecord {
    QByteArray number;
    QDateTime when;
    char model = '3';
    double version = 8.5;
    QByteArray instrumentText = "KRX-260N";
    StringUnderTest string;
    double airTemp = 24;
    int tilt = 30;
    char soiling = '1';
    unsigned seed = 1;

    QByteArray bytes() const
    {
        const DiodeModel m(string);
        Scatter noise{seed};
        const double isc = m.current(0);
        double pm = 0;
        for (int i = 0; i <= 2000; ++i) {
            const double v = m.voc * i / 2000.0;
            pm = std::max(pm, v * m.current(v));
        }
        const double ff = pm / (m.voc * isc);
        const double area = 1.63 * string.modules;
        const double efficiency = pm / (string.irradiance * area) * 100;
        const bool tenths = version >= 8;

        QByteArray r(1184, ' ');
        put(r, 1, number);
        put(r, 11, when.toString(QStringLiteral("yy/MM/dd")).toLatin1());
        put(r, 19, when.toString(QStringLiteral("HH:mm:ss")).toLatin1());
        put(r, 27, digits(tenths ? 253 : 25, 5));
        put(r, 32, digits(4095, 5));
        put(r, 37, "1");
        put(r, 38, decimal(string.cellTemp, 5, 1));
        put(r, 43, decimal(airTemp, 5, 1));
        put(r, 48, "7");
        put(r, 49, digits(std::lround(string.irradiance), 5));
        put(r, 54, decimal(efficiency, 5, 2));
        put(r, 59, digits(3, 5));
        put(r, 64, digits(std::lround(pm), 5));
        put(r, 69, digits(std::lround(tenths ? m.voc * 10 : m.voc), 5));
        put(r, 74, digits(std::lround(isc * 1000), 5));
        put(r, 79, digits(string.modules, 5));
        put(r, 89, decimal(area, 5, 2));
        put(r, 94, digits(string.modules, 11));
        put(r, 105, digits(1, 11));
        put(r, 138, QByteArray(1, soiling));
        put(r, 139, digits(tilt, 5));
        put(r, 144, digits(0, 5));
        put(r, 149, digits(0, 5));
        put(r, 154, "0");
        put(r, 155, "0");
        put(r, 156, "0");
        // Judgement against the rated power of the string, which the
        // instrument keeps in kW with its two criteria in percent.
        const double ratedKw = string.modules * ModuleRatedPm / 1000;
        const double atStc = pm / (string.irradiance / 1000.0) /
                             (1 + ModulePmTempCoef / 100 * (string.cellTemp - 25));
        const double ratio = atStc / (ratedKw * 1000) * 100;
        put(r, 157, decimal(ratedKw, 5, 2));
        put(r, 162, digits(JudgeGoodFrom, 5));
        put(r, 167, digits(JudgeCautionFrom, 5));
        put(r, 172, digits(0, 5));
        put(r, 177, digits(0, 5));
        put(r, 182, ratio >= JudgeGoodFrom ? "1" : ratio >= JudgeCautionFrom ? "2" : "3");
        put(r, 183, "0");
        put(r, 184, digits(0, 5));
        put(r, 189, QByteArray(1, model));
        put(r, 190, "0");
        put(r, 191, decimal(version, 5, 2).rightJustified(5, '0'));
        if (version >= 8.2)
            put(r, 196, digits(std::lround(ff * 100), 5));
        if (version >= 8.3) {
            put(r, 201, digits(string.modules, 5));
            put(r, 206, "1");
            put(r, 207, digits(std::lround(string.beta * -10000), 5));
            put(r, 212, "0");
            put(r, 213, padRight(instrumentText, 12));
        } else if (version >= 8.2) {
            put(r, 201, padRight(instrumentText, 24));
        } else {
            put(r, 196, padRight(instrumentText, 29));
        }
        // 120 points from short circuit to open circuit, a little closer
        // together around the knee.
        for (int k = 0; k < 120; ++k) {
            const double x = k / 119.0;
            const double v = m.voc * (x < 0.6 ? x * 1.25 * 0.6 : 0.45 + (x - 0.6) / 0.4 * 0.55);
            const double iRead = m.current(v) * (1 + 0.002 * noise.next());
            put(r, 225 + 4 * k, hex4(std::lround(tenths ? v * 10 : v)));
            put(r, 705 + 4 * k, hex4(std::lround(std::max(iRead, 0.0) * 1000)));
        }
        return r;
    }
};

} // namespace

QList<QByteArray> SampleInstrumentMemory()
{
    // Three array groups of one site, measured over two mornings: group 1
    // by two newer instruments, group 2 by an older one (whole volts, no
    // fill factor of its own), group 3 by a model that asks for its clock.
    // Every measurement is one string of 10 modules (series 10, parallel 1).
    struct Group {
        int group;
        int strings;
        char models[2];
        double version;
        const char* texts[2];
        QDateTime start;
    };
    const Group groups[] = {
        {1, 12, {'3', '8'}, 8.5, {"QTM-520", "QTM-520Z"}, QDateTime(QDate(2024, 5, 14), QTime(9, 42, 10))},
        {2, 10, {'6', '6'}, 7.5, {"PLV-210V", "PLV-210V"}, QDateTime(QDate(2024, 5, 14), QTime(11, 5, 40))},
        {3, 8, {'G', 'G'}, 8.3, {"KRX-530N", "KRX-530N"}, QDateTime(QDate(2024, 5, 15), QTime(10, 20, 0))},
    };
    QList<QByteArray> memory;
    int serial = 101;
    unsigned seed = 7;
    for (const Group& g : groups) {
        for (int i = 0; i < g.strings; ++i) {
            SampleRecord r;
            r.number = QStringLiteral("%1-%2-%3")
                           .arg(serial++, 4, 10, QLatin1Char('0'))
                           .arg(g.group, 2, 10, QLatin1Char('0'))
                           .arg(i + 1, 2, 10, QLatin1Char('0'))
                           .toLatin1();
            r.when = g.start.addSecs(qint64(i) * 97);
            r.model = g.models[i % 2];
            r.version = g.version;
            r.instrumentText = g.texts[i % 2];
            r.seed = seed++;
            Scatter s{r.seed * 2654435761u};
            // The sun climbs through the morning; an odd string is shaded
            // or soiled a little.
            r.string.irradiance = 780 + 15 * i + 40 * s.next();
            r.string.cellTemp = 38 + 0.9 * i + 2 * s.next();
            r.airTemp = 21 + 0.3 * i + s.next();
            r.string.rsModule = (i % 5 == 3) ? 0.55 : 0.32 + 0.03 * s.next();
            r.string.rshModule = (i % 7 == 4) ? 120.0 : 350.0;
            r.string.iscModule = 9.12 * (i % 6 == 5 ? 0.93 : 1.0);
            r.soiling = (i % 4 == 2) ? '2' : '1';
            memory << r.bytes();
        }
    }
    return memory;
}

std::shared_ptr<SimulatedInstrument> MakeDemoInstrument(bool emptyMemory)
{
    auto sim = std::make_shared<SimulatedInstrument>();
    if (!emptyMemory)
        sim->records = SampleInstrumentMemory();
    // A real link takes its time: about two seconds for the sample memory.
    sim->packetDelayMs = 4;
    sim->idleWaitCapMs = INT_MAX;
    return sim;
}

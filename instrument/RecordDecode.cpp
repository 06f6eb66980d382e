#include "instrument/RecordDecode.h"

#include "common/AppGlobals.h"
#include "instrument/MeasRecordGlobals.h"
#include "platform/AppError.h"
#include "platform/Clock.h"
#include "platform/NumText.h"

#include <QDateTime>

#include <algorithm>
#include <cmath>

namespace {

constexpr int OldSize = 1120;
constexpr int NewSize = 1184;
// A failing date switches the layout and empties the table while fewer than
// this many dates have failed in one read-out.
constexpr int FailuresBeforeClock = 5;

// Characters `len` from the 1-based position `pos` of the record; what lies
// beyond its end is missing.
QStringView Piece(QStringView rec, int pos, int len)
{
    const qsizetype start = qsizetype(pos) - 1;
    if (len <= 0 || start < 0 || start >= rec.size())
        return {};
    return rec.mid(start, std::min<qsizetype>(len, rec.size() - start));
}

double Num(QStringView p)
{
    return NumText::Val(p.toString());
}

// A piece of digits only, the instrument's usual form, is its own shortest
// form without leading zeros (at most 11 digits: exact in a double, as
// NumText::Str writes it); anything else goes the long way.
bool AllDigits(QStringView p)
{
    if (p.isEmpty())
        return false;
    for (QChar c : p)
        if (c.unicode() < u'0' || c.unicode() > u'9')
            return false;
    return true;
}

// "number": the leading number written back in its shortest form.
QString Number(QStringView p)
{
    if (AllDigits(p)) {
        qsizetype i = 0;
        while (i + 1 < p.size() && p[i] == u'0')
            ++i;
        return p.mid(i).toString();
    }
    return NumText::Str(Num(p));
}

QString NumberDiv(QStringView p, double divisor)
{
    return NumText::Str(Num(p) / divisor);
}

// Up to four hexadecimal digits, either case; reading stops at any other
// character, so the result is 0 .. 65535.
unsigned Hex(QStringView p)
{
    unsigned v = 0;
    for (QChar c : p) {
        const char16_t u = c.unicode();
        unsigned d;
        if (u >= u'0' && u <= u'9')
            d = u - u'0';
        else if (u >= u'A' && u <= u'F')
            d = u - u'A' + 10;
        else if (u >= u'a' && u <= u'f')
            d = u - u'a' + 10;
        else
            break;
        v = v * 16 + d;
    }
    return v;
}

// A date of the form "YY/MM/DD": the first "/" third, the last one sixth.
bool DateLooksValid(const QString& date)
{
    return date.indexOf(u'/') == 2 && date.lastIndexOf(u'/') == 5;
}

// The computer's clock, read once per record so that its date and time
// belong to the same moment.
class RecordClock {
  public:
    QString date()
    {
        const QDate d = now().date();
        return NumText::Format(d.year() % 100, QStringLiteral("00")) + u'/' +
               NumText::Format(d.month(), QStringLiteral("00")) + u'/' +
               NumText::Format(d.day(), QStringLiteral("00"));
    }
    QString time()
    {
        const QTime t = now().time();
        return NumText::Format(t.hour(), QStringLiteral("00")) + u':' +
               NumText::Format(t.minute(), QStringLiteral("00")) + u':' +
               NumText::Format(t.second(), QStringLiteral("00"));
    }

  private:
    const QDateTime& now()
    {
        if (!read) {
            at = CurrentDateTime();
            read = true;
        }
        return at;
    }
    QDateTime at;
    bool read = false;
};

// ---- curve points --------------------------------------------------------
//
// A point piece is a whole number of volts, tenths of a volt or thousandths
// of an ampere (0 to 65535), and a smoothed point is the mean of three such
// numbers. The texts NumText gives these values (Str, or Format after its
// 15-digit normalisation) are therefore their exact decimal digits, which are
// written here by integer arithmetic: a read-out holds up to 800 records of
// 240 points, and decoding must stay cheap beside writing the files.
// RecordDecode_test compares every form with NumText over its whole range.

// Decimal digits of `units` / 10^decimals with exactly `decimals` decimals
// (NumText::Format with "0", "0.0" or "0.000").
QString FixedText(unsigned units, int decimals)
{
    char buf[24];
    char* end = buf + sizeof buf;
    char* p = end;
    for (int d = 0; d < decimals; ++d) {
        *--p = char('0' + units % 10);
        units /= 10;
    }
    if (decimals > 0)
        *--p = '.';
    do {
        *--p = char('0' + units % 10);
        units /= 10;
    } while (units);
    return QString::fromLatin1(p, end - p);
}

// The shortest form of `units` / 10^decimals (NumText::Str): no trailing zeros
// after the point, no point for a whole number.
QString ShortText(unsigned units, int decimals)
{
    while (decimals > 0 && units % 10 == 0 && units != 0) {
        units /= 10;
        --decimals;
    }
    if (units == 0)
        return QStringLiteral("0");
    return FixedText(units, decimals);
}

// A current of 60 A or more is no measurement: it becomes 0.
constexpr unsigned CurrentLimitMilliamps = 60000;

// Points 1 to 117 become the mean of themselves and the next two points, each
// mean taken over the values before smoothing; voltages are given in `volt`
// units (whole volts or tenths), currents in thousandths.
enum class SmoothVolt {
    Whole,          // whole volts, written "0"
    TenthsAsTenths, // tenths, written "0.0"
    TenthsAsWhole,  // tenths, written "0"
};

void SmoothPoints(MeasRecord& m, const unsigned* volt, const unsigned* milliamps, SmoothVolt how)
{
    for (int k = 1; k <= 117; ++k) {
        const unsigned sv = volt[k] + volt[k + 1] + volt[k + 2];
        const unsigned si = milliamps[k] + milliamps[k + 1] + milliamps[k + 2];
        // sv / 3 and si / 3 never end in exactly one half; sv / 30 may, and is
        // then rounded away from zero, as Format does.
        switch (how) {
        case SmoothVolt::Whole:
            m.IvPoints[k][MeasRecord::Volt] = FixedText((sv + 1) / 3, 0);
            break;
        case SmoothVolt::TenthsAsTenths:
            m.IvPoints[k][MeasRecord::Volt] = FixedText((sv + 1) / 3, 1);
            break;
        case SmoothVolt::TenthsAsWhole:
            m.IvPoints[k][MeasRecord::Volt] = FixedText((sv + 15) / 30, 0);
            break;
        }
        m.IvPoints[k][MeasRecord::Amp] = FixedText((si + 1) / 3, 3);
    }
}

enum class Outcome { Decoded, StartOver };

bool IsEmpty(const MeasRecord& m)
{
    for (const QString& f : m.F)
        if (!f.isEmpty())
            return false;
    for (const auto& p : m.IvPoints)
        for (const QString& t : p)
            if (!t.isEmpty())
                return false;
    return true;
}

struct DecodeState {
    int size = NewSize;
    int failures = 0;
    bool clockFlag = false;
    std::vector<MeasRecord>* records = nullptr;
    std::size_t filled = 0; // entries 0 .. filled-1 may hold records

    // Every entry empty; only the entries in use are touched.
    void emptyTable()
    {
        auto& r = *records;
        const std::size_t size = std::size_t(Global::ReadOutRecordsUpper) + 1;
        if (r.size() != size) {
            DimRecords(r, Global::ReadOutRecordsUpper);
        } else {
            for (std::size_t i = 0; i < std::min(filled, size); ++i)
                if (!IsEmpty(r[i]))
                    r[i] = MeasRecord{};
        }
        filled = 0;
    }
};

// The measuring conditions, F5 to F14, at the same places in both layouts.
void DecodeConditions(QStringView rec, std::array<QString, MeasRecord::FieldCount>& F)
{
    F[5] = Number(Piece(rec, 27, 5));
    F[6] = NumberDiv(Piece(rec, 32, 5), 1000);
    F[7] = Number(Piece(rec, 37, 1));
    F[8] = Number(Piece(rec, 38, 5));
    F[10] = Number(Piece(rec, 43, 5));
    F[11] = Number(Piece(rec, 48, 1));
    F[12] = Number(Piece(rec, 49, 5));
    F[13] = Number(Piece(rec, 54, 5));
    F[14] = Number(Piece(rec, 59, 5));
}

Outcome DecodeOld(QStringView rec, DecodeState& st, MeasRecord& m)
{
    auto& F = m.F;
    F[0] = Piece(rec, 1, 10).toString();
    F[1] = Piece(rec, 11, 8).toString();
    if (!DateLooksValid(F[1])) {
        ++st.failures;
        if (st.failures < FailuresBeforeClock)
            st.emptyTable();
        st.size = NewSize;
        return Outcome::StartOver;
    }
    F[2] = Piece(rec, 19, 8).toString();
    DecodeConditions(rec, F);
    F[15] = Number(Piece(rec, 64, 5));
    F[16] = Number(Piece(rec, 69, 5));
    F[17] = NumberDiv(Piece(rec, 74, 5), 1000);
    F[18] = Number(Piece(rec, 79, 5));
    F[19] = Number(Piece(rec, 84, 5));
    F[20] = Number(Piece(rec, 89, 5));
    F[21] = Number(Piece(rec, 94, 11));
    F[22] = Number(Piece(rec, 105, 11));
    F[23] = Number(Piece(rec, 116, 11));
    F[24] = Number(Piece(rec, 127, 11));
    F[25] = Number(Piece(rec, 138, 1));
    F[26] = Number(Piece(rec, 139, 5));
    F[27] = Number(Piece(rec, 144, 5));
    F[28] = Number(Piece(rec, 149, 5));
    F[29] = Number(Piece(rec, 154, 1));
    F[30] = Number(Piece(rec, 155, 1));
    F[31] = Number(Piece(rec, 156, 1));
    F[48] = Piece(rec, 157, 4).toString();

    unsigned volt[MeasRecord::CurvePoints], milliamps[MeasRecord::CurvePoints];
    for (int k = 0; k < MeasRecord::CurvePoints; ++k) {
        volt[k] = Hex(Piece(rec, 161 + 4 * k, 4));
        const unsigned mA = Hex(Piece(rec, 641 + 4 * k, 4));
        milliamps[k] = mA < CurrentLimitMilliamps ? mA : 0;
        m.IvPoints[k][MeasRecord::Volt] = ShortText(volt[k], 0);
        m.IvPoints[k][MeasRecord::Amp] = ShortText(milliamps[k], 3);
    }
    SmoothPoints(m, volt, milliamps, SmoothVolt::Whole);
    return Outcome::Decoded;
}

// The header of a 1184-character record with shift s (0 or 2), steps up to
// the model code. False: the table was emptied or the layout switched.
bool DecodeNewHead(QStringView rec, int s, DecodeState& st, MeasRecord& m)
{
    auto& F = m.F;
    RecordClock clock;
    F[0] = Piece(rec, 1, 10).toString();
    F[1] = Piece(rec, 11, 8).toString();
    if (!DateLooksValid(F[1])) {
        ++st.failures;
        if (st.failures < FailuresBeforeClock) {
            st.emptyTable();
            st.size = OldSize;
            return false;
        }
        F[1] = clock.date();
    }
    F[2] = st.failures < FailuresBeforeClock ? Piece(rec, 19, 8).toString() : clock.time();
    DecodeConditions(rec, F);
    F[15] = s == 0 ? Number(Piece(rec, 64, 5)) : NumberDiv(Piece(rec, 64, 7), 100);
    F[16] = Number(Piece(rec, 69 + s, 5));
    F[17] = NumberDiv(Piece(rec, 74 + s, 5), 1000);
    F[18] = Number(Piece(rec, 79 + s, 5));
    F[20] = Number(Piece(rec, 89 + s, 5));
    F[21] = Number(Piece(rec, 94 + s, 11));
    F[22] = Number(Piece(rec, 105 + s, 11));
    F[25] = Number(Piece(rec, 138 + s, 1));
    F[26] = Number(Piece(rec, 139 + s, 5));
    F[27] = Number(Piece(rec, 144 + s, 5));
    F[28] = Number(Piece(rec, 149 + s, 5));
    F[29] = Number(Piece(rec, 154 + s, 1));
    F[30] = Number(Piece(rec, 155 + s, 1));
    F[31] = Number(Piece(rec, 156 + s, 1));
    F[32] = Number(Piece(rec, 157 + s, 5));
    F[33] = Number(Piece(rec, 162 + s, 5));
    F[34] = Number(Piece(rec, 167 + s, 5));
    F[35] = Number(Piece(rec, 172 + s, 5));
    F[36] = Number(Piece(rec, 177 + s, 5));
    F[37] = Number(Piece(rec, 182 + s, 1));
    F[38] = Number(Piece(rec, 183 + s, 1));
    F[39] = Number(Piece(rec, 184 + s, 5));
    F[40] = Piece(rec, 189 + s, 1).toString();
    F[41] = Number(Piece(rec, 190 + s, 1));
    F[42] = Number(Piece(rec, 191 + s, 5));

    const QString& model = F[40];
    if (model.size() == 1 && model[0] >= u'A' && model[0] <= u'F') {
        // These models keep no valid clock: the group part of the number is
        // unknown and the computer's date and time stand in.
        F[0] = F[0].left(5) + QStringLiteral("--") + F[0].right(3);
        F[1] = clock.date();
        F[2] = clock.time();
    } else if (model == u"G" || model == u"H") {
        st.clockFlag = true;
    }
    return true;
}

Outcome DecodeNew(QStringView rec, DecodeState& st, MeasRecord& m)
{
    int s = 0;
    if (!DecodeNewHead(rec, s, st, m))
        return Outcome::StartOver;
    // A version piece of the form "08.30" has its "." third; any other form
    // means the fields from F15 on sit two characters further. The shifted
    // pass is made once and kept as it comes out.
    if (Piece(rec, 191, 5).indexOf(u'.') != 2) {
        s = 2;
        m = MeasRecord{};
        if (!DecodeNewHead(rec, s, st, m))
            return Outcome::StartOver;
    }

    auto& F = m.F;
    const double v = NumText::Val(F[42]);
    if (v >= 8.2)
        F[43] = NumText::Format(Num(Piece(rec, 196 + s, 5)) / 100, QStringLiteral("0.00"));
    if (v >= 8.3) {
        F[44] = Number(Piece(rec, 201 + s, 5));
        F[45] = Number(Piece(rec, 206 + s, 1));
        F[46] = NumText::Format(Num(Piece(rec, 207 + s, 5)) / 100, QStringLiteral("0.00"));
        F[47] = Number(Piece(rec, 212 + s, 1));
    }
    if (v >= 8.5)
        F[48] = Piece(rec, 213 + s, 12 - s).toString();
    else if (v >= 8.3)
        F[48] = Piece(rec, 213 + s, 12).toString();
    else if (v >= 8.2)
        F[48] = Piece(rec, 201 + s, 24).toString();
    else
        F[48] = Piece(rec, 196 + s, 29).toString();

    if (v >= 8) {
        F[5] = NumText::Format(NumText::Val(F[5]) / 10, QStringLiteral("0.0"));
        F[16] = NumText::Format(NumText::Val(F[16]) / 10, QStringLiteral("0.0"));
    }

    // The point table is never shifted. From version 8 on the voltages are
    // tenths and every point is written with its fixed decimals.
    const bool tenths = v >= 8;
    unsigned volt[MeasRecord::CurvePoints], milliamps[MeasRecord::CurvePoints];
    for (int k = 0; k < MeasRecord::CurvePoints; ++k) {
        volt[k] = Hex(Piece(rec, 225 + 4 * k, 4));
        const unsigned mA = Hex(Piece(rec, 705 + 4 * k, 4));
        milliamps[k] = mA < CurrentLimitMilliamps ? mA : 0;
        m.IvPoints[k][MeasRecord::Volt] = tenths ? FixedText(volt[k], 1) : ShortText(volt[k], 0);
        m.IvPoints[k][MeasRecord::Amp] = tenths ? FixedText(milliamps[k], 3) : ShortText(milliamps[k], 3);
    }
    if (v < 8.1)
        SmoothPoints(m, volt, milliamps,
                     !tenths  ? SmoothVolt::Whole
                     : v == 8 ? SmoothVolt::TenthsAsTenths
                              : SmoothVolt::TenthsAsWhole);
    return Outcome::Decoded;
}

} // namespace

int RecordCountForLength(qsizetype length, int recordSize)
{
    if (recordSize <= 0 || length <= 0)
        return 0;
    const double rest = std::nearbyint(double(length) / recordSize - 1); // halves to even
    const double n = rest + 1;
    if (n <= 0)
        return 0;
    return n > 2147483647.0 ? 2147483647 : int(n);
}

RecordDecodeResult InstrumentRecordDecode(const QString& text, int recordSize,
                                          std::vector<MeasRecord>& records)
{
    DecodeState st;
    st.size = recordSize == OldSize ? OldSize : NewSize;
    st.records = &records;
    st.filled = records.size(); // whatever the caller left in the table
    st.emptyTable();

    const QStringView all(text);
    int n = 0;
    bool startOver = true;
    while (startOver) {
        startOver = false;
        n = RecordCountForLength(all.size(), st.size);
        for (int k = 0; k < n; ++k) {
            if (k > Global::ReadOutRecordsUpper)
                throw AppError(9);
            const qsizetype start = qsizetype(k) * st.size;
            const QStringView rec = start < all.size()
                                        ? all.mid(start, std::min<qsizetype>(st.size, all.size() - start))
                                        : QStringView();
            MeasRecord m;
            const Outcome o = st.size == OldSize ? DecodeOld(rec, st, m) : DecodeNew(rec, st, m);
            if (o == Outcome::StartOver) {
                startOver = true;
                break;
            }
            records[std::size_t(k)] = std::move(m);
            st.filled = std::max(st.filled, std::size_t(k) + 1);
        }
    }

    RecordDecodeResult r;
    r.recordSize = st.size;
    r.count = n;
    r.clockFlag = st.clockFlag;
    return r;
}

RecordDecodeResult InstrumentRecordDecode(const QString& text)
{
    RecordDecodeResult r = InstrumentRecordDecode(text, Global::RecordSize, Global::ReadOutRecords);
    Global::RecordSize = r.recordSize;
    return r;
}

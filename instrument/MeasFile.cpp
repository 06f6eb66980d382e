#include "instrument/MeasFile.h"

#include "common/AppGlobals.h"
#include "common/TextHelpers.h"
#include "platform/AnsiCodec.h"
#include "platform/AppError.h"
#include "platform/DiskNames.h"
#include "platform/FileIo.h"
#include "platform/NumText.h"

#include <QFileInfo>
#include <QList>
#include <QStringList>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

// Label keys of the fields (the text of the language in use precedes each value).
constexpr int KeyNumber = 600;   // F0 .. F3: 600 + n
constexpr int KeyHeaderNo = 641; // column header: point number, voltage, current
constexpr int KeyFillFactor = 644;
constexpr int KeyF18Numbered = 649; // F18 of the numbered instrument models
constexpr int KeyF18 = 616;
constexpr int KeyInstrText = 640;

QString UiTextOf(int key)
{
    return key >= 0 && key < Global::UiText.size() ? Global::UiText.at(key) : QString();
}

// A comma in a label would move its value out of the line's second part, and
// every value of every file written under that language with it; the
// full-width comma (code page 932 0x8143) reads the same to a person.
QString Label(int key)
{
    QString t = OneLineText(UiTextOf(key));
    t.replace(u',', QChar(0xFF0C));
    return t;
}

// A line break inside a value would start a new line and shift every later
// field of the file.
QString Value(const QString& v)
{
    return OneLineText(v);
}

bool F18NumberedModel(const QString& model)
{
    static const QStringList codes = {QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2"),
                                      QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("5"),
                                      QStringLiteral("8"), QStringLiteral("9")};
    return codes.contains(model);
}

// ---- reading ---------------------------------------------------------------

// The file's lines: a line ends at CR LF or a lone CR when the file holds a
// CR, and at LF only when it holds none; what follows the last line end is
// a line only when it is not empty. Lines are kept as places in the file's
// bytes.
struct FileLines {
    QByteArray bytes;
    const char* data = nullptr;
    std::vector<std::pair<qsizetype, qsizetype>> lines; // start, length
    int count = 1;                                      // line ends + 1
};

FileLines SplitFile(const QByteArray& bytes)
{
    FileLines out;
    out.bytes = bytes;
    const char* p = bytes.constData();
    out.data = p;
    const qsizetype n = bytes.size();
    const char end = bytes.contains('\r') ? '\r' : '\n';
    out.lines.reserve(std::size_t(n / 24 + 1));
    qsizetype start = 0;
    qsizetype ends = 0;
    for (qsizetype i = 0; i < n; ++i) {
        // The next line end (memchr: a file is mostly short lines).
        const void* at = std::memchr(p + i, end, std::size_t(n - i));
        if (!at)
            break;
        i = static_cast<const char*>(at) - p;
        out.lines.emplace_back(start, i - start);
        ++ends;
        if (end == '\r' && i + 1 < n && p[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        out.lines.emplace_back(start, n - start);
    out.count = ends >= 2147483646 ? 2147483647 : int(ends + 1);
    return out;
}

QString LineText(const FileLines& f, std::size_t index)
{
    if (index >= f.lines.size())
        return QString();
    const auto [start, length] = f.lines[index];
    return AnsiCodec::decodeKeepingBytes(f.data + start, length);
}

// The parts of a line split at ",": how many (up to four are told apart),
// and the bytes of the first three. A "," byte is never part of a
// double-byte character of code page 932, so the bytes split as the text.
struct LineParts {
    int count = 0;
    QByteArrayView first, second, third;
};

LineParts SplitParts(QByteArrayView line)
{
    LineParts r;
    if (line.isEmpty())
        return r;
    QByteArrayView* parts[3] = {&r.first, &r.second, &r.third};
    qsizetype from = 0;
    r.count = 1;
    while (true) {
        const qsizetype comma = line.indexOf(',', from);
        const qsizetype end = comma < 0 ? line.size() : comma;
        if (r.count <= 3)
            *parts[r.count - 1] = line.sliced(from, end - from);
        if (comma < 0 || r.count == 4)
            break;
        ++r.count;
        from = comma + 1;
    }
    return r;
}

LineParts LineAt(const FileLines& f, std::size_t index)
{
    const auto [start, length] = f.lines[index];
    return SplitParts(QByteArrayView(f.data + start, length));
}

QString Text(QByteArrayView bytes)
{
    return AnsiCodec::decodeKeepingBytes(bytes.data(), bytes.size());
}

void CutLongDate(MeasRecord& rec)
{
    // A date with a four-digit year ("2024/05/03") becomes "24/05/03".
    if (rec.F[1].size() > 8)
        rec.F[1] = rec.F[1].mid(2, 8);
}

MeasFileLayout LayoutForCount(int count)
{
    switch (count) {
    case 267:
    case 268:
        return MeasFileLayout::BareA;
    case 272:
    case 273:
        return MeasFileLayout::BareB;
    case 281:
    case 282:
        return MeasFileLayout::BareC;
    default:
        return MeasFileLayout::Labelled;
    }
}

void ReadBare(const FileLines& f, MeasFileLayout layout, MeasFileVariant variant, MeasRecord& rec)
{
    std::size_t line = 0;
    auto next = [&] { return LineText(f, line++); };
    rec.F[0] = next();
    rec.F[1] = next();
    rec.F[2] = next();
    if (variant == MeasFileVariant::History)
        rec.F[3] = next();
    rec.F[4] = next();
    rec.F[5] = next();
    rec.F[6] = next();
    rec.F[7] = next();
    const QString tempLine = next();
    if (variant == MeasFileVariant::History) {
        // "F8,F9": the two parts around the first ","; further parts are dropped.
        const qsizetype comma = tempLine.indexOf(u',');
        if (comma >= 0) {
            rec.F[8] = tempLine.left(comma);
            const qsizetype next = tempLine.indexOf(u',', comma + 1);
            rec.F[9] = next < 0 ? tempLine.mid(comma + 1) : tempLine.mid(comma + 1, next - comma - 1);
        } else {
            rec.F[8] = tempLine;
            rec.F[9] = tempLine;
        }
    } else {
        rec.F[8] = tempLine;
    }
    const int last = layout == MeasFileLayout::BareA ? 26 : layout == MeasFileLayout::BareB ? 31 : 40;
    for (int n = 10; n <= last; ++n)
        rec.F[std::size_t(n)] = next();
    rec.F[48] = next();
    IvPointTable::Slices points{};
    for (int column : {MeasRecord::Volt, MeasRecord::Amp})
        for (std::size_t k = 0; k < MeasRecord::CurvePoints; ++k, ++line)
            if (line < f.lines.size())
                points[k][std::size_t(column)] = {f.lines[line].first, f.lines[line].second};
    rec.IvPoints = IvPointTable::FromBytes(f.bytes, points);
    CutLongDate(rec);
}

constexpr int HeaderMark = -1;

// The field of every line position before the points, for a version and a
// variant; the column header follows them.
std::vector<int> LabelledPositions(double version, MeasFileVariant variant)
{
    std::vector<int> pos = {42, 0, 1, 2};
    if (variant == MeasFileVariant::History)
        pos.push_back(3);
    for (int n : {5, 6, 7, 8, 10, 11, 12, 13, 14, 15, 16, 17})
        pos.push_back(n);
    if (version >= 8.2)
        pos.push_back(43);
    for (int n = 18; n <= 37; ++n)
        pos.push_back(n);
    if (version >= 8.3)
        for (int n = 44; n <= 47; ++n)
            pos.push_back(n);
    for (int n = 38; n <= 41; ++n)
        pos.push_back(n);
    pos.push_back(48);
    pos.push_back(HeaderMark);
    return pos;
}

void ReadLabelled(const FileLines& f, MeasFileVariant variant, MeasRecord& rec, MeasFileInfo& info)
{
    const LineParts head = f.lines.empty() ? LineParts() : LineAt(f, 0);
    if (head.count < 2 || Text(head.first).toUpper() != u"VER") {
        info.layout = f.lines.empty() ? MeasFileLayout::EmptyFile : MeasFileLayout::NoVersion;
        return;
    }
    info.layout = MeasFileLayout::Labelled;
    info.version = NumText::Val(Text(head.second));
    const std::vector<int> positions = LabelledPositions(info.version, variant);
    const bool secondTemp = variant == MeasFileVariant::History && info.version >= 8.3;

    std::size_t n = 0; // position among the lines of two or more parts
    std::size_t point = 0;
    IvPointTable::Slices points{};
    auto place = [&f](QByteArrayView part) {
        return IvPointTable::TextSlice{part.data() - f.data, part.size()};
    };
    for (std::size_t i = 0; i < f.lines.size(); ++i) {
        const LineParts parts = LineAt(f, i);
        if (parts.count < 2)
            continue;
        const std::size_t at = n++;
        if (at < positions.size()) {
            const int field = positions[at];
            if (field == HeaderMark)
                continue;
            rec.F[std::size_t(field)] = Text(parts.second);
            if (field == 8 && secondTemp)
                rec.F[9] = parts.count >= 3 ? Text(parts.third) : rec.F[8];
            continue;
        }
        // Point lines; lines of two parts among them are counted and ignored.
        // Point lines beyond the table's 121 rows are ignored.
        if (parts.count >= 3 && point < IvPointTable::Rows) {
            points[point][MeasRecord::Volt] = place(parts.second);
            points[point][MeasRecord::Amp] = place(parts.third);
            ++point;
        }
    }
    if (point > 0)
        rec.IvPoints = IvPointTable::FromBytes(f.bytes, points);
    CutLongDate(rec);
}

} // namespace

QString MeasFileName(const MeasRecord& rec)
{
    return SlCoCut(rec.F[1]) + u'_' + SlCoCut(rec.F[2]) + u'_' + rec.F[0] + QStringLiteral(".csv");
}

QByteArray MeasFileBytes(MeasRecord& rec, const MeasFileWriteOptions& options)
{
    auto& F = rec.F;
    const double version = NumText::Val(F[42]);
    if (version < 8.2) {
        // A product of 0 leaves the value out; a computation that overflows
        // has no value either, and is marked as the lists mark one.
        const double product = NumText::Val(F[16]) * NumText::Val(F[17]);
        const double ff = product == 0 ? 0 : NumText::Val(F[15]) / product;
        if (product == 0)
            F[43] = QString();
        else if (!std::isfinite(product) || !std::isfinite(ff))
            F[43] = QStringLiteral("--");
        else
            F[43] = NumText::Format(ff, QStringLiteral("0.00"));
    }

    // One text for the whole file, encoded once: a measurement file is
    // written for every record of a read-out.
    QString out;
    out.reserve(8192);
    auto line = [&out](std::initializer_list<QStringView> parts) {
        for (QStringView p : parts)
            out.append(p);
        out.append(u"\r\n");
    };
    auto add = [&](int key, const QString& value) { line({Label(key), u",", Value(value)}); };

    line({u"VER,", version >= 8.3 ? Value(F[42]) : QStringLiteral("8.3")});
    add(KeyNumber + 0, F[0]);
    add(KeyNumber + 1, F[1]);
    add(KeyNumber + 2, F[2]);
    if (options.variant == MeasFileVariant::History)
        add(KeyNumber + 3, F[3]);
    for (int n = 5; n <= 8; ++n) {
        if (n == 8 && options.withSecondTemperature)
            add(599 + n, F[8] + u',' + F[9]);
        else
            add(599 + n, F[std::size_t(n)]);
    }
    for (int n = 10; n <= 17; ++n)
        add(598 + n, F[std::size_t(n)]);
    add(KeyFillFactor, F[43]);
    add(options.f18LabelByModel && F18NumberedModel(F[40]) ? KeyF18Numbered : KeyF18, F[18]);
    for (int n = 19; n <= 37; ++n)
        add(598 + n, F[std::size_t(n)]);
    for (int n = 44; n <= 47; ++n)
        add(601 + n, F[std::size_t(n)]);
    for (int n = 38; n <= 41; ++n)
        add(598 + n, F[std::size_t(n)]);
    add(KeyInstrText, F[48]);
    line({Label(KeyHeaderNo), u",", Label(KeyHeaderNo + 1), u",", Label(KeyHeaderNo + 2)});
    for (int k = 0; k < MeasRecord::CurvePoints; ++k) {
        const auto& p = rec.IvPoints[std::size_t(k)];
        line({NumText::Str(k), u",", Value(p[MeasRecord::Volt]), u",", Value(p[MeasRecord::Amp])});
    }
    return AnsiCodec::encode(out);
}

QByteArray MeasFileBareBytes(const MeasRecord& rec)
{
    QStringList lines;
    lines.reserve(280);
    for (int n : {0, 1, 2, 4, 5, 6, 7, 8})
        lines.append(Value(rec.F[std::size_t(n)]));
    for (int n = 10; n <= 40; ++n)
        lines.append(Value(rec.F[std::size_t(n)]));
    lines.append(Value(rec.F[48]));
    for (int k = 0; k < MeasRecord::CurvePoints; ++k)
        lines.append(Value(rec.IvPoints[std::size_t(k)][MeasRecord::Volt]));
    for (int k = 0; k < MeasRecord::CurvePoints; ++k)
        lines.append(Value(rec.IvPoints[std::size_t(k)][MeasRecord::Amp]));
    return AnsiCodec::joinLines(lines);
}

QByteArray MeasFileReadOutBytes(MeasRecord& rec, int recordSize)
{
    if (recordSize == 1120)
        return MeasFileBareBytes(rec);
    MeasFileWriteOptions o;
    o.variant = MeasFileVariant::ReadOut;
    o.f18LabelByModel = true;
    return MeasFileBytes(rec, o);
}

QString WriteMeasFileBytes(const QString& folder, const MeasRecord& rec, const QByteArray& bytes)
{
    return WriteMeasFileBytesAs(folder, MeasFileName(rec), bytes);
}

QString WriteMeasFileBytesAs(const QString& folder, const QString& name, const QByteArray& bytes)
{
    // The number comes from the instrument or from a file: it must not lead
    // the file out of its folder.
    if (name.contains(u'/') || name.contains(u'\\') || name.contains(QChar(0)))
        throw AppError(52);
    QString dir = folder;
    while (dir.size() > 1 && dir.endsWith(u'/'))
        dir.chop(1);
    if (dir.isEmpty() || KindOf(dir) != DiskKind::Folder)
        throw AppError(76);
    const QString path = dir + u'/' + name;
    if (!WriteFileAtomic(path, bytes))
        throw AppError(75);
    return path;
}

QString WriteMeasFile(const QString& folder, MeasRecord& rec, const MeasFileWriteOptions& options)
{
    return WriteMeasFileBytes(folder, rec, MeasFileBytes(rec, options));
}

QString WriteReadOutMeasFile(const QString& folder, MeasRecord& rec, int recordSize)
{
    return WriteMeasFileBytes(folder, rec, MeasFileReadOutBytes(rec, recordSize));
}

int MeasFileLineCount(const QByteArray& bytes)
{
    return SplitFile(bytes).count;
}

MeasRecord ReadMeasFileBytes(const QByteArray& bytes, MeasFileVariant variant, MeasFileInfo* infoOut)
{
    MeasRecord rec;
    MeasFileInfo info;
    const FileLines f = SplitFile(bytes);
    info.lineCount = f.count;
    info.layout = LayoutForCount(f.count);
    if (info.layout == MeasFileLayout::Labelled)
        ReadLabelled(f, variant, rec, info);
    else
        ReadBare(f, info.layout, variant, rec);
    if (infoOut)
        *infoOut = info;
    return rec;
}

MeasRecord ReadMeasFile(const QString& path, MeasFileVariant variant, MeasFileInfo* info)
{
    const std::optional<QByteArray> bytes = ReadFileBytes(path);
    if (!bytes)
        throw AppError(KindOf(path, false) != DiskKind::Missing ? 70 : 53);
    return ReadMeasFileBytes(*bytes, variant, info);
}

void ApplyHistoryLoadRules(MeasRecord& rec, const MeasFileInfo& info)
{
    if (info.layout == MeasFileLayout::NoVersion || info.layout == MeasFileLayout::EmptyFile)
        return;
    auto& F = rec.F;
    if (info.layout == MeasFileLayout::Labelled && info.version < 8.2) {
        const double product = NumText::Val(F[16]) * NumText::Val(F[17]);
        F[43] = product == 0 ? QStringLiteral("--")
                             : NumText::Format(NumText::Val(F[15]) / product, QStringLiteral("0.00"));
    }
    // Currents out of the instrument's range read 0; the power of every
    // point is computed from its texts (its text is written when first read).
    IvPointTable& points = rec.IvPoints;
    for (std::size_t k = 0; k < IvPointTable::Rows; ++k) {
        const double amps = points.value(k, MeasRecord::Amp);
        if (!(amps >= 0 && amps < 60))
            points.SetComputed(k, MeasRecord::Amp, 0);
    }
    std::array<double, IvPointTable::ComputedRows> watts;
    for (std::size_t k = 0; k < watts.size(); ++k) {
        const double w = points.value(k, MeasRecord::Volt) * points.value(k, MeasRecord::Amp);
        watts[k] = std::isfinite(w) ? w : 0; // Str writes what is no number as "0"
    }
    points.SetComputedColumn(MeasRecord::Watt, watts);
}

#include "common/TextHelpers.h"

#include "common/AppGlobals.h"
#include "platform/AnsiCodec.h"
#include "platform/AppError.h"

#include <cmath>

QString SlCoCut(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text)
        if (c != u'/' && c != u':')
            out.append(c);
    return out;
}

bool FileNameErrorCheck(const QString& name)
{
    static const QString forbidden = QStringLiteral("/><?:;\"\\*|");
    for (QChar c : name)
        if (forbidden.contains(c))
            return false;
    // "." and ".." (and any name of dots only) would name the folder itself
    // or its parent: a customer, maker or model named so would be stored,
    // and later deleted, outside its own folder.
    if (!name.isEmpty() && name.count(u'.') == name.size())
        return false;
    return true;
}

namespace {

bool isReservedDeviceName(const QString& name)
{
    // Windows reserves these names whatever follows a first "." and
    // whatever blanks stand before it, in any letter case.
    QString base = name.section(u'.', 0, 0).toUpper();
    while (base.endsWith(u' '))
        base.chop(1);
    static const QStringList fixed{QStringLiteral("CON"), QStringLiteral("PRN"), QStringLiteral("AUX"),
                                   QStringLiteral("NUL")};
    if (fixed.contains(base))
        return true;
    return base.size() == 4 && (base.startsWith(QLatin1String("COM")) || base.startsWith(QLatin1String("LPT"))) &&
           base[3] >= u'1' && base[3] <= u'9';
}

} // namespace

bool IsPortableName(const QString& name)
{
    if (name.isEmpty() || name.startsWith(u'.'))
        return false;
    if (name.endsWith(u' ') || name.endsWith(u'.'))
        return false;
    bool ascii = true;
    for (QChar ch : name) {
        if (ch.unicode() < 0x20 || ch.unicode() == 0x7F)
            return false;
        ascii = ascii && ch.unicode() < 0x80;
    }
    if (!FileNameErrorCheck(name) || isReservedDeviceName(name))
        return false;
    // Plain ASCII reads back unchanged and takes a byte a character.
    if (ascii)
        return name.size() <= 255;
    if (AnsiCodec::decode(AnsiCodec::encode(name)) != name)
        return false;
    return name.toUtf8().size() <= 255;
}

bool IsSingleByteText(const QString& text)
{
    const QList<quint16> codes = AnsiCodec::charCodes(text);
    for (quint16 code : codes)
        if (code > 0xFF)
            return false;
    return true;
}

bool HasDependentChar(const QString& text)
{
    if (text.isEmpty())
        return false;
    const QList<quint16> codes = AnsiCodec::charCodes(text);
    for (quint16 code : codes) {
        if ((code >= 0x8540 && code <= 0x889E) || (code >= 0xEB40 && code <= 0xEFFC) || code >= 0xF040 ||
            (code >= 0xA0 && code <= 0xFF))
            return true;
    }
    return false;
}

QString OneLineText(const QString& text)
{
    QString out = text;
    for (QChar& c : out)
        if (c == u'\r' || c == u'\n' || c == QChar(0x85) || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            c = u' ';
    return out;
}

QString CharNotHeld(const QString& text)
{
    const qsizetype at = AnsiCodec::firstUnheld(text);
    if (at < 0)
        return QString();
    const bool pair = text[at].isHighSurrogate() && at + 1 < text.size() && text[at + 1].isLowSurrogate();
    return text.mid(at, pair ? 2 : 1);
}

QString TextNotHeldRefusal(const QList<NamedText>& texts)
{
    for (const NamedText& t : texts) {
        const QString ch = CharNotHeld(t.text);
        if (ch.isEmpty())
            continue;
        const char32_t code = ch.size() == 2 ? QChar::surrogateToUcs4(ch[0], ch[1]) : ch[0].unicode();
        return Global::UiText.value(UiTextNotHeld) + QStringLiteral("\n\n") + t.field + QStringLiteral(": \"") + ch +
               QStringLiteral("\" (U+") + QString::number(quint32(code), 16).toUpper().rightJustified(4, u'0') +
               u')';
    }
    return QString();
}

namespace {

void appendHeld(QByteArray& out, const QString& line)
{
    const QString ch = CharNotHeld(line);
    if (!ch.isEmpty())
        throw AppError(5, AppError::standardText(5) + QStringLiteral(": \"") + ch +
                              QStringLiteral("\" cannot be held in code page 932"));
    out.append(AnsiCodec::encode(line));
    out.append("\r\n");
}

} // namespace

QByteArray DataFileBytes(const QStringList& fields)
{
    QByteArray out;
    for (const QString& field : fields)
        appendHeld(out, OneLineText(field));
    return out;
}

QByteArray DataFileBytes(const QStringList& fields, const QString& memo)
{
    QByteArray out = DataFileBytes(fields);
    // The memo's lines end where the box ended them, CR LF or not.
    QString lines = memo;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(u'\r', u'\n');
    for (const QString& line : lines.split(u'\n'))
        appendHeld(out, line);
    return out;
}

QString TrimBlanks(const QString& text)
{
    qsizetype b = 0, e = text.size();
    while (b < e && text[b] == u' ')
        ++b;
    while (e > b && text[e - 1] == u' ')
        --e;
    return text.mid(b, e - b);
}

QString TrimAtNull(const QString& text)
{
    QString s = text;
    const qsizetype nul = s.indexOf(QChar(0));
    if (nul >= 0)
        s.truncate(nul);
    return TrimBlanks(s);
}

std::uint16_t LoWordOf(std::int32_t value)
{
    return std::uint16_t(std::uint32_t(value) & 0xFFFFu);
}

namespace {

bool lessThan(const QString& a, const QString& b, int mode)
{
    if (mode == 0)
        return a.compare(b, Qt::CaseSensitive) < 0; // UTF-16 code units
    return a.compare(b, Qt::CaseInsensitive) < 0;
}

void quickSort(QStringList& items, int first, int last, int mode)
{
    // The smaller side is sorted by recursion and the larger one by looping,
    // so the depth stays small whatever the input; the ranges are disjoint,
    // so the order in which they are sorted does not change the result.
    while (first < last) {
        const int mid = first + (last - first) / 2;
        QString pivot = items[mid];
        items[mid] = items[first];
        int boundary = first;
        for (int j = first + 1; j <= last; ++j) {
            if (lessThan(items[j], pivot, mode)) {
                ++boundary;
                items.swapItemsAt(boundary, j);
            }
        }
        items[first] = items[boundary];
        items[boundary] = pivot;
        if (boundary - first < last - boundary) {
            quickSort(items, first, boundary - 1, mode);
            first = boundary + 1;
        } else {
            quickSort(items, boundary + 1, last, mode);
            last = boundary - 1;
        }
    }
}

} // namespace

void QuickSortStrings(QStringList& items, int first, int last, int mode)
{
    if (first >= last)
        return;
    if (first < 0 || last >= items.size())
        throw AppError(9);
    quickSort(items, first, last, mode);
}

double RoundUp(double x)
{
    double result = 0.0;
    Guarded(QStringLiteral("RoundUp"), [&] {
        if (!std::isfinite(x))
            throw AppError(6);
        const double up = std::ceil(std::fabs(x));
        result = up == 0.0 ? 0.0 : (x < 0 ? -up : up);
    });
    return result;
}

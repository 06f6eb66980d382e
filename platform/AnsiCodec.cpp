#include "platform/AnsiCodec.h"

#include <unicode/ucnv.h>

#include <memory>
#include <stdexcept>

namespace {

struct ConverterDeleter {
    void operator()(UConverter* c) const { ucnv_close(c); }
};

// One converter per thread: ICU converters keep state between calls.
UConverter* converter()
{
    thread_local std::unique_ptr<UConverter, ConverterDeleter> conv = [] {
        UErrorCode err = U_ZERO_ERROR;
        UConverter* c = ucnv_open("windows-31j", &err);
        if (U_FAILURE(err) || !c)
            throw std::runtime_error("code page 932 converter is not available");
        err = U_ZERO_ERROR;
        ucnv_setSubstChars(c, "?", 1, &err);
        return std::unique_ptr<UConverter, ConverterDeleter>(c);
    }();
    ucnv_reset(conv.get());
    return conv.get();
}

// Single bytes that Windows' code page 932 maps but ICU's table leaves out:
// 0x80 and 0xA0, 0xFD to 0xFF (to U+0080 and private-use characters).
char16_t windowsOnlySingleByte(unsigned char b)
{
    switch (b) {
    case 0x80: return 0x0080;
    case 0xA0: return 0xF8F0;
    case 0xFD: return 0xF8F1;
    case 0xFE: return 0xF8F2;
    case 0xFF: return 0xF8F3;
    default: return 0;
    }
}

bool isLeadByte(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// The character of each two-byte sequence (lead byte, second byte from
// 0x40), as ICU's converter gives it; 0 where it gives none. Made once, so
// that Japanese text decodes without a converter call per character.
class PairTable {
  public:
    PairTable()
    {
        UErrorCode open = U_ZERO_ERROR;
        UConverter* c = ucnv_open("windows-31j", &open);
        if (U_FAILURE(open) || !c)
            return;
        for (int lead = 0x81; lead <= 0xFC; ++lead) {
            if (!isLeadByte(static_cast<unsigned char>(lead)))
                continue;
            for (int second = 0x40; second <= 0xFF; ++second) {
                const char in[2] = {char(lead), char(second)};
                UChar out[4];
                UErrorCode err = U_ZERO_ERROR;
                ucnv_reset(c);
                const int32_t n = ucnv_toUChars(c, out, 4, in, 2, &err);
                if (U_SUCCESS(err) && n == 1 && out[0] != 0xFFFD && out[0] != 0x1A)
                    chars[index(static_cast<unsigned char>(lead), static_cast<unsigned char>(second))] = out[0];
            }
        }
        ucnv_close(c);
    }
    // 0 when the pair is no character (or not one of a single code unit).
    char16_t at(unsigned char lead, unsigned char second) const
    {
        return second < 0x40 ? 0 : chars[index(lead, second)];
    }

  private:
    static std::size_t index(unsigned char lead, unsigned char second)
    {
        return std::size_t(lead - 0x80) * 0xC0 + (second - 0x40);
    }
    char16_t chars[0x80 * 0xC0] = {};
};

const PairTable& pairs()
{
    static const PairTable table;
    return table;
}

// Lead bytes standing alone (byteChar) sit at U+F700 + byte.
constexpr char32_t kLoneLeadBase = 0xF700;

} // namespace

namespace AnsiCodec {

namespace {

QString decodeBytes(const char* data, qsizetype size, bool keepBytes)
{
    if (size <= 0)
        return QString();
    // Plain ASCII, the bulk of every data file, passes as it is.
    const auto* bytes = reinterpret_cast<const unsigned char*>(data);
    qsizetype ascii = 0;
    while (ascii < size && bytes[ascii] < 0x80)
        ++ascii;
    if (ascii == size)
        return QString::fromLatin1(data, size);
    QString out;
    out.reserve(size);
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    UConverter* c = nullptr;
    for (qsizetype i = 0; i < size;) {
        unsigned char b = p[i];
        // ASCII, control characters included, passes unchanged (ICU's table
        // would swap 0x1A, 0x1C and 0x7F).
        if (b < 0x80) {
            out.append(QChar(b));
            ++i;
            continue;
        }
        if (b >= 0xA1 && b <= 0xDF) { // half-width katakana
            out.append(QChar(char16_t(0xFF61 + (b - 0xA1))));
            ++i;
            continue;
        }
        if (char16_t w = windowsOnlySingleByte(b)) {
            out.append(QChar(w));
            ++i;
            continue;
        }
        if (isLeadByte(b) && i + 1 < size) {
            if (const char16_t one = pairs().at(b, p[i + 1])) {
                out.append(QChar(one));
                i += 2;
                continue;
            }
            if (!c)
                c = converter();
            UChar buf[4];
            UErrorCode err = U_ZERO_ERROR;
            ucnv_reset(c);
            int32_t n = ucnv_toUChars(c, buf, 4, data + i, 2, &err);
            if (U_SUCCESS(err) && n >= 1 && buf[0] != 0xFFFD && buf[0] != 0x1A) {
                out.append(reinterpret_cast<const QChar*>(buf), n);
                i += 2;
                continue;
            }
        }
        out.append(keepBytes && isLeadByte(b) ? QChar(char16_t(kLoneLeadBase + b)) : QChar(char16_t(0xFFFD)));
        ++i;
    }
    return out;
}

} // namespace

QString decode(const char* data, qsizetype size)
{
    return decodeBytes(data, size, false);
}

QString decodeKeepingBytes(const QByteArray& bytes)
{
    return decodeBytes(bytes.constData(), bytes.size(), true);
}

QString decodeKeepingBytes(const char* data, qsizetype size)
{
    return decodeBytes(data, size, true);
}

QString decode(const QByteArray& bytes)
{
    return decode(bytes.constData(), bytes.size());
}

QChar byteChar(unsigned char b)
{
    if (isLeadByte(b))
        return QChar(char16_t(kLoneLeadBase + b));
    const char c = char(b);
    const QString s = decode(&c, 1);
    return s.size() == 1 ? s[0] : QChar(QChar::ReplacementCharacter);
}

QByteArray encodeChar(char32_t cp)
{
    if (cp < 0x80)
        return QByteArray(1, char(cp));
    for (unsigned b : {0x80u, 0xA0u, 0xFDu, 0xFEu, 0xFFu})
        if (cp == windowsOnlySingleByte((unsigned char)b))
            return QByteArray(1, char(b));
    if (cp > kLoneLeadBase && cp <= kLoneLeadBase + 0xFF && isLeadByte((unsigned char)(cp - kLoneLeadBase)))
        return QByteArray(1, char(cp - kLoneLeadBase));
    // Characters that Japanese input methods here type but code page 932
    // holds under a neighbouring code point: written as Windows writes them,
    // instead of being lost as "?".
    static const struct {
        char32_t cp;
        const char* bytes;
    } bestFit[] = {
        {0x301C, "\x81\x60"}, // wave dash
        {0x2016, "\x81\x61"}, // double vertical line
        {0x2212, "\x81\x7C"}, // minus sign
        {0x2014, "\x81\x5C"}, // em dash
        {0x00A2, "\x81\x91"}, // cent sign
        {0x00A3, "\x81\x92"}, // pound sign
        {0x00AC, "\x81\xCA"}, // not sign
    };
    for (const auto& f : bestFit)
        if (cp == f.cp)
            return QByteArray(f.bytes, 2);
    UConverter* c = converter();
    UChar buf[2];
    int32_t len = 0;
    if (cp >= 0x10000) {
        buf[0] = UChar(0xD7C0 + (cp >> 10));
        buf[1] = UChar(0xDC00 | (cp & 0x3FF));
        len = 2;
    } else {
        buf[0] = UChar(cp);
        len = 1;
    }
    char out[8];
    UErrorCode err = U_ZERO_ERROR;
    int32_t n = ucnv_fromUChars(c, out, sizeof out, buf, len, &err);
    if (U_FAILURE(err) || n <= 0)
        return QByteArray("?");
    return QByteArray(out, n);
}

QByteArray encode(const QString& text)
{
    QByteArray out;
    out.reserve(text.size() * 2);
    const char16_t* p = reinterpret_cast<const char16_t*>(text.utf16());
    const qsizetype n = text.size();
    // ASCII runs are the common case in data files; only the rest goes
    // through ICU, one character at a time, so that each unrepresentable
    // character becomes exactly one "?".
    for (qsizetype i = 0; i < n; ++i) {
        char16_t u = p[i];
        if (u < 0x80) {
            out.append(char(u));
            continue;
        }
        char32_t cp = u;
        if (QChar::isHighSurrogate(u) && i + 1 < n && QChar::isLowSurrogate(p[i + 1])) {
            cp = QChar::surrogateToUcs4(u, p[i + 1]);
            ++i;
        } else if (QChar::isSurrogate(u)) {
            out.append('?');
            continue;
        }
        out.append(encodeChar(cp));
    }
    return out;
}

bool holds(char32_t cp)
{
    return cp == U'?' || encodeChar(cp) != QByteArrayView("?");
}

qsizetype firstUnheld(const QString& text)
{
    const char16_t* p = reinterpret_cast<const char16_t*>(text.utf16());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = p[i];
        if (u < 0x80)
            continue;
        if (QChar::isHighSurrogate(u) && i + 1 < n && QChar::isLowSurrogate(p[i + 1])) {
            if (!holds(QChar::surrogateToUcs4(u, p[i + 1])))
                return i;
            ++i;
        } else if (QChar::isSurrogate(u) || !holds(u)) {
            return i;
        }
    }
    return -1;
}

qsizetype byteLength(const QString& text)
{
    qsizetype total = 0;
    for (quint16 code : charCodes(text))
        total += code > 0xFF ? 2 : 1;
    return total;
}

quint16 charCode(char32_t cp)
{
    QByteArray b = encodeChar(cp);
    if (b.size() == 1)
        return quint8(b[0]);
    return quint16((quint8(b[0]) << 8) | quint8(b[1]));
}

QList<quint16> charCodes(const QString& text)
{
    QList<quint16> codes;
    codes.reserve(text.size());
    const char16_t* p = reinterpret_cast<const char16_t*>(text.utf16());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        char16_t u = p[i];
        if (u < 0x80) {
            codes.append(u);
            continue;
        }
        char32_t cp = u;
        if (QChar::isHighSurrogate(u) && i + 1 < n && QChar::isLowSurrogate(p[i + 1])) {
            cp = QChar::surrogateToUcs4(u, p[i + 1]);
            ++i;
        } else if (QChar::isSurrogate(u)) {
            codes.append('?');
            continue;
        }
        codes.append(charCode(cp));
    }
    return codes;
}

QList<QByteArray> splitLineBytes(const QByteArray& bytes)
{
    QList<QByteArray> lines;
    const qsizetype n = bytes.size();
    if (n == 0)
        return lines;
    const bool hasCr = bytes.contains('\r');
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < n) {
        char ch = bytes[i];
        if (hasCr && ch == '\r') {
            lines.append(bytes.mid(start, i - start));
            i += (i + 1 < n && bytes[i + 1] == '\n') ? 2 : 1;
            start = i;
        } else if (!hasCr && ch == '\n') {
            lines.append(bytes.mid(start, i - start));
            ++i;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < n)
        lines.append(bytes.mid(start));
    return lines;
}

QStringList splitLines(const QByteArray& bytes)
{
    QStringList out;
    const QList<QByteArray> raw = splitLineBytes(bytes);
    out.reserve(raw.size());
    for (const QByteArray& line : raw)
        out.append(decode(line));
    return out;
}

QByteArray joinLineBytes(const QList<QByteArray>& lines)
{
    qsizetype size = 0;
    for (const QByteArray& line : lines)
        size += line.size() + 2;
    QByteArray out;
    out.reserve(size);
    for (const QByteArray& line : lines) {
        out += line;
        out += "\r\n";
    }
    return out;
}

QByteArray joinLines(const QStringList& lines)
{
    QByteArray out;
    for (const QString& line : lines) {
        out.append(encode(line));
        out.append("\r\n");
    }
    return out;
}

} // namespace AnsiCodec

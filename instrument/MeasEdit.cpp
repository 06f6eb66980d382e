#include "instrument/MeasEdit.h"

#include "common/AppGlobals.h"
#include "common/TextHelpers.h"
#include "instrument/MeasFile.h"
#include "platform/AnsiCodec.h"
#include "platform/AppError.h"
#include "platform/Dialogs.h"
#include "platform/FileIo.h"
#include "platform/NumText.h"

#include <QDate>
#include <QFileInfo>
#include <QStringList>
#include <QTime>

#include <array>
#include <optional>

namespace {

constexpr int MaxPositionBytes = 14;

// Three whole numbers of at most `digits` digits separated by `sep`, blanks
// around each allowed.
std::optional<std::array<int, 3>> ThreeNumbers(const QString& text, QChar sep, int digits)
{
    const QStringList parts = text.split(sep);
    if (parts.size() != 3)
        return std::nullopt;
    std::array<int, 3> out{};
    for (int i = 0; i < 3; ++i) {
        const QString p = parts[i].trimmed();
        if (p.isEmpty() || p.size() > digits)
            return std::nullopt;
        for (QChar c : p)
            if (c < u'0' || c > u'9')
                return std::nullopt;
        out[std::size_t(i)] = p.toInt();
    }
    return out;
}

std::optional<QDate> ReadDate(const QString& text)
{
    auto n = ThreeNumbers(text, u'/', 4);
    if (!n)
        return std::nullopt;
    int& year = (*n)[0];
    if (text.split(u'/')[0].trimmed().size() <= 2)
        year += year < 30 ? 2000 : 1900;
    const QDate d(year, (*n)[1], (*n)[2]);
    if (!d.isValid() || year < 100)
        return std::nullopt;
    return d;
}

std::optional<QTime> ReadTime(const QString& text)
{
    const auto n = ThreeNumbers(text, u':', 2);
    if (!n)
        return std::nullopt;
    const QTime t((*n)[0], (*n)[1], (*n)[2]);
    if (!t.isValid())
        return std::nullopt;
    return t;
}

// The form both the date and the time must have: at most 8 characters with
// two separators, and after the reformatting 8 characters with the
// separator third and sixth.
bool HasForm(const QString& typed, QChar sep)
{
    return typed.size() <= 8 && typed.indexOf(sep) != typed.lastIndexOf(sep);
}

bool HasFormAfter(const QString& text, QChar sep)
{
    return text.size() == 8 && text[2] == sep && text[5] == sep;
}

// What a file name of this system and of Windows, and the "label,value"
// line of the number, can carry.
bool SerialFits(const QString& serial)
{
    if (!FileNameErrorCheck(serial) || serial.contains(u',') || HasDependentChar(serial))
        return false;
    for (QChar c : serial)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return false;
    return AnsiCodec::decode(AnsiCodec::encode(serial)) == serial;
}

QString NumberWith(const QString& serial, const QString& group, const QString& sub)
{
    return serial + u'-' + group + u'-' + sub;
}

QString Serial(const QString& f0)
{
    return f0.left(4);
}
QString Group(const QString& f0)
{
    return f0.mid(5, 2);
}
QString Sub(const QString& f0)
{
    return f0.right(2);
}

} // namespace

QString EditDateText(const QString& typed)
{
    if (const auto d = ReadDate(typed))
        return d->toString(QStringLiteral("yy/MM/dd"));
    return typed;
}

QString EditTimeText(const QString& typed)
{
    if (const auto t = ReadTime(typed))
        return t->toString(QStringLiteral("HH:mm:ss"));
    return typed;
}

MeasEditResult ApplyMeasEdit(const MeasRecord& rec, int column, const QString& typed, const QString& cellText)
{
    MeasEditResult r;
    r.rec = rec;
    QString& f0 = r.rec.F[MeasRecord::Number];
    const auto accept = [&r] {
        r.verdict = MeasEditVerdict::Accepted;
        return r;
    };
    switch (column) {
    case 0:
    case 1: {
        const QChar sep = column == 0 ? u'/' : u':';
        if (!HasForm(typed, sep))
            return r;
        const QString text = column == 0 ? EditDateText(typed) : EditTimeText(typed);
        if (!HasFormAfter(text, sep))
            return r;
        // A text of the right form that is no date or time leaves the field.
        const bool valid = column == 0 ? ReadDate(text).has_value() : ReadTime(text).has_value();
        if (valid)
            r.rec.F[column == 0 ? MeasRecord::Date : MeasRecord::Time] = text;
        return accept();
    }
    case 2: {
        const QString serial = (QStringLiteral("0000") + typed).right(4);
        if (!SerialFits(serial)) {
            r.verdict = MeasEditVerdict::RefusedChar;
            return r;
        }
        f0 = NumberWith(serial, Group(f0), Sub(f0));
        return accept();
    }
    case 3: {
        const double v = NumText::Val(typed);
        if (!(v >= 1 && v <= 10))
            return r;
        f0 = NumberWith(Serial(f0), NumText::Format(v, QStringLiteral("00")), Sub(f0));
        return accept();
    }
    case 4: {
        const double v = NumText::Val(typed);
        if (v >= 1 && v <= 99) {
            f0 = NumberWith(Serial(f0), Group(f0), NumText::Format(v, QStringLiteral("00")));
        } else if (v == 0) {
            if (NumText::Val(cellText) == 0)
                f0 = NumberWith(Serial(f0), Group(f0), QStringLiteral("00"));
        } else {
            return r;
        }
        return accept();
    }
    case 5:
        // The position is the second part of a "label,value" line, and
        // every character of it must reach the file.
        if (typed.contains(u',') || !CharNotHeld(typed).isEmpty()) {
            r.verdict = MeasEditVerdict::RefusedChar;
            return r;
        }
        r.longPosition = AnsiCodec::byteLength(typed) > MaxPositionBytes;
        // Held as the file holds it: one line.
        r.rec.F[MeasRecord::Position] = OneLineText(typed);
        return accept();
    default:
        return r;
    }
}

std::optional<MeasRecord> TakeMeasEdit(const MeasRecord& rec, int column, const QString& typed,
                                       const QString& cellText)
{
    const MeasEditResult edit = ApplyMeasEdit(rec, column, typed, cellText);
    if (edit.verdict == MeasEditVerdict::RefusedChar) {
        // A character the file cannot hold is named with its field.
        const QString notHeld =
            column == 5 ? TextNotHeldRefusal({{Global::UiText.value(UiPositionField), typed}}) : QString();
        MsgBox(notHeld.isEmpty() ? Global::UiText.value(UiMeasEditBadChar) : notHeld, vbOKOnly | vbExclamation);
    }
    if (edit.verdict != MeasEditVerdict::Accepted)
        return std::nullopt;
    if (edit.longPosition)
        MsgBox(Global::UiText.value(UiLongPosition), vbOKOnly | vbInformation);
    return edit.rec;
}

QString MeasEditTarget(const QString& oldPath, const MeasRecord& rec)
{
    const QString name = MeasFileName(rec);
    if (name.contains(u'/') || name.contains(u'\\') || name.contains(QChar(0)))
        throw AppError(52);
    // A name the lists do not take ("YYMMDD_HHNNSS_NNNN-AA-SS.csv", one
    // character for each place) would hide the measurement from its list:
    // a record whose file could not be read has "--" for its number.
    if (name.size() != 28 || name[6] != u'_' || name[13] != u'_' || name[18] != u'-' || name[21] != u'-' ||
        !name.endsWith(QLatin1String(".csv")))
        throw FileError(52, name);
    const QString path = QFileInfo(oldPath).path() + u'/' + name;
    const QFileInfo target(path);
    if ((target.exists() || target.isSymLink()) && path != oldPath && !SameFile(path, oldPath))
        throw FileError(58, path);
    return path;
}

void CommitMeasEditFiles(const QString& oldPath, const QList<MeasEditWrite>& writes)
{
    // The measurement's own file must be there and readable: what is
    // written replaces it.
    ReadFileOrThrow(oldPath);

    // What stood at each target before, to be put back on a failure.
    struct Before {
        QString path;
        std::optional<QByteArray> bytes; // none: there was no file
    };
    QList<Before> done;
    const auto undo = [&done] {
        for (qsizetype i = done.size() - 1; i >= 0; --i) {
            const Before& b = done.at(i);
            if (b.bytes)
                WriteFileAtomic(b.path, *b.bytes);
            else
                try {
                    RemoveFileOrThrow(b.path);
                } catch (const AppError&) {
                }
        }
    };

    bool oldIsWritten = false;
    try {
        for (const MeasEditWrite& w : writes) {
            Before b{w.path, std::nullopt};
            if (QFileInfo::exists(w.path))
                b.bytes = ReadFileOrThrow(w.path);
            if (w.path == oldPath || SameFile(w.path, oldPath))
                oldIsWritten = true;
            WriteFileOrThrow(w.path, w.bytes);
            done.append(b);
        }
        if (!oldIsWritten)
            RemoveFileOrThrow(oldPath);
    } catch (...) {
        undo();
        throw;
    }
}

#include "customers/FolderNames.h"

#include "common/TextHelpers.h"
#include "platform/AnsiCodec.h"

#include <QFile>
#include <QStringList>

namespace {

// Longest folder name, in the bytes this system stores it as.
constexpr qsizetype MaxNameBytes = 255;

bool IsReservedDeviceName(const QString& name)
{
    // Windows reserves these names whatever follows a first "." and
    // whatever blanks stand before it.
    QString base = name.section(u'.', 0, 0);
    while (base.endsWith(u' '))
        base.chop(1);
    base = base.toUpper();
    static const QStringList plain{QStringLiteral("CON"), QStringLiteral("PRN"), QStringLiteral("AUX"),
                                   QStringLiteral("NUL")};
    if (plain.contains(base))
        return true;
    if (base.size() == 4 && (base.startsWith(QLatin1String("COM")) || base.startsWith(QLatin1String("LPT"))))
        return base.at(3) >= u'1' && base.at(3) <= u'9';
    return false;
}

bool EveryCharacterInCodePage(const QString& name)
{
    for (const char32_t c : name.toUcs4())
        if (c != U'?' && AnsiCodec::charCode(c) == u'?')
            return false;
    return true;
}

} // namespace

bool IsPortableFolderName(const QString& name)
{
    if (name.isEmpty() || name == u"." || name == u"..")
        return false;
    if (name.endsWith(u' ') || name.endsWith(u'.'))
        return false;
    for (const QChar c : name)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return false;
    if (!FileNameErrorCheck(name))
        return false;
    if (IsReservedDeviceName(name))
        return false;
    if (!EveryCharacterInCodePage(name))
        return false;
    return QFile::encodeName(name).size() <= MaxNameBytes;
}

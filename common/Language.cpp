#include "common/Language.h"

#include "common/AppGlobals.h"
#include "platform/AnsiCodec.h"
#include "platform/AppError.h"
#include "platform/FileIo.h"

#include <QFile>
#include <QFileInfo>

void LanguageRead(int index)
{
    // Nothing of an earlier load survives, whatever happens below.
    Global::UiText = QStringList(Global::UiTextCount);
    Guarded(QStringLiteral("LanguageRead"), [&] {
        if (index < 0 || index >= Global::MaxLanguageFiles)
            throw AppError(9);
        const QString path = Global::LanguageFolder + Global::LanguageFiles[size_t(index)];
        QFile f;
        OpenForReading(f, path);
        const QByteArray bytes = f.readAll();
        if (f.error() != QFileDevice::NoError)
            throw AppError(57);
        f.close();
        // Lines end at CR LF or a lone CR; a file without any CR (saved by
        // an editor that writes LF only) is split at LF.
        const QStringList lines = AnsiCodec::splitLines(bytes);
        const qsizetype n = qMin<qsizetype>(lines.size(), Global::UiTextCount);
        for (qsizetype key = 0; key < n; ++key)
            Global::UiText[key] = lines[key];
        // A line past the last key has no place in the table.
        if (lines.size() > Global::UiTextCount)
            throw AppError(9);
    });
}

QString LanguageGet()
{
    QString result;
    Guarded(QStringLiteral("LanguageGet"), [&] {
        const QLocale locale =
            Global::SystemLocaleOverride ? *Global::SystemLocaleOverride : QLocale::system();
        const QLocale::Territory t = locale.territory();
        // The C locale names no country: the same as a failed query.
        if (t == QLocale::AnyTerritory)
            return;
        result = RemoveNull(QLocale::territoryToString(t));
    });
    return result;
}

QString RemoveNull(const QString& text)
{
    const qsizetype p = text.indexOf(QChar(0));
    return p < 0 ? text : text.left(p);
}

#include "common/Language.h"

#include "common/AppGlobals.h"
#include "platform/AnsiCodec.h"
#include "platform/AppError.h"
#include "platform/FileIo.h"
#include "platform/NumText.h"
#include "platform/Registry.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>

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

QStringList LanguageTexts(int key)
{
    QStringList texts;
    auto add = [&texts](const QString& text) {
        if (!text.isEmpty() && !texts.contains(text))
            texts << text;
    };
    if (key < 0 || key >= Global::UiTextCount)
        return texts;
    add(Global::UiText.value(key));
    const int count = qBound(0, int(Global::LanguageCount), Global::MaxLanguageFiles);
    for (int i = 0; i < count; ++i) {
        const QString& name = Global::LanguageFiles[std::size_t(i)];
        if (name.isEmpty())
            continue;
        if (const auto lines = ReadLines(Global::LanguageFolder + name))
            add(lines->value(key));
    }
    return texts;
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

int LanguageIndexOfCode(const QString& code)
{
    std::int32_t whole = 0;
    try {
        whole = NumText::CLng(NumText::Val(code));
    } catch (const AppError&) {
        // Beyond a whole number: no language file carries it.
        return -1;
    }
    const int count = qBound(0, int(Global::LanguageCount), Global::MaxLanguageFiles);
    for (int i = 0; i < count; ++i)
        if (NumText::Val(Global::LanguageList[std::size_t(i)][1]) == whole)
            return i;
    return -1;
}

int StoredLanguageIndex()
{
    return LanguageIndexOfCode(RegStrGet(RegKeySystem, QStringLiteral("Language")));
}

void LoadQtTranslations(int index)
{
    if (Global::QtTranslator) {
        QCoreApplication::removeTranslator(Global::QtTranslator.get());
        Global::QtTranslator.reset();
    }
    if (index < 0 || index >= Global::MaxLanguageFiles ||
        NumText::Val(Global::LanguageList[std::size_t(index)][1]) != JapaneseLanguageCode)
        return;
    auto translator = std::make_unique<QTranslator>();
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                          QStringLiteral("_"), folder)) {
        qWarning().noquote() << "Qt's Japanese texts not found in" << folder
                             << "(Debian package qt6-translations-l10n); Qt's own texts stay English";
        return;
    }
    QCoreApplication::installTranslator(translator.get());
    Global::QtTranslator = std::move(translator);
}

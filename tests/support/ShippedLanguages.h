#pragma once
// The language table of the two shipped language files, English (code "1")
// and Japanese ("81"), in `folder` (with its trailing slash), as the
// start-up would list them there.
#include "common/AppGlobals.h"

#include <QString>

inline void UseShippedLanguages(const QString& folder)
{
    Global::LanguageFolder = folder;
    Global::LanguageFiles = {};
    Global::LanguageList = {};
    Global::LanguageFiles[0] = QStringLiteral("English.txt");
    Global::LanguageList[0] = {QStringLiteral("English"), QStringLiteral("1")};
    Global::LanguageFiles[1] = QStringLiteral("Japanese.txt");
    Global::LanguageList[1] = {QStringLiteral("Japanese"), QStringLiteral("81")};
    Global::LanguageCount = 2;
}

#pragma once
// The UI text table and the language files it is loaded from.
#include <QLocale>
#include <QString>

#include <optional>

namespace Global {
// When set, stands for the system's locale in LanguageGet (tests).
inline std::optional<QLocale> SystemLocaleOverride;
} // namespace Global

// Empties Global::UiText and loads it from language file `index` of
// Global::LanguageFiles (0 to 100).
void LanguageRead(int index);
// The English name of the system's country ("Japan", ...).
QString LanguageGet();
// The text before its first NUL (the whole text when it has none).
QString RemoveNull(const QString& text);

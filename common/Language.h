#pragma once
// The UI text table and the language files it is loaded from.
#include <QLocale>
#include <QString>
#include <QStringList>
#include <QTranslator>

#include <memory>
#include <optional>

namespace Global {
// When set, stands for the system's locale in LanguageGet (tests).
inline std::optional<QLocale> SystemLocaleOverride;
// Qt's own texts (Yes, No, OK, Cancel, ...) in the language in use; empty
// while they stay English.
inline std::unique_ptr<QTranslator> QtTranslator;
} // namespace Global

// The language code of the Japanese language files.
inline constexpr int JapaneseLanguageCode = 81;

// Empties Global::UiText and loads it from language file `index` of
// Global::LanguageFiles (0 to 100).
void LanguageRead(int index);
// The English name of the system's country ("Japan", ...).
QString LanguageGet();
// The text of `key` in every language: the language in use first, then
// each language file of the language folder in list order, every text
// once; empty texts are left out. A file that cannot be read adds nothing.
// Folder names taken from the language files (a history's picture folder,
// a documents folder) are looked up under all of these, so that a folder
// named in one language is found again after a switch to another.
QStringList LanguageTexts(int key);
// The text before its first NUL (the whole text when it has none).
QString RemoveNull(const QString& text);

// The language a stored code stands for: the position in LanguageFiles of
// the first language file whose code (read as a number) equals `code` read
// as a number and rounded to a whole number (halves to the even neighbour).
// -1 when no file carries it, also when no whole number can hold it.
// Start-up and the main window's load both find the language this way.
int LanguageIndexOfCode(const QString& code);
// The same for the code stored in the settings ("Language").
int StoredLanguageIndex();

// Puts Qt's own texts into the language of language file `index`: Japanese
// for a file whose code is 81, English (Qt's built-in texts) for any other
// file and for no file (-1).
// Qt's Japanese texts come from the system's Qt translations; without them
// the texts stay English.
void LoadQtTranslations(int index);

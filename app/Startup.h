#pragma once
// The program's start: refuse a second instance, find the language files and
// choose one on the first run, load the UI text table, check the
// instrument's firmware (and run the firmware update wizard when the file on
// the computer is newer), read the sort settings, settle the data folder and
// open the main window behind the splash.
#include "common/Version.h"
#include <QLockFile>
#include <QString>

#include <functional>
#include <memory>


namespace Global {
// The single-instance lock, held for the life of the process.
inline std::unique_ptr<QLockFile> InstanceLock;
// Shows the main window at the end of start-up; empty means FrmMainShow().
// Tests replace it.
inline std::function<void()> ShowMainWindowHook;
} // namespace Global

// The fixed texts shown before any language file is loaded.
inline const QString SecondInstanceTextJapanese = QStringLiteral("二重起動はできません");
inline const QString SecondInstanceTextEnglish = QStringLiteral("Double starting cannot be performed.");
inline const QString NoLanguageFileTextJapanese =
    QStringLiteral("言語ファイルが1つも存在しないため起動出来ません");
inline const QString NoLanguageFileTextEnglish =
    QStringLiteral("Since a language file does not exist, it cannot perform.");

// The entry procedure. Returns true when a window is open and the program
// goes on in the event loop; false when start-up ended without one (the
// caller then ends the program). Paths that end the program at once go
// through EndProgramNow().
bool Main();

// The steps of Main that tests drive one by one.
// Takes the single-instance lock; false when another instance holds it.
bool AcquireInstanceLock();
// Lists the language files of Global::LanguageFolder into LanguageFiles,
// LanguageList and LanguageCount.
void ListLanguageFiles();
// The language code a first run stores (`japan`: the system's country is Japan).
QString FirstRunLanguage(bool japan);
// Loads the language file whose code is the stored "Language" value, and
// Qt's own texts in that language; false when no file carries it.
bool LoadStoredLanguage();

#include "app/Startup.h"

#include "common/AppGlobals.h"
#include "common/FileHelpers.h"
#include "app/FrmMainEntry.h"
#include "app/FrmPass.h"
#include "app/FrmSplash.h"
#include "common/Language.h"
#include "instrument/FirmwareCheck.h"
#include "instrument/FirmwareWizard.h"
#include "instrument/InstrumentGlobals.h"
#include "instrument/UsbProtocol.h"
#include "platform/AppError.h"
#include "platform/AppPaths.h"
#include "platform/Dialogs.h"
#include "platform/EndProgram.h"
#include "platform/FileIo.h"
#include "platform/NumText.h"
#include "platform/Registry.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QLockFile>
#include <QPointer>

namespace {

const QString kLanguage = QStringLiteral("Language");
const QString kSortCol = QStringLiteral("SortCol");
const QString kSortContition = QStringLiteral("SortContition");
const QString kSaveFolder = QStringLiteral("SaveFolder");

// A missing data folder is chosen again behind the password window; the
// main window does not open.
bool ShowPasswordWindow()
{
    ShowPassWindow();
    return true;
}

void ShowMainWindow()
{
    if (Global::ShowMainWindowHook)
        Global::ShowMainWindowHook();
    else
        FrmMainShow();
}

// The data folder when none is stored: the program's own folder when it
// holds USER_DATA, else the default folder in the user's home.
QString DefaultDataFolder()
{
    const QString program = AppPaths::programFolder();
    QString folder =
        SubFolderExists(program, QStringLiteral("USER_DATA")) ? program : AppPaths::defaultDataFolder();
    if (folder.endsWith(u'/') && folder.size() > 1)
        folder.chop(1);
    return folder;
}

// A setting start-up cannot store would be lost at the next start, which
// would then be a first start again: a failed write is an error of the start.
void StoreSetting(const QString& name, const QString& value)
{
    if (!RegStrSet(RegKeySystem, name, value))
        throw AppError(75);
}

} // namespace

bool AcquireInstanceLock()
{
    const QString folder = AppPaths::runtimeFolder();
    QDir().mkpath(folder);
    auto lock = std::make_unique<QLockFile>(folder + QStringLiteral("/heliodex.lock"));
    // A lock left by a process that died is taken over; a living one is not.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0)) {
        Global::InstanceLock = std::move(lock);
        return true;
    }
    if (lock->error() == QLockFile::LockFailedError)
        return false;
    // The lock cannot be written at all (no runtime folder): nothing tells
    // whether another instance runs, so this one goes on.
    qWarning() << "single-instance lock unavailable in" << folder;
    return true;
}

void ListLanguageFiles()
{
    Global::LanguageCount = 0;
    Global::LanguageFiles.fill(QString());
    for (auto& entry : Global::LanguageList)
        entry = {QString(), QString()};

    const QStringList names =
        QDir(Global::LanguageFolder)
            .entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name | QDir::IgnoreCase);
    for (const QString& name : names) {
        if (Global::LanguageCount >= Global::MaxLanguageFiles) {
            qWarning().noquote() << "language file skipped, only" << Global::MaxLanguageFiles
                                 << "are used:" << name;
            continue;
        }
        auto lines = ReadLines(Global::LanguageFolder + name);
        if (!lines || lines->size() < 2) {
            qWarning().noquote() << "language file skipped, it has no name and code lines:" << name;
            continue;
        }
        const int n = Global::LanguageCount;
        Global::LanguageList[n][0] = lines->at(0);
        Global::LanguageList[n][1] = lines->at(1);
        Global::LanguageFiles[n] = name;
        ++Global::LanguageCount;
    }
}

QString FirstRunLanguage(bool japan)
{
    auto firstWithCode = [](double code) -> bool {
        for (int i = 0; i < Global::LanguageCount; ++i)
            if (NumText::Val(Global::LanguageList[i][1]) == code)
                return true;
        return false;
    };
    if (japan && firstWithCode(81))
        return QStringLiteral("81");
    if (firstWithCode(1))
        return QStringLiteral("1");
    return Global::LanguageList[0][1];
}

bool LoadStoredLanguage()
{
    const int index = StoredLanguageIndex();
    if (index < 0)
        return false;
    LanguageRead(index);
    LoadQtTranslations(index);
    return true;
}

bool Main()
{
    QPointer<frmSplash> splash;
    bool windowOpen = false;
    try {
        // Ending the program at once closes the instrument link.
        RegisterLinkCloseAtEnd();

        // 1. One instance only.
        const bool japan = LanguageGet().toUpper() == QLatin1String("JAPAN");
        if (!AcquireInstanceLock()) {
            MsgBox(japan ? SecondInstanceTextJapanese : SecondInstanceTextEnglish, vbOKOnly | vbCritical,
                   AppTitle);
            EndProgramNow();
        }

        // 2. Initial values.
        Global::RecordSize = 1184;
        Global::HookedGrid = 0;
        Global::ForwardFilePaths.assign(1201, QString());
        Global::LanguageFolder = AppPaths::languageFolder();
        MakeFolder(Global::LanguageFolder);

        // 3, 4. Language files.
        ListLanguageFiles();
        if (Global::LanguageCount == 0) {
            MsgBox(japan ? NoLanguageFileTextJapanese : NoLanguageFileTextEnglish, vbOKOnly | vbCritical,
                   AppTitle);
            EndProgramNow();
        }

        // 5. First run, or a stored language whose file has gone: the
        // language by the system's country, stored again.
        if (StoredLanguageIndex() < 0)
            StoreSetting(kLanguage, FirstRunLanguage(japan));

        // 6. The UI text table, and Qt's own texts in the same language.
        LoadStoredLanguage();

        // 7. The instrument's firmware.
        if (StartupFirmwareCheck() == FirmwareCheckResult::UpdateOffered) {
            ShowFirmwareWizard();
            WaitForFirmwareWizard();
        }

        // 8. Sort settings.
        Global::SortColumn = RegNumGet(RegKeySystem, kSortCol);
        Global::SortDirection = RegNumGet(RegKeySystem, kSortContition);
        if (Global::SortDirection > 1)
            Global::SortDirection = 0;

        // 9. The data folder.
        Global::DataFolder = RegStrGet(RegKeySystem, kSaveFolder);
        bool settled = true;
        if (!Global::DataFolder.isEmpty() && FolderCheck(Global::DataFolder).isEmpty()) {
            MsgBox(Global::UiText.value(679), vbOKOnly | vbExclamation, AppTitle);
            settled = false;
        } else if (Global::DataFolder.isEmpty()) {
            const QString folder = DefaultDataFolder();
            if (MakeFolder(folder)) {
                StoreSetting(kSaveFolder, folder);
                Global::DataFolder = folder;
            } else {
                // A file has the default's name, or it cannot be created: it
                // is not stored, and the start ends as for a missing data
                // folder.
                MsgBox(Global::UiText.value(800) + QStringLiteral("\r\n\r\n") + folder,
                       vbOKOnly | vbExclamation, AppTitle);
                settled = false;
            }
        }
        if (!settled) {
            windowOpen = ShowPasswordWindow();
        } else {
            // 10. Splash, then the main window.
            splash = new frmSplash;
            splash->show();
            splash->repaint();
            QCoreApplication::processEvents();
            ShowMainWindow();
            windowOpen = true;
        }
    } catch (const ProgramEnded&) {
        if (splash)
            delete splash;
        throw;
    } catch (...) {
        if (splash)
            delete splash;
        ShowErrorReport(QStringLiteral("Main"), ToAppError(std::current_exception()));
        return false;
    }
    // 11. The splash goes once the main window is there.
    if (splash)
        splash->close();
    return windowOpen;
}

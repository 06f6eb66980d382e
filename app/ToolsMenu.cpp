#include "app/ToolsMenu.h"

#include "app/FrmPass.h"
#include "catalog/CatalogTab.h"
#include "catalog/ModelFiles.h"
#include "common/AppGlobals.h"
#include "common/BackupSet.h"
#include "common/Controls.h"
#include "common/DataFolderChoice.h"
#include "common/FileHelpers.h"
#include "common/FrmMessWindow.h"
#include "common/SystemHelpers.h"
#include "platform/AppError.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"

#include <QAction>
#include <QTabWidget>

#include <algorithm>
#include <optional>

namespace {

QString ui(int key)
{
    return Global::UiText.value(key);
}

} // namespace

void MnuBackup_Click()
{
    QWidget* main = MainWindow();
    try {
        const QString chosen = ShowFolders(main, ui(561), QString(), true);
        if (chosen.isEmpty())
            return;
        // A backup set inside a working folder would be copied into itself.
        if (BackupTargetRefused(chosen, Global::DataFolder)) {
            MsgBox(ui(926), vbOKOnly | vbExclamation);
            return;
        }
        if (FolderCheck(Global::DataFolder).isEmpty())
            throw FileError(76, Global::DataFolder);
        const QString target = BackupTarget(chosen, CurrentDateTime());
        BackupOutcome outcome;
        {
            // The progress shows once the target is made (a target that
            // cannot be made stops the backup with its report); the
            // windows take no input until the copies are done.
            std::optional<LongWorkProgress> progress;
            outcome = CopyBackupSet(Global::DataFolder, target, [&](int k) {
                if (!progress)
                    progress.emplace(main, int(BackupFolderNames().size()));
                progress->setValue(k);
            });
        }
        // "Done" only when every file and folder of the working folders is
        // in the set; otherwise how many are not.
        if (outcome.complete())
            MsgBox(ui(680), vbOKOnly | vbInformation);
        else
            MsgBox(ui(925) + QStringLiteral("\r\n\r\n") + target + QStringLiteral("\r\n\r\n") + ui(948) +
                       u' ' + QString::number(outcome.notCopied),
                   vbOKOnly | vbExclamation);
    } catch (const ProgramEnded&) {
        throw;
    } catch (...) {
        ShowErrorReport(QStringLiteral("MnuBackup_Click"), ToAppError(std::current_exception()));
    }
}

void MnuInport_Click()
{
    Guarded(QStringLiteral("MnuInport_Click"), [&] {
        auto* tabs = MainControl<QTabWidget>(QStringLiteral("SSTab2"));
        const int side = tabs && tabs->currentIndex() == 1 ? 1 : 0;
        const QString chosen = ShowFolders(MainWindow(), ui(729 + side), Global::DataFolder, false);
        if (chosen.isEmpty())
            return;
        if (!ImportNameAccepted(chosen, CatalogFolderName(side))) {
            MsgBox(ui(731 + side), vbOKOnly | vbExclamation);
            return;
        }
        const QString target = CatalogFolder(side);
        if (ImportOntoItself(chosen, target)) {
            MsgBox(ui(927), vbOKOnly | vbExclamation);
            return;
        }
        // Makers and models whose names the customer files cannot hold are
        // not imported (the catalogue would pass them over); the load that
        // follows names them in its report.
        QStringList passedOver;
        const CopyPassOver refused = [&](const QString& relative, bool folder) {
            if (!CatalogEntryRefused(relative, folder))
                return false;
            passedOver << relative;
            return true;
        };
        // Files the catalogue has already: replace them, keep them, or
        // import nothing.
        ExistingFiles mode = ExistingFiles::Refuse;
        QStringList clashes = ImportClashes(chosen, target);
        clashes.erase(std::remove_if(clashes.begin(), clashes.end(),
                                     [](const QString& f) { return CatalogEntryRefused(f, false); }),
                      clashes.end());
        if (!clashes.isEmpty()) {
            const int answer = MsgBox(ui(928), vbYesNoCancel | vbQuestion | vbDefaultButton2);
            if (answer == vbCancel)
                return;
            mode = answer == vbYes ? ExistingFiles::Replace : ExistingFiles::Keep;
        }
        // Edits of the model shown are saved (or dropped) before the
        // catalogue is read again.
        if (!AskToRegisterModelEdits(side, false))
            return;
        bool whole = false;
        {
            LongWorkProgress progress(MainWindow(), 1);
            whole = CopyFolderTree(chosen, target, mode, refused);
            progress.setValue(1);
        }
        CatalogReload(side, passedOver);
        // What was left out was named; the import is not called complete.
        if (whole && passedOver.isEmpty())
            MsgBox(ui(734), vbOKOnly | vbInformation);
    });
}

void MnuUpdateInternet_Click()
{
    try {
        ShellOpenDocument(DownloadPageAddress, MainWindow());
    } catch (const ProgramEnded&) {
        throw;
    } catch (...) {
        // Nothing more to report: the page is an offer, not a task (a failure
        // to open it was reported by the open itself).
    }
}

void MnuSaveFolderSel_Click()
{
    Guarded(QStringLiteral("MnuSaveFolderSel_Click"), [&] {
        if (QWidget* main = MainWindow())
            main->hide();
        ShowPassWindow();
    });
}

void ConnectToolsMenu()
{
    const struct {
        const char* name;
        void (*handler)();
    } items[] = {
        {"MnuBackup", MnuBackup_Click},
        {"MnuInport", MnuInport_Click},
        {"MnuUpdateInternet", MnuUpdateInternet_Click},
        {"MnuSaveFolderSel", MnuSaveFolderSel_Click},
    };
    for (const auto& item : items)
        if (auto* a = MainControl<QAction>(QString::fromLatin1(item.name)))
            QObject::connect(a, &QAction::triggered, a, [h = item.handler] { h(); });
}

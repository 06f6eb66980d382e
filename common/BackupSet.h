#pragma once
// The full backup of the data folder and the import of a catalogue folder:
// naming, refusals and copying, without any window. The menu commands of
// the main window show the questions and the progress around them.
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>

// The four working folders a backup copies, in this order. BACKUP_DATA is
// not one of them.
const QStringList& BackupFolderNames();
// "Heliodex" followed by the date as yyyyMMdd, "_" and the time as HHmmss.
QString BackupSetName(const QDateTime& when);
// The backup set's folder in `chosen` for a backup started `when`: the set's
// name, and, when something of that name is there already (a second backup
// within the same second), the first free name with "_2", "_3", ... added.
QString BackupTarget(const QString& chosen, const QDateTime& when);
// True when a backup into `chosen` would land inside one of the data
// folder's working folders (and so copy a folder into itself).
bool BackupTargetRefused(const QString& chosen, const QString& dataFolder);

struct BackupOutcome {
    int copied = 0;    // working folders copied whole
    int missing = 0;   // working folders the data folder does not have
    int failed = 0;    // working folders whose copy failed somewhere (reported by the copy)
    int notCopied = 0; // files and folders of the working folders not in the set
    bool complete() const { return failed == 0 && notCopied == 0; }
};
// Creates `target` and copies the data folder's working folders into it,
// every file and folder byte for byte (names included, whatever bytes they
// hold; links passed over), calling `progress` with 0 once the target is
// made and with 1 to 4 after each folder. A missing working folder is
// passed over; a copy that fails is reported by the copy (once per
// folder), and the copy goes on. The set is brought to the disk with one
// sync at the end. Throws the classic error when `target` cannot be
// created or the sync fails.
BackupOutcome CopyBackupSet(const QString& dataFolder, const QString& target,
                            const std::function<void(int)>& progress = {});

// True when the chosen folder's own name, whatever its letter case, is
// `folderName` (the catalogue folder's: MODULE_DATA or
// POWER_CONDITIONER_DATA).
bool ImportNameAccepted(const QString& chosen, const QString& folderName);
// True when the import would copy a folder onto itself, into itself, or
// into one of its own subfolders.
bool ImportOntoItself(const QString& source, const QString& target);
// The files of `source` (below it, links passed over) that `target`
// already holds under the same relative name, as relative paths.
QStringList ImportClashes(const QString& source, const QString& target);

#include "common/BackupSet.h"

#include "common/FileHelpers.h"
#include "platform/FileIo.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

const QStringList& BackupFolderNames()
{
    static const QStringList names{QStringLiteral("USER_DATA"), QStringLiteral("MODULE_DATA"),
                                   QStringLiteral("POWER_CONDITIONER_DATA"), QStringLiteral("FORWARD_DATA")};
    return names;
}

QString BackupSetName(const QDateTime& when)
{
    return QStringLiteral("Heliodex") + when.toString(QStringLiteral("yyyyMMdd_HHmmss"));
}

QString BackupTarget(const QString& chosen, const QDateTime& when)
{
    QString base = chosen;
    if (!base.endsWith(u'/'))
        base += u'/';
    const QString name = base + BackupSetName(when);
    QString target = name;
    for (int n = 2; QFileInfo::exists(target) || QFileInfo(target).isSymLink(); ++n)
        target = name + u'_' + QString::number(n);
    return target;
}

bool BackupTargetRefused(const QString& chosen, const QString& dataFolder)
{
    for (const QString& name : BackupFolderNames())
        if (PathIsInside(chosen, dataFolder + u'/' + name))
            return true;
    return false;
}

BackupOutcome CopyBackupSet(const QString& dataFolder, const QString& target,
                            const std::function<void(int)>& progress)
{
    MakeFolderOrThrow(target);
    if (progress)
        progress(0);
    BackupOutcome outcome;
    int k = 0;
    for (const QString& name : BackupFolderNames()) {
        const QString source = dataFolder + u'/' + name;
        // A working folder is made by the first command that needs it: one
        // the data folder does not have yet holds nothing to save.
        if (FolderCheck(source).isEmpty())
            ++outcome.missing;
        else if (FolCopy(source, target + u'/' + name, false))
            ++outcome.copied;
        else
            ++outcome.failed;
        if (progress)
            progress(++k);
    }
    return outcome;
}

bool ImportNameAccepted(const QString& chosen, const QString& folderName)
{
    const QString name = QFileInfo(QDir::cleanPath(chosen)).fileName();
    return name.toUpper() == folderName;
}

bool ImportOntoItself(const QString& source, const QString& target)
{
    return PathIsInside(target, source) || PathIsInside(source, target);
}

QStringList ImportClashes(const QString& source, const QString& target)
{
    QStringList clashes;
    const QString root = QDir::cleanPath(source);
    // Links are passed over as the copy passes them over.
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString relative = path.mid(root.size() + 1);
        const QFileInfo there(target + u'/' + relative);
        if (there.exists() || there.isSymLink())
            clashes << relative;
    }
    clashes.sort(Qt::CaseInsensitive);
    return clashes;
}

#include "common/BackupSet.h"

#include "common/FileHelpers.h"
#include "platform/FileIo.h"

#include <QDir>
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
        if (FolderCheck(source).isEmpty()) {
            ++outcome.missing;
        } else {
            // A backup set replaces nothing: plain copies, made durable
            // together below.
            const TreeCopy copy = CopyTreePlainly(source, target + u'/' + name);
            outcome.notCopied += copy.notCopied();
            if (copy.notCopied() == 0)
                ++outcome.copied;
            else
                ++outcome.failed;
        }
        if (progress)
            progress(++k);
    }
    SyncFileSystemOrThrow(target);
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

namespace {

void findClashes(const QString& source, const QString& target, const QString& prefix, QStringList& clashes)
{
    for (const DiskEntry& e : ListFolder(source, false).entries) {
        // Links are passed over as the copy passes them over.
        if (e.link)
            continue;
        const QString relative = prefix + e.name; // as shown
        if (e.kind == DiskKind::Folder)
            findClashes(source + u'/' + e.exact, target + u'/' + e.exact, relative + u'/', clashes);
        else if (e.kind == DiskKind::File && KindOf(target + u'/' + e.exact, false) != DiskKind::Missing)
            clashes << relative;
    }
}

} // namespace

QStringList ImportClashes(const QString& source, const QString& target)
{
    QStringList clashes;
    findClashes(QDir::cleanPath(source), target, QString(), clashes);
    clashes.sort(Qt::CaseInsensitive);
    return clashes;
}

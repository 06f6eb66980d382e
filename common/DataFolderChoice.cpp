#include "common/DataFolderChoice.h"

#include "common/FileHelpers.h"
#include "common/SystemHelpers.h"
#include "platform/AppPaths.h"
#include "platform/Dialogs.h"
#include "platform/Registry.h"

#include <QDir>
#include <QFileInfo>

QString FolderChoiceBase(const QString& dataFolder)
{
    if (!dataFolder.isEmpty() && !FolderCheck(dataFolder).isEmpty())
        return dataFolder;
    return AppPaths::programFolder();
}

FolderChoice ChooseDataFolder(const QString& typed, const QString& base)
{
    FolderChoice choice;
    QString text = typed;
    if (text.trimmed().isEmpty()) {
        choice.refusal = 589;
        return choice;
    }
    if (text == u"~" || text.startsWith(QStringLiteral("~/")))
        text = AppPaths::home() + text.mid(1);
    else if (QDir::isRelativePath(text))
        text = base + u'/' + text;
    const QString folder = QDir::cleanPath(text);
    if (AppPaths::isRefusedSystemFolder(folder)) {
        choice.refusal = 594;
        return choice;
    }
    // The folder must exist afterwards and take the program's files.
    if (!MakeFolder(folder) || !QFileInfo(folder).isWritable()) {
        choice.refusal = 735;
        return choice;
    }
    choice.folder = folder;
    return choice;
}

QString ShowFolders(QWidget*, const QString& title, const QString& initialFolder, bool)
{
    return dialogs().chooseFolder(title, initialFolder);
}

bool StoreDataFolder(const QString& folder)
{
    return RegStrSetExact(RegKeySystem, QStringLiteral("SaveFolder"), folder);
}

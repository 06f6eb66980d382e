#include "platform/Shell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

bool ShellOpen(const QString& target)
{
    if (Global::ShellOpenOverride) {
        Global::ShellOpenOverride(target);
        return true;
    }
    QUrl url = QUrl::fromUserInput(target);
    if (QFileInfo::exists(target))
        url = QUrl::fromLocalFile(QFileInfo(target).absoluteFilePath());
    return QDesktopServices::openUrl(url);
}

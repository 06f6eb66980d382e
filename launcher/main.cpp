// Pelmora: opens the installation disc's start document, or the document
// named on its command line, through the shell, and ends.
#include "InfoBox.h"
#include "Launcher.h"
#include "PelmoraIcon.h"
#include "SystemShell.h"

#include <QApplication>
#include <QIcon>
#include <QPixmap>

int main(int argc, char** argv)
{
    // Take the arguments before Qt sees them: Qt would take "-style",
    // "-platform" and the like for its own, and argument 1 is the document
    // whatever it reads like.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);

    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    QIcon icon;
    icon.addPixmap(QPixmap(PelmoraIcon32));
    icon.addPixmap(QPixmap(PelmoraIcon16));
    QApplication::setWindowIcon(icon);

    SystemShell shell;
    InfoBox boxes;
    return LauncherMain(arguments, QCoreApplication::applicationFilePath(), shell, boxes);
}

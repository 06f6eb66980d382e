#include "app/FrmMainEntry.h"

#include "platform/Dialogs.h"

#include <QMainWindow>

// Placeholder until the main window exists: an empty window with the title.
namespace {
QMainWindow* placeholder = nullptr;
}

void FrmMainShow()
{
    if (!placeholder) {
        placeholder = new QMainWindow;
        placeholder->setObjectName(QStringLiteral("FrmMain"));
        placeholder->setWindowTitle(AppTitle);
        placeholder->setAttribute(Qt::WA_DeleteOnClose, false);
    }
    placeholder->show();
}

bool FrmMainIsLoaded()
{
    return placeholder != nullptr;
}

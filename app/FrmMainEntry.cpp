#include "app/FrmMainEntry.h"

#include "app/FrmMain.h"

void FrmMainShow()
{
    if (!Global::MainForm) {
        auto* w = new FrmMain;
        w->setAttribute(Qt::WA_DeleteOnClose, false);
        w->Form_Load();
    }
    Global::MainForm->show();
    Global::MainForm->raise();
    Global::MainForm->activateWindow();
}

bool FrmMainIsLoaded()
{
    return !Global::MainForm.isNull();
}

#include "catalog/ArraySet.h"

#include "catalog/CatalogTab.h"
#include "catalog/FrmArraySet.h"
#include "common/Controls.h"
#include "customers/CustomerForm.h"

FrmArraySet* ArraySetWindow()
{
    if (!Global::ArraySetForm)
        Global::ArraySetForm = new FrmArraySet(MainWindow());
    return qobject_cast<FrmArraySet*>(Global::ArraySetForm.data());
}

QWidget* ArraySetForm()
{
    ArraySetWindow();
    return Global::ArraySetForm.data();
}

void ShowArraySetData()
{
    if (FrmArraySet* w = ArraySetWindow())
        w->ShowData();
}

void FrmArraySetOpen()
{
    if (FrmArraySet* w = ArraySetWindow())
        w->Open();
}

bool FrmArraySetIsLoaded()
{
    return !Global::ArraySetForm.isNull();
}

void FrmArraySetUnload()
{
    // Only the window itself is this module's to close.
    delete qobject_cast<FrmArraySet*>(Global::ArraySetForm.data());
}

#include "catalog/ArraySet.h"

// The window itself is not built yet: nothing to fill or show.
QWidget* ArraySetForm()
{
    return nullptr;
}

void ShowArraySetData() {}

void FrmArraySetOpen() {}

#include "app/MeasEditBox.h"

#include "common/Controls.h"
#include "common/GridCellEdit.h"
#include "instrument/ForwardTab.h"
#include "measview/MeasViewTab.h"
#include "platform/AppError.h"
#include "platform/FlexGrid.h"

#include <QLineEdit>

namespace {

QLineEdit* Box(int index)
{
    return MainControl<QLineEdit>(QStringLiteral("TxtPoinrIn_%1").arg(index));
}

FlexGrid* ListUnder(int index)
{
    return MainControl<FlexGrid>(index == 0 ? QStringLiteral("MfgMeasList") : QStringLiteral("MfgForwardList"));
}

} // namespace

void TxtPoinrIn_KeyPress(int index, int& keyAscii)
{
    if ((index != 0 && index != 1) || (keyAscii != 13 && keyAscii != 27))
        return;
    const bool commit = keyAscii == 13;
    if (commit)
        keyAscii = 0;
    try {
        QLineEdit* box = Box(index);
        FlexGrid* list = ListUnder(index);
        if (list)
            list->setEnabled(true);
        if (!box)
            return;
        // Hiding the box takes its focus away, which drops the edit once
        // more: that only repeats the closing steps.
        const bool wasOpen = box->isVisible();
        box->hide();
        if (!commit) {
            if (index == 1 && list)
                list->setFocus();
            return;
        }
        if (!wasOpen)
            return;
        if (index == 0)
            MeasListEditCommit(box->text());
        else
            ForwardListEditCommit(box->text());
    } catch (const ProgramEnded&) {
        throw;
    } catch (...) {
        const AppError e = ToAppError(std::current_exception());
        if (e.number != 6)
            ShowErrorReport(QStringLiteral("TxtPoinrIn_KeyPress"), e);
    }
}

void TxtPoinrIn_LostFocus(int index)
{
    int key = 27;
    TxtPoinrIn_KeyPress(index, key);
}

void ConnectMeasEditBoxes()
{
    for (int index : {0, 1})
        WatchEditBoxKeys(
            Box(index),
            [index](int keyAscii) { TxtPoinrIn_KeyPress(index, keyAscii); },
            [index] { TxtPoinrIn_LostFocus(index); });
}

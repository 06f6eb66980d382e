#include "common/PasswordLock.h"

#include "common/AppGlobals.h"
#include "common/SystemHelpers.h"
#include "platform/Registry.h"

#include <QGuiApplication>

PassMode PassModeFor(const QString& stored)
{
    return stored.isEmpty() ? PassSetNew : PassVerify;
}

PassOkOutcome PassOk(PassMode mode, const QString& box0, const QString& box1, const QString& stored)
{
    PassOkOutcome out;
    out.next = mode;
    if (box0.isEmpty())
        return out;
    switch (mode) {
    case PassSetNew:
    case PassResetNew:
        if (box0 != box1) {
            out.messageKey = 723;
            break;
        }
        out.messageKey = mode == PassSetNew ? 721 : 722;
        out.store = box1;
        out.openFolderWindow = true;
        break;
    case PassVerify:
        if (box0 != stored)
            out.messageKey = 719;
        else
            out.openFolderWindow = true;
        break;
    case PassResetVerify:
        if (box0 != stored) {
            out.messageKey = 719;
            out.clearFirstBox = true;
        } else {
            out.next = PassResetNew;
            out.clearBothBoxes = true;
        }
        break;
    }
    return out;
}

QString WrongPasswordText()
{
    return Global::UiText.value(719) + Global::UiText.value(720);
}

namespace {
const QString kPassword = QStringLiteral("Password");
}

bool StorePassword(const QString& password)
{
    return RegStrSetExact(RegKeySystem, kPassword, password);
}

QString StoredPassword()
{
    return RegStrGet(RegKeySystem, kPassword);
}

bool CtrlAndShiftHeld()
{
    const Qt::KeyboardModifiers held =
        Global::KeyStateOverride ? Global::KeyStateOverride() : QGuiApplication::queryKeyboardModifiers();
    return (held & Qt::ControlModifier) && (held & Qt::ShiftModifier);
}

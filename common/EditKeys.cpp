#include "common/EditKeys.h"

bool KeyMarksEdit(int key, Qt::KeyboardModifiers modifiers)
{
    if (modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier))
        return false;
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return true;
    switch (key) {
    case Qt::Key_Space:
    case Qt::Key_Delete:
    case Qt::Key_Backspace:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return true;
    case Qt::Key_Asterisk:
    case Qt::Key_Plus:
    case Qt::Key_Minus:
    case Qt::Key_Period:
    case Qt::Key_Slash:
    case Qt::Key_Comma:
        return modifiers.testFlag(Qt::KeypadModifier);
    default:
        return false;
    }
}


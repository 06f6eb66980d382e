#pragma once
// Events as the window system delivers them, for tests that must tell a
// user's action from the program's own (a close by the window's close box
// arrives as a spontaneous close event; QWidget::close() sends one that is
// not).
#include <QWidget>
#include <QWindow>
#include <qpa/qwindowsysteminterface.h>

// Closes `window` as its close box does; true when the window accepted.
inline bool CloseBoxClick(QWidget* window)
{
    window->winId(); // the window needs its platform window to be closed
    return QWindowSystemInterface::handleCloseEvent<QWindowSystemInterface::SynchronousDelivery>(
        window->windowHandle());
}

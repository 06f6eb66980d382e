#pragma once
// A window's close request handed to its Form_QueryUnload(cancel, reason):
// a close the window system sends (the close box, the window menu) is the
// user's; one the program asks for with close() is the program's own.
#include "common/FrmMessWindow.h" // close reasons

#include <QCloseEvent>

// The close reason of `event`.
inline int CloseReason(const QCloseEvent* event)
{
    return event->spontaneous() ? vbFormControlMenu : vbFormCode;
}

// Asks `window` and accepts or refuses the close by its answer.
template <class Window> void RunQueryUnload(Window* window, QCloseEvent* event)
{
    bool cancel = false;
    window->Form_QueryUnload(cancel, CloseReason(event));
    if (cancel)
        event->ignore();
    else
        event->accept();
}

#include "common/Controls.h"

#include "common/MainWindowGlobals.h"

#include <QPoint>
#include <QWidget>

#include <optional>

void RegisterMainWindow(QWidget* window)
{
    Global::MainWindow = window;
    Global::MainControls.clear();
}

void RegisterMainControl(QObject* control)
{
    if (control)
        Global::MainControls.insert(control->objectName(), control);
}

void ForgetMainWindow(const QWidget* window)
{
    if (Global::MainWindow != window)
        return;
    Global::MainWindow = nullptr;
    Global::MainControls.clear();
}

QWidget* MainWindow()
{
    return Global::MainWindow.data();
}

namespace {

// Where the main window stood when it was last hidden, in the window
// system's terms (its frame's corner).
std::optional<QPoint> hiddenAt;

} // namespace

bool HideMainWindow()
{
    QWidget* main = MainWindow();
    if (!main || !main->isVisible())
        return false;
    hiddenAt = main->pos();
    main->hide();
    return true;
}

void ShowMainWindowAgain()
{
    QWidget* main = MainWindow();
    if (!main)
        return;
    main->show();
    if (hiddenAt) {
        main->move(*hiddenAt);
        hiddenAt.reset();
    }
}

QObject* MainControlObject(const QString& name)
{
    if (!Global::MainWindow)
        return nullptr;
    return Global::MainControls.value(name).data();
}

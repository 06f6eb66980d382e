#include "common/Controls.h"

#include "common/MainWindowGlobals.h"

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

QObject* MainControlObject(const QString& name)
{
    if (!Global::MainWindow)
        return nullptr;
    return Global::MainControls.value(name).data();
}

#pragma once
// The main window's controls by control name. The main window registers
// itself and every control it builds; the subsystems find the controls of
// their tabs here, so none of them needs the main window's class.
#include <QObject>
#include <QString>

class QWidget;

// Makes `window` the main window and forgets the controls of any earlier one.
void RegisterMainWindow(QWidget* window);
// Adds `control` under its objectName (element N of a control array: "Name_N").
void RegisterMainControl(QObject* control);
// Forgets `window` and its controls, if it is the registered main window.
void ForgetMainWindow(const QWidget* window);

// The main window; nullptr before it exists.
QWidget* MainWindow();
// Hides the main window (while the report window stands in for it) and
// keeps where it stood; false when it was not shown.
bool HideMainWindow();
// Shows the main window again where it stood when it was hidden: the window
// system would otherwise place it anew, shifted by its frame.
void ShowMainWindowAgain();
// A control of the main window by name; nullptr when there is none.
QObject* MainControlObject(const QString& name);
template <class T = QWidget> T* MainControl(const QString& name)
{
    return qobject_cast<T*>(MainControlObject(name));
}

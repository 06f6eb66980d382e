#pragma once
// Controls made with their control name as objectName, shared by the
// windows that build the same kinds of control.
#include <QLabel>
#include <QString>

class QPushButton;
class QWidget;

namespace ControlMakers {

template <class T> T* make(const QString& name, QWidget* parent)
{
    auto* w = new T(parent);
    w->setObjectName(name);
    return w;
}

// A caption label.
QLabel* newCaption(const QString& name, QWidget* parent);
// A label that shows a value: sunken and white, like a read-only box.
QLabel* newValue(const QString& name, QWidget* parent, int minWidth = 0);
// A button in a colour of its own (a Windows colour value 0x00BBGGRR).
void paintButton(QPushButton* b, quint32 color);

} // namespace ControlMakers

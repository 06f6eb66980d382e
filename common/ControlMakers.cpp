#include "common/ControlMakers.h"

#include "platform/FlexGrid.h"

#include <QPushButton>

namespace ControlMakers {

QLabel* newCaption(const QString& name, QWidget* parent)
{
    auto* l = make<QLabel>(name, parent);
    l->setTextFormat(Qt::PlainText);
    return l;
}

QLabel* newValue(const QString& name, QWidget* parent, int minWidth)
{
    auto* l = newCaption(name, parent);
    l->setFrameShape(QFrame::StyledPanel);
    l->setFrameShadow(QFrame::Sunken);
    l->setAutoFillBackground(true);
    l->setBackgroundRole(QPalette::Base);
    l->setMargin(1);
    if (minWidth > 0)
        l->setMinimumWidth(minWidth);
    return l;
}

void paintButton(QPushButton* b, quint32 color)
{
    QPalette pal = b->palette();
    pal.setColor(QPalette::Button, ColorFromValue(color));
    b->setPalette(pal);
    b->setAutoFillBackground(true);
}

} // namespace ControlMakers

#include "report/Swatch.h"

#include "platform/FlexGrid.h"

#include <QMouseEvent>

Swatch::Swatch(const QString& name, QWidget* parent) : QFrame(parent)
{
    setObjectName(name);
    setFrameShape(QFrame::Box);
    setLineWidth(1);
    setAutoFillBackground(true);
}

void Swatch::setBackColor(std::uint32_t color)
{
    colour = color;
    hasColour = true;
    QPalette pal = palette();
    pal.setColor(QPalette::Window, ColorFromValue(color));
    setPalette(pal);
}

void Swatch::mouseDoubleClickEvent(QMouseEvent* event)
{
    event->accept();
    if (onDoubleClick)
        onDoubleClick();
}

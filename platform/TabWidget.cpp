#include "platform/TabWidget.h"

#include <QEvent>
#include <QStackedWidget>
#include <QTabBar>

#include <array>

TabWidget::TabWidget(QWidget* parent) : QTabWidget(parent) {}

bool TabWidget::event(QEvent* event)
{
    if (event->type() != QEvent::LayoutRequest || !isVisible() || !updatesEnabled())
        return QTabWidget::event(event);

    // The parts the layout places; the frame is drawn around them.
    const auto parts = [this] {
        const auto* stack = findChild<QStackedWidget*>(QString(), Qt::FindDirectChildrenOnly);
        const QWidget* left = cornerWidget(Qt::TopLeftCorner);
        const QWidget* right = cornerWidget(Qt::TopRightCorner);
        return std::array<QRect, 4>{tabBar()->geometry(), stack ? stack->geometry() : QRect(),
                                    left && left->isVisible() ? left->geometry() : QRect(),
                                    right && right->isVisible() ? right->geometry() : QRect()};
    };
    const auto before = parts();
    // The layout still runs and still tells the parent of a changed size
    // hint; only the repaint of the whole widget is held back.
    setAttribute(Qt::WA_UpdatesDisabled, true);
    const bool handled = QTabWidget::event(event);
    setAttribute(Qt::WA_UpdatesDisabled, false);
    if (parts() != before)
        update();
    return handled;
}

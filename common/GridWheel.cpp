#include "common/GridWheel.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QPointer>
#include <QScrollBar>
#include <QWheelEvent>

#include <vector>

namespace {

const char* const kFilterName = "HFGSubClassDefProc";

// Every part of the grid the wheel can be turned over: its cells and its
// scroll bars (one window to the user; a table's header hands its wheel on
// to the cells by itself).
std::vector<QWidget*> wheelTargets(QAbstractScrollArea* grid)
{
    return {grid->viewport(), grid->verticalScrollBar(), grid->horizontalScrollBar()};
}

// Turns each wheel event over the hooked grid into one line of scrolling,
// then lets the event go on to the grid as if there were no hook.
class GridWheelFilter : public QObject {
  public:
    explicit GridWheelFilter(QAbstractScrollArea* g) : QObject(g), grid(g)
    {
        setObjectName(kFilterName);
        for (QWidget* w : wheelTargets(g))
            if (w) {
                w->installEventFilter(this);
                watched.emplace_back(w);
            }
    }
    ~GridWheelFilter() override
    {
        for (const auto& w : watched)
            if (w)
                w->removeEventFilter(this);
    }

    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::Wheel)
            return false;
        const auto* wheel = static_cast<QWheelEvent*>(event);
        QPoint angle = wheel->angleDelta();
        // With Alt held the system hands the vertical wheel over as a
        // horizontal one; it is still the wheel.
        if (wheel->modifiers().testFlag(Qt::AltModifier))
            angle = angle.transposed();
        const int delta = angle.y();
        // A sideways tilt is another message; only the vertical wheel scrolls.
        if (delta == 0)
            return false;
        QScrollBar* bar = grid->verticalScrollBar();
        if (bar && bar->isVisible() && bar->maximum() > bar->minimum())
            bar->triggerAction(delta > 0 ? QAbstractSlider::SliderSingleStepSub
                                         : QAbstractSlider::SliderSingleStepAdd);
        // Passed on: the grid itself does nothing with the wheel.
        return false;
    }

  private:
    QAbstractScrollArea* grid;
    std::vector<QPointer<QWidget>> watched;
};

GridWheelFilter* filterOf(const QAbstractScrollArea* grid)
{
    return grid ? grid->findChild<GridWheelFilter*>(QLatin1String(kFilterName), Qt::FindDirectChildrenOnly)
                : nullptr;
}

} // namespace

bool HookGridWheel(QAbstractScrollArea* grid)
{
    if (!grid)
        return false;
    if (filterOf(grid))
        return true;
    new GridWheelFilter(grid);
    return true;
}

bool UnhookGridWheel(QAbstractScrollArea* grid)
{
    if (!grid)
        return false;
    delete filterOf(grid);
    return true;
}

bool IsGridWheelHooked(const QAbstractScrollArea* grid)
{
    return filterOf(grid) != nullptr;
}

std::int32_t HiWord(std::int32_t value)
{
    return value / 65536;
}

std::int32_t LoWord(std::int32_t value)
{
    return value % 65536;
}

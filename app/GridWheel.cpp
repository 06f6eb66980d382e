#include "app/GridWheel.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QScrollBar>
#include <QWheelEvent>

namespace {

const char* const kFilterName = "HFGSubClassDefProc";

// Turns each wheel event over the hooked grid into one line of scrolling.
class GridWheelFilter : public QObject {
  public:
    explicit GridWheelFilter(QAbstractScrollArea* g) : QObject(g), grid(g) { setObjectName(kFilterName); }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Wheel)
            return false;
        const auto* wheel = static_cast<QWheelEvent*>(event);
        const int delta = wheel->angleDelta().y();
        // A sideways tilt is another message; only the vertical wheel scrolls.
        if (delta == 0)
            return false;
        QScrollBar* bar = grid->verticalScrollBar();
        if (bar && bar->isVisible() && bar->maximum() > bar->minimum())
            bar->triggerAction(delta > 0 ? QAbstractSlider::SliderSingleStepSub
                                         : QAbstractSlider::SliderSingleStepAdd);
        return true;
    }

  private:
    QAbstractScrollArea* grid;
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
    auto* f = new GridWheelFilter(grid);
    grid->viewport()->installEventFilter(f);
    return true;
}

bool UnhookGridWheel(QAbstractScrollArea* grid)
{
    if (!grid)
        return false;
    if (auto* f = filterOf(grid)) {
        grid->viewport()->removeEventFilter(f);
        delete f;
    }
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

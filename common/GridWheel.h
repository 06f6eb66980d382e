#pragma once
// Mouse-wheel scrolling of the main window's list grids. The grids do not
// scroll by the wheel on their own; the main window hooks the one list its
// tab shows, and while hooked every wheel notch over that list scrolls it by
// exactly one line (when it shows a vertical scroll bar), whatever the size
// of the notch's delta. The hook is an event filter on the grid's viewport.
#include <cstdint>

class QAbstractScrollArea;

// Hooks the grid's wheel; true when the grid is hooked afterwards. Hooking
// a grid that is hooked already leaves it hooked once.
bool HookGridWheel(QAbstractScrollArea* grid);
// Removes the hook; true when the grid is not hooked afterwards (also when
// it never was).
bool UnhookGridWheel(QAbstractScrollArea* grid);
// True while the grid's wheel is hooked.
bool IsGridWheelHooked(const QAbstractScrollArea* grid);

// The high and low word of a 32-bit message parameter as the program
// computes them: the integer quotient by 65536 (toward zero) and the
// remainder with the sign of the value.
std::int32_t HiWord(std::int32_t value);
std::int32_t LoWord(std::int32_t value);

#pragma once
// What the lists with an in-place edit box share (the measurement list and
// the instrument-data list): the pointer kept in twips, and the edit box
// opened over the cell under the pointer.
#include <QPoint>
#include <QString>

#include <cstdint>
#include <functional>

class FlexGrid;
class QLineEdit;

// The pointer moved to `pos` (the grid's own pixels): `x` and `y` take it in
// twips, each rounded to a whole number. When it moved and the main window
// is the active window, the grid takes the focus (the wheel acts on the
// window with the focus). A position beyond a whole number changes nothing.
void TrackGridPointer(FlexGrid* grid, QPoint pos, std::int32_t& x, std::int32_t& y);

// Opens `box` over the cell of `row` in the first of columns 0 to
// `columns` - 1 whose span holds `xTwips` (the lower column where two
// touch): that column becomes the grid's current one, the grid takes no
// input until the box closes, and the box shows textOf(column) all
// selected, with the focus. Returns the column; -1 when the pointer is over
// none of them, and nothing changes.
int OpenGridEditBox(FlexGrid* grid, QLineEdit* box, int row, std::int32_t xTwips, int columns,
                    const std::function<QString(int)>& textOf);

// The keys of an in-place edit box: Enter runs onKey(13) and Esc onKey(27),
// neither reaching the box; every other key is the box's own. The box
// losing the focus (a click elsewhere, Tab, another window, being hidden)
// runs onFocusLost; its own context menu does not count.
void WatchEditBoxKeys(QLineEdit* box, std::function<void(int keyAscii)> onKey, std::function<void()> onFocusLost);

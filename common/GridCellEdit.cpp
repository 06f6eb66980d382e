#include "common/GridCellEdit.h"

#include "common/MainWindowGlobals.h"
#include "platform/AppError.h"
#include "platform/FlexGrid.h"
#include "platform/NumText.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>

namespace {

class EditBoxKeys : public QObject {
  public:
    EditBoxKeys(QObject* parent, std::function<void(int)> onKey, std::function<void()> onFocusLost)
        : QObject(parent), onKey(std::move(onKey)), onFocusLost(std::move(onFocusLost))
    {
    }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
                onKey(key == Qt::Key_Escape ? 27 : 13);
                return true;
            }
        } else if (event->type() == QEvent::FocusOut &&
                   static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
            // The box's own context menu (cut, copy, paste) is no leaving.
            onFocusLost();
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    std::function<void(int)> onKey;
    std::function<void()> onFocusLost;
};

} // namespace

void WatchEditBoxKeys(QLineEdit* box, std::function<void(int keyAscii)> onKey, std::function<void()> onFocusLost)
{
    if (box)
        box->installEventFilter(new EditBoxKeys(box, std::move(onKey), std::move(onFocusLost)));
}

void TrackGridPointer(FlexGrid* grid, QPoint pos, std::int32_t& x, std::int32_t& y)
{
    if (!grid)
        return;
    std::int32_t nx = 0;
    std::int32_t ny = 0;
    try {
        nx = NumText::CLng(PixelsToTwipsX(pos.x(), grid));
        ny = NumText::CLng(PixelsToTwipsY(pos.y(), grid));
    } catch (const AppError&) {
        return;
    }
    if ((nx != x || ny != y) && Global::MainWindowHandle && QApplication::activeWindow() == Global::MainWindowHandle)
        grid->setFocus(Qt::MouseFocusReason);
    x = nx;
    y = ny;
}

int OpenGridEditBox(FlexGrid* grid, QLineEdit* box, int row, std::int32_t xTwips, int columns,
                    const std::function<QString(int)>& textOf)
{
    int column = -1;
    for (int i = 0; i < columns && i < grid->Cols(); ++i) {
        const QRect cell = grid->CellRect(row, i);
        const std::int32_t left = NumText::CLng(PixelsToTwipsX(cell.left(), grid));
        const std::int32_t width = NumText::CLng(PixelsToTwipsX(cell.width(), grid));
        if (left <= xTwips && xTwips <= left + width) {
            column = i;
            break;
        }
    }
    if (column < 0)
        return -1;
    grid->setCol(column);
    grid->setEnabled(false);
    const QRect cell = grid->CellRect(row, column);
    const QPoint at = box->parentWidget() ? grid->mapTo(box->parentWidget(), cell.topLeft()) : cell.topLeft();
    box->setGeometry(QRect(at, cell.size()));
    box->setText(textOf(column));
    box->show();
    box->raise();
    box->selectAll();
    box->setFocus();
    return column;
}

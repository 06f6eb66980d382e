#include "common/GridCellEdit.h"

#include "common/MainWindowGlobals.h"
#include "platform/AppError.h"
#include "platform/FlexGrid.h"
#include "platform/NumText.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>

namespace {

class EscapeFilter : public QObject {
  public:
    EscapeFilter(QObject* parent, std::function<void()> onEscape) : QObject(parent), onEscape(std::move(onEscape)) {}
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            onEscape();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    std::function<void()> onEscape;
};

} // namespace

void CloseOnEscape(QLineEdit* box, std::function<void()> onEscape)
{
    if (box)
        box->installEventFilter(new EscapeFilter(box, std::move(onEscape)));
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

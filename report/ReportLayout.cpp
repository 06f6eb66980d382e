#include "report/ReportLayout.h"

#include "platform/FlexGrid.h"

#include <QLabel>
#include <QVariant>

#include <algorithm>

namespace ReportLayout {

int X(const QWidget* w, double twips)
{
    return TwipsToPixelsX(twips, w);
}

int Y(const QWidget* w, double twips)
{
    return TwipsToPixelsY(twips, w);
}

void Place(QWidget* w, int left, int top, int width, int height)
{
    w->setGeometry(X(w, left), Y(w, top), std::max(1, X(w, width)), std::max(1, Y(w, height)));
}

Growth GrowAcross(int missing, int roomLeft, int roomRight, Qt::Alignment align)
{
    Growth g;
    if (align & Qt::AlignLeft) {
        g.right = std::min(missing, roomRight);
        g.left = std::min(missing - g.right, roomLeft);
    } else if (align & Qt::AlignRight) {
        g.left = std::min(missing, roomLeft);
        g.right = std::min(missing - g.left, roomRight);
    } else {
        g.left = std::min((missing + 1) / 2, roomLeft);
        g.right = std::min(missing - g.left, roomRight);
        g.left = std::min(missing - g.right, roomLeft);
    }
    return g;
}

void FitCaption(QLabel* caption)
{
    static const char* const kDesignedBox = "designedBox";
    static const char* const kDesignedFont = "designedFont";
    if (caption->wordWrap())
        return;
    if (!caption->property(kDesignedBox).isValid()) {
        caption->setProperty(kDesignedBox, caption->geometry());
        caption->setProperty(kDesignedFont, caption->font());
    }
    QRect box = caption->property(kDesignedBox).toRect();
    caption->setFont(caption->property(kDesignedFont).value<QFont>());
    caption->setGeometry(box);
    int missing = caption->sizeHint().width() - box.width();
    if (caption->text().isEmpty() || missing <= 0)
        return;

    // A caption keeps a pixel or two off its parent's edges (a frame's
    // border is drawn there).
    constexpr int kEdge = 2;
    int left = std::min(box.left(), kEdge);
    int right = caption->parentWidget() ? std::max(box.right() + 1, caption->parentWidget()->width() - kEdge)
                                        : box.right() + 1;
    if (const QWidget* parent = caption->parentWidget()) {
        for (const QObject* o : parent->children()) {
            const auto* w = qobject_cast<const QWidget*>(o);
            if (!w || w == caption || w->isHidden() || w->isWindow())
                continue;
            const QRect g = w->geometry();
            if (g.bottom() < box.top() || g.top() > box.bottom())
                continue;
            if (g.right() < box.left())
                left = std::max(left, g.right() + 1);
            else if (g.left() > box.right())
                right = std::min(right, g.left());
        }
    }
    const Growth grow = GrowAcross(missing, std::max(0, box.left() - left),
                                   std::max(0, right - box.right() - 1), caption->alignment());
    box.adjust(-grow.left, 0, grow.right, 0);
    caption->setGeometry(box);

    // What the room could not give, a smaller font gives.
    QFont font = caption->font();
    for (int step = 0; step < 20 && caption->sizeHint().width() > box.width(); ++step) {
        const double scale =
            std::clamp(double(box.width()) / std::max(1, caption->sizeHint().width()), 0.5, 0.97);
        font.setPointSizeF(std::max(1.0, font.pointSizeF() * scale));
        caption->setFont(font);
    }
}

} // namespace ReportLayout

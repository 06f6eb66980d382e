#include "measview/PlotPainter.h"

#include "platform/FlexGrid.h"

#include <QFontMetricsF>
#include <QLabel>
#include <QPainter>
#include <QPen>
#include <QPixmap>

#include <vector>

namespace {

bool IsCurve(const PlotItem& it)
{
    return it.kind == PlotItem::IvSegment || it.kind == PlotItem::PvSegment;
}

// The items in drawing order: the model's, except that the segments of one
// curve come as its I-V segments, then its P-V segments (the P-V view makes
// them one of each by turns), so that each is drawn as one run of lines.
std::vector<std::size_t> DrawingOrder(const std::vector<PlotItem>& items)
{
    std::vector<std::size_t> order;
    order.reserve(items.size());
    std::vector<std::size_t> pv;
    for (std::size_t k = 0; k < items.size();) {
        if (!IsCurve(items[k])) {
            order.push_back(k++);
            continue;
        }
        const int curve = items[k].curve;
        for (; k < items.size() && IsCurve(items[k]) && items[k].curve == curve; ++k)
            (items[k].kind == PlotItem::PvSegment ? pv : order).push_back(k);
        order.insert(order.end(), pv.begin(), pv.end());
        pv.clear();
    }
    return order;
}

} // namespace

void PaintPlot(QPainter& painter, const PlotModel& model, const QRectF& target, double penScale)
{
    if (!model.framed || model.scaleWidth <= 0 || model.scaleHeight <= 0 || target.isEmpty())
        return;
    const double sx = target.width() / model.scaleWidth;
    const double sy = target.height() / model.scaleHeight;
    auto map = [&](QPointF p) { return QPointF(target.left() + p.x() * sx, target.top() + p.y() * sy); };

    painter.save();
    const QFontMetricsF fm(painter.font(), painter.device());
    // Runs of lines in one pen are drawn in one call.
    std::vector<QLineF> run;
    const std::vector<std::size_t> order = DrawingOrder(model.items);
    for (std::size_t at = 0; at < order.size(); ++at) {
        const PlotItem& it = model.items[order[at]];
        if (it.isText()) {
            if (it.text.isEmpty())
                continue;
            painter.setPen(ColorFromValue(it.color));
            painter.drawText(map(it.from) + QPointF(0, fm.ascent()), it.text);
            continue;
        }
        run.emplace_back(map(it.from), map(it.to));
        const PlotItem* next = at + 1 < order.size() ? &model.items[order[at + 1]] : nullptr;
        if (next && !next->isText() && next->color == it.color && next->penWidth == it.penWidth &&
            IsCurve(*next) == IsCurve(it))
            continue;
        // The frame stays crisp on the pixel grid; the curves are smoothed.
        // A curve's segments end square: the squares close the joins as
        // round ends would, but a square-ended line is filled directly,
        // where a round end is first outlined and flattened, at every point
        // of every curve.
        const bool curve = IsCurve(it);
        painter.setRenderHint(QPainter::Antialiasing, curve);
        QPen pen(ColorFromValue(it.color));
        pen.setWidthF(it.penWidth * penScale);
        pen.setCapStyle(curve ? Qt::SquareCap : Qt::RoundCap);
        painter.setPen(pen);
        painter.drawLines(run.data(), int(run.size()));
        run.clear();
    }
    painter.restore();
}

PlotSurface FontSurface(const QFont& font, const QSizeF& size, QPaintDevice* device)
{
    PlotSurface s;
    s.size = size;
    const QFontMetricsF fm(font, device);
    s.textSize = [fm](const QString& t) { return QSizeF(fm.horizontalAdvance(t), fm.height()); };
    return s;
}

PlotSurface PictureSurface(const QWidget* picture)
{
    if (!picture)
        return {};
    return FontSurface(picture->font(), picture->contentsRect().size());
}

void ClearPicture(QLabel* picture)
{
    if (picture)
        picture->clear();
}

void ShowPlot(QLabel* picture, const PlotModel& model)
{
    if (!picture)
        return;
    picture->clear();
    const QSize size = picture->contentsRect().size();
    if (!model.framed || size.isEmpty())
        return;
    QPixmap pixmap(size);
    pixmap.fill(picture->palette().color(picture->backgroundRole()));
    QPainter painter(&pixmap);
    painter.setFont(picture->font());
    PaintPlot(painter, model, QRectF(QPointF(0, 0), QSizeF(size)));
    painter.end();
    picture->setPixmap(pixmap);
}

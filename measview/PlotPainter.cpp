#include "measview/PlotPainter.h"

#include "measview/Parallel.h"
#include "platform/FlexGrid.h"

#include <QFontMetricsF>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPen>
#include <QPixmap>

#include <algorithm>
#include <limits>
#include <vector>

namespace {

bool IsCurve(const PlotItem& it)
{
    return it.kind == PlotItem::IvSegment || it.kind == PlotItem::PvSegment;
}

// Curve segments from which a picture is painted in bands, and the fewest
// rows of a band.
constexpr std::ptrdiff_t ManySegments = 20000;
constexpr int MinBandRows = 24;

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

// One call of the drawing, in the painter's coordinates: a text with its
// top left corner, or a run of lines in one pen.
struct Stroke {
    const QString* text = nullptr;
    QPointF at;
    quint32 color = 0;
    int penWidth = 1;
    bool curve = false;
    std::vector<QLineF> lines;
};

// The model mapped onto `target`, as the calls that draw it (none for a
// model without a frame). Runs of lines in one pen are one call.
std::vector<Stroke> Strokes(const PlotModel& model, const QRectF& target)
{
    std::vector<Stroke> strokes;
    if (!model.framed || model.scaleWidth <= 0 || model.scaleHeight <= 0 || target.isEmpty())
        return strokes;
    const double sx = target.width() / model.scaleWidth;
    const double sy = target.height() / model.scaleHeight;
    auto map = [&](QPointF p) { return QPointF(target.left() + p.x() * sx, target.top() + p.y() * sy); };
    std::vector<QLineF> run;
    const std::vector<std::size_t> order = DrawingOrder(model.items);
    for (std::size_t at = 0; at < order.size(); ++at) {
        const PlotItem& it = model.items[order[at]];
        if (it.isText()) {
            if (!it.text.isEmpty())
                strokes.push_back({&it.text, map(it.from), it.color, 0, false, {}});
            continue;
        }
        run.emplace_back(map(it.from), map(it.to));
        const PlotItem* next = at + 1 < order.size() ? &model.items[order[at + 1]] : nullptr;
        if (next && !next->isText() && next->color == it.color && next->penWidth == it.penWidth &&
            IsCurve(*next) == IsCurve(it))
            continue;
        strokes.push_back({nullptr, QPointF(), it.color, it.penWidth, IsCurve(it), std::move(run)});
        run = {};
    }
    return strokes;
}

// Paints `strokes`, leaving out what cannot reach the rows from `top` to
// `bottom` (painter coordinates).
void PaintStrokes(QPainter& painter, const std::vector<Stroke>& strokes, double penScale,
                  double top = -std::numeric_limits<double>::infinity(),
                  double bottom = std::numeric_limits<double>::infinity())
{
    painter.save();
    const QFontMetricsF fm(painter.font(), painter.device());
    std::vector<QLineF> kept;
    for (const Stroke& s : strokes) {
        if (s.text) {
            if (s.at.y() - 2 > bottom || s.at.y() + fm.height() + 2 < top)
                continue;
            painter.setPen(ColorFromValue(s.color));
            painter.drawText(s.at + QPointF(0, fm.ascent()), *s.text);
            continue;
        }
        const double reach = s.penWidth * penScale + 2;
        kept.clear();
        for (const QLineF& l : s.lines)
            if (std::max(l.y1(), l.y2()) + reach >= top && std::min(l.y1(), l.y2()) - reach <= bottom)
                kept.push_back(l);
        if (kept.empty())
            continue;
        // The frame stays crisp on the pixel grid; the curves are smoothed.
        // A curve's segments end square: the squares close the joins as
        // round ends would, but a square-ended line is filled directly,
        // where a round end is first outlined and flattened, at every point
        // of every curve.
        painter.setRenderHint(QPainter::Antialiasing, s.curve);
        QPen pen(ColorFromValue(s.color));
        pen.setWidthF(s.penWidth * penScale);
        pen.setCapStyle(s.curve ? Qt::SquareCap : Qt::RoundCap);
        painter.setPen(pen);
        painter.drawLines(kept.data(), int(kept.size()));
    }
    painter.restore();
}

} // namespace

void PaintPlot(QPainter& painter, const PlotModel& model, const QRectF& target, double penScale)
{
    PaintStrokes(painter, Strokes(model, target), penScale);
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
    QImage image(size, QImage::Format_RGB32);
    image.fill(picture->palette().color(picture->backgroundRole()));
    const QFont font = picture->font();
    const std::vector<Stroke> strokes = Strokes(model, QRectF(QPointF(0, 0), QSizeF(size)));
    // Many curves (a whole history ticked) are painted in bands of the
    // picture side by side, each by its own painter over the one image,
    // clipped to its rows: every band paints what reaches its rows, in the
    // same coordinates, so the picture is the one a single painter gives
    // (but for the last levels of the smoothing at some curve edges).
    const auto curveSegments = std::count_if(model.items.begin(), model.items.end(), IsCurve);
    const int rowsPerBand = curveSegments >= ManySegments ? MinBandRows : size.height();
    uchar* const rows = image.bits();
    ParallelSlices(size.height(), rowsPerBand, [&](int top, int bottom) {
        QImage band(rows, image.width(), image.height(), image.bytesPerLine(), image.format());
        QPainter painter(&band);
        painter.setClipRect(QRect(0, top, image.width(), bottom - top));
        painter.setFont(QFont(font));
        PaintStrokes(painter, strokes, 1.0, top, bottom);
    });
    picture->setPixmap(QPixmap::fromImage(std::move(image)));
}

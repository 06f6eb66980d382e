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
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <mutex>
#include <utility>
#include <vector>

namespace {

// Items per thread below which one thread goes through them all.
constexpr int LinesPerSlice = 4096;

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

// `next`, drawn right after `it`, continues its run of lines in one pen.
bool SamePen(const PlotItem& it, const PlotItem& next)
{
    return !next.isText() && next.color == it.color && next.penWidth == it.penWidth && IsCurve(next) == IsCurve(it);
}

// The lines of a run, each made in place by the thread that maps it: a run
// of many curves holds a hundred thousand lines, not first zeroed by one
// thread.
class Lines {
  public:
    void allocate(std::size_t n)
    {
        bytes = std::make_unique_for_overwrite<std::byte[]>(n * sizeof(QLineF));
        count = n;
    }
    void set(std::size_t k, const QLineF& line) { new (bytes.get() + k * sizeof(QLineF)) QLineF(line); }
    const QLineF* data() const { return std::launder(reinterpret_cast<const QLineF*>(bytes.get())); }
    std::size_t size() const { return count; }

  private:
    std::unique_ptr<std::byte[]> bytes;
    std::size_t count = 0;
};

// One step of the drawing: a text, or a run of lines in one pen.
struct PlotStep {
    const PlotItem* text = nullptr;
    QPointF at; // a text's baseline start
    Lines lines;
    // Where each curve's lines begin in `lines` (curve runs only).
    std::vector<int> curveStarts;
    quint32 color = 0;
    double width = 1;
    bool curve = false;
};

std::vector<PlotStep> PlotSteps(const PlotModel& model, const QRectF& target, double penScale, double ascent)
{
    const double sx = target.width() / model.scaleWidth;
    const double sy = target.height() / model.scaleHeight;
    auto map = [&](QPointF p) { return QPointF(target.left() + p.x() * sx, target.top() + p.y() * sy); };
    // The items in drawing order: the model's own while it has no P-V
    // segments (empty `order`).
    std::vector<std::size_t> order;
    const std::size_t count = model.items.size();
    auto item = [&](std::size_t at) -> const PlotItem& { return model.items[order.empty() ? at : order[at]]; };

    // Where runs of lines in one pen and the lines of a curve begin, in
    // drawing order, marked side by side.
    enum : std::uint8_t { NewRun = 1, NewCurve = 2 };
    std::vector<std::uint8_t> marks(count);
    std::atomic<bool> pv{false};
    const auto mark = [&] {
        ParallelSlices(int(count), LinesPerSlice, [&](int begin, int end) {
            for (int at = begin; at < end; ++at) {
                const PlotItem& it = item(std::size_t(at));
                const PlotItem* before = at > 0 ? &item(std::size_t(at) - 1) : nullptr;
                const bool newRun = it.isText() || !before || before->isText() || !SamePen(*before, it);
                marks[std::size_t(at)] =
                    std::uint8_t((newRun ? NewRun : 0) |
                                 (IsCurve(it) && (newRun || it.curve != before->curve) ? NewCurve : 0));
                if (it.kind == PlotItem::PvSegment)
                    pv.store(true, std::memory_order_relaxed);
            }
        });
    };
    mark();
    if (pv) {
        order = DrawingOrder(model.items);
        mark();
    }

    // Each run of lines in one pen is one step, drawn in one call; where
    // its lines start in the drawing order.
    std::vector<PlotStep> steps;
    std::vector<std::size_t> runStarts;
    for (std::size_t at = 0; at < count;) {
        const PlotItem& it = item(at);
        if (it.isText()) {
            if (!it.text.isEmpty()) {
                PlotStep text;
                text.text = &it;
                text.at = map(it.from) + QPointF(0, ascent);
                text.color = it.color;
                steps.push_back(std::move(text));
                runStarts.push_back(at);
            }
            ++at;
            continue;
        }
        PlotStep run;
        run.color = it.color;
        run.width = it.penWidth * penScale;
        run.curve = IsCurve(it);
        std::size_t end = at;
        do {
            if (marks[end] & NewCurve)
                run.curveStarts.push_back(int(end - at));
            ++end;
        } while (end < count && !(marks[end] & NewRun));
        run.lines.allocate(end - at);
        steps.push_back(std::move(run));
        runStarts.push_back(at);
        at = end;
    }
    for (std::size_t r = 0; r < steps.size(); ++r) {
        Lines& lines = steps[r].lines;
        const std::size_t first = runStarts[r];
        ParallelSlices(int(lines.size()), LinesPerSlice, [&](int begin, int end) {
            for (int k = begin; k < end; ++k) {
                const PlotItem& it = item(first + std::size_t(k));
                lines.set(std::size_t(k), QLineF(map(it.from), map(it.to)));
            }
        });
    }
    return steps;
}

// Lines [from, to) of the run `step` in its pen.
void DrawLines(QPainter& painter, const PlotStep& step, int from, int to)
{
    // The frame stays crisp on the pixel grid; the curves are smoothed.
    // A curve's segments end square: the squares close the joins as round
    // ends would, but a square-ended line is filled directly, where a round
    // end is first outlined and flattened, at every point of every curve.
    painter.setRenderHint(QPainter::Antialiasing, step.curve);
    QPen pen(ColorFromValue(step.color));
    pen.setWidthF(step.width);
    pen.setCapStyle(step.curve ? Qt::SquareCap : Qt::RoundCap);
    painter.setPen(pen);
    painter.drawLines(step.lines.data() + from, to - from);
}

void DrawStep(QPainter& painter, const PlotStep& step)
{
    if (step.text) {
        painter.setPen(ColorFromValue(step.color));
        painter.drawText(step.at, step.text->text);
        return;
    }
    DrawLines(painter, step, 0, int(step.lines.size()));
}

// Lines of curves per layer below which one thread draws them all.
constexpr int LinesPerLayer = 2000;

// The curve runs steps[begin, end) drawn by `painter`, whose device is a
// picture of `size` in its own coordinates: the curves are split into
// consecutive groups, each drawn by a thread of its own onto a clear layer,
// and the painter lays the layers over the picture in their order. A layer
// laid over what lies below is the same as drawing its curves there (to a
// unit of colour where smoothed edges of curves of two layers cross), so the
// picture is the one a single painter makes, in a fraction of the time when
// many curves are ticked. A curve is never split between layers.
void DrawCurvesLayered(QPainter& painter, const QSize& size, const std::vector<PlotStep>& steps, std::size_t begin,
                       std::size_t end)
{
    struct Piece {
        std::size_t run; // index into steps
        int from;        // its lines [from, to)
        int to;
    };
    std::vector<Piece> pieces;
    std::size_t lines = 0;
    for (std::size_t r = begin; r < end; ++r) {
        const PlotStep& run = steps[r];
        for (std::size_t k = 0; k < run.curveStarts.size(); ++k)
            pieces.push_back(Piece{r, run.curveStarts[k],
                                   k + 1 < run.curveStarts.size() ? run.curveStarts[k + 1] : int(run.lines.size())});
        lines += run.lines.size();
    }
    const int perLayer = int(std::max<std::size_t>(1, pieces.size() * LinesPerLayer / std::max<std::size_t>(lines, 1)));

    std::vector<std::pair<int, QImage>> layers; // (first piece, layer)
    std::mutex layersLock;
    ParallelSlices(int(pieces.size()), perLayer, [&](int from, int to) {
        QImage layer(size, QImage::Format_ARGB32_Premultiplied);
        layer.fill(Qt::transparent);
        {
            QPainter p(&layer);
            // Pieces of one run that follow each other are drawn in one call.
            for (int k = from; k < to;) {
                int last = k;
                while (last + 1 < to && pieces[std::size_t(last + 1)].run == pieces[std::size_t(k)].run)
                    ++last;
                DrawLines(p, steps[pieces[std::size_t(k)].run], pieces[std::size_t(k)].from,
                          pieces[std::size_t(last)].to);
                k = last + 1;
            }
        }
        const std::lock_guard<std::mutex> hold(layersLock);
        layers.emplace_back(from, std::move(layer));
    });
    std::sort(layers.begin(), layers.end(), [](const auto& x, const auto& y) { return x.first < y.first; });
    for (const auto& [from, layer] : layers)
        painter.drawImage(QPointF(0, 0), layer);
}

// `layers`: the painter's device is an image of this size, unscaled, and
// long runs of curves may be drawn on layers of it (empty: never).
void PaintSteps(QPainter& painter, const std::vector<PlotStep>& steps, const QSize& layers)
{
    for (std::size_t k = 0; k < steps.size();) {
        std::size_t end = k;
        std::size_t lines = 0;
        while (end < steps.size() && steps[end].curve) {
            lines += steps[end].lines.size();
            ++end;
        }
        if (!layers.isEmpty() && lines > std::size_t(LinesPerLayer)) {
            DrawCurvesLayered(painter, layers, steps, k, end);
            k = end;
            continue;
        }
        DrawStep(painter, steps[k]);
        ++k;
    }
}

} // namespace

void PaintPlot(QPainter& painter, const PlotModel& model, const QRectF& target, double penScale)
{
    if (!model.framed || model.scaleWidth <= 0 || model.scaleHeight <= 0 || target.isEmpty())
        return;
    painter.save();
    const QFontMetricsF fm(painter.font(), painter.device());
    PaintSteps(painter, PlotSteps(model, target, penScale, fm.ascent()), QSize());
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
    if (model.scaleWidth > 0 && model.scaleHeight > 0) {
        QPainter painter(&pixmap);
        painter.setFont(picture->font());
        const QFontMetricsF fm(painter.font(), painter.device());
        // With many curves ticked, their lines are drawn side by side on
        // layers of the picture.
        PaintSteps(painter, PlotSteps(model, QRectF(QPointF(0, 0), QSizeF(size)), 1.0, fm.ascent()), size);
    }
    picture->setPixmap(pixmap);
}

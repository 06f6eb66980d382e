#include "report/PrintPage.h"

#include "measview/PlotPainter.h"
#include "platform/FlexGrid.h"
#include "platform/PrintJob.h"
#include "report/ReportLayout.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cmath>
#include <utility>

PageItem& PageModel::add(PageItem item)
{
    items.push_back(std::move(item));
    return items.back();
}

PageItem* PageModel::item(const QString& name)
{
    for (PageItem& it : items)
        if (it.name == name)
            return &it;
    return nullptr;
}

const PageItem* PageModel::item(const QString& name) const
{
    return const_cast<PageModel*>(this)->item(name);
}

QString PageModel::text(const QString& name) const
{
    const PageItem* it = item(name);
    return it ? it->text : QString();
}

bool PageModel::shown(const QString& name) const
{
    const PageItem* it = item(name);
    return it && it->visible;
}

QSize SheetTwips(QPageLayout::Orientation orientation)
{
    const QSize portrait(11906, 16838); // 210 by 297 mm
    return orientation == QPageLayout::Portrait ? portrait : portrait.transposed();
}

namespace {

QFont FontOf(const PageFont& f)
{
    QFont font = ProgramFont(f.family, f.points);
    font.setBold(f.bold);
    font.setItalic(f.italic);
    return font;
}

// A picture of one pixel at 1440 dots per inch: fonts measured on it give
// their sizes in twips.
QPaintDevice* TwipsDevice()
{
    static QImage device = [] {
        QImage d(1, 1, QImage::Format_RGB32);
        const int dpm = int(1440 / 0.0254 + 0.5);
        d.setDotsPerMeterX(dpm);
        d.setDotsPerMeterY(dpm);
        return d;
    }();
    return &device;
}

QString PlainLines(QString text)
{
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
}

// A text item's inner margin on each side, and where a frame's title starts
// and how much it adds around its text.
constexpr int kTextMargin = 30;
constexpr int kTitleIndent = 90;
constexpr int kTitlePadding = 60;

// The widest line of `text` in `font` on `device`, in twips.
double TextWidthTwips(const QString& text, const QFont& font, QPaintDevice* device, double sx)
{
    const QFontMetricsF fm(font, device);
    double w = 0;
    for (const QString& line : text.split(u'\n'))
        w = std::max(w, fm.horizontalAdvance(line));
    return w / sx;
}

bool Draws(const PageItem& it)
{
    return it.visible && (it.kind != PageItem::Text || !it.text.isEmpty());
}

// The span across that a drawn item takes on its line: a text that fits
// its box (and so never grows) takes only the span of its text and its
// margins; anything else takes its whole box.
std::pair<int, int> SpanTaken(const PageItem& it, QPaintDevice* device, double sx)
{
    const int left = it.twips.left();
    const int right = left + it.twips.width();
    if (it.kind != PageItem::Text || it.border || it.wrap || it.backColor)
        return {left, right};
    const int width =
        int(std::ceil(TextWidthTwips(PlainLines(it.text), FontOf(it.font), device, sx))) + 2 * kTextMargin;
    if (width >= it.twips.width())
        return {left, right};
    if (it.align & Qt::AlignLeft)
        return {left, left + width};
    if (it.align & Qt::AlignRight)
        return {right - width, right};
    const int centre = left + it.twips.width() / 2;
    return {centre - width / 2, centre + (width + 1) / 2};
}

// The room a text may grow into across: from the innermost frame around it
// (else the page's frame) to what the nearest drawn items on its line take.
std::pair<int, int> RoomAcross(const PageModel& page, const PageItem& item, QPaintDevice* device, double sx)
{
    const QRect r = item.twips;
    QRect around = page.frame.isValid() ? page.frame : QRect(QPoint(0, 0), SheetTwips(page.orientation));
    for (const PageItem& it : page.items)
        if (it.kind == PageItem::Frame && it.visible && it.twips.contains(r) && around.contains(it.twips))
            around = it.twips.adjusted(kTextMargin, 0, -kTextMargin, 0);
    int left = std::min(around.left(), r.left());
    int right = std::max(around.left() + around.width(), r.left() + r.width());
    for (const PageItem& it : page.items) {
        const QRect& o = it.twips;
        if (&it == &item || !Draws(it) || o.contains(r) || o.top() >= r.top() + r.height() ||
            r.top() >= o.top() + o.height())
            continue;
        if (o.left() + o.width() <= r.left())
            left = std::max(left, SpanTaken(it, device, sx).second);
        else if (o.left() >= r.left() + r.width())
            right = std::min(right, SpanTaken(it, device, sx).first);
    }
    return {left, right};
}

} // namespace

FittedText FitPageText(const PageModel& page, const PageItem& item, QPaintDevice* device, double sx)
{
    FittedText fit{item.twips, FontOf(item.font)};
    if (item.text.isEmpty() || item.wrap || (item.kind != PageItem::Text && item.kind != PageItem::Frame))
        return fit;
    const QString text = PlainLines(item.text);
    // Room for the text itself inside the box.
    const double around = item.kind == PageItem::Frame ? 2 * kTitleIndent + kTitlePadding : 2 * kTextMargin;
    double needed = TextWidthTwips(text, fit.font, device, sx) + around - item.twips.width();
    if (needed <= 0)
        return fit;

    if (item.kind == PageItem::Text && !item.border) {
        const auto [left, right] = RoomAcross(page, item, device, sx);
        QRect& r = fit.twips;
        const int missing = int(std::ceil(needed));
        const ReportLayout::Growth grow = ReportLayout::GrowAcross(
            missing, std::max(0, r.left() - left), std::max(0, right - (r.left() + r.width())), item.align);
        r.adjust(-grow.left, 0, grow.right, 0);
        needed -= grow.left + grow.right;
    }
    // Shrink the font until the text fits what the box could not give.
    const double room = fit.twips.width() - around;
    for (int step = 0; needed > 0 && step < 20; ++step) {
        const double width = TextWidthTwips(text, fit.font, device, sx);
        const double scale = std::clamp(room / std::max(width, 1.0), 0.1, 0.97);
        fit.font.setPointSizeF(std::max(1.0, fit.font.pointSizeF() * scale));
        needed = TextWidthTwips(text, fit.font, device, sx) - room;
    }
    return fit;
}

PlotSurface TwipsSurface(const PageFont& font, QSizeF sizeTwips)
{
    return FontSurface(FontOf(font), sizeTwips, TwipsDevice());
}

void PaintPage(QPainter& painter, const PageModel& page)
{
    QPaintDevice* device = painter.device();
    const double sx = device->logicalDpiX() / 1440.0;
    const double sy = device->logicalDpiY() / 1440.0;
    const QSize sheet = SheetTwips(page.orientation);
    const QRect frame = page.frame.isValid() ? page.frame : QRect(QPoint(0, 0), sheet);
    const QPointF offset((sheet.width() - frame.width()) / 2.0 - frame.left(),
                         (sheet.height() - frame.height()) / 2.0 - frame.top());
    auto map = [&](const QRect& t) {
        return QRectF((t.left() + offset.x()) * sx, (t.top() + offset.y()) * sy, t.width() * sx,
                      t.height() * sy);
    };
    // Lines are 15 twips (three quarters of a point) wide, at least one pixel.
    const double hairline = std::max(1.0, 15 * sx);

    painter.save();
    for (const PageItem& it : page.items) {
        if (!it.visible)
            continue;
        const FittedText fit = FitPageText(page, it, device, sx);
        const QRectF r = map(fit.twips);
        painter.setFont(fit.font);
        QPen pen(ColorFromValue(it.foreColor));
        pen.setWidthF(hairline);
        switch (it.kind) {
        case PageItem::Frame: {
            const QFontMetricsF fm(painter.font(), device);
            const double titleHalf = fm.height() / 2;
            // A frame is opaque: it covers what an earlier one drew there.
            painter.fillRect(r.adjusted(0, titleHalf, 0, 0), Qt::white);
            painter.setPen(pen);
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(r.adjusted(0, titleHalf, 0, 0));
            if (!it.text.isEmpty()) {
                const QRectF title(r.left() + kTitleIndent * sx, r.top(),
                                   fm.horizontalAdvance(it.text) + kTitlePadding * sx, fm.height());
                painter.fillRect(title, Qt::white);
                painter.drawText(title, Qt::AlignCenter, it.text);
            }
            break;
        }
        case PageItem::Image:
            if (!it.image.isNull())
                painter.drawImage(r, it.image);
            break;
        case PageItem::Plot:
            if (it.backColor)
                painter.fillRect(r, ColorFromValue(*it.backColor));
            if (page.plot)
                PaintPlot(painter, *page.plot, r, hairline);
            if (it.border) {
                painter.setPen(pen);
                painter.setBrush(Qt::NoBrush);
                painter.drawRect(r);
            }
            break;
        case PageItem::Box:
        case PageItem::Text:
            if (it.backColor)
                painter.fillRect(r, ColorFromValue(*it.backColor));
            if (it.border) {
                painter.setPen(pen);
                painter.setBrush(Qt::NoBrush);
                painter.drawRect(r);
            }
            if (it.kind == PageItem::Text && !it.text.isEmpty()) {
                painter.setPen(pen);
                const QRectF inner = r.adjusted(kTextMargin * sx, 0, -kTextMargin * sx, 0);
                painter.save();
                painter.setClipRect(r);
                painter.drawText(inner, int(it.align) | (it.wrap ? Qt::TextWordWrap : 0),
                                 PlainLines(it.text));
                painter.restore();
            }
            break;
        }
    }
    painter.restore();
}

void PrintPage(const PageModel& page)
{
    PrintJob::PrintSheet(page.jobName, page.orientation,
                         [&](QPainter& painter) { PaintPage(painter, page); });
}

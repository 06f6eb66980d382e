#include "report/PrintPage.h"

#include "measview/PlotPainter.h"
#include "platform/FlexGrid.h"
#include "platform/PrintJob.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QPen>

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

QRect Bounds(const PageModel& page)
{
    QRect r;
    for (const PageItem& it : page.items)
        r = r.united(it.twips);
    return r;
}

} // namespace

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
    const QRect bounds = Bounds(page);
    const QPointF offset((sheet.width() - bounds.width()) / 2.0 - bounds.left(),
                         (sheet.height() - bounds.height()) / 2.0 - bounds.top());
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
        const QRectF r = map(it.twips);
        painter.setFont(FontOf(it.font));
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
                const QRectF title(r.left() + 90 * sx, r.top(), fm.horizontalAdvance(it.text) + 60 * sx,
                                   fm.height());
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
                const QRectF inner = r.adjusted(30 * sx, 0, -30 * sx, 0);
                painter.save();
                painter.setClipRect(r);
                QString text = it.text;
                text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
                painter.drawText(inner, int(it.align) | (it.wrap ? Qt::TextWordWrap : 0), text);
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

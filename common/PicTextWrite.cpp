#include "common/PicTextWrite.h"

#include "platform/AppError.h"
#include "platform/FlexGrid.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QWidget>

#include <array>

namespace {

int measureWith(const QString& text, const void* context)
{
    return static_cast<const QFontMetrics*>(context)->horizontalAdvance(text);
}

} // namespace

QString PicTextWrap(const QString& text, int innerWidth, int (*measure)(const QString&, const void*),
                    const void* context)
{
    const QString source = u' ' + text;
    std::array<QString, 3> lines;
    int current = 0;
    const QString twoBlanks = QStringLiteral("  ");
    for (qsizetype i = 0; i < source.size(); ++i) {
        lines[std::size_t(current)] += source[i];
        if (measure(lines[std::size_t(current)], context) + measure(twoBlanks, context) >= innerWidth) {
            const bool last = i == source.size() - 1;
            if (!last && current != 2)
                lines[std::size_t(current)] += QStringLiteral("\r\n");
            ++current;
            if (current > 2)
                break;
            lines[std::size_t(current)] = QStringLiteral(" ");
        }
    }
    return lines[0] + lines[1] + lines[2];
}

void PicTextWrite(QWidget* form, int index, QString& text, quint32 textColor, quint32 backColor,
                  float fontSize, std::uint8_t mode)
{
    Guarded(QStringLiteral("PicTextWrite"), [&] {
        auto* box = form ? form->findChild<QLabel*>(QStringLiteral("PicText_%1").arg(index)) : nullptr;
        if (!box)
            throw AppError(340, QStringLiteral("Control array element '%1' doesn't exist").arg(index));

        // A fresh, persistent image in place of the old picture.
        box->clear();
        QFont font = box->font();
        font.setPointSizeF(fontSize);
        box->setFont(font);
        const QFontMetrics fm(font);
        const QRect inner = box->contentsRect();

        if (mode == 1)
            text = PicTextWrap(text, inner.width(), &measureWith, &fm);
        const QStringList lines = text.split(QStringLiteral("\r\n"));

        int textWidth = 0;
        for (const QString& l : lines)
            textWidth = std::max(textWidth, fm.horizontalAdvance(l));
        const int textHeight = fm.height() * int(lines.size());
        const int x = mode == 0 ? (inner.width() - textWidth) / 2 : 0;
        const int y = (inner.height() - textHeight) / 2;

        // The box itself takes both colours, so that the whole box shows the
        // background whatever its border does later.
        QPalette pal = box->palette();
        pal.setColor(box->backgroundRole(), ColorFromValue(backColor));
        pal.setColor(box->foregroundRole(), ColorFromValue(textColor));
        box->setPalette(pal);
        box->setAutoFillBackground(true);

        const qreal dpr = box->devicePixelRatioF();
        QPixmap image(inner.size() * dpr);
        image.setDevicePixelRatio(dpr);
        image.fill(ColorFromValue(backColor));
        QPainter p(&image);
        p.setFont(font);
        p.setPen(ColorFromValue(textColor));
        // A line break goes on at the box's left edge.
        for (int i = 0; i < lines.size(); ++i) {
            const int lx = i == 0 ? x : 0;
            p.drawText(QPoint(lx, y + i * fm.height() + fm.ascent()), lines[i]);
        }
        p.end();
        box->setPixmap(image);
    });
}

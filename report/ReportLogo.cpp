#include "report/ReportLogo.h"

#include "common/FileHelpers.h"
#include "customers/Pictures.h"
#include "platform/Registry.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace {

const QString kLogoValue = QStringLiteral("Logo");

} // namespace

QImage BuiltInLogo()
{
    QImage image(150, 30, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // A sun over a module: a disc and a few rays, then the program's name.
    const QColor sun(0xF5, 0xA6, 0x23);
    const QColor panel(0x1F, 0x4E, 0x8C);
    p.setPen(Qt::NoPen);
    p.setBrush(sun);
    p.drawEllipse(QPointF(15, 15), 7, 7);
    p.setPen(QPen(sun, 2, Qt::SolidLine, Qt::RoundCap));
    for (int k = 0; k < 8; ++k) {
        const double a = k * 3.14159265358979 / 4;
        p.drawLine(QPointF(15 + 9.5 * std::cos(a), 15 + 9.5 * std::sin(a)),
                   QPointF(15 + 13 * std::cos(a), 15 + 13 * std::sin(a)));
    }
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(17);
    f.setBold(true);
    p.setFont(f);
    p.setPen(panel);
    p.drawText(QRectF(34, 0, 114, 27), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Heliodex"));
    p.fillRect(QRectF(34, 26, 112, 2), sun);
    return image;
}

QSizeF LogoSizeTwips(const QImage& picture)
{
    constexpr double kTwipsPerPixel = 15;
    const QSizeF box(150 * kTwipsPerPixel, 30 * kTwipsPerPixel);
    const QSizeF size(picture.width() * kTwipsPerPixel, picture.height() * kTwipsPerPixel);
    if (size.isEmpty() || (size.width() <= box.width() && size.height() <= box.height()))
        return size;
    return size.scaled(box, Qt::KeepAspectRatio);
}

QString StoredLogoPath()
{
    return RegStrGet(RegKeySystem, kLogoValue);
}

QImage ReportLogo()
{
    const QString path = StoredLogoPath();
    if (!path.isEmpty() && !FileCheck(path).isEmpty()) {
        try {
            return ReadPicture(path);
        } catch (const AppError&) {
            // A spoilt file shows the built-in logo; it stays stored until
            // the user chooses or removes a logo.
        }
    }
    return BuiltInLogo();
}

LogoChoice ChooseLogoFile(const QString& path)
{
    LogoChoice c;
    if (path.isEmpty() || FileCheck(path).isEmpty()) {
        if (!RemoveLogo()) {
            c.error = AppError(75);
            return c;
        }
        c.kind = LogoChoice::BuiltIn;
        c.image = BuiltInLogo();
        return c;
    }
    try {
        c.image = ReadPicture(path);
    } catch (const AppError& e) {
        c.error = e.description == AppError::standardText(e.number) ? FileError(e.number, path) : e;
        return c;
    }
    if (!RegStrSet(RegKeySystem, kLogoValue, path)) {
        c.image = QImage();
        c.error = AppError(75);
        return c;
    }
    c.kind = LogoChoice::Chosen;
    return c;
}

bool RemoveLogo()
{
    return RegStrSet(RegKeySystem, kLogoValue, QString());
}

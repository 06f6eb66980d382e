// A picture box's plot with many curves, drawn side by side on layers, is
// the picture one painter draws curve after curve.
#include "PlotTestCurves.h"
#include "measview/PlotPainter.h"
#include "support/TestEnv.h"

#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPixmap>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

TEST(PlotPainter, ManyCurvesOnLayersMakeThePictureOfOnePainter)
{
    EnsureApp();
    // Overlapping curves in colours by turns, so that any curve drawn out of
    // its order shows where it crosses its neighbours.
    std::vector<MeasRecord> records;
    for (int c = 0; c < 120; ++c)
        records.push_back(ModuleCurve(5 + (c % 7) * 0.2, 300 + (c % 11) * 3));
    const quint32 colours[] = {0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF};
    std::vector<PlotCurve> curves;
    for (std::size_t c = 0; c < records.size(); ++c) {
        PlotCurve curve;
        curve.record = &records[c];
        curve.ivColor = colours[c % 4];
        curve.pvColor = colours[(c + 1) % 4];
        curves.push_back(curve);
    }
    PlotParams params;
    params.pvView = true;
    QLabel picture;
    picture.resize(360, 340);
    const PlotModel model = BuildPlot(curves, params, PictureSurface(&picture));
    ASSERT_TRUE(model.framed);

    ShowPlot(&picture, model);
    const QImage layered = picture.pixmap().toImage().convertToFormat(QImage::Format_ARGB32);

    const QSize size = picture.contentsRect().size();
    QPixmap one(size);
    one.fill(picture.palette().color(picture.backgroundRole()));
    {
        QPainter painter(&one);
        painter.setFont(picture.font());
        PaintPlot(painter, model, QRectF(QPointF(0, 0), QSizeF(size)));
    }
    const QImage single = one.toImage().convertToFormat(QImage::Format_ARGB32);

    ASSERT_EQ(layered.size(), single.size());
    const QRgb background = single.pixel(0, 0);
    int drawn = 0;
    int worst = 0;
    int apart = 0; // pixels more than 3 units apart
    for (int y = 0; y < single.height(); ++y)
        for (int x = 0; x < single.width(); ++x) {
            const QRgb a = layered.pixel(x, y);
            const QRgb b = single.pixel(x, y);
            if (b != background)
                ++drawn;
            const int d = std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                    std::abs(qBlue(a) - qBlue(b))});
            worst = std::max(worst, d);
            apart += d > 3 ? 1 : 0;
        }
    EXPECT_GT(drawn, 5000);
    // Where smoothed edges of curves on two layers cross, the colours round
    // a few units apart; a curve drawn out of its order would put another
    // colour on top where it crosses its neighbours, hundreds of pixels.
    EXPECT_LE(worst, 24);
    EXPECT_LT(apart, drawn / 100);
}

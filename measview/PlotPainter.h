#pragma once
// Paints a plot model (PlotEngine.h) onto any QPainter: a picture box's
// pixmap on screen, a printed page, a PDF.
#include "measview/PlotEngine.h"

#include <QRectF>

class QFont;
class QLabel;
class QPainter;
class QPaintDevice;
class QWidget;

// Paints `model` into `target` (painter coordinates): the model's user
// scale is stretched over the rectangle; texts are drawn unscaled in the
// painter's font with their top left corner at their mapped position. Pen
// widths are in device pixels times `penScale` (a printed page passes its
// pixels per screen pixel). A model without a frame paints nothing.
void PaintPlot(QPainter& painter, const PlotModel& model, const QRectF& target, double penScale = 1.0);

// A surface of `size` whose texts are measured in `font` on `device`
// (nullptr: the screen).
PlotSurface FontSurface(const QFont& font, const QSizeF& size, QPaintDevice* device = nullptr);
// The surface of a picture box: its inner rectangle and its font.
PlotSurface PictureSurface(const QWidget* picture);

// Clears a picture box (its drawing and text).
void ClearPicture(QLabel* picture);
// Shows `model` as the picture of `picture`, drawn over its background at
// the size of its inner rectangle; the drawing stays when the window
// repaints. A model without a frame leaves the picture cleared.
void ShowPlot(QLabel* picture, const PlotModel& model);

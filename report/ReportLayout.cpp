#include "report/ReportLayout.h"

#include "platform/FlexGrid.h"

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

} // namespace ReportLayout

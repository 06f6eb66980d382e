#pragma once
// A printed page as a model: items at their positions in twips (1440 to the
// inch) on the designed page, filled by plain code (report/PrintPages.h) and
// painted with QPainter onto a printer or a PDF, as vectors and real text.
#include "measview/PlotEngine.h"

#include <QFont>
#include <QImage>
#include <QPageLayout>
#include <QRect>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

class QPainter;
class QPaintDevice;

struct PageFont {
    // The Windows family (mapped to the fonts here by ProgramFont).
    QString family = QStringLiteral("MS Gothic");
    double points = 9;
    bool bold = false;
    bool italic = false;
};

struct PageItem {
    enum Kind : std::uint8_t {
        Text,  // a label: its text in its rectangle
        Frame, // a bordered frame with its title over the top border
        Box,   // a rectangle: a colour swatch, a stamp box, a photo's frame
        Image, // a picture stretched over its rectangle
        Plot,  // the page's plot (PageModel::plot) over its rectangle
    };
    Kind kind = Text;
    // The control it stands for, as the program names it (LblData_3).
    QString name;
    QRect twips;
    QString text;
    PageFont font;
    Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter;
    bool border = false;
    bool wrap = false;
    // Windows colour values (0x00BBGGRR); no back colour: transparent.
    std::uint32_t foreColor = 0;
    std::optional<std::uint32_t> backColor;
    bool visible = true;
    QImage image;
};

struct PageModel {
    QString jobName;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    // The designed page in twips: it is centred on the sheet, whatever its
    // items' extent (a picture never moves the page).
    QRect frame;
    std::vector<PageItem> items;
    // The drawing of the Plot item, in twips of its rectangle.
    std::optional<PlotModel> plot;

    PageItem& add(PageItem item);
    // The item named `name`; nullptr when there is none.
    PageItem* item(const QString& name);
    const PageItem* item(const QString& name) const;
    // Its text, empty when there is no such item.
    QString text(const QString& name) const;
    bool shown(const QString& name) const;
};

// The size of an A4 sheet in twips, across and down, in `orientation`.
QSize SheetTwips(QPageLayout::Orientation orientation);

// Paints the visible items of `page` in order onto the sheet that `painter`
// stands on (its top left corner at the device's origin): the page's frame
// is centred on the sheet. Every text is fitted to its box in the font
// measured on that device (FitPageText).
void PaintPage(QPainter& painter, const PageModel& page);

// Where a one-line text is wider than its box in the font really used,
// fits it whole: the box grows where the page leaves room beside it
// (towards the side its alignment leaves open, up to what the nearest items
// on its line print, a text that fits its own box only its text, or the
// edge of the frame around it; a bordered cell of a table never grows), and
// the font shrinks for that text alone for what is still missing. `device` measures the fonts; `sx` is its pixels per
// twip across. Wrapped texts wrap and are left as they are.
struct FittedText {
    QRect twips;
    QFont font;
};
FittedText FitPageText(const PageModel& page, const PageItem& item, QPaintDevice* device, double sx);

// Prints `page` as one job (platform/PrintJob.h); throws AppError.
void PrintPage(const PageModel& page);

// A plot surface of `sizeTwips` whose texts are measured in `font` in twips.
PlotSurface TwipsSurface(const PageFont& font, QSizeF sizeTwips);

#include "platform/FlexGrid.h"

#include "platform/AppError.h"

#include <QApplication>
#include <QGuiApplication>
#include <QHash>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPixmap>
#include <QPainter>
#include <QPalette>
#include <QScreen>
#include <QScrollBar>
#include <QStaticText>
#include <QStyleOptionSlider>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QWheelEvent>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <utility>
#include <vector>

// ---------------------------------------------------------------------------
// Units, colours, fonts

namespace {

constexpr double kTwipsPerInch = 1440.0;

double dpiX(const QWidget* w)
{
    if (w && w->screen())
        return w->screen()->logicalDotsPerInchX();
    if (auto* s = QGuiApplication::primaryScreen())
        return s->logicalDotsPerInchX();
    return 96.0;
}

double dpiY(const QWidget* w)
{
    if (w && w->screen())
        return w->screen()->logicalDotsPerInchY();
    if (auto* s = QGuiApplication::primaryScreen())
        return s->logicalDotsPerInchY();
    return 96.0;
}

Qt::Alignment toQt(int a)
{
    Qt::Alignment h = Qt::AlignLeft;
    Qt::Alignment v = Qt::AlignVCenter;
    switch (a) {
    case FlexGrid::flexAlignLeftTop:
        v = Qt::AlignTop;
        break;
    case FlexGrid::flexAlignLeftBottom:
        v = Qt::AlignBottom;
        break;
    case FlexGrid::flexAlignCenterTop:
        h = Qt::AlignHCenter;
        v = Qt::AlignTop;
        break;
    case FlexGrid::flexAlignCenterCenter:
        h = Qt::AlignHCenter;
        break;
    case FlexGrid::flexAlignCenterBottom:
        h = Qt::AlignHCenter;
        v = Qt::AlignBottom;
        break;
    case FlexGrid::flexAlignRightTop:
        h = Qt::AlignRight;
        v = Qt::AlignTop;
        break;
    case FlexGrid::flexAlignRightCenter:
        h = Qt::AlignRight;
        break;
    case FlexGrid::flexAlignRightBottom:
        h = Qt::AlignRight;
        v = Qt::AlignBottom;
        break;
    default:
        break;
    }
    return h | v;
}

int fromQt(Qt::Alignment a)
{
    int h = (a & Qt::AlignHCenter) ? 1 : (a & Qt::AlignRight) ? 2 : 0;
    int v = (a & Qt::AlignTop) ? 0 : (a & Qt::AlignBottom) ? 2 : 1;
    return h * 3 + v;
}

// A change of the table's shape (rows, columns, all items), which its view
// must hear even while a batch keeps the model's other signals from it.
class ShapeChange {
  public:
    explicit ShapeChange(QAbstractItemModel* model) : model(model), blocked(model->blockSignals(false)) {}
    ~ShapeChange() { model->blockSignals(blocked); }
    ShapeChange(const ShapeChange&) = delete;
    ShapeChange& operator=(const ShapeChange&) = delete;

  private:
    QAbstractItemModel* model;
    bool blocked;
};

} // namespace

int TwipsToPixelsX(double twips, const QWidget* w)
{
    return int(std::lround(twips * dpiX(w) / kTwipsPerInch));
}

int TwipsToPixelsY(double twips, const QWidget* w)
{
    return int(std::lround(twips * dpiY(w) / kTwipsPerInch));
}

double PixelsToTwipsX(double pixels, const QWidget* w)
{
    return pixels * kTwipsPerInch / dpiX(w);
}

double PixelsToTwipsY(double pixels, const QWidget* w)
{
    return pixels * kTwipsPerInch / dpiY(w);
}

QColor ColorFromValue(quint32 value)
{
    if (value & 0x80000000u) {
        const QPalette pal = QGuiApplication::palette();
        switch (value & 0xFFu) {
        case 0x05:
            return pal.color(QPalette::Base);
        case 0x08:
            return pal.color(QPalette::Text);
        case 0x0D:
            return pal.color(QPalette::Highlight);
        case 0x0E:
            return pal.color(QPalette::HighlightedText);
        case 0x0F:
            return pal.color(QPalette::Button);
        case 0x10:
            return pal.color(QPalette::Dark);
        case 0x12:
            return pal.color(QPalette::ButtonText);
        case 0x14:
            return pal.color(QPalette::Light);
        default:
            return pal.color(QPalette::Window);
        }
    }
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

quint32 ColorValue(const QColor& c)
{
    return quint32(c.red()) | (quint32(c.green()) << 8) | (quint32(c.blue()) << 16);
}

QFont ProgramFont(const QString& family, double pointSize)
{
    static const struct {
        const char16_t* windows;
        const char* here;
    } map[] = {
        {u"MS Gothic", "IPAGothic"},        {u"ＭＳ ゴシック", "IPAGothic"}, {u"MS PGothic", "IPAPGothic"},
        {u"ＭＳ Ｐゴシック", "IPAPGothic"}, {u"MS UI Gothic", "IPAPGothic"}, {u"MS Mincho", "IPAMincho"},
        {u"ＭＳ 明朝", "IPAMincho"},
    };
    QString name = family;
    for (const auto& m : map) {
        if (family.compare(QString::fromUtf16(m.windows), Qt::CaseInsensitive) == 0) {
            name = QString::fromLatin1(m.here);
            break;
        }
    }
    QFont f(name);
    f.setPointSizeF(pointSize);
    return f;
}

// ---------------------------------------------------------------------------
// The grid

namespace {

// A cell made with its first text, colours or tick, which it holds itself.
// A table item keeps its data in a list of its own, made and grown value by
// value and torn down value by value, and a list of 800 measurements makes
// and later drops 14,400 cells at every choice of a history. A value of the
// same kind set within a batch of its grid (which tells the view of every
// cell at its end) is held in the same way; any other goes the item's own
// way, with the table told of it, and from then on is read from there.
class FlexCell final : public QTableWidgetItem {
  public:
    // The item type that tells a FlexCell from any other item.
    static constexpr int CellType = QTableWidgetItem::UserType + 1;

    FlexCell() : QTableWidgetItem(CellType) {}

    // Before the cell is placed in a table.
    void holdText(const QString& t)
    {
        text = t;
        holding |= Text;
    }
    void holdColor(int role, const QColor& c)
    {
        (role == Qt::BackgroundRole ? back : fore) = c;
        holding |= role == Qt::BackgroundRole ? Back : Fore;
    }
    void holdCheck(Qt::CheckState state)
    {
        check = state;
        holding |= Check;
    }

    QTableWidgetItem* clone() const override { return new FlexCell(*this); }

    // What the cell shows when it holds its text and both colours itself
    // and has nothing more (no tick, icon, font or alignment of its own):
    // its text and colours. False otherwise.
    bool plainLook(const QString*& shown, QColor& backColor, QColor& foreColor) const
    {
        if ((holding & (Text | Back | Fore)) != (Text | Back | Fore) || (holding & Check))
            return false;
        for (int role : {int(Qt::CheckStateRole), int(Qt::DecorationRole), int(Qt::FontRole),
                         int(Qt::TextAlignmentRole)})
            if (QTableWidgetItem::data(role).isValid())
                return false;
        shown = &text;
        backColor = back;
        foreColor = fore;
        return true;
    }

    // The grid's own writers ask these first, sparing the variant and brush
    // each value costs on the item's way. True: the cell already held the
    // text or colour, or (within a batch) now holds it. False: it is to be
    // set the item's way.
    bool keepText(const QString& t) { return (holding & Text) && keep(text, t); }
    bool keepColor(int role, const QColor& c)
    {
        const std::uint8_t bit = bitOf(role);
        return (holding & bit) && (bit == Back || bit == Fore) && keep(bit == Back ? back : fore, c);
    }

    QVariant data(int role) const override
    {
        const std::uint8_t bit = bitOf(role);
        if (!(holding & bit))
            return QTableWidgetItem::data(role);
        switch (bit) {
        case Text:
            return text;
        case Back:
            return QBrush(back);
        case Fore:
            return QBrush(fore);
        default:
            return int(check);
        }
    }

    void setData(int role, const QVariant& value) override
    {
        const std::uint8_t bit = bitOf(role);
        if (holding & bit) {
            // The same value again changes nothing, as with any item.
            if (holdsSame(bit, value))
                return;
            if (inBatch() && holdInPlace(bit, value))
                return;
            holding &= std::uint8_t(~bit);
            if (bit == Text)
                text = QString();
        }
        QTableWidgetItem::setData(role, value);
    }

  private:
    enum : std::uint8_t { Text = 1, Back = 2, Fore = 4, Check = 8 };

    static std::uint8_t bitOf(int role)
    {
        switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return Text;
        case Qt::BackgroundRole:
            return Back;
        case Qt::ForegroundRole:
            return Fore;
        case Qt::CheckStateRole:
            return Check;
        default:
            return 0;
        }
    }

    // `held` already is `value`, or (within a batch) becomes it.
    template <typename T>
    bool keep(T& held, const T& value)
    {
        if (held == value)
            return true;
        if (!inBatch())
            return false;
        held = value;
        return true;
    }

    bool inBatch() const
    {
        const auto* grid = static_cast<const FlexGrid*>(tableWidget());
        return grid && grid->InBatch();
    }

    // `value` is the one held for `bit`.
    bool holdsSame(std::uint8_t bit, const QVariant& value) const
    {
        if (bit == Text && value.metaType() == QMetaType::fromType<QString>())
            return text == *static_cast<const QString*>(value.constData());
        if ((bit == Back || bit == Fore) && value.metaType() == QMetaType::fromType<QBrush>()) {
            const auto& brush = *static_cast<const QBrush*>(value.constData());
            return brush.style() == Qt::SolidPattern && brush.transform().isIdentity() &&
                   brush.color() == (bit == Back ? back : fore);
        }
        return data(bitRole(bit)) == value;
    }

    static int bitRole(std::uint8_t bit)
    {
        switch (bit) {
        case Text:
            return Qt::DisplayRole;
        case Back:
            return Qt::BackgroundRole;
        case Fore:
            return Qt::ForegroundRole;
        default:
            return Qt::CheckStateRole;
        }
    }

    // A value of the kind held, kept in place.
    bool holdInPlace(std::uint8_t bit, const QVariant& value)
    {
        switch (bit) {
        case Text:
            if (value.metaType() != QMetaType::fromType<QString>())
                return false;
            text = value.toString();
            return true;
        case Back:
        case Fore: {
            if (value.metaType() != QMetaType::fromType<QBrush>())
                return false;
            const auto& brush = *static_cast<const QBrush*>(value.constData());
            if (brush.style() != Qt::SolidPattern || !brush.transform().isIdentity())
                return false;
            (bit == Back ? back : fore) = brush.color();
            return true;
        }
        default:
            if (value.metaType() != QMetaType::fromType<int>())
                return false;
            check = Qt::CheckState(value.toInt());
            return true;
        }
    }

    QString text;
    QColor back;
    QColor fore;
    Qt::CheckState check = Qt::Unchecked;
    std::uint8_t holding = 0;
};

FlexCell* AsFlexCell(const QTableWidgetItem* it)
{
    return it && it->type() == FlexCell::CellType ? static_cast<FlexCell*>(const_cast<QTableWidgetItem*>(it))
                                                  : nullptr;
}

// The colours of `it`: a cell that holds its own keeps them (see
// FlexCell::keepColor); any other goes the item's way, as `backBrush` and
// `foreBrush`.
void SetCellColors(QTableWidgetItem* it, const QColor& back, const QColor& fore, const QVariant& backBrush,
                   const QVariant& foreBrush)
{
    FlexCell* held = AsFlexCell(it);
    if (!held || !held->keepColor(Qt::BackgroundRole, back))
        it->setData(Qt::BackgroundRole, backBrush);
    if (!held || !held->keepColor(Qt::ForegroundRole, fore))
        it->setData(Qt::ForegroundRole, foreBrush);
}

// A list's scroll bar that keeps the pictures of the states it was drawn in.
// The style paints a bar with gradients, which the raster engine hands to
// other threads row by row on tall bars: a bar costs more to paint than the
// visible cells, and a list repaints its bars whole whenever it is shown
// again (a result view switched), nearly always in a state drawn before.
// A bar under the pointer or pressed is drawn by the style as it stands.
class SteadyScrollBar : public QScrollBar {
  public:
    explicit SteadyScrollBar(Qt::Orientation orientation) : QScrollBar(orientation) {}

  protected:
    void paintEvent(QPaintEvent* event) override
    {
        if (pressed || underMouse()) {
            QScrollBar::paintEvent(event);
            return;
        }
        QStyleOptionSlider opt;
        initStyleOption(&opt);
        opt.subControls = QStyle::SC_All;
        opt.activeSubControls = QStyle::SC_None;
        const State state{style(),
                          opt.rect.size(),
                          devicePixelRatio(),
                          int(opt.state),
                          int(opt.direction),
                          opt.palette.cacheKey(),
                          int(opt.orientation),
                          opt.minimum,
                          opt.maximum,
                          opt.sliderPosition,
                          opt.pageStep,
                          opt.singleStep,
                          opt.upsideDown};
        auto hit = std::find_if(drawn.begin(), drawn.end(), [&](const auto& d) { return d.first == state; });
        if (hit == drawn.end()) {
            QPixmap picture(opt.rect.size() * state.ratio);
            picture.setDevicePixelRatio(state.ratio);
            picture.fill(Qt::transparent);
            {
                QPainter p(&picture);
                QStyleOptionSlider at = opt;
                at.rect.moveTopLeft(QPoint(0, 0));
                style()->drawComplexControl(QStyle::CC_ScrollBar, &at, &p, this);
            }
            if (drawn.size() >= KeptStates)
                drawn.erase(drawn.begin());
            drawn.emplace_back(state, std::move(picture));
            hit = drawn.end() - 1;
        }
        QPainter p(this);
        p.drawPixmap(opt.rect.topLeft(), hit->second);
    }

    void mousePressEvent(QMouseEvent* event) override
    {
        pressed = true;
        QScrollBar::mousePressEvent(event);
    }
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        QScrollBar::mouseReleaseEvent(event);
        pressed = (event->buttons() & Qt::LeftButton) != 0;
    }

  private:
    struct State {
        const QStyle* style;
        QSize size;
        qreal ratio;
        int state, direction;
        qint64 palette;
        int orientation, minimum, maximum, position, pageStep, singleStep;
        bool upsideDown;
        bool operator==(const State&) const = default;
    };
    static constexpr std::size_t KeptStates = 4;
    std::vector<std::pair<State, QPixmap>> drawn;
    bool pressed = false;
};

} // namespace

// Applies the column alignment to cells that have none of their own, and
// draws plain text cells itself.
class FlexGridDelegate : public QStyledItemDelegate {
  public:
    explicit FlexGridDelegate(FlexGrid* g) : QStyledItemDelegate(g), grid(g) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem opt = option;
        const QWidget* widget = opt.widget;
        const QStyle* style = widget ? widget->style() : QApplication::style();
        // A cell that holds what it shows is read directly: the item's way
        // costs a variant per role and a palette of its own per cell.
        const QString* text = nullptr;
        QColor back, fore;
        const FlexCell* cell = AsFlexCell(grid->itemFromIndex(index));
        if (cell && cell->plainLook(text, back, fore)) {
            opt.index = index;
            opt.features |= QStyleOptionViewItem::HasDisplay;
            opt.text = *text;
            opt.backgroundBrush = QBrush(back);
            opt.styleObject = nullptr;
            alignByColumn(&opt, index);
            if (paintPlain(painter, opt, style, &fore))
                return;
            opt = option;
        }
        initStyleOption(&opt, index);
        if (!paintPlain(painter, opt, style))
            style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
    }

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (!index.data(Qt::TextAlignmentRole).isValid())
            alignByColumn(option, index);
    }

  private:
    FlexGrid* grid;

    void alignByColumn(QStyleOptionViewItem* option, const QModelIndex& index) const
    {
        const int c = index.column() - grid->tickCol;
        if (c >= 0 && c < int(grid->colAlign.size()))
            option->displayAlignment = toQt(grid->colAlign[std::size_t(c)]);
    }

    // The laid-out texts drawn lately, in the font they were laid out in.
    mutable QHash<QString, QStaticText> texts;
    mutable QFont textsFont;

    // A cell of one line of plain text that fits, with no tick, icon, focus
    // or selection, drawn as the style draws it: its background, then its
    // text in the cell less the style's margins, aligned. A list repaints
    // hundreds of such cells at every change, and the style lays each text
    // out afresh two or three times per paint; here a text is laid out once
    // and drawn from then on as laid out. Any other cell is left to the
    // style (false).
    // `textColor`: the colour of the text when not the palette's.
    bool paintPlain(QPainter* painter, const QStyleOptionViewItem& opt, const QStyle* style,
                    const QColor* textColor = nullptr) const
    {
        if (opt.features & (QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDecoration |
                            QStyleOptionViewItem::WrapText) ||
            opt.state & (QStyle::State_HasFocus | QStyle::State_Selected | QStyle::State_Editing) ||
            opt.direction != Qt::LeftToRight || opt.textElideMode != Qt::ElideRight)
            return false;
        const QString& text = opt.text;
        for (const QChar ch : text)
            if (ch.unicode() < 0x20 || ch == QChar::LineSeparator || ch == QChar::ParagraphSeparator)
                return false;
        const QStaticText* laid = nullptr;
        if (!text.isEmpty()) {
            laid = &laidOut(text, opt.font);
            if (laid->size().width() > opt.rect.width())
                return false;
        }
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, opt.widget) + 1;
        const QRect textRect = opt.rect.adjusted(margin, 0, -margin, 0);
        if (laid && laid->size().width() > textRect.width())
            return false;

        // A solid background and a text inside the cell need neither a clip
        // nor a saved painter: only the pen and font are set, and put back.
        const bool inside = opt.backgroundBrush.style() <= Qt::SolidPattern &&
                            (!laid || laid->size().height() <= opt.rect.height());
        const QPen pen = painter->pen();
        const QFont font = painter->font();
        if (!inside) {
            painter->save();
            painter->setClipRect(opt.rect);
        }
        if (opt.backgroundBrush.style() != Qt::NoBrush) {
            if (!inside)
                painter->setBrushOrigin(opt.rect.topLeft());
            painter->fillRect(opt.rect, opt.backgroundBrush);
        }
        if (laid) {
            const QSizeF size = laid->size();
            const Qt::Alignment align = opt.displayAlignment;
            double x = textRect.left();
            if (align & Qt::AlignRight)
                x += textRect.width() - size.width();
            else if (align & Qt::AlignHCenter)
                x += (textRect.width() - size.width()) / 2;
            const int y = QStyle::alignedRect(Qt::LeftToRight, align & Qt::AlignVertical_Mask,
                                              size.toSize(), textRect)
                              .top();
            const QPalette::ColorGroup group = !(opt.state & QStyle::State_Enabled) ? QPalette::Disabled
                                               : opt.state & QStyle::State_Active  ? QPalette::Normal
                                                                                   : QPalette::Inactive;
            painter->setPen(textColor ? *textColor : opt.palette.color(group, QPalette::Text));
            painter->setFont(opt.font);
            painter->drawStaticText(QPointF(x, y), *laid);
        }
        if (!inside) {
            painter->restore();
        } else {
            painter->setPen(pen);
            painter->setFont(font);
        }
        return true;
    }

    const QStaticText& laidOut(const QString& text, const QFont& font) const
    {
        if (font != textsFont || texts.size() > 8192) {
            texts.clear();
            textsFont = font;
        }
        auto it = texts.find(text);
        if (it == texts.end()) {
            QStaticText laid(text);
            laid.setTextFormat(Qt::PlainText);
            laid.prepare(QTransform(), font);
            it = texts.insert(text, laid);
        }
        return *it;
    }
};

FlexGrid::FlexGrid(QWidget* parent) : QTableWidget(parent)
{
    setVerticalScrollBar(new SteadyScrollBar(Qt::Vertical));
    setHorizontalScrollBar(new SteadyScrollBar(Qt::Horizontal));
    verticalHeader()->hide();
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    horizontalHeader()->setMinimumSectionSize(4);
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setMouseTracking(true);
    setItemDelegate(new FlexGridDelegate(this));
    setGridFont(QStringLiteral("MS Gothic"), 9);
    setRows(1);
    setCols(1);

    connect(this, &QTableWidget::currentCellChanged, this, [this](int, int, int, int) { syncCurrent(); });
    connect(this, &QTableWidget::itemChanged, this, &FlexGrid::onItemChanged);
    // The scroll bars are part of the list: the wheel does not scroll them
    // either.
    verticalScrollBar()->installEventFilter(this);
    horizontalScrollBar()->installEventFilter(this);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { emit Scroll(); });
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] { emit Scroll(); });
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int) { clicked(); });
}

int FlexGrid::Rows() const
{
    return rowCount() + 1;
}

void FlexGrid::setRows(int rows)
{
    rows = std::max(1, rows);
    const int old = Rows();
    internalChange = true;
    {
        const ShapeChange shape(model());
        setRowCount(rows - 1);
    }
    ticks.resize(std::size_t(rows), 0);
    if (tickCol)
        for (int r = old; r < rows; ++r)
            setItem(r - 1, 0, makeTickItem());
    internalChange = false;
    if (curRow >= rows)
        curRow = rows - 1;
    placeCurrent();
}

int FlexGrid::Cols() const
{
    return columnCount() - tickCol;
}

void FlexGrid::setCols(int cols)
{
    cols = std::max(1, cols);
    {
        const ShapeChange shape(model());
        setColumnCount(cols + tickCol);
    }
    // Header cells start empty (not numbered).
    for (int c = 0; c < columnCount(); ++c)
        if (!horizontalHeaderItem(c))
            setHorizontalHeaderItem(c, new QTableWidgetItem);
    colAlign.resize(std::size_t(cols), flexAlignGeneral);
    if (curCol >= cols)
        curCol = cols - 1;
    placeCurrent();
}

void FlexGrid::checkRow(int row) const
{
    if (row < 0 || row >= Rows())
        throw AppError(30009, QStringLiteral("Invalid Row value"));
}

void FlexGrid::checkCol(int col) const
{
    if (col < 0 || col >= Cols())
        throw AppError(30010, QStringLiteral("Invalid Col value"));
}

void FlexGrid::setRow(int row)
{
    checkRow(row);
    curRow = row;
    placeCurrent();
}

void FlexGrid::setCol(int col)
{
    checkCol(col);
    curCol = col;
    placeCurrent();
}

void FlexGrid::placeCurrent()
{
    // The table's own current cell is the grid's current data cell, and none
    // while the header row is current. Were it left on a data cell then, a
    // click on that cell would change nothing the table reports, and the
    // grid would go on naming the header as the current row.
    const QModelIndex want =
        curRow >= 1 && curRow - 1 < rowCount() ? model()->index(curRow - 1, qtCol(curCol)) : QModelIndex();
    if (selectionModel()->currentIndex() == want)
        return;
    // Moving the current cell from code neither selects nor scrolls.
    const bool scroll = hasAutoScroll();
    setAutoScroll(false);
    internalChange = true;
    selectionModel()->setCurrentIndex(want, QItemSelectionModel::NoUpdate);
    internalChange = false;
    setAutoScroll(scroll);
}

void FlexGrid::clicked()
{
    // A list's click chooses its current row: never the header.
    if (curRow >= 1)
        emit Click();
}

int FlexGrid::TopRow() const
{
    const_cast<FlexGrid*>(this)->updateGeometries();
    return verticalScrollBar()->value() + 1;
}

void FlexGrid::setTopRow(int row)
{
    if (row < 1)
        row = 1;
    checkRow(row);
    updateGeometries();
    verticalScrollBar()->setValue(row - 1);
}

void FlexGrid::syncCurrent()
{
    if (internalChange)
        return;
    const QModelIndex idx = currentIndex();
    if (!idx.isValid())
        return;
    curRow = idx.row() + 1;
    if (idx.column() >= tickCol)
        curCol = idx.column() - tickCol;
}

const QTableWidgetItem* FlexGrid::cell(int row, int col) const
{
    checkRow(row);
    checkCol(col);
    if (row == 0)
        return horizontalHeaderItem(qtCol(col));
    return item(row - 1, qtCol(col));
}

QTableWidgetItem* FlexGrid::cell(int row, int col, bool create, const QString* text)
{
    auto* it = const_cast<QTableWidgetItem*>(static_cast<const FlexGrid*>(this)->cell(row, col));
    if (it || !create)
        return it;
    auto* made = new FlexCell;
    if (text)
        made->holdText(*text);
    placeCell(row, col, made);
    return made;
}

void FlexGrid::placeCell(int row, int col, QTableWidgetItem* it)
{
    internalChange = true;
    if (row == 0) {
        it->setTextAlignment(Qt::AlignCenter);
        setHorizontalHeaderItem(qtCol(col), it);
    } else {
        it->setFlags(Qt::ItemIsEnabled);
        setItem(row - 1, qtCol(col), it);
    }
    internalChange = false;
}

QString FlexGrid::TextMatrix(int row, int col) const
{
    const auto* it = cell(row, col);
    return it ? it->text() : QString();
}

void FlexGrid::setTextMatrix(int row, int col, const QString& text)
{
    // A new cell takes its text before it is placed: a list filled row by
    // row then costs the table one change per cell, not two.
    const bool made = !static_cast<const FlexGrid*>(this)->cell(row, col);
    auto* it = cell(row, col, true, &text);
    if (made)
        return;
    if (FlexCell* held = AsFlexCell(it); held && held->keepText(text))
        return;
    internalChange = true;
    it->setText(text);
    internalChange = false;
}

bool FlexGrid::holdTextInPlace(int row, int col, const QString& text)
{
    if (!InBatch())
        return false;
    FlexCell* held = AsFlexCell(cell(row, col));
    return held && held->keepText(text);
}

bool FlexGrid::holdRowColorsInPlace(int row, quint32 back, quint32 fore)
{
    if (!InBatch())
        return false;
    const QColor backColor = ColorFromValue(back);
    const QColor foreColor = ColorFromValue(fore);
    for (int c = 0; c < Cols(); ++c) {
        FlexCell* held = AsFlexCell(cell(row, c));
        if (!held || !held->keepColor(Qt::BackgroundRole, backColor) ||
            !held->keepColor(Qt::ForegroundRole, foreColor))
            return false;
    }
    return true;
}

quint32 FlexGrid::cellBackColor(int row, int col) const
{
    const auto* it = cell(row, col);
    if (!it)
        return 0;
    const QVariant v = it->data(Qt::BackgroundRole);
    return v.isValid() ? ColorValue(v.value<QBrush>().color()) : 0;
}

void FlexGrid::setCellBackColor(int row, int col, quint32 color)
{
    auto* it = cell(row, col, true);
    internalChange = true;
    it->setBackground(ColorFromValue(color));
    internalChange = false;
}

quint32 FlexGrid::cellForeColor(int row, int col) const
{
    const auto* it = cell(row, col);
    if (!it)
        return 0;
    const QVariant v = it->data(Qt::ForegroundRole);
    return v.isValid() ? ColorValue(v.value<QBrush>().color()) : 0;
}

void FlexGrid::setCellForeColor(int row, int col, quint32 color)
{
    auto* it = cell(row, col, true);
    internalChange = true;
    it->setForeground(ColorFromValue(color));
    internalChange = false;
}

void FlexGrid::setRowColors(int row, quint32 back, quint32 fore)
{
    // The two brushes are made once for the whole row: a list colours
    // hundreds of rows at a time.
    const QColor backColor = ColorFromValue(back);
    const QColor foreColor = ColorFromValue(fore);
    const QVariant backBrush = QBrush(backColor);
    const QVariant foreBrush = QBrush(foreColor);
    internalChange = true;
    for (int c = 0; c < Cols(); ++c)
        SetCellColors(cell(row, c, true), backColor, foreColor, backBrush, foreBrush);
    internalChange = false;
}

void FlexGrid::setRowCells(int row, const QStringList& texts, const std::pair<quint32, quint32>* colors)
{
    checkRow(row);
    const QColor back = colors ? ColorFromValue(colors->first) : QColor();
    const QColor fore = colors ? ColorFromValue(colors->second) : QColor();
    const QVariant backBrush = colors ? QVariant(QBrush(back)) : QVariant();
    const QVariant foreBrush = colors ? QVariant(QBrush(fore)) : QVariant();
    const int cols = colors ? Cols() : std::min(Cols(), int(texts.size()));
    for (int c = 0; c < cols; ++c) {
        if (!static_cast<const FlexGrid*>(this)->cell(row, c)) {
            auto* made = new FlexCell;
            if (c < texts.size())
                made->holdText(texts[c]);
            if (colors) {
                made->holdColor(Qt::BackgroundRole, back);
                made->holdColor(Qt::ForegroundRole, fore);
            }
            placeCell(row, c, made);
            continue;
        }
        QTableWidgetItem* it = cell(row, c, false);
        FlexCell* held = AsFlexCell(it);
        internalChange = true;
        if (c < texts.size() && (!held || !held->keepText(texts[c])))
            it->setText(texts[c]);
        if (colors)
            SetCellColors(it, back, fore, backBrush, foreBrush);
        internalChange = false;
    }
}

int FlexGrid::cellAlignment(int row, int col) const
{
    const auto* it = cell(row, col);
    if (!it || !it->data(Qt::TextAlignmentRole).isValid())
        return row == 0 ? int(flexAlignCenterCenter) : ColAlignment(col);
    return fromQt(Qt::Alignment(it->textAlignment()));
}

void FlexGrid::setCellAlignment(int row, int col, int alignment)
{
    auto* it = cell(row, col, true);
    internalChange = true;
    it->setTextAlignment(toQt(alignment));
    internalChange = false;
}

int FlexGrid::ColAlignment(int col) const
{
    checkCol(col);
    return colAlign[std::size_t(col)];
}

void FlexGrid::setColAlignment(int col, int alignment)
{
    checkCol(col);
    colAlign[std::size_t(col)] = alignment;
    viewport()->update();
}

int FlexGrid::ColWidth(int col) const
{
    checkCol(col);
    return int(std::lround(PixelsToTwipsX(columnWidth(qtCol(col)), this)));
}

void FlexGrid::setColWidth(int col, int twips)
{
    checkCol(col);
    setColumnWidth(qtCol(col), TwipsToPixelsX(twips, this));
}

void FlexGrid::setFormatString(const QString& format, const std::vector<double>& minTwips)
{
    const QStringList segments = format.split(u'|');
    setCols(int(segments.size()));
    const QFontMetrics fm(font());
    const int padding = fm.horizontalAdvance(u' ');
    for (int c = 0; c < segments.size(); ++c) {
        QString seg = segments[c];
        int align = flexAlignLeftCenter;
        if (seg.startsWith(u'^')) {
            align = flexAlignCenterCenter;
            seg.remove(0, 1);
        } else if (seg.startsWith(u'<')) {
            seg.remove(0, 1);
        } else if (seg.startsWith(u'>')) {
            align = flexAlignRightCenter;
            seg.remove(0, 1);
        }
        colAlign[std::size_t(c)] = align;
        setTextMatrix(0, c, seg);
        int width = fm.horizontalAdvance(seg) + 2 * padding;
        if (std::size_t(c) < minTwips.size() && std::lround(PixelsToTwipsX(width, this)) < minTwips[std::size_t(c)])
            width = TwipsToPixelsX(std::ceil(minTwips[std::size_t(c)]), this);
        setColumnWidth(qtCol(c), width);
    }
    viewport()->update();
}

void FlexGrid::setGridFont(const QString& family, double pointSize)
{
    setFont(ProgramFont(family, pointSize));
    const QFontMetrics fm(font());
    verticalHeader()->setMinimumSectionSize(4);
    verticalHeader()->setDefaultSectionSize(fm.height() + 6);
    horizontalHeader()->setFont(font());
}

void FlexGrid::Clear()
{
    internalChange = true;
    {
        const ShapeChange shape(model());
        clearContents();
    }
    for (int c = 0; c < columnCount(); ++c) {
        if (auto* h = horizontalHeaderItem(c)) {
            h->setText(QString());
            h->setData(Qt::BackgroundRole, QVariant());
            h->setData(Qt::ForegroundRole, QVariant());
            h->setTextAlignment(Qt::AlignCenter);
        }
    }
    std::fill(ticks.begin(), ticks.end(), 0);
    if (tickCol)
        for (int r = 0; r < rowCount(); ++r)
            setItem(r, 0, makeTickItem());
    internalChange = false;
}

void FlexGrid::Sort(const std::function<int(int, int)>& compare)
{
    const int n = rowCount();
    if (n < 2)
        return;
    std::vector<int> order(static_cast<std::size_t>(n));
    std::iota(order.begin(), order.end(), 1);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return compare(a, b) < 0; });

    const int cols = columnCount();
    std::vector<std::vector<QTableWidgetItem*>> taken(static_cast<std::size_t>(n));
    for (int r = 0; r < n; ++r) {
        taken[std::size_t(r)].resize(std::size_t(cols));
        for (int c = 0; c < cols; ++c)
            taken[std::size_t(r)][std::size_t(c)] = takeItem(r, c);
    }
    std::vector<std::uint8_t> oldTicks = ticks;
    internalChange = true;
    for (int r = 0; r < n; ++r) {
        const int from = order[std::size_t(r)] - 1;
        for (int c = 0; c < cols; ++c)
            setItem(r, c, taken[std::size_t(from)][std::size_t(c)]);
        ticks[std::size_t(r) + 1] = oldTicks[std::size_t(from) + 1];
    }
    internalChange = false;
}

QRect FlexGrid::CellRect(int row, int col) const
{
    checkRow(row);
    checkCol(col);
    const_cast<FlexGrid*>(this)->updateGeometries();
    const int qc = qtCol(col);
    if (row == 0) {
        const QHeaderView* h = horizontalHeader();
        QRect r(h->sectionViewportPosition(qc), 0, h->sectionSize(qc), h->height());
        return r.translated(h->viewport()->mapTo(this, QPoint(0, 0)));
    }
    QRect r = visualRect(model()->index(row - 1, qc));
    return r.translated(viewport()->mapTo(this, QPoint(0, 0)));
}

QTableWidgetItem* FlexGrid::makeTickItem()
{
    auto* it = new FlexCell;
    it->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
    it->holdCheck(Qt::Unchecked);
    return it;
}

void FlexGrid::setTickable(bool on)
{
    if (on == Tickable())
        return;
    internalChange = true;
    const ShapeChange shape(model());
    if (on) {
        insertColumn(0);
        setHorizontalHeaderItem(0, new QTableWidgetItem);
        tickCol = 1;
        setColumnWidth(0, TwipsToPixelsX(330, this));
        horizontalHeader()->setSectionResizeMode(0, QHeaderView::Fixed);
        for (int r = 0; r < rowCount(); ++r)
            setItem(r, 0, makeTickItem());
    } else {
        removeColumn(0);
        tickCol = 0;
    }
    std::fill(ticks.begin(), ticks.end(), 0);
    internalChange = false;
    placeCurrent();
}

std::uint8_t FlexGrid::Tick(int row) const
{
    checkRow(row);
    return ticks[std::size_t(row)];
}

void FlexGrid::setTick(int row, bool ticked)
{
    checkRow(row);
    if (row == 0 || !tickCol || ticks[std::size_t(row)] == std::uint8_t(ticked))
        return;
    ticks[std::size_t(row)] = ticked;
    internalChange = true;
    if (auto* it = item(row - 1, 0))
        it->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
    internalChange = false;
    emit TickChanged(row, ticked);
}

void FlexGrid::setTicks(int firstRow, const std::vector<std::uint8_t>& flags)
{
    if (!tickCol)
        return;
    const GridBatch batch(this);
    internalChange = true;
    for (int row = std::max(firstRow, 1), i = row - firstRow; row < Rows() && i < int(flags.size()); ++row, ++i) {
        const std::uint8_t on = flags[std::size_t(i)] ? 1 : 0;
        if (ticks[std::size_t(row)] == on)
            continue;
        ticks[std::size_t(row)] = on;
        if (auto* it = item(row - 1, 0))
            it->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    }
    internalChange = false;
}

void FlexGrid::beginBatch()
{
    if (batchDepth++ > 0)
        return;
    batchDrawing = updatesEnabled();
    setUpdatesEnabled(false);
    batchSignals = model()->blockSignals(true);
}

void FlexGrid::endBatch()
{
    if (batchDepth <= 0 || --batchDepth > 0)
        return;
    model()->blockSignals(batchSignals);
    // The view hears of every cell and header at once.
    internalChange = true;
    if (rowCount() > 0 && columnCount() > 0)
        emit model()->dataChanged(model()->index(0, 0), model()->index(rowCount() - 1, columnCount() - 1));
    if (columnCount() > 0)
        emit model()->headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
    internalChange = false;
    if (batchDrawing) {
        setUpdatesEnabled(true);
        // Rows added or removed are laid out now, before the list is drawn:
        // left to the table's timer, they would have it drawn twice.
        executeDelayedItemsLayout();
        viewport()->update();
    }
}

void FlexGrid::onItemChanged(QTableWidgetItem* it)
{
    if (internalChange || !tickCol || it->column() != 0)
        return;
    const int row = it->row() + 1;
    const bool on = it->checkState() == Qt::Checked;
    if (ticks[std::size_t(row)] == std::uint8_t(on))
        return;
    ticks[std::size_t(row)] = on;
    emit TickChanged(row, on);
}

void FlexGrid::trackMouse(QPoint viewportPos)
{
    const QModelIndex idx = indexAt(viewportPos);
    mouseRow = idx.isValid() ? idx.row() + 1 : -1;
    mouseCol = idx.isValid() ? idx.column() - tickCol : -1;
}

void FlexGrid::wheelEvent(QWheelEvent* event)
{
    // The lists do not scroll by the wheel on their own (see app/GridWheel.h).
    event->ignore();
}

bool FlexGrid::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Wheel &&
        (watched == verticalScrollBar() || watched == horizontalScrollBar()))
        return true;
    return QTableWidget::eventFilter(watched, event);
}

void FlexGrid::mousePressEvent(QMouseEvent* event)
{
    trackMouse(event->position().toPoint());
    QTableWidget::mousePressEvent(event);
    emit MouseDown(event->button(), event->modifiers(), viewport()->mapTo(this, event->position().toPoint()));
}

void FlexGrid::mouseReleaseEvent(QMouseEvent* event)
{
    QTableWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && viewport()->rect().contains(event->position().toPoint()))
        clicked();
}

void FlexGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    trackMouse(event->position().toPoint());
    QTableWidget::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        emit DblClick();
}

void FlexGrid::mouseMoveEvent(QMouseEvent* event)
{
    trackMouse(event->position().toPoint());
    QTableWidget::mouseMoveEvent(event);
    emit MouseMove(event->buttons(), viewport()->mapTo(this, event->position().toPoint()));
}

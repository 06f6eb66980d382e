#pragma once
// The list grid every list of the program uses, over QTableWidget, keeping
// the grid model the program's code is written against:
//   - row 0 is the header row (shown as the table's header), data rows are
//     1 .. Rows() - 1; Rows() counts the header row, so Rows() == 1 is a
//     list with no data;
//   - a current cell (Row, Col) that code moves freely, the header row
//     included, and that a click moves to the clicked data cell; the
//     table's own current cell always follows it (none on the header row);
//   - TopRow, the first data row shown;
//   - texts, back and fore colours (Windows colour values 0x00BBGGRR) and
//     alignments per cell, alignments and widths (in twips) per column;
//   - optional tick marks: a check box at the start of every data row, with
//     a tick flag (0 or 1) per row behind it.
// The grid does not scroll with the mouse wheel by itself; the main window
// hooks the wheel of the list it shows (app/GridWheel.h).
// Out-of-range rows and columns throw AppError 30009 / 30010.
#include <QColor>
#include <QFont>
#include <QStringList>
#include <QTableWidget>

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

class QWidget;

// Twips (1/1440 inch) and pixels at the screen's logical DPI (of `w`'s
// screen when given, else the primary screen).
int TwipsToPixelsX(double twips, const QWidget* w = nullptr);
int TwipsToPixelsY(double twips, const QWidget* w = nullptr);
double PixelsToTwipsX(double pixels, const QWidget* w = nullptr);
double PixelsToTwipsY(double pixels, const QWidget* w = nullptr);

// A Windows colour value: 0x00BBGGRR, or with the high bit set a system
// colour (0x8000000F button face, 0x80000005 window, 0x80000008 window text,
// 0x80000012 button text, ...), taken from the application's palette.
QColor ColorFromValue(quint32 value);
// The 0x00BBGGRR value of a colour.
quint32 ColorValue(const QColor& c);

// The font the program names by its Windows family ("MS Gothic", "MS UI
// Gothic", ...), mapped to the Japanese fonts installed here.
QFont ProgramFont(const QString& family, double pointSize);

class FlexGrid : public QTableWidget {
    Q_OBJECT
  public:
    enum Alignment {
        flexAlignLeftTop = 0,
        flexAlignLeftCenter = 1,
        flexAlignLeftBottom = 2,
        flexAlignCenterTop = 3,
        flexAlignCenterCenter = 4,
        flexAlignCenterBottom = 5,
        flexAlignRightTop = 6,
        flexAlignRightCenter = 7,
        flexAlignRightBottom = 8,
        flexAlignGeneral = 9,
    };

    explicit FlexGrid(QWidget* parent = nullptr);

    // Size. Rows counts the header row (at least 1).
    int Rows() const;
    void setRows(int rows);
    int Cols() const;
    void setCols(int cols);
    static constexpr int FixedRows = 1;

    // The current cell.
    int Row() const { return curRow; }
    void setRow(int row);
    int Col() const { return curCol; }
    void setCol(int col);
    // First data row shown below the header (1 at the top).
    int TopRow() const;
    void setTopRow(int row);

    // Texts.
    QString Text() const { return TextMatrix(curRow, curCol); }
    void setText(const QString& text) { setTextMatrix(curRow, curCol, text); }
    QString TextMatrix(int row, int col) const;
    void setTextMatrix(int row, int col, const QString& text);
    // Within a batch, `text` held in place by the cell at (row, col) when
    // it is one the grid made and holds its text itself (the batch's end
    // tells the view of every cell). Worker threads may call it side by
    // side for different cells while the thread that holds the batch waits
    // and nothing else changes the grid. False when the cell cannot take it
    // so (outside a batch, no cell there, or one of another kind): it is
    // then for setTextMatrix, on the grid's own thread.
    bool holdTextInPlace(int row, int col, const QString& text);
    // The same for the colours of every cell of `row` (as setRowColors); a
    // cell may have taken its colours when false is returned.
    bool holdRowColorsInPlace(int row, quint32 back, quint32 fore);

    // Formats of the current cell.
    quint32 CellBackColor() const { return cellBackColor(curRow, curCol); }
    void setCellBackColor(quint32 color) { setCellBackColor(curRow, curCol, color); }
    quint32 CellForeColor() const { return cellForeColor(curRow, curCol); }
    void setCellForeColor(quint32 color) { setCellForeColor(curRow, curCol, color); }
    int CellAlignment() const { return cellAlignment(curRow, curCol); }
    void setCellAlignment(int alignment) { setCellAlignment(curRow, curCol, alignment); }
    // Formats of any cell (0 = white back / black text when never set).
    quint32 cellBackColor(int row, int col) const;
    void setCellBackColor(int row, int col, quint32 color);
    quint32 cellForeColor(int row, int col) const;
    void setCellForeColor(int row, int col, quint32 color);
    // Every cell of `row` in background `back` and text colour `fore`.
    void setRowColors(int row, quint32 back, quint32 fore);
    // A row written at once: `texts[c]` into column c (columns past the
    // texts keep theirs), and with `colors` (background, text colour) every
    // cell of the row in them, as setTextMatrix and setRowColors would. A
    // cell made here has its text and colours before the table has it: a
    // long list filled row by row costs the table one change per cell.
    void setRowCells(int row, const QStringList& texts, const std::pair<quint32, quint32>* colors = nullptr);
    int cellAlignment(int row, int col) const;
    void setCellAlignment(int row, int col, int alignment);

    // Columns.
    int ColAlignment(int col) const;
    void setColAlignment(int col, int alignment);
    int ColWidth(int col) const; // twips
    void setColWidth(int col, int twips);
    // "^ text|< text|> text": one segment per column (Cols follows the
    // count); the sign aligns the column (^ centre, < left, > right), the
    // segment's text becomes the header text and sets the column's width.
    // `minTwips[c]`, where given, widens column c to at least that many
    // twips: a list laid out again and again then sets each width once.
    void setFormatString(const QString& format, const std::vector<double>& minTwips = {});

    // The grid's font, by the program's family name.
    void setGridFont(const QString& family, double pointSize);

    // Drawing on or off while many cells change.
    bool Redraw() const { return updatesEnabled(); }
    void setRedraw(bool on) { setUpdatesEnabled(on); }

    // Empties every cell (texts, colours, alignments), the header included,
    // and unticks every row. Size and column widths stay.
    void Clear();

    // Sorts the data rows in place by `compare`(row1, row2) (negative: row1
    // first); rows that compare equal keep their order.
    void Sort(const std::function<int(int, int)>& compare);

    // The cell under the last mouse position (-1 when none).
    int MouseRow() const { return mouseRow; }
    int MouseCol() const { return mouseCol; }
    // The cell's rectangle in this widget's pixels (the header row too).
    QRect CellRect(int row, int col) const;

    // Tick marks.
    void setTickable(bool on);
    bool Tickable() const { return tickCol == 1; }
    std::uint8_t Tick(int row) const;
    // Changes the flag and the box; emits TickChanged when it changed.
    void setTick(int row, bool ticked);
    // The flags and boxes of rows `firstRow` on (as far as the grid goes)
    // from `flags`, without TickChanged: for code that puts back ticks it
    // keeps itself (a list filled again with the ticks it had).
    void setTicks(int firstRow, const std::vector<std::uint8_t>& flags);

    // Many cells changed at once (a long list filled, its rows coloured):
    // from beginBatch to the matching endBatch the grid does not draw and
    // its view is not told of each cell; the outermost endBatch tells it of
    // all cells at once and draws (when drawing was on before). Rows and
    // columns may be added or removed meanwhile. GridBatch below holds one
    // for a scope.
    void beginBatch();
    void endBatch();
    bool InBatch() const { return batchDepth > 0; }

  signals:
    // A click on the grid, after a clicked data cell became current (a click
    // on the header or below the rows leaves the current cell). Never while
    // the header row is current: a click chooses a data row or nothing.
    void Click();
    void DblClick();
    // The visible part moved (TopRow or the horizontal position).
    void Scroll();
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos);
    void MouseMove(Qt::MouseButtons buttons, QPoint pos);
    // A row's tick flag changed, by the user or by code.
    void TickChanged(int row, bool ticked);

  protected:
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

  private:
    int qtCol(int col) const { return col + tickCol; }
    void checkRow(int row) const;
    void checkCol(int col) const;
    // `text`: the text a cell made here holds before the table has it.
    QTableWidgetItem* cell(int row, int col, bool create, const QString* text = nullptr);
    const QTableWidgetItem* cell(int row, int col) const;
    // A cell made here placed at (row, col), as a data cell or header cell.
    void placeCell(int row, int col, QTableWidgetItem* it);
    void trackMouse(QPoint viewportPos);
    void syncCurrent();
    void placeCurrent();
    void clicked();
    QTableWidgetItem* makeTickItem();
    void onItemChanged(QTableWidgetItem* item);

    int curRow = 0;
    int curCol = 0;
    int mouseRow = -1;
    int mouseCol = -1;
    int tickCol = 0; // 1 when the tick column leads the row
    bool internalChange = false;
    int batchDepth = 0;
    bool batchDrawing = true;   // drawing before the outermost batch
    bool batchSignals = false;  // the model's signals blocked before it
    std::vector<int> colAlign;
    std::vector<std::uint8_t> ticks; // index = grid row
    friend class FlexGridDelegate;
};

// A list that an action walks row by row: it does not draw while the
// object lives; drawing comes back (once, by the outermost scope) on every
// way out.
class ListHidden {
  public:
    explicit ListHidden(FlexGrid* grid) : grid(grid), wasDrawing(grid && grid->Redraw())
    {
        if (wasDrawing)
            grid->setRedraw(false);
    }
    ~ListHidden()
    {
        if (wasDrawing) {
            grid->setRedraw(true);
            grid->viewport()->update();
        }
    }
    ListHidden(const ListHidden&) = delete;
    ListHidden& operator=(const ListHidden&) = delete;

  private:
    FlexGrid* grid;
    bool wasDrawing;
};

// FlexGrid::beginBatch for the life of the object (nothing for no grid);
// the batch ends on every way out.
class GridBatch {
  public:
    explicit GridBatch(FlexGrid* grid) : grid(grid)
    {
        if (grid)
            grid->beginBatch();
    }
    ~GridBatch()
    {
        if (grid)
            grid->endBatch();
    }
    GridBatch(const GridBatch&) = delete;
    GridBatch& operator=(const GridBatch&) = delete;

  private:
    FlexGrid* grid;
};

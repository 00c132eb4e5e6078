#pragma once
// The grid control of the windows: a table of cell texts with fixed (header)
// rows and columns, a current cell, column widths and row heights in twips,
// column alignment, word wrap and a format string that sets the columns and
// their captions at once.
//
// Drawing: a fixed (header) row is at least as tall as its captions need; a
// data cell is drawn on one line, ending in an ellipsis when its column is
// too narrow, unless its row is tall enough for two lines.
//
// FlexGridModel holds all of it and is driven without any painting; FlexGrid
// is the QTableView that shows it and offers the same calls, so window code
// reads grid.Rows(5), grid.TextMatrix(1, 2, "x"), grid.Row(3) and so on.
//
// Cell texts live in one flat text buffer with a (offset, length) reference
// per cell, so a grid of 100,000 rows by 20 columns costs a few bytes per
// cell and no object per cell.
//
// Out-of-range use never crashes: reading a cell outside the grid gives an
// empty text; writing one, or making a row or column current that does not
// exist, is ignored (a warning is logged).

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QString>
#include <QStringView>
#include <QTableView>
#include <cstdint>
#include <functional>
#include <vector>

class FlexGridFixedHeader;
class FlexGridCorner;
class QPainter;

// Cell texts of a rows x cols table, stored flat.
class FlexGridCells {
public:
    int rows() const { return rows_; }
    int cols() const { return cols_; }
    QString get(int r, int c) const;
    bool isEmpty(int r, int c) const { return refs_[index(r, c)].len == 0; }
    void set(int r, int c, QStringView text);
    void resize(int rows, int cols);  // keeps the texts of the cells that stay
    void insertRow(int at);           // an empty row before row `at` (at == rows: append)
    void removeRow(int at);
    void clear();                     // every text empty, size kept
    // Memory held by the texts and references, in bytes.
    std::size_t bytes() const;

private:
    struct Ref {
        std::uint32_t off = 0;
        std::uint32_t len = 0;
    };
    std::size_t index(int r, int c) const { return std::size_t(r) * std::size_t(cols_) + std::size_t(c); }
    void release(const Ref& ref) { garbage_ += ref.len; }
    void compact();

    int rows_ = 0;
    int cols_ = 0;
    std::vector<Ref> refs_;
    std::vector<char16_t> chars_;
    std::size_t garbage_ = 0;  // characters of chars_ no reference points to
};

class FlexGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // Alignment codes of the grid (ColAlignment).
    enum Alignment : int {
        flexAlignLeftTop = 0,
        flexAlignLeftCenter = 1,
        flexAlignLeftBottom = 2,
        flexAlignCenterTop = 3,
        flexAlignCenterCenter = 4,
        flexAlignCenterBottom = 5,
        flexAlignRightTop = 6,
        flexAlignRightCenter = 7,
        flexAlignRightBottom = 8,
        flexAlignGeneral = 9,  // text left, numbers right, both centred vertically
    };
    static constexpr int kDefaultColWidth = 960;  // twips
    static constexpr int kDefaultRowHeight = -1;  // the height that fits the grid's font

    // One field of a format string.
    struct FormatField {
        int alignment = flexAlignGeneral;
        QString caption;
    };
    // Splits a format string at "|"; a leading "<", "^" or ">" of a field
    // aligns its column left, centre or right and is not part of the caption.
    // Character 13 inside a caption is a line break and is kept in the text.
    static std::vector<FormatField> ParseFormatString(const QString& format);

    explicit FlexGridModel(QObject* parent = nullptr);

    int Rows() const { return cells_.rows(); }
    void Rows(int n);
    int Cols() const { return cells_.cols(); }
    void Cols(int n);
    int FixedRows() const { return fixedRows_; }
    void FixedRows(int n);
    int FixedCols() const { return fixedCols_; }
    void FixedCols(int n);

    int Row() const { return row_; }
    void Row(int r);
    int Col() const { return col_; }
    void Col(int c);
    QString Text() const { return TextMatrix(row_, col_); }
    void Text(const QString& text) { TextMatrix(row_, col_, text); }

    QString TextMatrix(int r, int c) const;
    void TextMatrix(int r, int c, const QString& text);

    QString FormatString() const { return formatString_; }
    // Sets the column count to the number of fields, the captions of row 0
    // (a grid without rows gets one) and the alignment of every column.
    void FormatString(const QString& format);

    int ColWidth(int c) const;  // twips; 0 for a column that does not exist
    void ColWidth(int c, int twips);  // 0 hides the column; a negative width restores the default
    int RowHeight(int r) const;  // twips, or kDefaultRowHeight; 0 for a row that does not exist
    void RowHeight(int r, int twips);  // 0 hides the row; a negative height restores the default

    bool WordWrap() const { return wordWrap_; }
    void WordWrap(bool on);

    int ColAlignment(int c) const;
    void ColAlignment(int c, int alignment);

    // Empties every cell, fixed ones included; rows, columns, widths and
    // alignment stay.
    void Clear();
    // Adds a row whose cells take the tab-separated parts of `item`, from
    // column 0; at the end, or before row `index` (0 <= index <= Rows).
    void AddItem(const QString& item);
    void AddItem(const QString& item, int index);
    void RemoveItem(int index);

    // While Redraw is off the model tells its views nothing: they keep
    // showing the grid as it was, and are brought up to date in one step
    // when Redraw is switched on again.
    bool Redraw() const { return redraw_; }
    void Redraw(bool on);

    // Memory held by the cell texts.
    std::size_t TextBytes() const { return cells_.bytes(); }

    // Qt model: the cells outside the fixed rows and columns, as the view
    // shows them (view row 0 is grid row FixedRows).
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // The rows and columns the views currently know of (they differ from
    // the grid's while Redraw is off).
    int shownRows() const { return shownRows_; }
    int shownCols() const { return shownCols_; }
    int shownFixedRows() const { return shownFixedRows_; }
    int shownFixedCols() const { return shownFixedCols_; }

    // Qt alignment flags of a column code.
    static Qt::Alignment QtAlignment(int code, const QString& text);
    // A caption or cell text as drawn: line breaks become new lines when
    // word wrap is on, blanks when it is off.
    QString displayText(const QString& text) const;

    // Sends the pending cell changes to the views now (they are otherwise
    // sent once control returns to the event loop).
    void flushChanges();

signals:
    void currentCellChanged();
    void colWidthChanged(int col);
    void rowHeightChanged(int row);
    void wordWrapChanged(bool on);
    void fixedAreaChanged();  // a text, alignment or wrap of a fixed cell changed

private:
    bool inside(int r, int c) const { return r >= 0 && c >= 0 && r < Rows() && c < Cols(); }
    void markDirty(int top, int left, int bottom, int right);
    void scheduleFlush();
    void publish();
    void clampCurrent();
    // Runs `change`, which gives the grid the new size and fixed counts, with
    // the views told: rows inserted or removed at grid row `rowAt`, or
    // columns at the end, when the fixed counts stay; a model reset
    // otherwise. While Redraw is off the views are told nothing until it is
    // switched on again.
    void restructure(int newRows, int newCols, int newFixedRows, int newFixedCols, int rowAt,
                     const std::function<void()>& change);

    FlexGridCells cells_;
    int fixedRows_ = 1;
    int fixedCols_ = 0;
    int row_ = 1;
    int col_ = 0;
    QString formatString_;
    std::vector<int> colWidth_;
    std::vector<int> colAlign_;
    std::vector<int> rowHeight_;
    bool wordWrap_ = false;

    bool redraw_ = true;
    bool structureDirty_ = false;
    int shownRows_ = 0;
    int shownCols_ = 0;
    int shownFixedRows_ = 0;
    int shownFixedCols_ = 0;
    bool flushPending_ = false;
    bool dirty_ = false;
    int dirtyTop_ = 0, dirtyLeft_ = 0, dirtyBottom_ = -1, dirtyRight_ = -1;
};

class FlexGrid : public QTableView {
    Q_OBJECT
public:
    explicit FlexGrid(QWidget* parent = nullptr);
    ~FlexGrid() override;

    FlexGridModel* gridModel() const { return model_; }

    int Rows() const { return model_->Rows(); }
    void Rows(int n) { model_->Rows(n); }
    int Cols() const { return model_->Cols(); }
    void Cols(int n) { model_->Cols(n); }
    int FixedRows() const { return model_->FixedRows(); }
    void FixedRows(int n) { model_->FixedRows(n); }
    int FixedCols() const { return model_->FixedCols(); }
    void FixedCols(int n) { model_->FixedCols(n); }
    int Row() const { return model_->Row(); }
    void Row(int r) { model_->Row(r); }
    int Col() const { return model_->Col(); }
    void Col(int c) { model_->Col(c); }
    QString Text() const { return model_->Text(); }
    void Text(const QString& text) { model_->Text(text); }
    QString TextMatrix(int r, int c) const { return model_->TextMatrix(r, c); }
    void TextMatrix(int r, int c, const QString& text) { model_->TextMatrix(r, c, text); }
    QString FormatString() const { return model_->FormatString(); }
    // As the model's, and every column is then made as wide as its caption.
    void FormatString(const QString& format);
    int ColWidth(int c) const { return model_->ColWidth(c); }
    void ColWidth(int c, int twips) { model_->ColWidth(c, twips); }
    int RowHeight(int r) const;  // twips; the font's row height for a row of default height
    void RowHeight(int r, int twips) { model_->RowHeight(r, twips); }
    bool WordWrap() const { return model_->WordWrap(); }
    void WordWrap(bool on) { model_->WordWrap(on); }
    int ColAlignment(int c) const { return model_->ColAlignment(c); }
    void ColAlignment(int c, int alignment) { model_->ColAlignment(c, alignment); }
    void Clear() { model_->Clear(); }
    void AddItem(const QString& item) { model_->AddItem(item); }
    void AddItem(const QString& item, int index) { model_->AddItem(item, index); }
    void RemoveItem(int index) { model_->RemoveItem(index); }
    bool Redraw() const { return model_->Redraw(); }
    void Redraw(bool on) { model_->Redraw(on); }

    // The first scrollable row shown (FixedRows when the grid is scrolled to
    // the top); setting it scrolls the grid.
    int TopRow() const;
    void TopRow(int r);

    // Position and size of the current cell in twips, relative to the grid's
    // own top-left corner. Reading them first scrolls the cell into view.
    int CellLeft();
    int CellTop();
    int CellWidth();
    int CellHeight();
    // The same in pixels.
    QRect CellRect();

    // 0 free (cell by cell), 1 by row, 2 by column.
    int SelectionMode() const { return selectionMode_; }
    void SelectionMode(int mode);
    // 0 none, 1 columns, 2 rows, 3 both: what the operator may resize by
    // dragging the grid lines of the fixed cells.
    int AllowUserResizing() const { return allowUserResizing_; }
    void AllowUserResizing(int mode);

    // Twips and pixels at the grid's logical resolution (96 dpi when the
    // screen tells none).
    int TwipsToPixelsX(int twips) const;
    int TwipsToPixelsY(int twips) const;
    int PixelsToTwipsX(int pixels) const;
    int PixelsToTwipsY(int pixels) const;

    // Height of a row of default height, in pixels.
    int defaultRowHeightPixels() const;
    int colWidthPixels(int c) const;
    int rowHeightPixels(int r) const;

    // With stretching on, the scrolling columns share out the room the grid
    // has beyond their widths, in proportion to them (their ColWidth stays
    // as set). Off by default.
    bool StretchColumns() const { return stretch_; }
    void StretchColumns(bool on);

    // Shows every column at least as wide as its longest data text now held,
    // on one line (its ColWidth stays as set; the operator can still widen it).
    void WidenColumnsToContents();
    // The width a column is shown at, in pixels.
    int shownColWidthPixels(int c) const;
    // The width in pixels that shows every data text of column c on one line.
    int contentWidthPixels(int c) const;

    // Paints a fixed cell (shared by the headers and the corner).
    void paintFixedCell(QPainter* painter, const QRect& rect, int r, int c) const;

signals:
    void Click();
    void DblClick();
    void KeyDown(int key, Qt::KeyboardModifiers modifiers);
    void KeyPress(int ascii);
    void Scroll();

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void updateGeometries() override;
    void changeEvent(QEvent* event) override;

private:
    friend class FlexGridFixedHeader;
    friend class FlexGridCorner;
    void applyAllSizes();
    void applyColWidth(int c);
    void applyRowHeight(int r);
    void scheduleCurrentSync();
    void syncCurrentNow();
    void onSectionResized(Qt::Orientation orientation, int logical, int newSize);
    void fixedAreaClicked(bool doubleClick);
    int captionHeightPixels(int r, int c) const;
    int captionWordPixels(int c) const;
    void fitFixedRows();
    int dpiX() const;
    int dpiY() const;

    FlexGridModel* model_ = nullptr;
    FlexGridFixedHeader* hHeader_ = nullptr;
    FlexGridFixedHeader* vHeader_ = nullptr;
    QWidget* corner_ = nullptr;
    int selectionMode_ = 0;
    int allowUserResizing_ = 0;
    bool syncPending_ = false;
    bool syncing_ = false;
    bool applying_ = false;
    bool fromView_ = false;
    bool pressed_ = false;
    bool swallowRelease_ = false;
    double stretchFactor() const;
    void resizeEvent(QResizeEvent* event) override;
    bool stretch_ = false;
    std::vector<int> contentPx_;  // least shown width of each column (WidenColumnsToContents)
    std::vector<int> fixedRowFit_;  // pixels each fixed row needs for its captions
    std::vector<int> captionWordPx_;  // least shown width of each column: its longest caption word
};

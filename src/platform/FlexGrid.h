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
// The model is in FlexGridModel.h, its cell texts in FlexGridCells.h.
//
// Out-of-range use never crashes: reading a cell outside the grid gives an
// empty text; writing one, or making a row or column current that does not
// exist, is ignored (a warning is logged).

#include "platform/FlexGridModel.h"

#include <QHeaderView>
#include <QString>
#include <QTableView>
#include <vector>

class FlexGridFixedHeader;
class FlexGridCorner;
class QPainter;

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

#pragma once
// The grid control's model (see FlexGrid.h): every setting and cell text of
// the grid, driven without any painting.

#include "platform/FlexGridCells.h"

#include <QAbstractTableModel>
#include <QString>
#include <functional>
#include <vector>

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

// The grid control's widget: the table view that shows a FlexGridModel, with
// its fixed rows and columns drawn by its headers and corner.

#include "platform/FlexGrid.h"

#include <QStyledItemDelegate>

#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QScrollBar>
#include <QtDebug>
#include <algorithm>

// ---------------------------------------------------------------------------
// The fixed rows are drawn by the horizontal header, the fixed columns by the
// vertical one, and the cells where both meet by a widget over the corner.

class FlexGridFixedHeader : public QHeaderView {
public:
    FlexGridFixedHeader(Qt::Orientation orientation, FlexGrid* grid) : QHeaderView(orientation, grid), grid_(grid) {
        setSectionsClickable(false);
        setHighlightSections(false);
        setMinimumSectionSize(1);
        setSectionResizeMode(QHeaderView::Fixed);
        setStretchLastSection(false);
    }

    // The height of the fixed rows (horizontal) or the width of the fixed
    // columns (vertical).
    int extent() const {
        const FlexGridModel* m = grid_->gridModel();
        int total = 0;
        if (orientation() == Qt::Horizontal)
            for (int r = 0; r < m->shownFixedRows(); ++r) total += grid_->rowHeightPixels(r);
        else
            for (int c = 0; c < m->shownFixedCols(); ++c) total += grid_->colWidthPixels(c);
        return total;
    }

    QSize sizeHint() const override {
        const int e = extent();
        return orientation() == Qt::Horizontal ? QSize(0, e) : QSize(e, 0);
    }

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override {
        const FlexGridModel* m = grid_->gridModel();
        if (orientation() == Qt::Horizontal) {
            const int c = logicalIndex + m->shownFixedCols();
            int y = 0;
            for (int r = 0; r < m->shownFixedRows(); ++r) {
                const int h = grid_->rowHeightPixels(r);
                if (h > 0) grid_->paintFixedCell(painter, QRect(rect.x(), y, rect.width(), h), r, c);
                y += h;
            }
        } else {
            const int r = logicalIndex + m->shownFixedRows();
            int x = 0;
            for (int c = 0; c < m->shownFixedCols(); ++c) {
                const int w = grid_->colWidthPixels(c);
                if (w > 0) grid_->paintFixedCell(painter, QRect(x, rect.y(), w, rect.height()), r, c);
                x += w;
            }
        }
    }

    void mousePressEvent(QMouseEvent* event) override {
        grid_->setFocus(Qt::MouseFocusReason);
        swallowRelease_ = false;
        QHeaderView::mousePressEvent(event);
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        QHeaderView::mouseReleaseEvent(event);
        if (swallowRelease_) {
            swallowRelease_ = false;
            return;
        }
        if (event->button() == Qt::LeftButton) grid_->fixedAreaClicked(false);
    }
    void mouseDoubleClickEvent(QMouseEvent* event) override {
        // Not passed on: a double-click on a grid line would size the
        // column to its contents.
        if (event->button() == Qt::LeftButton) grid_->fixedAreaClicked(true);
        swallowRelease_ = true;
    }

private:
    FlexGrid* grid_;
    bool swallowRelease_ = false;
};

class FlexGridCorner : public QWidget {
public:
    explicit FlexGridCorner(FlexGrid* grid) : QWidget(grid), grid_(grid) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const FlexGridModel* m = grid_->gridModel();
        int y = 0;
        for (int r = 0; r < m->shownFixedRows(); ++r) {
            const int h = grid_->rowHeightPixels(r);
            int x = 0;
            for (int c = 0; c < m->shownFixedCols(); ++c) {
                const int w = grid_->colWidthPixels(c);
                if (w > 0 && h > 0) grid_->paintFixedCell(&painter, QRect(x, y, w, h), r, c);
                x += w;
            }
            y += h;
        }
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (swallowRelease_) {
            swallowRelease_ = false;
            return;
        }
        if (event->button() == Qt::LeftButton) grid_->fixedAreaClicked(false);
    }
    void mousePressEvent(QMouseEvent*) override {
        swallowRelease_ = false;
        grid_->setFocus(Qt::MouseFocusReason);
    }
    void mouseDoubleClickEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton) grid_->fixedAreaClicked(true);
        swallowRelease_ = true;
    }

private:
    FlexGrid* grid_;
    bool swallowRelease_ = false;
};

// ---------------------------------------------------------------------------
// FlexGrid

namespace {
constexpr int kTextMargin = 3;  // pixels between a cell's border and its text

// Draws a data cell on one line unless its row is tall enough for a second
// one: a name broken at its hyphen in a one-line row would lose the rest.
// A text wider than its column ends in an ellipsis.
class FlexGridCellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem opt(option);
        if (opt.rect.height() < 2 * opt.fontMetrics.lineSpacing()) {
            opt.features &= ~QStyleOptionViewItem::WrapText;
            opt.textElideMode = Qt::ElideRight;
        }
        QStyledItemDelegate::paint(painter, opt, index);
    }
};
}  // namespace

FlexGrid::FlexGrid(QWidget* parent) : QTableView(parent) {
    model_ = new FlexGridModel(this);
    hHeader_ = new FlexGridFixedHeader(Qt::Horizontal, this);
    vHeader_ = new FlexGridFixedHeader(Qt::Vertical, this);
    setHorizontalHeader(hHeader_);
    setVerticalHeader(vHeader_);
    setModel(model_);
    corner_ = new FlexGridCorner(this);
    setCornerButtonEnabled(false);

    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setTabKeyNavigation(false);
    setTextElideMode(Qt::ElideNone);
    setWordWrap(false);
    setItemDelegate(new FlexGridCellDelegate(this));

    connect(model_, &FlexGridModel::currentCellChanged, this, &FlexGrid::scheduleCurrentSync);
    connect(model_, &FlexGridModel::colWidthChanged, this, &FlexGrid::applyColWidth);
    connect(model_, &FlexGridModel::rowHeightChanged, this, &FlexGrid::applyRowHeight);
    connect(model_, &FlexGridModel::wordWrapChanged, this, [this](bool on) {
        setWordWrap(on);
        fitFixedRows();
        viewport()->update();
    });
    connect(model_, &FlexGridModel::fixedAreaChanged, this, [this] {
        fitFixedRows();
        hHeader_->viewport()->update();
        vHeader_->viewport()->update();
        corner_->update();
    });
    connect(model_, &QAbstractItemModel::modelReset, this, [this] {
        applyAllSizes();
        scheduleCurrentSync();
    });
    connect(hHeader_, &QHeaderView::sectionResized, this,
            [this](int logical, int, int newSize) { onSectionResized(Qt::Horizontal, logical, newSize); });
    connect(vHeader_, &QHeaderView::sectionResized, this,
            [this](int logical, int, int newSize) { onSectionResized(Qt::Vertical, logical, newSize); });
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &FlexGrid::Scroll);
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, &FlexGrid::Scroll);

    applyAllSizes();
    scheduleCurrentSync();
}

FlexGrid::~FlexGrid() = default;

int FlexGrid::dpiX() const {
    const int d = logicalDpiX();
    return d > 0 ? d : 96;
}

int FlexGrid::dpiY() const {
    const int d = logicalDpiY();
    return d > 0 ? d : 96;
}

int FlexGrid::TwipsToPixelsX(int twips) const { return qRound(double(twips) * dpiX() / 1440.0); }
int FlexGrid::TwipsToPixelsY(int twips) const { return qRound(double(twips) * dpiY() / 1440.0); }
int FlexGrid::PixelsToTwipsX(int pixels) const { return qRound(double(pixels) * 1440.0 / dpiX()); }
int FlexGrid::PixelsToTwipsY(int pixels) const { return qRound(double(pixels) * 1440.0 / dpiY()); }

int FlexGrid::defaultRowHeightPixels() const { return fontMetrics().lineSpacing() + 2 * kTextMargin; }

int FlexGrid::colWidthPixels(int c) const { return TwipsToPixelsX(model_->ColWidth(c)); }

int FlexGrid::rowHeightPixels(int r) const {
    const int h = model_->RowHeight(r);
    const int px = h < 0 ? defaultRowHeightPixels() : TwipsToPixelsY(h);
    // A fixed row grows to the height of its captions (a hidden one stays hidden).
    if (px > 0 && r >= 0 && r < int(fixedRowFit_.size())) return std::max(px, fixedRowFit_[std::size_t(r)]);
    return px;
}

int FlexGrid::captionHeightPixels(int r, int c) const {
    const QString text = model_->TextMatrix(r, c);
    if (text.isEmpty()) return 0;
    const int w = (c < model_->shownFixedCols() ? colWidthPixels(c) : shownColWidthPixels(c)) - 2 * kTextMargin;
    if (w <= 0) return 0;
    const int flags = model_->WordWrap() ? int(Qt::TextWordWrap) : int(Qt::TextSingleLine);
    const QRect need = fontMetrics().boundingRect(QRect(0, 0, w, 100000), flags, model_->displayText(text));
    return need.height() + 2 + 2;
}

int FlexGrid::captionWordPixels(int c) const {
    if (!model_->WordWrap()) return 0;
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    const QFontMetrics fm(font());
    int widest = 0;
    for (int r = 0; r < model_->shownFixedRows() && r < model_->Rows(); ++r) {
        const QString text = model_->displayText(model_->TextMatrix(r, c));
        for (const QString& word : text.split(blanks, Qt::SkipEmptyParts))
            widest = std::max(widest, fm.horizontalAdvance(word));
    }
    return widest == 0 ? 0 : widest + 2 * kTextMargin + 2;
}

void FlexGrid::fitFixedRows() {
    // A wrapped caption breaks between its words only: a column is shown at
    // least as wide as the longest word of its captions, so none is cut.
    std::vector<int> words(std::size_t(std::max(0, model_->Cols())), 0);
    for (int c = model_->shownFixedCols(); c < model_->Cols(); ++c) words[std::size_t(c)] = captionWordPixels(c);
    if (words != captionWordPx_) {
        captionWordPx_ = std::move(words);
        if (!applying_) {
            const bool was = applying_;
            applying_ = true;
            for (int c = model_->shownFixedCols(); c < model_->shownCols(); ++c) applyColWidth(c);
            applying_ = was;
        }
    }
    std::vector<int> fit(std::size_t(std::max(0, model_->shownFixedRows())), 0);
    const int cols = std::min(model_->shownCols(), model_->Cols());
    for (int r = 0; r < int(fit.size()) && r < model_->Rows(); ++r)
        for (int c = 0; c < cols; ++c) fit[std::size_t(r)] = std::max(fit[std::size_t(r)], captionHeightPixels(r, c));
    if (fit == fixedRowFit_) return;
    fixedRowFit_ = std::move(fit);
    updateGeometries();
    hHeader_->viewport()->update();
    vHeader_->viewport()->update();
    corner_->update();
}

int FlexGrid::contentWidthPixels(int c) const {
    if (c < 0 || c >= model_->Cols()) return 0;
    const QFontMetrics fm(font());
    int widest = 0;
    for (int r = model_->FixedRows(); r < model_->Rows(); ++r) {
        QString text = model_->TextMatrix(r, c);
        if (text.isEmpty()) continue;
        text.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
        widest = std::max(widest, fm.horizontalAdvance(text));
    }
    return widest == 0 ? 0 : widest + 2 * kTextMargin + 4;
}

void FlexGrid::StretchColumns(bool on) {
    stretch_ = on;
    applyAllSizes();
}

double FlexGrid::stretchFactor() const {
    if (!stretch_) return 1.0;
    int total = 0;
    for (int c = model_->shownFixedCols(); c < model_->shownCols(); ++c) total += std::max(0, colWidthPixels(c));
    int room = viewport()->width();
    if (verticalScrollBar()->isVisible()) room = std::max(room, 0);
    if (total <= 0 || room <= total) return 1.0;
    return double(room) / total;
}

void FlexGrid::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    if (stretch_) applyAllSizes();
}

void FlexGrid::WidenColumnsToContents() {
    contentPx_.assign(std::size_t(std::max(0, model_->Cols())), 0);
    for (int c = 0; c < model_->Cols(); ++c) contentPx_[std::size_t(c)] = contentWidthPixels(c);
    applyAllSizes();
}

int FlexGrid::shownColWidthPixels(int c) const {
    const int px = colWidthPixels(c);
    if (px <= 0) return px;  // hidden
    int shown = int(px * stretchFactor());
    if (c >= 0 && c < int(contentPx_.size())) shown = std::max(shown, contentPx_[std::size_t(c)]);
    if (c >= 0 && c < int(captionWordPx_.size())) shown = std::max(shown, captionWordPx_[std::size_t(c)]);
    return shown;
}

int FlexGrid::RowHeight(int r) const {
    const int h = model_->RowHeight(r);
    if (h < 0) return PixelsToTwipsY(defaultRowHeightPixels());
    return h;
}

void FlexGrid::FormatString(const QString& format) {
    model_->FormatString(format);
    if (FlexGridModel::ParseFormatString(format).empty()) return;
    const QFontMetrics fm(font());
    for (int c = 0; c < model_->Cols(); ++c) {
        QString caption = model_->TextMatrix(0, c);
        caption.replace(QLatin1String("\r\n"), QLatin1String("\r"));
        int widest = 0;
        for (const QString& line : caption.split(QLatin1Char('\r'))) widest = std::max(widest, fm.horizontalAdvance(line));
        model_->ColWidth(c, PixelsToTwipsX(widest + 2 * kTextMargin + 2));
    }
}

void FlexGrid::paintFixedCell(QPainter* painter, const QRect& rect, int r, int c) const {
    painter->save();
    painter->fillRect(rect, palette().button());
    painter->setPen(palette().color(QPalette::Mid));
    painter->drawLine(rect.topRight(), rect.bottomRight());
    painter->drawLine(rect.bottomLeft(), rect.bottomRight());
    const QString text = model_->TextMatrix(r, c);
    if (!text.isEmpty()) {
        int flags = int(FlexGridModel::QtAlignment(model_->ColAlignment(c), text));
        flags |= model_->WordWrap() ? int(Qt::TextWordWrap) : int(Qt::TextSingleLine);
        painter->setClipRect(rect);
        painter->setPen(palette().color(QPalette::ButtonText));
        painter->drawText(rect.adjusted(kTextMargin, 1, -kTextMargin, -1), flags, model_->displayText(text));
    }
    painter->restore();
}

void FlexGrid::applyAllSizes() {
    fitFixedRows();
    const bool was = applying_;
    applying_ = true;
    hHeader_->setHidden(model_->shownFixedRows() == 0);
    vHeader_->setHidden(model_->shownFixedCols() == 0);
    vHeader_->setDefaultSectionSize(defaultRowHeightPixels());
    for (int c = model_->shownFixedCols(); c < model_->shownCols(); ++c) applyColWidth(c);
    for (int r = model_->shownFixedRows(); r < model_->shownRows(); ++r)
        if (model_->RowHeight(r) != FlexGridModel::kDefaultRowHeight) applyRowHeight(r);
    applying_ = was;
    updateGeometries();
    hHeader_->viewport()->update();
    vHeader_->viewport()->update();
    corner_->update();
}

void FlexGrid::applyColWidth(int c) {
    fitFixedRows();
    if (c < model_->shownFixedCols()) {
        updateGeometries();
        vHeader_->viewport()->update();
        corner_->update();
        return;
    }
    const int section = c - model_->shownFixedCols();
    if (section >= hHeader_->count()) return;
    const bool was = applying_;
    applying_ = true;
    const int px = colWidthPixels(c);
    if (px <= 0) {
        setColumnHidden(section, true);
    } else {
        setColumnHidden(section, false);
        setColumnWidth(section, shownColWidthPixels(c));
    }
    applying_ = was;
}

void FlexGrid::applyRowHeight(int r) {
    if (r < model_->shownFixedRows()) {
        updateGeometries();
        hHeader_->viewport()->update();
        corner_->update();
        return;
    }
    const int section = r - model_->shownFixedRows();
    if (section >= vHeader_->count()) return;
    const bool was = applying_;
    applying_ = true;
    const int px = rowHeightPixels(r);
    if (px <= 0) {
        setRowHidden(section, true);
    } else {
        setRowHidden(section, false);
        setRowHeight(section, px);
    }
    applying_ = was;
}

void FlexGrid::onSectionResized(Qt::Orientation orientation, int logical, int newSize) {
    if (applying_ || newSize <= 0) return;  // our own sizing, or a section being hidden
    applying_ = true;
    if (orientation == Qt::Horizontal)
        model_->ColWidth(logical + model_->shownFixedCols(), PixelsToTwipsX(int(newSize / stretchFactor())));
    else
        model_->RowHeight(logical + model_->shownFixedRows(), PixelsToTwipsY(newSize));
    applying_ = false;
}

void FlexGrid::updateGeometries() {
    QTableView::updateGeometries();
    if (!corner_ || !hHeader_ || !vHeader_) return;
    if (hHeader_->isHidden() || vHeader_->isHidden()) {
        corner_->hide();
    } else {
        corner_->setGeometry(vHeader_->x(), hHeader_->y(), vHeader_->width(), hHeader_->height());
        corner_->show();
        corner_->raise();
    }
}

void FlexGrid::changeEvent(QEvent* event) {
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange) applyAllSizes();
}

void FlexGrid::scheduleCurrentSync() {
    if (fromView_ || syncPending_) return;
    syncPending_ = true;
    QMetaObject::invokeMethod(this, [this] { syncCurrentNow(); }, Qt::QueuedConnection);
}

void FlexGrid::syncCurrentNow() {
    syncPending_ = false;
    if (!model_->Redraw() || !selectionModel()) return;
    const int r = model_->Row() - model_->shownFixedRows();
    const int c = model_->Col() - model_->shownFixedCols();
    const QModelIndex idx = model_->index(r, c);  // invalid for a fixed cell or one the view lacks
    syncing_ = true;
    if (idx.isValid()) {
        QItemSelectionModel::SelectionFlags flags = QItemSelectionModel::ClearAndSelect;
        if (selectionMode_ == 1) flags |= QItemSelectionModel::Rows;
        if (selectionMode_ == 2) flags |= QItemSelectionModel::Columns;
        selectionModel()->setCurrentIndex(idx, flags);
    } else {
        selectionModel()->clear();
    }
    syncing_ = false;
}

void FlexGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    if (syncing_) {
        // Making a cell current from code does not scroll the grid.
        const bool scroll = hasAutoScroll();
        setAutoScroll(false);
        QTableView::currentChanged(current, previous);
        setAutoScroll(scroll);
        return;
    }
    QTableView::currentChanged(current, previous);
    if (!current.isValid()) return;
    fromView_ = true;
    model_->Row(current.row() + model_->shownFixedRows());
    model_->Col(current.column() + model_->shownFixedCols());
    fromView_ = false;
}

void FlexGrid::mousePressEvent(QMouseEvent* event) {
    pressed_ = true;
    swallowRelease_ = false;
    if (!indexAt(event->position().toPoint()).isValid()) {
        // Below the last row or right of the last column: the current cell stays.
        setFocus(Qt::MouseFocusReason);
        event->accept();
        return;
    }
    QTableView::mousePressEvent(event);
}

void FlexGrid::mouseReleaseEvent(QMouseEvent* event) {
    QTableView::mouseReleaseEvent(event);
    const bool click = pressed_ && !swallowRelease_ && event->button() == Qt::LeftButton;
    pressed_ = false;
    swallowRelease_ = false;
    if (click) emit Click();
}

void FlexGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    if (indexAt(event->position().toPoint()).isValid()) QTableView::mouseDoubleClickEvent(event);
    swallowRelease_ = true;
    if (event->button() == Qt::LeftButton) emit DblClick();
}

void FlexGrid::fixedAreaClicked(bool doubleClick) {
    if (doubleClick)
        emit DblClick();
    else
        emit Click();
}

void FlexGrid::keyPressEvent(QKeyEvent* event) {
    emit KeyDown(event->key(), event->modifiers());
    const QString text = event->text();
    if (!text.isEmpty()) emit KeyPress(text.at(0).unicode());
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        QTableView::keyPressEvent(event);
        return;
    default:
        // Typed characters do not search the grid for a matching text.
        if (text.isEmpty())
            QTableView::keyPressEvent(event);
        else
            event->accept();
    }
}

int FlexGrid::TopRow() const { return verticalScrollBar()->value() + model_->shownFixedRows(); }

void FlexGrid::TopRow(int r) {
    if (r < model_->FixedRows() || r >= model_->Rows()) {
        qWarning("FlexGrid: TopRow %d outside %d..%d", r, model_->FixedRows(), model_->Rows() - 1);
        return;
    }
    executeDelayedItemsLayout();
    updateGeometries();
    verticalScrollBar()->setValue(r - model_->shownFixedRows());
}

QRect FlexGrid::CellRect() {
    model_->flushChanges();
    if (syncPending_) syncCurrentNow();
    executeDelayedItemsLayout();
    updateGeometries();
    const int fr = model_->shownFixedRows();
    const int fc = model_->shownFixedCols();
    const int r = model_->Row();
    const int c = model_->Col();
    if (r >= model_->shownRows() || c >= model_->shownCols()) return QRect();

    // Scroll the cell into view (only along the directions it scrolls in).
    if (r >= fr || c >= fc) {
        const int tr = r >= fr ? r - fr : std::max(rowAt(0), 0);
        const int tc = c >= fc ? c - fc : std::max(columnAt(0), 0);
        const QModelIndex idx = model_->index(tr, tc);
        if (idx.isValid()) scrollTo(idx);
    }

    int x = 0, w = 0, y = 0, h = 0;
    if (c < fc) {
        x = vHeader_->x();
        for (int i = 0; i < c; ++i) x += colWidthPixels(i);
        w = colWidthPixels(c);
    } else {
        x = viewport()->x() + columnViewportPosition(c - fc);
        w = columnWidth(c - fc);
    }
    if (r < fr) {
        y = hHeader_->y();
        for (int i = 0; i < r; ++i) y += rowHeightPixels(i);
        h = rowHeightPixels(r);
    } else {
        y = viewport()->y() + rowViewportPosition(r - fr);
        h = rowHeight(r - fr);
    }
    return QRect(x, y, w, h);
}

int FlexGrid::CellLeft() { return PixelsToTwipsX(CellRect().x()); }
int FlexGrid::CellTop() { return PixelsToTwipsY(CellRect().y()); }
int FlexGrid::CellWidth() { return PixelsToTwipsX(CellRect().width()); }
int FlexGrid::CellHeight() { return PixelsToTwipsY(CellRect().height()); }

void FlexGrid::SelectionMode(int mode) {
    if (mode < 0 || mode > 2) {
        qWarning("FlexGrid: SelectionMode %d outside 0..2", mode);
        return;
    }
    selectionMode_ = mode;
    setSelectionBehavior(mode == 1   ? QAbstractItemView::SelectRows
                         : mode == 2 ? QAbstractItemView::SelectColumns
                                     : QAbstractItemView::SelectItems);
    scheduleCurrentSync();
}

void FlexGrid::AllowUserResizing(int mode) {
    if (mode < 0 || mode > 3) {
        qWarning("FlexGrid: AllowUserResizing %d outside 0..3", mode);
        return;
    }
    allowUserResizing_ = mode;
    hHeader_->setSectionResizeMode((mode & 1) ? QHeaderView::Interactive : QHeaderView::Fixed);
    vHeader_->setSectionResizeMode((mode & 2) ? QHeaderView::Interactive : QHeaderView::Fixed);
}

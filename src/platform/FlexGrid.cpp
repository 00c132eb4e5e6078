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
#include <limits>

// ---------------------------------------------------------------------------
// FlexGridCells

QString FlexGridCells::get(int r, int c) const {
    const Ref& ref = refs_[index(r, c)];
    if (ref.len == 0) return QString();
    return QString(reinterpret_cast<const QChar*>(chars_.data() + ref.off), qsizetype(ref.len));
}

void FlexGridCells::set(int r, int c, QStringView text) {
    Ref& ref = refs_[index(r, c)];
    const std::size_t len = std::size_t(text.size());
    const char16_t* src = text.utf16();
    if (len <= ref.len) {  // fits where the old text was
        std::copy(src, src + len, chars_.begin() + std::ptrdiff_t(ref.off));
        garbage_ += ref.len - len;
        ref.len = std::uint32_t(len);
        if (len == 0) ref.off = 0;
        return;
    }
    release(ref);
    ref = Ref{};
    // Reclaim dropped texts rather than grow the buffer, or when offsets would overflow.
    if ((chars_.size() + len > chars_.capacity() && garbage_ > chars_.size() / 4) ||
        chars_.size() + len > std::numeric_limits<std::uint32_t>::max())
        compact();
    ref.off = std::uint32_t(chars_.size());
    ref.len = std::uint32_t(len);
    chars_.insert(chars_.end(), src, src + len);
    if (garbage_ > (std::size_t(1) << 20) && garbage_ * 2 > chars_.size()) compact();
}

void FlexGridCells::compact() {
    std::vector<char16_t> fresh;
    fresh.reserve(chars_.size() - garbage_);
    for (Ref& ref : refs_) {
        if (ref.len == 0) {
            ref.off = 0;
            continue;
        }
        const auto off = std::uint32_t(fresh.size());
        fresh.insert(fresh.end(), chars_.begin() + std::ptrdiff_t(ref.off),
                     chars_.begin() + std::ptrdiff_t(ref.off + ref.len));
        ref.off = off;
    }
    chars_.swap(fresh);
    garbage_ = 0;
}

void FlexGridCells::resize(int rows, int cols) {
    rows = std::max(rows, 0);
    cols = std::max(cols, 0);
    if (rows == rows_ && cols == cols_) return;
    if (cols == cols_) {
        for (std::size_t i = std::size_t(rows) * std::size_t(cols); i < refs_.size(); ++i) release(refs_[i]);
        refs_.resize(std::size_t(rows) * std::size_t(cols));
    } else {
        std::vector<Ref> fresh(std::size_t(rows) * std::size_t(cols));
        for (int r = 0; r < rows_; ++r)
            for (int c = 0; c < cols_; ++c) {
                const Ref& ref = refs_[index(r, c)];
                if (r < rows && c < cols)
                    fresh[std::size_t(r) * std::size_t(cols) + std::size_t(c)] = ref;
                else
                    release(ref);
            }
        refs_.swap(fresh);
    }
    rows_ = rows;
    cols_ = cols;
    if (refs_.empty()) {
        clear();
    } else if (garbage_ > (std::size_t(1) << 20) && garbage_ * 2 > chars_.size()) {
        compact();
    }
}

void FlexGridCells::insertRow(int at) {
    refs_.insert(refs_.begin() + std::ptrdiff_t(std::size_t(at) * std::size_t(cols_)), std::size_t(cols_), Ref{});
    ++rows_;
}

void FlexGridCells::removeRow(int at) {
    const auto first = refs_.begin() + std::ptrdiff_t(std::size_t(at) * std::size_t(cols_));
    for (auto it = first; it != first + cols_; ++it) release(*it);
    refs_.erase(first, first + cols_);
    --rows_;
}

void FlexGridCells::clear() {
    std::fill(refs_.begin(), refs_.end(), Ref{});
    chars_.clear();
    chars_.shrink_to_fit();
    garbage_ = 0;
}

std::size_t FlexGridCells::bytes() const {
    return refs_.capacity() * sizeof(Ref) + chars_.capacity() * sizeof(char16_t);
}

// ---------------------------------------------------------------------------
// FlexGridModel

std::vector<FlexGridModel::FormatField> FlexGridModel::ParseFormatString(const QString& format) {
    std::vector<FormatField> fields;
    if (format.isEmpty()) return fields;
    const QStringList parts = format.split(QLatin1Char('|'));
    fields.reserve(std::size_t(parts.size()));
    for (const QString& part : parts) {
        FormatField f;
        f.caption = part;
        if (!part.isEmpty()) {
            switch (part.at(0).unicode()) {
            case '<': f.alignment = flexAlignLeftCenter; break;
            case '^': f.alignment = flexAlignCenterCenter; break;
            case '>': f.alignment = flexAlignRightCenter; break;
            default: break;
            }
            if (f.alignment != flexAlignGeneral) f.caption = part.mid(1);
        }
        fields.push_back(std::move(f));
    }
    return fields;
}

FlexGridModel::FlexGridModel(QObject* parent) : QAbstractTableModel(parent) {
    // A new grid: two rows and two columns, the first row fixed.
    cells_.resize(2, 2);
    colWidth_.assign(2, kDefaultColWidth);
    colAlign_.assign(2, flexAlignGeneral);
    rowHeight_.assign(2, kDefaultRowHeight);
    publish();
}

void FlexGridModel::publish() {
    shownRows_ = Rows();
    shownCols_ = Cols();
    shownFixedRows_ = fixedRows_;
    shownFixedCols_ = fixedCols_;
}

void FlexGridModel::clampCurrent() {
    const int r = std::clamp(row_, 0, std::max(Rows() - 1, 0));
    const int c = std::clamp(col_, 0, std::max(Cols() - 1, 0));
    if (r == row_ && c == col_) return;
    row_ = r;
    col_ = c;
    emit currentCellChanged();
}

void FlexGridModel::restructure(int newRows, int newCols, int newFixedRows, int newFixedCols, int rowAt,
                                const std::function<void()>& change) {
    if (!redraw_) {
        change();
        structureDirty_ = true;
        clampCurrent();
        return;
    }
    flushChanges();  // pending cell changes refer to the old shape
    const int oldDataRows = shownRows_ - shownFixedRows_;
    const int oldDataCols = shownCols_ - shownFixedCols_;
    const int newDataRows = newRows - newFixedRows;
    const int newDataCols = newCols - newFixedCols;
    const bool sameFixed = newFixedRows == shownFixedRows_ && newFixedCols == shownFixedCols_;
    const QModelIndex root;
    if (sameFixed && newDataCols == oldDataCols && newDataRows != oldDataRows && rowAt >= newFixedRows) {
        const int first = rowAt - newFixedRows;
        if (newDataRows > oldDataRows) {
            beginInsertRows(root, first, first + newDataRows - oldDataRows - 1);
            change();
            publish();
            endInsertRows();
        } else {
            beginRemoveRows(root, first, first + oldDataRows - newDataRows - 1);
            change();
            publish();
            endRemoveRows();
        }
    } else if (sameFixed && newDataRows == oldDataRows && newDataCols != oldDataCols) {
        if (newDataCols > oldDataCols) {
            beginInsertColumns(root, oldDataCols, newDataCols - 1);
            change();
            publish();
            endInsertColumns();
        } else {
            beginRemoveColumns(root, newDataCols, oldDataCols - 1);
            change();
            publish();
            endRemoveColumns();
        }
    } else if (sameFixed && newDataRows == oldDataRows && newDataCols == oldDataCols) {
        change();
        publish();
    } else {
        beginResetModel();
        change();
        publish();
        endResetModel();
    }
    clampCurrent();
}

void FlexGridModel::Rows(int n) {
    n = std::max(n, 0);
    if (n == Rows()) return;
    const int fixedRows = std::min(fixedRows_, n);
    restructure(n, Cols(), fixedRows, fixedCols_, std::min(n, Rows()), [&] {
        cells_.resize(n, Cols());
        rowHeight_.resize(std::size_t(n), kDefaultRowHeight);
        fixedRows_ = fixedRows;
    });
}

void FlexGridModel::Cols(int n) {
    n = std::max(n, 0);
    if (n == Cols()) return;
    const int fixedCols = std::min(fixedCols_, n);
    restructure(Rows(), n, fixedRows_, fixedCols, Rows(), [&] {
        cells_.resize(Rows(), n);
        colWidth_.resize(std::size_t(n), kDefaultColWidth);
        colAlign_.resize(std::size_t(n), flexAlignGeneral);
        fixedCols_ = fixedCols;
    });
}

void FlexGridModel::FixedRows(int n) {
    if (n < 0 || n > Rows()) {
        qWarning("FlexGrid: FixedRows %d outside 0..%d", n, Rows());
        return;
    }
    if (n == fixedRows_) return;
    restructure(Rows(), Cols(), n, fixedCols_, Rows(), [&] { fixedRows_ = n; });
}

void FlexGridModel::FixedCols(int n) {
    if (n < 0 || n > Cols()) {
        qWarning("FlexGrid: FixedCols %d outside 0..%d", n, Cols());
        return;
    }
    if (n == fixedCols_) return;
    restructure(Rows(), Cols(), fixedRows_, n, Rows(), [&] { fixedCols_ = n; });
}

void FlexGridModel::Row(int r) {
    if (r < 0 || r >= Rows()) {
        qWarning("FlexGrid: Row %d outside 0..%d", r, Rows() - 1);
        return;
    }
    if (r == row_) return;
    row_ = r;
    emit currentCellChanged();
}

void FlexGridModel::Col(int c) {
    if (c < 0 || c >= Cols()) {
        qWarning("FlexGrid: Col %d outside 0..%d", c, Cols() - 1);
        return;
    }
    if (c == col_) return;
    col_ = c;
    emit currentCellChanged();
}

QString FlexGridModel::TextMatrix(int r, int c) const {
    if (!inside(r, c)) return QString();
    return cells_.get(r, c);
}

void FlexGridModel::TextMatrix(int r, int c, const QString& text) {
    if (!inside(r, c)) {
        qWarning("FlexGrid: cell (%d, %d) outside a grid of %d x %d", r, c, Rows(), Cols());
        return;
    }
    cells_.set(r, c, text);
    markDirty(r, c, r, c);
}

void FlexGridModel::FormatString(const QString& format) {
    formatString_ = format;
    const std::vector<FormatField> fields = ParseFormatString(format);
    if (fields.empty()) return;
    Cols(int(fields.size()));
    if (Rows() == 0) Rows(1);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        colAlign_[i] = fields[i].alignment;
        cells_.set(0, int(i), fields[i].caption);
    }
    markDirty(0, 0, Rows() - 1, Cols() - 1);
}

int FlexGridModel::ColWidth(int c) const {
    return c >= 0 && c < Cols() ? colWidth_[std::size_t(c)] : 0;
}

void FlexGridModel::ColWidth(int c, int twips) {
    if (c < 0 || c >= Cols()) {
        qWarning("FlexGrid: ColWidth of column %d outside 0..%d", c, Cols() - 1);
        return;
    }
    colWidth_[std::size_t(c)] = twips < 0 ? kDefaultColWidth : twips;
    emit colWidthChanged(c);
}

int FlexGridModel::RowHeight(int r) const {
    return r >= 0 && r < Rows() ? rowHeight_[std::size_t(r)] : 0;
}

void FlexGridModel::RowHeight(int r, int twips) {
    if (r < 0 || r >= Rows()) {
        qWarning("FlexGrid: RowHeight of row %d outside 0..%d", r, Rows() - 1);
        return;
    }
    rowHeight_[std::size_t(r)] = twips < 0 ? kDefaultRowHeight : twips;
    emit rowHeightChanged(r);
}

void FlexGridModel::WordWrap(bool on) {
    if (on == wordWrap_) return;
    wordWrap_ = on;
    emit wordWrapChanged(on);
    markDirty(0, 0, Rows() - 1, Cols() - 1);
}

int FlexGridModel::ColAlignment(int c) const {
    return c >= 0 && c < Cols() ? colAlign_[std::size_t(c)] : flexAlignGeneral;
}

void FlexGridModel::ColAlignment(int c, int alignment) {
    if (c < 0 || c >= Cols() || alignment < flexAlignLeftTop || alignment > flexAlignGeneral) {
        qWarning("FlexGrid: ColAlignment(%d, %d) out of range", c, alignment);
        return;
    }
    colAlign_[std::size_t(c)] = alignment;
    markDirty(0, c, Rows() - 1, c);
}

void FlexGridModel::Clear() {
    cells_.clear();
    markDirty(0, 0, Rows() - 1, Cols() - 1);
}

void FlexGridModel::AddItem(const QString& item) { AddItem(item, Rows()); }

void FlexGridModel::AddItem(const QString& item, int index) {
    if (index < 0 || index > Rows()) {
        qWarning("FlexGrid: AddItem at row %d outside 0..%d", index, Rows());
        return;
    }
    const QStringList parts = item.split(QLatin1Char('\t'));
    restructure(Rows() + 1, Cols(), fixedRows_, fixedCols_, index, [&] {
        cells_.insertRow(index);
        rowHeight_.insert(rowHeight_.begin() + index, kDefaultRowHeight);
        const int n = std::min(int(parts.size()), Cols());
        for (int c = 0; c < n; ++c) cells_.set(index, c, parts[c]);
    });
}

void FlexGridModel::RemoveItem(int index) {
    if (index < fixedRows_ || index >= Rows()) {
        qWarning("FlexGrid: RemoveItem of row %d outside the rows %d..%d", index, fixedRows_, Rows() - 1);
        return;
    }
    restructure(Rows() - 1, Cols(), fixedRows_, fixedCols_, index, [&] {
        cells_.removeRow(index);
        rowHeight_.erase(rowHeight_.begin() + index);
    });
}

void FlexGridModel::Redraw(bool on) {
    if (on == redraw_) return;
    if (!on) {
        flushChanges();
        redraw_ = false;
        return;
    }
    redraw_ = true;
    if (structureDirty_) {
        structureDirty_ = false;
        dirty_ = false;
        beginResetModel();
        publish();
        endResetModel();
        emit fixedAreaChanged();
    } else {
        flushChanges();
    }
    emit currentCellChanged();
}

int FlexGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : shownRows_ - shownFixedRows_;
}

int FlexGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : shownCols_ - shownFixedCols_;
}

QVariant FlexGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return QVariant();
    const int r = index.row() + shownFixedRows_;
    const int c = index.column() + shownFixedCols_;
    if (!inside(r, c)) return QVariant();
    switch (role) {
    case Qt::DisplayRole: return displayText(cells_.get(r, c));
    case Qt::TextAlignmentRole: return QVariant::fromValue(QtAlignment(colAlign_[std::size_t(c)], cells_.get(r, c)));
    default: return QVariant();
    }
}

Qt::ItemFlags FlexGridModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

Qt::Alignment FlexGridModel::QtAlignment(int code, const QString& text) {
    switch (code) {
    case flexAlignLeftTop: return Qt::AlignLeft | Qt::AlignTop;
    case flexAlignLeftCenter: return Qt::AlignLeft | Qt::AlignVCenter;
    case flexAlignLeftBottom: return Qt::AlignLeft | Qt::AlignBottom;
    case flexAlignCenterTop: return Qt::AlignHCenter | Qt::AlignTop;
    case flexAlignCenterCenter: return Qt::AlignHCenter | Qt::AlignVCenter;
    case flexAlignCenterBottom: return Qt::AlignHCenter | Qt::AlignBottom;
    case flexAlignRightTop: return Qt::AlignRight | Qt::AlignTop;
    case flexAlignRightCenter: return Qt::AlignRight | Qt::AlignVCenter;
    case flexAlignRightBottom: return Qt::AlignRight | Qt::AlignBottom;
    default: {
        bool number = false;
        text.trimmed().toDouble(&number);
        return (number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
    }
    }
}

QString FlexGridModel::displayText(const QString& text) const {
    if (!text.contains(QLatin1Char('\r'))) return text;
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (!wordWrap_) shown.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return shown;
}

void FlexGridModel::markDirty(int top, int left, int bottom, int right) {
    if (bottom < top || right < left) return;
    if (!dirty_) {
        dirty_ = true;
        dirtyTop_ = top;
        dirtyLeft_ = left;
        dirtyBottom_ = bottom;
        dirtyRight_ = right;
    } else {
        dirtyTop_ = std::min(dirtyTop_, top);
        dirtyLeft_ = std::min(dirtyLeft_, left);
        dirtyBottom_ = std::max(dirtyBottom_, bottom);
        dirtyRight_ = std::max(dirtyRight_, right);
    }
    if (redraw_) scheduleFlush();
}

void FlexGridModel::scheduleFlush() {
    if (flushPending_) return;
    flushPending_ = true;
    QMetaObject::invokeMethod(this, [this] { flushChanges(); }, Qt::QueuedConnection);
}

void FlexGridModel::flushChanges() {
    flushPending_ = false;
    if (!dirty_ || !redraw_) return;
    dirty_ = false;
    const int top = std::max(dirtyTop_, shownFixedRows_) - shownFixedRows_;
    const int bottom = std::min(dirtyBottom_, shownRows_ - 1) - shownFixedRows_;
    const int left = std::max(dirtyLeft_, shownFixedCols_) - shownFixedCols_;
    const int right = std::min(dirtyRight_, shownCols_ - 1) - shownFixedCols_;
    if (top <= bottom && left <= right) emit dataChanged(index(top, left), index(bottom, right));
    if (dirtyTop_ < shownFixedRows_ || dirtyLeft_ < shownFixedCols_) emit fixedAreaChanged();
}

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

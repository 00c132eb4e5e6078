// The grid control's model: sizes, fixed rows and columns, the current cell,
// texts, widths, heights, alignment, the format string, and the changes told
// to the views.

#include "platform/FlexGridModel.h"

#include <QtDebug>
#include <algorithm>

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

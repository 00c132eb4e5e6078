#include "dialogs/AdditiveCellEditor.h"

#include "dialogs/TestInfoRules.h"
#include "platform/Dialogs.h"
#include "platform/FlexGrid.h"

#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <utility>

AdditiveCellEditor::AdditiveCellEditor(FlexGrid* grid, QLineEdit* editor, QString tooLongMessage, QObject* parent)
    : QObject(parent), grid_(grid), editor_(editor), tooLongMessage_(std::move(tooLongMessage)) {
    editor_->installEventFilter(this);
    grid_->installEventFilter(this);
    // Additive names show whole, whether typed, copied or loaded.
    connect(grid_->gridModel(), &QAbstractItemModel::dataChanged, grid_, [grid = grid_] { grid->WidenColumnsToContents(); });
    connect(grid_->gridModel(), &QAbstractItemModel::modelReset, grid_, [grid = grid_] { grid->WidenColumnsToContents(); });
    connect(grid_, &FlexGrid::Scroll, this, [this] {
        if (isOpen()) Commit();
    });
}

bool AdditiveCellEditor::isOpen() const { return !editor_->isHidden(); }

void AdditiveCellEditor::Open() {
    if (grid_->Row() < grid_->FixedRows() || grid_->Row() >= grid_->Rows()) return;
    if (isOpen()) {
        // Back on the cell being edited (as after a refused commit): keep editing.
        if (grid_->Row() == editRow_ && grid_->Col() == editCol_) {
            editor_->setFocus(Qt::OtherFocusReason);
            return;
        }
        // A cell still being edited is written back first.
        if (!Commit()) return;
    }
    // Reading the cell's place scrolls it into view, which would commit an
    // open editor: the edited cell is taken only afterwards.
    const QRect cell = grid_->CellRect();
    editCol_ = grid_->Col();
    editRow_ = grid_->Row();
    editor_->setGeometry(grid_->x() + cell.x(), grid_->y() + cell.y(), cell.width(), cell.height());
    editor_->setText(grid_->Text());
    editor_->show();
    editor_->raise();
    editor_->setFocus(Qt::OtherFocusReason);
    editor_->selectAll();
}

bool AdditiveCellEditor::Commit() {
    if (committing_) return false;
    committing_ = true;
    const QString text = editor_->text();
    if (testinfo::EditorTextTooLong(editCol_, text)) {
        ui::MsgBox(tooLongMessage_);
        grid_->Col(editCol_);
        grid_->Row(editRow_);
        editor_->setFocus(Qt::OtherFocusReason);
        committing_ = false;
        return false;
    }
    grid_->TextMatrix(editRow_, editCol_, text);
    editor_->hide();
    editor_->clear();
    committing_ = false;
    return true;
}

bool AdditiveCellEditor::CommitIfOpen() { return isOpen() ? Commit() : true; }

void AdditiveCellEditor::openAt(int r, int c) {
    grid_->Row(r);
    grid_->Col(c);
    Open();
}

void AdditiveCellEditor::tabFrom(int r, int c, bool forward) {
    const int first = grid_->FixedCols();
    const int last = grid_->Cols() - 1;
    for (;;) {
        c += forward ? 1 : -1;
        if (c > last) c = first, ++r;
        if (c < first) c = last, --r;
        if (r < grid_->FixedRows() || r >= grid_->Rows()) {
            focusBeyondGrid(forward);
            return;
        }
        if (grid_->ColWidth(c) > 0) break;  // hidden columns are passed over
    }
    openAt(r, c);
}

void AdditiveCellEditor::focusBeyondGrid(bool forward) {
    QWidget* w = grid_;
    for (int guard = 0; guard < 1000; ++guard) {
        w = forward ? w->nextInFocusChain() : w->previousInFocusChain();
        if (!w || w == grid_) return;
        if (w == editor_ || grid_->isAncestorOf(w)) continue;
        if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(grid_->window()) && w->isEnabled()) {
            w->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return;
        }
    }
}

bool AdditiveCellEditor::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && (watched == editor_ || watched == grid_)) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool tab = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
        if (tab && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            const bool forward = key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier);
            int r = grid_->Row(), c = grid_->Col();
            const bool was = std::exchange(tabbing_, true);
            if (watched == editor_ && isOpen()) {
                r = editRow_;
                c = editCol_;
                const bool hadFocus = editor_->hasFocus();
                grid_->setFocus(Qt::OtherFocusReason);  // the focus out commits the cell
                if (isOpen() && (hadFocus || !Commit())) {
                    tabbing_ = was;
                    return true;  // refused: the cell stays open
                }
            }
            tabFrom(r, c, forward);
            tabbing_ = was;
            return true;
        }
    }
    if (watched == grid_ && event->type() == QEvent::FocusIn && !isOpen() && !tabbing_) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::TabFocusReason && grid_->Rows() > grid_->FixedRows()) {
            tabFrom(grid_->FixedRows(), grid_->FixedCols() - 1, true);
        } else if (reason == Qt::BacktabFocusReason && grid_->Rows() > grid_->FixedRows()) {
            tabFrom(grid_->Rows() - 1, grid_->Cols(), false);
        }
    }
    if (watched == editor_ && event->type() == QEvent::FocusOut) {
        // Switching to another window, or a popup, is not leaving the cell.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && !editor_->isHidden() &&
            !committing_)
            Commit();
    }
    return QObject::eventFilter(watched, event);
}

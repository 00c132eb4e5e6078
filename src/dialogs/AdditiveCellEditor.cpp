#include "dialogs/AdditiveCellEditor.h"

#include "dialogs/TestInfoRules.h"
#include "platform/Dialogs.h"
#include "platform/FlexGrid.h"

#include <QEvent>
#include <QFocusEvent>
#include <QLineEdit>

AdditiveCellEditor::AdditiveCellEditor(FlexGrid* grid, QLineEdit* editor, QString tooLongMessage, QObject* parent)
    : QObject(parent), grid_(grid), editor_(editor), tooLongMessage_(std::move(tooLongMessage)) {
    editor_->installEventFilter(this);
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

bool AdditiveCellEditor::eventFilter(QObject* watched, QEvent* event) {
    if (watched == editor_ && event->type() == QEvent::FocusOut) {
        // Switching to another window, or a popup, is not leaving the cell.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && !editor_->isHidden() &&
            !committing_)
            Commit();
    }
    return QObject::eventFilter(watched, event);
}

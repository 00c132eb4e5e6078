#pragma once
// The in-place editor of an additive grid: a text box laid exactly over the
// clicked data cell, whose text is written back into the cell when it loses
// the focus or the grid scrolls. A name, unit or lot number of more than 50
// characters is refused with the dialog's own message; the editor then stays
// over its cell with its text.
//
// Tab commits the cell and opens the next one, row by row; after the last
// cell it leaves the grid for the next control (Shift+Tab goes back the same
// way). Tabbing into the grid opens its first cell (its last, backwards).

#include <QObject>
#include <QString>

class FlexGrid;
class QLineEdit;

class AdditiveCellEditor : public QObject {
    Q_OBJECT
public:
    // `tooLongMessage` is shown when a commit is refused. The editor and the
    // grid must share a parent widget.
    AdditiveCellEditor(FlexGrid* grid, QLineEdit* editor, QString tooLongMessage, QObject* parent = nullptr);

    // Click on the grid: opens the editor on the current cell unless it is the
    // header row.
    void Open();
    // Writes the editor's text into the edited cell and hides the editor.
    // False when the text was refused (message shown, editor kept open).
    bool Commit();
    // Commits when the editor is open; true when nothing is left uncommitted.
    bool CommitIfOpen();

    bool isOpen() const;
    int EditRow() const { return editRow_; }
    int EditCol() const { return editCol_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Tab from cell (r, c): the next cell opened, or the focus passed on.
    void tabFrom(int r, int c, bool forward);
    void focusBeyondGrid(bool forward);
    void openAt(int r, int c);

    FlexGrid* grid_;
    QLineEdit* editor_;
    QString tooLongMessage_;
    int editRow_ = -1;
    int editCol_ = -1;
    bool committing_ = false;
    bool tabbing_ = false;
};

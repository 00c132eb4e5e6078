#pragma once
// The sequence picker: a small modeless dialog with the stored sequence
// names. The opener fills lstSeqName and selects the first entry; OK raises
// SelectedTestName (the dialog stays open: the opener's handler reads the
// selection and closes it); Cancel only hides it. A double click on the list
// does nothing.

#include "data/RecordBase.h"

#include <QDialog>
#include <QPointer>
#include <functional>

class QLabel;
class QListWidget;
class QPushButton;

class frmNameSeq : public QDialog {
    Q_OBJECT
public:
    explicit frmNameSeq(QWidget* parent = nullptr);

    // The text of the selected entry; empty when none is selected.
    QString SelectedText() const;
    // Lists the stored sequence names: the first column of `names` (the
    // JustName rows), at most `rowCount` of them, and selects the first.
    void ListNames(const RowCache& names, int rowCount);

    // A new picker for `owner`, kept in `current`; only the newest picker is
    // heard: an older one still open loads nothing. Its OK runs `selected`
    // (guarded: a failure is shown, not thrown).
    static frmNameSeq* Open(QWidget* owner, QPointer<frmNameSeq>& current, const std::function<void()>& selected);
    // The selection of the picker kept in `current`, which is then closed
    // and let go (`current` empties): what the opener's handler does once it
    // takes the chosen sequence.
    static QString TakeSelection(QPointer<frmNameSeq>& current);

    QLabel* Label1;  // "Select a test sequence:"
    QListWidget* lstSeqName;
    QPushButton* cmdOk;
    QPushButton* cmdCancel;

signals:
    void SelectedTestName();

public slots:
    void cmdOk_Click();
    void cmdCancel_Click();
};

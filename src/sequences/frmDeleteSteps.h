#pragma once
// "Delete Multiple Steps": the first and last step of the range to delete.
// Its OK (after its check) writes the editor's DeleteFrom and DeleteTo;
// Cancel, and any other way of closing it, writes 0 into DeleteFrom.

#include <QDialog>

class frmSetup;
class QComboBox;
class QPushButton;

class frmDeleteSteps : public QDialog {
    Q_OBJECT
public:
    // Loads at once from the editor's step grid.
    explicit frmDeleteSteps(frmSetup& owner);

    QComboBox* cmbDeletefrom;
    QComboBox* cmbDeleteto;
    QPushButton* cmdOk;
    QPushButton* cmdCancel;

public slots:
    void cmdOk_Click();
    void cmdCancel_Click();
    void reject() override;

private:
    frmSetup& owner_;
};

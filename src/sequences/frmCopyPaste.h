#pragma once
// "Copy & Paste": which steps to copy, where to paste them (after or before
// a step) and the temperature and pressure every copy gets. Its OK (after
// its checks) writes the editor's CopyFrom, CopyTo, PasteAt, PastePosition,
// NewPressure and NewTemperature; Cancel, and any other way of closing it,
// writes 0 into CopyFrom. The new temperature and pressure are numbers (an
// empty box is 0): OK refuses a text that is none by the box's caption.

#include <QDialog>

class frmSetup;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class frmCopyPaste : public QDialog {
    Q_OBJECT
public:
    // Loads at once from the editor's step grid.
    explicit frmCopyPaste(frmSetup& owner);

    QComboBox* cmbCopyfrom;
    QComboBox* cmbCopyto;
    QComboBox* cmbPasteto;
    QComboBox* cmbBeforeAfter;  // "after", "before"
    QLabel* lblNewTemperature;
    QLineEdit* txtNewTemperature;
    QLineEdit* txtNewPressure;
    QPushButton* cmdOk;
    QPushButton* cmdCancel;

public slots:
    void cmbBeforeAfter_Change();
    void cmdOk_Click();
    void cmdCancel_Click();
    void reject() override;

private:
    frmSetup& owner_;
};

#pragma once
// The test information dialog: the operator describes a new test before it is
// run or before a run stored in a unit is downloaded (name, fluid, researcher,
// test kind or bob, the values of that kind, a description and up to 20
// additives), optionally copied from a stored test. It writes nothing itself:
// the calling test window reads the controls at Start (Starting) and then
// Cancelled.
//
// Calling protocol of every test window:
//
//     frmTestRelatedInfo dlg(frmMain::Connection());   // loads at once
//     dlg.setWindowTitle("Input Test Information");     // adapt captions,
//     dlg.Label1(1)->setText("Bob_Length"); ...          // visibility, presets
//     dlg.Starting = [&] { ... read dlg.txtTestName->text() etc., add the
//         TEST_INFO row and its additives in one transaction
//         (newtest::StoreNewTest); false when refused };
//     ui::ShowModal(dlg);
//     if (dlg.Cancelled) return;                          // nothing is written
//
// Choosing a piston by index (cmbCell->setCurrentIndex) fills the piston's
// values as a click does; a change of txtBobNo runs the bob lookup.

#include "dialogs/ControlLayout.h"
#include "dialogs/TestInfoRules.h"

#include <QVector>
#include <array>
#include <functional>
#include <memory>

class AdditiveCellEditor;
class FlexGrid;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class clsConnection;
class clsTEST_ADDITIVE;
class clsTEST_INFO;

class frmTestRelatedInfo : public LaidOutDialog {
    Q_OBJECT
public:
    // The connection is the main window's; it must outlive the dialog. The
    // dialog loads here: every initial value of the load is in place when the
    // constructor returns.
    explicit frmTestRelatedInfo(clsConnection* connection, QWidget* parent = nullptr);
    ~frmTestRelatedInfo() override;

    // True from the load, and after Cancel or a close of the window; false
    // only after a start that passed every check.
    bool Cancelled = true;

    // What Start does once the dialog's own checks have passed, while the
    // dialog is still open: the calling window's checks of what was typed
    // and the new test's records. False: Start is refused (the window has
    // said why, and stored nothing); the dialog stays open with everything
    // typed, to be corrected, started again or cancelled. True (or no
    // hook): the dialog closes, Cancelled false.
    std::function<bool()> Starting;

    // Refills the stored-test list from the list the records read at load.
    void FillList();

    // The label array: elements 0 to 6, 8 to 10, 14, 15 and 17 exist
    // (nullptr for the others).
    QLabel* Label1(int index) const;

    // The additives the caller stores: rows 1 down to the first empty name.
    QVector<testinfo::AdditiveRow> AdditiveRows() const;

    // The stored-test list (column 0 TEST_NAME of rows 1 to n).
    QStringList StoredNames() const;

    // Controls.
    QLineEdit* txtTestName;
    QLineEdit* txtFluidId;
    QLineEdit* txtResearchName;
    QLineEdit* txtTestDate;
    QLineEdit* txtBobNo;
    QLineEdit* txtBobRadius;
    QLineEdit* txtBobLength;
    QLineEdit* txtPreTestPH;
    QLineEdit* txtRotoNo;
    QLineEdit* txtPostTestPH;
    QComboBox* cmbCell;
    QPlainTextEdit* txtSAFETY;
    FlexGrid* MSFlexGrid1;
    QLineEdit* txtOverlap;
    QLineEdit* txtCopyFrom;
    QPushButton* cmdPick;
    QPushButton* cmdCopy;
    FlexGrid* Gridcopy;
    FlexGrid* MSFlexGrid2;
    QPushButton* cmdOk;
    QPushButton* cmdCancel;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label6;
    QLabel* Label7;
    QLabel* Label8;

public slots:
    void txtBobNo_Change();
    void cmbCell_Click();
    void cmdPick_Click();
    void Gridcopy_Click();
    void cmdCopy_Click();
    void MSFlexGrid1_Click();
    // The cell editor's commit (it loses the focus, or the grid scrolls).
    void txtOverlap_LostFocus();
    void cmdOk_Click();
    void cmdCancel_Click();

private:
    void Form_Load();
    void InitTestListGrids();
    QLabel* makeLabel(const QString& name, const QString& text, int x, int y, int w, int h = 20);

    clsConnection* connection_;
    std::unique_ptr<clsTEST_INFO> testInfo_;
    std::unique_ptr<clsTEST_ADDITIVE> testAdditive_;
    std::array<QLabel*, 18> label1_{};
    AdditiveCellEditor* editor_ = nullptr;
};

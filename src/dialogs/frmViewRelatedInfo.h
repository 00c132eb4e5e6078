#pragma once
// Viewing and editing the information of the opened test: the dialog shows
// the test's TEST_INFO row and its additives with labels for its kind
// (rheology, PVT or swell); a save rewrites both.
//
// The main window's "Edit Test Info" button runs relatedinfo::cmdRelated_Click
// below; the dialog itself only checks lengths, edits its additive grid in
// place and reports whether it was confirmed (Cancelled); the rewrite runs at
// its Save (Saving), so that a save the database refuses keeps the dialog.

#include "data/RecordBase.h"
#include "dialogs/ControlLayout.h"
#include "dialogs/TestInfoRewrite.h"

#include <array>
#include <functional>

class AdditiveCellEditor;
class FlexGrid;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class clsConnection;
class clsTEST_ADDITIVE;
class clsTEST_INFO;
struct OpenedTest;

class frmViewRelatedInfo : public LaidOutDialog {
    Q_OBJECT
public:
    // Loads at once (layout, centring, additive grid, Cancelled).
    explicit frmViewRelatedInfo(QWidget* parent = nullptr);
    ~frmViewRelatedInfo() override;

    // True from the load, after Return and after a close of the window; false
    // only after a save that passed every check.
    bool Cancelled = true;

    // What Save does once the dialog's checks have passed, while it is still
    // open: the rewrite of the stored test. False: refused (the caller has
    // said why, nothing changed); the dialog stays open with everything
    // typed. True (or no hook): the dialog closes, Cancelled false.
    std::function<bool()> Saving;

    // The label array: elements 0 to 5, 8 to 10, 14, 15 and 17 exist.
    QLabel* Label1(int index) const;

    // Labels and visible boxes for the test kind, given as its TestTypeCode
    // (PVT, swell, any other code rheology).
    void SetTestKindLabels(qint32 testType);
    // The boxes from a TEST_INFO row array, in the order that lets the stored
    // radius and length replace what the bob lookup writes. A swell test's
    // sample length, stored in inches, is shown in the display length unit
    // (and stored back in inches by a save that keeps the test a swell test).
    void FillFromInfo(const RowArray& info, qint32 testType);
    // Rows 1 onward from the test's additives (at most the grid's 20 rows).
    void FillAdditives(clsTEST_ADDITIVE& additives, clsConnection* connection, qint32 testId);
    // What a save stores.
    testinfo::TestInfoEdit Edit() const;

    QLineEdit* txtTestName;
    QLineEdit* txtFluidId;
    QLineEdit* txtResearchName;
    QLineEdit* txtTestDate;
    QLineEdit* txtRotoNo;
    QLineEdit* txtBobNo;
    QLineEdit* txtBobRadius;
    QLineEdit* txtBobLength;
    QLineEdit* txtPreTestPH;
    QLineEdit* txtPostTestPH;
    QPlainTextEdit* txtSAFETY;
    FlexGrid* MSFlexGrid1;
    QLineEdit* txtOverlap;
    QPushButton* cmdOk;
    QPushButton* cmdCancel;

public slots:
    void txtBobNo_Change();
    void MSFlexGrid1_Click();
    void txtOverlap_LostFocus();
    void cmdOk_Click();
    void cmdCancel_Click();

private:
    qint32 testType_ = 0;  // as FillFromInfo was given it
    void Form_Load();

    std::array<QLabel*, 18> label1_{};
    AdditiveCellEditor* editor_ = nullptr;
};

namespace relatedinfo {

// Shows the dialog modally; the default goes through ui::ShowModal. Tests may
// pass one that fills the boxes and presses a button instead.
using ShowModal = std::function<void(frmViewRelatedInfo&)>;

// The whole of the main window's cmdRelated_Click: with a test open, reads its
// row again by its key (names are not unique; renewing
// opened.OpenedTestInfo), shows it with its additives in a new
// frmViewRelatedInfo and, at its Save, rewrites the row and the additives in
// one transaction (a save the database refuses is said with the database's
// state, changes nothing and leaves the dialog open with everything typed);
// once saved it reads the stored row again into opened.OpenedTestInfo and
// calls fillAdditiveGrid (the main window's Fill_Additive_Grid). With no
// test open, or the test no longer stored, nothing happens. Another database
// failure is shown as "ERROR: <number>, <description>".
void cmdRelated_Click(clsConnection* connection, clsTEST_INFO& testInfo, clsTEST_ADDITIVE& testAdditive,
                      OpenedTest& opened, const std::function<void()>& fillAdditiveGrid,
                      const ShowModal& showModal = ShowModal(), QWidget* parent = nullptr);

}  // namespace relatedinfo

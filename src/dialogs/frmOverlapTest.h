#pragma once
// The overlap-test chooser: lists the stored tests of the opened test's kind
// and raises overSelected (OK, which takes the highlighted row when the name
// box is empty, or a double-click on the list, which hides the chooser
// first). It loads nothing itself: the main window's handler
// fOverlap_overSelected checks the name (overlap::AcceptChosenName below),
// reads the chosen row's test by its key, draws it over its charts, hides the
// chooser and lets it go.

#include "data/RecordBase.h"
#include "dialogs/ControlLayout.h"

#include <QVector>

#include <memory>

class FlexGrid;
class QLabel;
class QLineEdit;
class QPushButton;
class clsConnection;
class clsTEST_INFO;
class clsTEST_RESULT;

class frmOverlapTest : public LaidOutDialog {
    Q_OBJECT
public:
    // `testType` is the opened test's kind as its TestTypeCode (the main
    // window's TestType). The connection must outlive the dialog. Loads at
    // once; a database failure during the load is shown and the chooser opens
    // with what it has.
    frmOverlapTest(clsConnection* connection, qint32 testType, QWidget* parent = nullptr);
    ~frmOverlapTest() override;

    // Refills the list from the stored tests the load read.
    void FillList();

    // The listed names (column 0 of rows 1 onward).
    QStringList ListedNames() const;
    // The keys of the listed tests, that of row r at r - 1.
    const QVector<qint32>& ListedKeys() const { return listedKeys_; }

    QLabel* Label1;
    FlexGrid* MSFlexGrid1;
    QLabel* Label2;
    QLineEdit* txtSeqName;
    QPushButton* cmdOk;
    QPushButton* cmdCancel;

signals:
    void overSelected();

public slots:
    void MSFlexGrid1_Click();
    void MSFlexGrid1_DblClick();
    void cmdOk_Click();
    void cmdCancel_Click();

private:
    void Form_Load();

    clsConnection* connection_;
    qint32 testType_;
    std::unique_ptr<clsTEST_INFO> testInfo_;
    std::unique_ptr<clsTEST_RESULT> testResult_;
    QVector<qint32> listedKeys_;
};

namespace overlap {

// The name checks of the main window's fOverlap_overSelected, on the chooser's
// name box and list: an empty name box (no test listed to take, see
// cmdOk_Click) asks for a test to be clicked first (storedtests::kPickTestFirst); a name listed in no row
// (compared without letter case) shows "Test sequence name not found."; the
// row chosen (the current row when it holds the name, else the first that
// does) being the opened test itself shows "Test cannot overlap itself"
// (title "Selection Error."). Otherwise testInfo.Test_Id is set to the key of
// that row and TEST_NAME to the name as listed, and true is returned: the
// caller then reads the test by its key (ReadChosenTest), draws the overlay,
// hides the chooser and lets it go. After a refusal the chooser stays as it is.
bool AcceptChosenName(frmOverlapTest& chooser, qint32 openedTestId, clsTEST_INFO& testInfo);

}  // namespace overlap

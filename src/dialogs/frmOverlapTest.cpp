#include "dialogs/frmOverlapTest.h"

#include "data/clsTEST_INFO.h"
#include "data/clsTEST_RESULT.h"
#include "dialogs/DialogSupport.h"
#include "dialogs/OverlapChooser.h"
#include "dialogs/StoredTestList.h"
#include "platform/Dialogs.h"
#include "platform/FlexGrid.h"
#include "platform/TrapErrors.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
constexpr int kDesignWidth = 600;
constexpr int kDesignHeight = 420;
}  // namespace

frmOverlapTest::frmOverlapTest(clsConnection* connection, qint32 testType, QWidget* parent)
    : LaidOutDialog(ControlLayout::Scaled, parent), connection_(connection), testType_(testType) {
    setObjectName(QStringLiteral("frmOverlapTest"));
    setWindowTitle(QStringLiteral("Overlap Saved Test"));
    setModal(true);
    resize(kDesignWidth, kDesignHeight);

    const dialogsupport::NameChooserControls chooser = dialogsupport::BuildNameChooser(
        this, QStringLiteral("Select a saved test sequence:"), QStringLiteral("...Or enter an existing sequence name:"));
    Label1 = chooser.Label1;
    MSFlexGrid1 = chooser.MSFlexGrid1;
    Label2 = chooser.Label2;
    txtSeqName = chooser.txtSeqName;
    cmdOk = chooser.cmdOk;
    cmdCancel = chooser.cmdCancel;

    connect(MSFlexGrid1, &FlexGrid::Click, this, &frmOverlapTest::MSFlexGrid1_Click);
    connect(MSFlexGrid1, &FlexGrid::DblClick, this, &frmOverlapTest::MSFlexGrid1_DblClick);
    connect(cmdOk, &QPushButton::clicked, this, &frmOverlapTest::cmdOk_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmOverlapTest::cmdCancel_Click);
    // Enter on the list chooses the highlighted test, as OK would; in the
    // name box, the test named.
    connect(MSFlexGrid1, &FlexGrid::KeyDown, this, [this](int key, Qt::KeyboardModifiers) {
        if (key != Qt::Key_Return && key != Qt::Key_Enter) return;
        MSFlexGrid1_Click();
        cmdOk_Click();
    });
    connect(txtSeqName, &QLineEdit::returnPressed, this, &frmOverlapTest::cmdOk_Click);

    Form_Load();
}

frmOverlapTest::~frmOverlapTest() = default;

void frmOverlapTest::Form_Load() {
    layout_.Save_Control_Layout();
    dialogsupport::CentreOnScreen(this);
    overlap::InitOverlapListGrid(*MSFlexGrid1->gridModel());
    TrapErrors([&] {
        testInfo_ = std::make_unique<clsTEST_INFO>();
        testResult_ = std::make_unique<clsTEST_RESULT>();
        testInfo_->ConnectX(connection_);
        testResult_->ConnectX(connection_);
        FillList();
    });
}

void frmOverlapTest::FillList() {
    if (!testInfo_) return;
    listedKeys_ = overlap::FillOverlapList(*MSFlexGrid1->gridModel(), testInfo_->StoredTests(), testType_);
    MSFlexGrid1->WidenColumnsToContents();
}

QStringList frmOverlapTest::ListedNames() const {
    QStringList names;
    const FlexGridModel& grid = *MSFlexGrid1->gridModel();
    for (int r = 1; r < grid.Rows(); ++r) names << grid.TextMatrix(r, 0);
    return names;
}

void frmOverlapTest::MSFlexGrid1_Click() {
    FlexGridModel& grid = *MSFlexGrid1->gridModel();
    if (grid.Row() < 1 || grid.Row() >= grid.Rows()) return;  // the header holds no name
    grid.Col(0);
    txtSeqName->setText(grid.Text());
}

void frmOverlapTest::MSFlexGrid1_DblClick() {
    hide();
    emit overSelected();
}

// With the name box empty, OK takes the row highlighted (the first one when
// the list opens) as if it had been clicked.
void frmOverlapTest::cmdOk_Click() {
    if (txtSeqName->text().isEmpty()) MSFlexGrid1_Click();
    emit overSelected();
}

void frmOverlapTest::cmdCancel_Click() { hide(); }

namespace overlap {

bool AcceptChosenName(frmOverlapTest& chooser, qint32 openedTestId, clsTEST_INFO& testInfo) {
    FlexGridModel& grid = *chooser.MSFlexGrid1->gridModel();
    const NameCheckResult check = CheckName(chooser.txtSeqName->text(), chooser.ListedNames(), chooser.ListedKeys(),
                                            grid.Row(), openedTestId);
    if (check.result == NameCheck::Empty) {
        ui::MsgBox(storedtests::kPickTestFirst);
        return false;
    }
    // The search leaves the matching row current (the last row when none matched).
    grid.Col(0);
    if (check.row > 0)
        grid.Row(check.row);
    else if (grid.Rows() > 1)
        grid.Row(grid.Rows() - 1);
    if (check.row > 0) {
        testInfo.Test_Id(check.key);
        testInfo.TEST_NAME(check.listedName);
    }
    switch (check.result) {
        case NameCheck::NotFound:
            ui::MsgBox(kNameNotFound);
            return false;
        case NameCheck::Itself:
            ui::MsgBox(kOverlapItself, ui::vbOKOnly, kSelectionErrorTitle);
            return false;
        default:
            return true;
    }
}

}  // namespace overlap

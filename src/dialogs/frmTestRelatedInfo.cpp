#include "dialogs/frmTestRelatedInfo.h"

#include "data/CalibrationFiles.h"
#include "data/DateText.h"
#include "data/Numbers.h"
#include "data/TestKind.h"
#include "data/TestKindColumns.h"
#include "data/clsTEST_ADDITIVE.h"
#include "data/clsTEST_INFO.h"
#include "dialogs/AdditiveCellEditor.h"
#include "dialogs/DialogSupport.h"
#include "dialogs/StoredTestList.h"
#include "platform/Dialogs.h"
#include "platform/FlexGrid.h"
#include "platform/TrapErrors.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {
constexpr int kDesignWidth = 820;
constexpr int kDesignHeight = 560;
// Columns of the stored-test lists.
enum { colName = 0, colTime = 1, colResearcher = 2, colKind = 3 };
}  // namespace

QLabel* frmTestRelatedInfo::makeLabel(const QString& name, const QString& text, int x, int y, int w, int h) {
    auto* l = new QLabel(text, this);
    l->setObjectName(name);
    l->setGeometry(x, y, w, h);
    return l;
}

frmTestRelatedInfo::frmTestRelatedInfo(clsConnection* connection, QWidget* parent)
    : LaidOutDialog(ControlLayout::Scaled, parent), connection_(connection) {
    setObjectName(QStringLiteral("frmTestRelatedInfo"));
    setWindowTitle(QStringLiteral("Z3080 Test Related Information"));
    setModal(true);
    resize(kDesignWidth, kDesignHeight);

    auto label1 = [&](int index, const QString& text, int x, int y, int w) {
        dialogsupport::Label1Element(this, label1_, index, text, x, y, w);
    };
    auto makeBox = [&](const QString& name, int x, int y, int w) { return dialogsupport::TextBox(this, name, x, y, w); };

    // Left column: the test, its description and its additives.
    const dialogsupport::InfoColumnControls column = dialogsupport::BuildInfoColumn(
        this, label1_, QStringLiteral("Description, Notes and Comments:  (Max. 250 characters)"),
        QStringLiteral("Additives:  (Max. 40 characters)"), 196);
    txtTestName = column.txtTestName;
    txtFluidId = column.txtFluidId;
    txtResearchName = column.txtResearchName;
    txtTestDate = column.txtTestDate;
    txtSAFETY = column.txtSAFETY;
    MSFlexGrid1 = column.MSFlexGrid1;
    label1(6, QStringLiteral("Copy info from existing test:"), 12, 474, 240);
    txtCopyFrom = makeBox(QStringLiteral("txtCopyFrom"), 12, 496, 240);
    cmdPick = new QPushButton(QStringLiteral("Pick Name..."), this);
    cmdPick->setObjectName(QStringLiteral("cmdPick"));
    cmdPick->setToolTip(QStringLiteral("Click here to choose an existing test to copy"));
    cmdPick->setGeometry(262, 494, 106, 28);
    cmdCopy = new QPushButton(QStringLiteral("&Get && Copy"), this);
    cmdCopy->setObjectName(QStringLiteral("cmdCopy"));
    cmdCopy->setToolTip(QStringLiteral("Click here to get & copy test related information from saved test"));
    cmdCopy->setGeometry(376, 494, 106, 28);

    // Right column: the test kind or bob and the values of that kind.
    label1(15, QStringLiteral("Bob Number:"), 500, 14, 136);
    txtBobNo = makeBox(QStringLiteral("txtBobNo"), 640, 12, 100);
    label1(8, QStringLiteral("Bob Radius :"), 500, 46, 136);
    txtBobRadius = makeBox(QStringLiteral("txtBobRadius"), 640, 44, 100);
    txtBobRadius->setEnabled(false);
    Label3 = makeLabel(QStringLiteral("Label3"), QStringLiteral("(ml)"), 748, 46, 64);
    label1(1, QStringLiteral("Initial Density:"), 500, 78, 136);
    txtBobLength = makeBox(QStringLiteral("txtBobLength"), 640, 76, 100);
    Label4 = makeLabel(QStringLiteral("Label4"), QStringLiteral("(g/ml)"), 748, 78, 64);
    label1(10, QStringLiteral("Pre-Test pH:"), 500, 110, 136);
    txtPreTestPH = makeBox(QStringLiteral("txtPreTestPH"), 640, 108, 100);
    Label2 = makeLabel(QStringLiteral("Label2"), QStringLiteral("Piston Type:"), 500, 110, 136);
    cmbCell = new QComboBox(this);
    cmbCell->setObjectName(QStringLiteral("cmbCell"));
    cmbCell->setGeometry(640, 108, 120, 24);
    // No piston is chosen until the caller or the operator chooses one: with a
    // placeholder the list does not choose its first entry by itself when the
    // entries are added (which would fill the large piston's values and pass
    // the piston check unasked).
    cmbCell->setPlaceholderText(QStringLiteral(" "));
    Label6 = makeLabel(QStringLiteral("Label6"), QStringLiteral("g/ml"), 768, 110, 48);
    label1(14, QStringLiteral("Rotor Number:"), 500, 142, 136);
    txtRotoNo = makeBox(QStringLiteral("txtRotoNo"), 640, 140, 100);
    Label7 = makeLabel(QStringLiteral("Label7"), QStringLiteral("(min)"), 748, 142, 64);
    label1(9, QStringLiteral("Post-Test pH:"), 500, 174, 136);
    txtPostTestPH = makeBox(QStringLiteral("txtPostTestPH"), 640, 172, 100);
    Label5 = makeLabel(QStringLiteral("Label5"), QStringLiteral("(g/ml)"), 748, 174, 64);
    Label8 = makeLabel(QStringLiteral("Label8"),
                       QStringLiteral("Before clicking the Start Test button, be sure that all test materials are ready "
                                      "(secure pressure cell, close cell tower, etc.)"),
                       500, 268, 300, 80);
    Label8->setWordWrap(true);
    cmdOk = new QPushButton(QStringLiteral("&Start"), this);
    cmdOk->setObjectName(QStringLiteral("cmdOk"));
    cmdOk->setToolTip(QStringLiteral("Click here to save test  relateed infomation"));
    cmdOk->setGeometry(500, 494, 140, 32);
    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setGeometry(660, 494, 140, 32);

    // Hidden from the start, by design.
    label1_[10]->hide();
    label1_[9]->hide();
    Label4->hide();
    Label5->hide();
    Label6->hide();
    txtPreTestPH->hide();
    txtPostTestPH->hide();
    cmbCell->hide();
    Label2->hide();

    // The pick list, laid over the additive grid while it is shown; the list
    // of stored tests, never shown; the cell editor of the additive grid.
    Gridcopy = new FlexGrid(this);
    Gridcopy->setObjectName(QStringLiteral("Gridcopy"));
    Gridcopy->setGeometry(12, 268, 470, 196);
    Gridcopy->SelectionMode(1);
    Gridcopy->hide();
    MSFlexGrid2 = new FlexGrid(this);
    MSFlexGrid2->setObjectName(QStringLiteral("MSFlexGrid2"));
    MSFlexGrid2->setGeometry(12, 268, 470, 196);
    MSFlexGrid2->hide();
    // Empty lists until the load fills them.
    InitTestListGrids();
    txtOverlap = new QLineEdit(this);
    txtOverlap->setObjectName(QStringLiteral("txtOverlap"));
    txtOverlap->setGeometry(12, 268, 100, 24);
    txtOverlap->hide();

    // Enter in a box must not start the test.
    for (QPushButton* b : {cmdPick, cmdCopy, cmdOk, cmdCancel}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }

    editor_ = new AdditiveCellEditor(MSFlexGrid1, txtOverlap, QStringLiteral("Cannot have more than 50 characters"),
                                     this);

    connect(txtBobNo, &QLineEdit::textChanged, this, &frmTestRelatedInfo::txtBobNo_Change);
    connect(cmbCell, &QComboBox::currentIndexChanged, this, &frmTestRelatedInfo::cmbCell_Click);
    connect(cmbCell, &QComboBox::activated, this, &frmTestRelatedInfo::cmbCell_Click);
    connect(cmdPick, &QPushButton::clicked, this, &frmTestRelatedInfo::cmdPick_Click);
    connect(Gridcopy, &FlexGrid::Click, this, &frmTestRelatedInfo::Gridcopy_Click);
    connect(cmdCopy, &QPushButton::clicked, this, &frmTestRelatedInfo::cmdCopy_Click);
    connect(MSFlexGrid1, &FlexGrid::Click, this, &frmTestRelatedInfo::MSFlexGrid1_Click);
    connect(cmdOk, &QPushButton::clicked, this, &frmTestRelatedInfo::cmdOk_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmTestRelatedInfo::cmdCancel_Click);

    Form_Load();
}

frmTestRelatedInfo::~frmTestRelatedInfo() = default;

QLabel* frmTestRelatedInfo::Label1(int index) const {
    return index >= 0 && index < int(label1_.size()) ? label1_[std::size_t(index)] : nullptr;
}

void frmTestRelatedInfo::Form_Load() {
    layout_.Save_Control_Layout();
    dialogsupport::CentreOnScreen(this);
    Cancelled = true;
    Label2->hide();
    cmbCell->hide();
    txtOverlap->hide();
    txtTestName->clear();
    txtTestDate->setText(ShortDateText(QDateTime::currentDateTime()));
    txtRotoNo->setText(QStringLiteral("R1"));
    txtBobLength->setText(QStringLiteral("3.800"));
    txtPreTestPH->setText(QStringLiteral("7.0"));
    txtPostTestPH->setText(QStringLiteral("7.0"));
    txtResearchName->setText(QStringLiteral("Unknown"));

    // The bob of the last torque calibration. A fresh installation has no bob
    // file yet: the box then stays empty and the load goes on; a file that
    // cannot be read is reported and the load goes on.
    const calibration::BobInfoResult bob = calibration::ReadBobInfo();
    if (bob.ok)
        txtBobNo->setText(bob.bob);
    else if (!bob.missing && !bob.message.isEmpty())
        ui::MsgBox(bob.message);

    testinfo::InitAdditiveGrid(*MSFlexGrid1->gridModel());

    TrapErrors([&] {
        testInfo_ = std::make_unique<clsTEST_INFO>();
        testAdditive_ = std::make_unique<clsTEST_ADDITIVE>();
        testInfo_->ConnectX(connection_);
        InitTestListGrids();
        FillList();
    });
}

void frmTestRelatedInfo::InitTestListGrids() {
    for (FlexGrid* g : {MSFlexGrid2, Gridcopy}) {
        g->Cols(4);
        g->Rows(1);
    }
    Gridcopy->ColWidth(colName, 2000);
    Gridcopy->ColWidth(colTime, 2000);
}

void frmTestRelatedInfo::FillList() {
    if (!testInfo_) return;
    storedtests::FillStoredTestGrid(*MSFlexGrid2->gridModel(), storedtests::FromListRows(testInfo_->StoredTests()),
                                    storedtests::TypeColumn::BobNo);
}

QStringList frmTestRelatedInfo::StoredNames() const {
    QStringList names;
    const FlexGridModel& grid = *MSFlexGrid2->gridModel();
    for (int r = 1; r < grid.Rows(); ++r) names << grid.TextMatrix(r, colName);
    return names;
}

QVector<testinfo::AdditiveRow> frmTestRelatedInfo::AdditiveRows() const {
    return testinfo::AdditivesToStore(*MSFlexGrid1->gridModel());
}

void frmTestRelatedInfo::txtBobNo_Change() {
    if (const auto bob = testinfo::LookupBob(txtBobNo->text(), true)) {
        txtBobRadius->setText(bob->radius);
        txtBobLength->setText(bob->length);
    }
}

void frmTestRelatedInfo::cmbCell_Click() {
    // The boxes of pvt::info::CellLength and pvt::info::PistonRadius.
    if (const auto piston = testinfo::LookupPiston(cmbCell->currentText())) {
        txtPostTestPH->setText(piston->cellLength);
        txtRotoNo->setText(piston->radius);
    }
}

void frmTestRelatedInfo::cmdPick_Click() {
    Gridcopy->show();
    Gridcopy->raise();
    FlexGridModel& pick = *Gridcopy->gridModel();
    pick.Rows(0);
    const FlexGridModel& list = *MSFlexGrid2->gridModel();
    for (int r = 1; r < list.Rows(); ++r) {
        pick.Rows(pick.Rows() + 1);
        for (int c = 0; c < 4; ++c) pick.TextMatrix(pick.Rows() - 1, c, list.TextMatrix(r, c));
    }
}

void frmTestRelatedInfo::Gridcopy_Click() {
    const FlexGridModel& pick = *Gridcopy->gridModel();
    const int row = pick.Row();
    if (row < 0 || row >= pick.Rows()) return;
    const QString kind = pick.TextMatrix(row, colKind);
    if (!kind.isEmpty() && kind != txtBobNo->text()) {
        if (ui::MsgBox(QStringLiteral("Are you sure you want to select this test type?"), ui::vbOKCancel) !=
            ui::vbOK)
            return;
    }
    txtCopyFrom->setText(pick.TextMatrix(row, colName));
    Gridcopy->hide();
    cmdCopy_Click();
}

void frmTestRelatedInfo::cmdCopy_Click() {
    TrapErrors([&] {
        const QString name = txtCopyFrom->text();
        if (name.isEmpty()) return;
        if (!StoredNames().contains(name, Qt::CaseSensitive) || !testInfo_) {
            ui::MsgBox(QStringLiteral("Your test sequence name is not found.  Please try again."));
            return;
        }
        testInfo_->TEST_NAME(name);
        testInfo_->GetTestDetail();
        const RowArray info = testInfo_->All();
        const double testId = info[clsTEST_INFO::colTEST_ID].toDouble();
        if (testId == 0) return;

        txtFluidId->setText(testinfo::PlainText(info[clsTEST_INFO::colFLUID_ID]));
        txtBobNo->setText(testinfo::PlainText(info[clsTEST_INFO::colBOB_NO]));

        // A PVT test copies only from a test of the same piston size.
        const double pistonRadius = Val(testinfo::PlainText(info[pvt::info::PistonRadius]));
        if ((cmbCell->currentIndex() == 0 && pistonRadius < 2.0) ||
            (cmbCell->currentIndex() == 1 && pistonRadius > 2.0)) {
            ui::MsgBox(QStringLiteral("The selected test was conducted using a different piston size than that "
                                      "indicated on the main test page."));
            return;
        }

        // A swell test keeps the sample length its zeroing took and copies the
        // compaction pressure; the other kinds copy the length and keep what
        // their post-test box holds (for PVT the cell length of its piston).
        const bool swell = txtBobNo->text() == kSwellKindText;
        txtRotoNo->setText(testinfo::PlainText(info[clsTEST_INFO::colROTOR_NO]));
        txtBobRadius->setText(testinfo::PlainText(info[clsTEST_INFO::colBOB_RADIUS]));
        if (!swell) txtBobLength->setText(testinfo::PlainText(info[clsTEST_INFO::colBOB_EFF_LENGTH]));
        txtPreTestPH->setText(testinfo::PlainText(info[clsTEST_INFO::colPRETEST_PH]));
        if (swell) txtPostTestPH->setText(testinfo::PlainText(info[swell::info::CompactionPressure]));
        txtResearchName->setText(testinfo::PlainText(info[clsTEST_INFO::colRESEARCHER_NAME]));
        txtSAFETY->setPlainText(testinfo::PlainText(info[clsTEST_INFO::colSAFETY]));

        // The additives, from row 1 down; rows below the last copied keep their texts.
        testinfo::FillAdditiveRows(*MSFlexGrid1->gridModel(), *testAdditive_, connection_, testId, Str);
    });
}

void frmTestRelatedInfo::MSFlexGrid1_Click() { editor_->Open(); }

void frmTestRelatedInfo::txtOverlap_LostFocus() { editor_->Commit(); }

namespace {
// The texts of the dialog that are stored in columns of limited length.
testinfo::StoredTexts storedTextsOf(const frmTestRelatedInfo& d) {
    return {d.txtFluidId->text(), d.txtResearchName->text(), d.txtRotoNo->text(), d.txtBobNo->text(), d.AdditiveRows()};
}
}  // namespace

void frmTestRelatedInfo::cmdOk_Click() {
    // An edit still open in the grid is part of what is started.
    if (!editor_->CommitIfOpen()) return;
    testinfo::StartEntries e;
    e.testName = txtTestName->text();
    e.bobNo = txtBobNo->text();
    e.bobRadius = txtBobRadius->text();
    e.bobLength = txtBobLength->text();
    e.pistonChosen = cmbCell->currentIndex() >= 0;
    e.description = txtSAFETY->toPlainText();
    e.storedNames = StoredNames();
    e.additiveNames = testinfo::AdditiveNames(*MSFlexGrid1->gridModel());
    const QString refused = testinfo::StartCheck(e);
    if (!refused.isEmpty()) {
        ui::MsgBox(refused);
        return;
    }
    // Texts longer than their columns hold are refused here, while what was
    // typed can still be corrected.
    if (const auto tooLong = testinfo::StoredLengthCheck(storedTextsOf(*this))) {
        ui::MsgBox(tooLong->message);
        if (auto* box = findChild<QWidget*>(tooLong->boxName); box && !tooLong->boxName.isEmpty()) box->setFocus();
        return;
    }
    // The boxes that take numbers hold numbers.
    if (dialogsupport::InfoNumberRefused(this, label1_, txtBobNo->text(), AdditiveRows())) return;
    // The window's checks and its records, with everything typed still here.
    if (Starting && !Starting()) return;
    Cancelled = false;
    hide();
}

void frmTestRelatedInfo::cmdCancel_Click() {
    Cancelled = true;
    hide();
}


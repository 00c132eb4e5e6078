#include "dialogs/frmViewRelatedInfo.h"

#include "data/DateText.h"
#include "data/Globals.h"
#include "data/Numbers.h"
#include "data/TestKindColumns.h"
#include "data/clsConnection.h"
#include "data/clsTEST_ADDITIVE.h"
#include "data/clsTEST_INFO.h"
#include "dialogs/AdditiveCellEditor.h"
#include "dialogs/DialogSupport.h"
#include "data/OpenedTest.h"
#include "platform/Dialogs.h"
#include "platform/FlexGrid.h"
#include "platform/ModalShow.h"
#include "platform/TrapErrors.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {
constexpr int kDesignWidth = 800;
constexpr int kDesignHeight = 540;
}  // namespace

frmViewRelatedInfo::frmViewRelatedInfo(QWidget* parent) : LaidOutDialog(ControlLayout::Scaled, parent) {
    setObjectName(QStringLiteral("frmViewRelatedInfo"));
    setModal(true);
    resize(kDesignWidth, kDesignHeight);

    auto label1 = [&](int index, const QString& text, int x, int y, int w) {
        dialogsupport::Label1Element(this, label1_, index, text, x, y, w);
    };
    auto box = [&](const QString& name, int x, int y, int w) { return dialogsupport::TextBox(this, name, x, y, w); };

    const dialogsupport::InfoColumnControls column = dialogsupport::BuildInfoColumn(
        this, label1_, QStringLiteral("Description, Notes and Comments: (Max. 250 characters)"),
        QStringLiteral("Additives: (Max. 40 characters)"), 220);
    txtTestName = column.txtTestName;
    txtFluidId = column.txtFluidId;
    txtResearchName = column.txtResearchName;
    txtTestDate = column.txtTestDate;
    txtSAFETY = column.txtSAFETY;
    MSFlexGrid1 = column.MSFlexGrid1;

    label1(14, QStringLiteral("Rotor Number:"), 500, 14, 176);
    txtRotoNo = box(QStringLiteral("txtRotoNo"), 680, 12, 100);
    label1(15, QStringLiteral("Bob Number:"), 500, 46, 176);
    txtBobNo = box(QStringLiteral("txtBobNo"), 680, 44, 100);
    label1(8, QStringLiteral("Bob Radius (cm):"), 500, 78, 176);
    txtBobRadius = box(QStringLiteral("txtBobRadius"), 680, 76, 100);
    label1(1, QStringLiteral("Bob Effective Length (cm)"), 500, 110, 176);
    txtBobLength = box(QStringLiteral("txtBobLength"), 680, 108, 100);
    label1(10, QStringLiteral("Pre-Test pH:"), 500, 142, 176);
    txtPreTestPH = box(QStringLiteral("txtPreTestPH"), 680, 140, 100);
    label1(9, QStringLiteral("Post-Test pH:"), 500, 174, 176);
    txtPostTestPH = box(QStringLiteral("txtPostTestPH"), 680, 172, 100);

    cmdOk = new QPushButton(QStringLiteral("&Save"), this);
    cmdOk->setObjectName(QStringLiteral("cmdOk"));
    cmdOk->setToolTip(QStringLiteral("Click here to save test information"));
    cmdOk->setGeometry(500, 456, 130, 32);
    cmdCancel = new QPushButton(QStringLiteral("&Return"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setToolTip(QStringLiteral("Click here to return to the main screen without saving test information"));
    cmdCancel->setGeometry(650, 456, 130, 32);
    for (QPushButton* b : {cmdOk, cmdCancel}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }

    txtOverlap = new QLineEdit(this);
    txtOverlap->setObjectName(QStringLiteral("txtOverlap"));
    txtOverlap->setGeometry(12, 268, 100, 24);
    txtOverlap->hide();

    editor_ = new AdditiveCellEditor(MSFlexGrid1, txtOverlap, QStringLiteral("Cannot be over 50 char."), this);

    connect(txtBobNo, &QLineEdit::textChanged, this, &frmViewRelatedInfo::txtBobNo_Change);
    connect(MSFlexGrid1, &FlexGrid::Click, this, &frmViewRelatedInfo::MSFlexGrid1_Click);
    connect(cmdOk, &QPushButton::clicked, this, &frmViewRelatedInfo::cmdOk_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmViewRelatedInfo::cmdCancel_Click);

    Form_Load();
}

frmViewRelatedInfo::~frmViewRelatedInfo() = default;

void frmViewRelatedInfo::Form_Load() {
    layout_.Save_Control_Layout();
    dialogsupport::CentreOnScreen(this);
    testinfo::InitAdditiveGrid(*MSFlexGrid1->gridModel());
    Cancelled = true;
}

QLabel* frmViewRelatedInfo::Label1(int index) const {
    return index >= 0 && index < int(label1_.size()) ? label1_[std::size_t(index)] : nullptr;
}

void frmViewRelatedInfo::SetTestKindLabels(qint32 testType) {
    const TestKind kind = TestKindOfCode(testType);
    if (kind == TestKind::Pvt) {
        label1_[14]->setText(QStringLiteral("Radius(cm):"));
        label1_[15]->setText(QStringLiteral("Test Type:"));
        label1_[8]->setText(QStringLiteral("Initial Volume:"));
        label1_[1]->setText(QStringLiteral("Initial Density"));
        label1_[10]->hide();
        txtPreTestPH->hide();
        label1_[9]->hide();
        txtPostTestPH->hide();
    } else if (kind == TestKind::Lsm) {
        label1_[14]->setText(QStringLiteral("Sample Compact Time (min):"));
        label1_[15]->setText(QStringLiteral("Test Type:"));
        label1_[8]->setText(QStringLiteral("Sample Wt (g):"));
        // The sample length is stored in inches and shown in the display length unit.
        label1_[1]->setText(QStringLiteral("Sample Length ") + gLengthLabel);
        label1_[10]->setText(QStringLiteral("Sample Hardness:"));
        label1_[10]->show();
        txtPreTestPH->show();
        label1_[9]->setText(QStringLiteral("Sample Compact Press (psi):"));
        label1_[9]->show();
        txtPostTestPH->show();
    } else {
        label1_[10]->show();
        txtPreTestPH->show();
        label1_[9]->show();
        txtPostTestPH->show();
    }
}

void frmViewRelatedInfo::FillFromInfo(const RowArray& info, qint32 testType) {
    auto at = [&](int column) { return column < info.size() ? info[column] : QVariant(); };
    txtTestName->setText(testinfo::PlainText(at(clsTEST_INFO::colTEST_NAME)));
    txtFluidId->setText(testinfo::PlainText(at(clsTEST_INFO::colFLUID_ID)));
    txtTestDate->setText(ShortDateText(at(clsTEST_INFO::colTEST_TIME).toDateTime()));
    txtBobNo->setText(testinfo::PlainText(at(clsTEST_INFO::colBOB_NO)));
    txtRotoNo->setText(testinfo::PlainText(at(clsTEST_INFO::colROTOR_NO)));
    txtBobRadius->setText(testinfo::PlainText(at(clsTEST_INFO::colBOB_RADIUS)));
    testType_ = testType;
    const TestKind kind = TestKindOfCode(testType);
    txtBobLength->setText(kind == TestKind::Lsm ? testinfo::SampleLengthText(at(swell::info::SampleLength))
                                                : testinfo::PlainText(at(clsTEST_INFO::colBOB_EFF_LENGTH)));
    if (kind == TestKind::Pvt) {
        // Its radius per psi and cell length (pvt::info) are not shown.
        txtPreTestPH->clear();
        txtPostTestPH->clear();
    } else {
        txtPreTestPH->setText(testinfo::PlainText(at(clsTEST_INFO::colPRETEST_PH)));
        txtPostTestPH->setText(testinfo::PlainText(at(clsTEST_INFO::colPOSTTEST_PH)));
    }
    txtResearchName->setText(testinfo::PlainText(at(clsTEST_INFO::colRESEARCHER_NAME)));
    txtSAFETY->setPlainText(testinfo::PlainText(at(clsTEST_INFO::colSAFETY)).trimmed());
}

void frmViewRelatedInfo::FillAdditives(clsTEST_ADDITIVE& additives, clsConnection* connection, qint32 testId) {
    // The concentration without a leading blank.
    testinfo::FillAdditiveRows(*MSFlexGrid1->gridModel(), additives, connection, testId, CStr);
}

testinfo::TestInfoEdit frmViewRelatedInfo::Edit() const {
    testinfo::TestInfoEdit e;
    e.fluidId = txtFluidId->text();
    e.researcherName = txtResearchName->text();
    e.preTestPh = txtPreTestPH->text();
    e.postTestPh = txtPostTestPH->text();
    e.rotorNo = txtRotoNo->text();
    e.bobNo = txtBobNo->text();
    e.bobLength = txtBobLength->text();
    // A swell test kept as one: its sample length was shown in the display unit.
    e.sampleLengthInDisplayUnit = TestKindOfCode(testType_) == TestKind::Lsm && e.bobNo == kSwellKindText;
    e.bobRadius = txtBobRadius->text();
    e.description = txtSAFETY->toPlainText();
    e.additives = testinfo::AdditivesToStore(*MSFlexGrid1->gridModel());
    return e;
}

void frmViewRelatedInfo::txtBobNo_Change() {
    if (const auto bob = testinfo::LookupBob(txtBobNo->text(), false)) {
        txtBobRadius->setText(bob->radius);
        txtBobLength->setText(bob->length);
    }
}

void frmViewRelatedInfo::MSFlexGrid1_Click() { editor_->Open(); }

void frmViewRelatedInfo::txtOverlap_LostFocus() { editor_->Commit(); }

namespace {
// The texts of the dialog that are stored in columns of limited length.
testinfo::StoredTexts storedTextsOf(const frmViewRelatedInfo& d) {
    return {d.txtFluidId->text(), d.txtResearchName->text(), d.txtRotoNo->text(), d.txtBobNo->text(), testinfo::AdditivesToStore(*d.MSFlexGrid1->gridModel())};
}
}  // namespace

void frmViewRelatedInfo::cmdOk_Click() {
    // An edit still open in the grid is part of what is saved.
    if (!editor_->CommitIfOpen()) return;
    const QString refused = testinfo::SaveCheck(txtTestName->text(), txtSAFETY->toPlainText(),
                                                testinfo::AdditiveNames(*MSFlexGrid1->gridModel()));
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
    if (dialogsupport::InfoNumberRefused(this, label1_, txtBobNo->text(),
                                         testinfo::AdditivesToStore(*MSFlexGrid1->gridModel())))
        return;
    // The rewrite, with everything typed still here.
    if (Saving && !Saving()) return;
    Cancelled = false;
    hide();
}

void frmViewRelatedInfo::cmdCancel_Click() {
    Cancelled = true;
    hide();
}

namespace relatedinfo {

void cmdRelated_Click(clsConnection* connection, clsTEST_INFO& testInfo, clsTEST_ADDITIVE& testAdditive,
                      OpenedTest& opened, const std::function<void()>& fillAdditiveGrid, const ShowModal& showModal,
                      QWidget* parent) {
    if (opened.OpenedTestId == 0) return;
    TrapErrors([&] {
        frmViewRelatedInfo dlg(parent);
        // By its key: names are not unique.
        testInfo.Test_Id(opened.OpenedTestId);
        testInfo.GetTestDetailByKey();
        if (testInfo.Eof()) return;
        opened.OpenedTestInfo = testInfo.All();

        dlg.SetTestKindLabels(opened.TestType);
        dlg.setWindowTitle(QStringLiteral("Test Related Information"));
        dlg.FillFromInfo(opened.OpenedTestInfo, opened.TestType);
        dlg.FillAdditives(testAdditive, connection, opened.OpenedTestId);

        dlg.Saving = [&] {
            bool saved = false;
            TrapErrors([&] {
                // A PVT test's pre- and post-test columns hold its radius per psi and
                // cell length (pvt::info), which the dialog does not show: they are kept.
                saved = WriteOrRefuse(
                    connection,
                    [&] {
                        testinfo::RewriteTestInfo(connection, testInfo, testAdditive, opened.OpenedTestId,
                                                  dlg.Edit(), opened.Kind() == TestKind::Pvt);
                    },
                    QStringLiteral("The test information was not saved"),
                    QStringLiteral("The stored test is as it was"));
            });
            return saved;
        };
        if (showModal)
            showModal(dlg);
        else
            ui::ShowModal(dlg);
        dlg.Saving = nullptr;
        if (dlg.Cancelled) return;
        // The window's copy of the row follows the save, so that what is
        // shown and reported from it is what is stored.
        testInfo.Test_Id(opened.OpenedTestId);
        testInfo.GetTestDetailByKey();
        if (!testInfo.Eof()) opened.OpenedTestInfo = testInfo.All();
        if (fillAdditiveGrid) fillAdditiveGrid();
    });
}

}  // namespace relatedinfo

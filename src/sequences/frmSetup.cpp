#include "sequences/frmSetup.h"

#include "sequences/SequenceCsv.h"
#include "sequences/SequencePreview.h"

#include "data/BobGeometry.h"
#include "data/Globals.h"
#include "data/Numbers.h"
#include "data/Settings.h"
#include "data/TypedNumbers.h"
#include "data/clsConnection.h"
#include "data/clsSEQUENCE_INFO.h"
#include "dialogs/DialogSupport.h"
#include "platform/TrapErrors.h"
#include "platform/Dialogs.h"
#include "platform/FlexGrid.h"
#include "platform/ModalShow.h"
#include "platform/PeChart.h"
#include "sequences/frmCopyPaste.h"
#include "sequences/frmDeleteSteps.h"
#include "sequences/frmInsertStep.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFocusEvent>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <functional>
#include <utility>

const QString frmSetup::kCaption = QStringLiteral("Z3080 Setup");
const QString frmSetup::kScreenSizeBox = QStringLiteral("Adjust Screen size");

namespace {

// The designed client size; the layout keeps every control at its fraction.
constexpr int kDesignWidth = 1000;
constexpr int kDesignHeight = 700;

// Key codes of the arrow keys.
constexpr int kKeyLeft = 37;
constexpr int kKeyUp = 38;
constexpr int kKeyRight = 39;
constexpr int kKeyDown = 40;

const QString kChangedYesNo =
    QStringLiteral("Current active sequence was changed.  Click Yes to go back and save the sequence.");
const QString kChangedListYesNo = QStringLiteral(
    "Current active sequence was changed. Do you want to save? Click 'Yes' to go back and save the sequence.");
const QString kChangedOkCancel = QStringLiteral(
    "Current active sequence was changed.  Click OK to leave without saving, or Cancel to go back and save the "
    "sequence.");
const QString kChangedNewYesNoCancel = QStringLiteral(
    "Current active sequence was changed. Click 'Yes' to take its steps into the new sequence, 'No' to start the "
    "new sequence empty (the changes are not saved), or 'Cancel' to go back and save the sequence.");
const QString kNewNamePrompt = QStringLiteral("Please input new test sequence name:");
const QString kNewNameTitle = QStringLiteral("Input New Test Sequence Name");
const QString kDuplicateName = QStringLiteral("Duplicate test name - Please enter a unique test name.");
constexpr int kMaxNameLength = 40;

QPushButton* button(QWidget* parent, const char* name, const QString& caption, int x, int y, int w = 96, int h = 28) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setGeometry(x, y, w, h);
    return b;
}

QLabel* label(QWidget* parent, const char* name, const QString& caption, int x, int y, int w, int h = 20) {
    auto* l = new QLabel(caption, parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(x, y, w, h);
    return l;
}

QLineEdit* box(QWidget* parent, const char* name, int x, int y, int w, int h = 22) {
    auto* t = new QLineEdit(parent);
    t->setObjectName(QLatin1String(name));
    t->setGeometry(x, y, w, h);
    return t;
}

QRadioButton* option(QWidget* parent, const char* name, const QString& caption, int x, int y, int w = 160) {
    auto* o = new QRadioButton(caption, parent);
    o->setObjectName(QLatin1String(name));
    o->setGeometry(x, y, w, 20);
    return o;
}

QGroupBox* frame(QWidget* parent, const char* name, const QString& caption, int x, int y, int w, int h) {
    auto* f = new QGroupBox(caption, parent);
    f->setObjectName(QLatin1String(name));
    f->setGeometry(x, y, w, h);
    f->setAutoFillBackground(true);  // a frame shown over other controls hides them
    return f;
}

// Unchecks an option button of an exclusive group.
void uncheck(QRadioButton* o) {
    o->setAutoExclusive(false);
    o->setChecked(false);
    o->setAutoExclusive(true);
}

int arrowCode(int qtKey) {
    switch (qtKey) {
    case Qt::Key_Left: return kKeyLeft;
    case Qt::Key_Up: return kKeyUp;
    case Qt::Key_Right: return kKeyRight;
    case Qt::Key_Down: return kKeyDown;
    default: return 0;
    }
}

// A masked edit box's state when closed: no mask while it is emptied, then
// the mask "####".
void resetEditor(QLineEdit* editor) {
    editor->setInputMask(QString());
    editor->setText(QString());
    editor->setInputMask(QStringLiteral("####"));
}

}  // namespace

frmSetup::frmSetup(clsConnection* connection, QWidget* mainWindow, QWidget* parent)
    : QWidget(parent, Qt::Window), mainWindow_(mainWindow), store_(connection) {
    setObjectName(QStringLiteral("frmSetup"));
    setWindowTitle(kCaption);
    buildControls();
    Form_Load();
}

frmSetup::~frmSetup() = default;

FlexGridModel& frmSetup::StepGrid() const { return *MSFlexGrid1->gridModel(); }
FlexGridModel& frmSetup::RampDefineGrid() const { return *MSFlexGrid2->gridModel(); }

QLabel* frmSetup::Label1(int index) const {
    return index >= 0 && index < int(label1_.size()) ? label1_[index] : nullptr;
}

// ---- building the window -------------------------------------------------------

void frmSetup::buildControls() {
    resize(kDesignWidth, kDesignHeight);
    layout_ = std::make_unique<ControlLayout>(this, ControlLayout::Scaled);

    TabStrip1 = new QTabBar(this);
    TabStrip1->setObjectName(QStringLiteral("TabStrip1"));
    TabStrip1->addTab(QStringLiteral("Test Sequence Setup"));
    TabStrip1->addTab(QStringLiteral("Hardware && Misc Setup"));
    TabStrip1->setGeometry(0, 0, kDesignWidth, 26);

    for (int i = 1; i <= 2; ++i) {
        Frame3[i] = new QFrame(this);
        Frame3[i]->setObjectName(QStringLiteral("Frame3"));
        Frame3[i]->setGeometry(0, 28, kDesignWidth, kDesignHeight - 28);
    }
    buildSequenceTab(Frame3[1]);
    buildBuilderFrame(Frame3[1]);
    buildSettingsTab(Frame3[2]);

    connect(TabStrip1, &QTabBar::currentChanged, this, [this] { TrapErrors([&] { TabStrip1_Click(); }); });
}

void frmSetup::buildSequenceTab(QFrame* tab) {
    label(tab, "lblSavedSequences", QStringLiteral("Saved test sequences:"), 8, 4, 200, 18);
    lstSeqName = new QListWidget(tab);
    lstSeqName->setObjectName(QStringLiteral("lstSeqName"));
    lstSeqName->setGeometry(8, 24, 200, 220);
    txtSeqName = box(tab, "txtSeqName", 8, 248, 200);

    label(tab, "lblBobSize", QStringLiteral("Bob Size:"), 8, 280, 60);
    Combo1 = new QComboBox(tab);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setGeometry(70, 278, 80, 22);

    Frame4 = frame(tab, "Frame4", QStringLiteral("Sequence Set"), 8, 306, 200, 66);
    Option1 = option(Frame4, "Option1", QStringLiteral("By Speed"), 10, 20);
    Option2 = option(Frame4, "Option2", QStringLiteral("By Shear Rate"), 10, 42);

    cmdNew = button(tab, "cmdNew", QStringLiteral("&New"), 8, 380);
    cmdSaveChange = button(tab, "cmdSaveChange", QStringLiteral("&Save"), 112, 380);
    cmdSaveas = button(tab, "cmdSaveas", QStringLiteral("Copy &As"), 8, 412);
    cmdDelete = button(tab, "cmdDelete", QStringLiteral("&Delete"), 112, 412);
    cmdExport = button(tab, "cmdExport", QStringLiteral("Export"), 8, 452);
    cmdImport = button(tab, "cmdImport", QStringLiteral("Import"), 112, 452);
    cmdReturn = button(tab, "cmdReturn", QStringLiteral("&Return"), 8, 630, 200, 30);

    label(tab, "lblSequenceSteps", QStringLiteral("Sequence Steps:"), 216, 4, 200, 18);
    MSFlexGrid1 = new FlexGrid(tab);
    MSFlexGrid1->setObjectName(QStringLiteral("MSFlexGrid1"));
    MSFlexGrid1->setToolTip(QStringLiteral("Select the desired test step by click on it"));
    MSFlexGrid1->setGeometry(216, 24, 560, 300);
    MSFlexGrid1->AllowUserResizing(3);
    MSFlexGrid1->StretchColumns(true);  // the steps use the grid's whole width
    txtOverlap2 = box(tab, "txtOverlap2", 216, 24, 60);

    cmdInsertStep = button(tab, "cmdInsertStep", QStringLiteral("&Insert new step"), 216, 330, 130);
    cmdDeleteStep = button(tab, "cmdDeleteStep", QStringLiteral("De&lete Curr. step"), 352, 330, 130);
    cmdCopySteps = button(tab, "cmdCopySteps", QStringLiteral("Copy Batch Steps"), 488, 330, 130);
    cmdDeleteSteps = button(tab, "cmdDeleteSteps", QStringLiteral("Delete Multi- Steps"), 624, 330, 152);
    cmdBuild = button(tab, "cmdBuild", QStringLiteral("Builder Step"), 216, 362, 130);

    Pesgo1 = new PeChart(tab);
    Pesgo1->setObjectName(QStringLiteral("Pesgo1"));
    Pesgo1->setGeometry(216, 396, 560, 268);

    Frame6 = frame(tab, "Frame6", QStringLiteral("Ramp Detail"), 784, 4, 208, 620);
    MSFlexGrid2 = new FlexGrid(Frame6);
    MSFlexGrid2->setObjectName(QStringLiteral("MSFlexGrid2"));
    MSFlexGrid2->setGeometry(6, 20, 196, 594);
    MSFlexGrid2->AllowUserResizing(3);
    MSFlexGrid2->StretchColumns(true);
    txtOverlap = box(Frame6, "txtOverlap", 6, 20, 60);
    cmdUpdateChart = button(tab, "cmdUpdateChart", QStringLiteral("Update Chart"), 784, 632, 208, 30);

    for (QLineEdit* editor : {txtOverlap2, txtOverlap}) {
        editor->installEventFilter(this);
        resetEditor(editor);
    }

    auto trap = [this](void (frmSetup::*handler)()) { return [this, handler] { TrapErrors([&] { (this->*handler)(); }); }; };
    connect(lstSeqName, &QListWidget::currentRowChanged, this, [this] {
        if (listFilling_) return;
        rowChangedSincePress_ = true;
        TrapErrors([&] { lstSeqName_Click(); });
    });
    // A click on the entry already selected (the one a question kept from
    // loading) picks it too; a click that changed the selection has already
    // run the handler. The press resets the mark (see eventFilter), so a
    // change made earlier by the window or the keyboard does not count.
    lstSeqName->viewport()->installEventFilter(this);
    connect(lstSeqName, &QListWidget::itemClicked, this, [this] {
        if (std::exchange(rowChangedSincePress_, false)) return;
        TrapErrors([&] { lstSeqName_Click(); });
    });
    connect(txtSeqName, &QLineEdit::textChanged, this, trap(&frmSetup::txtSeqName_Change));
    connect(Combo1, &QComboBox::currentIndexChanged, this, [this] {
        if (!loading_) TrapErrors([&] { SelectBob(); });
    });
    connect(Option1, &QRadioButton::clicked, this, trap(&frmSetup::Option1_Click));
    connect(Option2, &QRadioButton::clicked, this, trap(&frmSetup::Option2_Click));
    connect(cmdNew, &QPushButton::clicked, this, trap(&frmSetup::cmdNew_Click));
    connect(cmdSaveChange, &QPushButton::clicked, this, trap(&frmSetup::cmdSaveChange_Click));
    connect(cmdSaveas, &QPushButton::clicked, this, trap(&frmSetup::cmdSaveas_Click));
    connect(cmdDelete, &QPushButton::clicked, this, trap(&frmSetup::cmdDelete_Click));
    connect(cmdExport, &QPushButton::clicked, this, trap(&frmSetup::cmdExport_Click));
    connect(cmdImport, &QPushButton::clicked, this, trap(&frmSetup::cmdImport_Click));
    connect(cmdReturn, &QPushButton::clicked, this, trap(&frmSetup::cmdReturn_Click));
    connect(cmdInsertStep, &QPushButton::clicked, this, trap(&frmSetup::cmdInsertStep_Click));
    connect(cmdDeleteStep, &QPushButton::clicked, this, trap(&frmSetup::cmdDeleteStep_Click));
    connect(cmdCopySteps, &QPushButton::clicked, this, trap(&frmSetup::cmdCopySteps_Click));
    connect(cmdDeleteSteps, &QPushButton::clicked, this, trap(&frmSetup::cmdDeleteSteps_Click));
    connect(cmdBuild, &QPushButton::clicked, this, trap(&frmSetup::cmdBuild_Click));
    connect(cmdUpdateChart, &QPushButton::clicked, this, trap(&frmSetup::cmdUpdateChart_Click));
    connect(MSFlexGrid1, &FlexGrid::Click, this, trap(&frmSetup::MSFlexGrid1_Click));
    connect(MSFlexGrid2, &FlexGrid::Click, this, trap(&frmSetup::MSFlexGrid2_Click));
}

void frmSetup::buildBuilderFrame(QFrame* tab) {
    frameRamp = frame(tab, "frameRamp", QStringLiteral("Auto Step Builder"), 352, 40, 400, 356);
    struct Row {
        int labelIndex;
        const char* caption;
        const char* boxName;
        QLineEdit** target;
    };
    const Row rows[] = {
        {0, "Total Steps:", "txtTotalSteps", &txtTotalSteps},
        {1, "Step Time (min):", "txtStepTime", &txtStepTime},
        {17, "Temperature (°F):", "txtTemp", &txtTemp},
        {18, "Temperature Error (°F):", "txtTempError", &txtTempError},
        {2, "TempRamp Rate (°F/min)", "txtTempRate", &txtTempRate},
        {4, "Speed (rpm):", "txtSpeed", &txtSpeed},
        {3, "Pressure (psi):", "txtPressure", &txtPressure},
        {5, "Press Rate (psi/min)", "txtPressRate", &txtPressRate},
        {6, "Record Interval (sec):", "txtInterval", &txtInterval},
        {7, "Cycle :", "txtCycle", &txtCycle},
        {8, "Run Ramp:", "txtRunRamp", &txtRunRamp},
    };
    int y = 22;
    for (const Row& r : rows) {
        label1_[r.labelIndex] = label(frameRamp, "Label1", QString::fromUtf8(r.caption), 10, y, 200);
        *r.target = box(frameRamp, r.boxName, 220, y - 1, 160);
        y += 28;
    }
    // below the last box (Run Ramp), not over it
    cmdOk = button(frameRamp, "cmdOk", QStringLiteral("OK"), 60, 326, 100, 26);
    cmdCancel = button(frameRamp, "cmdCancel", QStringLiteral("Cancel"), 220, 326, 100, 26);
    connect(cmdOk, &QPushButton::clicked, this, [this] { TrapErrors([&] { FillStepsFromEntry(); }); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { TrapErrors([&] { cmdCancel_Click(); }); });
}

void frmSetup::buildSettingsTab(QFrame* tab) {
    label(tab, "lblCommSetup", QStringLiteral("Comm port setup for Z3080:"), 20, 10, 300);
    for (int i = 1; i <= 8; ++i) {
        const int y = 40 + (i - 1) * 30;
        label(tab, "lblUnit", QStringLiteral("Unit %1:").arg(i), 20, y + 2, 60);
        cmbUnit[i] = new QComboBox(tab);
        cmbUnit[i]->setObjectName(QStringLiteral("cmbUnit"));
        cmbUnit[i]->setGeometry(90, y, 120, 22);
    }
    QGroupBox* units = frame(tab, "fraUnitSelection", QStringLiteral("Unit Selection"), 260, 40, 220, 80);
    optCGS = option(units, "optCGS", QStringLiteral("CGS"), 10, 22);
    OptSI = option(units, "OptSI", QStringLiteral("SI"), 10, 46);
    QGroupBox* kUnits = frame(tab, "fraKUnitSelection", QStringLiteral("k' Unit Selection"), 260, 130, 220, 80);
    OptK1 = option(kUnits, "OptK1", QStringLiteral("lbf-s^n/100ft2"), 10, 22);
    OptK2 = option(kUnits, "OptK2", QStringLiteral("lbf-s^n/ft2"), 10, 46);
    label(tab, "lblScreenSize", QStringLiteral("Adjust Screen size * "), 260, 222, 140);
    txtSF = box(tab, "txtSF", 400, 220, 80);
    cmdSave = button(tab, "cmdSave", QStringLiteral("&Save"), 260, 270, 100, 30);
    cmdSave->setToolTip(QStringLiteral("Click here to save setup specifications"));
    cmdReturn2 = button(tab, "cmdReturn2", QStringLiteral("&Return"), 380, 270, 100, 30);

    auto trap = [this](void (frmSetup::*handler)()) { return [this, handler] { TrapErrors([&] { (this->*handler)(); }); }; };
    connect(optCGS, &QRadioButton::clicked, this, trap(&frmSetup::optCGS_Click));
    connect(OptSI, &QRadioButton::clicked, this, trap(&frmSetup::OptSI_Click));
    connect(OptK1, &QRadioButton::clicked, this, trap(&frmSetup::OptK1_Click));
    connect(OptK2, &QRadioButton::clicked, this, trap(&frmSetup::OptK2_Click));
    connect(cmdSave, &QPushButton::clicked, this, trap(&frmSetup::cmdSave_Click));
    connect(cmdReturn2, &QPushButton::clicked, this, trap(&frmSetup::cmdReturn2_Click));
}

// ---- load, tabs, close ------------------------------------------------------------

void frmSetup::Form_Load() {
    loading_ = true;
    layout_->Save_Control_Layout();
    dialogsupport::CentreOnScreen(this);
    seqgrid::InitStepGridHeader(StepGrid());
    seqgrid::InitRampDefineGridHeader(RampDefineGrid());
    txtOverlap2->hide();
    txtOverlap->hide();
    frameRamp->hide();

    Combo1->addItems(bob::UnitBobNames());
    Combo1->setCurrentIndex(0);
    SelectBob();  // the radius of "B1"; no sequence is loaded yet
    loading_ = false;

    Frame3[1]->show();
    Frame3[2]->hide();
    mCurrentTab = 1;

    // The sequences come from the database; the settings tab works without it.
    TrapErrors([&] {
        store_.Connect();
        mBobSRFactor = bob::ShearRatePerRpm(mBobRadius);
        ReloadSequenceList();
    });
    mBobSRFactor = bob::ShearRatePerRpm(mBobRadius);

    TrapErrors([&] { LoadPortSettings(); });

    // The builder's temperatures and ramp rate are read in the unit system's
    // units, as the grid shows them.
    if (gUnitSystem == 1) {
        label1_[17]->setText(QStringLiteral("Temperature(°F): "));
        label1_[18]->setText(QStringLiteral("Temperature Error (°F): "));
        label1_[2]->setText(QStringLiteral("TempRamp Rate (°F/min)"));
    } else {
        label1_[17]->setText(QStringLiteral("Temperature(°C): "));
        label1_[18]->setText(QStringLiteral("Temperature Error (°C): "));
        label1_[2]->setText(QStringLiteral("TempRamp Rate (°C/min)"));
    }
    mSeqChanged = false;
    unitChanged_ = false;
}

void frmSetup::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (layout_) layout_->Form_Resize();
}

void frmSetup::TabStrip1_Click() {
    const short index = static_cast<short>(TabStrip1->currentIndex() + 1);
    if (index < 1 || index > 2 || index == mCurrentTab) return;
    Frame3[index]->show();
    Frame3[mCurrentTab]->hide();
    mCurrentTab = index;
}

void frmSetup::cmdReturn_Click() { close(); }
void frmSetup::cmdReturn2_Click() { cmdReturn_Click(); }

bool frmSetup::Form_Unload() {
    if (mSeqChanged) {
        if (ui::MsgBox(kChangedOkCancel, ui::vbOKCancel) == ui::vbCancel) return true;
        mSeqChanged = false;
    }
    Save_setSR();
    if (mainWindow_) mainWindow_->show();
    return false;
}

void frmSetup::closeEvent(QCloseEvent* event) {
    bool stay = false;
    TrapErrors([&] { stay = Form_Unload(); });
    if (stay)
        event->ignore();
    else
        event->accept();
}

bool frmSetup::Save_setSR() { return ::Save_setSR(); }

int frmSetup::Check_Duplicate(const QString& name) { return store_.Check_Duplicate(name); }

// ---- sequence list, bob, entry mode ------------------------------------------------

bool frmSetup::keepUnstoredSequence() {
    return mSeqChanged && ui::MsgBox(kChangedYesNo, ui::vbYesNo) == ui::vbYes;
}

// The speed columns' headers follow the entry mode their cells are read in,
// also over a sequence without steps or ramp entries.
void frmSetup::LoadRampGrid() {
    if (store_.LoadRampGrid(StepGrid(), gBySR, mBobSRFactor)) mSeqChanged = false;
    StepGrid().TextMatrix(0, seqgrid::colSpeed, seqgrid::StepSpeedHeader(gBySR));
}

void frmSetup::LoadRampDefineGrid() {
    store_.LoadRampDefineGrid(RampDefineGrid(), gBySR, mBobSRFactor);
    RampDefineGrid().TextMatrix(0, 1, seqgrid::RampDefineSpeedHeader(gBySR));
}

void frmSetup::SelectBob() {
    if (keepUnstoredSequence()) return;
    mBobRadius = seqgrid::BobRadius(Combo1->currentText(), mBobRadius);
    mBobSRFactor = bob::ShearRatePerRpm(mBobRadius);
    LoadRampGrid();
    LoadRampDefineGrid();
}

void frmSetup::setEntryModeLabel() {
    label1_[4]->setText(gBySR ? QStringLiteral("Shear Rate (1/s)") : QStringLiteral("Speed (RPM)"));
}

void frmSetup::Option1_Click() {
    if (keepUnstoredSequence()) {
        uncheck(Option1);
        return;
    }
    gBySR = !Option1->isChecked();
    setEntryModeLabel();
    LoadRampGrid();
    LoadRampDefineGrid();
}

void frmSetup::Option2_Click() {
    if (keepUnstoredSequence()) {
        uncheck(Option2);
        return;
    }
    if (Option2->isChecked()) {
        gBySR = true;
        setEntryModeLabel();
    } else if (Option1->isChecked()) {
        gBySR = false;
        setEntryModeLabel();
    }
    LoadRampGrid();
    LoadRampDefineGrid();
}

void frmSetup::selectListEntry(int i) {
    if (lstSeqName->currentRow() != i) {
        lstSeqName->setCurrentRow(i);  // runs lstSeqName_Click
    } else {
        lstSeqName_Click();
    }
}

void frmSetup::lstSeqName_Click() {
    if (lstSeqName->count() == 0) return;
    if (mSeqChanged && ui::MsgBox(kChangedListYesNo, ui::vbYesNo) == ui::vbYes) return;
    const QListWidgetItem* item = lstSeqName->currentItem();
    store_.SelectByName(item ? item->text() : QString());
    LoadRampGrid();
    LoadRampDefineGrid();
    mSeqChanged = false;
    BuildPreviewProfile();
}

void frmSetup::txtSeqName_Change() {
    const QString typed = txtSeqName->text();
    if (typed.isEmpty()) return;
    for (int i = 0; i < lstSeqName->count(); ++i) {
        selectListEntry(i);
        if (lstSeqName->item(i)->text().left(typed.size()) == typed) break;
    }
}

void frmSetup::ReloadSequenceList() {
    const QStringList names = store_.ListNames();
    listFilling_ = true;
    lstSeqName->clear();
    lstSeqName->addItems(names);
    lstSeqName->setCurrentRow(-1);
    listFilling_ = false;
    if (!names.isEmpty()) selectListEntry(0);
}

// ---- hooks of the file exchange and the preview ------------------------------------

SequenceGridTexts frmSetup::GridTexts() const {
    return SequenceGridTexts::fromGrids(*MSFlexGrid1->gridModel(), *MSFlexGrid2->gridModel());
}

QString frmSetup::selectedSequenceName() const {
    const QListWidgetItem* current = lstSeqName->currentItem();
    return current && current->isSelected() ? current->text() : QString();
}

// The export looks the selected entry up only to refuse a name that is not
// stored: the grids may hold another sequence (kept by a question), and Save
// must go on storing into the sequence they came from.
void frmSetup::cmdExport_Click() {
    seqcsv::ExportSequenceCsv(*store_.mSeqInfo, lstSeqName->count(), selectedSequenceName(), GridTexts(),
                              mBobSRFactor);
}

// The list reload loads its first entry, which sets the shown sequence; when
// its question keeps the unstored sequence, Save still stores into that one.
void frmSetup::cmdImport_Click() {
    auto r = seqcsv::ImportSequenceCsv(store_.mConnection, *store_.mSeqInfo);
    if (r.stored > 0) TrapErrors([&] { ReloadSequenceList(); });
}

void frmSetup::cmdUpdateChart_Click() { BuildPreviewProfile(); }
void frmSetup::BuildPreviewProfile() { seqpreview::BuildPreviewProfile(*Pesgo1, GridTexts()); }
void frmSetup::Initial_Chart_All() { seqpreview::Initial_Chart_All(*Pesgo1); }

// ---- step builder ----------------------------------------------------------------------

void frmSetup::cmdBuild_Click() {
    frameRamp->show();
    frameRamp->raise();
}

void frmSetup::cmdCancel_Click() {
    frameRamp->hide();
    for (QLineEdit* b : {txtTotalSteps, txtTemp, txtStepTime, txtTempError, txtSpeed, txtInterval, txtPressure})
        b->clear();
}

void frmSetup::FillStepsFromEntry() {
    seqgrid::BuilderEntry e;
    e.txtTotalSteps = txtTotalSteps->text();
    e.txtStepTime = txtStepTime->text();
    e.txtTemp = txtTemp->text();
    e.txtTempError = txtTempError->text();
    e.txtTempRate = txtTempRate->text();
    e.txtSpeed = txtSpeed->text();
    e.txtPressure = txtPressure->text();
    e.txtPressRate = txtPressRate->text();
    e.txtInterval = txtInterval->text();
    e.txtCycle = txtCycle->text();
    e.txtRunRamp = txtRunRamp->text();
    // Once the total is there, every box holds a number (an empty box is 0),
    // named by its caption when it does not.
    auto box = [this](int label, QLineEdit* edit) {
        return typed::NumberBox{typed::BoxName(label1_[size_t(label)]->text()), edit->text(), 0.0, edit->objectName()};
    };
    const std::optional<typed::NumberRefusal> refused =
        seqgrid::BuilderStepCount(e) > 0
            ? typed::FirstRefusedNumber({box(1, txtStepTime), box(17, txtTemp), box(18, txtTempError),
                                         box(2, txtTempRate), box(4, txtSpeed), box(3, txtPressure),
                                         box(5, txtPressRate), box(6, txtInterval), box(7, txtCycle),
                                         box(8, txtRunRamp)})
            : std::nullopt;
    if (refused) {
        ui::MsgBox(refused->message, ui::vbOKOnly);
        if (auto* focus = frameRamp->findChild<QLineEdit*>(refused->objectName)) focus->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (const auto failure = seqgrid::CheckBuilderEntry(e, gBySR, mBobSRFactor)) {
        ui::MsgBox(failure->message, ui::vbOKOnly);
        if (auto* focus = frameRamp->findChild<QLineEdit*>(failure->box)) focus->setFocus(Qt::OtherFocusReason);
        return;
    }
    seqgrid::FillStepsFromEntry(StepGrid(), e);
    frameRamp->hide();
    mSeqChanged = true;
}

// ---- in-cell editing --------------------------------------------------------------------

void frmSetup::openCellEditor(FlexGrid* view, QLineEdit* editor) {
    const QRect cell = view->CellRect();
    editor->setGeometry(view->x() + cell.x(), view->y() + cell.y(), cell.width(), cell.height());
    editor->setInputMask(QString());
    editor->setText(view->gridModel()->Text());
    editor->show();
    editor->raise();
    editor->setFocus(Qt::OtherFocusReason);
    editor->setCursorPosition(editor->text().size());
}

void frmSetup::MSFlexGrid1_Click() {
    FlexGridModel& grid = StepGrid();
    if (grid.Row() == 0 || grid.Col() == 0 || grid.Row() >= grid.Rows()) return;
    mStepEditCol = grid.Col();
    mStepEditRow = static_cast<short>(grid.Row());
    openCellEditor(MSFlexGrid1, txtOverlap2);
}

void frmSetup::MSFlexGrid2_Click() {
    FlexGridModel& grid = RampDefineGrid();
    if (grid.Row() == 0 || grid.Row() >= grid.Rows()) return;
    mRampEditCol = grid.Col();
    mRampEditRow = static_cast<short>(grid.Row());
    openCellEditor(MSFlexGrid2, txtOverlap);
}

bool frmSetup::moveCellEditor(FlexGridModel& grid, int KeyCode, int firstCol,
                              const std::function<void(int row, int col)>& commitAndMove) {
    const int r = grid.Row(), c = grid.Col();
    const int lastRow = grid.Rows() - 1, lastCol = grid.Cols() - 1;
    switch (KeyCode) {
    case kKeyUp:
        if (r < 2)
            grid.Row(std::min(1, lastRow));
        else
            commitAndMove(r - 1, c);
        return true;
    case kKeyDown:
        if (r < lastRow)
            commitAndMove(r + 1, c);
        else
            grid.Row(lastRow);
        return true;
    case kKeyLeft:
        if (c <= firstCol)
            grid.Col(firstCol);
        else
            commitAndMove(r, c - 1);
        return true;
    case kKeyRight:
        if (c < lastCol)
            commitAndMove(r, c + 1);
        else
            grid.Col(lastCol);
        return true;
    default:
        return false;
    }
}

void frmSetup::txtOverlap2_KeyDown(int KeyCode, int /*Shift*/) {
    FlexGridModel& grid = StepGrid();
    const bool moved = moveCellEditor(grid, KeyCode, 1, [&](int row, int col) {
        // A text that is no number stays in the editor, the cell as it was.
        if (const auto refused = seqgrid::StepCellRefusal(grid, grid.Row(), grid.Col(), txtOverlap2->text())) {
            ui::MsgBox(*refused, ui::vbOKOnly);
            return;
        }
        seqgrid::CommitStepCell(grid, txtOverlap2->text());
        grid.Row(row);
        grid.Col(col);
        MSFlexGrid1_Click();
    });
    if (!moved) mSeqChanged = true;
}

void frmSetup::txtOverlap_KeyDown(int KeyCode, int /*Shift*/) {
    FlexGridModel& grid = RampDefineGrid();
    const bool moved = moveCellEditor(grid, KeyCode, 0, [&](int row, int col) {
        if (const auto refused = seqgrid::RampDefineCellRefusal(grid, grid.Row(), grid.Col(), txtOverlap->text())) {
            ui::MsgBox(*refused, ui::vbOKOnly);
            return;
        }
        grid.Text(txtOverlap->text());
        grid.Row(row);
        grid.Col(col);
        MSFlexGrid2_Click();
    });
    if (!moved) mSeqChanged = true;
}

void frmSetup::closeCellEditor(QLineEdit* editor) {
    closingEditor_ = true;
    editor->hide();
    resetEditor(editor);
    closingEditor_ = false;
}

void frmSetup::txtOverlap2_LostFocus() {
    if (closingEditor_ || txtOverlap2->isHidden()) return;
    FlexGridModel& grid = StepGrid();
    const int savedRow = grid.Row(), savedCol = grid.Col();
    std::optional<QString> refused;
    // A cell that is gone (its rows removed) takes nothing; a text that is no
    // number leaves the cell as it was, and is said once the editor is closed.
    if (mStepEditRow > 0 && mStepEditRow < grid.Rows() && mStepEditCol > 0 && mStepEditCol < grid.Cols()) {
        refused = seqgrid::StepCellRefusal(grid, mStepEditRow, mStepEditCol, txtOverlap2->text());
        if (!refused) {
            grid.Row(mStepEditRow);
            grid.Col(mStepEditCol);
            seqgrid::CommitStepCell(grid, txtOverlap2->text());
        }
    }
    closeCellEditor(txtOverlap2);
    if (savedRow < grid.Rows()) grid.Row(savedRow);
    if (savedCol < grid.Cols()) grid.Col(savedCol);
    if (refused) ui::MsgBox(*refused, ui::vbOKOnly);
}

void frmSetup::txtOverlap_LostFocus() {
    if (closingEditor_ || txtOverlap->isHidden()) return;
    FlexGridModel& grid = RampDefineGrid();
    const int savedRow = grid.Row(), savedCol = grid.Col();
    std::optional<QString> refused;
    if (mRampEditRow > 0 && mRampEditRow < grid.Rows() && mRampEditCol >= 0 && mRampEditCol < grid.Cols()) {
        refused = seqgrid::RampDefineCellRefusal(grid, mRampEditRow, mRampEditCol, txtOverlap->text());
        if (!refused) grid.TextMatrix(mRampEditRow, mRampEditCol, txtOverlap->text());
    }
    closeCellEditor(txtOverlap);
    if (savedRow < grid.Rows()) grid.Row(savedRow);
    if (savedCol < grid.Cols()) grid.Col(savedCol);
    if (refused) ui::MsgBox(*refused, ui::vbOKOnly);
}

bool frmSetup::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lstSeqName->viewport() && event->type() == QEvent::MouseButtonPress) rowChangedSincePress_ = false;
    if (watched == txtOverlap2 || watched == txtOverlap) {
        const bool step = watched == txtOverlap2;
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            const int arrow = arrowCode(key->key());
            const int code = arrow ? arrow : (key->key() & 0xffff);
            TrapErrors([&] {
                if (step)
                    txtOverlap2_KeyDown(code, int(key->modifiers()));
                else
                    txtOverlap_KeyDown(code, int(key->modifiers()));
            });
            if (arrow) return true;  // the arrows move between cells
        } else if (event->type() == QEvent::FocusOut) {
            // Another window or a popup taking the focus is not leaving the cell.
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
                TrapErrors([&] {
                    if (step)
                        txtOverlap2_LostFocus();
                    else
                        txtOverlap_LostFocus();
                });
        }
    }
    return QWidget::eventFilter(watched, event);
}

// ---- insert, copy, delete steps ------------------------------------------------------

void frmSetup::cmdInsertStep_Click() {
    FlexGridModel& grid = StepGrid();
    if (grid.Rows() > seqgrid::kMaxSteps) {
        ui::MsgBox(QStringLiteral("Maximum number of steps is 998."), ui::vbOKOnly,
                   QStringLiteral("Too Many Test Steps."));
        return;
    }
    frmInsertStep dlg(grid, this);
    if (gUnitSystem == 1) {
        dlg.lblTemp->setText(QStringLiteral("Temp (°F)"));
        dlg.Label4->setText(QStringLiteral("Temp Error(°F):"));
        dlg.Label1(2)->setText(QStringLiteral("TempRamp_Rate (°F/min)"));
    } else {
        dlg.lblTemp->setText(QStringLiteral("Temp (°C)"));
        dlg.Label4->setText(QStringLiteral("Temp Error(°C):"));
        dlg.Label1(2)->setText(QStringLiteral("TempRamp_Rate (°C/min)"));
    }
    if (gBySR) {
        dlg.Label1(4)->setText(QStringLiteral("Shear Rate (1/s)"));
        dlg.BobSRFactor(mBobSRFactor);
    } else {
        dlg.Label1(4)->setText(QStringLiteral("Speed (RPM)"));
    }
    ui::ShowModal(dlg);
    if (!dlg.CancelInp()) {
        seqgrid::NewStep step;
        step.time = dlg.time();
        step.Temp = dlg.Temp();
        step.TempError = dlg.TempError();
        step.TempRampRate = dlg.TempRampRate();
        step.ShearRate = dlg.ShearRate();
        step.Press = dlg.Press();
        step.PressRate = dlg.PressRate();
        step.Rate = dlg.Rate();
        step.Cycle = dlg.Cycle();
        step.RunRamp = dlg.RunRamp();
        seqgrid::InsertStep(grid, Val(dlg.txtStepNo->text()), dlg.Before(), step);
    }
    seqgrid::RenumberSteps(grid);
    mSeqChanged = true;
}

void frmSetup::cmdCopySteps_Click() {
    // A dialog closed any way but by its OK counts as cancelled.
    CopyFrom = 0;
    {
        frmCopyPaste dlg(*this);
        ui::ShowModal(dlg);
    }
    if (CopyFrom == 0) return;
    if (seqgrid::PasteSteps(StepGrid(), mStepBuffer, CopyFrom, CopyTo, PasteAt, PastePosition, NewTemperature,
                            NewPressure))
        mSeqChanged = true;
}

void frmSetup::cmdDeleteStep_Click() {
    if (seqgrid::DeleteCurrentStep(StepGrid())) mSeqChanged = true;
}

void frmSetup::cmdDeleteSteps_Click() {
    DeleteFrom = 0;
    {
        frmDeleteSteps dlg(*this);
        ui::ShowModal(dlg);
    }
    if (DeleteFrom == 0) return;
    if (seqgrid::DeleteSteps(StepGrid(), mStepBuffer, DeleteFrom, DeleteTo)) mSeqChanged = true;
}

// ---- storing ---------------------------------------------------------------------------

// The name of a new sequence, asked until it is one no stored sequence has;
// empty when the operator cancels.
QString frmSetup::askNewName(bool refuseTooLong) {
    for (;;) {
        const QString name = ui::InputBox(kNewNamePrompt, kNewNameTitle);
        if (name.isEmpty()) return QString();
        if (name.size() > kMaxNameLength) {
            if (!refuseTooLong) return QString();
            ui::MsgBox(QStringLiteral("Sequence name too long,name lengh can not over 40") + QChar(13) +
                           QStringLiteral("input again"),
                       ui::vbOKOnly);
            continue;
        }
        if (Check_Duplicate(name) == 0) return name;
        if (ui::MsgBox(kDuplicateName, ui::vbOKCancel) != ui::vbOK) return QString();
    }
}

// The steps shown that are not stored go into the new sequence, or are
// dropped, as the operator answers before anything is stored; steps that
// belong to no stored sequence are always taken.
void frmSetup::cmdNew_Click() {
    bool takeSteps = mSeqChanged && store_.mSeqId == 0;
    if (mSeqChanged && store_.mSeqId != 0) {
        const int answer = ui::MsgBox(kChangedNewYesNoCancel, ui::vbYesNoCancel);
        if (answer == ui::vbCancel) return;
        takeSteps = answer == ui::vbYes;
    }
    const QString name = askNewName(true);
    if (name.isEmpty()) return;
    store_.mSeqInfo->SetDefaults();
    if (!WriteOrRefuse(
            store_.mConnection, [&] { store_.AddNewSequence(name); }, QStringLiteral("The sequence was not added"),
            kNothingStored))
        return;
    openStoredSequence(name, takeSteps);
}

bool frmSetup::gridsRefused() {
    if (const auto failure = seqgrid::ValidateStepGrid(StepGrid(), gBySR, mBobSRFactor)) {
        ui::MsgBox(failure->message, ui::vbOKOnly);
        MSFlexGrid1_Click();
        return true;
    }
    if (const auto failure = seqgrid::ValidateRampDefineGrid(RampDefineGrid(), gBySR, mBobSRFactor)) {
        ui::MsgBox(failure->message, ui::vbOKOnly);
        return true;
    }
    if (const auto failure = seqgrid::ValidateRampFlags(StepGrid(), RampDefineGrid())) {
        ui::MsgBox(failure->message, ui::vbOKOnly);
        MSFlexGrid1_Click();
        return true;
    }
    return false;
}

void frmSetup::cmdSaveChange_Click() {
    if (gridsRefused()) return;
    // Steps stored under no sequence would belong to nothing.
    if (store_.mSeqId == 0) {
        ui::MsgBox(QStringLiteral("Currently no valid sequence selected."), ui::vbOKOnly);
        return;
    }
    // All or nothing: refused by the database (another program holds it,
    // ...), the stored sequence is as it was and the editor keeps its steps,
    // still to be saved.
    if (!WriteOrRefuse(
            store_.mConnection,
            [&] {
                store_.SaveSequenceInfo();
                store_.SaveRampGrid(StepGrid(), gBySR, mBobSRFactor);
                store_.SaveRampDefineGrid(RampDefineGrid(), gBySR, mBobSRFactor);
            },
            QStringLiteral("The sequence was not saved"), QStringLiteral("The stored sequence is as it was")))
        return;
    mSeqChanged = false;
}

// The copy is the sequence as the editor shows it: the grids with their
// unstored edits, the run settings of the sequence they came from (a new
// sequence's when they came from none). The copy is then the one shown; the
// sequence copied from stays as stored.
void frmSetup::cmdSaveas_Click() {
    if (gridsRefused()) return;
    const QString name = askNewName(false);
    if (name.isEmpty()) return;
    const qint32 shown = store_.mSeqId;
    const RowArray shownRow = store_.mSeqInfoRow;
    // All or nothing: refused by the database, no copy is stored and the
    // editor shows the grids and the sequence as they were.
    if (!WriteOrRefuse(
            store_.mConnection,
            [&] {
                if (shown != 0 && shownRow.size() >= clsSEQUENCE_INFO::kColumns)
                    store_.mSeqInfo->All(shownRow);
                else
                    store_.mSeqInfo->SetDefaults();
                store_.AddNewSequence(name);
                store_.SelectByName(name);
                store_.SaveRampGrid(StepGrid(), gBySR, mBobSRFactor);
                store_.SaveRampDefineGrid(RampDefineGrid(), gBySR, mBobSRFactor);
            },
            QStringLiteral("The sequence was not copied"), kNothingStored)) {
        store_.mSeqId = shown;
        store_.mSeqInfoRow = shownRow;
        return;
    }
    mSeqChanged = false;
    openStoredSequence(name, false);
}

void frmSetup::openStoredSequence(const QString& name, bool keepGrids) {
    const QStringList names = store_.ListNames();
    listFilling_ = true;
    lstSeqName->clear();
    lstSeqName->addItems(names);
    lstSeqName->setCurrentRow(int(names.indexOf(name)));
    listFilling_ = false;
    store_.SelectByName(name);
    if (keepGrids) {
        mSeqChanged = true;
    } else {
        LoadRampGrid();
        LoadRampDefineGrid();
        mSeqChanged = false;
    }
    BuildPreviewProfile();
}

void frmSetup::cmdDelete_Click() {
    if (ui::MsgBox(QStringLiteral("Are you sure you want to delete this test setup and test results?"),
                   ui::vbOKCancel) != ui::vbOK)
        return;
    const qint32 shown = store_.mSeqId;
    if (!WriteOrRefuse(
            store_.mConnection, [&] { store_.DeleteSequence(selectedSequenceName()); },
            QStringLiteral("The sequence was not deleted"), QStringLiteral("Nothing was deleted"))) {
        store_.mSeqId = shown;
        return;
    }
    store_.mSeqInfo->Refresh();
    ReloadSequenceList();
}

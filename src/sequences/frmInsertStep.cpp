#include "sequences/frmInsertStep.h"

#include "data/TypedNumbers.h"
#include "platform/Dialogs.h"
#include "platform/FlexGrid.h"
#include "sequences/SequenceGrids.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& caption, int y) {
    auto* l = new QLabel(caption, parent);
    l->setObjectName(name);
    l->setGeometry(12, y, 200, 20);
    return l;
}

QLineEdit* makeBox(QWidget* parent, const char* name, int y) {
    auto* t = new QLineEdit(parent);
    t->setObjectName(QLatin1String(name));
    t->setGeometry(220, y - 1, 120, 22);
    return t;
}

}  // namespace

frmInsertStep::frmInsertStep(FlexGridModel& steps, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmInsertStep"));
    setWindowTitle(QStringLiteral("Insert Step"));
    setModal(true);

    int y = 12;
    label1_[0] = makeLabel(this, QStringLiteral("Label1"), QStringLiteral("Step No:"), y);
    txtStepNo = makeBox(this, "txtStepNo", y);
    txtStepNo->setGeometry(220, y - 1, 50, 22);
    cmbBeforeAfter = new QComboBox(this);
    cmbBeforeAfter->setObjectName(QStringLiteral("cmbBeforeAfter"));
    cmbBeforeAfter->setEditable(true);
    cmbBeforeAfter->setGeometry(276, y - 1, 80, 22);
    y += 30;
    label1_[1] = makeLabel(this, QStringLiteral("Label1"), QStringLiteral("Step time (min):"), y);
    txtTime = makeBox(this, "txtTime", y);
    y += 28;
    lblTemp = makeLabel(this, QStringLiteral("lblTemp"), QStringLiteral("Temp (°F)"), y);
    txtTemp = makeBox(this, "txtTemp", y);
    y += 28;
    Label4 = makeLabel(this, QStringLiteral("Label4"), QStringLiteral("Temp Error(°F):"), y);
    txtTempError = makeBox(this, "txtTempError", y);
    y += 28;
    label1_[2] = makeLabel(this, QStringLiteral("Label1"), QStringLiteral("TempRamp_Rate (°F/min)"), y);
    txtTempRate = makeBox(this, "txtTempRate", y);
    y += 28;
    label1_[4] = makeLabel(this, QStringLiteral("Label1"), QStringLiteral("Speed (RPM)"), y);
    txtShearrate = makeBox(this, "txtShearrate", y);
    y += 28;
    label1_[3] = makeLabel(this, QStringLiteral("Label1"), QStringLiteral("Pressure (psi):"), y);
    txtPress = makeBox(this, "txtPress", y);
    y += 28;
    label1_[5] = makeLabel(this, QStringLiteral("Label1"), QStringLiteral("Press_Rate (psi/min)"), y);
    txtPressRate = makeBox(this, "txtPressRate", y);
    y += 28;
    label1_[6] = makeLabel(this, QStringLiteral("Label1"), QStringLiteral("Data Recording Interval (sec):"), y);
    txtRate = makeBox(this, "txtRate", y);
    y += 28;
    label1_[7] = makeLabel(this, QStringLiteral("Label1"), QStringLiteral("Cycle:"), y);
    txtcycle = makeBox(this, "txtcycle", y);
    y += 28;
    label1_[8] = makeLabel(this, QStringLiteral("Label1"), QStringLiteral("Run Ramp"), y);
    txtRunRamp = makeBox(this, "txtRunRamp", y);
    y += 36;
    cmdOk = new QPushButton(QStringLiteral("OK"), this);
    cmdOk->setObjectName(QStringLiteral("cmdOk"));
    cmdOk->setGeometry(60, y, 100, 28);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setGeometry(200, y, 100, 28);
    setFixedSize(370, y + 42);

    // The load.
    cancelInp_ = true;
    before_ = true;
    steps.Col(0);
    txtStepNo->setText(steps.Row() == 0 ? QStringLiteral("1") : steps.TextMatrix(steps.Row(), 0));
    cmbBeforeAfter->addItems({QStringLiteral("before"), QStringLiteral("after")});
    cmbBeforeAfter->setCurrentIndex(0);

    connect(cmbBeforeAfter, &QComboBox::activated, this, &frmInsertStep::cmbBeforeAfter_Click);
    connect(cmbBeforeAfter, &QComboBox::editTextChanged, this, &frmInsertStep::cmbBeforeAfter_Change);
    connect(cmdOk, &QPushButton::clicked, this, &frmInsertStep::cmdOk_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmInsertStep::cmdCancel_Click);
}

void frmInsertStep::cmbBeforeAfter_Click() { before_ = cmbBeforeAfter->currentIndex() == 0; }

void frmInsertStep::cmbBeforeAfter_Change() {
    // Typing is not a choice: back to "before".
    if (cmbBeforeAfter->currentIndex() >= 0 && cmbBeforeAfter->currentText() == cmbBeforeAfter->itemText(cmbBeforeAfter->currentIndex()))
        return;
    const QSignalBlocker block(cmbBeforeAfter);
    cmbBeforeAfter->setCurrentIndex(0);
    cmbBeforeAfter->setEditText(cmbBeforeAfter->itemText(0));
    before_ = true;
}

void frmInsertStep::cmdOk_Click() {
    // Every box holds a number (an empty box stands for 0), named by its
    // caption when it does not.
    auto box = [](QLabel* caption, QLineEdit* edit) {
        return typed::NumberBox{typed::BoxName(caption->text()), edit->text(), 0.0, edit->objectName()};
    };
    const QVector<typed::NumberBox> boxes = {
        box(label1_[0], txtStepNo),     box(label1_[1], txtTime),      box(lblTemp, txtTemp),
        box(Label4, txtTempError),      box(label1_[2], txtTempRate),  box(label1_[4], txtShearrate),
        box(label1_[3], txtPress),      box(label1_[5], txtPressRate), box(label1_[6], txtRate),
        box(label1_[7], txtcycle),      box(label1_[8], txtRunRamp),
    };
    if (const auto refused = typed::FirstRefusedNumber(boxes)) {
        ui::MsgBox(refused->message, ui::vbOKOnly);
        if (auto* focus = findChild<QLineEdit*>(refused->objectName)) focus->setFocus(Qt::OtherFocusReason);
        return;
    }
    seqgrid::InsertEntry e;
    e.txtTime = txtTime->text();
    e.txtTemp = txtTemp->text();
    e.txtTempError = txtTempError->text();
    e.txtTempRate = txtTempRate->text();
    e.txtShearrate = txtShearrate->text();
    e.txtPress = txtPress->text();
    e.txtPressRate = txtPressRate->text();
    e.txtRate = txtRate->text();
    e.txtcycle = txtcycle->text();
    e.txtRunRamp = txtRunRamp->text();
    const bool srMode = label1_[4]->text() == QLatin1String("Shear Rate (1/s)");
    if (const auto failure = seqgrid::CheckInsertEntry(e, srMode, bobSRFactor_)) {
        ui::MsgBox(failure->message, ui::vbOKOnly, failure->title);
        if (auto* focus = findChild<QLineEdit*>(failure->box)) focus->setFocus(Qt::OtherFocusReason);
        return;
    }
    const seqgrid::NewStep s = seqgrid::NewStepOf(e);
    time_ = s.time;
    temp_ = s.Temp;
    tempError_ = s.TempError;
    tempRampRate_ = s.TempRampRate;
    shearRate_ = s.ShearRate;
    press_ = s.Press;
    pressRate_ = s.PressRate;
    rate_ = s.Rate;
    cycle_ = s.Cycle;
    runRamp_ = s.RunRamp;
    cancelInp_ = false;
    accept();
}

void frmInsertStep::cmdCancel_Click() {
    cancelInp_ = true;
    reject();
}

// The settings tab of "Z3080 Setup": the settings file's unit ports, unit
// system, K unit and screen factor, shown at load (LoadPortSettings, which
// also sets the sequence tab's entry mode) and written by Save; a click on a
// unit system or K unit option marks the unit changed for Save's question.
// The tab's controls are made with the window's others in frmSetup.cpp
// (buildSettingsTab), and its Return closes the window as the first tab's
// does.

#include "sequences/frmSetup.h"

#include "data/Numbers.h"
#include "data/Settings.h"
#include "data/TypedNumbers.h"
#include "platform/Dialogs.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

void frmSetup::LoadPortSettings() {
    SetupSettings s;
    ::LoadPortSettings(s);
    for (int i = 1; i <= 8; ++i) {
        cmbUnit[i]->clear();
        cmbUnit[i]->addItems(s.cmbUnitItems[i]);
        cmbUnit[i]->setCurrentIndex(s.cmbUnit[i]);
    }
    if (s.optCGS) optCGS->setChecked(true);
    if (s.OptSI) OptSI->setChecked(true);
    if (s.OptK1) OptK1->setChecked(true);
    if (s.OptK2) OptK2->setChecked(true);
    if (s.optCGS || s.OptSI) txtSF->setText(s.txtSF);
    // Turning an option on runs its click handler.
    if (s.Option2) {
        const bool was = Option2->isChecked();
        Option2->setChecked(true);
        if (!was) Option2_Click();
    } else if (s.Option1) {
        const bool was = Option1->isChecked();
        Option1->setChecked(true);
        if (!was) Option1_Click();
    }
}

void frmSetup::cmdSave_Click() {
    // The screen size is a number the settings file keeps as typed: a text
    // that is no number, or one out of range, is refused, naming the box, and
    // nothing is written.
    const std::optional<typed::NumberRefusal> refused = typed::RefusedNumber(
        {kScreenSizeBox, txtSF->text(), 1.0, txtSF->objectName()});
    if (refused) {
        ui::MsgBox(refused->message, ui::vbOKOnly);
        txtSF->setFocus(Qt::OtherFocusReason);
        return;
    }
    const double screenSize = typed::TypedNumber(txtSF->text(), 1.0).value_or(1.0);
    if (!ScaleFactorInRange(screenSize)) {
        ui::MsgBox(ScreenSizeOutOfRange(screenSize), ui::vbOKOnly);
        txtSF->setFocus(Qt::OtherFocusReason);
        return;
    }
    SetupSettings s;
    for (int i = 1; i <= 8; ++i) {
        for (int k = 0; k < cmbUnit[i]->count(); ++k) s.cmbUnitItems[i] << cmbUnit[i]->itemText(k);
        s.cmbUnit[i] = cmbUnit[i]->currentIndex();
    }
    s.optCGS = optCGS->isChecked();
    s.OptSI = OptSI->isChecked();
    s.OptK1 = OptK1->isChecked();
    s.OptK2 = OptK2->isChecked();
    s.txtSF = CStr(screenSize);
    s.Option1 = Option1->isChecked();
    s.Option2 = Option2->isChecked();
    s.UnitChanged = unitChanged_;
    s.SequenceChanged = mSeqChanged;
    ::SaveInstrumentSettings(s);
    unitChanged_ = s.UnitChanged;
    // The settings written store no step: unstored edits of the sequence tab
    // are still asked about.
}

QString frmSetup::ScreenSizeOutOfRange(double typedSize) {
    return kScreenSizeBox + QStringLiteral(": ") + CStr(typedSize) + QStringLiteral(" is out of range (") +
           CStr(kMinScaleFactor) + QStringLiteral(" to ") + CStr(kMaxScaleFactor) + QStringLiteral(").");
}

void frmSetup::optCGS_Click() { unitChanged_ = true; }
void frmSetup::OptSI_Click() { unitChanged_ = true; }
void frmSetup::OptK1_Click() { unitChanged_ = true; }
void frmSetup::OptK2_Click() { unitChanged_ = true; }

#include "sequences/frmCopyPaste.h"

#include "data/Globals.h"
#include "data/Numbers.h"
#include "data/TypedNumbers.h"
#include "platform/Dialogs.h"
#include "sequences/SequenceGrids.h"
#include "sequences/frmSetup.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

QComboBox* makeList(QWidget* parent, const char* name, int x, int y, const QStringList& items, bool editable) {
    auto* c = new QComboBox(parent);
    c->setObjectName(QLatin1String(name));
    c->setEditable(editable);
    c->setGeometry(x, y, 80, 22);
    c->addItems(items);
    c->setCurrentIndex(items.isEmpty() ? -1 : 0);
    return c;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& caption, int x, int y, int w) {
    auto* l = new QLabel(caption, parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(x, y, w, 20);
    return l;
}

}  // namespace

frmCopyPaste::frmCopyPaste(frmSetup& owner) : QDialog(&owner), owner_(owner) {
    setObjectName(QStringLiteral("frmCopyPaste"));
    setWindowTitle(QStringLiteral("Copy & Paste"));
    setModal(true);

    const QStringList steps = seqgrid::StepNumberEntries(owner.StepGrid());
    makeLabel(this, "lblCopyFrom", QStringLiteral("Copy from step:"), 12, 14, 120);
    cmbCopyfrom = makeList(this, "cmbCopyfrom", 140, 12, steps, false);
    makeLabel(this, "lblCopyTo", QStringLiteral("to step:"), 230, 14, 60);
    cmbCopyto = makeList(this, "cmbCopyto", 290, 12, steps, false);
    makeLabel(this, "lblPasteTo", QStringLiteral("Paste"), 12, 46, 120);
    cmbBeforeAfter = makeList(this, "cmbBeforeAfter", 140, 44, {QStringLiteral("after"), QStringLiteral("before")}, true);
    makeLabel(this, "lblStep", QStringLiteral("step:"), 230, 46, 60);
    cmbPasteto = makeList(this, "cmbPasteto", 290, 44, steps, false);
    lblNewTemperature = makeLabel(this, "lblNewTemperature",
                                  gUnitSystem == 1 ? QStringLiteral("Temperature(°F): ") : QStringLiteral("Temperature(°C): "),
                                  12, 80, 128);
    txtNewTemperature = new QLineEdit(this);
    txtNewTemperature->setObjectName(QStringLiteral("txtNewTemperature"));
    txtNewTemperature->setGeometry(140, 78, 80, 22);
    makeLabel(this, "lblNewPressure", QStringLiteral("Pressure (psi): "), 12, 110, 128);
    txtNewPressure = new QLineEdit(this);
    txtNewPressure->setObjectName(QStringLiteral("txtNewPressure"));
    txtNewPressure->setGeometry(140, 108, 80, 22);
    cmdOk = new QPushButton(QStringLiteral("OK"), this);
    cmdOk->setObjectName(QStringLiteral("cmdOk"));
    cmdOk->setGeometry(60, 148, 100, 28);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setGeometry(210, 148, 100, 28);
    setFixedSize(390, 190);

    connect(cmbBeforeAfter, &QComboBox::editTextChanged, this, &frmCopyPaste::cmbBeforeAfter_Change);
    connect(cmdOk, &QPushButton::clicked, this, &frmCopyPaste::cmdOk_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmCopyPaste::cmdCancel_Click);
}

void frmCopyPaste::cmbBeforeAfter_Change() {
    // Typing is not a choice: back to "after".
    const int i = cmbBeforeAfter->currentIndex();
    if (i >= 0 && cmbBeforeAfter->currentText() == cmbBeforeAfter->itemText(i)) return;
    const QSignalBlocker block(cmbBeforeAfter);
    cmbBeforeAfter->setCurrentIndex(0);
    cmbBeforeAfter->setEditText(cmbBeforeAfter->itemText(0));
}

void frmCopyPaste::cmdOk_Click() {
    // The new pressure and temperature are numbers (an empty box is 0).
    const auto* lblNewPressure = findChild<QLabel*>(QStringLiteral("lblNewPressure"));
    if (const auto refused = typed::FirstRefusedNumber(
            {{typed::BoxName(lblNewPressure->text()), txtNewPressure->text(), 0.0, txtNewPressure->objectName()},
             {typed::BoxName(lblNewTemperature->text()), txtNewTemperature->text(), 0.0,
              txtNewTemperature->objectName()}})) {
        ui::MsgBox(refused->message, ui::vbOKOnly);
        if (auto* focus = findChild<QLineEdit*>(refused->objectName)) focus->setFocus(Qt::OtherFocusReason);
        return;
    }
    const double from = Val(cmbCopyfrom->currentText());
    const double to = Val(cmbCopyto->currentText());
    const double pressure = Val(txtNewPressure->text());
    const double temperature = Val(txtNewTemperature->text());
    if (const auto failure = seqgrid::CheckCopyPaste(from, to, pressure, temperature)) {
        ui::MsgBox(failure->message, ui::vbOKOnly, failure->title);
        return;
    }
    owner_.CopyFrom = from;
    owner_.CopyTo = to;
    owner_.PasteAt = Val(cmbPasteto->currentText());
    owner_.PastePosition = static_cast<short>(cmbBeforeAfter->currentIndex());
    owner_.NewPressure = pressure;
    owner_.NewTemperature = temperature;
    accept();
}

void frmCopyPaste::cmdCancel_Click() { reject(); }

void frmCopyPaste::reject() {
    owner_.CopyFrom = 0;
    QDialog::reject();
}

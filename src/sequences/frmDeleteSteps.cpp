#include "sequences/frmDeleteSteps.h"

#include "data/Numbers.h"
#include "platform/Dialogs.h"
#include "sequences/SequenceGrids.h"
#include "sequences/frmSetup.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <cmath>

frmDeleteSteps::frmDeleteSteps(frmSetup& owner) : QDialog(&owner), owner_(owner) {
    setObjectName(QStringLiteral("frmDeleteSteps"));
    setWindowTitle(QStringLiteral("Delete Multiple Steps"));
    setModal(true);

    const QStringList steps = seqgrid::StepNumberEntries(owner.StepGrid());
    auto* from = new QLabel(QStringLiteral("Delete from step:"), this);
    from->setObjectName(QStringLiteral("lblDeleteFrom"));
    from->setGeometry(12, 14, 120, 20);
    cmbDeletefrom = new QComboBox(this);
    cmbDeletefrom->setObjectName(QStringLiteral("cmbDeletefrom"));
    cmbDeletefrom->setGeometry(140, 12, 80, 22);
    auto* to = new QLabel(QStringLiteral("to step:"), this);
    to->setObjectName(QStringLiteral("lblDeleteTo"));
    to->setGeometry(12, 46, 120, 20);
    cmbDeleteto = new QComboBox(this);
    cmbDeleteto->setObjectName(QStringLiteral("cmbDeleteto"));
    cmbDeleteto->setGeometry(140, 44, 80, 22);
    for (QComboBox* c : {cmbDeletefrom, cmbDeleteto}) {
        c->addItems(steps);
        c->setCurrentIndex(steps.isEmpty() ? -1 : 0);
    }
    cmdOk = new QPushButton(QStringLiteral("OK"), this);
    cmdOk->setObjectName(QStringLiteral("cmdOk"));
    cmdOk->setGeometry(20, 84, 90, 28);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setGeometry(130, 84, 90, 28);
    setFixedSize(240, 126);

    connect(cmdOk, &QPushButton::clicked, this, &frmDeleteSteps::cmdOk_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmDeleteSteps::cmdCancel_Click);
}

void frmDeleteSteps::cmdOk_Click() {
    const double from = Val(cmbDeletefrom->currentText());
    const double to = Val(cmbDeleteto->currentText());
    if (const auto failure = seqgrid::CheckDeleteSteps(from, to)) {
        ui::MsgBox(failure->message, ui::vbOKOnly, failure->title);
        return;
    }
    owner_.DeleteFrom = from;
    // The last step is held as a 16-bit integer.
    const double last = std::nearbyint(to);
    if (!(last >= -32768 && last <= 32767)) {
        ui::MsgBox(QStringLiteral("Overflow"), ui::vbOKOnly);
        return;
    }
    owner_.DeleteTo = static_cast<short>(last);
    accept();
}

void frmDeleteSteps::cmdCancel_Click() { reject(); }

void frmDeleteSteps::reject() {
    owner_.DeleteFrom = 0;
    QDialog::reject();
}

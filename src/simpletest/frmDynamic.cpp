#include "simpletest/frmDynamic.h"

#include "dialogs/NamedControls.h"
#include "platform/Dialogs.h"
#include "platform/PeChart.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>

const QString frmDynamic::kCaption = QStringLiteral("Dynamic ");

namespace {

// An on/off button: checkable, "Start" while off, "Stop" while on.
QPushButton* onOff(QWidget* parent, const char* name, const QRect& geometry) {
    auto* b = controls::Button(parent, name, QStringLiteral("Start"), geometry);  // Enter does not switch a unit on
    b->setCheckable(true);
    return b;
}

}  // namespace

frmDynamic::frmDynamic(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmDynamic"));
    setWindowTitle(kCaption);
    resize(640, 520);

    Frame4 = controls::Frame(this, "Frame4", QStringLiteral("G' && G\" vs Time and Temp Test"), {10, 10, 300, 170});
    Label8 = controls::Label(Frame4, "Label8", osc::kTempBox + QLatin1Char(':'), {10, 28, 160, 22});
    txtTempSetPoint = controls::Named<QLineEdit>(Frame4, "txtTempSetPoint", {176, 26, 110, 24});
    Label6 = controls::Label(Frame4, "Label6", osc::kFrequencyBox + QLatin1Char(':'), {10, 60, 160, 22});
    txtFreq = controls::Named<QLineEdit>(Frame4, "txtFreq", {176, 58, 110, 24});
    Label4 = controls::Label(Frame4, "Label4", osc::kStrainBox + QLatin1Char(':'), {10, 92, 160, 22});
    txtStrain = controls::Named<QLineEdit>(Frame4, "txtStrain", {176, 90, 110, 24});
    txtStrain->setText(QStringLiteral("100.0"));
    cmdStart_Stop = onOff(Frame4, "cmdStart_Stop", {176, 126, 110, 30});

    Frame1 = controls::Frame(this, "Frame1", QStringLiteral("Frequency Sweep Test"), {320, 10, 310, 202});
    Label5 = controls::Label(Frame1, "Label5", QStringLiteral("Strain (%):"), {10, 28, 170, 22});
    txtStrain2 = controls::Named<QLineEdit>(Frame1, "txtStrain2", {186, 26, 110, 24});
    Label3 = controls::Label(Frame1, "Label3", osc::kFreqStartBox + QLatin1Char(':'), {10, 60, 170, 22});
    txtFreqStart = controls::Named<QLineEdit>(Frame1, "txtFreqStart", {186, 58, 110, 24});
    Label2 = controls::Label(Frame1, "Label2", osc::kFreqEndBox + QLatin1Char(':'), {10, 92, 170, 22});
    txtFreqEnd = controls::Named<QLineEdit>(Frame1, "txtFreqEnd", {186, 90, 110, 24});
    Label1 = controls::Label(Frame1, "Label1", osc::kIntervalsBox + QLatin1Char(':'), {10, 124, 170, 22});
    txtInterval = controls::Named<QLineEdit>(Frame1, "txtInterval", {186, 122, 110, 24});
    cmdStart_Stop2 = onOff(Frame1, "cmdStart_Stop2", {186, 158, 110, 30});

    lblInstName = controls::Label(this, "lblInstName", QStringLiteral("Z3080 1"), {10, 190, 300, 22});
    QFont bold = lblInstName->font();
    bold.setBold(true);
    lblInstName->setFont(bold);

    CWGraph1 = controls::Named<PeChart>(this, "CWGraph1", {10, 220, 620, 240});
    {
        using namespace pesgo;
        PeChart& g = *CWGraph1;
        g.setProp(Subsets, qint16(1));
        g.setProp(Points, qint16(0));
        g.setProp(SubsetLabel, 0, "Temperature");
        g.setProp(XAxisLabel, "Time (min)");
        g.setProp(WorkingAxis, qint16(0));
        g.setProp(YAxisLabel, "Viscosity (cP)");
        g.setProp(RYAxisSubsets, qint16(1));
        g.setProp(RYAxisLabel, "Temperature (°F)");
        g.setProp(Action, qint16(ActionRedraw));
    }

    Label7 = controls::Label(this, "Label7", QStringLiteral("Result file name:"), {10, 474, 130, 24});
    txtName = controls::Named<QLineEdit>(this, "txtName", {140, 472, 250, 26});
    txtName->setText(QStringLiteral("Text5"));
    cmdReturn = controls::Button(this, "cmdReturn", QStringLiteral("&Return"), QStringLiteral("Click here to exit"),
                                 {520, 470, 110, 30});

    Panel.send = [this](const QString& f) {
        if (!send) throw std::runtime_error("no port");
        send(f);
    };
    Panel.texts = [this] {
        return osc::PanelTexts{txtStrain->text(), txtFreq->text(),   txtTempSetPoint->text(),
                               txtFreqStart->text(), txtFreqEnd->text(), txtInterval->text()};
    };
    Panel.sweepClock = [this](bool running) {
        if (running) Timer1.Interval(1000);
        Timer1.Enabled(running);
    };
    Timer1.Timer = [this] { Timer1_Timer(); };

    connect(cmdStart_Stop, &QPushButton::toggled, this, &frmDynamic::cmdStart_Stop_ValueChanged);
    connect(cmdStart_Stop2, &QPushButton::toggled, this, &frmDynamic::cmdStart_Stop2_ValueChanged);
    connect(cmdReturn, &QPushButton::clicked, this, &frmDynamic::cmdReturn_Click);
}

frmDynamic::~frmDynamic() {
    Timer1.Enabled(false);
    Timer1.Timer = nullptr;
}

void frmDynamic::setButton(QPushButton* button, bool on) {
    const QSignalBlocker block(button);
    button->setChecked(on);
    button->setText(on ? QStringLiteral("Stop") : QStringLiteral("Start"));
}

void frmDynamic::guarded(QPushButton* button, const std::function<void()>& work, bool inTick) {
    try {
        work();
    } catch (...) {
        setButton(button, false);
        if (inTick)
            ui::Notify(osc::PortErrorMessage());
        else
            ui::MsgBox(osc::PortErrorMessage());
    }
}

void frmDynamic::refused(QPushButton* button, bool inTick) {
    if (!Panel.RefusedBox) return;
    setButton(button, false);
    if (inTick) {
        ui::Notify(Panel.RefusedBox->message);
        return;
    }
    ui::MsgBox(Panel.RefusedBox->message);
    if (auto* box = findChild<QLineEdit*>(Panel.RefusedBox->objectName)) box->setFocus();
}

void frmDynamic::cmdStart_Stop_ValueChanged(bool value) {
    setButton(cmdStart_Stop, value);
    guarded(cmdStart_Stop, [&] {
        if (!Panel.SingleChanged(value)) refused(cmdStart_Stop, false);
    });
}

void frmDynamic::cmdStart_Stop2_ValueChanged(bool value) {
    setButton(cmdStart_Stop2, value);
    guarded(cmdStart_Stop2, [&] {
        if (!Panel.SweepChanged(value)) refused(cmdStart_Stop2, false);
    });
}

void frmDynamic::Timer1_Timer() {
    guarded(cmdStart_Stop2, [&] { Panel.Tick(); }, true);
    refused(cmdStart_Stop2, true);
    // A sweep that has ended (or failed) shows its button off: a button left
    // on would say a sweep runs when none does.
    if (!Panel.Sweeping) setButton(cmdStart_Stop2, false);
}

void frmDynamic::cmdReturn_Click() { close(); }

void frmDynamic::hideEvent(QHideEvent* event) {
    // The sweep clock ends with the panel; nothing is sent.
    Timer1.Enabled(false);
    Panel.Sweeping = false;
    setButton(cmdStart_Stop2, false);
    QDialog::hideEvent(event);
}

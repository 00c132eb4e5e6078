#pragma once
// The oscillatory test panel ("Dynamic "): an oscillation at one strain,
// frequency and temperature, and a frequency sweep. It only sends commands
// (OscillationPanel); it reads nothing from the unit and stores nothing. The
// simple test window opens it for its unit and hands it the way to send.
//
// The two on/off buttons read "Start" while off and "Stop" while on. A frame
// that cannot be sent shows the port error and switches the pressed button
// back off; so does a box that holds no number, with its message.

#include "platform/TickTimer.h"
#include "simpletest/OscillationSweep.h"

#include <QDialog>
#include <functional>

class PeChart;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

class frmDynamic : public QDialog {
    Q_OBJECT
public:
    static const QString kCaption;  // "Dynamic "

    explicit frmDynamic(QWidget* parent = nullptr);
    ~frmDynamic() override;

    // Sends a frame on the unit's port; throws when it cannot (unset: every
    // send fails).
    std::function<void(const QString& frame)> send;

    void cmdStart_Stop_ValueChanged(bool value);
    void cmdStart_Stop2_ValueChanged(bool value);
    void Timer1_Timer();
    void cmdReturn_Click();

    osc::OscillationPanel Panel;
    tick::TickTimer Timer1;

    QGroupBox* Frame4;  // G' & G" vs Time and Temp Test
    QLabel* Label8;
    QLineEdit* txtTempSetPoint;
    QLabel* Label6;
    QLineEdit* txtFreq;
    QLabel* Label4;
    QLineEdit* txtStrain;
    QPushButton* cmdStart_Stop;

    QGroupBox* Frame1;  // "Frequency Sweep Test"
    QLabel* Label5;
    QLineEdit* txtStrain2;
    QLabel* Label3;
    QLineEdit* txtFreqStart;
    QLabel* Label2;
    QLineEdit* txtFreqEnd;
    QLabel* Label1;
    QLineEdit* txtInterval;
    QPushButton* cmdStart_Stop2;

    PeChart* CWGraph1;
    QLabel* Label7;
    QLineEdit* txtName;
    QLabel* lblInstName;
    QPushButton* cmdReturn;

protected:
    void hideEvent(QHideEvent* event) override;

private:
    // Runs a button's handler (or the timer's tick); a failed send shows the
    // port error and switches the button back off. From a tick the message
    // holds nothing back (ui::Notify): the units' ticks go on.
    void guarded(QPushButton* button, const std::function<void()>& work, bool inTick = false);
    void setButton(QPushButton* button, bool on);
    // A box the panel refused (Panel.RefusedBox): its message, the button
    // back off, the focus on the box; from a tick the message holds nothing back.
    void refused(QPushButton* button, bool inTick);
};

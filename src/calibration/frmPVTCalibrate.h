#pragma once
// The stand-alone PVT piston calibration dialog ("Z3080 PVT Calibrate"): the
// piston calibration of the calibration window's PVT tab as a dialog of its
// own, which writes no calibration file (its Export writes a report only).
// No window of the program opens it: the PVT test window hands over to the
// calibration window instead.
//
// A caller creates it, sets Units, opens MSComm1 on the unit's port, shows it
// and, after it hid itself, reads Cancels: false means the calibration is
// complete on screen. The close box closes the port (the operator has left
// the calibration).

#include "platform/CommPort.h"

#include <QDialog>
#include <array>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class PeChart;

class frmPVTCalibrate : public QDialog {
    Q_OBJECT
public:
    static const QString kCaption;  // "Z3080 PVT Calibrate"

    explicit frmPVTCalibrate(QWidget* parent = nullptr);
    ~frmPVTCalibrate() override;

    bool Cancels() const { return cancels_; }
    void Cancels(bool v) { cancels_ = v; }
    long Units() const { return units_; }
    void Units(long v) { units_ = v; }

    void Form_Load();
    void Combo1_Click();
    void Command1_Click(int Index);
    void RunCalibrationStep(int Index);
    void Command2_Click();
    void Command3_Click();
    void cmdExport_Click();

    int CaliState = 0;  // 0 at creation, 1 in progress, 2 complete
    int PointCount = 0;
    double LiveReading = 0;

    QComboBox* Combo1;
    std::array<QLineEdit*, 6> Text1{};
    std::array<QPushButton*, 6> Command1{};
    std::array<QLabel*, 16> lalData{};
    std::array<QLabel*, 6> lalSlope{};
    std::array<QLabel*, 6> lalIntercept{};
    std::array<QLabel*, 6> Label1{};
    std::array<QLabel*, 6> Label2{};
    std::array<QLabel*, 6> Label5{};
    std::array<QLabel*, 6> Label7{};
    QLabel* Label6;
    QLabel* Label3;
    PeChart* CWGraph1;
    QPushButton* Command2;
    QPushButton* Command3;
    QPushButton* cmdExport;
    comm::CommPort MSComm1;

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;  // Esc: as Cancel

private:
    void ShowCalibrationStep();
    void ReadCalibrationSample();
    bool confirmLeave();

    bool cancels_ = true;
    long units_ = 0;
    std::array<double, 6> x_{};
    std::array<double, 6> y_{};
};

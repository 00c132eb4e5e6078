#pragma once
// "Insert Step": the values of one new step and where it goes (before or
// after the step number in txtStepNo). Created for each insert; OK (after its
// checks) and Cancel only hide it, and the editor then reads CancelInp and
// the values. Every box takes a number (an empty box is 0): OK refuses a
// text that is none by the box's caption, first of its checks.
//
// The caller sets it up before showing it: lblTemp and Label4 for the unit
// system and, for shear-rate entry, Label1(4) "Shear Rate (1/s)" and
// BobSRFactor (the dialog checks a shear rate exactly when Label1(4) reads
// so), otherwise Label1(4) "Speed (RPM)".

#include <QDialog>
#include <array>

class FlexGridModel;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class frmInsertStep : public QDialog {
    Q_OBJECT
public:
    // Loads at once: CancelInp and Before true, the step grid's current
    // column 0, txtStepNo the step number of its current row ("1" on the
    // header row), cmbBeforeAfter "before" / "after" with "before" chosen.
    explicit frmInsertStep(FlexGridModel& steps, QWidget* parent = nullptr);

    double BobSRFactor() const { return bobSRFactor_; }
    void BobSRFactor(double value) { bobSRFactor_ = value; }
    double TempError() const { return tempError_; }
    double time() const { return time_; }
    double Temp() const { return temp_; }
    double TempRampRate() const { return tempRampRate_; }
    double Cycle() const { return cycle_; }
    double RunRamp() const { return runRamp_; }
    double ShearRate() const { return shearRate_; }
    bool Before() const { return before_; }
    bool CancelInp() const { return cancelInp_; }
    double Press() const { return press_; }
    double PressRate() const { return pressRate_; }
    double Rate() const { return rate_; }

    // The label array: elements 0 to 8.
    QLabel* Label1(int index) const { return index >= 0 && index < int(label1_.size()) ? label1_[index] : nullptr; }

    QLineEdit* txtStepNo;
    QComboBox* cmbBeforeAfter;
    QLineEdit* txtTime;
    QLabel* lblTemp;
    QLineEdit* txtTemp;
    QLabel* Label4;
    QLineEdit* txtTempError;
    QLineEdit* txtTempRate;
    QLineEdit* txtShearrate;
    QLineEdit* txtPress;
    QLineEdit* txtPressRate;
    QLineEdit* txtRate;
    QLineEdit* txtcycle;
    QLineEdit* txtRunRamp;
    QPushButton* cmdOk;
    QPushButton* cmdCancel;

public slots:
    void cmbBeforeAfter_Click();
    void cmbBeforeAfter_Change();
    void cmdOk_Click();
    void cmdCancel_Click();

private:
    double bobSRFactor_ = 0;
    double tempError_ = 0, time_ = 0, temp_ = 0, tempRampRate_ = 0, cycle_ = 0, runRamp_ = 0, shearRate_ = 0;
    bool before_ = true;
    bool cancelInp_ = true;
    double press_ = 0, pressRate_ = 0, rate_ = 0;
    std::array<QLabel*, 9> label1_{};
};

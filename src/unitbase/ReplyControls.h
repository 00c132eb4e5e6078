#pragma once
// The controls on which a unit window shows what the rheology reply parser
// (unit::UnitReplyParser) made of the unit's frames, and the one way they
// show it: the status caption, Exit, and the reading boxes. The rheology
// window and the simple test window show their replies so.

namespace unit {
struct ReplyResult;
struct UnitReadingTexts;
}  // namespace unit

class QLabel;
class QLineEdit;
class QPushButton;

// The status caption, the Exit button and the reading boxes of a window, each
// box named after its text in unit::UnitReadingTexts. A window leaves null
// the boxes it does not fill from the unit (the simple test's set points are
// typed, not read).
struct ReplyControls {
    QLabel* caption = nullptr;  // the unit's status caption (UnitWindow::lblActiveFlag)
    QPushButton* exit = nullptr;
    QLineEdit* txtSampleTemp = nullptr;
    QLineEdit* txtTempSetPoint = nullptr;
    QLineEdit* txtspeed = nullptr;
    QLineEdit* txtShearrate = nullptr;
    QLineEdit* txtShearStress = nullptr;
    QLineEdit* txtFann = nullptr;
    QLineEdit* txtPressure = nullptr;
    QLineEdit* txtGelAngle = nullptr;
    QLineEdit* txtPressSetPoint = nullptr;
    QLineEdit* txtVisc = nullptr;
};

// A parse's results on the controls: the status caption when the parse read
// one, Exit enabled on a "Cooling" status (never disabled), and, once a frame
// was parsed, every box given its text of `texts`.
void ShowReply(const ReplyControls& controls, const unit::ReplyResult& result, const unit::UnitReadingTexts& texts);

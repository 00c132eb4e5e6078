#include "unitbase/ReplyControls.h"

#include "unitlink/UnitProtocol.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

void ShowReply(const ReplyControls& c, const unit::ReplyResult& result, const unit::UnitReadingTexts& texts) {
    if (result.caption) c.caption->setText(*result.caption);
    if (result.enableExit) c.exit->setEnabled(true);
    if (!result.readingsChanged()) return;
    const auto show = [](QLineEdit* box, const QString& text) {
        if (box) box->setText(text);
    };
    show(c.txtSampleTemp, texts.txtSampleTemp);
    show(c.txtTempSetPoint, texts.txtTempSetPoint);
    show(c.txtspeed, texts.txtspeed);
    show(c.txtShearrate, texts.txtShearrate);
    show(c.txtShearStress, texts.txtShearStress);
    show(c.txtFann, texts.txtFann);
    show(c.txtPressure, texts.txtPressure);
    show(c.txtGelAngle, texts.txtGelAngle);
    show(c.txtPressSetPoint, texts.txtPressSetPoint);
    show(c.txtVisc, texts.txtVisc);
}

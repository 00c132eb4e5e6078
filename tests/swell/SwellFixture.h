#pragma once
// A swell test window over the test database: the data folder with its
// settings and sensor calibration file, timers ticked by hand on a manual
// clock, message and input boxes answered, the test information dialog
// answered through the modal seam.

#include "support/UnitWindowFixture.h"
#include "support/StoredSequences.h"

#include "data/clsTEST_INFO.h"
#include "data/clsTEST_RESULT.h"
#include "dialogs/frmNameSeq.h"
#include "dialogs/frmTestRelatedInfo.h"
#include "platform/FlexGrid.h"
#include "platform/ModalShow.h"
#include "support/ManualClock.h"
#include "support/QtPrint.h"
#include "swell/frmSWMTest.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <functional>
#include <memory>

namespace swell_tests {

// The sensor line of the calibration tab's worked example (spacers of 0.4,
// 0.65 and 0.9 in. at 1, 2 and 4 V) as the calibration window saves it.
inline const QByteArray kExampleLine = "1,2,4, .4 , .830482023721841 , .4 , .830482023721841 ";

// What the operator types in the test information dialog at START.
struct SampleEntry {
    QString name = QStringLiteral("Shale wafer 1");
    QString fluid = QStringLiteral(" KCl 3% ");
    QString weight = QStringLiteral("12.5");
    QString hardness = QStringLiteral("40");
    QString compPress = QStringLiteral("10000");
    QString compTime = QStringLiteral("30");
    QString description = QStringLiteral(" Pierre shale ");
    QString type;  // empty: the "LSM" preset stays
    QStringList additives;
    bool cancel = false;
    std::function<void()> beforeOk;  // what else happens while the dialog is open, before OK
};

class AnswerSample {
public:
    explicit AnswerSample(SampleEntry entry) : entry_(std::move(entry)) {
        previous_ = ui::setModalShower([this](QDialog& d) {
            auto& dlg = dynamic_cast<frmTestRelatedInfo&>(d);
            ++shown;
            presetLength = dlg.txtBobLength->text();
            lengthEditable = dlg.txtBobLength->isEnabled();
            presetType = dlg.txtBobNo->text();
            if (entry_.cancel) {
                dlg.cmdCancel_Click();
                return int(QDialog::Rejected);
            }
            dlg.txtTestName->setText(entry_.name);
            dlg.txtFluidId->setText(entry_.fluid);
            dlg.txtResearchName->setText(QStringLiteral("Ann"));
            if (!entry_.type.isEmpty()) dlg.txtBobNo->setText(entry_.type);
            dlg.txtBobRadius->setText(entry_.weight);
            dlg.txtPreTestPH->setText(entry_.hardness);
            dlg.txtPostTestPH->setText(entry_.compPress);
            dlg.txtRotoNo->setText(entry_.compTime);
            dlg.txtSAFETY->setPlainText(entry_.description);
            for (int i = 0; i < entry_.additives.size(); ++i) {
                dlg.MSFlexGrid1->TextMatrix(i + 1, 0, entry_.additives[i]);
                dlg.MSFlexGrid1->TextMatrix(i + 1, 1, QString::number(i + 1));
            }
            if (entry_.beforeOk) entry_.beforeOk();
            dlg.cmdOk_Click();
            return int(dlg.Cancelled ? QDialog::Rejected : QDialog::Accepted);
        });
    }
    ~AnswerSample() { ui::setModalShower(std::move(previous_)); }
    int shown = 0;
    QString presetLength, presetType;
    bool lengthEditable = true;

private:
    SampleEntry entry_;
    ui::ModalShower previous_;
};

class SwellFixture : public unit_tests::UnitWindowFixture {
protected:
    void SetUp() override {
        UnitWindowFixture::SetUp();
        writePorts({1, 2});
        writeCalibration({kExampleLine});
        savedLength_ = gLengthLabel;
    }
    void TearDown() override {
        gLengthLabel = savedLength_;
        UnitWindowFixture::TearDown();
    }

    void writeCalibration(const QList<QByteArray>& lines) {
        QFile f(dataFile(QStringLiteral("Calib.dat")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        for (const QByteArray& l : lines) f.write(l + "\r\n");
    }

    std::unique_ptr<frmSWMTest> open(int unitNumber = 1) {
        auto w = std::make_unique<frmSWMTest>(unitNumber, &conn);
        // No line in these tests: the window takes its port as open.
        w->PortOpenHook = [] { return true; };
        w->SendHook = [](const QString&) {};  // and the frames go nowhere
        return w;
    }

    static void pick(frmSWMTest& w, const QString& name) { testing_support::PickSequence(w, name); }

    // ZERO answered with the length; the voltage now read is `volts`.
    void zero(frmSWMTest& w, const QString& length, double volts = 1.0) {
        w.reply.state.RawVoltage = volts;
        dialogs.inputs.push_back(length);
        w.cmdZero->click();
    }

    // One tick after the timer's interval, with a frame of the unit read.
    void tick(frmSWMTest& w, const QString& frame = QString()) {
        clock.advance(w.Timer1.Interval() > 0 ? w.Timer1.Interval() : 1000);
        if (!frame.isEmpty()) w.reply.RxBuffer += frame + QChar(26);
        w.Timer1.Tick();
    }

    int count(const QString& table) {
        db::Command cmd(conn.ADOConnection(), "SELECT COUNT(*) FROM " + table);
        return cmd.execute()->columns[0][0].toInt();
    }

    testing_support::ManualClock clock;
    QString savedLength_;
};

}  // namespace swell_tests

#pragma once
// A PVT test window over the test database, ticked by hand on a manual
// clock, its piston calibration answered by the test, the test information
// dialog answered through the modal seam.

#include "support/UnitWindowFixture.h"
#include "support/StoredSequences.h"

#include "data/Settings.h"
#include "dialogs/frmNameSeq.h"
#include "dialogs/frmTestRelatedInfo.h"
#include "platform/Database.h"
#include "platform/FlexGrid.h"
#include "platform/ModalShow.h"
#include "support/ManualClock.h"
#include "pvt/frmPVTtest.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <functional>
#include <memory>

namespace pvt_tests {

using unit_tests::SeqStep;
using unit_tests::StoreSequence;

// Readings 1000 (top) to 200 (bottom); every segment gives log10(h + 2.1) =
// 0.5: any reading in range is a height of 10^0.5 - 2.1 = 1.062278 inch.
inline unit::PvtCalibration FlatCalibration(int count) {
    unit::PvtCalibration c;
    c.count = count;
    for (int i = 0; i < count; ++i) {
        c.heights.push_back(0.25 * i);
        c.readings.push_back(1000 - 800.0 * i / (count - 1));
        c.slopes.push_back(0);
        c.intercepts.push_back(i == 0 ? 0 : 0.5);
    }
    return c;
}

// Answers the piston calibration reads while it lives.
class AnswerCalibration {
public:
    AnswerCalibration() {
        previous_ = frmPVTtest::SetCalibrationReader([this](bool large, int unit) {
            asked.emplace_back(large, unit);
            frmPVTtest::PistonRead r;
            if (!message.isEmpty()) {
                r.message = message;
                return r;
            }
            r.ok = true;
            r.data = data && data->count == (large ? 5 : 4) ? *data : FlatCalibration(large ? 5 : 4);
            return r;
        });
    }
    ~AnswerCalibration() { frmPVTtest::SetCalibrationReader(std::move(previous_)); }
    QString message;  // set: every read fails with it
    std::optional<unit::PvtCalibration> data;  // set: the calibration of its piston
    std::vector<std::pair<bool, int>> asked;

private:
    frmPVTtest::CalibrationReader previous_;
};

// What the operator enters in the test information dialog at Start.
struct PvtEntry {
    QString name = QStringLiteral("PVT A");
    QString volume = QStringLiteral("100");
    QString density = QStringLiteral("1.0");
    QString type;  // empty: leaves "PVT"
    QStringList additives;
    bool cancel = false;
    std::function<void()> beforeOk;  // what else happens while the dialog is open, before OK
};

inline PvtEntry Entry(const QString& name, const QString& volume = QStringLiteral("100"),
                      const QString& density = QStringLiteral("1.0")) {
    PvtEntry e;
    e.name = name;
    e.volume = volume;
    e.density = density;
    return e;
}

class AnswerPvtInfo {
public:
    explicit AnswerPvtInfo(PvtEntry entry) : entry_(std::move(entry)) {
        previous_ = ui::setModalShower([this](QDialog& d) {
            auto& dlg = dynamic_cast<frmTestRelatedInfo&>(d);
            ++shown;
            title = dlg.windowTitle();
            piston = dlg.cmbCell->currentText();
            if (entry_.cancel) {
                dlg.cmdCancel_Click();
                return int(QDialog::Rejected);
            }
            dlg.txtTestName->setText(entry_.name);
            dlg.txtFluidId->setText(QStringLiteral("Brine"));
            dlg.txtResearchName->setText(QStringLiteral("Ann"));
            dlg.txtBobRadius->setText(entry_.volume);
            dlg.txtBobLength->setText(entry_.density);
            if (!entry_.type.isEmpty()) dlg.txtBobNo->setText(entry_.type);
            dlg.txtSAFETY->setPlainText(QStringLiteral("notes"));
            FlexGrid& grid = *dlg.MSFlexGrid1;
            for (int i = 0; i < entry_.additives.size(); ++i) {
                grid.TextMatrix(i + 1, 0, entry_.additives[i]);
                grid.TextMatrix(i + 1, 1, QString::number(i + 1));
                grid.TextMatrix(i + 1, 2, QStringLiteral("%"));
                grid.TextMatrix(i + 1, 3, QStringLiteral("L%1").arg(i));
            }
            if (entry_.beforeOk) entry_.beforeOk();
            dlg.cmdOk_Click();
            return int(dlg.Cancelled ? QDialog::Rejected : QDialog::Accepted);
        });
    }
    ~AnswerPvtInfo() { ui::setModalShower(std::move(previous_)); }
    int shown = 0;
    QString title;
    QString piston;

private:
    PvtEntry entry_;
    ui::ModalShower previous_;
};

// Plain SQL over the test connection.
inline std::shared_ptr<db::RowSet> Sql(clsConnection& conn, const QString& text) {
    db::Command cmd(conn.ADOConnection(), text);
    return cmd.execute();
}
inline int Count(clsConnection& conn, const QString& table) {
    return Sql(conn, "SELECT COUNT(*) FROM " + table)->columns[0][0].toInt();
}

class PvtWindowFixture : public unit_tests::UnitWindowFixture {
protected:
    void SetUp() override {
        UnitWindowFixture::SetUp();
        SetUnitLabels();
        w = std::make_unique<frmPVTtest>();
        w->InitialInst(&conn);
        w->Units(1);
        // No line in these tests: the window takes its port as open.
        w->PortOpenHook = [] { return true; };
        w->SendHook = [](const QString&) {};  // and the frames go nowhere
    }
    void TearDown() override {
        w.reset();
        UnitWindowFixture::TearDown();
    }

    // Select, the name chosen in the picker, OK.
    void pick(const QString& name) { testing_support::PickSequence(*w, name); }
    void start(const PvtEntry& entry = {}) {
        AnswerPvtInfo answer(entry);
        w->cmdStart_Stop->click();
    }
    // One tick, one timer interval after the last. The readings the test sets
    // stand for the unit's frames: each tick brings some.
    void tick() {
        clock.advance(w->Timer1.Interval() > 0 ? w->Timer1.Interval() : 1000);
        w->FramesParsed(1);
        w->Timer1.Tick();
    }

    std::shared_ptr<db::RowSet> sql(const QString& text) { return Sql(conn, text); }
    int count(const QString& table) { return Count(conn, table); }

    testing_support::ManualClock clock;
    AnswerCalibration calibration;
    std::unique_ptr<frmPVTtest> w;
};

}  // namespace pvt_tests

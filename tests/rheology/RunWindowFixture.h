#pragma once
// A rheology test window over the test database, ticked by hand on a manual
// clock, with the test information dialog answered through the modal seam.

#include "support/UnitWindowFixture.h"
#include "support/StoredSequences.h"

#include "data/clsTEST_INFO.h"
#include "dialogs/frmTestRelatedInfo.h"
#include "platform/Database.h"
#include "platform/FlexGrid.h"
#include "platform/ModalShow.h"
#include "dialogs/frmNameSeq.h"
#include "rheology/frmRealTime.h"
#include "support/ManualClock.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <functional>
#include <memory>

namespace unit_tests {

// What the operator enters in the test information dialog at Start.
struct TestEntry {
    QString name = QStringLiteral("Run A");
    QString bob = QStringLiteral("B1");
    std::optional<QString> radius;  // as typed over the bob's radius
    QString fluid = QStringLiteral("Fluid 7");
    QString researcher = QStringLiteral("Ann");
    QString description = QStringLiteral("notes");
    QStringList additives;          // names; concentration i+1, unit "%", lot "L<i>"
    bool cancel = false;
    std::function<void()> beforeOk;  // what else happens while the dialog is open, before OK
};

// Answers the dialog shown modally while it lives.
class AnswerTestInfo {
public:
    explicit AnswerTestInfo(TestEntry entry) : entry_(std::move(entry)) {
        previous_ = ui::setModalShower([this](QDialog& d) {
            ++shown;
            auto& dlg = dynamic_cast<frmTestRelatedInfo&>(d);
            title = dlg.windowTitle();
            if (entry_.cancel) {
                dlg.cmdCancel_Click();
                return int(QDialog::Rejected);
            }
            dlg.txtTestName->setText(entry_.name);
            dlg.txtBobNo->setText(entry_.bob);
            if (entry_.radius) dlg.txtBobRadius->setText(*entry_.radius);
            dlg.txtFluidId->setText(entry_.fluid);
            dlg.txtResearchName->setText(entry_.researcher);
            dlg.txtSAFETY->setPlainText(entry_.description);
            FlexGrid& grid = *dlg.MSFlexGrid1;
            if (grid.Rows() < entry_.additives.size() + 1) grid.Rows(int(entry_.additives.size()) + 1);
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
    ~AnswerTestInfo() { ui::setModalShower(std::move(previous_)); }
    int shown = 0;
    QString title;

private:
    TestEntry entry_;
    ui::ModalShower previous_;
};

class RunWindowFixture : public UnitWindowFixture {
protected:
    void SetUp() override {
        UnitWindowFixture::SetUp();
        w = std::make_unique<frmRealTime>();
        w->InitialInst(&conn);
        // These runs have no line: the window takes its port as open.
        w->PortOpenHook = [] { return true; };
        w->SendHook = [](const QString&) {};  // and the frames go nowhere
    }

    // Select, the name chosen in the picker, OK.
    void pick(const QString& name) { testing_support::PickSequence(*w, name); }
    // Start, answered with the entry.
    void start(const TestEntry& entry = {}) {
        AnswerTestInfo answer(entry);
        w->cmdStart_Stop->click();
    }
    // One tick, one timer interval after the last. The readings the test sets
    // stand for the unit's frames: each tick brings some.
    void tick() {
        clock.advance(w->Timer1.Interval() > 0 ? w->Timer1.Interval() : 1000);
        w->FramesParsed(1);
        w->Timer1.Tick();
    }
    void tickWhile(const std::function<bool()>& cond, int limit = 100000) {
        for (int i = 0; i < limit && cond(); ++i) tick();
    }

    // Plain SQL over the test connection.
    std::shared_ptr<db::RowSet> sql(const QString& text) {
        db::Command cmd(conn.ADOConnection(), text);
        return cmd.execute();
    }
    int count(const QString& table) { return sql("SELECT COUNT(*) FROM " + table)->columns[0][0].toInt(); }

    testing_support::ManualClock clock;
    std::unique_ptr<frmRealTime> w;
};

}  // namespace unit_tests

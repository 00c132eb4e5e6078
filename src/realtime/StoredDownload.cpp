// The download of a test that the unit ran and stored by itself: the
// operator describes it in the test information dialog, the new test's
// records are written, the unit is asked for its stored points and every
// point becomes one result row of the new test.
//
// The whole transfer is read and checked before any row is stored: a unit
// that stays silent, a transfer that does not end with its end character, or
// a damaged record stores no result rows at all. A download is refused while
// a test runs: it works through the run state's members, which belong to the
// running test then.

#include "data/clsTEST_ADDITIVE.h"
#include "data/clsTEST_INFO.h"
#include "dialogs/frmTestRelatedInfo.h"
#include "platform/Database.h"
#include "platform/Dialogs.h"
#include "platform/ModalShow.h"
#include "dialogs/NewTestRecord.h"
#include "unitlink/RunRules.h"
#include "realtime/frmRealTime.h"

#include <QElapsedTimer>
#include <QThread>
#include <cmath>
#include <limits>

namespace {

// A record whose numbers the result row can hold: every value a finite
// number, the whole-number fields within the range of a 32-bit integer.
bool recordFits(const unit::StoredDataRecord& r) {
    const auto whole = [](double v) {
        return std::isfinite(v) && v >= std::numeric_limits<qint32>::min() && v <= std::numeric_limits<qint32>::max();
    };
    return whole(r.step) && whole(r.rampEntry) && whole(r.timeSec) && whole(r.phase) && std::isfinite(r.sampleTemp) &&
           std::isfinite(r.pressure) && std::isfinite(r.shearRate) && std::isfinite(r.shearStress);
}

}  // namespace

const QString frmRealTime::kNoRecords = QStringLiteral("Object variable not set: the record is not connected.");

void frmRealTime::WaitSeconds(float seconds) {
    if (WaitHook) {
        WaitHook(seconds);
        return;
    }
    // A monotonic clock: a wait across midnight ends on time too. No event is
    // handled meanwhile (the port is read without the event loop).
    QElapsedTimer clock;
    clock.start();
    const double target = double(seconds) * 1000.0;
    while (double(clock.elapsed()) <= target) QThread::msleep(1);
}

void frmRealTime::cmdRetrieve_Click() {
    // The download's working fields are the run's: not while a test runs.
    if (mRunState != 0) return;
    if (!mTestInfo || !mTestAdditive || !mTestResult) {  // InitialInst did not get that far
        ui::MsgBox(ui::errorText(db::ErrNotOpen, kNoRecords));
        return;
    }
    Timer1.Enabled(false);

    mInfoDialog = std::make_unique<frmTestRelatedInfo>(mConnection, this);
    mInfoDialog->setWindowTitle(QStringLiteral("Input Test Information"));
    ui::ShowModal(*mInfoDialog);
    if (mInfoDialog->Cancelled) {
        Timer1.Enabled(true);
        return;
    }

    try {
        const newtest::NewTestFields fields = newtest::FieldsOf(*mInfoDialog);
        // As at Start: a bob that does not fit the cup has no shear rate, and
        // nothing is stored or asked of the unit.
        if (!runloop::BobRadiusFits(fields.bobRadius)) {
            ui::MsgBox(runloop::BobRadiusMessage());
            Timer1.Enabled(true);
            return;
        }
        mBobRadius = fields.bobRadius;
        mReply.SetBobRadius(mBobRadius);
        mTestId = newtest::AddTestInfo(*mTestInfo, fields, std::nullopt);
        newtest::AddTestAdditives(*mTestAdditive, mTestId, *mInfoDialog);

        const QString received =
            unit::RequestStoredTransfer(MSComm1, [this](double s) { WaitSeconds(float(s)); });
        unit::StoredTransfer transfer = unit::ParseStoredTransfer(received);
        // A record that no row can hold spoils the transfer as a damaged one does.
        for (const unit::StoredDataRecord& r : transfer.records) {
            if (recordFits(r)) continue;
            transfer.status = unit::TransferStatus::CommunicationError;
            transfer.records.clear();
            break;
        }
        switch (transfer.status) {
            case unit::TransferStatus::NoResponse:
                ui::MsgBox(unit::NoResponseMessage(), ui::vbOKOnly, unit::CommunicationErrorTitle());
                break;
            case unit::TransferStatus::CommunicationError:
                ui::MsgBox(unit::CommunicationErrorMessage(), ui::vbOKOnly, unit::CommunicationErrorTitle());
                break;
            case unit::TransferStatus::Ok:
                for (const unit::StoredDataRecord& r : transfer.records) {
                    mStepNo = int(r.step);
                    mRampEntryNo = int(r.rampEntry);
                    mElapsedSec = qint32(r.timeSec);
                    mReply.readings.mSampleTemp = r.sampleTemp;
                    mReply.readings.mPressure = r.pressure;
                    mReply.readings.mShearRate = r.shearRate;
                    mReply.readings.mShearStress = r.shearStress;
                    mPhase = int(r.phase);
                    SaveResultRow();
                }
                break;
        }
    } catch (const db::DbError& e) {
        ui::MsgBox(ui::errorText(e.number(), e.description()));
    } catch (const comm::CommError& e) {
        ui::MsgBox(ui::errorText(e.number(), e.fullText()));
    }
    Timer1.Enabled(true);
}

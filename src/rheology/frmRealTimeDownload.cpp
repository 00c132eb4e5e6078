// The download of a test that the unit ran and stored by itself: the
// operator describes it in the test information dialog, the new test's
// records are written, the unit is asked for its stored points and every
// point becomes one result row of the new test.
//
// The whole transfer is read and checked before anything is stored: a unit
// that stays silent, a transfer that does not end with its end character, or
// a damaged record (a status frame or noise inside the transfer, a field that
// is no number) stores no test at all, nor does a transfer without a record
// (the unit holds no stored test). A good transfer's test, additives and
// rows are written in one transaction. A download is refused while a test
// runs (the button is off, and a click says why): it works through the run
// state's members, which belong to the running test then.

#include "data/clsConnection.h"
#include "data/clsTEST_ADDITIVE.h"
#include "data/clsTEST_INFO.h"
#include "dialogs/frmTestRelatedInfo.h"
#include "platform/Database.h"
#include "platform/Dialogs.h"
#include "platform/ModalShow.h"
#include "platform/RunClock.h"
#include "dialogs/NewTestRecord.h"
#include "unitrun/Bob.h"
#include "unitrun/RunMessages.h"
#include "unitrun/RunStates.h"
#include "rheology/frmRealTime.h"

#include <QElapsedTimer>
#include <QThread>

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
    // The download's working fields are the run's: not while a test runs
    // (the button is off then).
    if (RunState != runloop::kIdle) {
        ui::MsgBox(runloop::RetrieveLockedMessage());
        return;
    }
    if (!mTestInfo || !mTestAdditive || !mTestResult) {  // InitialInst did not get that far
        ui::MsgBox(ui::errorText(db::ErrNotOpen, kNoRecords));
        return;
    }
    // Without the unit's line there is nothing to fetch: said before the
    // operator types the test's description.
    if (!PortReady()) {
        ui::MsgBox(unit::NoResponseMessage() + QLatin1Char('\r') + PortNotOpenMessage(QStringLiteral("No download")),
                   ui::vbOKOnly, unit::CommunicationErrorTitle());
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

    int transaction = 0;
    try {
        const newtest::NewTestFields fields = newtest::FieldsOf(*mInfoDialog);
        // As at Start: a bob that does not fit the cup has no shear rate, and
        // nothing is stored or asked of the unit.
        if (!runloop::BobRadiusFits(fields.bobRadius)) {
            ui::MsgBox(runloop::BobRadiusMessage());
            Timer1.Enabled(true);
            return;
        }

        // The whole transfer is read and checked first: a failed download
        // stores nothing, so the operator may retry under the same name.
        const QString received =
            unit::RequestStoredTransfer(MSComm1, [this](double s) { WaitSeconds(float(s)); });
        const unit::StoredTransfer transfer = unit::ParseStoredTransfer(received);
        switch (transfer.status) {
            case unit::TransferStatus::NoResponse:
                ui::MsgBox(unit::NoResponseMessage(), ui::vbOKOnly, unit::CommunicationErrorTitle());
                break;
            case unit::TransferStatus::CommunicationError:
                ui::MsgBox(unit::CommunicationErrorMessage(), ui::vbOKOnly, unit::CommunicationErrorTitle());
                break;
            case unit::TransferStatus::Ok: {
                // Nothing to download: no test without rows is stored.
                if (transfer.records.empty()) {
                    ui::MsgBox(unit::NoStoredTestMessage());
                    break;
                }
                mBobRadius = fields.bobRadius;
                mReply.SetBobRadius(mBobRadius);
                // The test, its additives and its rows go in together or not at all.
                transaction = mConnection ? mConnection->BeginTrans() : 0;
                // The test is dated by its download, so that the list of
                // stored tests, sorted by time, shows it among the newest.
                TestId = newtest::AddTestInfo(*mTestInfo, fields, tick::CurrentDateTime());
                newtest::AddTestAdditives(*mTestAdditive, TestId, *mInfoDialog);
                for (const unit::StoredDataRecord& r : transfer.records) {
                    CurStep = int(r.step);
                    mRampEntryNo = int(r.rampEntry);
                    ElapsedSeconds = qint32(r.timeSec);
                    mReply.readings.mSampleTemp = r.sampleTemp;
                    mReply.readings.mPressure = r.pressure;
                    mReply.readings.mShearRate = r.shearRate;
                    mReply.readings.mShearStress = r.shearStress;
                    mPhase = int(r.phase);
                    WriteResultRow();
                }
                if (transaction) mConnection->CommitTrans(transaction);
                transaction = 0;
                break;
            }
        }
    } catch (const db::DbError& e) {
        rollBack(transaction);
        ui::MsgBox(ui::errorText(e.number(), e.description()));
    } catch (const comm::CommError& e) {
        rollBack(transaction);
        PortLost(e, false);
    }
    Timer1.Enabled(true);
}

void frmRealTime::rollBack(int transaction) {
    if (!transaction || !mConnection) return;
    try {
        mConnection->RollBack(transaction);
    } catch (const db::DbError&) {
        // The failure already shown says what went wrong; SQLite has undone
        // the open transaction itself when it cannot roll back.
    }
}

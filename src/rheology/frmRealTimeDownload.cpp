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
// rows are written in one transaction each: the test with its additives,
// then the rows. When the database refuses the test (another program holds
// it, the disk is full) nothing is stored and the dialog stays open with
// everything typed; when it refuses the rows they wait as recorded rows do,
// stored on the ticks that follow. A download is refused while a test
// runs (the button is off, and a click says why): it works through the run
// state's members, which belong to the running test then.

#include "data/clsConnection.h"
#include "data/BobGeometry.h"
#include "data/clsTEST_ADDITIVE.h"
#include "data/clsTEST_INFO.h"
#include "dialogs/frmTestRelatedInfo.h"
#include "platform/Database.h"
#include "platform/Dialogs.h"
#include "platform/ModalShow.h"
#include "platform/RunClock.h"
#include "platform/TrapErrors.h"
#include "dialogs/NewTestRecord.h"
#include "unitrun/RunMessages.h"
#include "unitrun/RunStates.h"
#include "rheology/frmRealTime.h"

#include <QElapsedTimer>
#include <QThread>

const QString frmRealTime::kNoRecords = QStringLiteral("Object variable not set: the record is not connected.");
const QString frmRealTime::kNotDownloaded = QStringLiteral("The test was not downloaded");

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
    // The download runs at the dialog's Start, with the dialog still open: a
    // refusal of the bob or of the database keeps everything typed.
    mInfoDialog->Starting = [this] {
        bool closes = true;
        TrapErrors([&] { closes = DownloadAtStart(*mInfoDialog); });
        return closes;
    };
    ui::ShowModal(*mInfoDialog);
    mInfoDialog->Starting = nullptr;
    Timer1.Enabled(true);
}

bool frmRealTime::DownloadAtStart(frmTestRelatedInfo& dialog) {
    const newtest::NewTestFields fields = newtest::FieldsOf(dialog);
    // As at Start: a bob that does not fit the cup has no shear rate, and
    // nothing is stored or asked of the unit.
    if (!bob::FitsCup(fields.bobRadius)) {
        ui::MsgBox(runloop::BobRadiusMessage(bob::BobNames()));
        return false;
    }
    try {
        // The whole transfer is read and checked first: a failed download
        // stores nothing, so the operator may retry under the same name.
        const QString received =
            unit::RequestStoredTransfer(MSComm1, [this](double s) { WaitSeconds(float(s)); });
        const unit::StoredTransfer transfer = unit::ParseStoredTransfer(received);
        switch (transfer.status) {
            case unit::TransferStatus::NoResponse:
                ui::MsgBox(unit::NoResponseMessage(), ui::vbOKOnly, unit::CommunicationErrorTitle());
                return true;
            case unit::TransferStatus::CommunicationError:
                ui::MsgBox(unit::CommunicationErrorMessage(), ui::vbOKOnly, unit::CommunicationErrorTitle());
                return true;
            case unit::TransferStatus::Ok: break;
        }
        // Nothing to download: no test without rows is stored.
        if (transfer.records.empty()) {
            ui::MsgBox(unit::NoStoredTestMessage());
            return true;
        }
        // The test and its additives go in together or not at all; refused,
        // the dialog stays open and the unit still holds its test. The test
        // is dated by its download, so that the list of stored tests, sorted
        // by time, shows it among the newest.
        const std::optional<qint32> testId = newtest::StoreNewTest(
            mConnection, [&] { return newtest::AddTestInfo(*mTestInfo, fields, tick::CurrentDateTime()); },
            *mTestAdditive, dialog, kNotDownloaded);
        if (!testId) return false;
        TestId = *testId;
        TestStarted = mTestInfo->TEST_TIME();
        mBobRadius = fields.bobRadius;
        mReply.SetBobRadius(mBobRadius);
        StoreDownloadedRows(transfer.records, fields.testName);
    } catch (const comm::CommError& e) {
        PortLost(e, false);
    }
    return true;
}

void frmRealTime::TakeDownloadedRecord(const unit::StoredDataRecord& r) {
    CurStep = int(r.step);
    mRampEntryNo = int(r.rampEntry);
    ElapsedSeconds = qint32(r.timeSec);
    mReply.readings.mSampleTemp = r.sampleTemp;
    mReply.readings.mPressure = r.pressure;
    mReply.readings.mShearRate = r.shearRate;
    mReply.readings.mShearStress = r.shearStress;
    mPhase = int(r.phase);
}

void frmRealTime::StoreDownloadedRows(const std::vector<unit::StoredDataRecord>& records, const QString& testName) {
    // The rows in one transaction, which is quick.
    try {
        RunInTransaction(mConnection, [&] {
            for (const unit::StoredDataRecord& r : records) {
                TakeDownloadedRecord(r);
                WriteResultRow();
            }
        });
        return;
    } catch (const db::DbError&) {
        // Taken back whole: they wait below.
    }
    // Refused, they wait as recorded rows do: kept in order and stored on
    // the ticks that follow, the first refusal said and the rows waiting
    // shown in the status bar.
    RowsNotSaved = 0;
    for (const unit::StoredDataRecord& r : records) {
        TakeDownloadedRecord(r);
        KeepDownloadedRow(testName);
    }
}

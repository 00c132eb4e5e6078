// The download of a test that the unit ran and stored by itself: the
// operator describes it in the test information dialog, the unit is asked
// for its stored points and every point becomes one result row of the new
// test.
//
// The transfer is read on the event loop (unit::StoredTransferRead): the
// dialog's Start sends the request and closes the dialog, and the program
// goes on (every other window's tick, trip and record) while the points come
// in. Meanwhile the window shows "Downloading" with the characters received,
// and refuses what would disturb the transfer: Start, another Retrieve and
// Zero. Stop and closing the window end the download where it is: nothing of
// it is stored, and the unit still holds its test.
//
// The whole transfer is read and checked before anything is stored: a unit
// that stays silent, a transfer that does not end with its end character, or
// a damaged record (a status frame or noise inside the transfer, a field that
// is no number) stores no test at all, nor does a transfer without a record
// (the unit holds no stored test). A good transfer's test, additives and
// rows are written in one transaction each: the test with its additives,
// then the rows. When the database refuses the test (another program holds
// it, the disk is full) nothing is stored and the dialog opens again with
// everything typed, its Start storing the transfer already read; when it
// refuses the rows they wait as recorded rows do, stored on the ticks that
// follow. A download is refused while a test runs (the button is off, and a
// click says why): it works through the run state's members, which belong to
// the running test then.

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

#include "unitlink/StoredTransferRead.h"

#include <QLabel>
#include <QPushButton>

const QString frmRealTime::kNoRecords = QStringLiteral("Object variable not set: the record is not connected.");
const QString frmRealTime::kNotDownloaded = QStringLiteral("The test was not downloaded");

void frmRealTime::cmdRetrieve_Click() {
    if (RefusedWhileDownloading(QStringLiteral("No download"))) return;
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
    // Neither the reply parser nor the run loop reads the port until the
    // download has ended.
    Timer1.Enabled(false);

    mInfoDialog = std::make_unique<frmTestRelatedInfo>(mConnection, this);
    mInfoDialog->setWindowTitle(QStringLiteral("Input Test Information"));
    // The request goes out at the dialog's Start: a bob refused keeps the
    // dialog open with everything typed.
    mInfoDialog->Starting = [this] {
        bool closes = true;
        TrapErrors([&] { closes = BeginDownload(*mInfoDialog); });
        return closes;
    };
    ui::ShowModal(*mInfoDialog);
    mInfoDialog->Starting = nullptr;
    if (!DownloadUnderWay()) Timer1.Enabled(true);
}

bool frmRealTime::DownloadUnderWay() const { return mDownload && mDownload->Running(); }

bool frmRealTime::RefusedWhileDownloading(const QString& refused) {
    if (!DownloadUnderWay()) return false;
    ui::MsgBox(unit::DownloadUnderWayMessage(refused));
    return true;
}

bool frmRealTime::BobFits(const frmTestRelatedInfo& dialog) {
    // As at Start: a bob that does not fit the cup has no shear rate, and
    // nothing is stored or asked of the unit.
    if (bob::FitsCup(newtest::FieldsOf(dialog).bobRadius)) return true;
    ui::MsgBox(runloop::BobRadiusMessage(bob::BobNames()));
    return false;
}

bool frmRealTime::BeginDownload(frmTestRelatedInfo& dialog) {
    if (!BobFits(dialog)) return false;
    mDownload = std::make_unique<unit::StoredTransferRead>(MSComm1);
    try {
        mDownload->Begin([this](const QString& received) { TrapErrors([&] { DownloadReceived(received); }); },
                         [this](const comm::CommError& e) {
                             ShowDownload(false);
                             Timer1.Enabled(true);
                             PortLost(e, false);
                         },
                         [this](int characters) { ShowProgress(unit::DownloadProgressText(characters)); });
    } catch (const comm::CommError& e) {
        PortLost(e, false);
        return true;
    }
    ShowDownload(true);
    return true;
}

void frmRealTime::ShowDownload(bool underWay) {
    // The unit's caption of before comes back (the next reply renews it).
    if (underWay) mCaptionBeforeDownload = lblActiveFlag->text();
    lblActiveFlag->setText(underWay ? unit::DownloadingCaption() : mCaptionBeforeDownload);
    ShowProgress(underWay ? unit::DownloadProgressText(0) : QString());
    for (QPushButton* b : {cmdStart_Stop, cmdRetrieve, cmdZero}) b->setEnabled(!underWay);
}

void frmRealTime::EndDownload() {
    if (!DownloadUnderWay()) return;
    mDownload->Abandon();
    ShowDownload(false);
    Timer1.Enabled(true);
}

void frmRealTime::DownloadReceived(const QString& received) {
    ShowDownload(false);
    // The window reads its unit again once the transfer is stored (the rows
    // take the gel reading and cycle of when the download began).
    struct ReadAgain {
        tick::TickTimer& timer;
        ~ReadAgain() { timer.Enabled(true); }
    } readAgain{Timer1};
    // The whole transfer is read and checked first: a failed download
    // stores nothing, so the operator may retry under the same name.
    const unit::StoredTransfer transfer = unit::ParseStoredTransfer(received);
    switch (transfer.status) {
        case unit::TransferStatus::NoResponse:
            ui::Notify(unit::NoResponseMessage(), ui::vbOKOnly, unit::CommunicationErrorTitle());
            return;
        case unit::TransferStatus::CommunicationError:
            ui::Notify(unit::CommunicationErrorMessage(), ui::vbOKOnly, unit::CommunicationErrorTitle());
            return;
        case unit::TransferStatus::Ok: break;
    }
    // Nothing to download: no test without rows is stored.
    if (transfer.records.empty()) {
        ui::Notify(unit::NoStoredTestMessage());
        return;
    }
    if (StoreDownload(*mInfoDialog, transfer)) return;
    // The database refused the test: the dialog again, with everything
    // typed; its Start stores this transfer (the unit is not asked again).
    mInfoDialog->Cancelled = true;
    mInfoDialog->Starting = [this, &transfer] {
        bool closes = true;
        TrapErrors([&] { closes = BobFits(*mInfoDialog) && StoreDownload(*mInfoDialog, transfer); });
        return closes;
    };
    ui::ShowModal(*mInfoDialog);
    if (mInfoDialog) mInfoDialog->Starting = nullptr;
}

bool frmRealTime::StoreDownload(frmTestRelatedInfo& dialog, const unit::StoredTransfer& transfer) {
    const newtest::NewTestFields fields = newtest::FieldsOf(dialog);
    // The test and its additives go in together or not at all; refused,
    // nothing is stored and the unit still holds its test. The test is dated
    // by its download, so that the list of stored tests, sorted by time,
    // shows it among the newest.
    const std::optional<qint32> testId = newtest::StoreNewTest(
        mConnection, [&] { return newtest::AddTestInfo(*mTestInfo, fields, tick::CurrentDateTime()); },
        *mTestAdditive, dialog, kNotDownloaded);
    if (!testId) return false;
    TestId = *testId;
    TestStarted = mTestInfo->TEST_TIME();
    mBobRadius = fields.bobRadius;
    mReply.SetBobRadius(mBobRadius);
    StoreDownloadedRows(transfer.records, fields.testName);
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
        std::vector<ResultPoint> written;
        RunInTransaction(mConnection, [&] {
            for (const unit::StoredDataRecord& r : records) {
                TakeDownloadedRecord(r);
                written.push_back(WriteResultRow());
            }
        });
        for (const ResultPoint& row : written) mSamples.Written(TestId, row);
        return;
    } catch (const db::DbError&) {
        // Taken back whole (none of them is stored): all of them wait below.
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

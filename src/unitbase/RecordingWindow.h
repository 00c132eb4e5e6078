#pragma once
// A unit window that runs a stored sequence with its kind's run (`Run`, a
// runloop::SequenceRun) and records the run's rows through its own record
// objects: the rheology, PVT and swell windows. What they answer alike is
// answered here: the window's run is the one whose rows may wait for the
// database (RecordingRun), the sequence picker reads the window's records
// (SequenceRecords), a row goes in through the window's result record, and
// the rows waiting are shown with the chart drawn anew after rows stored late
// (RowsWaitingShown, RedrawLiveChart), and a new test of the dialog's fields
// is stored through the window's test records (StoreTestOf).

#include "dialogs/NewTestRecord.h"
#include "platform/RunClock.h"
#include "unitbase/UnitWindow.h"
#include "unitrun/RunRecords.h"
#include "unitrun/SequenceRun.h"
#include "unitrun/WaitingRows.h"

template <class Run>
class RecordingWindow : public UnitWindow, public Run, public runloop::RunRecords {
public:
    using UnitWindow::UnitWindow;

protected:
    runloop::SequenceRun* RecordingRun() override { return this; }
    runloop::RunRecords* SequenceRecords() override { return this; }
    // Inserts a row through mTestResult within the wait given (InsertResultRow).
    void InsertRow(const ResultPoint& row, int waitMs) override {
        runloop::InsertResultRow(mTestResult.get(), row, waitMs);
    }
    int RowsAlike(const ResultPoint& row) override { return runloop::CountResultRowsAlike(mTestResult.get(), row); }
    void RowsWaitingChanged() override { RowsWaitingShown(); }
    // The new test of `fields`, dated now, and the dialog's additives, stored
    // in one transaction (newtest::StoreNewTest); its key becomes the run's
    // TestId, its TEST_TIME TestStarted. False, nothing stored, when the
    // database refused them (the operator has been told).
    bool StoreTestOf(const newtest::NewTestFields& fields, const frmTestRelatedInfo& dialog) {
        const std::optional<qint32> testId = newtest::StoreNewTest(
            mConnection, [&] { return newtest::AddTestInfo(*mTestInfo, fields, tick::CurrentDateTime()); },
            *mTestAdditive, dialog);
        if (!testId) return false;
        this->TestId = *testId;
        this->TestStarted = this->mTestInfo->TEST_TIME();
        return true;
    }
};

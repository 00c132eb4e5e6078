// The rheology test window's recorded row: one TEST_RESULT row of the current
// test from the run state and the latest readings (or a downloaded point), in
// the columns the rheology test keeps them in (TestKindColumns.h).

#include "data/TestKindColumns.h"
#include "data/clsTEST_RESULT.h"
#include "platform/Database.h"
#include "rheology/frmRealTime.h"

#include <QLabel>

namespace {

// The record object's fields hold the row of the present point.
void fillResultRow(frmRealTime& w) {
    if (!w.mTestResult) throw db::DbError(db::ErrNotOpen, frmRealTime::kNoRecords);
    clsTEST_RESULT& r = *w.mTestResult;
    r.Test_Id(w.TestId);
    r.RAMP_NO(w.CurStep);
    r.RAMP_STEP_NO(w.mRampEntryNo);
    r.RESULT_TIME(w.ElapsedSeconds);
    r.RESULT_SAMPLE_TEMP(w.mReply.readings.mSampleTemp);
    r.RESULT_PRESS(w.mReply.readings.mPressure);
    r.Field(rheology::result::ShearRate, w.mReply.readings.mShearRate);  // 1/s, not the rpm
    r.RESULT_SHEAR_STRESS(w.mReply.readings.mShearStress);
    r.Field(rheology::result::Gel, w.mReply.readings.mGel);
    r.CYCLE_NO(w.CurCycle);
    r.Field(rheology::result::PointType, w.mPhase == 0 ? 0 : 1);
}

}  // namespace

void frmRealTime::SaveResultRow() {
    fillResultRow(*this);
    const ResultPoint row = LiveSamples::PointOf(TestId, *mTestResult);
    StoreRow({row, lblTestname->text(), AfterRowStored(mSamples, row, [this, row] { ShowLateRow(row); })});
}

ResultPoint frmRealTime::WriteResultRow() {
    fillResultRow(*this);
    mTestResult->AddNew();
    return LiveSamples::PointOf(TestId, *mTestResult);
}

void frmRealTime::KeepDownloadedRow(const QString& testName) {
    fillResultRow(*this);
    const ResultPoint row = LiveSamples::PointOf(TestId, *mTestResult);
    StoreRow({row, testName, [this, row](bool) { mSamples.Written(qint32(row[resultcol::TestId]), row); }});
}

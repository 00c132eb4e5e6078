// The rheology test window's recorded row: one TEST_RESULT row of the current
// test from the run state and the latest readings, in the columns the
// rheology test keeps them in (TestKindColumns.h).

#include "data/TestKindColumns.h"
#include "data/clsTEST_RESULT.h"
#include "platform/Database.h"
#include "realtime/frmRealTime.h"

void frmRealTime::SaveResultRow() {
    if (!mTestResult) throw db::DbError(db::ErrNotOpen, kNoRecords);
    clsTEST_RESULT& r = *mTestResult;
    r.Test_Id(TestId);
    r.RAMP_NO(CurStep);
    r.RAMP_STEP_NO(mRampEntryNo);
    r.RESULT_TIME(ElapsedSeconds);
    r.RESULT_SAMPLE_TEMP(mReply.readings.mSampleTemp);
    r.RESULT_PRESS(mReply.readings.mPressure);
    r.Field(rheology::result::ShearRate, mReply.readings.mShearRate);  // 1/s, not the rpm
    r.RESULT_SHEAR_STRESS(mReply.readings.mShearStress);
    r.Field(rheology::result::Gel, mReply.readings.mGel);
    r.CYCLE_NO(CurCycle);
    r.Field(rheology::result::PointType, mPhase == 0 ? 0 : 1);
    r.AddNew();
    // The samples the grid and chart hold follow what was stored.
    mSamples.Written(TestId, LiveSamples::PointOf(TestId, r));
}

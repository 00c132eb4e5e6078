#pragma once
// A rheology test window over a fresh database with a test of its own, and a
// way to record samples into it as the run loop does: the run state and the
// readings set, the row saved, the grid brought up to date.

#include "support/UnitWindowFixture.h"

#include "data/clsTEST_INFO.h"
#include "data/clsTEST_RESULT.h"
#include "platform/Database.h"
#include "platform/FlexGrid.h"
#include "platform/PeChart.h"
#include "dialogs/NewTestRecord.h"
#include "rheology/frmRealTime.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <memory>

namespace unit_tests {

inline constexpr double kBobB1 = 1.7245;  // cm
inline constexpr double kBobB2 = 1.2276;  // cm

// One sample as the run loop records it.
struct Sample {
    int step = 1;
    int cycle = 1;
    int ramp = 0;          // ramp entry, 0 in the step phase
    qint32 time = 0;       // s since the start of the run
    double rate = 0;       // shear rate, 1/s
    double stress = 0;     // dyn/cm²
    double temp = 200;     // °F
    double press = 1000;   // psi
    double gel = 5.11;
};

class LiveWindowFixture : public UnitWindowFixture {
protected:
    void SetUp() override {
        UnitWindowFixture::SetUp();
        w = std::make_unique<frmRealTime>();
        w->InitialInst(&conn);
    }
    void TearDown() override {
        w.reset();
        UnitWindowFixture::TearDown();
    }

    // A new test on the bob, made the current test of the window, as Start
    // leaves it: the grid cut back to its header.
    qint32 startTest(const QString& name = QStringLiteral("Live"), double bobRadius = kBobB1) {
        newtest::NewTestFields f;
        f.testName = name;
        f.bobNo = QStringLiteral("B1");
        f.bobRadius = bobRadius;
        w->TestId = newtest::AddTestInfo(*w->mTestInfo, f, QDateTime::currentDateTime());
        w->mBobRadius = bobRadius;
        w->mReply.SetBobRadius(bobRadius);
        w->MSFlexGrid1->Rows(1);
        return w->TestId;
    }

    // The run state and readings of a sample.
    void setState(const Sample& s) {
        w->CurStep = s.step;
        w->CurCycle = s.cycle;
        w->mRampEntryNo = s.ramp;
        w->mPhase = s.ramp > 0 ? 1 : 0;
        w->ElapsedSeconds = s.time;
        unit::UnitReadings& r = w->mReply.readings;
        r.mShearRate = s.rate;
        r.mShearStress = s.stress;
        r.mSampleTemp = s.temp;
        r.mPressure = s.press;
        r.mGel = s.gel;
        r.mSpeed = s.rate / w->mReply.mShearRateFactor;
    }
    // Records a sample: saved, then the grid brought up to date.
    void record(const Sample& s) {
        setState(s);
        w->SaveResultRow();
        w->UpdateResultGrid();
    }
    // Many samples straight into the table, in one transaction.
    void storeMany(int count, const std::function<Sample(int)>& sample) {
        db::Connection* c = conn.ADOConnection();
        c->beginTransaction();
        for (int i = 0; i < count; ++i) {
            setState(sample(i));
            w->SaveResultRow();
        }
        c->commit();
    }

    QString cell(int row, int col) const { return w->MSFlexGrid1->TextMatrix(row, col); }
    QStringList analysis(int row) const {
        QStringList cells;
        for (int c = 12; c < 20; ++c) cells << cell(row, c);
        return cells;
    }

    std::unique_ptr<frmRealTime> w;
};

}  // namespace unit_tests

#pragma once
// Sequences stored for the run tests through the record classes, as the
// sequence editor stores them: the header row, then one row per step and per
// ramp entry.

#include "data/clsConnection.h"
#include "data/clsSEQUENCE_INFO.h"
#include "data/clsSEQUENCE_RAMP.h"
#include "data/clsSEQUENCE_RAMP_DEFINE.h"

#include <QString>
#include <vector>

namespace unit_tests {

// One step, in storage units.
struct SeqStep {
    double minutes = 1;
    double temp = 75;       // °F
    double tolerance = 5;   // °F
    double speed = 300;     // rpm
    double interval = 0;    // s
    double press = 0;       // psi
    double runRamp = 0;
    double tempRate = 0;    // °F/min
    double cycles = 1;
    double pressRate = 0;   // psi/min
};

struct SeqRampEntry {
    double speed = 100;    // rpm
    double seconds = 30;
    double interval = 5;
};

// Stores the sequence and returns its SEQUENCE_ID.
inline qint32 StoreSequence(clsConnection& conn, const QString& name, const std::vector<SeqStep>& steps,
                            const std::vector<SeqRampEntry>& entries = {}) {
    clsSEQUENCE_INFO info;
    info.ConnectX(&conn);
    info.SEQUENCE_NAME(name);
    info.AddNew();
    info.SEQUENCE_NAME(name);
    info.GetSeqDetail();
    const double id = info.SEQUENCE_ID();

    clsSEQUENCE_RAMP ramp;
    ramp.SequenceId(id);
    ramp.ConnectX(&conn);
    double no = 0;
    for (const SeqStep& s : steps) {
        ramp.SequenceId(id);
        ramp.RAMPNO(++no);
        ramp.RAMP_ELAPSE_TIME(s.minutes);
        ramp.RAMP_TEMP(s.temp);
        ramp.RAMP_START_ERROR(s.tolerance);
        ramp.SPEED(s.speed);
        ramp.RECORD_RATE(s.interval);
        ramp.RAMP_PRESS(s.press);
        ramp.RUN_RAMP(s.runRamp);
        ramp.TEMPRAMP_RATE(s.tempRate);
        ramp.CYCLE_LABEL(s.cycles);
        ramp.PRESS_RATE(s.pressRate);
        ramp.AddNew();
    }
    clsSEQUENCE_RAMP_DEFINE define;
    define.SequenceId(id);
    define.ConnectX(&conn);
    no = 0;
    for (const SeqRampEntry& e : entries) {
        define.SequenceId(id);
        define.RAMP_STEP_NO(++no);
        define.RAMP_SPEED(e.speed);
        define.DELAY_TIME(e.seconds);
        define.INTERVALs(e.interval);
        define.AddNew();
    }
    return qint32(id);
}

}  // namespace unit_tests

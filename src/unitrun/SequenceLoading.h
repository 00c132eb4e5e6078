#pragma once
// The sequence a run on a unit runs, without a window: the run step table
// and ramp-define table of a sequence, their loading from the sequence
// records and their check against what a step may hold.
//
// Units are those of storage: °F, °F/min, psi, psi/min, rpm, seconds, minutes
// for step durations.

#include "data/RecordBase.h"

#include <QString>
#include <QVector>

class clsConnection;
class clsSEQUENCE_INFO;
class clsSEQUENCE_RAMP;
class clsSEQUENCE_RAMP_DEFINE;

namespace runloop {

// ---- the tables -----------------------------------------------------------------

// The run step table (index 1 .. mStepCount; element 0 belongs to no step and
// is 0) and the ramp-define table (index 1 .. mRampEntryCount) of the loaded
// sequence. Every step whose mStepRunRamp is 1 runs the same ramp list.
struct RunTables {
    QVector<double> mStepMinutes{0};    // duration, min
    QVector<double> mStepTemp{0};       // °F
    QVector<double> mStepTempError{0};  // tolerance, °F
    QVector<double> mStepSpeed{0};      // rpm
    QVector<double> mStepInterval{0};   // recording interval, s
    QVector<double> mStepPress{0};      // psi
    QVector<double> mStepRunRamp{0};    // 1: the ramp follows the step
    QVector<double> mStepTempRate{0};   // °F/min, negative for a cooling step
    QVector<double> mStepCycles{0};
    QVector<double> mStepPressRate{0};  // psi/min, negative for a falling step
    int mStepCount = 0;

    QVector<double> mRampSpeed{0};      // rpm
    QVector<double> mRampSeconds{0};    // duration, s
    QVector<double> mRampInterval{0};   // recording interval, s
    int mRampEntryCount = 0;

    // Takes the step table of another (counts included), keeping the ramp list.
    void TakeSteps(const RunTables& other);
    // Takes the ramp list of another, keeping the steps.
    void TakeRampEntries(const RunTables& other);
};

// ---- sequence loading --------------------------------------------------------------

enum class LoadResult {
    Loaded,           // steps found, all within the maximum pressure
    NoSteps,          // the sequence has no steps (or no longer exists)
    PressureTooHigh,  // a step's pressure is above the maximum pressure
};

struct LoadedSequence {
    LoadResult result = LoadResult::NoSteps;
    // The first value of a step or ramp entry that a step may not hold
    // (SequenceLimits, with the maximum pressure the load was given), as its
    // message naming the step and the value; empty when every one fits. Set
    // also with PressureTooHigh.
    QString problem;
    RowArray seqInfoRow;       // the SEQUENCE_INFO row (the default row when the name has none)
    qint32 sequenceId = 0;     // its SEQUENCE_ID
    RunTables tables;          // the steps (when Loaded) and the ramp entries (when hasRampEntries)
    bool hasRampEntries = false;
};

// Reads the sequence of that name through the record objects (the steps
// and ramp entries are bound to the connection anew) into fresh tables; the
// ramp entries only with a ramp-define record (kinds without a ramp pass
// none). A step's temperature rate is negative when its temperature is below
// the step before (0 °F before the first step), else positive; the pressure
// rate likewise with the pressures (the sign rule of SequenceLimits,
// SignedRate). Loading stops at the first step above
// maxPress (the unit's Max Pressure; PressureTooHigh). Every step (with its
// step number, RAMP_NO) and ramp entry is checked against what a step may
// hold (SequenceLimits), the first that does not fit named in `problem`: a
// window takes no sequence with a problem. Database failures propagate
// (db::DbError).
LoadedSequence LoadSequence(const QString& name, double maxPress, clsConnection* connection,
                            clsSEQUENCE_INFO& seqInfo, clsSEQUENCE_RAMP& seqRamp,
                            clsSEQUENCE_RAMP_DEFINE* seqRampDefine);

// The first step or ramp entry of the tables that a step may not hold
// (SequenceLimits, with the unit's Max Pressure maxPress), as its message
// naming the step and the value; empty when every one fits. The tables hold
// no step numbers: those are checked when the sequence is loaded.
QString CheckRunTables(const RunTables& t, double maxPress);

}  // namespace runloop

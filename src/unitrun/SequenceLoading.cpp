#include "unitrun/SequenceLoading.h"

#include "data/Numbers.h"
#include "data/SequenceLimits.h"
#include "data/clsSEQUENCE_INFO.h"
#include "data/clsSEQUENCE_RAMP.h"
#include "data/clsSEQUENCE_RAMP_DEFINE.h"
#include "unitrun/SetPoints.h"

#include <algorithm>

namespace runloop {

// ---- the tables -----------------------------------------------------------------

void RunTables::TakeSteps(const RunTables& o) {
    mStepMinutes = o.mStepMinutes;
    mStepTemp = o.mStepTemp;
    mStepTempError = o.mStepTempError;
    mStepSpeed = o.mStepSpeed;
    mStepInterval = o.mStepInterval;
    mStepPress = o.mStepPress;
    mStepRunRamp = o.mStepRunRamp;
    mStepTempRate = o.mStepTempRate;
    mStepCycles = o.mStepCycles;
    mStepPressRate = o.mStepPressRate;
    mStepCount = o.mStepCount;
}

void RunTables::TakeRampEntries(const RunTables& o) {
    mRampSpeed = o.mRampSpeed;
    mRampSeconds = o.mRampSeconds;
    mRampInterval = o.mRampInterval;
    mRampEntryCount = o.mRampEntryCount;
}

// ---- sequence loading --------------------------------------------------------------

namespace {

// Step s of the tables, numbered by its place.
seqlimits::Step stepOf(const RunTables& t, int s, double number) {
    seqlimits::Step step;
    step.number = number;
    step.minutes = t.mStepMinutes.value(s);
    step.temperature = t.mStepTemp.value(s);
    step.speed = t.mStepSpeed.value(s);
    step.pressure = t.mStepPress.value(s);
    step.interval = t.mStepInterval.value(s);
    step.cycles = t.mStepCycles.value(s);
    step.rampFlag = t.mStepRunRamp.value(s);
    step.tolerance = t.mStepTempError.value(s);
    step.tempRate = t.mStepTempRate.value(s);
    step.pressRate = t.mStepPressRate.value(s);
    return step;
}

// A SEQUENCE_RAMP row (clsSEQUENCE_RAMP::All) as a step.
seqlimits::Step stepOfRow(const RowArray& row) {
    auto at = [&](int i) { return row.value(i).toDouble(); };
    seqlimits::Step step;
    step.number = at(2);
    step.minutes = at(3);
    step.temperature = at(4);
    step.speed = at(6);
    step.interval = at(7);
    step.pressure = at(8);
    step.rampFlag = at(9);
    step.cycles = at(11);
    step.tolerance = at(5);
    step.tempRate = at(10);
    step.pressRate = at(12);
    return step;
}

seqlimits::RampEntry rampEntryOf(const RunTables& t, int j) {
    return {t.mRampSeconds.value(j), t.mRampSpeed.value(j), t.mRampInterval.value(j)};
}

}  // namespace

LoadedSequence LoadSequence(const QString& name, double maxPress, clsConnection* connection,
                            clsSEQUENCE_INFO& seqInfo, clsSEQUENCE_RAMP& seqRamp,
                            clsSEQUENCE_RAMP_DEFINE* seqRampDefine) {
    LoadedSequence out;
    const seqlimits::Limits limits = seqlimits::StoredLimits(maxPress);
    auto note = [&out](const std::optional<seqlimits::Problem>& p) {
        if (p && out.problem.isEmpty()) out.problem = p->message;
    };
    seqInfo.SEQUENCE_NAME(name);
    seqInfo.GetSeqDetail();
    out.seqInfoRow = seqInfo.All();
    const double id = out.seqInfoRow.value(0).toDouble();
    out.sequenceId = qint32(RoundEven(id));

    seqRamp.SequenceId(id);
    seqRamp.ConnectX(connection);
    RunTables& t = out.tables;
    if (!seqRamp.Eof()) {
        seqRamp.MoveFirst();
        int s = 0;
        double numberBefore = 0;
        while (!seqRamp.Eof()) {
            ++s;
            const RowArray row = seqRamp.All();
            auto at = [&](int i) { return row.value(i).toDouble(); };
            const double press = at(8);
            const seqlimits::Step step = stepOfRow(row);
            if (press > maxPress) {
                out.result = LoadResult::PressureTooHigh;
                note(seqlimits::CheckStep(s, step, numberBefore, limits));
                return out;
            }
            const double temp = at(4);
            t.mStepMinutes.append(at(3));
            t.mStepTemp.append(temp);
            t.mStepTempError.append(at(5));
            t.mStepSpeed.append(at(6));
            t.mStepInterval.append(at(7));
            t.mStepPress.append(press);
            t.mStepRunRamp.append(at(9));
            t.mStepTempRate.append(seqlimits::SignedRate(at(10), temp, t.mStepTemp[s - 1]));
            t.mStepCycles.append(at(11));
            t.mStepPressRate.append(seqlimits::SignedRate(at(12), press, t.mStepPress[s - 1]));
            note(seqlimits::CheckStep(s, step, numberBefore, limits));
            numberBefore = step.number;
            seqRamp.MoveNext();
        }
        t.mStepCount = s;
        out.result = LoadResult::Loaded;
    }

    if (!seqRampDefine) return out;
    seqRampDefine->SequenceId(id);
    seqRampDefine->ConnectX(connection);
    if (!seqRampDefine->Eof()) {
        out.hasRampEntries = true;
        seqRampDefine->MoveFirst();
        while (!seqRampDefine->Eof()) {
            const RowArray row = seqRampDefine->All();
            t.mRampSpeed.append(row.value(3).toDouble());
            t.mRampSeconds.append(row.value(4).toDouble());
            t.mRampInterval.append(row.value(5).toDouble());
            seqRampDefine->MoveNext();
        }
        t.mRampEntryCount = int(t.mRampSpeed.size()) - 1;
        for (int j = 1; j <= t.mRampEntryCount; ++j) note(seqlimits::CheckRampEntry(j, rampEntryOf(t, j), limits));
    }
    return out;
}

QString CheckRunTables(const RunTables& t, double maxPress) {
    const seqlimits::Limits limits = seqlimits::StoredLimits(maxPress);
    for (int s = 1; s <= t.mStepCount; ++s)
        if (const auto p = seqlimits::CheckStep(s, stepOf(t, s, s), s - 1, limits)) return p->message;
    for (int j = 1; j <= t.mRampEntryCount; ++j)
        if (const auto p = seqlimits::CheckRampEntry(j, rampEntryOf(t, j), limits)) return p->message;
    return QString();
}

}  // namespace runloop

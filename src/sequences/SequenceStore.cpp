#include "sequences/SequenceStore.h"

#include "data/clsSEQUENCE_INFO.h"
#include "data/clsSEQUENCE_RAMP.h"
#include "data/clsSEQUENCE_RAMP_DEFINE.h"
#include "platform/FlexGrid.h"
#include "sequences/SequenceGrids.h"

SequenceStore::SequenceStore(clsConnection* connection)
    : mConnection(connection),
      mSeqInfo(std::make_unique<clsSEQUENCE_INFO>()),
      mSeqRamp(std::make_unique<clsSEQUENCE_RAMP>()),
      mSeqRampDefine(std::make_unique<clsSEQUENCE_RAMP_DEFINE>()) {}

SequenceStore::~SequenceStore() = default;

void SequenceStore::Connect() { mSeqInfo->ConnectX(mConnection); }

QStringList SequenceStore::ListNames() {
    mSeqInfo->ConnectX(mConnection);
    mSeqNames = mSeqInfo->JustName();
    QStringList names;
    if (!mSeqNames.isEmpty())
        for (const QVariant& v : mSeqNames[0]) names << v.toString();
    return names;
}

int SequenceStore::Check_Duplicate(const QString& name) {
    const QString wanted = name.toUpper();
    for (const QString& stored : ListNames())
        if (stored.toUpper() == wanted) return 1;
    return 0;
}

void SequenceStore::SelectByName(const QString& name) {
    mSeqInfo->SEQUENCE_NAME(name);
    mSeqInfo->GetSeqDetail();
    LoadSequenceInfo();
}

void SequenceStore::LoadSequenceInfo() {
    mSeqInfoRow = mSeqInfo->All();
    mSeqId = roundHalfEven(mSeqInfoRow.value(0).toDouble());
}

void SequenceStore::bindSteps(double sequenceId) {
    mSeqRamp->SequenceId(sequenceId);
    mSeqRamp->ConnectX(mConnection);
    mSeqRampDefine->SequenceId(sequenceId);
    mSeqRampDefine->ConnectX(mConnection);
}

bool SequenceStore::LoadRampGrid(FlexGridModel& grid, bool bySR, double srFactor) {
    if (mSeqId == 0) return false;
    mSeqRamp->SequenceId(mSeqId);
    mSeqRamp->ConnectX(mConnection);
    grid.Rows(1);
    if (!mSeqRamp->Eof()) {
        mSeqRamp->MoveFirst();
        grid.TextMatrix(0, seqgrid::colSpeed, seqgrid::StepSpeedHeader(bySR));
        while (!mSeqRamp->Eof()) {
            const QStringList texts = seqgrid::StepRowTexts(mSeqRamp->All(), bySR, srFactor);
            const int r = grid.Rows();
            grid.Rows(r + 1);
            for (int c = 0; c < texts.size() && c < grid.Cols(); ++c) grid.TextMatrix(r, c, texts[c]);
            mSeqRamp->MoveNext();
        }
    }
    return true;
}

bool SequenceStore::LoadRampDefineGrid(FlexGridModel& grid, bool bySR, double srFactor) {
    if (mSeqId == 0) return false;
    for (int r = 1; r < grid.Rows(); ++r)
        for (int c = 0; c < grid.Cols(); ++c) grid.TextMatrix(r, c, QString());
    seqgrid::InitRampDefineGridHeader(grid);
    mSeqRampDefine->SequenceId(mSeqId);
    mSeqRampDefine->ConnectX(mConnection);
    if (!mSeqRampDefine->Eof()) {
        grid.TextMatrix(0, 1, seqgrid::RampDefineSpeedHeader(bySR));
        mSeqRampDefine->MoveFirst();
        // The grid holds 40 entries: later ones are not shown.
        for (int r = 1; !mSeqRampDefine->Eof() && r <= seqgrid::kRampDefineEntries; ++r) {
            const QStringList texts = seqgrid::RampDefineRowTexts(mSeqRampDefine->All(), bySR, srFactor);
            for (int c = 0; c < texts.size(); ++c) grid.TextMatrix(r, c, texts[c]);
            mSeqRampDefine->MoveNext();
        }
    }
    return true;
}

void SequenceStore::SaveSequenceInfo() {
    if (mSeqInfoRow.size() < clsSEQUENCE_INFO::kColumns) mSeqInfoRow = mSeqInfo->All();
    mSeqInfoRow[0] = static_cast<double>(mSeqId);
    mSeqInfo->All(mSeqInfoRow);
    mSeqInfo->Update();
}

void SequenceStore::SaveRampGrid(const FlexGridModel& grid, bool bySR, double srFactor) {
    mSeqRamp->SequenceId(mSeqId);
    mSeqRamp->ConnectX(mConnection);  // binds a record no load has bound yet
    mSeqRamp->Delete();
    for (int r = 1; r < grid.Rows(); ++r) {
        const QVector<double> v = seqgrid::StepRowToStorage(grid, r, bySR, srFactor);
        AddStep(*mSeqRamp, mSeqId, std::span<const double, seqgrid::kStepCols>(v.constData(), seqgrid::kStepCols));
    }
}

void SequenceStore::AddStep(clsSEQUENCE_RAMP& ramp, double sequenceId, std::span<const double, 11> v) {
    ramp.SequenceId(sequenceId);
    ramp.SEQUENCE_RAMP_ID(0);
    ramp.RAMPNO(v[seqgrid::colStepNo]);
    ramp.RAMP_ELAPSE_TIME(v[seqgrid::colElapse]);
    ramp.RAMP_TEMP(v[seqgrid::colTemp]);
    ramp.RAMP_START_ERROR(v[seqgrid::colTempError]);
    ramp.TEMPRAMP_RATE(v[seqgrid::colTempRate]);
    ramp.SPEED(v[seqgrid::colSpeed]);
    ramp.RAMP_PRESS(v[seqgrid::colPress]);
    ramp.PRESS_RATE(v[seqgrid::colPressRate]);
    ramp.RECORD_RATE(v[seqgrid::colInterval]);
    ramp.CYCLE_LABEL(v[seqgrid::colCycle]);
    ramp.RUN_RAMP(v[seqgrid::colRunRamp]);
    ramp.AddNew();
}

void SequenceStore::AddRampEntry(clsSEQUENCE_RAMP_DEFINE& rampDefine, double sequenceId, double stepNo,
                                 double delayTime, double rampSpeed, double intervals) {
    rampDefine.SequenceId(sequenceId);
    rampDefine.SEQUENCE_DEF_ID(0);
    rampDefine.RAMP_STEP_NO(stepNo);
    rampDefine.DELAY_TIME(delayTime);
    rampDefine.RAMP_SPEED(rampSpeed);
    rampDefine.INTERVALs(intervals);
    rampDefine.AddNew();
}

void SequenceStore::SaveRampDefineGrid(const FlexGridModel& grid, bool bySR, double srFactor) {
    mSeqRampDefine->SequenceId(mSeqId);
    mSeqRampDefine->ConnectX(mConnection);
    mSeqRampDefine->Delete();
    for (int k = 1; k <= seqgrid::kRampDefineEntries && k < grid.Rows(); ++k) {
        if (seqgrid::RampDefineEnds(grid.TextMatrix(k, 0))) break;
        const seqgrid::RampDefineValues v = seqgrid::RampDefineRowToStorage(grid, k, bySR, srFactor);
        AddRampEntry(*mSeqRampDefine, mSeqId, k, v.delayTime, v.rampSpeed, v.intervals);
    }
}

void SequenceStore::AddNewSequence(const QString& name) {
    mSeqInfo->SEQUENCE_NAME(name);
    mSeqInfo->AddNew();
    mSeqInfo->Refresh();
}

void SequenceStore::DeleteSequence(const QString& name) {
    // The keys of every sequence of that name first: their steps and ramp
    // entries go after the header rows.
    mSeqInfo->SEQUENCE_NAME(name);
    mSeqInfo->GetSeqDetail();
    QVector<double> ids;
    if (!mSeqInfo->Eof()) {
        const RowCache rows = mSeqInfo->JustName();
        if (!rows.isEmpty())
            for (const QVariant& id : rows[0]) ids << id.toDouble();
    }
    mSeqInfo->SEQUENCE_NAME(name);
    mSeqInfo->Delete();
    for (double id : ids) {
        if (roundHalfEven(id) == mSeqId) mSeqId = 0;
        bindSteps(id);
        mSeqRamp->Delete();
        mSeqRampDefine->Delete();
    }
}

#include "data/clsSEQUENCE_RAMP_DEFINE.h"

namespace {
const double kDefaults[clsSEQUENCE_RAMP_DEFINE::kColumns] = {0, 0, 0, 0, 0, 0};
const char* const kInsertParams[clsSEQUENCE_RAMP_DEFINE::kColumns - 1] = {
    "pSequence_Id", "pRAMP_STEP_NO", "pRAMP_SPEED", "pDELAY_TIME", "pINTERVALs"};
const SequenceStepRecord::Table kTable{clsSEQUENCE_RAMP_DEFINE::kColumns, kDefaults,
                                       clsSEQUENCE_RAMP_DEFINE::kKeySql, clsSEQUENCE_RAMP_DEFINE::kDeleteSql,
                                       clsSEQUENCE_RAMP_DEFINE::kInsertSql, kInsertParams};
}  // namespace

clsSEQUENCE_RAMP_DEFINE::clsSEQUENCE_RAMP_DEFINE() : SequenceStepRecord(kTable) {}

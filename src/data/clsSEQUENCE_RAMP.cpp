#include "data/clsSEQUENCE_RAMP.h"

namespace {
const double kDefaults[clsSEQUENCE_RAMP::kColumns] = {0, 0, 0, 0, 0, 0, 300, 1, 0, 0, 0, 1, 0};
const char* const kInsertParams[clsSEQUENCE_RAMP::kColumns - 1] = {
    "pSequence_Id", "pRAMP_NO",  "pRAMP_ELAPSE_TIME", "pRAMP_TEMP",    "pRAMP_START_ERROR", "pSPEED",
    "pRECORD_RATE", "pRAMP_PRESS", "pRUN_RAMP",       "pTEMPRAMP_RATE", "pCYCLE_LABEL",      "pPRESS_RATE"};
const SequenceStepRecord::Table kTable{clsSEQUENCE_RAMP::kColumns, kDefaults,
                                       clsSEQUENCE_RAMP::kKeySql,  clsSEQUENCE_RAMP::kDeleteSql,
                                       clsSEQUENCE_RAMP::kInsertSql, kInsertParams};
}  // namespace

clsSEQUENCE_RAMP::clsSEQUENCE_RAMP() : SequenceStepRecord(kTable) {}

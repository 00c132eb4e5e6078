#pragma once
// The shear-rate ramp of a stored test sequence: one SEQUENCE_RAMP_DEFINE row
// per ramp step (1 to 40), read in RAMP_STEP_NO order. Positions of All:
//   0 SEQUENCE_DEF_ID, 1 SEQUENCE_ID, 2 RAMP_STEP_NO, 3 RAMP_SPEED (rpm),
//   4 DELAY_TIME (s), 5 INTERVALs (s).
// Every field is a Double with default 0.

#include "data/SequenceStepRecord.h"

class clsSEQUENCE_RAMP_DEFINE : public SequenceStepRecord {
public:
    static constexpr const char* kKeySql =
        "SELECT SEQUENCE_DEF_ID, SEQUENCE_ID, RAMP_STEP_NO, RAMP_SPEED, DELAY_TIME, INTERVALs  "
        "FROM SEQUENCE_RAMP_DEFINE Where SEQUENCE_ID = ? ORDER BY RAMP_STEP_NO";
    static constexpr const char* kInsertSql =
        "INSERT INTO  SEQUENCE_RAMP_DEFINE (SEQUENCE_ID, RAMP_STEP_NO, RAMP_SPEED, DELAY_TIME, INTERVALs ) "
        "VALUES (?, ?, ?, ?, ?)";
    static constexpr const char* kDeleteSql = "DELETE  FROM SEQUENCE_RAMP_DEFINE  WHERE SEQUENCE_ID = ?";
    static constexpr int kColumns = 6;

    clsSEQUENCE_RAMP_DEFINE();

    double SEQUENCE_DEF_ID() const { return field(0); }
    void SEQUENCE_DEF_ID(double value) { setField(0, value); }
    double RAMP_STEP_NO() const { return field(2); }
    void RAMP_STEP_NO(double value) { setField(2, value); }
    double RAMP_SPEED() const { return field(3); }
    void RAMP_SPEED(double value) { setField(3, value); }
    double DELAY_TIME() const { return field(4); }
    void DELAY_TIME(double value) { setField(4, value); }
    double INTERVALs() const { return field(5); }
    void INTERVALs(double value) { setField(5, value); }

    // The number of rows the last load put into the row cache.
    qint32 RampSteps() const { return rowCount_; }
};

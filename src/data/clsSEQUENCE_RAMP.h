#pragma once
// The steps of a stored test sequence: one SEQUENCE_RAMP row per step, read
// in RAMP_NO order. The test windows take each step's values from All by
// position:
//   0 SEQUENCE_RAMP_ID, 1 SEQUENCE_ID, 2 RAMP_NO, 3 RAMP_ELAPSE_TIME (min),
//   4 RAMP_TEMP (F), 5 RAMP_START_ERROR (F), 6 SPEED (rpm), 7 RECORD_RATE (s),
//   8 RAMP_PRESS (psi), 9 RUN_RAMP (1: run the shear-rate ramp after the step),
//   10 TEMPRAMP_RATE (F/min), 11 CYCLE_LABEL (cycles), 12 PRESS_RATE (psi/min,
//   stored in the column FEILD1).
// Every field is a Double; a Null column reads as its default (SPEED 300,
// RECORD_RATE 1, CYCLE_LABEL 1, all others 0).

#include "data/SequenceStepRecord.h"

class clsSEQUENCE_RAMP : public SequenceStepRecord {
public:
    static constexpr const char* kKeySql =
        "SELECT SEQUENCE_RAMP_ID, SEQUENCE_ID, RAMP_NO, RAMP_ELAPSE_TIME, RAMP_TEMP, RAMP_START_ERROR, SPEED, "
        "RECORD_RATE, RAMP_PRESS, RUN_RAMP, TEMPRAMP_RATE, CYCLE_LABEL, FEILD1  FROM SEQUENCE_RAMP "
        "Where SEQUENCE_ID = ?  ORDER BY RAMP_NO ";
    static constexpr const char* kInsertSql =
        "INSERT INTO  SEQUENCE_RAMP (SEQUENCE_ID, RAMP_NO, RAMP_ELAPSE_TIME, RAMP_TEMP, RAMP_START_ERROR, SPEED, "
        "RECORD_RATE,RAMP_PRESS, RUN_RAMP, TEMPRAMP_RATE, CYCLE_LABEL, FEILD1) "
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";
    static constexpr const char* kDeleteSql = "DELETE  FROM SEQUENCE_RAMP  WHERE SEQUENCE_ID = ?";
    static constexpr int kColumns = 13;

    clsSEQUENCE_RAMP();

    double SEQUENCE_RAMP_ID() const { return field(0); }
    void SEQUENCE_RAMP_ID(double value) { setField(0, value); }
    double RAMPNO() const { return field(2); }
    void RAMPNO(double value) { setField(2, value); }
    double RAMP_ELAPSE_TIME() const { return field(3); }
    void RAMP_ELAPSE_TIME(double value) { setField(3, value); }
    double RAMP_TEMP() const { return field(4); }
    void RAMP_TEMP(double value) { setField(4, value); }
    double RAMP_START_ERROR() const { return field(5); }
    void RAMP_START_ERROR(double value) { setField(5, value); }
    double SPEED() const { return field(6); }
    void SPEED(double value) { setField(6, value); }
    double RECORD_RATE() const { return field(7); }
    void RECORD_RATE(double value) { setField(7, value); }
    double RAMP_PRESS() const { return field(8); }
    void RAMP_PRESS(double value) { setField(8, value); }
    double TEMPRAMP_RATE() const { return field(10); }
    void TEMPRAMP_RATE(double value) { setField(10, value); }
    double PRESS_RATE() const { return field(12); }
    void PRESS_RATE(double value) { setField(12, value); }
    double RUN_RAMP() const { return field(9); }
    void RUN_RAMP(double value) { setField(9, value); }
    double CYCLE_LABEL() const { return field(11); }
    void CYCLE_LABEL(double value) { setField(11, value); }
};

#pragma once
// Test result records: one TEST_RESULT row per recorded point, every value a
// floating-point number: step, ramp step and cycle numbers, seconds since the
// start, the sample temperature in °F and the pressure in psi. RESULT_SPEED,
// RESULT_SHEAR_STRESS, RESULT_TYPE_ID and RESULT_BATH_TEMP hold another
// quantity in each kind of test (the rheology shear rate, not the rpm, in
// RESULT_SPEED; the PVT sample height and the swell length change in
// RESULT_SHEAR_STRESS; ...): TestKindColumns.h names them per kind, and every
// reader and writer of those quantities uses its names.
//
// ConnectX binds and reads every row of the test whose key is Test_Id, in
// RESULT_TIME order, into the row cache; it loads no current row (call
// MoveFirst). AddNew inserts one point, committed at once unless the caller's
// transaction holds it (a download's rows). The class traps no errors.
//
// The rows are fetched as numbers (db::Command::setNumberFetch): a long test
// is read without a QVariant per value, and a row is loaded by copying its
// numbers; a cell that holds none (Null, text) is converted when its row is
// loaded, as before. ConnectX runs the query again only when the test's key,
// the connection or the database changed since its last run (the database's
// change stamp, db::Connection::changeStamp): opening a test, then drawing
// its chart and filling its grid, reads its rows once.

#include "data/RecordBase.h"

#include <QString>

class clsTEST_RESULT : public RecordBase {
public:
    static const QString kKeySql;
    static const QString kDeleteSql;
    static const QString kInsertSql;

    enum Column : int {
        colTEST_RESULT_ID = 0,
        colTEST_ID,
        colRAMP_NO,
        colRAMP_STEP_NO,
        colRESULT_TIME,
        colRESULT_SAMPLE_TEMP,
        colRESULT_PRESS,
        colRESULT_SPEED,
        colRESULT_SHEAR_STRESS,
        colRESULT_TYPE_ID,
        colRESULT_BATH_TEMP,
        colCYCLE_NO,
        kColumnCount  // 12, also the size of the row array
    };

    clsTEST_RESULT();

    void Refresh() {}
    // The row count of the last load.
    qint32 TotalPoints() const { return rowCount_; }
    // Binds and loads every row of the test whose key is Test_Id.
    void ConnectX(clsConnection* connection);
    // The row set of the last key query (nullptr before the first).
    std::shared_ptr<db::RowSet> rTestResult() const { return lastRowSet_; }

    // The test's key as a 32-bit integer: the stored number rounded to the
    // nearest integer, halves to even; fails with "Overflow" out of range.
    qint32 Test_Id() const;
    void Test_Id(qint32 value) { fields_[colTEST_ID] = value; }
    double RAMP_NO() const { return fields_[colRAMP_NO]; }
    void RAMP_NO(double value) { fields_[colRAMP_NO] = value; }
    double RAMP_STEP_NO() const { return fields_[colRAMP_STEP_NO]; }
    void RAMP_STEP_NO(double value) { fields_[colRAMP_STEP_NO] = value; }
    double RESULT_TIME() const { return fields_[colRESULT_TIME]; }
    void RESULT_TIME(double value) { fields_[colRESULT_TIME] = value; }
    double RESULT_SAMPLE_TEMP() const { return fields_[colRESULT_SAMPLE_TEMP]; }
    void RESULT_SAMPLE_TEMP(double value) { fields_[colRESULT_SAMPLE_TEMP] = value; }
    double RESULT_PRESS() const { return fields_[colRESULT_PRESS]; }
    void RESULT_PRESS(double value) { fields_[colRESULT_PRESS] = value; }
    double RESULT_SPEED() const { return fields_[colRESULT_SPEED]; }
    void RESULT_SPEED(double value) { fields_[colRESULT_SPEED] = value; }
    double RESULT_SHEAR_STRESS() const { return fields_[colRESULT_SHEAR_STRESS]; }
    void RESULT_SHEAR_STRESS(double value) { fields_[colRESULT_SHEAR_STRESS] = value; }
    double RESULT_TYPE_ID() const { return fields_[colRESULT_TYPE_ID]; }
    void RESULT_TYPE_ID(double value) { fields_[colRESULT_TYPE_ID] = value; }
    double RESULT_BATH_TEMP() const { return fields_[colRESULT_BATH_TEMP]; }
    void RESULT_BATH_TEMP(double value) { fields_[colRESULT_BATH_TEMP] = value; }
    double CYCLE_NO() const { return fields_[colCYCLE_NO]; }
    void CYCLE_NO(double value) { fields_[colCYCLE_NO] = value; }
    // The current-row field of a column (entry `column` of All), unconverted;
    // a kind's own quantities are read and written by the column names of
    // TestKindColumns.h.
    double Field(int column) const { return fields_[column]; }
    void Field(int column, double value) { fields_[column] = value; }

    void SetDefaults() override;
    // The key query again on the command ConnectX prepared; loads row 0.
    void GetTestDetail();
    // Inserts the current-row fields as a new point; the row cache is not refreshed.
    void AddNew();
    // Does nothing.
    void Update() {}
    // Deletes every row of the test whose key is Test_Id.
    void Delete();

    // The current row as 12 numbers (entry 0 the loaded TEST_RESULT_ID).
    RowArray All() const;
    void All(const RowArray& values);

protected:
    void LoadRow(int i) override;
    void takeRows(const std::shared_ptr<db::RowSet>& rs) override;

private:
    double fields_[kColumnCount] = {};
    // The row cache: the rows of the last key query that found any.
    std::shared_ptr<const db::RowSet> rows_;
    // What ConnectX read last, and from what.
    struct Fetched {
        std::shared_ptr<db::RowSet> rows;
        db::Connection* connection = nullptr;
        double key = 0;
        db::ChangeStamp stamp;
    } fetched_;

    std::unique_ptr<db::Command> cmdKey_;
    std::unique_ptr<db::Command> cmdDelete_;
    std::unique_ptr<db::Command> cmdInsert_;
};

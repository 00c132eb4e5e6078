#pragma once
// What the two step tables of a sequence share (SEQUENCE_RAMP and
// SEQUENCE_RAMP_DEFINE): every column a Double, the key at position 0, the
// owning sequence's SEQUENCE_ID at position 1, a key command by SEQUENCE_ID,
// a delete of all rows of a sequence and an insert, and no list or update.
//
// The fields are held in column order, so LoadRow, All and AddNew always move
// values by position, whatever the order of the named properties.

#include "data/RecordBase.h"

class SequenceStepRecord : public RecordBase {
public:
    // The table a derived class describes (kept in static storage).
    struct Table {
        int columns;
        const double* defaults;    // one per column
        const char* keySql;
        const char* deleteSql;
        const char* insertSql;
        const char* const* insertParams;  // columns - 1 names, for columns 1 on
    };

    // Does nothing.
    void Refresh() {}
    // Binds, prepares the key, delete and insert commands and runs the key
    // command with the current SequenceId. Rows: into the row cache, end flag
    // cleared. None: an empty cache, row count 0, end flag raised. No row is
    // loaded and the cursor index is kept.
    void ConnectX(clsConnection* connection);

    double SequenceId() const { return fields_[1]; }
    void SequenceId(double value) { fields_[1] = value; }

    void SetDefaults() override;
    // The key query by SequenceId (same rows as ConnectX); nothing found:
    // defaults, row count 0, end flag raised. Found: row 0 loaded.
    void GetSeqDetail();
    // Inserts every field from SequenceId on, in column order.
    void AddNew();
    // Does nothing: steps are saved by Delete and AddNew.
    void Update() {}
    // Deletes every row of SequenceId from the table.
    void Delete();

    RowArray All();
    // Replaces the row array and sets every field from it, by position.
    void All(const RowArray& values);

protected:
    explicit SequenceStepRecord(const Table& table);

    void LoadRow(int i) override;

    double field(int column) const { return fields_[column]; }
    void setField(int column, double value) { fields_[column] = value; }

private:
    const Table& table_;
    QVector<double> fields_;
    std::unique_ptr<db::Command> key_;
    std::unique_ptr<db::Command> delete_;
    std::unique_ptr<db::Command> insert_;
};

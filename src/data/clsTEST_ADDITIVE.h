#pragma once
// Test additive records: the additives (name, concentration, unit, lot number)
// of a stored test, one TEST_ADDITIVE row each, tied to the test by TEST_ID.
//
// ConnectX binds and reads the additives of the test whose key is TESTId into
// the row cache; it loads no current row. A test without additives only raises
// the end flag: the row cache and row count keep what an earlier load left, so
// callers test Eof before walking the rows. The class traps no errors.

#include "data/RecordBase.h"

#include <QString>

class clsTEST_ADDITIVE : public RecordBase {
public:
    static const QString kKeySql;
    static const QString kInsertSql;
    static const QString kDeleteSql;

    enum Column : int {
        colTESTADD_ID = 0,
        colTEST_ID,
        colADDITIVE_NM,
        colADD_CONCEN,
        colADD_UNIT,
        colADD_LOTNO,
        kColumnCount  // 6, also the size of the row array
    };

    clsTEST_ADDITIVE();

    void Refresh() {}
    // Binds and reads the additives of the test whose key is TESTId.
    void ConnectX(clsConnection* connection);

    double TESTADD_ID() const { return testAddId_; }
    void TESTADD_ID(double value) { testAddId_ = value; }
    double TESTId() const { return testId_; }
    void TESTId(double value) { testId_ = value; }
    QString ADDITIVE_NM() const { return additiveNm_; }
    void ADDITIVE_NM(const QString& value) { additiveNm_ = value; }
    double ADD_CONCEN() const { return addConcen_; }
    void ADD_CONCEN(double value) { addConcen_ = value; }
    QString ADD_UNIT() const { return addUnit_; }
    void ADD_UNIT(const QString& value) { addUnit_ = value; }
    QString ADD_LOTNO() const { return addLotNo_; }
    void ADD_LOTNO(const QString& value) { addLotNo_ = value; }

    void SetDefaults() override;
    // The key query by TESTId on the command ConnectX prepared; loads row 0.
    void GetSeqDetail();
    // Inserts the current-row fields as a new additive; the new key is not read back.
    void AddNew();
    // Does nothing.
    void Update() {}
    // Deletes every additive of the test whose key is TESTId.
    void Delete();

    // The current row as 6 entries (numbers and texts as their fields).
    RowArray All() const;
    void All(const RowArray& values);

protected:
    void LoadRow(int i) override;

private:
    double testAddId_ = 0;
    double testId_ = 0;
    QString additiveNm_;
    double addConcen_ = 0;
    QString addUnit_;
    QString addLotNo_;

    std::unique_ptr<db::Command> cmdKey_;
    std::unique_ptr<db::Command> cmdDelete_;
    std::unique_ptr<db::Command> cmdInsert_;
};

#include "data/clsTEST_ADDITIVE.h"

const QString clsTEST_ADDITIVE::kKeySql = QStringLiteral(
    "SELECT TESTADD_ID, TEST_ID, ADDITIVE_NM, ADD_CONCEN, ADD_UNIT, ADD_LOTNO  FROM TEST_ADDITIVE Where TEST_ID = ?");
const QString clsTEST_ADDITIVE::kInsertSql = QStringLiteral(
    "INSERT INTO  TEST_ADDITIVE (TEST_ID, ADDITIVE_NM, ADD_CONCEN, ADD_UNIT, ADD_LOTNO ) VALUES (?, ?, ?, ?, ?)");
const QString clsTEST_ADDITIVE::kDeleteSql = QStringLiteral("DELETE  FROM TEST_ADDITIVE  WHERE TEST_ID = ?");

clsTEST_ADDITIVE::clsTEST_ADDITIVE() : RecordBase(false) {
    rowArray_.resize(kColumnCount);
    SetDefaults();
}

void clsTEST_ADDITIVE::SetDefaults() {
    testAddId_ = 0;
    testId_ = 0;
    additiveNm_ = QString();
    addConcen_ = 0;
    addUnit_ = QString();
    addLotNo_ = QString();
}

void clsTEST_ADDITIVE::ConnectX(clsConnection* connection) {
    bind(connection);
    cmdKey_ = makeCommand(kKeySql, {{"pTEST_ID", db::adDouble}});
    cmdDelete_ = makeCommand(kDeleteSql, {{"pTEST_ID", db::adDouble}});
    cmdInsert_ = makeCommand(kInsertSql, {{"pTEST_Id", db::adDouble},
                                          {"pADDITIVE_NM", db::adVarChar, 50},
                                          {"pADD_CONCEN", db::adDouble},
                                          {"pADDITIVE_UNIT", db::adVarChar, 50},
                                          {"pADD_LOTNO", db::adVarChar, 50}});
    cmdKey_->setValue(0, testId_);
    auto rs = runKeyQuery(*cmdKey_);
    if (rs->rowCount > 0) {
        takeRows(rs);
        eof_ = false;
    } else {
        eof_ = true;  // row cache and row count keep what an earlier load left
    }
}

void clsTEST_ADDITIVE::GetSeqDetail() {
    keyQuery(need(cmdKey_), testId_);
}

void clsTEST_ADDITIVE::LoadRow(int i) {
    SetDefaults();
    if (cache_.size() < kColumnCount || i < 0 || i >= cache_[0].size()) return;
    auto at = [&](int column) -> const QVariant& { return cell(column, i); };
    if (!isNull(at(colTESTADD_ID))) testAddId_ = toDouble(at(colTESTADD_ID));
    if (!isNull(at(colTEST_ID))) testId_ = toDouble(at(colTEST_ID));
    if (!isNull(at(colADDITIVE_NM))) additiveNm_ = toText(at(colADDITIVE_NM));
    if (!isNull(at(colADD_CONCEN))) addConcen_ = toDouble(at(colADD_CONCEN));
    if (!isNull(at(colADD_UNIT))) addUnit_ = toText(at(colADD_UNIT));
    if (!isNull(at(colADD_LOTNO))) addLotNo_ = toText(at(colADD_LOTNO));
}

void clsTEST_ADDITIVE::AddNew() {
    db::Command& cmd = need(cmdInsert_);
    cmd.setValue(0, testId_);
    cmd.setValue(1, additiveNm_);
    cmd.setValue(2, addConcen_);
    cmd.setValue(3, addUnit_);
    cmd.setValue(4, addLotNo_);
    cmd.execute();
    Refresh();
}

void clsTEST_ADDITIVE::Delete() {
    db::Command& cmd = need(cmdDelete_);
    cmd.setValue(0, testId_);
    cmd.execute();
    Refresh();
}

RowArray clsTEST_ADDITIVE::All() const {
    RowArray a = rowArray_;
    if (a.size() < kColumnCount) a.resize(kColumnCount);
    a[colTESTADD_ID] = testAddId_;
    a[colTEST_ID] = testId_;
    a[colADDITIVE_NM] = additiveNm_;
    a[colADD_CONCEN] = addConcen_;
    a[colADD_UNIT] = addUnit_;
    a[colADD_LOTNO] = addLotNo_;
    return a;
}

void clsTEST_ADDITIVE::All(const RowArray& values) {
    needEntries(values, kColumnCount);
    const double addId = toDouble(values[colTESTADD_ID]);
    const double testId = toDouble(values[colTEST_ID]);
    const double concen = toDouble(values[colADD_CONCEN]);
    rowArray_ = values;
    testAddId_ = addId;
    testId_ = testId;
    additiveNm_ = toText(values[colADDITIVE_NM]);
    addConcen_ = concen;
    addUnit_ = toText(values[colADD_UNIT]);
    addLotNo_ = toText(values[colADD_LOTNO]);
}

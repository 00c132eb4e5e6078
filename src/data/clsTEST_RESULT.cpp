#include "data/clsTEST_RESULT.h"

#include <cmath>
#include <cstring>

const QString clsTEST_RESULT::kKeySql = QStringLiteral(
    "SELECT TEST_RESULT_ID, TEST_ID, RAMP_NO, RAMP_STEP_NO, RESULT_TIME, RESULT_SAMPLE_TEMP, RESULT_PRESS, "
    "RESULT_SPEED, RESULT_SHEAR_STRESS, RESULT_TYPE_ID, RESULT_BATH_TEMP, CYCLE_NO  FROM TEST_RESULT "
    "Where TEST_ID = ?  ORDER BY RESULT_TIME ");
const QString clsTEST_RESULT::kDeleteSql = QStringLiteral("DELETE  FROM TEST_RESULT  WHERE TEST_ID = ?");
const QString clsTEST_RESULT::kInsertSql = QStringLiteral(
    "INSERT INTO  TEST_RESULT (TEST_ID, RAMP_NO, RAMP_STEP_NO, RESULT_TIME, RESULT_SAMPLE_TEMP, RESULT_PRESS, "
    "RESULT_SPEED, RESULT_SHEAR_STRESS, RESULT_TYPE_ID, RESULT_BATH_TEMP , CYCLE_NO ) "
    "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");

namespace {
// The parameter of each column but the key, in column order.
const char* const kParamNames[clsTEST_RESULT::kColumnCount] = {
    nullptr,          "pTEST_ID",             "pRAMP_NO",        "pRAMP_STEP_NO",
    "pRESULT_TIME",   "pRESULT_SAMPLE_TEMP",  "pRESULT_PRESS",   "pRESULT_SPEED",
    "pRESULT_SHEAR_STRESS", "pRESULT_TYPE_ID", "pRESULT_BATH_TEMP", "pCYCLE_NO"};
}  // namespace

clsTEST_RESULT::clsTEST_RESULT() : RecordBase(true) {
    rowArray_.resize(kColumnCount);
    SetDefaults();
}

void clsTEST_RESULT::SetDefaults() {
    for (double& f : fields_) f = 0;
    fields_[colCYCLE_NO] = 1;
}

qint32 clsTEST_RESULT::Test_Id() const {
    const double v = std::nearbyint(fields_[colTEST_ID]);
    if (!(v >= -2147483648.0 && v <= 2147483647.0)) throw db::DbError(6, QStringLiteral("Overflow"));
    return roundHalfEven(v);
}

void clsTEST_RESULT::ConnectX(clsConnection* connection) {
    bind(connection);
    cmdKey_ = makeCommand(kKeySql, {{"pTEST_ID", db::adDouble}});
    cmdKey_->setNumberFetch(true);
    const double key = fields_[colTEST_ID];
    cmdKey_->setValue(0, key);
    // The rows read last are the rows the query gives while the database
    // stands where it stood then.
    const std::optional<db::ChangeStamp> stamp = adoConnection_->changeStamp();
    std::shared_ptr<db::RowSet> rs;
    if (stamp && fetched_.rows && fetched_.connection == adoConnection_ &&
        std::memcmp(&fetched_.key, &key, sizeof key) == 0 && fetched_.stamp == *stamp) {
        rs = fetched_.rows;
        lastRowSet_ = rs;
    } else {
        fetched_ = Fetched{};
        rs = runKeyQuery(*cmdKey_);
        if (stamp) fetched_ = Fetched{rs, adoConnection_, key, *stamp};
    }
    if (rs->rowCount == 0) {
        rowCount_ = 0;
        eof_ = true;  // the row cache keeps what it held
    } else {
        takeRows(rs);
        eof_ = false;
    }

    cmdDelete_ = makeCommand(kDeleteSql, {{"pTEST_ID", db::adDouble}});
    auto insert = std::make_unique<db::Command>(adoConnection_, kInsertSql);
    for (int c = colTEST_ID; c < kColumnCount; ++c)
        insert->appendParameter(QString::fromLatin1(kParamNames[c]), db::adDouble);
    cmdInsert_ = std::move(insert);
}

void clsTEST_RESULT::GetTestDetail() {
    keyQuery(need(cmdKey_), fields_[colTEST_ID]);
}

void clsTEST_RESULT::takeRows(const std::shared_ptr<db::RowSet>& rs) {
    rows_ = rs;
    rowCount_ = rs->rowCount;
}

void clsTEST_RESULT::LoadRow(int i) {
    SetDefaults();
    if (!rows_ || rows_->numbers.size() < size_t(kColumnCount) || i < 0 ||
        size_t(i) >= rows_->numbers[0].values.size())
        return;
    const db::NumberColumn* columns = rows_->numbers.data();
    for (int c = 0; c < kColumnCount; ++c) {
        const db::NumberColumn& column = columns[c];
        const QVariant* other = nullptr;
        if (column.number(i, &other)) fields_[c] = column.values[size_t(i)];
        else if (!isNull(*other)) fields_[c] = toDouble(*other);
    }
}

void clsTEST_RESULT::AddNew() {
    db::Command& cmd = need(cmdInsert_);
    for (int c = colTEST_ID; c < kColumnCount; ++c) cmd.setValue(c - colTEST_ID, fields_[c]);
    cmd.execute();
    Refresh();
}

void clsTEST_RESULT::Delete() {
    db::Command& cmd = need(cmdDelete_);
    cmd.setValue(0, fields_[colTEST_ID]);
    cmd.execute();
    Refresh();
}

RowArray clsTEST_RESULT::All() const {
    RowArray a = rowArray_;
    if (a.size() < kColumnCount) a.resize(kColumnCount);
    for (int c = 0; c < kColumnCount; ++c) a[c] = fields_[c];
    return a;
}

void clsTEST_RESULT::All(const RowArray& values) {
    needEntries(values, kColumnCount);
    double f[kColumnCount];
    for (int c = 0; c < kColumnCount; ++c) f[c] = toDouble(values[c]);
    rowArray_ = values;
    std::copy(std::begin(f), std::end(f), std::begin(fields_));
}

#include "data/SequenceStepRecord.h"

SequenceStepRecord::SequenceStepRecord(const Table& table) : RecordBase(false), table_(table) {
    rowArray_.resize(table_.columns);
    fields_.resize(table_.columns);
    SetDefaults();
}

void SequenceStepRecord::ConnectX(clsConnection* connection) {
    bind(connection);
    key_ = makeCommand(QString::fromLatin1(table_.keySql), {{"pSEQUENCE_ID", db::adDouble}});
    delete_ = makeCommand(QString::fromLatin1(table_.deleteSql), {{"pSEQUENCE_ID", db::adDouble}});
    insert_ = makeCommand(QString::fromLatin1(table_.insertSql), {});
    for (int j = 1; j < table_.columns; ++j)
        insert_->appendParameter(QString::fromLatin1(table_.insertParams[j - 1]), db::adDouble);

    key_->setValue(0, fields_[1]);
    auto rs = runKeyQuery(*key_);
    // A sequence without rows leaves nothing of an earlier sequence behind:
    // the row count (RampSteps) and the cursor moves see this sequence only.
    takeRows(rs);
    eof_ = rowCount_ == 0;
}

void SequenceStepRecord::SetDefaults() {
    for (int j = 0; j < table_.columns; ++j) fields_[j] = table_.defaults[j];
}

void SequenceStepRecord::GetSeqDetail() {
    keyQuery(need(key_), fields_[1]);
}

void SequenceStepRecord::LoadRow(int i) {
    SetDefaults();
    for (int j = 0; j < table_.columns && j < cache_.size(); ++j) {
        if (i < 0 || i >= cache_[j].size()) continue;
        const QVariant& v = cache_[j][i];
        if (!isNull(v)) fields_[j] = toDouble(v);
    }
}

void SequenceStepRecord::AddNew() {
    db::Command& cmd = need(insert_);
    for (int j = 1; j < table_.columns; ++j) cmd.setValue(j - 1, fields_[j]);
    cmd.execute();
    Refresh();
}

void SequenceStepRecord::Delete() {
    db::Command& cmd = need(delete_);
    cmd.setValue(0, fields_[1]);
    cmd.execute();
}

RowArray SequenceStepRecord::All() {
    rowArray_.resize(table_.columns);
    for (int j = 0; j < table_.columns; ++j) rowArray_[j] = fields_[j];
    return rowArray_;
}

void SequenceStepRecord::All(const RowArray& values) {
    if (values.size() < table_.columns) throw db::DbError(9, QStringLiteral("Subscript out of range"));
    // Converted in full before any field changes.
    QVector<double> next(table_.columns);
    for (int j = 0; j < table_.columns; ++j) next[j] = toDouble(values[j]);
    rowArray_ = values;
    fields_ = next;
}

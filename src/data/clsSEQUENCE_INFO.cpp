#include "data/clsSEQUENCE_INFO.h"

#include <cmath>

qint32 toLongChecked(double value) {
    const double r = std::nearbyint(value);  // to nearest, halves to even
    if (!std::isfinite(r) || r < -2147483648.0 || r > 2147483647.0)
        throw db::DbError(6, QStringLiteral("Overflow"));
    return qint32(r);
}

clsSEQUENCE_INFO::clsSEQUENCE_INFO() : RecordBase(true) {
    rowArray_.resize(kColumns);
    SetDefaults();
}

void clsSEQUENCE_INFO::SAMPLE_INTERVAL(double value) { sampleInterval_ = toLongChecked(value); }

void clsSEQUENCE_INFO::Refresh() { listRowSet_ = need(list_).execute(); }

void clsSEQUENCE_INFO::ConnectX4(clsConnection* connection) {
    bind(connection);
    db::Command& cmd = need(keyById_);
    cmd.setValue(0, sequenceId_);
    auto rs = runKeyQuery(cmd);
    if (rs->rowCount > 0) {
        takeRows(rs);
        eof_ = false;
    } else {
        rowCount_ = 0;
        eof_ = true;
    }
}

void clsSEQUENCE_INFO::ConnectX(clsConnection* connection) {
    bind(connection);
    const db::ParamType T = db::adVarChar, D = db::adDouble;
    keyByName_ = makeCommand(QString::fromLatin1(kKeyByNameSql), {{"pSEQUENCE_NAME", T, kNameSize}});
    keyById_ = makeCommand(QString::fromLatin1(kKeyByIdSql), {{"pSEQUENCE_ID", D}});
    list_ = makeCommand(QString::fromLatin1(kListSql), {});
    delete_ = makeCommand(QString::fromLatin1(kDeleteSql), {{"pSEQUENCE_NAME", T, kNameSize}});
    update_ = makeCommand(QString::fromLatin1(kUpdateSql),
                          {{"pSEQUENCE_NAME", T, kNameSize},
                           {"pTIME_BEFORE_READ", D},
                           {"pRAMP_SAMPLE_RATE", D},
                           {"pSAMPLE_POINTS_AVERAGE", D},
                           {"pSHUT_DOWN_ATIME", D},
                           {"pSHUT_DOWN_VISC", D},
                           {"pSAMPLE_INTERVAL", D},
                           {"pSEQUENCE_ID", D}});
    insert_ = makeCommand(QString::fromLatin1(kInsertSql),
                          {{"pSEQUENCE_NAME", T, kNameSize},
                           {"pTIME_BEFORE_READ", D},
                           {"pRAMP_SAMPLE_RATE", D},
                           {"pSAMPLE_POINTS_AVERAGE", D},
                           {"pSHUT_DOWN_ATIME", D},
                           {"pSHUT_DOWN_VISC", D},
                           {"pSAMPLE_INTERVAL", D}});

    listRowSet_ = list_->execute();
    // The name list, one column; an empty table gives a column without names.
    takeRows(listRowSet_);
    // The end flag tells the callers whether there are names at all (the
    // duplicate-name check skips its comparison at the end flag), so it follows
    // the list in both directions rather than keeping an earlier query's state.
    eof_ = rowCount_ == 0;
}

void clsSEQUENCE_INFO::SetDefaults() {
    sequenceId_ = 0;
    sequenceName_.clear();
    timeBeforeRead_ = 20;
    rampSampleRate_ = 2;
    samplePointsAverage_ = 5;
    shutDownATime_ = 20;
    shutDownVisc_ = 0;
    sampleInterval_ = 60;
}

void clsSEQUENCE_INFO::GetSeqDetail() {
    keyQuery(need(keyByName_), sequenceName_);
}

void clsSEQUENCE_INFO::LoadRow(int i) {
    SetDefaults();
    auto at = [&](int j) -> QVariant {
        if (j >= cache_.size() || i < 0 || i >= cache_[j].size()) return QVariant();
        return cache_[j][i];
    };
    QVariant v;
    if (!isNull(v = at(0))) sequenceId_ = toDouble(v);
    if (!isNull(v = at(1))) sequenceName_ = toText(v);
    if (!isNull(v = at(2))) timeBeforeRead_ = toDouble(v);
    if (!isNull(v = at(3))) rampSampleRate_ = toDouble(v);
    if (!isNull(v = at(4))) samplePointsAverage_ = toDouble(v);
    if (!isNull(v = at(5))) shutDownATime_ = toDouble(v);
    if (!isNull(v = at(6))) shutDownVisc_ = toDouble(v);
    if (!isNull(v = at(7))) sampleInterval_ = toLongChecked(toDouble(v));
}

void clsSEQUENCE_INFO::AddNew() {
    db::Command& cmd = need(insert_);
    cmd.setValue(0, sequenceName_);
    cmd.setValue(1, timeBeforeRead_);
    cmd.setValue(2, rampSampleRate_);
    cmd.setValue(3, samplePointsAverage_);
    cmd.setValue(4, shutDownATime_);
    cmd.setValue(5, shutDownVisc_);
    cmd.setValue(6, sampleInterval_);  // a 32-bit integer value
    cmd.execute();
    Refresh();
}

void clsSEQUENCE_INFO::Update() {
    db::Command& cmd = need(update_);
    cmd.setValue(0, sequenceName_);
    cmd.setValue(1, timeBeforeRead_);
    cmd.setValue(2, rampSampleRate_);
    cmd.setValue(3, samplePointsAverage_);
    cmd.setValue(4, shutDownATime_);
    cmd.setValue(5, shutDownVisc_);
    cmd.setValue(6, sampleInterval_);  // a 32-bit integer value
    cmd.setValue(7, sequenceId_);
    cmd.execute();
}

void clsSEQUENCE_INFO::Delete() {
    db::Command& cmd = need(delete_);
    cmd.setValue(0, sequenceName_);
    cmd.execute();
    Refresh();
}

RowArray clsSEQUENCE_INFO::All() {
    rowArray_.resize(kColumns);
    rowArray_[0] = sequenceId_;
    rowArray_[1] = sequenceName_;
    rowArray_[2] = timeBeforeRead_;
    rowArray_[3] = rampSampleRate_;
    rowArray_[4] = samplePointsAverage_;
    rowArray_[5] = shutDownATime_;
    rowArray_[6] = shutDownVisc_;
    rowArray_[7] = sampleInterval_;
    return rowArray_;
}

void clsSEQUENCE_INFO::All(const RowArray& values) {
    if (values.size() < kColumns) throw db::DbError(9, QStringLiteral("Subscript out of range"));
    // Every entry is converted before any field changes, so a value that does
    // not convert leaves the record as it was.
    const double id = toDouble(values[0]);
    const QString name = toText(values[1]);
    const double timeBeforeRead = toDouble(values[2]);
    const double rampSampleRate = toDouble(values[3]);
    const double samplePointsAverage = toDouble(values[4]);
    const double shutDownATime = toDouble(values[5]);
    const double shutDownVisc = toDouble(values[6]);
    const qint32 sampleInterval = toLongChecked(toDouble(values[7]));
    rowArray_ = values;
    sequenceId_ = id;
    sequenceName_ = name;
    timeBeforeRead_ = timeBeforeRead;
    rampSampleRate_ = rampSampleRate;
    samplePointsAverage_ = samplePointsAverage;
    shutDownATime_ = shutDownATime;
    shutDownVisc_ = shutDownVisc;
    sampleInterval_ = sampleInterval;
}

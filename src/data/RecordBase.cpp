#include "data/RecordBase.h"

#include <cmath>

qint32 roundHalfEven(double v) { return qint32(std::nearbyint(v)); }

bool RecordBase::BOF() const {
    if (!lastRowSet_) throw db::DbError(db::ErrNoRowSet, QStringLiteral("Object variable not set: no row set has been read."));
    return lastRowSet_->atBegin();
}

bool RecordBase::IsEmpty() const {
    if (!lastRowSet_) throw db::DbError(db::ErrNoRowSet, QStringLiteral("Object variable not set: no row set has been read."));
    return lastRowSet_->atEnd() && lastRowSet_->atBegin();
}

void RecordBase::MoveFirst() {
    if (rowCount_ > 0) {
        cursor_ = 0;
        LoadRow(0);
        if (moveFirstClearsEof_) eof_ = false;
    } else {
        eof_ = true;
    }
}

void RecordBase::MoveLast() {
    if (rowCount_ > 0) {
        cursor_ = rowCount_ - 1;
        LoadRow(cursor_);
    } else {
        eof_ = true;
    }
}

void RecordBase::MoveNext() {
    if (rowCount_ > 0 && cursor_ != rowCount_ - 1) {
        cursor_ = qBound(0, cursor_ + 1, rowCount_ - 1);
        LoadRow(cursor_);
        eof_ = false;
    } else {
        eof_ = true;
    }
}

void RecordBase::MovePrevious() {
    if (rowCount_ <= 0) return;  // nothing to load
    cursor_ = cursor_ >= 1 ? cursor_ - 1 : 0;
    cursor_ = qMin(cursor_, rowCount_ - 1);
    LoadRow(cursor_);
}

void RecordBase::MoveRel(int n) {
    if (n == 0 || rowCount_ <= 0) return;
    qint64 c = qint64(cursor_) + n;
    if (c > rowCount_ - 1) c = rowCount_ - 1;
    if (c < 0) c = 0;
    cursor_ = int(c);
    LoadRow(cursor_);
}

void RecordBase::bind(clsConnection* connection) {
    connection_ = connection;
    adoConnection_ = connection ? connection->ADOConnection() : nullptr;
    if (!adoConnection_)
        throw db::DbError(db::ErrNotOpen, QStringLiteral("Operation is not allowed when the object is closed."));
}

std::unique_ptr<db::Command> RecordBase::makeCommand(const QString& text, std::initializer_list<ParamSpec> params) const {
    auto cmd = std::make_unique<db::Command>(adoConnection_, text);
    for (const auto& p : params)
        cmd->appendParameter(QString::fromLatin1(p.name), p.type, p.size,
                             p.type == db::adVarChar ? QVariant(QString()) : QVariant());
    return cmd;
}

std::shared_ptr<db::RowSet> RecordBase::runKeyQuery(db::Command& cmd) {
    lastRowSet_ = cmd.execute();
    return lastRowSet_;
}

void RecordBase::keyQuery(db::Command& cmd, const QVariant& key) {
    cmd.setValue(0, key);
    auto rs = runKeyQuery(cmd);
    if (rs->rowCount == 0) {
        SetDefaults();
        rowCount_ = 0;
        eof_ = true;
        return;
    }
    takeRows(rs);
    eof_ = false;
    LoadRow(0);
}

void RecordBase::takeRows(const std::shared_ptr<db::RowSet>& rs) {
    cache_ = rs->columns;
    rowCount_ = rs->rowCount;
}

db::Command& RecordBase::need(const std::unique_ptr<db::Command>& cmd) {
    if (!cmd) throw db::DbError(db::ErrNotOpen, QStringLiteral("Object variable not set: the record is not connected."));
    return *cmd;
}

void RecordBase::needEntries(const RowArray& values, int n) {
    if (values.size() < n) throw db::DbError(9, QStringLiteral("Subscript out of range"));
}

double RecordBase::toDouble(const QVariant& v) {
    if (isNull(v)) return 0;
    bool ok = false;
    double d = v.toDouble(&ok);
    if (!ok) {
        // A text holding a number in the C locale, with blanks around it.
        d = v.toString().trimmed().toDouble(&ok);
        if (!ok) throw db::DbError(13, QStringLiteral("Type mismatch"));
    }
    return d;
}

QString RecordBase::toText(const QVariant& v) {
    if (isNull(v)) return QString();
    if (v.metaType().id() == QMetaType::QDateTime) return db::dateToDb(v.toDateTime());
    return v.toString();
}

QDateTime RecordBase::toDate(const QVariant& v) {
    QDateTime t = db::dateFromDb(v);
    if (!t.isValid()) throw db::DbError(13, QStringLiteral("Type mismatch"));
    return t;
}

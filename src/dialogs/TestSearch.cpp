#include "dialogs/TestSearch.h"

#include "data/DateText.h"
#include "data/clsTEST_INFO.h"
#include "data/Numbers.h"
#include "dialogs/TestInfoRules.h"

#include <QLocale>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace search {

const QStringList kOperators = {
    QStringLiteral(" > "),  QStringLiteral(" >= "), QStringLiteral(" < "),   QStringLiteral(" <= "),
    QStringLiteral(" = "),  QStringLiteral(" <> "), QStringLiteral(" Like "),
};

const QString kSelectHead = QStringLiteral(
    "select test_info.TEST_ID, test_info.TEST_NAME,test_info.RESEARCHER_NAME,test_info.TEST_TIME,"
    "test_info.FLUID_ID,test_info.SAFETY AS DESCRIPTION from test_info   ");

namespace {

enum class ValueKind { Text, Number, Date };

[[noreturn]] void refuse(const QString& why) { throw db::DbError(db::ErrBadValue, why); }

bool isPlainName(const QString& name) {
    static const QRegularExpression re(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    return re.match(name).hasMatch();
}

// One condition "FIELD op ?" with its value, or nothing when the row's value
// box is blank.
struct Condition {
    QString text;
    QVariant value;
};

std::optional<Condition> makeCondition(const Criterion& c, const QStringList& fields, bool infoTable) {
    const QString value = c.value.trimmed();
    if (value.isEmpty()) return std::nullopt;

    const QString shown = c.field.trimmed();
    const int position = fields.indexOf(shown);
    if (position < 0 || shown.isEmpty()) refuse(QStringLiteral("'%1' is not a field of the list.").arg(shown));
    const QString field = infoTable && shown == kDescription ? QStringLiteral("SAFETY") : shown;
    if (!isPlainName(field)) refuse(QStringLiteral("'%1' is not a field of the list.").arg(shown));

    if (!kOperators.contains(c.op)) refuse(QStringLiteral("'%1' is not an operator of the list.").arg(c.op));

    ValueKind kind = ValueKind::Text;
    if (c.op.trimmed() == QLatin1String("Like")) {
        kind = ValueKind::Text;
    } else if (infoTable) {
        if (position == 0 || (position >= 7 && position <= 10) || position == 12)
            kind = ValueKind::Number;
        else if (position == 3)
            kind = ValueKind::Date;
    } else if (position == 0 || position == 1 || position == 3) {
        kind = ValueKind::Number;
    }

    Condition cond;
    cond.text = field + c.op + QLatin1Char('?');
    if (c.op.trimmed() == QLatin1String("Like")) {
        cond.value = QString(QLatin1Char('%') + value + QLatin1Char('%'));
    } else if (kind == ValueKind::Number) {
        const std::optional<double> n = StrictNumber(value);
        if (!n) refuse(QStringLiteral("'%1' is not a number.").arg(value));
        cond.value = *n;
    } else if (kind == ValueKind::Date) {
        const std::optional<QDateTime> t = ReadDate(value);
        if (!t) refuse(QStringLiteral("'%1' is not a date.").arg(value));
        cond.value = db::dateToDb(*t);
    } else {
        cond.value = value;
    }
    return cond;
}

// The conditions of one group joined by " and ": row 1's, then those of rows
// 2 and 3; none at all when row 1 has none.
QString joinGroup(const QVector<Criterion>& rows, const QStringList& fields, bool infoTable, QVariantList& values) {
    if (rows.isEmpty()) return QString();
    const std::optional<Condition> first = makeCondition(rows[0], fields, infoTable);
    if (!first) return QString();
    QString text = first->text;
    values << first->value;
    for (int k = 1; k < rows.size() && k < 3; ++k) {
        if (const std::optional<Condition> next = makeCondition(rows[k], fields, infoTable)) {
            text += QStringLiteral(" and ") + next->text;
            values << next->value;
        }
    }
    return text;
}

}  // namespace

Statement BuildStatement(const QStringList& infoFields, const QStringList& additiveFields,
                         const QVector<Criterion>& info, const QVector<Criterion>& additive) {
    Statement st;
    QVariantList whereValues;
    QVariantList subValues;
    const QString where = joinGroup(info, infoFields, true, whereValues);
    const QString sub = joinGroup(additive, additiveFields, false, subValues);

    st.sql = kSelectHead;
    if (!where.isEmpty()) st.sql += QStringLiteral(" where  ") + where;
    if (!sub.isEmpty()) {
        const QString subquery = QStringLiteral("select test_id from test_additive where  ") + sub;
        st.sql += (where.isEmpty() ? QStringLiteral(" where test_id in (") : QStringLiteral(" and test_id in (")) +
                  subquery + QLatin1Char(')');
    }
    st.sql += clsTEST_INFO::kNewestFirst;
    st.values = whereValues + subValues;
    return st;
}

std::optional<QDateTime> ReadDate(const QString& text) {
    const QString s = text.trimmed();
    if (s.isEmpty()) return std::nullopt;
    const QStringList dateForms = {QStringLiteral("yyyy-MM-dd"), QLocale::system().dateFormat(QLocale::ShortFormat),
                                   QStringLiteral("M/d/yyyy")};
    const QStringList timeForms = {QString(), QStringLiteral(" H:mm"), QStringLiteral(" H:mm:ss")};
    for (const QString& d : dateForms) {
        for (const QString& t : timeForms) {
            QDateTime dt = QDateTime::fromString(s, d + t);
            if (!dt.isValid()) continue;
            // A two-digit year means this century, or the last one from 30 on.
            if (d.count(QLatin1Char('y')) == 2 && dt.date().year() < 1930) dt = dt.addYears(100);
            return dt;
        }
    }
    const QDateTime iso = QDateTime::fromString(s, Qt::ISODate);
    if (iso.isValid()) return iso;
    return std::nullopt;
}

QStringList FieldNames(db::Connection* connection, const QString& statement) {
    if (!connection) throw db::DbError(db::ErrNotOpen, QStringLiteral("Operation is not allowed when the object is closed."));
    connection->requireOpen();
    QSqlQuery q(connection->handle());
    q.setForwardOnly(true);
    if (!q.exec(statement)) throw db::toDbError(q.lastError());
    QStringList names;
    const QSqlRecord rec = q.record();
    for (int i = 0; i < rec.count(); ++i) names << rec.fieldName(i);
    q.finish();
    return names;
}

QStringList InfoFieldList(db::Connection* connection) {
    QStringList names = FieldNames(connection, QStringLiteral("select * from test_info"));
    if (names.size() > kDescriptionPosition) names[kDescriptionPosition] = kDescription;
    return names;
}

QStringList AdditiveFieldList(db::Connection* connection) {
    return FieldNames(connection, QStringLiteral("select * from test_additive"));
}

Result Run(db::Connection* connection, const Statement& statement) {
    if (!connection) throw db::DbError(db::ErrNotOpen, QStringLiteral("Operation is not allowed when the object is closed."));
    connection->requireOpen();
    QSqlQuery q(connection->handle());
    q.setForwardOnly(true);
    if (!q.prepare(statement.sql)) throw db::toDbError(q.lastError());
    for (int i = 0; i < statement.values.size(); ++i) q.bindValue(i, statement.values[i]);
    if (!q.exec()) {
        const db::DbError e = db::toDbError(q.lastError());
        q.finish();
        throw e;
    }
    Result result;
    const QSqlRecord rec = q.record();
    for (int i = 1; i < rec.count(); ++i) result.captions << rec.fieldName(i);
    const int timeColumn = rec.indexOf(QStringLiteral("TEST_TIME"));
    while (q.next()) {
        QStringList row;
        for (int i = 1; i < rec.count(); ++i) {
            const QVariant v = q.value(i);
            row << (i == timeColumn ? GeneralDateText(v) : testinfo::PlainText(v));
        }
        result.rows << row;
    }
    if (q.lastError().isValid()) {
        const db::DbError e = db::toDbError(q.lastError());
        q.finish();
        throw e;
    }
    q.finish();
    return result;
}

}  // namespace search

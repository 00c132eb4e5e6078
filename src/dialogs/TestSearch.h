#pragma once
// The search of stored tests, window-free: up to three conditions on columns
// of TEST_INFO and up to three on columns of TEST_ADDITIVE become one SELECT
// of the matching tests, highest TEST_ID first.
//
// Field names are taken only from the field lists (the tables' own column
// names) and operators only from their seven fixed texts; every typed value
// travels as a positional parameter, so a quote or SQL text in a value is
// matched literally.

#include "platform/Database.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QVector>
#include <optional>

namespace search {

// The operators of the operator boxes, in order, each with its blanks.
extern const QStringList kOperators;
// The start of every statement (three blanks at the end).
extern const QString kSelectHead;
// The ending of every statement.
extern const QString kOrderBy;

// The field list entry shown for SAFETY (position 11 of the TEST_INFO list).
inline const QString kDescription = QStringLiteral("DESCRIPTION");
constexpr int kDescriptionPosition = 11;

inline const QString kWrongSearch = QStringLiteral("Wrong search string.  ");

// One criteria row as its three boxes hold it.
struct Criterion {
    QString field;  // the field box's text
    QString op;     // the operator box's text, blanks included
    QString value;  // the value box's text as typed
};

// A statement with its parameter values in "?" order.
struct Statement {
    QString sql;
    QVariantList values;
};

// The statement for the rows of criteria (index 0 is row 1). A TEST_INFO row
// counts when its value is not blank, and the additive rows likewise; rows 2
// and 3 of a group count only when its row 1 does. A value is read by its
// field: " Like " takes "%" + value + "%"; the numeric columns (TEST_INFO
// positions 0, 7 to 10 and 12; TEST_ADDITIVE positions 0, 1 and 3) the whole
// text as a number; TEST_TIME a date; the others the text. Throws db::DbError
// (its description tells why) for a field or operator not in its list, or a
// value that cannot be read.
Statement BuildStatement(const QStringList& infoFields, const QStringList& additiveFields,
                         const QVector<Criterion>& info, const QVector<Criterion>& additive);

// A typed date: ISO "yyyy-MM-dd" with an optional "HH:mm" or "HH:mm:ss", the
// system's short date form, or month/day/year, each with an optional time.
std::optional<QDateTime> ReadDate(const QString& text);

// The column names the database reports for a statement, in order.
QStringList FieldNames(db::Connection* connection, const QString& statement);
// The TEST_INFO field list: the table's columns with position 11 shown as
// "DESCRIPTION".
QStringList InfoFieldList(db::Connection* connection);
// The TEST_ADDITIVE field list.
QStringList AdditiveFieldList(db::Connection* connection);

// The matching tests as the result list shows them: the names of result
// columns 1 onward, and per test the texts of those columns (TEST_TIME in the
// general date form, Null as the empty text).
struct Result {
    QStringList captions;
    QVector<QStringList> rows;
};
Result Run(db::Connection* connection, const Statement& statement);

}  // namespace search

#pragma once
// A strict RFC 4180 reader of CSV files for the tests.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace testing_support {

// Records ended by CR LF, fields split by commas, a field in double quotes
// (its quotes doubled) may hold commas, quotes and line breaks. nullopt, with
// the place said, for anything else: a quote inside an unquoted field, text
// after a closing quote, a bare CR or LF, an unclosed quote.
inline std::optional<QList<QStringList>> readRfc4180(const QByteArray& bytes, QString* error) {
    const QString text = QString::fromLatin1(bytes);
    QList<QStringList> records;
    QStringList record;
    QString field;
    qsizetype i = 0;
    auto fail = [&](const char* why) {
        *error = QStringLiteral("%1 at record %2, offset %3").arg(QLatin1String(why)).arg(records.size() + 1).arg(i);
        return std::nullopt;
    };
    while (i < text.size()) {
        if (text[i] == QLatin1Char('"')) {
            for (++i;; ++i) {
                if (i >= text.size()) return fail("unclosed quote");
                if (text[i] != QLatin1Char('"')) {
                    field += text[i];
                } else if (i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) {
                    field += QLatin1Char('"');
                    ++i;
                } else {
                    ++i;
                    break;
                }
            }
        } else {
            while (i < text.size() && text[i] != QLatin1Char(',') && text[i] != QLatin1Char('\r') &&
                   text[i] != QLatin1Char('\n')) {
                if (text[i] == QLatin1Char('"')) return fail("quote inside an unquoted field");
                field += text[i++];
            }
        }
        if (i < text.size() && text[i] == QLatin1Char(',')) {
            record << field;
            field.clear();
            ++i;
        } else if (text.mid(i, 2) == QLatin1String("\r\n")) {
            records << (record << field);
            record.clear();
            field.clear();
            i += 2;
        } else {
            return fail(i < text.size() ? "text after a field" : "no CR LF at the end");
        }
    }
    return records;
}

}  // namespace testing_support

#include "reports/PrintedTable.h"

#include "platform/TextPrinter.h"

#include <algorithm>

PrintedTable::PrintedTable(QList<QStringList> headings) : headings_(std::move(headings)) {}

void PrintedTable::AddRow(QStringList cells) { rows_.append(std::move(cells)); }

QList<int> PrintedTable::widths() const {
    QList<int> w(headings_.size(), 0);
    auto widen = [&](const QStringList& texts, int column) {
        for (const QString& t : texts) w[column] = std::max(w[column], int(t.size()));
    };
    for (int c = 0; c < headings_.size(); ++c) widen(headings_[c], c);
    for (const QStringList& row : rows_)
        for (int c = 0; c < std::min(int(row.size()), int(headings_.size())); ++c)
            w[c] = std::max(w[c], int(row[c].size()));
    return w;
}

QString PrintedTable::line(const QStringList& cells, const QList<int>& w) {
    QString text;
    for (int c = 0; c < w.size(); ++c) {
        if (c > 0) text += QString(kColumnGap, QLatin1Char(' '));
        text += cells.value(c).leftJustified(w[c]);
    }
    while (text.endsWith(QLatin1Char(' '))) text.chop(1);
    return text;
}

QStringList PrintedTable::HeadingLines() const {
    qsizetype lines = 0;
    for (const QStringList& h : headings_) lines = std::max(lines, h.size());
    const QList<int> w = widths();
    QStringList out;
    for (qsizetype i = 0; i < lines; ++i) {
        QStringList cells;
        for (const QStringList& h : headings_) cells << h.value(i);
        out << line(cells, w);
    }
    return out;
}

QStringList PrintedTable::RowLines() const {
    const QList<int> w = widths();
    QStringList out;
    out.reserve(rows_.size());
    for (const QStringList& row : rows_) out << line(row, w);
    return out;
}

void PrintedTable::Print(printing::TextPrinter& printer) const {
    printer.PrintHeading(HeadingLines());
    for (const QString& row : RowLines()) printer.Print(row);
    printer.EndHeading();
}

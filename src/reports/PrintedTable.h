#pragma once
// The result table of a printed report: its column headings (one or more
// lines each) and its rows of cell texts, printed in columns that stand
// apart by kColumnGap blanks, each as wide as its widest heading line or
// cell. Headings and cells begin at their column's first character, so every
// value stands under its heading, in every row. The heading begins every
// page the table goes on to.

#include <QList>
#include <QString>
#include <QStringList>

namespace printing {
class TextPrinter;
}

class PrintedTable {
public:
    static constexpr int kColumnGap = 3;

    // The heading lines of each column, top line first; a column with fewer
    // lines than another is blank below its own.
    explicit PrintedTable(QList<QStringList> headings);

    // A row, one text a column (a missing cell is blank).
    void AddRow(QStringList cells);

    // The heading lines and the rows as printed, without blanks at the ends.
    QStringList HeadingLines() const;
    QStringList RowLines() const;

    // Prints the heading, repeated on every page the table goes on to, and
    // the rows.
    void Print(printing::TextPrinter& printer) const;

private:
    // Each column's width: its widest heading line or cell.
    QList<int> widths() const;
    // The cells as one line at the column widths.
    static QString line(const QStringList& cells, const QList<int>& widths);

    QList<QStringList> headings_;
    QList<QStringList> rows_;
};

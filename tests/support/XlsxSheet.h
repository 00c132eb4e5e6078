#pragma once
// A written .xlsx workbook read back for the tests: the first worksheet's
// cells, merged ranges, column widths, page set-up and header, and the print
// titles of the workbook. Read with `unzip`, parsed with QXmlStreamReader.

#include <QMap>
#include <QString>
#include <QStringList>

namespace testing_support {

struct XlsxCell {
    QString type;   // "n" number, "s"/"inlineStr"/"str" text, "b", or "" (blank)
    QString value;  // the number's text or the text
    int style = 0;  // index of the cell's format in styles.xml
};

class XlsxSheet {
public:
    // Reads the workbook; ok() is false (and error() says why) when it cannot.
    explicit XlsxSheet(const QString& path);
    bool ok() const { return error_.isEmpty(); }
    QString error() const { return error_; }

    // The cell at (row, col), both from 1; an empty cell for none.
    XlsxCell cell(int row, int col) const { return cells_.value(key(row, col)); }
    QString text(int row, int col) const { return cell(row, col).value; }
    bool has(int row, int col) const { return cells_.contains(key(row, col)); }
    // The texts of a row from column 1 to `cols`.
    QStringList row(int r, int cols) const;
    // The rows that hold at least one cell with a value, ascending.
    QList<int> filledRows() const;
    int lastRow() const;

    QStringList merges;        // "E1:L3", ...
    QMap<int, double> widths;  // column (from 1) -> width
    QMap<QString, QString> pageSetup;  // attributes of <pageSetup>, e.g. orientation, fitToHeight
    bool fitToPage = false;    // <pageSetUpPr fitToPage="1"/>
    QString oddHeader;         // as stored, "&C..." with "&&" for "&"
    QString printTitles;       // the defined name _xlnm.Print_Titles, e.g. "Sheet1!$22:$23"
    int pictures = 0;          // pictures of the workbook (xl/media)
    QString sheetXml;          // the raw worksheet XML
    QString stylesXml;

    static qint64 key(int row, int col) { return qint64(row) * 100000 + col; }

private:
    QMap<qint64, XlsxCell> cells_;
    QString error_;
};

// The output of `unzip -p archive member`; empty when it fails.
QByteArray unzipMember(const QString& archive, const QString& member);
// The members of the archive.
QStringList unzipList(const QString& archive);

}  // namespace testing_support

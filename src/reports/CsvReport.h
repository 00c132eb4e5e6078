#pragma once
// The CSV report of the opened stored test ("Save Report", File > Report):
// its header (reports/ReportHeader.h), its additives, its result grid as the
// main window shows it and a "Detail" table of its stored rows, in one layout
// per test kind (rheology, PVT, swell).
//
// The file is single-byte text (Latin-1; a character without a byte of its
// own is written as "?"), one record per line, lines ended by CR LF, fields
// joined by bare commas. A field that holds a comma, a double quote or a line
// break is put in double quotes (its quotes doubled), so it stays one field;
// in the PVT and swell layouts, whose fields are padded with blanks, the
// quotes go round the blanks too. Every other field is written as it stands.
//
// The file is written whole or not at all: it is made beside the chosen name
// and replaces an existing file only when complete, so a failure (a folder
// that cannot be written, a full disk, a database error) leaves the file as
// it was. Every failure after the save dialog is shown as its description in
// a message box; the report then ends.

#include "data/CsvField.h"
#include "reports/StoredTestSource.h"

#include <QByteArray>
#include <QString>
#include <QVariant>

// The messages of the reports.
inline const QString kNoTestSelected =
    QStringLiteral("Currently no valid test selected.  Please first open a saved test.");
// The opened test's TEST_INFO row was not found again by its key.
QString TestNoLongerStoredText(const QString& testName);

// Reads the opened test's TEST_INFO row afresh, by its key (OpenedTestId),
// into OpenedTestInfo before a CSV or printed report is written. False, with
// the reason said, when no test is opened, the test is no longer stored or
// the database fails.
bool ReadOpenedTestInfo(const StoredTestSource& source);

// A value in the form text files take: text unchanged; a number as " 12 ",
// " .5 ", "-.25 " (PrintNumber); a date-time in the short date form followed
// by the time; Null as "Null"; an empty (invalid) value as nothing.
QString PrintForm(const QVariant& value);


class CsvReport {
public:
    explicit CsvReport(const StoredTestSource& source);

    // Checks that a test is open, reads its TEST_INFO row again by key into
    // OpenedTestInfo and writes the report of its kind.
    void Export_CSV_Report();
    // The PVT and swell writers; Export_CSV_Report calls them after its checks.
    void Export_CSV_PVT();
    void Export_CSV_LSM();

    // The file texts of the opened test, built from the source as it stands
    // (OpenedTestInfo as last read); each reloads the test's result rows.
    QString RheologyText();
    QString PvtText();
    QString LsmText();

    // The name the save dialog offers: the one chosen last.
    QString FileName;

private:
    // Save dialog, then the text, then the file; every failure as a message.
    void writeReport(QString (CsvReport::*text)());
    // Binds the result records to the opened test and loads its rows.
    qint32 loadRows();

    StoredTestSource s_;
};

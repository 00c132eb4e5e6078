#pragma once
// The header of every report of a stored test: the TEST_INFO fields each test
// kind reports, in order, each with its label in the CSV report, the printed
// report and the Excel workbooks, then the test's description. Every writer
// renders this one description in its own form (CsvReport, PrintedReport,
// ExcelReport); a label left empty is a field that writer leaves out.

#include "data/RecordBase.h"

#include <QList>
#include <QString>
#include <QVariant>

namespace reportheader {

struct Field {
    QVariant value;   // as stored; a swell test's sample length in the display length unit
    QString csv;      // the CSV report's label, written before the field's comma
    QString printed;  // the printed report's label, padded before the value
    QString excel;    // the workbooks' label, in the column before the value
};

struct Header {
    QList<Field> fields;  // the header lines, in order
    Field description;    // the description (SAFETY), below the lines
};

// The header of a rheology, PVT or swell test from its TEST_INFO row, the
// labels in the display units as they stand.
Header Rheology(const RowArray& info);
Header Pvt(const RowArray& info);
Header Swell(const RowArray& info);

}  // namespace reportheader

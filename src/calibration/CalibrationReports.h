#pragma once
// The report lines of the PVT and swell tabs, the time, date and print zones
// the calibration reports share, and the writing of a report file.

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace calibration {

QString LongTimeText(const QDateTime& t);
QString LongDateText(const QDateTime& t);
// Pads a text with blanks to the next 14-column print zone.
QString ToNextPrintZone(const QString& text);

struct SwellReportInput {
    QDateTime now;
    QString unitDigit;             // the last character of the unit list's text
    bool withData = false;         // calibration state 2 or 3
    QStringList lengths;           // lbldata 1 .. 3
    QStringList logVolts;          // lblvolt 4 .. 6
    QStringList constants;         // lblconst1 .. 4
};
QStringList SwellReport(const SwellReportInput& in);

struct PistonReportInput {
    QDateTime now;
    QString timeLabel = QStringLiteral("Calibration Time: ");
    QString unitLabel = QStringLiteral("Instrument Unit: ");
    QString pistonLabel = QStringLiteral("Piston Type: ");
    QString unitText;               // the unit digit (or caption)
    QString pistonText;             // the piston list's text
    QStringList positionCaptions;   // Label20 1 .. N
    QStringList logReadings;        // lalData 11 .. 10 + N
};
QStringList PistonReport(const PistonReportInput& in);

// Writes lines ended by CR LF to a file, whole or not at all: they go to a
// new file beside it that takes its name once every line is written. False
// with the reason when that cannot be done; a file of that name stays as it
// was then, and nothing else is left.
bool WriteReportLines(const QString& path, const QStringList& lines, QString& error);

}  // namespace calibration

#include "calibration/CalibrationReports.h"

#include "data/CsvField.h"

#include <QLocale>
#include <QSaveFile>

namespace calibration {

QString LongTimeText(const QDateTime& t) {
    // The system's long time form without a time zone.
    QString format = QLocale::system().timeFormat(QLocale::LongFormat);
    format.remove(QLatin1Char('t'));
    return QLocale::system().toString(t.time(), format.trimmed());
}

QString LongDateText(const QDateTime& t) { return QLocale::system().toString(t.date(), QLocale::LongFormat); }

QString ToNextPrintZone(const QString& text) {
    const int zone = 14;
    const int width = (int(text.size()) / zone + 1) * zone;
    return text.leftJustified(width, QLatin1Char(' '));
}

QStringList SwellReport(const SwellReportInput& in) {
    QStringList l;
    const QString comma = QStringLiteral(",");
    l << QStringLiteral("Calibration Report of Z3080_LSM test. ") << QString();
    // The time and the date one field each: a long date may hold a comma.
    l << QStringLiteral("Calibration Time:  ") + comma + CsvField(LongTimeText(in.now)) + comma +
             CsvField(LongDateText(in.now));
    l << QString();
    l << QStringLiteral("Unit No.: ") + comma + in.unitDigit;
    l << QString();
    if (in.withData) {
        l << QStringLiteral("Data ") + comma + QStringLiteral("Volt ");
        for (int k = 0; k < 3; ++k) l << in.lengths.value(k) + comma + in.logVolts.value(k);
        l << QString();
        l << QStringLiteral("Factor ");
        l << ToNextPrintZone(in.constants.value(0)) + in.constants.value(1);
        l << ToNextPrintZone(in.constants.value(2)) + in.constants.value(3);
    }
    l << QString() << QString();
    return l;
}

QStringList PistonReport(const PistonReportInput& in) {
    QStringList l;
    l << QStringLiteral("Calibration Report for Z3080 PVT Test.") << QString();
    l << in.timeLabel + LongTimeText(in.now) + QLatin1Char(' ') + LongDateText(in.now);
    l << in.unitLabel + in.unitText;
    l << in.pistonLabel + in.pistonText;
    l << QString();
    l << QStringLiteral("                   data");
    for (int i = 0; i < in.positionCaptions.size(); ++i)
        l << ToNextPrintZone(in.positionCaptions[i]) + in.logReadings.value(i);
    l << QStringLiteral("          ") << QString();
    return l;
}

bool WriteReportLines(const QString& path, const QStringList& lines, QString& error) {
    QSaveFile f(path);
    if (path.isEmpty() || !f.open(QIODevice::WriteOnly)) {
        error = QStringLiteral("%1: %2").arg(path, path.isEmpty() ? QStringLiteral("Bad file name") : f.errorString());
        return false;
    }
    for (const QString& line : lines) {
        const QByteArray bytes = line.toLatin1() + "\r\n";
        if (f.write(bytes) != bytes.size()) {
            error = QStringLiteral("%1: %2").arg(path, f.errorString());
            f.cancelWriting();
            return false;
        }
    }
    if (!f.commit()) {
        error = QStringLiteral("%1: %2").arg(path, f.errorString());
        return false;
    }
    return true;
}

}  // namespace calibration

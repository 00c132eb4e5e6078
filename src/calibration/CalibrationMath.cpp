#include "calibration/CalibrationMath.h"

#include "data/CsvField.h"
#include "data/Numbers.h"

#include <QSaveFile>
#include <QLocale>
#include <cmath>

namespace calibration {

LineFit FitLine(const std::vector<double>& x, const std::vector<double>& y) {
    LineFit fit;
    const size_t n = std::min(x.size(), y.size());
    if (n < 2) return fit;
    double mx = 0, my = 0;
    for (size_t i = 0; i < n; ++i) {
        mx += x[i];
        my += y[i];
    }
    mx /= double(n);
    my /= double(n);
    double sxx = 0, sxy = 0;
    for (size_t i = 0; i < n; ++i) {
        sxx += (x[i] - mx) * (x[i] - mx);
        sxy += (x[i] - mx) * (y[i] - my);
    }
    if (!(sxx > 0) || !std::isfinite(sxx) || !std::isfinite(sxy)) return fit;
    fit.slope = sxy / sxx;
    fit.intercept = my - fit.slope * mx;
    double sum = 0;
    for (size_t i = 0; i < n; ++i) {
        const double r = fit.intercept + fit.slope * x[i] - y[i];
        sum += r * r;
    }
    fit.mse = sum / double(n);
    fit.ok = true;
    return fit;
}

QString TorqueSuccessText() { return QStringLiteral("Calibration Completed Successfully."); }
QString TorqueProblemText() { return QStringLiteral("Calibration Completed, Problem detected. "); }
QString TorqueRunningText() { return QStringLiteral("Calibration in Progress."); }
QString TorqueNotStartedText() { return QStringLiteral("Calibration not started."); }

std::vector<double> ReportSpeeds(const std::vector<double>& stress) {
    std::vector<double> speed(stress.size(), 0.0);
    for (size_t j = 1; j < stress.size(); ++j) {
        const double d = stress[j] - stress[j - 1];
        if (std::fabs(d) <= 0.1)
            speed[j] = speed[j - 1];
        else if (d > 0.1 && speed[j - 1] < 600)
            speed[j] = speed[j - 1] + 10;
        else
            speed[j] = speed[j - 1] - 10;
    }
    return speed;
}

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

namespace {

// "cP" of the viscosity caption "( cP )".
QString unitName(const QString& label) {
    QString name = label;
    name.remove(QLatin1Char('(')).remove(QLatin1Char(')'));
    return name.trimmed();
}

const QString kNoReport = QStringLiteral("No report was written: ");

// Why a measured viscosity that no two neighbouring temperatures of the
// fluid table bracket gives no temperature, and what the operator can do.
QString outsideTableText(const TorqueReportInput& in, double visc) {
    double lo = 0, hi = 0;
    for (int i = 0; i < 21; ++i) {
        const double v = Val(in.setTexts.value(i));
        if (i == 0 || v < lo) lo = v;
        if (i == 0 || v > hi) hi = v;
    }
    const QString unit = unitName(in.viscLabel);
    const QString measured = Format(visc, QStringLiteral("##0.0")) + QLatin1Char(' ') + unit;
    const QString table =
        lo == hi ? QStringLiteral("which holds %1 %2 at every temperature from 20 to 40 \u00b0C").arg(CStr(lo), unit)
                 : QStringLiteral("whose viscosities from 20 to 40 \u00b0C run from %1 to %2 %3")
                       .arg(CStr(lo), CStr(hi), unit);
    const QString enterTable =
        QStringLiteral("enter under Calibration Fluid Specs the fluid's viscosity at each temperature from 20 to "
                       "40 \u00b0C as its data sheet gives it, falling as the temperature rises (or load the "
                       "fluid's table with Load From File), then export again.");
    if (visc < lo || visc > hi) {
        const bool below = visc < lo;
        return QStringLiteral("the viscosity measured, %1, is %2 the calibration fluid's table, %3, so the fluid's "
                              "temperature cannot be told from it. If the table is not the fluid's, %4 If the table "
                              "is the fluid's, the fluid in the cup was %5 than %6 \u00b0C: let it come to between "
                              "20 and 40 \u00b0C and press Start to run the calibration again.")
            .arg(measured, below ? QStringLiteral("below") : QStringLiteral("above"), table, enterTable,
                 below ? QStringLiteral("warmer") : QStringLiteral("colder"),
                 below ? QStringLiteral("40") : QStringLiteral("20"));
    }
    return QStringLiteral("the viscosity measured, %1, is within the calibration fluid's table, %2, but no two "
                          "neighbouring temperatures have viscosities falling across it, so the fluid's temperature "
                          "cannot be told from it. The viscosities of the calibration fluid must fall as the "
                          "temperature rises: %3")
        .arg(measured, table, enterTable);
}

}  // namespace

ReportLines TorqueReport(const TorqueReportInput& in, double& fluidTemp) {
    ReportLines out;
    QStringList& l = out.lines;
    const QString comma = QStringLiteral(",");
    l << QStringLiteral("Torque Calibration Report for Z3080 Rheometer.") << QString();
    // The time and the date one field each: a long date may hold a comma.
    l << QStringLiteral("Calibration Time: ") + comma + CsvField(LongTimeText(in.now)) + comma +
             CsvField(LongDateText(in.now));
    l << QStringLiteral("Instrument Unit:") + comma + in.unitText << QString();
    l << QStringLiteral("Calibration") + comma + QStringLiteral(" Fluid Visc ") + in.viscLabel;
    for (int i = 0; i < 21; ++i)
        l << in.tempCaptions.value(i) + comma + in.setTexts.value(i);
    l << QString() << QString();

    const std::vector<double>& stress = in.stress;
    if (stress.size() < 3) {
        out.error = kNoReport +
                    QStringLiteral("the report needs three calibration points, and the last calibration has %1. "
                                   "Press Start and let the unit run the calibration to its end, then export again.")
                        .arg(stress.empty() ? QStringLiteral("none") : QString::number(stress.size()));
        return out;
    }
    const std::vector<double> speed = ReportSpeeds(stress);
    if (speed[2] == 0) {
        out.error = kNoReport +
                    QStringLiteral("the viscosity is measured at the third calibration point, and the shear stresses of "
                                   "the first three points (%1, %2 and %3 %4) give it no rotor speed (each rise of the "
                                   "stress is a speed step up, each fall a step down). Check that the bob chosen is "
                                   "the one in the unit and that the calibration fluid fills the cup, then press Start "
                                   "to run the calibration again.")
                        .arg(CStr(stress[0]), CStr(stress[1]), CStr(stress[2]), unitName(in.stressLabel));
        return out;
    }
    const double visc = stress[2] / speed[2] / 1.7023 * 100;
    bool bracketed = false;
    for (int k = 0; k < 20; ++k) {
        const double a = Val(in.setTexts.value(k));
        const double b = Val(in.setTexts.value(k + 1));
        if (a >= visc && b <= visc) {
            if (a == b) {
                const QString unit = unitName(in.viscLabel);
                out.error = kNoReport +
                            QStringLiteral("the viscosity measured, %1 %2, is the calibration fluid's viscosity at both "
                                           "%3 and %4: both boxes hold %5 %2, so the fluid's temperature cannot be "
                                           "told from it. The viscosities of the calibration fluid must differ "
                                           "between temperatures: enter under Calibration Fluid Specs the fluid's "
                                           "viscosity at each temperature from 20 to 40 \u00b0C as its data sheet "
                                           "gives it, falling as the temperature rises (or load the fluid's table "
                                           "with Load From File), then export again.")
                                .arg(Format(visc, QStringLiteral("##0.0")), unit, in.tempCaptions.value(k),
                                     in.tempCaptions.value(k + 1), CStr(a));
                return out;
            }
            fluidTemp = Val(in.tempCaptions.value(k)) + (a - visc) / (a - b);
            bracketed = true;
            break;
        }
    }
    if (!bracketed) {
        out.error = kNoReport + outsideTableText(in, visc);
        return out;
    }
    l << QString() << QString();
    l << QStringLiteral("Temperature is ") + comma + Format(fluidTemp, QStringLiteral("##0.0")) +
             QStringLiteral(" \u00b0C");
    l << QStringLiteral("Viscosity is ") + comma + Format(visc, QStringLiteral("##0.0")) + in.viscLabel;
    l << QString();
    l << QStringLiteral("Speed (RPM)") + comma + QStringLiteral("ShearStress") + in.stressLabel + comma +
             QStringLiteral("Angle (Deg)");
    for (size_t j = 0; j < stress.size(); ++j)
        l << PrintNumber(speed[j]) + comma + PrintNumber(stress[j]) + comma +
                 PrintNumber(j < in.angle.size() ? in.angle[j] : 0.0);
    l << QString();
    l << QStringLiteral("Mean square error is: ") +
             (in.mse ? CStr(*in.mse) : QStringLiteral("none, no straight line could be fitted to these points"));
    l << QStringLiteral("Recommended Mean square error value should be less than 750.");
    return out;
}

bool SecondsWaitOver(int s0, int s, int n) {
    const int d = std::abs(s - s0);
    return !(d < n || d > 60 - n);
}

std::optional<Segment> SegmentThrough(double x1, double y1, double x2, double y2) {
    if (x1 == x2 || !std::isfinite(x1) || !std::isfinite(x2)) return std::nullopt;
    Segment s;
    s.slope = (y2 - y1) / (x2 - x1);
    s.intercept = y1 - s.slope * x1;
    if (!std::isfinite(s.slope) || !std::isfinite(s.intercept)) return std::nullopt;
    return s;
}

std::vector<double> PistonHeights(bool large) {
    return large ? std::vector<double>{0, 0.25, 0.5, 0.75, 1} : std::vector<double>{0, 0.5, 1, 2};
}

QStringList PistonStepCaptions(bool large) {
    if (large) {
        QStringList c;
        for (int i = 1; i <= 5; ++i) c << QStringLiteral("Install #%1 rod into piston and click here").arg(i);
        return c;
    }
    return {QStringLiteral("Set magnet at top with flat spacer and click here"),
            QStringLiteral("Insert 0.5 in. spacer and click here"), QStringLiteral("Insert 1 in. spacer and click here"),
            QStringLiteral("Insert 2 in. spacer and click here")};
}

QStringList SwellReport(const SwellReportInput& in) {
    QStringList l;
    const QString comma = QStringLiteral(",");
    l << QStringLiteral("Calibration Report of Z3080_LSM test. ") << QString();
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

#include "calibration/TorqueReport.h"

#include "calibration/CalibrationMath.h"
#include "calibration/CalibrationReports.h"
#include "data/CsvField.h"
#include "data/Numbers.h"

namespace calibration {

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

}  // namespace calibration

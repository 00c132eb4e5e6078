#include "calibration/CoefficientTableText.h"

#include "data/Numbers.h"

#include <QStringList>

namespace calibration {

QString CoefficientsRefusedText(const QString& path, const std::vector<unit::CoefficientInFrame>& changed) {
    QStringList named;
    for (size_t i = 0; i < changed.size(); ++i) {
        const unit::CoefficientInFrame& c = changed[i];
        named << c.name + QStringLiteral(" = ") + CStr(c.value) +
                     (i == 0 ? QStringLiteral(" would reach the unit as \"") : QStringLiteral(" as \"")) + c.sent +
                     QLatin1Char('"');
    }
    return QStringLiteral("The unit takes each coefficient to two decimals (a to one), so the calibration profile ") +
           path + QStringLiteral(" cannot be sent as the file holds it: ") + named.join(QStringLiteral(", ")) +
           QStringLiteral(". Nothing was sent. Write each coefficient with at most two decimals (a with one), "
                          "then send the profile again.");
}

}  // namespace calibration

#include "reports/ReportText.h"

#include "data/DateText.h"
#include "data/Numbers.h"
#include "data/Units.h"

#include <cmath>

namespace reporttext {

QString maskOrEmpty(double value, const QString& mask) {
    return std::isfinite(value) ? Format(value, mask) : QString();
}

QString infoValue(const QVariant& value) {
    if (!value.isValid() || value.isNull()) return QString();
    switch (value.metaType().id()) {
        case QMetaType::QString: return value.toString();
        case QMetaType::QDateTime:
        case QMetaType::QDate: return GeneralDateText(value);
        case QMetaType::Double:
        case QMetaType::Float:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong: return CStr(value.toDouble());
        default: return value.toString();
    }
}

QVariant sampleLengthShown(const QVariant& storedInches) {
    if (!storedInches.isValid() || storedInches.isNull() || storedInches.metaType().id() == QMetaType::QString)
        return storedInches;
    return QVariant(LengthToDisplay(storedInches.toDouble()));
}

}  // namespace reporttext

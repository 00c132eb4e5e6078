#include "data/TypedNumbers.h"

#include "data/Numbers.h"

namespace typed {

std::optional<double> TypedNumber(const QString& text, std::optional<double> whenEmpty) {
    if (text.trimmed().isEmpty()) return whenEmpty;
    return StrictNumber(text);
}

QString NotANumberMessage(const QString& name, const QString& text) {
    const QString what = text.trimmed().isEmpty() ? QStringLiteral("the box is empty")
                                                  : QLatin1Char('"') + text + QStringLiteral("\" is not a number");
    return name + QStringLiteral(": ") + what +
           QStringLiteral(". Please type a number, with a point for decimals (2.5).");
}

std::optional<NumberRefusal> RefusedNumber(const NumberBox& box) {
    if (TypedNumber(box.text, box.whenEmpty)) return std::nullopt;
    return NumberRefusal{NotANumberMessage(box.name, box.text), box.objectName};
}

std::optional<NumberRefusal> FirstRefusedNumber(const QVector<NumberBox>& boxes) {
    for (const NumberBox& b : boxes)
        if (auto refused = RefusedNumber(b)) return refused;
    return std::nullopt;
}

QString BoxName(const QString& caption) {
    QString name = caption.trimmed();
    while (name.endsWith(QLatin1Char(':'))) name = name.chopped(1).trimmed();
    return name;
}

}  // namespace typed

#include "unitrun/Bob.h"


namespace runloop {

// ---- the bob ---------------------------------------------------------------------------------

bool BobRadiusFits(double radiusCm) { return radiusCm > 0 && radiusCm < kCupRadiusCm; }

int BobNumberOf(const QString& bobName) {
    const QString b = bobName.toUpper();
    if (b == QLatin1String("B1")) return 1;
    if (b == QLatin1String("B2")) return 2;
    if (b == QLatin1String("B5")) return 5;
    return 0;
}

QString BobRadiusMessage(const QStringList& knownBobs) {
    QString bobs = knownBobs.join(QStringLiteral(", "));
    if (knownBobs.size() > 1) {
        const qsizetype last = bobs.lastIndexOf(QStringLiteral(", "));
        bobs.replace(last, 2, QStringLiteral(" or "));
    }
    return QStringLiteral("The bob radius must be greater than 0 and smaller than the cup radius (1.8415 cm). "
                          "The test cannot be started.\rEnter the bob in Bob Number (%1): its radius and "
                          "length are then filled in.")
        .arg(bobs);
}

}  // namespace runloop

#include "data/BobGeometry.h"

namespace bob {

namespace {

// 4π Rc² with π as 3.14159 (42.61406299750999).
constexpr double kFourPiCupSquared = 4 * 3.14159 * kCupRadiusCm * kCupRadiusCm;
// Rc² as 1.8415² is in decimals, 3.39112225: the double nearest to it, taken
// from the radius in ten-thousandths (18415² / 10⁸, each step exact but the
// last). The product kCupRadiusCm * kCupRadiusCm is one step below it, and
// the rates recorded and stored were always worked out with this one.
constexpr double kCupRadiusSquared = (kCupRadiusCm * 10000) * (kCupRadiusCm * 10000) / 1e8;

}  // namespace

const KnownBob* FindBob(const QString& name, bool ignoreCase) {
    const QString key = ignoreCase ? name.toUpper() : name;
    for (const KnownBob& b : kBobs)
        if (key == QLatin1String(b.name)) return &b;
    return nullptr;
}

const KnownBob* BobOfUnitNumber(int unitNumber) {
    if (unitNumber == 0) return nullptr;
    for (const KnownBob& b : kBobs)
        if (b.unitNumber == unitNumber) return &b;
    return nullptr;
}

int UnitNumberOf(const QString& name) {
    const KnownBob* b = FindBob(name, true);
    return b ? b->unitNumber : 0;
}

QStringList BobNames() {
    QStringList names;
    for (const KnownBob& b : kBobs) names << QString::fromLatin1(b.name);
    return names;
}

QStringList UnitBobNames() {
    QStringList names;
    for (const KnownBob& b : kBobs)
        if (b.unitNumber != 0) names << QString::fromLatin1(b.name);
    return names;
}

bool FitsCup(double radiusCm) { return radiusCm > 0 && radiusCm < kCupRadiusCm; }

double ShearRatePerRpm(double bobRadiusCm) {
    return kFourPiCupSquared / (60.0 * (kCupRadiusSquared - bobRadiusCm * bobRadiusCm));
}

}  // namespace bob

#pragma once
// The bob geometry, for every window, run, grid and report: the cup every bob
// turns in, the bobs the program knows (their names, the numbers the unit
// knows them by, their radii and effective lengths), whether a bob fits the
// cup, and the shear rate a bob gives per rotor rpm. Lengths in cm.

#include <QString>
#include <QStringList>
#include <array>

namespace bob {

// The radius of the cup.
inline constexpr double kCupRadiusCm = 1.8415;

struct KnownBob {
    const char* name;  // "B1" .. "B5"
    int unitNumber;    // the bob number of the set-point frame; 0: the unit has none for it
    double radiusCm;
    double lengthCm;   // effective length
};

inline constexpr KnownBob kB1{"B1", 1, 1.7245, 3.800};
inline constexpr KnownBob kB2{"B2", 2, 1.2276, 3.800};
inline constexpr KnownBob kB3{"B3", 0, 0.8622, 3.800};
inline constexpr KnownBob kB4{"B4", 0, kB3.radiusCm, 3.810};
inline constexpr KnownBob kB5{"B5", 5, 1.5987, 3.800};
// In the order the lists and messages name them.
inline constexpr std::array<KnownBob, 5> kBobs{kB1, kB2, kB3, kB4, kB5};

// The bob of a name ("B1" .. "B5"), in upper case first when `ignoreCase`;
// nullptr for another name.
const KnownBob* FindBob(const QString& name, bool ignoreCase = false);
// The bob the unit knows by this number (1, 2 or 5); nullptr for another.
const KnownBob* BobOfUnitNumber(int unitNumber);
// The number the unit knows a bob name by, in any case ("b2": 2); 0 for a
// name the unit has no number for (B3, B4, another text).
int UnitNumberOf(const QString& name);

// The names of every bob, in table order ("B1" .. "B5").
QStringList BobNames();
// The names of the bobs the unit has a number for, the choices of the bob
// lists ("B1", "B2", "B5").
QStringList UnitBobNames();

// A bob radius fits the cup: above 0 and below kCupRadiusCm. Only such a bob
// has a shear rate.
bool FitsCup(double radiusCm);

// Shear rate (1/s) at the bob per rotor rpm, 4π Rc² / (60 (Rc² - Rb²)) with
// π taken as 3.14159: 1.7022937... for B1. Not checked: a radius that does
// not fit the cup gives no meaningful rate (FitsCup).
double ShearRatePerRpm(double bobRadiusCm);

}  // namespace bob

#pragma once
// The bob of a rheology test: whether its radius fits the cup, its number
// from its name, and the refusal of a Start whose bob does not fit.

#include <QString>
#include <QStringList>

namespace runloop {

// ---- the bob ---------------------------------------------------------------------------------

// The bob radius is usable: above 0 and below the cup radius 1.8415 cm.
bool BobRadiusFits(double radiusCm);
inline constexpr double kCupRadiusCm = 1.8415;
// The bob number of a bob name ("B1" 1, "B2" 2, "B5" 5, in any case); 0 for another name.
int BobNumberOf(const QString& bobName);

// Start refused: the bob does not fit the cup (a fresh installation has no
// bob file, so its Bob Number and Bob Radius start empty), with what to
// enter: one of `knownBobs`, the bobs whose radius the dialog fills in.
QString BobRadiusMessage(const QStringList& knownBobs);

}  // namespace runloop

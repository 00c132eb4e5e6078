#pragma once
// The power-law analysis of a rheology ramp cycle, free of any grid: the
// least-squares line of log10 stress on log10 shear rate, its acceptance,
// the bob's geometry correction (K' and K' slot) and the viscosities of the
// fitted law, and the texts of the analysis columns (12 to 19) of the
// rheology grids. Both rheology grids take the one analysis from here,
// through RheologyGridLines (ResultGridLines.h): the main window's result
// grid, whose texts the reports read back, and the rheology window's live
// grid.
//
// Rates are in 1/s and stresses in dyn/cm² as stored; the texts follow
// gKUnit (Units.h) and the masks of Format (Numbers.h). A value that cannot
// be computed shows as "N/A".

#include <QStringList>
#include <vector>

// One point of a cycle's fit list: log10 of the shear rate (1/s) and of the
// shear stress (dyn/cm²).
struct FitPoint {
    double logRate = 0;
    double logStress = 0;
};

// The power-law analysis of one cycle.
struct PowerLawResult {
    bool fitted = false;    // a line was found (the shear rates were not all the same)
    bool accepted = false;  // 0.002 < n' < 5 and intercept < 32
    bool geometry = false;  // the bob radius allowed Kb, Ks and the viscosities
    double nPrime = 0;      // n'
    double intercept = 0;   // B, log10 of K in cP
    double R2 = 0;          // of log10 stress on log10 rate: 1 for points on a power law
    double K = 0, Kb = 0, Ks = 0;   // lbf·s^n/100 ft² (cP values / 478.8)
    double V40 = 0, V100 = 0, V170 = 0;  // cP
};

// Analyses a fit list of at least three points on a bob of the given radius:
// the least-squares line of log10 stress on log10 rate, n' its slope and K
// (in cP, 100 x dyn/cm²) 10 to the power of its intercept plus 2. Fewer than
// three points give a result that is not fitted.
PowerLawResult AnalysePowerLaw(const std::vector<FitPoint>& fit, double bobRadius);

// The texts of columns 12 to 19 for an analysis: n', Kv, R², K', K' slot and
// the three calculated viscosities. An analysis that is not accepted shows
// n', Kv and R² and "N/A" in the five others; one without a line shows "N/A"
// in all eight; an accepted one on an unusable bob shows "N/A" in the five
// geometry columns. A value that overflows shows "N/A".
QStringList PowerLawCells(const PowerLawResult& result);

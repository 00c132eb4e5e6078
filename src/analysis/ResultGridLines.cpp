#include "analysis/ResultGridLines.h"

#include "analysis/PowerLawFit.h"
#include "analysis/PvtDensity.h"
#include "data/BobGeometry.h"
#include "data/Globals.h"
#include "data/Numbers.h"
#include "data/TestKindColumns.h"
#include "data/Units.h"
#include "data/clsTEST_INFO.h"

#include <cmath>

using namespace resultcol;

namespace {

const QChar CR(13);

// A point's value with NaN read as the column's default, so that every
// comparison of the walks below has an answer.
double at(const ResultPoint& p, int column) {
    const double v = p[column];
    return std::isnan(v) ? ResultColumnDefault(column) : v;
}

// A sample cell: the value through its mask, empty when it is not a number.
QString cell(double value, const QString& mask) {
    return std::isfinite(value) ? Format(value, mask) : QString();
}

QString plainNumber(double value) { return std::isfinite(value) ? CStr(value) : QString(); }
QString signedNumber(double value) { return std::isfinite(value) ? Str(value) : QString(); }

// ---- rheology ----------------------------------------------------------------

// Columns 0 to 11 of a rheology line from point p. The extra line of an
// analysis that is not accepted differs in three masks and in the speed below
// which the viscosity shows "0".
QStringList rheologySampleLine(const ResultPoint& p, double shearRatePerRpm, bool extraLine) {
    static const QString m01 = QStringLiteral("0.#"), mHash1 = QStringLiteral("#.#"),
                         m0_1 = QStringLiteral("##0.0"), m4 = QStringLiteral("###0"),
                         m4_4 = QStringLiteral("###0.####"), m4_2 = QStringLiteral("###0.##"),
                         m4_3 = QStringLiteral("###0.###"), m3_4 = QStringLiteral("##0.####");
    const double rate = p[rheology::result::ShearRate];
    const double stress = p[ShearStress];

    QStringList line;
    line.reserve(20);
    line << plainNumber(p[RampNo]) << plainNumber(p[CycleNo]) << plainNumber(p[RampStepNo]);
    line << cell(p[ResultTime] / 60, extraLine ? mHash1 : m01);
    line << cell(TempToDisplay(p[SampleTemp]), m0_1);
    line << cell(p[Press], m4);
    line << cell(rate, extraLine ? m4_4 : m4);
    line << (shearRatePerRpm > 0 ? cell(rate / shearRatePerRpm, m4_2) : QString());
    line << cell(StressToDisplay(stress), m4_4);
    if (rate < (extraLine ? 0.002 : 0.00002)) line << QStringLiteral("0");
    else line << cell(100 * stress / rate, m4_2);
    line << cell(DialReading(p[rheology::result::Gel]), m4_3);
    line << cell(DialReading(stress), m3_4);
    for (int c = 12; c < 20; ++c) line << QString();
    return line;
}

void writeAnalysis(GridLineSink& sink, const PowerLawResult& result) {
    const QStringList cells = PowerLawCells(result);
    for (int k = 0; k < cells.size(); ++k) sink.SetLastLineCell(12 + k, cells[k]);
}

// ---- PVT and swell ---------------------------------------------------------------

QStringList pvtLine(const ResultPoint& p, const OpenedTest& opened) {
    QStringList line;
    line.reserve(9);
    line << signedNumber(p[RampNo]) << signedNumber(p[CycleNo]);
    line << cell(p[ResultTime] / 60, QStringLiteral("0.##"));
    line << cell(TempToDisplay(p[SampleTemp]), QStringLiteral("###0.0"));
    line << cell(p[Press], QStringLiteral("########0"));
    line << cell(p[pvt::result::Speed], QStringLiteral("###0.0#"));
    const double height = p[pvt::result::SampleHeight];
    const auto density = CalcPvtDensity(height, opened.CuriniV, opened.CuriniD, p[Press], p[SampleTemp], opened);
    line << (density ? Format(*density, kPvtDensityMask) : QString());
    line << cell(height, QStringLiteral("###0.######"));
    line << cell(p[pvt::result::RawPosition], QStringLiteral("###0.######"));
    return line;
}

QStringList lsmLine(const ResultPoint& p, double sampleLength, bool lastLine) {
    QStringList line;
    line.reserve(9);
    line << plainNumber(p[RampNo]) << plainNumber(p[CycleNo]);
    line << cell(p[ResultTime] / 60, QStringLiteral("0.##"));
    line << cell(TempToDisplay(p[SampleTemp]), QStringLiteral("#0.#"));
    line << cell(p[Press], QStringLiteral("#0"));
    line << cell(p[swell::result::Speed], QStringLiteral("#0"));
    const double change = p[swell::result::LengthChange];
    line << (std::isfinite(change) ? Format(QVariant(LengthToDisplayText(change)),
                                            gUnitSystem == 1 ? QStringLiteral("#0.####") : QStringLiteral("#0.##"))
                                   : QString());
    line << (sampleLength > 0 ? cell(change / sampleLength, lastLine ? QStringLiteral("0.#%") : QStringLiteral("0.##%"))
                              : QString());
    line << cell(p[swell::result::RawVoltage], QStringLiteral("#0.###########"));
    return line;
}

}  // namespace

// ---- rheology ----------------------------------------------------------------

double ShearRatePerRpmFor(double bobRadius) { return bob::FitsCup(bobRadius) ? bob::ShearRatePerRpm(bobRadius) : 0; }

double BobRadiusOf(const RowArray& testInfo) {
    if (testInfo.size() <= clsTEST_INFO::colBOB_RADIUS) return 0;
    const QVariant& v = testInfo[clsTEST_INFO::colBOB_RADIUS];
    if (!v.isValid() || v.isNull()) return 0;
    bool ok = false;
    const double d = v.toDouble(&ok);
    return ok && std::isfinite(d) ? d : 0;
}

QString RheologyFormatString() {
    const QString visc = QStringLiteral("Calc. Visc");
    return QStringLiteral("<Step No|<Cycle") + CR + QStringLiteral("No|<Ramp_Step") + CR +
           QStringLiteral("No|<Elapsed Time") + CR + QStringLiteral("(min)") + QStringLiteral("|<Temp") + CR +
           gTempLabel + QStringLiteral("|<Pressure") + CR + QStringLiteral("(psi)|Shear Rate") + CR +
           QStringLiteral(" (1/S)") + QStringLiteral("|<Speed ") + CR + QStringLiteral("(rpm)|<Shear Stress") + CR +
           gStressLabel + QStringLiteral("|<Viscosity") + CR + gViscLabel + QStringLiteral("|<Gel") + CR +
           QStringLiteral("Fann® F1|<Fann® 35 F1") + QStringLiteral("|<n'|<Kv ") + CR + gKLabel +
           QStringLiteral("|<Coef. Detn.") + CR + QStringLiteral("(R^2)|<K'") + CR + gKLabel +
           QStringLiteral("|<K' slot") + CR + gKLabel + QStringLiteral("|<") + visc + QStringLiteral("@40 1/s ") +
           CR + gViscLabel + QStringLiteral("|<") + visc + QStringLiteral("@100 1/s") + CR + gViscLabel +
           QStringLiteral("|<") + visc + QStringLiteral("@170 1/s") + CR + gViscLabel;
}

// The walk over the points, with counters for the step (r), cycle (j) and ramp
// step (m); every test is "stored number not above the counter". Numbers that
// hold no point are passed over in one move, so every pass of the ramp-step
// loop takes at least one point and the walk ends on any data: a cycle or
// ramp step without points gets no line (a line there could only repeat the
// point before it, from another step or cycle, and that point would enter the
// fit twice). The ramp-step counter starts at 0, the number of the points a
// cycle records before its ramp (the step phase): their line stands apart
// from the ramp's first entry, as in the live grid.
void RheologyGridLines(const std::vector<ResultPoint>& pts, double bobRadius, GridLineSink& sink) {
    const size_t n = pts.size();
    if (n == 0) return;
    const double srpr = ShearRatePerRpmFor(bobRadius);
    const double last = std::nearbyint(at(pts.back(), RampNo));  // the last step number

    size_t i = 0;   // the current point; i == n is the end
    size_t p = 0;   // the kept point
    std::vector<FitPoint> fit;
    for (double r = 1; r <= last && i < n;) {
        double j = 0;
        while (i < n && at(pts[i], RampNo) <= r) {
            j = std::max(j + 1, std::ceil(at(pts[i], CycleNo)));
            fit.clear();
            double m = -1;
            while (i < n && at(pts[i], RampNo) <= r && at(pts[i], CycleNo) <= j) {
                m = std::max(m + 1, std::ceil(at(pts[i], RampStepNo)));
                while (i < n && at(pts[i], RampNo) <= r && at(pts[i], CycleNo) <= j && at(pts[i], RampStepNo) <= m)
                    p = i++;
                const ResultPoint& kept = pts[p];
                sink.AddLine(rheologySampleLine(kept, srpr, false));
                const double rate = kept[rheology::result::ShearRate];
                if (kept[rheology::result::PointType] == 1 && rate > 0 && kept[ShearStress] > 0)
                    fit.push_back({Log10(rate), Log10(kept[ShearStress])});
            }
            if (fit.size() >= 3) {
                const PowerLawResult res = AnalysePowerLaw(fit, bobRadius);
                if (!res.accepted) sink.AddLine(rheologySampleLine(pts[p], srpr, true));
                writeAnalysis(sink, res);
            }
        }
        // Steps below the current point's hold nothing more.
        r = i < n ? std::max(r + 1, std::ceil(at(pts[i], RampNo))) : r + 1;
    }
}

QVector<QStringList> RheologyGridLines(const std::vector<ResultPoint>& points, double bobRadius) {
    GridLineList list;
    RheologyGridLines(points, bobRadius, list);
    return list.lines;
}

// ---- PVT ---------------------------------------------------------------------

QString PvtFormatString() {
    return QStringLiteral("<Step No|<Cycle No|<Elapsed Time (min)|<Temp ") + gTempLabel +
           QStringLiteral("|<Pressure") + QStringLiteral(" (psi)|<Speed (rpm)") +
           QStringLiteral("|<Density (g/cm3) |<Position (in.) |<data ");
}

std::vector<size_t> StepCycleGroupEnds(const std::vector<ResultPoint>& pts) {
    std::vector<size_t> ends;
    size_t i = 0;
    const size_t n = pts.size();
    while (i < n) {
        const double s0 = at(pts[i], RampNo);
        const double c0 = std::nearbyint(at(pts[i], CycleNo));
        size_t last = i++;
        while (i < n && at(pts[i], RampNo) <= s0 && at(pts[i], CycleNo) <= c0) last = i++;
        ends.push_back(last);
    }
    return ends;
}

void PvtGridLines(const std::vector<ResultPoint>& pts, const OpenedTest& opened, GridLineSink& sink) {
    for (size_t e : StepCycleGroupEnds(pts)) sink.AddLine(pvtLine(pts[e], opened));
}

QVector<QStringList> PvtGridLines(const std::vector<ResultPoint>& points, const OpenedTest& opened) {
    GridLineList list;
    PvtGridLines(points, opened, list);
    return list.lines;
}

// ---- swell ---------------------------------------------------------------------

QString LsmFormatString() {
    return QStringLiteral("<Step No|<Cycle No|<Elapsed Time (min)") + QStringLiteral("|<Temp ") + gTempLabel +
           QStringLiteral("|<Press ") + gPressLabel + QStringLiteral("|<Speed (rpm)") +
           QStringLiteral("|<Length Change ") + gLengthLabel + QStringLiteral("|< Swell (%) ") +
           QStringLiteral("|<read voltage");
}

void LsmGridLines(const std::vector<ResultPoint>& pts, double sampleLength, GridLineSink& sink) {
    const std::vector<size_t> ends = StepCycleGroupEnds(pts);
    for (size_t k = 0; k < ends.size(); ++k) sink.AddLine(lsmLine(pts[ends[k]], sampleLength, k + 1 == ends.size()));
}

QVector<QStringList> LsmGridLines(const std::vector<ResultPoint>& points, double sampleLength) {
    GridLineList list;
    LsmGridLines(points, sampleLength, list);
    return list.lines;
}

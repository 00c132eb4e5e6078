#include "rheology/RheologyResultGrid.h"

#include "analysis/ResultGridLines.h"
#include "data/Globals.h"
#include "data/Numbers.h"
#include "data/TestKindColumns.h"
#include "data/Units.h"
#include "platform/FlexGrid.h"
#include "rheology/frmRealTime.h"

#include <cmath>

namespace rheologygrid {

namespace {

const QChar CR(13);

// A number through its mask; the empty text for a value that is not a
// number (a division that had nothing to divide by).
QString cell(double value, const QString& mask) { return std::isfinite(value) ? Format(value, mask) : QString(); }

// The analyses of the main window's grid walk, taken from the lines it makes:
// each analysis is written into the line added just before it (the cycle's
// last ramp line, or the extra line of a refused fit, which repeats it).
class AnalysisSink : public GridLineSink {
public:
    void AddLine(const QStringList& cells) override {
        step_ = cells.value(0).isEmpty() ? std::nan("") : Val(cells.value(0));
        cycle_ = cells.value(1).isEmpty() ? std::nan("") : Val(cells.value(1));
        open_ = false;
    }
    void SetLastLineCell(int col, const QString& text) override {
        if (col < kFirstAnalysisColumn || col >= kColumns) return;
        if (!open_) {
            analyses.push_back({step_, cycle_, QStringList(kColumns - kFirstAnalysisColumn)});
            open_ = true;
        }
        analyses.back().cells[col - kFirstAnalysisColumn] = text;
    }
    std::vector<CycleAnalysis> analyses;

private:
    double step_ = 0;
    double cycle_ = 0;
    bool open_ = false;
};

}  // namespace

QString LiveResultFormatString() {
    const QString visc = QStringLiteral("Calc.Visc");
    return QStringLiteral("<Step No|<Cycle") + CR + QStringLiteral("No|<Ramp") + CR +
           QStringLiteral("No|<Elapsed Time") + CR + QStringLiteral("(min)|<Temp") + CR + gTempLabel +
           QStringLiteral("|<Pressure") + CR + QStringLiteral("(psi)|Shear Rate") + CR + QStringLiteral(" (1/S)|<Speed ") +
           CR + QStringLiteral("(rpm)|<Shear Stress") + CR + gStressLabel + QStringLiteral("|<Viscosity") + CR +
           gViscLabel + QStringLiteral("|<Gel") + CR + QStringLiteral("Fann® F1|<Fann® 35 F1|<n'|<Kv ") + CR + gKLabel +
           QStringLiteral("|<Coef. Detn.") + CR + QStringLiteral("(R^2)|<K'") + CR + gKLabel +
           QStringLiteral("|<K' slot") + CR + gKLabel + QStringLiteral("|<") + visc + QStringLiteral("@40 1/s ") + CR +
           gViscLabel + QStringLiteral("|<") + visc + QStringLiteral("@100 1/s") + CR + gViscLabel +
           QStringLiteral("|<") + visc + QStringLiteral("@170 1/s") + CR + gViscLabel;
}

void SetupLiveResultGrid(FlexGridModel& grid) {
    grid.RowHeight(0, kHeaderHeight);
    grid.WordWrap(true);
    grid.FormatString(LiveResultFormatString());
    for (int c = 0; c < grid.Cols(); ++c) grid.ColWidth(c, kColumnWidth);
}

LiveSample SampleOfRow(const ResultPoint& row, double shearRateFactor) {
    LiveSample s;
    s.step = int(row[resultcol::RampNo]);
    s.cycle = int(row[resultcol::CycleNo]);
    s.rampEntry = int(row[resultcol::RampStepNo]);
    s.elapsedSec = qint32(row[resultcol::ResultTime]);
    s.sampleTemp = row[resultcol::SampleTemp];
    s.pressure = row[resultcol::Press];
    s.shearRate = row[rheology::result::ShearRate];
    s.shearStress = row[resultcol::ShearStress];
    s.gel = row[rheology::result::Gel];
    s.shearRateFactor = shearRateFactor;
    return s;
}

QStringList LiveResultCells(const LiveSample& s) {
    QStringList cells;
    cells.reserve(kFirstAnalysisColumn);
    cells << QString::number(s.step) << QString::number(s.cycle) << QString::number(s.rampEntry);
    cells << cell(s.elapsedSec / 60.0, QStringLiteral("0.##"));
    cells << cell(TempToDisplay(s.sampleTemp), QStringLiteral("##0.0"));
    cells << cell(s.pressure, QStringLiteral("###0"));
    cells << cell(s.shearRate, QStringLiteral("###0"));
    cells << cell(s.shearRate / s.shearRateFactor, QStringLiteral("###0.##"));
    cells << cell(StressToDisplay(s.shearStress), QStringLiteral("###0.####"));
    // The stress stays in dyn/cm²: cP in CGS, the same number as mPa·s in SI.
    cells << (s.shearRate < 2e-5 ? QStringLiteral("0") : cell(100 * s.shearStress / s.shearRate, QStringLiteral("###0.##")));
    cells << cell(DialReading(s.gel), QStringLiteral("###0.###"));
    cells << cell(DialReading(s.shearStress), QStringLiteral("##0.####"));
    return cells;
}

void FormatLastRow(FlexGridModel& grid, const LiveSample& sample) {
    const int row = grid.Rows() - 1;
    const QStringList cells = LiveResultCells(sample);
    for (int c = 0; c < cells.size(); ++c) grid.TextMatrix(row, c, cells[c]);
}

bool UpdateLiveResultGrid(FlexGridModel& grid, const LiveSample& sample, GridGroup& last) {
    if (grid.Rows() < 2) {
        last = {double(sample.step), double(sample.cycle), sample.rampEntry};
        grid.Rows(2);
        FormatLastRow(grid, sample);
        return false;
    }
    const int row = grid.Rows() - 1;
    last.step = Val(grid.TextMatrix(row, 0));
    last.cycle = Val(grid.TextMatrix(row, 1));
    last.rampEntry = roundHalfEven(Val(grid.TextMatrix(row, 2)));
    const bool stepOrCycleChanged = last.step != sample.step || last.cycle != sample.cycle;
    const bool rampChanged = last.rampEntry != sample.rampEntry;
    if (rampChanged || stepOrCycleChanged) grid.Rows(grid.Rows() + 1);
    FormatLastRow(grid, sample);
    // A new ramp entry of the same cycle is the next speed, not the end of the ramp.
    return rampChanged && stepOrCycleChanged;
}

bool BeforeLastRow(const FlexGridModel& grid, const LiveSample& sample) {
    const int row = grid.Rows() - 1;
    if (row < 1) return false;
    const double step = Val(grid.TextMatrix(row, 0));
    const double cycle = Val(grid.TextMatrix(row, 1));
    const int rampEntry = roundHalfEven(Val(grid.TextMatrix(row, 2)));
    if (sample.step != step) return sample.step < step;
    if (sample.cycle != cycle) return sample.cycle < cycle;
    return sample.rampEntry < rampEntry;
}

std::vector<CycleAnalysis> CycleAnalyses(const std::vector<ResultPoint>& points, double bobRadius) {
    AnalysisSink sink;
    RheologyGridLines(points, bobRadius, sink);
    return std::move(sink.analyses);
}

bool WriteFinishedCycleAnalysis(FlexGridModel& grid, const std::vector<CycleAnalysis>& analyses) {
    const int row = grid.Rows() - 2;
    if (row < grid.FixedRows() || row < 1) return false;
    const double step = Val(grid.TextMatrix(row, 0));
    const double cycle = Val(grid.TextMatrix(row, 1));
    for (auto a = analyses.rbegin(); a != analyses.rend(); ++a) {
        if (a->step != step || a->cycle != cycle) continue;
        for (int k = 0; k < a->cells.size(); ++k) grid.TextMatrix(row, kFirstAnalysisColumn + k, a->cells[k]);
        return true;
    }
    return false;
}

}  // namespace rheologygrid

// ---- the window's procedures ------------------------------------------------

namespace {

rheologygrid::LiveSample currentSample(const frmRealTime& w) {
    rheologygrid::LiveSample s;
    s.step = w.CurStep;
    s.cycle = w.CurCycle;
    s.rampEntry = w.mRampEntryNo;
    s.elapsedSec = w.ElapsedSeconds;
    const unit::UnitReadings& r = w.mReply.readings;
    s.sampleTemp = r.mSampleTemp;
    s.pressure = r.mPressure;
    s.shearRate = r.mShearRate;
    s.shearStress = r.mShearStress;
    s.gel = r.mGel;
    s.shearRateFactor = w.mReply.mShearRateFactor;
    return s;
}

}  // namespace

void frmRealTime::SetupResultGrid() { rheologygrid::SetupLiveResultGrid(*MSFlexGrid1->gridModel()); }

void frmRealTime::FormatResultGridRow() { rheologygrid::FormatLastRow(*MSFlexGrid1->gridModel(), currentSample(*this)); }

void frmRealTime::UpdateResultGrid() { updateResultGrid(currentSample(*this)); }

void frmRealTime::ShowLateRow(const ResultPoint& row) {
    const rheologygrid::LiveSample sample = rheologygrid::SampleOfRow(row, mReply.mShearRateFactor);
    if (!rheologygrid::BeforeLastRow(*MSFlexGrid1->gridModel(), sample)) updateResultGrid(sample);
}

void frmRealTime::updateResultGrid(const rheologygrid::LiveSample& sample) {
    rheologygrid::GridGroup last;
    const bool cycleEnded = rheologygrid::UpdateLiveResultGrid(*MSFlexGrid1->gridModel(), sample, last);
    mLastGridStep = last.step;
    mLastGridCycle = last.cycle;
    mLastGridRamp = last.rampEntry;
    if (cycleEnded) CalcRampPowerLaw();
}

void frmRealTime::CalcRampPowerLaw() {
    if (!mTestResult) return;  // no record objects: nothing is stored to analyse
    const std::vector<ResultPoint>& points = mSamples.Of(TestId, *mTestResult, mConnection);
    mPointCount = qint32(points.size());
    if (mPointCount < 1) return;
    rheologygrid::WriteFinishedCycleAnalysis(*MSFlexGrid1->gridModel(), rheologygrid::CycleAnalyses(points, mBobRadius));
}

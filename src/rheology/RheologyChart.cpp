#include "rheology/RheologyChart.h"

#include "data/Globals.h"
#include "data/TestKindColumns.h"
#include "data/Units.h"
#include "platform/Database.h"
#include "platform/Dialogs.h"
#include "platform/PeChart.h"
#include "rheology/frmRealTime.h"
#include "unitbase/UnitChartStyle.h"

#include <QCheckBox>
#include <QLabel>

using namespace pesgo;

namespace rheologychart {

namespace {

struct Style {
    const char* label;
    qint32 curve;
    qint32 axis;
};

const Style& style(Quantity q) {
    static const Style styles[kQuantityCount] = {
        {"Viscosity", peRgb(0, 128, 0), peRgb(0, 128, 0)},
        {"Speed", peRgb(128, 0, 0), peRgb(128, 0, 0)},
        {"Temperature", peRgb(255, 0, 0), peRgb(255, 0, 0)},
        {"Pressure", peRgb(0, 0, 128), peRgb(0, 0, 128)},
        // purple like its axis: a cyan curve would be named in the legend in
        // another colour than its scale's
        {"Shear Rate", peRgb(192, 0, 192), peRgb(192, 0, 192)},
        {"shear stress", peRgb(64, 64, 64), peRgb(64, 64, 64)},
        {"Fann35", peRgb(128, 128, 128), peRgb(128, 128, 128)},
    };
    return styles[q];
}

// The axis groups: the pairs of quantities, the second of each on the
// right-hand scale when both are ticked.
struct Group {
    Quantity first;
    Quantity second;  // kQuantityCount: the group has one quantity
};
constexpr Group kGroups[] = {{Viscosity, Speed}, {Temperature, Pressure}, {ShearRate, ShearStress},
                             {Fann35, kQuantityCount}};

bool ticked(const Ticks& ticks, Quantity q) { return q < kQuantityCount && ticks[q]; }

}  // namespace

QString SubsetLabel(Quantity q) { return QString::fromLatin1(style(q).label); }
qint32 CurveColor(Quantity q) { return style(q).curve; }
qint32 AxisColor(Quantity q) { return style(q).axis; }

QString AxisTitle(Quantity q) {
    switch (q) {
        case Viscosity: return QStringLiteral("Viscosity ") + gViscLabel;
        case Speed: return QStringLiteral("Speed (rpm)");
        case Temperature: return QStringLiteral("Temperature ") + gTempLabel;
        case Pressure: return QStringLiteral("Pressure ") + gPressLabel;
        case ShearRate: return QStringLiteral("Shear Rate (1/s)");
        case ShearStress: return QStringLiteral("Shear Stress ") + gStressLabel;
        case Fann35: return QStringLiteral("Fann35");
        default: return QString();
    }
}

double SampleValue(Quantity q, double shearRate, double shearStress, double sampleTemp, double pressure,
                   double shearRateFactor) {
    switch (q) {
        // cP, the same number as mPa·s: not converted between unit systems.
        case Viscosity: return shearRate < 0.00002 ? 0.0 : 100 * shearStress / (shearRate + 0.00001);
        case Speed: return shearRate / shearRateFactor;
        case Temperature: return TempToDisplay(sampleTemp);
        case Pressure: return pressure;  // psi in both unit systems
        case ShearRate: return shearRate;
        case ShearStress: return StressToDisplay(shearStress);
        case Fann35: return DialReading(shearStress);
        default: return 0;
    }
}

void InitialChartAll(PeChart& c) {
    using namespace unitchart;
    ClearPoints(c, true);
    SubsetSettings(c, 6);
    SetLook(c, Look{qint16(10), qint16(0), 0.8, true});
}

int LayOutAxisGroups(PeChart& c, const Ticks& ticks, const QString& subtitle) {
    int n = 0;
    for (bool t : ticks) n += t ? 1 : 0;
    if (n == 0) return 0;

    c.setProp(SubTitle, subtitle);
    c.setProp(Subsets, qint32(n));
    c.setProp(XAxisLabel, QStringLiteral("Time (min)"));

    int g = 0;
    for (const Group& group : kGroups) {
        const bool first = ticked(ticks, group.first);
        const bool second = ticked(ticks, group.second);
        if (!first && !second) continue;
        const Quantity main = first ? group.first : group.second;
        c.setProp(WorkingAxis, qint16(g));
        c.setProp(YAxisColor, AxisColor(main));
        c.setProp(YAxisLabel, AxisTitle(main));
        if (first && second) {
            c.setProp(RYAxisColor, AxisColor(group.second));
            c.setProp(RYAxisLabel, AxisTitle(group.second));
            c.setProp(RYAxisSubsets, qint16(1));
        }
        c.setProp(MultiAxesSubsets, g, qint16(first && second ? 2 : 1));
        ++g;
    }
    c.setProp(OverlapMultiAxes, 0, qint16(g));
    // The curves are named from the start: the legend names them before the
    // first stored point (a narrow chart names its scales there alone).
    int s = 0;
    for (int q = 0; q < kQuantityCount; ++q)
        if (ticks[q]) liveplot::NameCurve(c, s++, SubsetLabel(Quantity(q)), CurveColor(Quantity(q)));
    return g;
}

int PlotStoredSeries(PeChart& c, const Ticks& ticks, const std::vector<ResultPoint>& samples,
                     double shearRateFactor, liveplot::Held* held, quint64 version) {
    const int stored = int(samples.size());
    if (stored < 1) return 0;

    // The ticked quantities, in subset order (labels and colours written
    // when not already there).
    const std::vector<int> shown = liveplot::Ticked(ticks);
    const int count = int(shown.size());
    for (int s = 0; s < count; ++s) {
        const Quantity q = Quantity(shown[size_t(s)]);
        liveplot::NameCurve(c, s, SubsetLabel(q), CurveColor(q));
    }
    std::vector<double> depends(shown.begin(), shown.end());
    depends.push_back(shearRateFactor);
    liveplot::PlotRecent(c, held, version, std::move(depends), samples, liveplot::kMaxLivePoints, count,
                         [&](int s, const ResultPoint& p) {
                             return SampleValue(Quantity(shown[size_t(s)]), p[rheology::result::ShearRate],
                                                p[resultcol::ShearStress], p[resultcol::SampleTemp], p[resultcol::Press],
                                                shearRateFactor);
                         });
    return count;
}

}  // namespace rheologychart

// ---- the window's procedures ------------------------------------------------

namespace {

// A box counts only when ticked; a greyed box does not.
bool on(const QCheckBox* box) { return box->checkState() == Qt::Checked; }

rheologychart::Ticks chartTicks(const frmRealTime& w) {
    rheologychart::Ticks t{};
    t[rheologychart::Viscosity] = on(w.chkVisc);
    t[rheologychart::Speed] = on(w.chkSpeed);
    t[rheologychart::Temperature] = on(w.chkTemp);
    t[rheologychart::Pressure] = on(w.chkPress);
    t[rheologychart::ShearRate] = on(w.chkSR);
    t[rheologychart::ShearStress] = on(w.chkSS);
    t[rheologychart::Fann35] = on(w.chkFann);
    return t;
}

}  // namespace

void frmRealTime::Initial_Chart_All() {
    mPlotHeld = {};  // the base settings write points of their own
    rheologychart::InitialChartAll(*Pesgo1);
}

void frmRealTime::RefreshRealTimeChart() {
    Pesgo1->setProp(pesgo::Action, qint16(pesgo::ActionNewChart));
    Initial_Chart_All();
    mSubsetCount = 0;
    if (rheologychart::LayOutAxisGroups(*Pesgo1, chartTicks(*this), lblTestname->text()) == 0) return;
    PlotAllSeries();
}

void frmRealTime::PlotAllSeries() {
    mSubsetCount = 0;
    if (TestId == 0 || !mTestResult) return;
    const std::vector<ResultPoint>& samples = mSamples.Of(TestId, *mTestResult, mConnection);
    mPointCount = qint32(samples.size());
    mSubsetCount = rheologychart::PlotStoredSeries(*Pesgo1, chartTicks(*this), samples, mReply.mShearRateFactor,
                                               &mPlotHeld, mSamples.Version());
}

namespace {
// A click redraws the chart; a failure of the reload is reported, not thrown
// out of the click.
void redrawOnClick(frmRealTime& w) {
    try {
        w.RefreshRealTimeChart();
    } catch (const db::DbError& e) {
        ui::MsgBox(ui::errorText(e.number(), e.description()));
    }
}
}  // namespace

void frmRealTime::chkTemp_Click() { redrawOnClick(*this); }
void frmRealTime::chkPress_Click() { redrawOnClick(*this); }
void frmRealTime::chkSpeed_Click() { redrawOnClick(*this); }
void frmRealTime::chkFann_Click() { redrawOnClick(*this); }
void frmRealTime::chkSR_Click() { redrawOnClick(*this); }
void frmRealTime::chkSS_Click() { redrawOnClick(*this); }
void frmRealTime::chkVisc_Click() { redrawOnClick(*this); }

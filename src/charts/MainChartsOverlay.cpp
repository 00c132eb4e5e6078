// The overlay of a second stored test on the main window's 2-D chart: the
// second test bound by its kind, one more subset drawn from its rows.

#include "charts/MainCharts.h"

#include "charts/MainChartsParts.h"
#include "data/Numbers.h"
#include "data/TestKind.h"
#include "data/TestKindColumns.h"
#include "data/clsTEST_INFO.h"
#include "platform/Dialogs.h"
#include "platform/PeChart.h"

#include <QComboBox>
#include <cmath>

using namespace maincharts::parts;

namespace {

// A TEST_INFO cell as a number: 0 when it holds none.
double infoNumber(const RowArray& info, int column) {
    if (column >= info.size()) return 0.0;
    const QVariant& v = info[column];
    if (!v.isValid() || v.isNull()) return 0.0;
    bool ok = false;
    const double d = v.toDouble(&ok);
    if (ok && std::isfinite(d)) return d;
    const double parsed = Val(v.toString());
    return std::isfinite(parsed) ? parsed : 0.0;
}

QString infoText(const RowArray& info, int column) {
    if (column >= info.size() || info[column].isNull()) return QString();
    return info[column].toString();
}

}  // namespace

const QString MainCharts::kOverlapRefused = QStringLiteral(
    "Click here to overlap another test on graphs.  Charts cannot be overlapped when chart type is 'Visc Temp Vs. "
    "Time'.");

void MainCharts::DrawOverlay(const QString& overTestName, const RowArray& info) {
    OverTestName = overTestName;
    OverTestInfo = info;
    const QString kind = infoText(info, clsTEST_INFO::colBOB_NO);
    if (kind == kPvtKindText) {
        opened_.OveriniV = infoNumber(info, pvt::info::InitialVolume);
        opened_.OveriniD = infoNumber(info, pvt::info::InitialDensity);
        const double radius = Val(infoText(info, pvt::info::PistonRadius));
        OverPistonRadius = std::isfinite(radius) && radius > 0 ? radius : 0.0;
        OverlapPvtCharts();
        return;
    }
    if (kind == kSwellKindText) {
        // Stored in inches, as the opened swell test's.
        const double length = infoNumber(info, swell::info::SampleLength);
        OverSampleLength = length > 0 ? length : 0.001;
        OverlapLsmCharts();
        return;
    }
    bindSecondTest();
    bool curve = true;
    switch (c_.cmbChartType->currentIndex()) {
        case 0: ui::MsgBox(kOverlapRefused); curve = false; break;
        case 1: Overlap_StressRate(); break;
        case 2: Overlap_ViscTemp(); break;
        case 3: Overlap_ViscRate(); break;
        case 4: Overlap_StressTime(); break;
        case 5: Overlap_ViscTime(); break;
        default: curve = false; break;
    }
    if (curve) labelOverlaySubsets();
}

void MainCharts::bindSecondTest() {
    testResults_.Test_Id(roundHalfEven(infoNumber(OverTestInfo, clsTEST_INFO::colTEST_ID)));
    testResults_.ConnectX(connection_);
    ++SubsetCount;
    pesgo1_.setProp(pesgo::Subsets, int(SubsetCount));
}

void MainCharts::labelOverlaySubsets() {
    pesgo1_.setProp(pesgo::SubsetLabel, 0, opened_.OpenedTestName);
    pesgo1_.setProp(pesgo::SubsetLabel, SubsetCount - 1, OverTestName);
}

void MainCharts::OverlapPvtCharts() {
    bindSecondTest();
    bool curve = true;
    switch (c_.cmbChartType->currentIndex()) {
        case 0: ui::MsgBox(kOverlapRefused); curve = false; break;
        case 1: Overlap_DensityTemp(); break;
        case 2: Overlap_DensityPress(); break;
        default: curve = false; break;
    }
    if (curve) labelOverlaySubsets();
}

void MainCharts::OverlapLsmCharts() {
    bindSecondTest();
    const QString type = c_.cmbChartType->currentText();
    bool curve = true;
    if (type == QLatin1String("Swell,Temp,Press Vs Time")) {
        ui::MsgBox(kOverlapRefused);
        curve = false;
    } else if (type == QLatin1String("Swell Vs Time")) {
        OverlapSwellTimeChart();
    } else if (type == QLatin1String("Swell Vs Temp.")) {
        OverlapSwellTempChart();
    } else if (type == QLatin1String("Swell Vs Press.")) {
        OverlapSwellPressChart();
    } else if (type == QLatin1String("Swell Vs Speed")) {
        OverlapSwellSpeedChart();
    } else {
        curve = false;
    }
    if (curve) labelOverlaySubsets();
}

void MainCharts::overlayCurve(Quantity x, Quantity y, bool sorted) {
    using namespace pesgo;
    PeChart& g = pesgo1_;
    if (!OverTestName.isEmpty()) {
        // Counted in 32 bits in every curve: a test may hold more than 32,767 rows.
        const qint32 n = testResults_.TotalPoints();
        if (n > ChartPointCount) {
            g.setProp(Points, int(n));
            ChartPointCount = n;
        }
        if (n != 0) {
            const int s = SubsetCount - 1;
            const Sample sample = overSample();
            // Every row of the second test: the row filter is not applied.
            forEachRow(n, [&](qint32 i, const ResultRow& row) {
                g.setProp(XData, s, i, float(quantity(x, row, sample)));
                g.setProp(YData, s, i, float(quantity(y, row, sample)));
            });
            if (sorted) SortChartSubset(s, n);
        }
    }
    g.setProp(Action, i16(ActionRedraw));
}

void MainCharts::Overlap_StressRate() { overlayCurve(Quantity::ShearRate, Quantity::ShearStress, true); }
void MainCharts::Overlap_ViscTemp() { overlayCurve(Quantity::Temperature, Quantity::Viscosity, true); }
void MainCharts::Overlap_ViscRate() { overlayCurve(Quantity::ShearRate, Quantity::Viscosity, true); }
void MainCharts::Overlap_StressTime() { overlayCurve(Quantity::Time, Quantity::ShearStress, true); }
void MainCharts::Overlap_ViscTime() { overlayCurve(Quantity::Time, Quantity::Viscosity, true); }
void MainCharts::Overlap_DensityTemp() { overlayCurve(Quantity::Temperature, Quantity::Density, true); }
void MainCharts::Overlap_DensityPress() { overlayCurve(Quantity::PressureTenth, Quantity::Density, true); }
void MainCharts::OverlapSwellTimeChart() { overlayCurve(Quantity::Time, Quantity::Swell, true); }
void MainCharts::OverlapSwellTempChart() { overlayCurve(Quantity::TemperatureExact, Quantity::Swell, false); }
void MainCharts::OverlapSwellPressChart() { overlayCurve(Quantity::Pressure, Quantity::Swell, false); }
void MainCharts::OverlapSwellSpeedChart() { overlayCurve(Quantity::ShearRate, Quantity::Swell, false); }

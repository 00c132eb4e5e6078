// The main window's charts: the chart-type lists, the set-ups of both chart
// controls, the 2-D / 3-D choice and the dispatch to the builders, the row
// filter, the axis scales, the manual Y range, printing, and the rows and
// quantities every builder draws from. The builders of each test kind and the
// overlay of a second test are in the other MainCharts*.cpp files.

#include "charts/MainCharts.h"

#include "analysis/PvtDensity.h"
#include "analysis/SwellPercent.h"
#include "charts/ChartPrinting.h"
#include "charts/MainChartsParts.h"
#include "data/Globals.h"
#include "data/Numbers.h"
#include "data/TypedNumbers.h"
#include "data/Units.h"
#include "data/clsTEST_RESULT.h"
#include "platform/Dialogs.h"
#include "platform/Pe3dChart.h"
#include "platform/PeChart.h"
#include "platform/TrapErrors.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QPrinter>
#include <QSignalBlocker>
#include <QWidget>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <utility>

using namespace maincharts::parts;

namespace {

// The frame, grid and legend writes both 2-D set-ups make, in their order.
void frameLayout(PeChart& g) {
    using namespace pesgo;
    g.setProp(P48, i16(0));
    g.setProp(P13, i16(2));
    g.setProp(SubTitle, "");
    g.setProp(P29, true);
    g.setProp(P143, true);
    g.setProp(P153, true);
    g.setProp(P98, i16(3));
    g.setProp(P223, true);
    g.setProp(P137, i16(2));
    g.setProp(P140, i16(0));
    g.setProp(P141, true);
    g.setProp(P142, true);
    g.setProp(P43, i16(0));
    g.setProp(P19, i16(2));
    g.setProp(P228, i16(0));
    g.setProp(P203, i16(0));
}

// The closing writes of both 2-D set-ups: scales, then the redraw.
void scaleLayout(PeChart& g, int p178) {
    using namespace pesgo;
    g.setProp(P204, 1.3);
    g.setProp(P178, i16(p178));
    g.setProp(XAxisScale, i16(ScaleLinear));
    g.setProp(P66, true);
    g.setProp(P140, i16(3));
    g.setProp(P288, true);
    g.setProp(Action, i16(ActionRedraw));
}

}  // namespace

const QStringList MainCharts::kChartList2D = {
    QStringLiteral("Visc, Temp Vs Time"),        QStringLiteral("Shr. Stress Vs. Shr. Rate"),
    QStringLiteral("Visc Vs. Sample Temp"),      QStringLiteral("Visc. Vs. Shear Rate"),
    QStringLiteral("Shr. Stress Vs. Time"),      QStringLiteral("Visc Vs. Time"),
    QStringLiteral("Fann35, Temp, Press Vs. Time"),
};
const QStringList MainCharts::kChartList3D = {
    QStringLiteral("Visc Vs. Rate, Time"),
    QStringLiteral("Visc Vs. Rate, Temp"),
    QStringLiteral("Visc Vs. Temp, Pressure"),
};
const QStringList MainCharts::kChartListPVT = {
    QStringLiteral("Density,Press,Temp Vs. Time"),
    QStringLiteral("Density Vs. Temp"),
    QStringLiteral("Density Vs. Press"),
};
const QStringList MainCharts::kChartListLSM = {
    QStringLiteral("Swell,Temp,Press Vs Time"), QStringLiteral("Swell Vs Time"), QStringLiteral("Swell Vs Temp."),
    QStringLiteral("Swell Vs Press."),          QStringLiteral("Swell Vs Speed"),
};

double RoundToPlaces(double value, int places) {
    places = std::clamp(places, 0, 6);
    if (!std::isfinite(value)) {
        QString mask = QStringLiteral("##0");
        if (places > 0) mask += QStringLiteral(".") + QString(places, QLatin1Char('0'));
        return Val(Format(value, mask));
    }
    // The value's 15 significant digits, d.dddddddddddddde±x, as the mask reads them.
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, 14);
    const char* e = std::find(buf, res.ptr, 'e');
    int exponent = 0;
    std::from_chars(e + 1 + (e[1] == '+' ? 1 : 0), res.ptr, exponent);
    char digits[15];
    digits[0] = buf[0];
    std::copy(buf + 2, buf + 16, digits + 1);
    // Digits kept: those before the point and `places` after it.
    const int keep = exponent + 1 + places;
    if (keep >= 15) {
        // Nothing to round: the 15 digits as they stand.
        double whole = 0;
        std::from_chars(buf, res.ptr, whole);
        return value < 0 ? -whole : whole;
    }
    if (keep < 0) return 0.0;
    qint64 units = 0;
    for (int k = 0; k < keep; ++k) units = units * 10 + (digits[k] - '0');
    if (digits[keep] >= '5') ++units;  // halves away from zero
    if (units == 0) return 0.0;
    static constexpr double kScale[] = {1, 10, 100, 1000, 10000, 100000, 1000000};
    const double rounded = double(units) / kScale[places];
    return value < 0 ? -rounded : rounded;
}

double RoundOneDecimal(double value) {
    if (!std::isfinite(value)) return Val(Format(value, QStringLiteral("##0.0")));
    return RoundToPlaces(value, 1);
}

double ChartTemperature(double storedF) { return RoundOneDecimal(TempToDisplay(storedF)); }

MainCharts::MainCharts(PeChart& pesgo1, Pe3dChart& pe3do1, const ChartControls& controls, OpenedTest& opened,
                       clsTEST_RESULT& testResults, clsConnection* connection, QObject* parent)
    : QObject(parent),
      pesgo1_(pesgo1),
      pe3do1_(pe3do1),
      c_(controls),
      opened_(opened),
      testResults_(testResults),
      connection_(connection) {
    oldPrint2d_ = PeChart::setPrintHandler([&opened](PeChart& chart) {
        chartprint::printPage([&chart](QPrinter& printer) { return chart.print(printer); },
                              chartprint::PdfFileName(opened.OpenedTestName, chart.mainTitle()));
    });
    oldPrint3d_ = Pe3dChart::setPrintHandler([&opened](Pe3dChart& chart) {
        chartprint::printPage([&chart](QPrinter& printer) { return chart.print(printer); },
                              chartprint::PdfFileName(opened.OpenedTestName, chart.mainTitle()));
    });
}

MainCharts::~MainCharts() {
    PeChart::setPrintHandler(oldPrint2d_);
    Pe3dChart::setPrintHandler(oldPrint3d_);
}

// ---------------------------------------------------------------------------
// Set-ups

void MainCharts::Initial_Chart_Rheology() {
    using namespace pesgo;
    PeChart& g = pesgo1_;
    g.setProp(P226, i16(0));
    g.setProp(P93, i16(0));
    g.setProp(P226, -99999);
    g.setProp(P93, -99999);
    g.setProp(P206, true);
    g.setProp(P3, true);
    g.setProp(Subsets, i16(3));
    g.setProp(Points, i16(9999));
    for (int s = 0; s <= 3; ++s)
        for (int p = 0; p <= 3; ++p) g.setProp(YData, s, p, 0.0f);
    g.setProp(P256, false);
    g.setProp(SubsetLabel, 0, "Viscosity ");
    g.setProp(SubsetLabel, 1, "Pressure");
    g.setProp(SubsetLabel, 2, "Sample Temp");
    for (int s = 0; s < 3; ++s) g.setProp(MultiAxesSubsets, s, i16(1));
    g.setProp(OverlapMultiAxes, 0, i16(3));
    for (int s = 0; s < 3; ++s) g.setProp(P134, s, 11);
    g.setProp(P83, i16(0));
    g.setProp(P19, i16(2));
    g.setProp(P133, 0, 0);
    g.setProp(P133, 1, 1);
    g.setProp(P133, 2, 6);
    g.setProp(SubsetColor, 0, pepalette::Green);
    g.setProp(SubsetColor, 1, pepalette::Blue);
    g.setProp(SubsetColor, 2, pepalette::LightRed);
    g.setProp(P177, i16(15));
    g.setProp(P64, true);
    g.setProp(WorkingAxis, i16(0));
    g.setProp(YAxisColor, pepalette::Green);
    g.setProp(YAxisLabel, QStringLiteral("Viscosity ") + gViscLabel);
    g.setProp(WorkingAxis, i16(1));
    g.setProp(YAxisColor, pepalette::Blue);
    g.setProp(YAxisLabel, "Pressure (Psi)");
    g.setProp(WorkingAxis, i16(2));
    g.setProp(YAxisColor, pepalette::LightRed);
    g.setProp(YAxisLabel, QStringLiteral("Temperature ") + gTempLabel);
    g.setProp(WorkingAxis, i16(0));
    g.setProp(XAxisLabel, "Time (min)");
    g.setProp(MainTitle, "Viscosity, Pressure & Temperature Vs. Time");
    frameLayout(g);
    scaleLayout(g, 90);

    Pe3dChart& d = pe3do1_;
    d.setProp(pe3do::Subsets, i16(1));
    d.setProp(pe3do::Points, i16(0));
    d.setProp(Q5, pepalette::White);
    d.setProp(Q4, pepalette::Green);
    d.setProp(Q161, pepalette::White);
    d.setProp(Q162, pepalette::White);
    d.setProp(Q6, pepalette::White);
    d.setProp(Q7, pepalette::Black);
    d.setProp(pe3do::MainTitle, "Viscosity Vs. Shear Rate & Sample Temp");
    d.setProp(pe3do::SubTitle, "");
    d.setProp(Q155, i16(16));
    d.setProp(Q148, i16(149));
    d.setProp(Q19, i16(2));
    d.setProp(pe3do::XAxisLabel, "Time (min)");
    d.setProp(pe3do::ZAxisLabel, "Shear Rate (1/s)");
    d.setProp(pe3do::YAxisLabel, gUnitSystem == 1 ? "Viscosity (cP)" : "Viscosity (mPa.s)");
}

void MainCharts::Initial_Chart_2d() {
    using namespace pesgo;
    PeChart& g = pesgo1_;
    g.setProp(P226, i16(0));
    g.setProp(P93, i16(0));
    g.setProp(P206, true);
    g.setProp(P3, true);
    g.setProp(Subsets, i16(1));
    g.setProp(Points, i16(9999));
    for (int s = 0; s < 3; ++s) g.setProp(YData, s, -1, 0.0f);
    g.setProp(P256, false);
    for (int s = 0; s < 4; ++s) g.setProp(P134, s, 11);
    g.setProp(P83, i16(0));
    g.setProp(P64, true);
    g.setProp(WorkingAxis, i16(0));
    frameLayout(g);
    g.setProp(P223, false);
    scaleLayout(g, 75);
}

// ---------------------------------------------------------------------------
// Lists, mode and dispatch

void MainCharts::fillList(const QStringList& entries) {
    {
        const QSignalBlocker block(c_.cmbChartType);
        c_.cmbChartType->clear();
        c_.cmbChartType->addItems(entries);
        c_.cmbChartType->setCurrentIndex(0);
    }
    cmbChartType_Click();
}

void MainCharts::Fill_ChartList_2D() { fillList(kChartList2D); }
void MainCharts::Fill_ChartList_3D() { fillList(kChartList3D); }

void MainCharts::Fill_ChartList_PVT() {
    c_.Frame2->hide();
    c_.framData->hide();
    fillList(kChartListPVT);
}

void MainCharts::Fill_ChartList_LSM() {
    c_.Frame2->hide();
    c_.framData->hide();
    fillList(kChartListLSM);
}

void MainCharts::select(QAbstractButton* on, QAbstractButton* off) {
    on->setChecked(true);
    off->setChecked(false);
}

void MainCharts::opt2D_Click() {
    ChartMode = 1;
    select(c_.opt2D, c_.opt3D);
    pesgo1_.show();
    pe3do1_.hide();
    c_.framX->show();
    c_.framY->show();
    if (opened_.OpenedTestName.isEmpty()) {
        Fill_ChartList_2D();
    } else {
        switch (opened_.Kind()) {
            case TestKind::Rheology: Fill_ChartList_2D(); break;
            case TestKind::Pvt: Fill_ChartList_PVT(); break;
            case TestKind::Lsm: Fill_ChartList_LSM(); break;
            default: break;
        }
    }
    if (c_.cmbChartType->currentIndex() != 0) c_.cmdOverlap->setEnabled(true);
}

void MainCharts::opt3D_Click() {
    ChartMode = 2;
    select(c_.opt3D, c_.opt2D);
    pesgo1_.hide();
    pe3do1_.show();
    c_.framX->hide();
    c_.framY->hide();
    Fill_ChartList_3D();
    c_.cmdOverlap->setEnabled(false);
}

void MainCharts::cmbChartType_Click() {
    TrapErrors([this] { drawChosenChart(); });
}

void MainCharts::drawChosenChart() {
    if (opened_.OpenedTestName.isEmpty()) {
        const QSignalBlocker block(c_.cmbChartType);
        c_.cmbChartType->setCurrentIndex(0);
        return;
    }
    pesgo1_.setProp(pesgo::Action, i16(pesgo::ActionNewChart));
    pe3do1_.setProp(pe3do::Action, i16(pe3do::ActionNewChart));
    const int index = c_.cmbChartType->currentIndex();
    QAbstractButton* overlap = c_.cmdOverlap;

    switch (opened_.Kind()) {
        case TestKind::Rheology:
            Initial_Chart_Rheology();
            if (ChartMode == 1) {
                switch (index) {
                    case 0: DrawViscPressTempChart(); overlap->setEnabled(false); break;
                    case 1: Chart_StressRate(); overlap->setEnabled(true); break;
                    case 2: Chart_ViscTemp(); overlap->setEnabled(true); break;
                    case 3: Chart_ViscRate(); overlap->setEnabled(true); break;
                    case 4: Chart_StressTime(); overlap->setEnabled(true); break;
                    case 5: Chart_ViscTime(); overlap->setEnabled(true); break;
                    case 6: DrawFann35Chart(); overlap->setEnabled(false); break;
                    default: break;
                }
            } else {
                switch (index) {
                    case 0: Chart3D_ViscRateTime(); break;
                    case 1: Chart3D_ViscRateTemp(); break;
                    case 2: Chart3D_ViscPressTemp(); break;
                    default: break;
                }
            }
            break;
        case TestKind::Pvt:
            Initial_Chart_2d();
            switch (index) {
                case 0: DrawPvtChart(); overlap->setEnabled(false); break;
                case 1: Chart_DensityTemp(); overlap->setEnabled(true); break;
                case 2: Chart_DensityPress(); overlap->setEnabled(true); break;
                default: break;
            }
            break;
        case TestKind::Lsm:
            Initial_Chart_2d();
            switch (index) {
                case 0: DrawSwellAllChart(); overlap->setEnabled(false); break;
                case 1: DrawSwellTimeChart(); overlap->setEnabled(true); break;
                case 2: DrawSwellTempChart(); overlap->setEnabled(true); break;
                case 3: DrawSwellPressChart(); overlap->setEnabled(true); break;
                case 4: DrawSwellSpeedChart(); overlap->setEnabled(true); break;
                default: break;
            }
            break;
        default:
            break;
    }
}

// ---------------------------------------------------------------------------
// Row filter, axis scales, Y range, printing

bool MainCharts::PassesRowFilter(double resultTypeId) const {
    return (c_.optonlyRamp->isChecked() && resultTypeId == 1) || (c_.optNoRamp->isChecked() && resultTypeId == 0) ||
           (c_.optAllData->isChecked() && resultTypeId < 2);
}

void MainCharts::optAllData_Click() {
    c_.optAllData->setChecked(true);
    cmbChartType_Click();
}

void MainCharts::optNoRamp_Click() {
    c_.optNoRamp->setChecked(true);
    cmbChartType_Click();
}

void MainCharts::optonlyRamp_Click() {
    c_.optonlyRamp->setChecked(true);
    cmbChartType_Click();
}

void MainCharts::optXlog_Click() {
    select(c_.optXlog, c_.optXNormal);
    pesgo1_.setProp(pesgo::XAxisScale, i16(pesgo::ScaleLog));
    pesgo1_.setProp(pesgo::Action, i16(pesgo::ActionRedraw));
}

void MainCharts::optXNormal_Click() {
    select(c_.optXNormal, c_.optXlog);
    pesgo1_.setProp(pesgo::XAxisScale, i16(pesgo::ScaleLinear));
    pesgo1_.setProp(pesgo::Action, i16(pesgo::ActionRedraw));
}

void MainCharts::optYLog_Click() {
    select(c_.optYLog, c_.optYNormal);
    pesgo1_.setProp(pesgo::YAxisScale, i16(pesgo::ScaleLog));
    pesgo1_.setProp(pesgo::Action, i16(pesgo::ActionRedraw));
}

void MainCharts::optYNormal_Click() {
    select(c_.optYNormal, c_.optYLog);
    pesgo1_.setProp(pesgo::YAxisScale, i16(pesgo::ScaleLinear));
    pesgo1_.setProp(pesgo::Action, i16(pesgo::ActionRedraw));
}

void MainCharts::cmdPrintChart_Click() {
    TrapErrors([this] {
        if (c_.opt2D->isChecked()) pesgo1_.setProp(pesgo::Action, i16(pesgo::ActionPrint));
        else pe3do1_.setProp(pe3do::Action, i16(pe3do::ActionPrint));
    });
}

void MainCharts::Pesgo1_AxisEvent(short a, short b) {
    if (a == 0) {
        FillYRangeFrame();
        c_.Frame1->show();
        c_.Frame1->raise();  // over the chart
        c_.Text1->setFocus();
        c_.Text1->selectAll();
    }
    if (b != 0) {
        c_.Frame1->hide();
        ui::MsgBox(QStringLiteral("Not working for this axis"), ui::vbOKOnly);
    }
}

// Max and Min show the range now in force: the manual range as typed,
// otherwise the viscosity scale as drawn.
void MainCharts::FillYRangeFrame() {
    double lo = 0, hi = 0;
    if (pesgo1_.manualYRange()) {
        hi = std::max(pesgo1_.manualYMax(), pesgo1_.manualYMin());
        lo = std::min(pesgo1_.manualYMax(), pesgo1_.manualYMin());
    } else if (!pesgo1_.shownYRange(lo, hi)) {
        return;  // nothing drawn yet: the boxes keep what they hold
    }
    const auto text = [](double v) {
        if (std::abs(v) < 1e-12) v = 0.0;  // no "-0" or rounding dust
        return QString::number(v, 'g', 7);
    };
    c_.Text1->setText(text(hi));
    c_.Text2->setText(text(lo));
}

// The scale drawn runs exactly from Min to Max: what the user typed is what
// the axis shows at its ends. A box that holds no number (an empty one
// included) is refused by its name: the frame stays open and the scale as
// it was.
void MainCharts::Command1_Click() {
    for (const auto& [name, box] : {std::pair{QStringLiteral("Max"), c_.Text1}, std::pair{QStringLiteral("Min"), c_.Text2}}) {
        if (const auto refused = typed::RefusedNumber({name, box->text(), {}, box->objectName()})) {
            ui::MsgBox(refused->message, ui::vbOKOnly);
            box->setFocus();
            box->selectAll();
            return;
        }
    }
    const double max = *typed::TypedNumber(c_.Text1->text());
    const double min = *typed::TypedNumber(c_.Text2->text());
    pesgo1_.setProp(pesgo::ManualScaleControlY, i16(pesgo::ManualRange));
    pesgo1_.setProp(pesgo::ManualMaxY, max);
    pesgo1_.setProp(pesgo::ManualMinY, min);
    c_.Frame1->hide();
}

void MainCharts::Command2_Click() { c_.Frame1->hide(); }

// ---------------------------------------------------------------------------
// The rows and points of the builders

qint32 MainCharts::loadOpenedTestRows() {
    testResults_.Test_Id(opened_.OpenedTestId);
    testResults_.ConnectX(connection_);
    return testResults_.TotalPoints();
}

void MainCharts::SortChartSubset(int s, int n) { ::SortChartSubset(pesgo1_, s, n); }

// ---------------------------------------------------------------------------
// Quantities of a row

double MainCharts::quantity(Quantity q, const ResultRow& row, const Sample& sample) const {
    switch (q) {
        case Quantity::ShearRate: return row.rate;
        case Quantity::Time: return row.time / 60.0;
        case Quantity::Temperature: return ChartTemperature(row.temp);
        case Quantity::TemperatureExact: return TempToDisplay(row.temp);
        case Quantity::ShearStress: return StressToDisplay(row.stress);
        case Quantity::Viscosity: return curveViscosity(row.rate, row.stress);
        case Quantity::Pressure: return row.press;
        case Quantity::PressureWhole: return RoundToPlaces(row.press, 0);
        case Quantity::PressureTenth: return RoundToPlaces(row.press, 1);
        case Quantity::Density: {
            OpenedTest piston;
            piston.PvtPistonRadius = sample.pistonRadius;
            // A PVT row's RESULT_SHEAR_STRESS is its sample height (pvt::result::SampleHeight).
            return CalcPvtDensity(row.stress, sample.initialVolume, sample.initialDensity, row.press, row.temp, piston)
                .value_or(0.0);
        }
        // A swell row's RESULT_SHEAR_STRESS is its length change (swell::result::LengthChange).
        case Quantity::Swell: return swell::SwellPercent(row.stress, sample.sampleLength);
    }
    return 0.0;
}

MainCharts::Sample MainCharts::openedSample() const {
    Sample s;
    s.initialVolume = opened_.CuriniV;
    s.initialDensity = opened_.CuriniD;
    s.pistonRadius = opened_.PvtPistonRadius;
    s.sampleLength = opened_.LsmSampleLength > 0 ? opened_.LsmSampleLength : 0.001;
    return s;
}

MainCharts::Sample MainCharts::overSample() const {
    Sample s;
    s.initialVolume = opened_.OveriniV;
    s.initialDensity = opened_.OveriniD;
    // A second test that names no piston radius of its own is taken with the
    // opened test's.
    s.pistonRadius = OverPistonRadius > 0 ? OverPistonRadius : opened_.PvtPistonRadius;
    s.sampleLength = OverSampleLength > 0 ? OverSampleLength : 0.001;
    return s;
}

#pragma once
// The result charts of the main window: the chart-type lists, the 2-D / 3-D
// choice, the row filter, the axis scales, the manual Y range, printing and
// the chart builders of a stored test (rheology 2-D and 3-D, PVT, swell) and
// the overlay of a second stored test of the same kind.
//
// The class paints nothing itself and owns no window: it drives the two chart
// controls of the main window (Pesgo1, Pe3do1) through their numbered
// properties and reads and sets the main window's chart controls, which it is
// given as plain Qt widgets. Every handler is a method the main window's slot
// calls; the builders bind the main window's clsTEST_RESULT object to the
// opened test on every call, and so draw its rows as the database holds them
// then (the rows read before when the database has not changed since).
//
// Failures: the builders and set-ups trap nothing. The handlers that draw
// (cmbChartType_Click, and every handler that runs it) and cmdPrintChart_Click
// trap whatever fails below them (TrapErrors) and show "ERROR: " + number +
// ", " + description; a chart failure never leaves the handler.

#include "data/RecordBase.h"
#include "data/OpenedTest.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class PeChart;
class Pe3dChart;
class QAbstractButton;
class QComboBox;
class QLineEdit;
class QWidget;
class clsConnection;
class clsTEST_RESULT;

// The main window's chart controls, by their names on the window.
struct ChartControls {
    QWidget* Frame2 = nullptr;  // "DIM Scale:"
    QAbstractButton* opt2D = nullptr;
    QAbstractButton* opt3D = nullptr;
    QWidget* framData = nullptr;  // "Data"
    QAbstractButton* optAllData = nullptr;
    QAbstractButton* optNoRamp = nullptr;
    QAbstractButton* optonlyRamp = nullptr;
    QWidget* framX = nullptr;  // "X Scale:"
    QAbstractButton* optXlog = nullptr;
    QAbstractButton* optXNormal = nullptr;
    QWidget* framY = nullptr;  // "Y Scale:"
    QAbstractButton* optYLog = nullptr;
    QAbstractButton* optYNormal = nullptr;
    QComboBox* cmbChartType = nullptr;
    QAbstractButton* cmdOverlap = nullptr;
    QWidget* Frame1 = nullptr;  // "Y Axis Range"
    QLineEdit* Text1 = nullptr;  // Max
    QLineEdit* Text2 = nullptr;  // Min
};

class MainCharts : public QObject {
    Q_OBJECT
public:
    // The chart-type lists, in list order.
    static const QStringList kChartList2D;
    static const QStringList kChartList3D;
    static const QStringList kChartListPVT;
    static const QStringList kChartListLSM;

    // Installs the print handlers of both chart controls (the previous ones
    // come back when the object goes).
    MainCharts(PeChart& pesgo1, Pe3dChart& pe3do1, const ChartControls& controls, OpenedTest& opened,
               clsTEST_RESULT& testResults, clsConnection* connection, QObject* parent = nullptr);
    ~MainCharts() override;

    // ---- chart state of the main window -----------------------------------
    qint32 ChartMode = 1;        // 1 two-dimensional, 2 three-dimensional
    qint32 SubsetCount = 0;      // subsets on Pesgo1 (1 after a single-curve builder)
    qint32 ChartPointCount = 0;  // points per subset on Pesgo1
    RowArray CurResultRow;       // the result row read last by a builder

    // ---- the second test of the last overlay --------------------------------
    QString OverTestName;         // as chosen in the overlap chooser; label of its subset
    RowArray OverTestInfo;        // its TEST_INFO row
    double OverSampleLength = 0;  // swell: initial sample length, in. (never 0 or less)
    double OverPistonRadius = 0;  // PVT: its piston radius, cm (0 when it has none)
    // (a PVT second test's initial volume and density: OveriniV, OveriniD of
    // the opened test's record)

    // ---- set-ups ------------------------------------------------------------
    // Both controls in the viscosity, pressure and temperature layout.
    void Initial_Chart_Rheology();
    // Pesgo1 in the one-subset base state of the other 2-D charts.
    void Initial_Chart_2d();

    // ---- lists and handlers -------------------------------------------------
    // Clear the chart-type list, add the entries, select the first and draw
    // it. The PVT and swell fills hide Frame2 and framData first.
    void Fill_ChartList_2D();
    void Fill_ChartList_3D();
    void Fill_ChartList_PVT();
    void Fill_ChartList_LSM();

    void opt2D_Click();
    void opt3D_Click();
    // The dispatcher: draws the chosen chart of the opened test.
    void cmbChartType_Click();

    // Row filter options: select the button, then redraw.
    void optAllData_Click();
    void optNoRamp_Click();
    void optonlyRamp_Click();

    // Axis scales of the 2-D chart, each followed by a redraw.
    void optXlog_Click();
    void optXNormal_Click();
    void optYLog_Click();
    void optYNormal_Click();

    // Prints the chart shown (the print command of the chart in view).
    void cmdPrintChart_Click();

    // The axis event of Pesgo1 (a double-click on an axis): a = 0 opens the
    // Y-range frame; b not 0 closes it with "Not working for this axis".
    void Pesgo1_AxisEvent(short a, short b);
    // OK of the Y-range frame: manual Y range from Max (Text1) to Min
    // (Text2), exactly; then the frame is hidden. A box that holds no number
    // is refused by its name, the frame left open and the scale unchanged.
    void Command1_Click();
    // Cancel of the Y-range frame.
    void Command2_Click();
    // Fills Max and Min with the viscosity scale's range now in force.
    void FillYRangeFrame();

    // ---- row filter -----------------------------------------------------------
    // Whether a result row of this RESULT_TYPE_ID is drawn under the filter
    // options now selected.
    bool PassesRowFilter(double resultTypeId) const;

    // ---- rheology builders (2-D) ---------------------------------------------
    void DrawViscPressTempChart();
    void DrawFann35Chart();
    void Chart_StressRate();
    void Chart_ViscTemp();
    void Chart_ViscRate();
    void Chart_StressTime();
    void Chart_ViscTime();

    // ---- rheology builders (3-D) ---------------------------------------------
    // Viscosity of every row the filter keeps against two other quantities,
    // one point per kept row, numbered consecutively.
    void Chart3D_ViscRateTime();
    void Chart3D_ViscRateTemp();
    void Chart3D_ViscPressTemp();

    // ---- PVT builders -----------------------------------------------------------
    void DrawPvtChart();
    void Chart_DensityTemp();
    void Chart_DensityPress();

    // ---- swell builders -----------------------------------------------------------
    void DrawSwellAllChart();
    void DrawSwellTimeChart();
    void DrawSwellTempChart();
    void DrawSwellPressChart();
    void DrawSwellSpeedChart();

    // ---- overlay of a second test -----------------------------------------------
    // Draws the stored test named `overTestName` (its TEST_INFO row `info`)
    // as one more subset over the 2-D chart on show, by its kind and the chart
    // type: a PVT test through OverlapPvtCharts, a swell test through
    // OverlapLsmCharts, any other a rheology test. The first chart of every
    // list is refused with kOverlapRefused; the subset is added all the same.
    // Columns that hold no number count as 0.
    void DrawOverlay(const QString& overTestName, const RowArray& info);
    void OverlapPvtCharts();
    void OverlapLsmCharts();
    // The overlay curves: every row of the second test (bound to the result
    // records) into the newest subset.
    void Overlap_StressRate();
    void Overlap_ViscTemp();
    void Overlap_ViscRate();
    void Overlap_StressTime();
    void Overlap_ViscTime();
    void Overlap_DensityTemp();
    void Overlap_DensityPress();
    void OverlapSwellTimeChart();
    void OverlapSwellTempChart();
    void OverlapSwellPressChart();
    void OverlapSwellSpeedChart();

    static const QString kOverlapRefused;

    // Sorts the first n points of subset s of Pesgo1 by X, in place.
    void SortChartSubset(int s, int n);

    // The chart controls and the opened test this object works on.
    PeChart& Pesgo1() { return pesgo1_; }
    Pe3dChart& Pe3do1() { return pe3do1_; }
    const ChartControls& controls() const { return c_; }

private:
    void drawChosenChart();
    void fillList(const QStringList& entries);
    void select(QAbstractButton* on, QAbstractButton* off);

    // The single-curve family: one subset of X/Y pairs, one point position
    // per stored row, sorted by X.
    enum class Quantity {
        ShearRate,          // RESULT_SPEED as stored (also a PVT or swell test's speed)
        Time,               // min
        Temperature,        // display units, to 0.1
        TemperatureExact,   // display units
        ShearStress,        // display units
        Viscosity,          // cP
        Pressure,           // psi as stored
        PressureWhole,      // psi, "#########0" / "###0"
        PressureTenth,      // psi, "##0.0"
        Density,            // g/cm3 from the piston travel; 0 when it has no value
        Swell,              // % of the sample length
    };
    // What the quantities of a row are taken against: the opened test or the
    // second test of an overlay.
    struct Sample {
        double initialVolume = 0, initialDensity = 0, pistonRadius = 0, sampleLength = 0.001;
    };
    struct ResultRow;
    double quantity(Quantity q, const ResultRow& row, const Sample& sample) const;
    Sample openedSample() const;
    void singleCurveChart(const QString& xLabel, const QString& yLabel, const QString& title, Quantity x,
                          Quantity y);
    enum class Axes3D { RateTime, RateTemp, PressTemp };
    void chart3D(Axes3D axes);
    void densityChart(const QString& xLabel, const QString& title, Quantity x);
    void swellCurveChart(const QString& title, const QString& xLabel, const QString& yLabel, Quantity x);
    // The overlay pattern: N rows of the second test into subset
    // SubsetCount - 1, sorted by X when asked, then a redraw.
    void overlayCurve(Quantity x, Quantity y, bool sorted);
    Sample overSample() const;
    // Binds the result records to the second test, adds its subset.
    void bindSecondTest();
    void labelOverlaySubsets();
    // Binds the result records to the opened test and loads its rows; the
    // row count.
    qint32 loadOpenedTestRows();
    // The stored values of a result row the charts use, each from its column
    // whatever the kind: `rate` RESULT_SPEED (the rheology shear rate, the
    // PVT and swell rpm), `stress` RESULT_SHEAR_STRESS (the rheology shear
    // stress, the PVT sample height, the swell length change), `type`
    // RESULT_TYPE_ID (TestKindColumns.h).
    struct ResultRow {
        double time, temp, press, rate, stress, type;
    };
    // Walks the n loaded rows from the first, each visited as (position,
    // values); CurResultRow then holds the last row.
    template <class Visit>
    void forEachRow(qint32 n, Visit visit);
    // The time charts of three curves: each loaded row that `keep` passes
    // becomes one point of subsets 0, 1 and 2 of the 2-D chart, `point`
    // giving {X, Y of subset 0, Y of subset 1, Y of subset 2}; the point count
    // (known only after the walk) is written before the points.
    template <class Keep, class Point>
    void plotThreeSubsets(qint32 n, Keep keep, Point point);

    PeChart& pesgo1_;
    Pe3dChart& pe3do1_;
    ChartControls c_;
    OpenedTest& opened_;
    clsTEST_RESULT& testResults_;
    clsConnection* connection_;

    std::function<void(PeChart&)> oldPrint2d_;
    std::function<void(Pe3dChart&)> oldPrint3d_;
};

// A temperature for a chart: stored °F to display units, rounded to one
// decimal the way the mask "##0.0" rounds it.
double ChartTemperature(double storedF);
// A number as the mask "##0.0" shows it, read back: rounded to one decimal on
// its 15 significant digits, halves away from zero.
double RoundOneDecimal(double value);
// A number rounded the way a mask with `places` digits after the point rounds
// it (0 to 6 places), read back.
double RoundToPlaces(double value, int places);

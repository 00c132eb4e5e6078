#pragma once
// The two-dimensional chart control: a widget driven only by writing typed
// values to numbered properties (see pesgo:: for the numbers whose roles the
// program relies on), drawn with Qt Charts. Every write is kept and can be
// read back; the picture is rebuilt from the kept values by the redraw
// command, and at the next turn of the event loop after any other write.
//
// Drawing rules:
// - Subsets 0 .. (number of subsets - 1) are drawn, points 0 .. (number of
//   points - 1) of each; a point is drawn only when both its X and its Y value
//   were written (since the last new-chart command). Writes at other indices
//   (a subset beyond the count, point -1) are kept but never drawn.
// - Y axes: the per-axis subset counts hand the subsets to the value axes in
//   subset order; an axis whose right-hand subset count is r shows its last r
//   subsets on a right-hand scale. All axes share one plot area. The per-axis
//   counts are in force once written after the last change of the subset
//   count; until then every subset is drawn on axis 0.
// - Logarithmic scales skip values at or below 0.
// - Scales: an automatic linear scale ends on round steps just outside the
//   data (NiceScale); a Y scale spans at least a tenth of its values' size
//   (WithMinimumSpan), and the nearly constant curves of several scales are
//   each given their own height (FlatScales), not all the middle; the manual
//   range keeps its ends exactly, with ticks on round values
//   (RoundTicksWithin). Log scales run over whole decades. Where the data
//   come closer to an automatic scale's end than a marker's reach, the end
//   moves out by that little (RoomAtEnds): no point is drawn half outside
//   the plot area.
// - The X axis shows as many round ticks as its labels have room for (down
//   to two steps): none is cut short. A narrow or low chart keeps little
//   margin on those sides; one too low for its title and a whole X axis is
//   drawn without the title.
// - The legend is placed by this control, the chart's whole width under the
//   X axis, the chart keeping its room as a margin below.
// - Curves on scales of their own that would lie one over another (values
//   holding on the top of their scales, values rising together) are kept
//   apart by their automatic scales (ScalesApart): a later one takes another
//   round scale. Curves that would still hide one another (CoincidingCurves)
//   are set apart: a hidden line is drawn wider than the lines over it, so
//   that it shows as a border round them; markers drawn over hidden markers
//   are drawn smaller.
// - The Y scales are drawn by this control beside a plot area that leaves
//   each the room its labels and title need (see fitAxisFonts); the Qt axes
//   stay attached to the curves but do not show.
// - A subset whose X does not only rise is drawn as markers (XOnlyRises),
//   unless it is joined (SubsetJoined: a plan stepping from one value to the
//   next at one time).
// - A long curve reaches Qt Charts thinned to what the plot area can show
//   (ThinLine, ThinMarkers), and only once the axes, fonts and legend are
//   laid out; the store keeps every value, and a print draws every point.
// - The manual Y range (control value 3, then maximum and minimum) applies to
//   the main scale of axis 0; it lasts until the next new-chart command.
// - The new-chart command (20) forgets the point values, the right-hand scale
//   settings, the per-axis layout and the manual Y range; titles, labels,
//   colours and the axis scale types stay.
//
// The scale and tick arithmetic named above (NiceScale, ThinLine, ...) is in
// platform/PeChartScale.h; the control's own parts are in the PeChart*.cpp
// files named for them (see PeChart.cpp).

#include <QFont>
#include <QList>
#include <QMargins>
#include <QPen>
#include <QPointF>
#include <QPointer>
#include <QRectF>
#include <QWidget>
#include <functional>
#include <utility>
#include <vector>

#include "platform/PeChartScale.h"
#include "platform/PeControl.h"

class QChart;
class QChartView;
class QAbstractAxis;
class QGraphicsItem;
class QLineSeries;
class QPrinter;

namespace pesgo {

// Property numbers of the 2-D chart whose roles the program relies on.
enum Prop : int {
    MainTitle = 9,              // string
    SubTitle = 10,              // string
    Subsets = 11,               // number of subsets
    Points = 12,                // number of points per subset
    XAxisLabel = 32,            // string
    YAxisLabel = 33,            // label of the working axis's main scale
    XAxisScale = 40,            // ScaleLinear or ScaleLog
    YAxisScale = 41,            // ScaleLinear or ScaleLog (every Y axis)
    ManualScaleControlY = 55,   // ManualRange: manual Y range in force
    ManualMaxY = 56,            // double
    ManualMinY = 57,            // double
    RYAxisSubsets = 67,         // subsets of the working axis on its right-hand scale
    RYAxisLabel = 68,           // label of the working axis's right-hand scale
    Action = 108,               // command: ActionRedraw, ActionPrint, ActionNewChart
    XData = 128,                // (subset, point) single: X value of a point
    YData = 129,                // (subset, point) single: Y value of a point
    SubsetLabel = 131,          // (subset) string
    SubsetColor = 132,          // (subset) colour
    MultiAxesSubsets = 190,     // (axis) number of subsets on that axis
    WorkingAxis = 195,          // the axis that 33, 67, 68, 213, 214 apply to
    YAxisColor = 213,           // colour of the working axis's main scale
    RYAxisColor = 214,          // colour of the working axis's right-hand scale
    OverlapMultiAxes = 257,     // (0) number of value axes drawn in one plot area
    // This control's own (no number of the system's charts):
    SubsetJoined = 5000,        // (subset) Boolean: its points joined by a line, in their order, wherever X goes
};

// Property numbers that the charts' set-ups write by value and that nothing
// draws: the control stores them, and they read back as written, but no
// drawing rule above reads one, so a write of one (a line type, a grid, a
// font, a border, the legend's look) changes nothing on the chart. Named by
// number only, in a group of their own: a set-up's write of one is kept, not
// a setting that works.
enum StoredNotDrawn : int {
    P3 = 3, P6 = 6, P13 = 13, P19 = 19, P29 = 29, P43 = 43, P48 = 48, P64 = 64, P66 = 66, P83 = 83, P93 = 93,
    P98 = 98, P133 = 133, P134 = 134, P137 = 137, P140 = 140, P141 = 141, P142 = 142, P143 = 143, P153 = 153,
    P177 = 177, P178 = 178, P203 = 203, P204 = 204, P206 = 206, P223 = 223, P226 = 226, P228 = 228, P256 = 256,
    P288 = 288,
};

enum ActionValue : int { ActionRedraw = 0, ActionPrint = 8, ActionNewChart = 20 };
enum ScaleValue : int { ScaleLinear = 1, ScaleLog = 2 };
enum ManualScaleValue : int { ManualRange = 3 };

}  // namespace pesgo

class PeChart : public PeControl {
    Q_OBJECT
public:
    explicit PeChart(QWidget* parent = nullptr);
    ~PeChart() override;

    // Typed readers beyond the shared ones.
    int workingAxis() const;
    QString yAxisLabel(int axis) const;
    qint32 yAxisColor(int axis) const;
    QString rightAxisLabel(int axis) const;
    qint32 rightAxisColor(int axis) const;
    int rightAxisSubsets(int axis) const;
    int subsetsOnAxis(int axis) const;  // property 190 at that axis
    bool xLog() const;
    bool yLog() const;
    bool manualYRange() const;
    double manualYMax() const;
    double manualYMin() const;
    QString subsetLabel(int subset) const;
    qint32 subsetColor(int subset) const;  // the colour written, or the default one
    bool subsetJoined(int subset) const;
    float xData(int subset, int point) const;  // 0 when never written
    float yData(int subset, int point) const;
    bool hasXData(int subset, int point) const;
    bool hasYData(int subset, int point) const;
    // Exchanges two points of a subset (X and Y, written or not).
    void swapPoints(int subset, int a, int b);
    // Rearranges points 0 .. order.size() - 1 of a subset at once: position p
    // takes the point (X and Y, written or not) that position order[p] held.
    void permutePoints(int subset, const std::vector<int>& order);

    // The Y scales the next redraw lays out, in drawing order: every axis's
    // main scale, then every right-hand scale, each with its subsets.
    struct Scale {
        int axis = 0;
        bool rightHand = false;
        QList<int> subsets;
    };
    QList<Scale> yScales() const;

    // The Qt chart as last drawn.
    QChart* chart() const;
    QChartView* view() const;
    QAbstractAxis* xAxis() const;
    QList<QAbstractAxis*> yAxes() const;  // one per entry of the last yScales()

    // Rebuilds the Qt chart from the properties now set.
    void redraw() override;
    // What command 0 does: redraw(), or, when nothing but point values and
    // the point count were written since the last redraw through here, the
    // curves given their points anew and the axes laid out again only when a
    // scale's range or ticks changed. Either way the chart shows the same.
    void redrawAfterWrites();

    // The range of axis 0's main scale as drawn, from its first tick to its
    // last (the manual range as given); false before anything is drawn.
    bool shownYRange(double& lo, double& hi) const;


    // Axis labels and titles drawn cut short ("...") for want of room; empty
    // when every axis text shows in full.
    QStringList cutAxisTexts() const;
    // Sets the ranges and ticks of the axes for the chart's present size and
    // the axis text size at which every label has its room.
    void fitAxes();

    // Renders the chart on one page of the printer; false when it cannot paint.
    bool print(QPrinter& printer);
    bool printToPdf(const QString& fileName);

    // What the print command (8) does: by default the chart is printed on
    // the system's default printer. Returns the previous handler.
    using PrintHandler = std::function<void(PeChart&)>;
    static PrintHandler setPrintHandler(PrintHandler h);

    // The axis under a point of the view: flag a is 0 for a Y scale and 1 for
    // the X axis; flag b is 0 for the main scale of axis 0 and the scale's
    // position in yScales() for the others. False when no axis is there.
    bool axisAt(const QPoint& viewPos, short& a, short& b) const;

signals:
    // A double-click on an axis: the two flags of axisAt().
    void axisEvent(short a, short b);

protected:
    void handleDoubleClick(const QPoint& viewPos);

private:
    friend class PeChartView;
    void beforeWrite(int prop) override;
    void afterWrite(int prop) override;
    void command(int value) override;
    void newChart();
    void layoutChartFor(const QSizeF& size);
    QRectF plotForScales(bool* laidOut = nullptr) const;
    double edgeRoom() const;
    double xLabelsRoom(const pechart::LinearTicks& t) const;
    pechart::LinearTicks xTicksFitting(double lo, double hi, int most, double width) const;
    // Sets the ranges and ticks of the axes from the data (or the manual
    // range) for the plot area as laid out; tells which axes changed.
    enum : int { kXChanged = 1, kYChanged = 2 };
    int applyScales();
    // The ticks of the automatic Y scales (of axes[k], k from 1) changed
    // where their curves would lie over those of other scales (ScalesApart).
    void keepCurvesApart(const QList<QAbstractAxis*>& axes, std::vector<pechart::LinearTicks>& ticks,
                         const std::vector<bool>& movable, double pixels);
    // The width the X axis's title and labels need, with fewestSteps steps or more.
    double leastXRoom(int fewestSteps) const;
    void fitAxisFonts();
    // The steps of fitAxisFonts(): one pass of the scales' text size and
    // widths, the X axis's room and the chart's margins for them, the
    // legend ours to place (legendRoom: the height it takes).
    void layOutScales(const QRectF& whole, const QMargins& m, double& legendRoom);
    // The text size of the scales and their widths (titled) at it.
    double scaleTextSize(double chartWidth, QList<int>& widths, int& total) const;
    // The width each Y scale needs at that text size; their sum.
    int scaleWidthsAt(double pt, bool titled, QList<int>& widths) const;
    bool scaleTitlesFit(double pt, double plotHeight) const;
    // The margins that leave the scales their room beside the plot area, and
    // the width the X axis's ticks are chosen for.
    struct PlotRoom {
        QMargins margins;
        double xWidth = 0;
    };
    PlotRoom roomBesidePlot(const QRectF& whole, const QMargins& m, const QRectF& automatic, const QList<int>& widths,
                            double least, bool twoSteps) const;
    void detachLegend();
    // Scales drawn without their titles: the legend shown to name the curves.
    void nameUntitledCurves(double width, double& legendRoom);
    // The legend the whole chart's width, in the room kept for it under the X axis.
    void placeLegend(const QRectF& whole, const QMargins& m, double legendRoom);
    void drawScaleItems();
    void settleLayout();
    double legendHeightFor(double width);
    bool xAxisTextsCut() const;
    // The texts the Qt chart drew cut short below the plot area (the X
    // axis's) and, besideToo, beside it.
    QStringList chartTextsCut(bool besideToo) const;
    void setCurvesApart(const QList<pechart::CurvePixels>& drawn, const QSizeF& plot);
    void withholdPoints();
    void handOverPoints();
    void fitLegendFont();
    int scaleWidthNeeded(QAbstractAxis* axis, double pt, bool titled) const;
    void clearScaleItems();
    struct Band {
        double x0, x1;  // chart coordinates
    };
    QList<QGraphicsItem*> scaleItems_;  // the Y scales as drawn (see fitAxisFonts)
    QList<Band> scaleBands_;            // per entry of yAxes_
    QStringList cutScaleTexts_;
    // What fitAxisFonts laid the Y scales out with: their widths, whether
    // with titles, the text size.
    QList<int> scaleWidths_;
    bool scalesTitled_ = true;
    bool legendWanted_ = false;  // more than one curve: the legend names them
    QString titleText_;          // the chart's title and subtitle as set
    double scalePt_ = 9;
    double xFitWidth_ = 0;  // the width the X ticks are fitted to (0: the plot area's)
    QMargins baseMargins_;

    // What the ticks of each drawn axis are worked out from: X first, then
    // one entry per Y scale.
    struct AxisScaling {
        bool log = false;
        bool manual = false;
        bool isY = false;
        double lo = 0, hi = 1;
        bool valid = false;
        double roundLo = 0, roundHi = 1;  // first and last tick as applied
    };
    QList<AxisScaling> scaling_;
    bool fitting_ = false;

    // The curves as drawn: every point of each (what the store holds, less
    // what cannot be drawn), and what its Qt series was handed.
    struct Curve {
        QLineSeries* series = nullptr;
        QAbstractAxis* yAxis = nullptr;
        QList<QPointF> points;
        bool line = true;  // joined by a line; markers alone when X does not only rise
        QPen pen;                  // as set up, before it was set apart from others
        double markerSize = 0;     // likewise
        int rank = 0, of = 1;      // its place among the curves it coincides with
    };
    QList<Curve> curves_;
    // The steps of redraw(): the Qt chart emptied, the title, the curves with
    // the ranges of their values, the X axis, the Y scales with their curves.
    struct Ranges;
    void clearDrawing();
    void setTitleText();
    int buildCurves(bool logX, bool logY, Ranges& ranges);  // the number of series
    void addXAxis(bool logX, const Ranges& ranges);
    void addYScales(bool logY, const Ranges& ranges);
    // Each curve's course across the X axis as drawn (see ScalesApart), in
    // the order of curves_, with the points and the map it was traced from;
    // traced when the scales first need them after the curves took their
    // points, a live curve's moving on with it (CourseMovedOn).
    std::vector<pechart::CurveCourse> courses_;
    std::vector<QList<QPointF>> coursePoints_;
    pechart::AxisMap courseMap_;
    bool coursesTraced_ = false;
    void traceCourses(const pechart::AxisMap& map, int columns);
    // What keepCurvesApart last worked out, and from what (the plot's
    // height, each scale's own ticks and values' range, over the courses
    // traced).
    std::vector<double> apartFrom_;
    std::vector<pechart::LinearTicks> apartTicks_;
    QRectF shownPlot_;        // the plot area the series' points were thinned for
    bool thin_ = true;        // off while printing
    bool handOverPosted_ = false;
    QFont legendBaseFont_;

    QChart* chart_ = nullptr;
    QChartView* view_ = nullptr;
    QAbstractAxis* xAxis_ = nullptr;
    QList<QAbstractAxis*> yAxes_;
    QList<Scale> drawnScales_;
    bool layoutInForce_ = false;
    int subsetsBefore_ = 1;  // the subset count before a write of it
    // Nothing but points written since redrawAfterWrites() last drew.
    bool onlyPointsWritten_ = false;
    bool redrawPoints();
};

// Sorts the first n points of subset s by X in place, on the values the chart
// holds: for i = 1 to n and j = i to n, when X(j - 1) read back is strictly
// less than X(i - 1), the two points exchange X and Y. Ascending in X, not
// stable. A position never written reads as 0 and keeps being unwritten where
// it moves to, so it is still not drawn.
void SortChartSubset(PeChart& chart, int s, int n);

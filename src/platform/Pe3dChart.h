#pragma once
// The three-dimensional chart control: driven like the 2-D chart by typed
// writes to numbered properties (see pe3do:: for the numbers whose roles the
// program relies on), drawn as a 3-D scatter with Qt Data Visualization.
// Every write is kept and can be read back.
//
// Drawing rules: subsets 0 .. (number of subsets - 1), points
// 0 .. (number of points - 1); a point is drawn only when its X, Y and depth
// values were all written (since the last new-chart command); a subset of
// more than a few thousand points is drawn as plain points, not spheres. The
// horizontal axes have fixed lengths (X twice the depth) whatever their
// ranges. The 3-D view itself is made when the widget is first shown, so the
// control can be written, read and printed without a graphics context.

#include <QList>
#include <QVector3D>
#include <QWidget>
#include <functional>

#include "platform/PeControl.h"

class QLabel;
class QPrinter;
class QVBoxLayout;
class Q3DScatter;

namespace pe3do {

// Property numbers of the 3-D chart whose roles the program relies on.
enum Prop : int {
    MainTitle = 9,    // string
    SubTitle = 10,    // string
    Subsets = 11,     // number of subsets
    Points = 12,      // number of points per subset
    XAxisLabel = 32,  // string
    YAxisLabel = 33,  // string (the vertical axis)
    Action = 65,      // command: ActionRedraw, ActionPrint, ActionNewChart
    XData = 85,       // (subset, point) single
    YData = 86,       // (subset, point) single
    ZData = 92,       // (subset, point) single: depth value
    ZAxisLabel = 147, // string: label of the depth axis
};

enum ActionValue : int { ActionRedraw = 0, ActionPrint = 8, ActionNewChart = 20 };

}  // namespace pe3do

class Pe3dChart : public PeControl {
    Q_OBJECT
public:
    explicit Pe3dChart(QWidget* parent = nullptr);
    ~Pe3dChart() override;

    QString yAxisLabel() const;
    QString zAxisLabel() const;
    float xData(int subset, int point) const;
    float yData(int subset, int point) const;
    float zData(int subset, int point) const;

    // What the last redraw drew: per subset, its points as (X, Y, depth).
    const QList<QList<QVector3D>>& drawnPoints() const { return drawn_; }
    // The title text shown above the view as last drawn.
    QString shownTitle() const;

    void redraw() override;
    bool print(QPrinter& printer);
    bool printToPdf(const QString& fileName);

    // What the print command (8) does; by default the chart is printed on the
    // system's default printer. Returns the previous handler.
    using PrintHandler = std::function<void(Pe3dChart&)>;
    static PrintHandler setPrintHandler(PrintHandler h);

    // The 3-D view, once the widget has been shown (null before).
    Q3DScatter* graph() const { return graph_; }

protected:
    void showEvent(QShowEvent* e) override;

private:
    void command(int value) override;
    void makeGraph();
    void pushToGraph();

    QLabel* title_ = nullptr;
    QVBoxLayout* box_ = nullptr;
    Q3DScatter* graph_ = nullptr;
    QWidget* container_ = nullptr;
    QList<QList<QVector3D>> drawn_;
};

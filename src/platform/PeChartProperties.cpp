// The 2-D chart control's properties: the writes it follows and its typed
// readers.

#include "platform/PeChart.h"

using namespace pesgo;

namespace {

// Colours of subsets that were given none.
qint32 defaultSubsetColor(int subset) {
    static constexpr qint32 cycle[] = {pepalette::Green, pepalette::Blue, pepalette::LightRed, pepalette::Red,
                                       pepalette::Magenta, pepalette::Cyan, pepalette::Grey, pepalette::Brown};
    const int n = int(sizeof(cycle) / sizeof(cycle[0]));
    return cycle[((subset % n) + n) % n];
}

}  // namespace

// ---------------------------------------------------------------------------
// Writes and reads

void PeChart::beforeWrite(int p) {
    if (p == Subsets) subsetsBefore_ = subsets();
}

void PeChart::afterWrite(int p) {
    if (p == Subsets && subsets() != subsetsBefore_) layoutInForce_ = false;
    if (p == MultiAxesSubsets || p == OverlapMultiAxes) layoutInForce_ = true;
    if (p != XData && p != YData && p != Points && p != Action) onlyPointsWritten_ = false;
    PeControl::afterWrite(p);
}

int PeChart::workingAxis() const { return store_.get(WorkingAxis).toInt(); }
QString PeChart::yAxisLabel(int axis) const { return store_.get(YAxisLabel, axis).toString(); }
qint32 PeChart::yAxisColor(int axis) const {
    return store_.has(YAxisColor, axis) ? store_.get(YAxisColor, axis).toInt() : pepalette::Black;
}
QString PeChart::rightAxisLabel(int axis) const { return store_.get(RYAxisLabel, axis).toString(); }
qint32 PeChart::rightAxisColor(int axis) const {
    return store_.has(RYAxisColor, axis) ? store_.get(RYAxisColor, axis).toInt() : pepalette::Black;
}
int PeChart::rightAxisSubsets(int axis) const { return store_.get(RYAxisSubsets, axis).toInt(); }
int PeChart::subsetsOnAxis(int axis) const { return store_.get(MultiAxesSubsets, axis).toInt(); }
bool PeChart::xLog() const { return store_.get(XAxisScale).toInt() == ScaleLog; }
bool PeChart::yLog() const { return store_.get(YAxisScale).toInt() == ScaleLog; }
bool PeChart::manualYRange() const { return store_.get(ManualScaleControlY).toInt() == ManualRange; }
double PeChart::manualYMax() const { return store_.get(ManualMaxY).toDouble(); }
double PeChart::manualYMin() const { return store_.get(ManualMinY).toDouble(); }
QString PeChart::subsetLabel(int subset) const { return store_.get(SubsetLabel, subset).toString(); }
qint32 PeChart::subsetColor(int subset) const {
    return store_.has(SubsetColor, subset) ? store_.get(SubsetColor, subset).toInt() : defaultSubsetColor(subset);
}
bool PeChart::subsetJoined(int subset) const { return store_.get(SubsetJoined, subset).toBool(); }
float PeChart::xData(int s, int p) const { return store_.pointValue(XData, s, p); }
float PeChart::yData(int s, int p) const { return store_.pointValue(YData, s, p); }
bool PeChart::hasXData(int s, int p) const { return store_.pointWritten(XData, s, p); }
bool PeChart::hasYData(int s, int p) const { return store_.pointWritten(YData, s, p); }

void PeChart::swapPoints(int subset, int a, int b) {
    store_.swapPoints(subset, a, b);
    scheduleRefresh();
}

void PeChart::permutePoints(int subset, const std::vector<int>& order) {
    store_.permutePoints(subset, order);
    scheduleRefresh();
}

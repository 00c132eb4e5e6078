#include "platform/PeControl.h"

#include <QTimer>

namespace {
// The property numbers both controls give these roles.
enum : int { MainTitle = 9, SubTitle = 10, Subsets = 11, Points = 12, XAxisLabel = 32 };
}  // namespace

PeControl::PeControl(int commandProperty, QWidget* parent) : QWidget(parent), commandProperty_(commandProperty) {}

void PeControl::setProp(int p, const PeValue& v) {
    beforeWrite(p);
    store_.set(p, v);
    afterWrite(p);
    if (p == commandProperty_) command(v.toInt());
}

void PeControl::setProp(int p, int i, const PeValue& v) {
    beforeWrite(p);
    store_.set(p, i, v);
    afterWrite(p);
}

void PeControl::setProp(int p, int i, int j, const PeValue& v) {
    beforeWrite(p);
    store_.set(p, i, j, v);
    afterWrite(p);
}

void PeControl::afterWrite(int p) {
    if (p != commandProperty_) scheduleRefresh();
}

PeValue PeControl::prop(int p) const { return store_.get(p); }
PeValue PeControl::prop(int p, int i) const { return store_.get(p, i); }
PeValue PeControl::prop(int p, int i, int j) const { return store_.get(p, i, j); }
bool PeControl::hasProp(int p) const { return store_.has(p); }
bool PeControl::hasProp(int p, int i) const { return store_.has(p, i); }
bool PeControl::hasProp(int p, int i, int j) const { return store_.has(p, i, j); }

QString PeControl::mainTitle() const { return store_.get(MainTitle).toString(); }
QString PeControl::subTitle() const { return store_.get(SubTitle).toString(); }
int PeControl::subsets() const { return store_.has(Subsets) ? store_.get(Subsets).toInt() : 1; }
int PeControl::points() const { return store_.get(Points).toInt(); }
QString PeControl::xAxisLabel() const { return store_.get(XAxisLabel).toString(); }

void PeControl::scheduleRefresh() {
    dirty_ = true;
    if (refreshPosted_) return;
    refreshPosted_ = true;
    QTimer::singleShot(0, this, [this] {
        refreshPosted_ = false;
        if (dirty_) redraw();
    });
}

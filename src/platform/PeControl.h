#pragma once
// What the 2-D and 3-D chart controls share: properties written by number and
// kept in a store that can be read back, a redraw at the next turn of the
// event loop after a write, and a command property that runs its command at
// once.

#include <QWidget>

#include "platform/PeStore.h"

class PeControl : public QWidget {
public:
    // Writes: no index, one index (subset or axis), two indices (subset, point).
    void setProp(int prop, const PeValue& v);
    void setProp(int prop, int i, const PeValue& v);
    void setProp(int prop, int i, int j, const PeValue& v);

    // Reads of the value last written (empty when never written).
    PeValue prop(int prop) const;
    PeValue prop(int prop, int i) const;
    PeValue prop(int prop, int i, int j) const;
    bool hasProp(int prop) const;
    bool hasProp(int prop, int i) const;
    bool hasProp(int prop, int i, int j) const;

    // Typed readers of the properties both controls number alike.
    QString mainTitle() const;
    QString subTitle() const;
    int subsets() const;  // 1 until written
    int points() const;   // 0 until written
    QString xAxisLabel() const;

    // The write log (off by default): every write in order.
    PeStore& store() { return store_; }
    const PeStore& store() const { return store_; }

    // Rebuilds the drawing from the properties now set.
    virtual void redraw() = 0;

protected:
    PeControl(int commandProperty, QWidget* parent);

    // Around every write; afterWrite schedules the redraw.
    virtual void beforeWrite(int prop) {}
    virtual void afterWrite(int prop);
    // A value written to the command property.
    virtual void command(int value) = 0;
    // Redraws at the next turn of the event loop.
    void scheduleRefresh();

    PeStore store_;
    bool dirty_ = false;  // written since the last redraw

private:
    int commandProperty_;
    bool refreshPosted_ = false;
};

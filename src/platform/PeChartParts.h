#pragma once
// What the files of the 2-D chart control (PeChart*.cpp) share, and nothing
// outside the control uses: the ends of a log scale, a Y scale hidden from
// the Qt chart's own drawing, the font of the scales this control draws.

#include <QAbstractAxis>
#include <QFont>
#include <cmath>
#include <utility>

namespace pechart::parts {

// A Y scale this control draws itself: the chart draws nothing of it.
inline void hideAxisDrawing(QAbstractAxis* axis) {
    axis->setLabelsVisible(false);
    axis->setTitleVisible(false);
    axis->setLineVisible(false);
    axis->setGridLineVisible(false);
    axis->setMinorGridLineVisible(false);
    axis->setShadesVisible(false);
}

// The ends of a log scale: whole decades around the data (or the manual range).
inline std::pair<double, double> logEnds(bool valid, double dataLo, double dataHi, bool manual, double manualLo,
                                  double manualHi) {
    double lo = valid ? dataLo : 1.0;
    double hi = valid ? dataHi : 10.0;
    if (manual) {
        if (manualLo > 0) lo = manualLo;
        if (manualHi > 0) hi = manualHi;
        if (lo > hi) std::swap(lo, hi);
    } else {
        lo = std::pow(10.0, std::floor(std::log10(lo)));
        hi = std::pow(10.0, std::ceil(std::log10(hi)));
    }
    if (lo == hi) {
        lo /= 10.0;
        hi *= 10.0;
    }
    return {lo, hi};
}

inline QFont scaleFont(const QFont& base, double pt, bool bold) {
    QFont f(base);
    f.setPointSizeF(pt);
    f.setBold(bold);
    return f;
}

}  // namespace pechart::parts

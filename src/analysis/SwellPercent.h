#pragma once
// The swell of a linear swell test's sample: its length change as a
// percentage of its dry length, as the live window, its chart and the main
// window's charts show it. Both lengths in one unit (inches as stored).

namespace swell {

inline double SwellPercent(double lengthChange, double sampleLength) { return lengthChange / sampleLength * 100.0; }

}  // namespace swell

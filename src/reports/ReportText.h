#pragma once
// Small text helpers the CSV and printed reports share.

#include "data/RecordBase.h"

#include <QString>

namespace reporttext {

// A number through a mask; the empty text when it is not a finite number (a
// division by zero, an overflow), so no report shows "INF" or "NAN".
QString maskOrEmpty(double value, const QString& mask);

// A TEST_INFO value as the printed reports append it to its label: text
// unchanged, a number in its shortest decimal form without blanks, a
// date-time in the short date form followed by the time.
QString infoValue(const RowArray& info, int column);

}  // namespace reporttext

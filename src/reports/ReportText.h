#pragma once
// Small text helpers the reports share.

#include "data/RecordBase.h"

#include <QString>
#include <QVariant>

namespace reporttext {

// A number through a mask; the empty text when it is not a finite number (a
// division by zero, an overflow), so no report shows "INF" or "NAN".
QString maskOrEmpty(double value, const QString& mask);

// A TEST_INFO value as the printed reports append it to its label: text
// unchanged, a number in its shortest decimal form without blanks, a
// date-time in the short date form followed by the time.
QString infoValue(const QVariant& value);

// A swell test's sample length as stored (inches) in the display length unit
// (millimetres in SI), as every report of a swell test gives it; an empty or
// text cell unchanged.
QVariant sampleLengthShown(const QVariant& storedInches);

}  // namespace reporttext

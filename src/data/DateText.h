#pragma once
// Stored dates as the windows show them, in the system's own date form.

#include <QDateTime>
#include <QString>
#include <QVariant>

// The date alone in the system's short date form; empty for an invalid date.
QString ShortDateText(const QDateTime& t);

// A stored date in the general date form: the short date, followed by the
// time of day (with seconds) when it is not midnight. A value that is not a
// date is shown as it is; Null as the empty text.
QString GeneralDateText(const QVariant& value);

#pragma once
// Numbers as text, the one way every window does it:
//  - Format: the fixed number masks of the grids, reports and controls
//    ("0" digit always shown, "#" digit shown when significant, "." decimal
//    point, "%" per cent; rounded to the mask's last digit);
//  - CStr: the shortest decimal form (15 significant digits);
//  - Str: the form with a sign position (" 3", "-3");
//  - PrintNumber: the form numbers take in text files (" 3 ", "-3 ", " .5 ",
//    "-.25 ": no zero before the point);
//  - Val: the leading-number reading (never fails, 0 when no number leads);
//  - StrictNumber: the strict reading (the whole text must be a number).
// All of them use the C locale: a point for decimals, no grouping.

#include <QString>
#include <QVariant>
#include <optional>

// Formats a number (or a text holding a number) with a mask such as "##0.0",
// "#0.0###", "0.##%", "000.0" or "##0.". Halves round away from zero; other
// mask characters are copied; a value that rounds to zero shows no "-". A
// text that holds no number is returned unchanged, an empty (or null) QVariant
// gives the empty text, and an empty mask gives CStr. See NumberFormat.cpp.
QString Format(double value, const QString& mask);
QString Format(const QVariant& value, const QString& mask);

QString CStr(double value);
QString Str(double value);
QString PrintNumber(double value);

double Val(const QString& text);
std::optional<double> StrictNumber(const QString& text);

#pragma once
// A field of a CSV file as CSV readers take it.

#include <QString>

// In double quotes, its quotes doubled, when it holds a comma, a double
// quote, a carriage return or a line feed; otherwise unchanged.
QString CsvField(const QString& text);

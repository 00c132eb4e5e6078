#pragma once
// The unit port lines of the settings file, as the test container (its menus,
// a unit window's port) and the calibration window read them: lines 1 to 8 of
// "initial.txt" in the data folder hold the serial port number of units 1 to
// 8, one number per line (0: no such unit). Only these lines are read here;
// the file is opened, read and closed by each call.

#include <QString>
#include <functional>
#include <stdexcept>

namespace unit {

// A run-time error of reading the port lines: 53 "File not found",
// 75 "Path/File access error", 62 "Input past end of file" (fewer lines
// than asked for), and the refusals of the port lines' one rule
// (ReadPortLine, data/Settings.h): 13 "Type mismatch" (a line that does not
// begin with a number), 380 "Invalid property value" (a port outside 0 to 20).
class PortFileError : public std::runtime_error {
public:
    PortFileError(int number, const QString& description);
    int number() const { return number_; }
    const QString& description() const { return description_; }

private:
    int number_;
    QString description_;
};

inline constexpr int kUnitCount = 8;

// Reads the port lines of units 1 .. lastUnit in order and calls
// each(unit, port) after each one; stops at the first failure, which is
// raised (the units before it have been handed out). A port is read by
// ReadPortLine: the line's leading number taken to the nearest whole number
// (halves to even), 0 for an empty line.
void ReadUnitPorts(int lastUnit, const std::function<void(int unit, int port)>& each);

// The port of one unit (1 .. 8): the value of its line, read as above.
int ReadUnitPort(int unitNumber);

}  // namespace unit

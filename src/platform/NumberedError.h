#pragma once
// A failure that carries the run-time error number and description the
// operator sees in "ERROR: <number>, <description>" (database, printing).

#include <QString>
#include <stdexcept>

class NumberedError : public std::runtime_error {
public:
    NumberedError(int number, const QString& description)
        : std::runtime_error(description.toStdString()), number_(number), description_(description) {}
    int number() const { return number_; }
    const QString& description() const { return description_; }

private:
    int number_;
    QString description_;
};

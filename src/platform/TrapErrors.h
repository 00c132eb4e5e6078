#pragma once
// The guard of every event handler of the windows: a failure that reaches it
// is shown to the operator as "ERROR: <number>, <description>" and goes no
// further, so no exception ever leaves a Qt slot.

#include <QString>
#include <functional>
#include <stdexcept>

// A failure that carries the run-time error number and description the
// operator sees (printing, for one). Database failures are db::DbError.
class NumberedError : public std::runtime_error {
public:
    NumberedError(int number, const QString& description);
    int number() const { return number_; }
    const QString& description() const { return description_; }

private:
    int number_;
    QString description_;
};

// Runs the action; a failure is shown in a message box. True when the action
// ran to its end.
bool TrapErrors(const std::function<void()>& action);

// The number and description shown for the failure being handled (call it
// inside a catch block only).
struct TrappedError {
    int number = 0;
    QString description;
};
TrappedError CurrentError();

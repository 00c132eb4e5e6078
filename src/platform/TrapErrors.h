#pragma once
// The guard of every event handler of the windows: a failure that reaches it
// is shown to the operator as "ERROR: <number>, <description>" and goes no
// further, so no exception ever leaves a Qt slot.

#include "platform/NumberedError.h"

#include <QString>
#include <functional>

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

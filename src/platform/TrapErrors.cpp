#include "platform/TrapErrors.h"

#include "platform/Dialogs.h"

#include <exception>
#include <new>
#include <stdexcept>

TrappedError CurrentError() {
    try {
        throw;
    } catch (const NumberedError& e) {  // db::DbError among them
        return {e.number(), e.description()};
    } catch (const std::bad_alloc&) {
        return {7, QStringLiteral("Out of memory")};
    } catch (const std::out_of_range& e) {
        return {9, QString::fromLocal8Bit(e.what())};
    } catch (const std::invalid_argument& e) {
        return {13, QString::fromLocal8Bit(e.what())};
    } catch (const std::overflow_error& e) {
        return {6, QString::fromLocal8Bit(e.what())};
    } catch (const std::exception& e) {
        return {5, QString::fromLocal8Bit(e.what())};
    } catch (...) {
        return {5, QStringLiteral("Invalid procedure call or argument")};
    }
}

bool TrapErrors(const std::function<void()>& action) {
    try {
        action();
        return true;
    } catch (...) {
        const TrappedError e = CurrentError();
        try {
            ui::MsgBox(ui::errorText(e.number, e.description));
        } catch (...) {
            // Nothing more can be shown.
        }
        return false;
    }
}

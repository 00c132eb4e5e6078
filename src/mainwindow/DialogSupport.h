#pragma once
// Small things the test dialogs share: centring on the screen, and the guard
// of their event handlers, which shows a database failure as
// "ERROR: <number>, <description>" so that no failure leaves a Qt slot.

#include <functional>

class QWidget;

namespace dialogsupport {

// left = (screen width - window width) / 2, top = (screen height - window height) / 2.
void CentreOnScreen(QWidget* window);

// Runs the action; a db::DbError is shown in a message box. True when the
// action ran to its end.
bool TrapDbErrors(const std::function<void()>& action);

}  // namespace dialogsupport

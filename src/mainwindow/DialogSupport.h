#pragma once
// Small things the test dialogs share: centring on the screen. Their event
// handlers are guarded by TrapErrors (platform/TrapErrors.h).

class QWidget;

namespace dialogsupport {

// left = (screen width - window width) / 2, top = (screen height - window height) / 2.
void CentreOnScreen(QWidget* window);

}  // namespace dialogsupport

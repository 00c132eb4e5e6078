#pragma once
// The one seam through which a window shows another window modally. The
// default runs the dialog's own modal loop (QDialog::exec); tests install a
// handler that drives the dialog instead (sets its boxes, calls its buttons'
// handlers) and returns, so that no test ever waits on a modal window.

#include <functional>

class QDialog;

namespace ui {

// Shows the dialog modally and returns when it is hidden or closed; the
// result is the dialog's result code (QDialog::Accepted / Rejected).
using ModalShower = std::function<int(QDialog& dialog)>;

// Installs a shower (an empty one restores QDialog::exec); returns the previous one.
ModalShower setModalShower(ModalShower shower);

int ShowModal(QDialog& dialog);

}  // namespace ui

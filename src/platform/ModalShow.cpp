#include "platform/ModalShow.h"

#include <QDialog>

namespace ui {
namespace {
ModalShower& current() {
    static ModalShower shower;
    return shower;
}
}  // namespace

ModalShower setModalShower(ModalShower shower) {
    ModalShower previous = std::move(current());
    current() = std::move(shower);
    return previous;
}

int ShowModal(QDialog& dialog) {
    if (current()) {
        // A copy: the shower may install another one while it runs.
        ModalShower shower = current();
        return shower(dialog);
    }
    return dialog.exec();
}

}  // namespace ui

#include "unitbase/TripMessage.h"

#include "platform/Dialogs.h"

namespace unit {

bool TripMessageBox(const QString& message) {
    ui::Notify(message, ui::vbOKOnly);
    return true;
}

}  // namespace unit

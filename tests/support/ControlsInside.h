#pragma once
// Whether a window shows every one of its controls: the named controls (those
// its proportional layout places) that are visible and do not lie wholly
// inside the window, with their places, "; " between them; empty when there
// are none.

#include "dialogs/ControlLayout.h"

#include <QRect>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <string>

namespace testing_support {

inline std::string ControlsOutside(QWidget& window) {
    QStringList outside;
    for (QWidget* w : ControlLayout::Controls(&window)) {
        if (ControlLayout::IsSkipped(w) || !w->isVisibleTo(&window)) continue;
        const QRect inWindow(w->mapTo(&window, QPoint(0, 0)), w->size());
        if (!window.rect().contains(inWindow))
            outside << QStringLiteral("%1 at %2,%3 %4x%5")
                           .arg(w->objectName())
                           .arg(inWindow.x())
                           .arg(inWindow.y())
                           .arg(inWindow.width())
                           .arg(inWindow.height());
    }
    return outside.join(QStringLiteral("; ")).toStdString();
}

}  // namespace testing_support

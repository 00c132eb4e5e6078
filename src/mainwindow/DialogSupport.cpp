#include "mainwindow/DialogSupport.h"

#include "platform/Database.h"
#include "platform/Dialogs.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace dialogsupport {

void CentreOnScreen(QWidget* window) {
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->geometry();
    window->move(area.x() + (area.width() - window->width()) / 2, area.y() + (area.height() - window->height()) / 2);
}

bool TrapDbErrors(const std::function<void()>& action) {
    try {
        action();
        return true;
    } catch (const db::DbError& e) {
        ui::MsgBox(ui::errorText(e.number(), e.description()));
        return false;
    }
}

}  // namespace dialogsupport

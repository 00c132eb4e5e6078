#include "mainwindow/DialogSupport.h"

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

}  // namespace dialogsupport

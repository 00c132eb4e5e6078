#pragma once
// What the screen tests share: where the pictures go, letting the window
// system and the deferred redraws settle, and a measure of whether a region
// shows something.

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QRect>
#include <QSet>
#include <QString>
#include <QThread>
#include <QWidget>
#include <QWindow>

namespace testing_support {

// Where a picture goes: $Z3080_SCREENSHOT_DIR, or the working folder.
inline QString ScreenshotPath(const QString& name) {
    const QString dir = qEnvironmentVariable("Z3080_SCREENSHOT_DIR", QDir::currentPath());
    QDir().mkpath(dir);
    return QDir(dir).filePath(name);
}

// Lets the window system and the charts' deferred redraws settle for `ms`,
// longer (up to ten seconds) until the window is exposed. Objects let go with
// deleteLater (a chart's replaced axes among them) go as they would in the
// application's event loop.
inline void SettleWindow(QWidget& w, int ms = 600) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms || (w.windowHandle() && !w.windowHandle()->isExposed() && t.elapsed() < 10000)) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// Handles events for `ms`.
inline void Settle(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
}

// Distinct colours in a region of an image, every other pixel of every other
// row (a blank region has one).
inline int DistinctColours(const QImage& image, const QRect& region) {
    QSet<QRgb> seen;
    const QRect r = region.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); y += 2)
        for (int x = r.left(); x <= r.right(); x += 2) seen.insert(image.pixel(x, y));
    return int(seen.size());
}

}  // namespace testing_support

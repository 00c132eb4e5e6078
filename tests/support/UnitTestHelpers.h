#pragma once
// What the fixtures of the unit windows share: the settings file naming the
// units' ports, waiting on a simulated unit, and the sequence picker driven
// as the operator drives it.

#include "data/Globals.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QListWidget>
#include <QPushButton>
#include <QThread>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <initializer_list>

namespace testing_support {

// Writes the data folder's settings file with the ports of units 1 .. 8
// (missing ones 0), CGS units, K unit 1, SF 1, rates by speed.
inline void WritePortSettings(std::initializer_list<int> ports) {
    QByteArray text;
    int n = 0;
    for (int p : ports) {
        text += " " + QByteArray::number(p) + " \r\n";
        ++n;
    }
    for (; n < 8; ++n) text += " 0 \r\n";
    text += "CGS\r\nKunit ,1\r\nSF ,1\r\nBY the Speed\r\n";
    QFile f(dataFile(kSettingsFileName));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
}

// Runs `step` until `done` holds or `limit` passes; whether it came to hold.
inline bool Until(const std::function<void()>& step, const std::function<bool()>& done,
                  std::chrono::milliseconds limit = std::chrono::seconds(2)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        step();
        if (done()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        QThread::msleep(3);
    }
}

// Select in a window with a sequence picker, the sequence `name` chosen in
// the list, OK. A fatal failure when the picker does not open or does not
// list the name exactly once.
template <typename Window>
void PickSequence(Window& w, const QString& name) {
    w.cmdSelect->click();
    ASSERT_TRUE(w.cfNameSeq);
    const QList<QListWidgetItem*> items = w.cfNameSeq->lstSeqName->findItems(name, Qt::MatchExactly);
    ASSERT_EQ(items.size(), 1) << name.toStdString();
    w.cfNameSeq->lstSeqName->setCurrentItem(items[0]);
    w.cfNameSeq->cmdOk->click();
}

}  // namespace testing_support

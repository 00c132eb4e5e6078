// The message boxes that hold nothing back: shown and left open while the
// caller goes on, never stacked on an open box of the same words.

#include "platform/Dialogs.h"
#include "support/ScriptedDialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <gtest/gtest.h>

namespace {

QList<QMessageBox*> openBoxes() {
    QList<QMessageBox*> boxes;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) boxes << box;
    return boxes;
}

}  // namespace

TEST(Notify, TheRealBoxIsLeftOpenAndTheSameWordsAreNotStacked) {
    ui::Handler* scripted = ui::setHandler(nullptr);  // the real boxes
    ui::Notify("Pressure too high, test shutting down.");
    ui::Notify("Pressure too high, test shutting down.");  // the same, still open
    ui::Notify("ERROR :database is locked");
    QList<QMessageBox*> boxes = openBoxes();
    ASSERT_EQ(boxes.size(), 2);
    EXPECT_EQ(ui::OpenNotifications(), 2);
    EXPECT_FALSE(boxes[0]->isModal());
    EXPECT_EQ(boxes[0]->windowTitle(), ui::appTitle());

    for (QMessageBox* box : boxes)
        if (box->text().startsWith("Pressure")) box->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(ui::OpenNotifications(), 1);
    ui::Notify("Pressure too high, test shutting down.");  // shown again once closed
    EXPECT_EQ(openBoxes().size(), 2);

    for (QMessageBox* box : openBoxes()) box->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(ui::OpenNotifications(), 0);
    ui::setHandler(scripted);
}

TEST(Notify, ATestCanLeaveTheBoxOpen) {
    testing_support::ScriptedDialogs dialogs;
    ui::Notify("Trip");  // answered at once, as any message box
    EXPECT_EQ(dialogs.texts(), QStringList{"Trip"});
    EXPECT_EQ(ui::OpenNotifications(), 0);

    dialogs.keepNotificationsOpen = true;
    ui::Notify("Trip");
    ui::Notify("Trip");
    EXPECT_EQ(dialogs.texts(), (QStringList{"Trip", "Trip"}));
    EXPECT_EQ(ui::OpenNotifications(), 1);
    dialogs.closeNotifications();
    EXPECT_EQ(ui::OpenNotifications(), 0);
}

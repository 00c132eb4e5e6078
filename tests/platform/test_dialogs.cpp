// The message boxes that hold nothing back: shown and left open while the
// caller goes on, never stacked on an open box of the same words and source,
// and kept until the operator closes them, whatever other window closes.

#include "platform/Dialogs.h"
#include "support/ScriptedDialogs.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

QList<QMessageBox*> openBoxes() {
    QList<QMessageBox*> boxes;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) boxes << box;
    return boxes;
}

// Whether a message box was told that a modal window blocks it.
struct BlockedSeen : QObject {
    bool seen = false;
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() == QEvent::WindowBlocked && qobject_cast<QMessageBox*>(watched)) seen = true;
        return false;
    }
};

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

// A box that comes while another window is active (the test information
// dialog, a question, any dialog) belongs to no window: it stays, open and
// on top, when that window closes and goes. Over a modal window it does not
// open at all until that window has gone: it covers no question and takes
// none of its keys.
TEST(Notify, TheBoxStaysWhenTheWindowActiveAtItsComingCloses) {
    ui::Handler* scripted = ui::setHandler(nullptr);  // the real boxes
    const QString words = QStringLiteral("Pressure too high, test shutting down.");
    struct Case {
        const char* what;
        bool modal;
    } cases[] = {{"a dialog shown", false}, {"a modal dialog answered", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QPointer<QDialog> dialog = new QDialog;
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        const QDialog* made = dialog;
        QWidget* active = nullptr;
        if (c.modal) {
            QTimer::singleShot(0, [&] {
                active = QApplication::activeModalWidget();
                BlockedSeen blocked;
                qApp->installEventFilter(&blocked);
                ui::Notify(words);  // from a tick while the dialog is open
                QCoreApplication::processEvents();
                qApp->removeEventFilter(&blocked);
                EXPECT_FALSE(blocked.seen);
                // Not shown over the dialog, but open all the same.
                EXPECT_TRUE(openBoxes().isEmpty());
                EXPECT_EQ(ui::OpenNotifications(), 1);
                EXPECT_EQ(QApplication::activeModalWidget(), active);
                dialog->accept();
            });
            dialog->exec();
            QCoreApplication::processEvents();
        } else {
            dialog->show();
            QApplication::setActiveWindow(dialog);
            active = QApplication::activeWindow();
            ui::Notify(words);
            dialog->close();
        }
        EXPECT_EQ(active, made);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(dialog.isNull());

        const QList<QMessageBox*> boxes = openBoxes();
        ASSERT_EQ(boxes.size(), 1);
        EXPECT_EQ(boxes[0]->text(), words);
        EXPECT_EQ(boxes[0]->parentWidget(), nullptr);
        EXPECT_FALSE(boxes[0]->isModal());
        EXPECT_TRUE(boxes[0]->windowFlags() & Qt::WindowStaysOnTopHint);
        EXPECT_TRUE(boxes[0]->testAttribute(Qt::WA_ShowWithoutActivating));
        EXPECT_EQ(ui::OpenNotifications(), 1);
        boxes[0]->close();  // the operator's OK
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(ui::OpenNotifications(), 0);
    }
    ui::setHandler(scripted);
}

// Within a source's scope (a unit window's tick) the box names the source:
// the same words from two units are two boxes, from one unit one box.
TEST(Notify, TheRealBoxNamesItsSource) {
    ui::Handler* scripted = ui::setHandler(nullptr);
    const QString words = QStringLiteral("Pressure too high, test shutting down.");
    {
        const ui::NotifySource unit(QStringLiteral("Unit 1"));
        ui::Notify(words);
    }
    {
        const ui::NotifySource unit(QStringLiteral("Unit 3"));
        ui::Notify(words);
        const ui::NotifySource inner(QStringLiteral(" Unit 1"));
        ui::Notify(words);  // unit 1's box is still open
    }
    ui::Notify(QStringLiteral("ERROR :database is locked"));  // no source: the program's title
    QStringList titles;
    for (QMessageBox* box : openBoxes()) titles << box->windowTitle() + ": " + box->text();
    titles.sort();
    EXPECT_EQ(titles, (QStringList{"Z3080DAQ - Unit 1: " + words, "Z3080DAQ - Unit 3: " + words,
                                   "Z3080DAQ: ERROR :database is locked"}));
    for (QMessageBox* box : openBoxes()) box->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(ui::OpenNotifications(), 0);
    ui::setHandler(scripted);
}

// Every scaled window the main window opens, at the screen scales an operator
// sets (0.6 to 1.5): the window grows or shrinks with its controls, never
// past the screen's available area, and shows every control inside itself.
// The offscreen screen (800 x 600) is smaller than a lab's: a dialog that
// would not fit is made as large as the area.

#include "mainwindow/MainWindowFixture.h"

#include "dialogs/DialogSupport.h"
#include "dialogs/frmOverlapTest.h"
#include "dialogs/frmTestRelatedInfo.h"
#include "dialogs/frmViewRelatedInfo.h"
#include "sequences/frmSetup.h"
#include "support/ControlsInside.h"

#include <QApplication>
#include <functional>
#include <memory>

using testing_support::ControlsOutside;
using testing_support::DataFolderTest;

namespace {

class WindowScales : public DataFolderTest {
protected:
    void SetUp() override {
        DataFolderTest::SetUp();
        connection_.OpenDB();
    }
    clsConnection connection_;
};

struct Window {
    const char* name;
    QSize designed;
    std::function<std::unique_ptr<QWidget>(clsConnection*)> open;
};

}  // namespace

TEST_F(WindowScales, EachWindowGrowsOrShrinksWithItsControlsAndShowsThemAllInsideTheScreen) {
    const Window windows[] = {
        {"frmOpenTest", {600, 420},
         [](clsConnection* c) {
             auto d = std::make_unique<frmOpenTest>(c);
             d->Form_Load();
             return std::unique_ptr<QWidget>(std::move(d));
         }},
        {"frmOverlapTest", {600, 420}, [](clsConnection* c) { return std::make_unique<frmOverlapTest>(c, 0); }},
        {"frmViewRelatedInfo", {800, 540}, [](clsConnection*) { return std::make_unique<frmViewRelatedInfo>(); }},
        {"frmTestRelatedInfo", {820, 560}, [](clsConnection* c) { return std::make_unique<frmTestRelatedInfo>(c); }},
        {"frmSetup", {1000, 700}, [](clsConnection* c) { return std::make_unique<frmSetup>(c); }},
    };
    for (const Window& k : windows) {
        for (const double sf : {0.6, 1.0, 1.5}) {
            SCOPED_TRACE(std::string(k.name) + " at " + std::to_string(sf));
            gSF = sf;
            std::unique_ptr<QWidget> w = k.open(&connection_);
            ASSERT_NE(w, nullptr);
            w->show();
            QApplication::processEvents();
            const QRect area = dialogsupport::AvailableArea(w.get());
            const QSize scaled(qRound(k.designed.width() * sf), qRound(k.designed.height() * sf));
            // At least as large as the factor makes it, as far as the screen allows.
            const QSize least = scaled.boundedTo(area.size() - QSize(40, 40));  // its title bar and borders
            EXPECT_GE(w->frameGeometry().width(), least.width());
            EXPECT_GE(w->frameGeometry().height(), least.height());
            EXPECT_TRUE(area.contains(w->frameGeometry()))
                << w->frameGeometry().x() << "," << w->frameGeometry().y() << " " << w->frameGeometry().width() << "x"
                << w->frameGeometry().height() << " in " << area.width() << "x" << area.height();
            EXPECT_EQ(ControlsOutside(*w), "");
            w->showMaximized();
            QApplication::processEvents();
            EXPECT_EQ(ControlsOutside(*w), "");
            w->close();
        }
    }
}

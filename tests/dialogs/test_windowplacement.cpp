// Windows open inside the screen's available area: the placing of a frame
// in an area, and a window centred on its screen.

#include "dialogs/DialogSupport.h"

#include <QWidget>
#include <gtest/gtest.h>

using dialogsupport::CentreIn;
using dialogsupport::PlaceInside;

namespace {

// A 1600 x 1000 screen with a 40-high task bar at the bottom.
const QRect kArea(0, 0, 1600, 960);

TEST(WindowPlacement, AFrameIsMovedTheLeastWayInsideTheArea) {
    struct Case {
        const char* what;
        QRect window;
        QRect area;
        QPoint placed;
    } cases[] = {
        {"inside already", {300, 100, 1000, 730}, kArea, {300, 100}},
        {"below the bottom edge", {300, 290, 1000, 730}, kArea, {300, 230}},
        {"past the right edge", {900, 100, 1000, 730}, kArea, {600, 100}},
        {"above and left of the area", {-50, -20, 1000, 730}, kArea, {0, 0}},
        {"an area not at the origin", {0, 0, 400, 300}, {1600, 24, 1280, 776}, {1600, 24}},
        {"taller than the area", {300, 200, 1000, 1100}, kArea, {300, 0}},
        {"wider and taller than the area", {100, 100, 1700, 1100}, kArea, {0, 0}},
        {"exactly the area", {0, 0, 1600, 960}, kArea, {0, 0}},
    };
    for (const Case& c : cases) {
        const QRect placed = PlaceInside(c.window, c.area);
        EXPECT_EQ(placed.topLeft(), c.placed) << c.what;
        EXPECT_EQ(placed.size(), c.window.size()) << c.what;
        if (c.window.width() <= c.area.width() && c.window.height() <= c.area.height()) {
            EXPECT_TRUE(c.area.contains(placed)) << c.what;
        }
    }
    // No screen: the window stays where it is.
    EXPECT_EQ(PlaceInside(QRect(5, 6, 7, 8), QRect()), QRect(5, 6, 7, 8));
}

TEST(WindowPlacement, CentredInTheAreaAndInsideIt) {
    EXPECT_EQ(CentreIn(QSize(1000, 730), kArea), QRect(300, 115, 1000, 730));
    EXPECT_EQ(CentreIn(QSize(1000, 730), QRect(1600, 24, 1280, 776)), QRect(1740, 47, 1000, 730));
    // Larger than the area: its top left corner at the area's.
    EXPECT_EQ(CentreIn(QSize(1000, 730), QRect(0, 0, 800, 600)).topLeft(), QPoint(0, 0));
}

TEST(WindowPlacement, AWindowCentredOnItsScreenLiesInsideItsAvailableArea) {
    QWidget w;
    w.resize(300, 200);
    w.move(5000, 5000);
    dialogsupport::CentreOnScreen(&w);
    const QRect area = dialogsupport::AvailableArea(&w);
    ASSERT_TRUE(area.isValid());
    EXPECT_TRUE(area.contains(w.frameGeometry())) << w.frameGeometry().x() << "," << w.frameGeometry().y();
    w.move(area.right() - 10, area.bottom() - 10);
    dialogsupport::KeepOnScreen(&w);
    EXPECT_TRUE(area.contains(w.frameGeometry()));
}

}  // namespace

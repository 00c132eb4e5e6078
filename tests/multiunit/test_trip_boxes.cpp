// The boxes of a safety trip name their unit: two units tripping with the
// same words show two boxes, each naming its unit, and a unit's trip while
// its box of the same words is still open adds none.

#include "support/UnitWindowFixture.h"

#include "multiunit/frmMDIRealTime.h"
#include "rheology/frmRealTime.h"
#include "support/UnitSimulator.h"
#include "unitlink/SafetyWatch.h"

#include <chrono>
#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <algorithm>

using namespace unit_tests;
using testing_support::ManualTickSource;
using testing_support::UnitSimulator;

namespace {

using TripBoxes = UnitWindowFixture;

int StopFrames(const UnitSimulator& unit) {
    const auto commands = unit.commands();
    return int(std::count_if(commands.begin(), commands.end(), [](const auto& c) { return c.bytes == "\x04\r"; }));
}

}  // namespace

TEST_F(TripBoxes, TwoUnitsTrippingWithTheSameWordsShowTwoBoxesEachNamingItsUnit) {
    struct Kind {
        const char* what;
        UnitWindowKind kind;
        unit::WatchedTest test;
    } kinds[] = {
        {"rheology", UnitWindowKind::RealTime, unit::WatchedTest::Rheology},
        {"simple", UnitWindowKind::Simple, unit::WatchedTest::Simple},
        {"PVT", UnitWindowKind::Pvt, unit::WatchedTest::Pvt},
        {"swell", UnitWindowKind::Swell, unit::WatchedTest::Swell},
    };
    writePorts({1, 0, 3});
    for (const Kind& k : kinds) {
        SCOPED_TRACE(k.what);
        dialogs.clear();
        dialogs.keepNotificationsOpen = true;
        UnitSimulator unit1, unit3;
        for (auto [unit, port] : {std::pair{&unit1, 1}, std::pair{&unit3, 3}}) {
            unit->setPeriod(40);
            unit->attachToPort(port);
            unit->start();
        }
        frmMDIRealTime mdi(&conn);
        mdi.MDIForm_Load();
        mdi.show();
        const auto open = [&](int n) -> UnitWindow* {
            QAction* entry = mdi.Entry(k.kind, n);
            if (!entry || !entry->isEnabled()) return nullptr;
            entry->trigger();
            for (QMdiSubWindow* sub : mdi.mdiArea->subWindowList())
                if (UnitWindow* w = frmMDIRealTime::UnitOf(sub); w && w->kind() == k.kind && w->UnitLabel() == QStringLiteral("Unit %1").arg(n))
                    return w;
            return nullptr;
        };
        UnitWindow* w1 = open(1);
        UnitWindow* w3 = open(3);
        ASSERT_TRUE(w1 && w3);
        ASSERT_TRUE(w1->MSComm1.PortOpen() && w3->MSComm1.PortOpen());
        auto& timer1 = static_cast<ManualTickSource&>(w1->Timer1.source());
        auto& timer3 = static_cast<ManualTickSource&>(w3->Timer1.source());
        const auto tickBoth = [&] {
            timer1.fire();
            timer3.fire();
        };
        const QString words = unit::TripMessage(k.test, unit::SafetyTrip::OverTemperature);
        // The titles of the boxes with the trip's words (the swell window
        // says first that the unit has no sensor calibration).
        const auto tripTitles = [&](const QString& prompt) {
            QStringList titles;
            for (const ui::MessageRequest& m : dialogs.messages)
                if (m.prompt == prompt) titles << m.title;
            titles.sort();
            return titles;
        };

        // Both units report ten frames over 610 °F.
        unit1.runOverTemperature(12, 650);
        unit3.runOverTemperature(12, 650);
        ASSERT_TRUE(until(tickBoth, [&] { return StopFrames(unit1) > 0 && StopFrames(unit3) > 0; }));
        ASSERT_EQ(tripTitles(words).size(), 2) << dialogs.texts().join(" | ").toStdString();
        EXPECT_EQ(tripTitles(words), (QStringList{ui::appTitle() + " - Unit 1", ui::appTitle() + " - Unit 3"}));

        // Unit 1 trips again while its box is open, after readings within the
        // limit (a reading that stays beyond a stopped unit's limit trips
        // nothing more): no second box over it.
        const auto within = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
        until([&] { timer1.fire(); }, [&] { return std::chrono::steady_clock::now() > within; });
        const int stops = StopFrames(unit1);
        unit1.runOverTemperature(12, 650);
        ASSERT_TRUE(until([&] { timer1.fire(); }, [&] { return StopFrames(unit1) > stops; }));
        EXPECT_EQ(tripTitles(words).size(), 2);
        dialogs.closeNotifications();
        unit1.stop();
        unit3.stop();
        mdi.close();
    }
}

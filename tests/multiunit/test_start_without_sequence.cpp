// Start without a sequence says that one must be picked first, in every
// kind's window, before anything else: also on a unit whose port is not
// open, and nothing is asked, stored or sent.

#include "support/UnitWindowFixture.h"

#include "pvt/frmPVTtest.h"
#include "rheology/frmRealTime.h"
#include "swell/frmSWMTest.h"
#include "unitrun/RunMessages.h"

#include <QPushButton>
#include <functional>
#include <memory>

using namespace unit_tests;

namespace {

using StartWithoutSequence = UnitWindowFixture;

}  // namespace

TEST_F(StartWithoutSequence, EveryKindSaysASequenceMustBePickedFirst) {
    struct Case {
        const char* kind;
        std::function<std::unique_ptr<UnitWindow>()> open;
        std::function<QPushButton*(UnitWindow&)> start;
        QString message;
    };
    const Case cases[] = {
        {"rheology",
         [this] {
             auto w = std::make_unique<frmRealTime>();
             w->InitialInst(&conn);
             return std::unique_ptr<UnitWindow>(std::move(w));
         },
         [](UnitWindow& w) { return static_cast<frmRealTime&>(w).cmdStart_Stop; }, runloop::SelectSequenceFirstMessage()},
        {"PVT",
         [this] {
             auto w = std::make_unique<frmPVTtest>();
             w->InitialInst(&conn);
             return std::unique_ptr<UnitWindow>(std::move(w));
         },
         [](UnitWindow& w) { return static_cast<frmPVTtest&>(w).cmdStart_Stop; }, runloop::SelectSequenceFirstMessage()},
        {"swell", [this] { return std::unique_ptr<UnitWindow>(std::make_unique<frmSWMTest>(1, &conn)); },
         [](UnitWindow& w) { return static_cast<frmSWMTest&>(w).cmdStart; }, QStringLiteral("PLEASE SELECT SEQUENCE FIRST")},
    };
    for (const Case& c : cases) {
        for (const bool portOpen : {false, true}) {
            SCOPED_TRACE(std::string(c.kind) + (portOpen ? " with its port" : " without its port"));
            std::unique_ptr<UnitWindow> w = c.open();
            QStringList sent;
            if (portOpen) {
                w->PortOpenHook = [] { return true; };
                w->SendHook = [&](const QString& f) { sent << f; };
            }
            dialogs.clear();
            c.start(*w)->click();
            EXPECT_EQ(dialogs.texts(), QStringList{c.message});
            EXPECT_TRUE(sent.isEmpty());
        }
    }
    EXPECT_EQ(runloop::SelectSequenceFirstMessage(), "Select sequence first");
}

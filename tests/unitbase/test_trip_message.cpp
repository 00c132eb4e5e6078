// The message box a safety trip shows in the rheology, PVT and simple windows.

#include "unitbase/TripMessage.h"
#include "support/QtPrint.h"
#include "support/ScriptedDialogs.h"

#include <gtest/gtest.h>

TEST(TripMessage, IsABoxWithOkOnly) {
    testing_support::ScriptedDialogs dialogs;
    EXPECT_TRUE(unit::TripMessageBox(QStringLiteral("Pressure too high, test shutting down.")));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].prompt, "Pressure too high, test shutting down.");
    EXPECT_EQ(dialogs.messages[0].style, ui::vbOKOnly);
}

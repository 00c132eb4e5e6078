// Main of every test binary: an offscreen QApplication, and dialogs that are
// answered instead of shown, so that no test can block on a modal window.

#include <QApplication>
#include <gtest/gtest.h>

#include "platform/Workbook.h"
#include "support/ScriptedDialogs.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    testing_support::ScriptedDialogs fallback;  // answers dialogs of tests that set up none
    Workbook::setOpener([](const QString&) { return true; });  // saved workbooks are not shown
    return RUN_ALL_TESTS();
}

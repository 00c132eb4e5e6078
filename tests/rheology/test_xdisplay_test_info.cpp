// A picture of the test information dialog as the rheology window's Start
// shows it (its captions and units are the rheology test's: Bob_Length, cm,
// no piston), filled in as an operator would, on a real X display.
//
// Needs an X display: ctest runs it a second time under xvfb-run; in the
// offscreen run it skips itself. The picture goes to build/screenshots/.

#include "RunWindowFixture.h"

#include "support/Screenshots.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QScreen>

using namespace unit_tests;

namespace {

class XDisplayTestInfo : public RunWindowFixture {};

}  // namespace

TEST_F(XDisplayTestInfo, TheRheologyWindowsTestInformationDialog) {
    if (QGuiApplication::platformName() != QStringLiteral("xcb"))
        GTEST_SKIP() << "needs an X display (ctest runs it under xvfb-run)";
    StoreSequence(conn, "Ramp 300F", {SeqStep{10, 300}});
    pick("Ramp 300F");
    int shown = 0;
    const ui::ModalShower previous = ui::setModalShower([&](QDialog& dialog) {
        auto& d = dynamic_cast<frmTestRelatedInfo&>(dialog);
        ++shown;
        d.show();
        d.txtTestName->setText(QStringLiteral("XL-GUAR30-250F-0418"));
        d.txtFluidId->setText(QStringLiteral("Guar 30 ppt, borate XL"));
        d.txtResearchName->setText(QStringLiteral("A. Moreau"));
        d.txtBobNo->setText(QStringLiteral("B1"));
        d.txtSAFETY->setPlainText(QStringLiteral("Crosslinked at 80 °F, heated to 250 °F."));
        FlexGrid& grid = *d.MSFlexGrid1;
        grid.TextMatrix(1, 0, QStringLiteral("Guar gum (WG-36) 30 ppt"));
        grid.TextMatrix(1, 1, QStringLiteral("30"));
        grid.TextMatrix(1, 2, QStringLiteral("ppt"));
        grid.TextMatrix(1, 3, QStringLiteral("G-2024-117"));
        testing_support::SettleWindow(d);
        QPixmap shot = d.screen()->grabWindow(d.winId());
        if (shot.isNull()) shot = d.grab();
        EXPECT_TRUE(shot.toImage().save(testing_support::ScreenshotPath(QStringLiteral("test-info-rheology.png"))));
        EXPECT_EQ(d.Label1(1)->text(), QStringLiteral("Bob_Length"));
        d.cmdCancel_Click();
        return int(QDialog::Rejected);
    });
    w->cmdStart_Stop->click();
    ui::setModalShower(previous);
    EXPECT_EQ(shown, 1);
}

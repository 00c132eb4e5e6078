#include "dialogs/ControlLayout.h"

#include "data/Globals.h"
#include "platform/FlexGrid.h"
#include "support/ControlsInside.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <gtest/gtest.h>
#include <limits>
#include <memory>

namespace {

template <typename W>
W* control(QWidget* parent, const char* name, QRect geometry) {
    auto* w = new W(parent);
    w->setObjectName(QString::fromLatin1(name));
    w->setGeometry(geometry);
    return w;
}

// A window of 400 x 300 with the kinds of controls the windows have.
struct Form {
    QWidget window;
    QPushButton* cmdOk;
    QComboBox* cmbChartType;
    QGroupBox* Frame1;
    QLineEdit* txtInner;
    FlexGrid* MSFlexGrid1;
    QMenuBar* mnuFile;
    QLabel* unnamed;
    QTimer* Timer1;
    QWidget* framButtons;  // laid out by a Qt layout: its button is not ours to move
    QPushButton* cmdInLayout;

    Form() {
        window.resize(400, 300);
        cmdOk = control<QPushButton>(&window, "cmdOk", {40, 30, 80, 20});
        cmbChartType = control<QComboBox>(&window, "cmbChartType", {200, 100, 120, 24});
        Frame1 = control<QGroupBox>(&window, "Frame1", {10, 150, 200, 100});
        txtInner = control<QLineEdit>(Frame1, "txtInner", {10, 20, 100, 20});
        MSFlexGrid1 = control<FlexGrid>(&window, "MSFlexGrid1", {220, 150, 160, 120});
        mnuFile = control<QMenuBar>(&window, "mnuFile", {0, 0, 400, 20});
        unnamed = control<QLabel>(&window, "", {5, 280, 30, 10});
        Timer1 = new QTimer(&window);
        Timer1->setObjectName("Timer1");
        framButtons = control<QWidget>(&window, "framButtons", {300, 20, 90, 40});
        cmdInLayout = new QPushButton(framButtons);
        cmdInLayout->setObjectName("cmdInLayout");
        (new QHBoxLayout(framButtons))->addWidget(cmdInLayout);
    }
};

}  // namespace

TEST(ControlLayout, TheCollectionIsTheNamedControlsAtEveryLevel) {
    Form f;
    const QList<QWidget*> expected{f.cmdOk, f.cmbChartType, f.Frame1, f.txtInner, f.MSFlexGrid1, f.mnuFile, f.framButtons};
    EXPECT_EQ(ControlLayout::Controls(&f.window), expected);

    // Controls on the pages of a tab widget count; the tab widget's own parts do not.
    QTabWidget* tabs = control<QTabWidget>(&f.window, "SSTab1", {0, 0, 100, 100});
    auto* page = new QWidget;
    page->setObjectName("tabPage1");
    auto* onPage = control<QPushButton>(page, "cmdOnPage", {5, 5, 20, 20});
    tabs->addTab(page, "Page");
    const QList<QWidget*> all = ControlLayout::Controls(&f.window);
    EXPECT_TRUE(all.contains(tabs));
    EXPECT_TRUE(all.contains(onPage));
    EXPECT_FALSE(all.contains(page));
}

TEST(ControlLayout, ResizingPutsEachControlAtItsFractions) {
    Form f;
    ControlLayout layout(&f.window, ControlLayout::Unscaled);
    layout.Save_Control_Layout();
    ASSERT_TRUE(layout.recorded());
    const ControlLayoutEntry e = layout.entryOf(f.cmdOk);
    EXPECT_FLOAT_EQ(e.Width, 0.2f);
    EXPECT_FLOAT_EQ(e.Height, 20.0f / 300);
    EXPECT_FLOAT_EQ(e.Top, 0.1f);
    EXPECT_FLOAT_EQ(e.Left, 0.1f);
    EXPECT_FLOAT_EQ(layout.entryOf(f.mnuFile).Width, 0.0f);  // a menu is skipped

    const QRect labelBefore = f.unnamed->geometry();
    const QRect menuBefore = f.mnuFile->geometry();
    const QRect inLayoutBefore = f.cmdInLayout->geometry();

    f.window.resize(800, 600);
    layout.Form_Resize();
    EXPECT_EQ(f.cmdOk->geometry(), QRect(80, 60, 160, 40));
    EXPECT_EQ(f.cmbChartType->geometry(), QRect(400, 200, 120, 24));  // moved, not sized
    EXPECT_EQ(f.Frame1->geometry(), QRect(20, 300, 400, 200));
    EXPECT_EQ(f.txtInner->geometry(), QRect(20, 40, 200, 40));  // same place within its frame
    EXPECT_EQ(f.MSFlexGrid1->geometry(), QRect(440, 300, 320, 240));
    EXPECT_EQ(f.framButtons->geometry(), QRect(600, 40, 180, 80));
    EXPECT_EQ(f.unnamed->geometry(), labelBefore);
    EXPECT_EQ(f.mnuFile->geometry(), menuBefore);
    EXPECT_EQ(f.cmdInLayout->geometry(), inLayoutBefore);

    // Any later size is taken from the recorded fractions, not from the
    // current geometry; a control moved by the program goes back.
    f.cmdOk->move(0, 0);
    f.window.resize(600, 450);
    layout.Form_Resize();
    EXPECT_EQ(f.cmdOk->geometry(), QRect(60, 45, 120, 30));
    f.window.resize(400, 300);
    layout.Form_Resize();
    EXPECT_EQ(f.cmdOk->geometry(), QRect(40, 30, 80, 20));
    EXPECT_EQ(f.txtInner->geometry(), QRect(10, 20, 100, 20));
}

TEST(ControlLayout, AClientAreaOfOnePixelOrLessMovesNothing) {
    for (const QSize size : {QSize(400, 1), QSize(1, 300), QSize(0, 0)}) {
        Form f;
        ControlLayout layout(&f.window, ControlLayout::Unscaled);
        layout.Save_Control_Layout();
        f.window.resize(size);
        layout.Form_Resize();
        EXPECT_EQ(f.cmdOk->geometry(), QRect(40, 30, 80, 20)) << size.width() << "x" << size.height();
        EXPECT_EQ(f.Frame1->geometry(), QRect(10, 150, 200, 100));
    }
}

TEST(ControlLayout, ScaledWindowsEnlargeByTheScaleFactor) {
    struct Restore {
        double sf = gSF;
        ~Restore() { gSF = sf; }
    } restore;
    gSF = 1.2;
    Form scaled, unscaled;
    ControlLayout a(&scaled.window, ControlLayout::Scaled);
    ControlLayout b(&unscaled.window, ControlLayout::Unscaled);
    a.Save_Control_Layout();
    b.Save_Control_Layout();
    gSF = 1.0;  // a later change does not touch a loaded window

    // The window grows with its controls: 20 % further from the corner and
    // 20 % larger, inside a window 20 % larger.
    a.Form_Resize();
    b.Form_Resize();
    EXPECT_EQ(scaled.window.size(), QSize(480, 360));
    EXPECT_EQ(a.DesignedSize(), QSize(480, 360));
    EXPECT_EQ(unscaled.window.size(), QSize(400, 300));
    EXPECT_EQ(scaled.cmdOk->geometry(), QRect(48, 36, 96, 24));
    EXPECT_EQ(scaled.Frame1->geometry(), QRect(12, 180, 240, 120));
    EXPECT_EQ(scaled.txtInner->geometry(), QRect(12, 24, 120, 24));
    EXPECT_EQ(scaled.cmbChartType->geometry(), QRect(240, 120, 120, 24));
    EXPECT_EQ(unscaled.cmdOk->geometry(), QRect(40, 30, 80, 20));
}

TEST(ControlLayout, AtEveryScaleEachControlLiesInsideItsWindowAndItsTextFits) {
    struct Restore {
        double sf = gSF;
        ~Restore() { gSF = sf; }
    } restore;
    for (const double sf : {0.3, 0.6, 1.0, 1.5}) {
        SCOPED_TRACE(sf);
        gSF = sf;
        Form f;
        f.cmdOk->setText("Cancel");  // fits its designed button, not one at 0.3 of it
        ControlLayout layout(&f.window, ControlLayout::Scaled);
        layout.Save_Control_Layout();
        layout.Form_Resize();
        // As large as the factor makes it, never smaller than its texts need.
        const QSize scaled(qRound(400 * sf), qRound(300 * sf));
        EXPECT_EQ(f.window.size(), scaled.expandedTo(layout.ReadableSize()));
        EXPECT_GE(f.cmdOk->width(), ControlLayout::TextRoom(f.cmdOk).width());
        EXPECT_EQ(testing_support::ControlsOutside(f.window), "");
    }
}

TEST(ControlLayout, AFactorNoLayoutCanUseLaysTheWindowOutUnscaled) {
    struct Restore {
        double sf = gSF;
        ~Restore() { gSF = sf; }
    } restore;
    // As the settings take 0: the designed geometry, never negative, empty or endless.
    for (const double sf : {0.0, -2.0, 0.1, 1e300, std::numeric_limits<double>::infinity(),
                            std::numeric_limits<double>::quiet_NaN()}) {
        SCOPED_TRACE(sf);
        gSF = sf;
        Form f;
        ControlLayout layout(&f.window, ControlLayout::Scaled);
        layout.Save_Control_Layout();
        layout.Form_Resize();
        EXPECT_EQ(f.cmdOk->geometry(), QRect(40, 30, 80, 20));
        EXPECT_EQ(f.Frame1->geometry(), QRect(10, 150, 200, 100));
    }
}

TEST(ControlLayout, AnEmptyClientAreaAtLoadRecordsNothing) {
    Form f;
    f.window.resize(0, 0);
    ControlLayout layout(&f.window, ControlLayout::Unscaled);
    layout.Save_Control_Layout();
    EXPECT_FALSE(layout.recorded());
    f.window.resize(800, 600);
    layout.Form_Resize();
    EXPECT_EQ(f.cmdOk->geometry(), QRect(40, 30, 80, 20));
}

namespace {
// A window that wires the layout as every resizable window does.
class LayoutWindow : public QWidget {
public:
    std::unique_ptr<ControlLayout> layout;

protected:
    void resizeEvent(QResizeEvent* e) override {
        QWidget::resizeEvent(e);
        if (layout) layout->Form_Resize();
    }
};
}  // namespace

TEST(ControlLayout, TheWindowsResizeEventReappliesTheLayout) {
    LayoutWindow w;
    w.resize(400, 300);
    auto* cmdOk = control<QPushButton>(&w, "cmdOk", {40, 30, 80, 20});
    auto* grid = control<FlexGrid>(&w, "MSFlexGrid1", {200, 150, 160, 120});
    w.layout = std::make_unique<ControlLayout>(&w, ControlLayout::Unscaled);
    w.layout->Save_Control_Layout();
    w.show();
    QApplication::processEvents();
    EXPECT_EQ(cmdOk->geometry(), QRect(40, 30, 80, 20));

    w.resize(800, 450);
    QApplication::processEvents();
    ASSERT_EQ(w.size(), QSize(800, 450));
    EXPECT_EQ(cmdOk->geometry(), QRect(80, 45, 160, 30));
    EXPECT_EQ(grid->geometry(), QRect(400, 225, 320, 180));
    // The grid's own parts follow the grid, not the window's fractions.
    EXPECT_EQ(grid->horizontalHeader()->width(), grid->viewport()->width());
}

TEST(ControlLayout, AMinimisedWindowMovesNothingAndRestoringPutsControlsBack) {
    LayoutWindow w;
    w.resize(400, 300);
    auto* cmdOk = control<QPushButton>(&w, "cmdOk", {40, 30, 80, 20});
    w.layout = std::make_unique<ControlLayout>(&w, ControlLayout::Unscaled);
    w.layout->Save_Control_Layout();
    w.show();
    QApplication::processEvents();

    w.showMinimized();
    QApplication::processEvents();
    ASSERT_TRUE(w.isMinimized());
    cmdOk->move(0, 0);
    w.layout->Form_Resize();
    EXPECT_EQ(cmdOk->pos(), QPoint(0, 0));

    w.showNormal();
    QApplication::processEvents();
    w.layout->Form_Resize();
    EXPECT_EQ(cmdOk->geometry(), QRect(40, 30, 80, 20));
}

// The readable size is the smallest client size at which every caption still
// has the room of its text: just there every caption fits, a pixel less in
// either direction and one does not.
TEST(ControlLayout, TheReadableSizeIsWhereEveryCaptionJustFits) {
    QWidget window;
    window.resize(600, 400);
    auto* caption = control<QLabel>(&window, "Label1", {10, 10, 150, 22});
    caption->setText(QStringLiteral("Temperature Set Point:"));
    auto* tall = control<QLabel>(&window, "Label2", {10, 40, 40, 30});
    tall->setText(QStringLiteral("(psi)"));
    auto* name = control<QLabel>(&window, "lblTestname", {200, 10, 60, 22});
    name->setText(QStringLiteral("A test name far longer than its label"));
    ControlLayout::HoldsValue(name);  // its width never counts
    auto* hidden = control<QLabel>(&window, "Label3", {200, 40, 10, 10});
    hidden->setText(QStringLiteral("Hidden and long, it needs nothing"));
    hidden->hide();
    auto* button = control<QPushButton>(&window, "cmdStart", {300, 10, 120, 30});
    button->setText(QStringLiteral("&Start"));
    auto* box = control<QLineEdit>(&window, "txtReading", {300, 60, 100, 24});

    ControlLayout layout(&window, ControlLayout::Unscaled);
    EXPECT_FALSE(layout.ReadableSize().isValid());  // nothing recorded yet
    layout.Save_Control_Layout();
    EXPECT_EQ(layout.DesignedSize(), QSize(600, 400));
    const QSize readable = layout.ReadableSize();
    ASSERT_TRUE(readable.isValid());

    auto fits = [&](const QSize& size) {
        window.resize(size);
        layout.Form_Resize();
        const QFontMetrics fm = caption->fontMetrics();
        const QSize buttonRoom = ControlLayout::TextRoom(button), boxRoom = ControlLayout::TextRoom(box);
        EXPECT_GT(buttonRoom.width(), fm.horizontalAdvance(QStringLiteral("Start")));
        EXPECT_GT(boxRoom.width(), fm.horizontalAdvance(ControlLayout::kReadingSample));
        const bool wide = fm.size(0, caption->text()).width() <= caption->contentsRect().width() &&
                          fm.size(0, tall->text()).width() <= tall->contentsRect().width() &&
                          buttonRoom.width() <= button->width() && boxRoom.width() <= box->width();
        const bool high = fm.height() <= caption->height() && fm.height() <= tall->height() &&
                          buttonRoom.height() <= button->height() && boxRoom.height() <= box->height();
        return wide && high;
    };
    EXPECT_TRUE(fits(readable));
    EXPECT_FALSE(fits(readable - QSize(1, 0)));
    EXPECT_FALSE(fits(readable - QSize(0, 1)));
    EXPECT_TRUE(fits(readable + QSize(100, 100)));
    // The value's width is not taken: it would need far more.
    EXPECT_LT(readable.width(), name->fontMetrics().horizontalAdvance(name->text()) * 600 / 60);

    // Longer captions need a larger window.
    caption->setText(caption->text() + QStringLiteral(" (°F)"));
    EXPECT_GT(layout.ReadableSize().width(), readable.width());
}

// A status bar panel whose text fits it: the longest form that fits, the
// whole text in its tip, and a long text giving way before its neighbours.

#include "platform/StatusBarPanel.h"

#include <QApplication>
#include <QFontMetrics>
#include <QStatusBar>
#include <gtest/gtest.h>

namespace {

const QString kWhole = QStringLiteral("Unit 3, test \"Mud A\": 5 points waiting to be stored (database is locked)");
const QStringList kShorter = {QStringLiteral("5 points waiting to be stored (database is locked)"),
                              QStringLiteral("5 points waiting to be stored"), QStringLiteral("5 points waiting")};

int advance(const QWidget& w, const QString& text) { return w.fontMetrics().horizontalAdvance(text); }

}  // namespace

TEST(StatusBarPanel, ShowsTheLongestFormThatFitsAndTheWholeTextInItsTip) {
    StatusBarPanel panel;
    panel.SetText(kWhole, kShorter);
    struct Case {
        const char* name;
        QString roomFor;  // the panel as wide as this text
        int less;         // pixels less
        QString shown;    // empty: the shortest form cut with "…"
    } cases[] = {
        {"room for the whole text", kWhole, 0, kWhole},
        {"a pixel less", kWhole, 1, kShorter[0]},
        {"room for the second form", kShorter[1], 0, kShorter[1]},
        {"room for the shortest form", kShorter[2], 0, kShorter[2]},
        {"less than the shortest form", kShorter[2], 20, QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int room = advance(panel, c.roomFor) - c.less;
        panel.resize(room, 20);
        const QString shown = panel.ShownText();
        EXPECT_LE(advance(panel, shown), room) << shown.toStdString();
        if (c.shown.isEmpty())
            EXPECT_TRUE(shown.endsWith(QChar(0x2026)) && kShorter[2].startsWith(shown.chopped(1))) << shown.toStdString();
        else
            EXPECT_EQ(shown, c.shown);
        EXPECT_EQ(panel.TipText(), shown == kWhole ? QString() : kWhole);
        EXPECT_EQ(panel.text(), kWhole);
    }
    // It asks for its whole text.
    EXPECT_EQ(panel.minimumSizeHint().width(), advance(panel, kWhole));
    EXPECT_EQ(panel.sizeHint().width(), advance(panel, kWhole));

    // A plain text has no shorter forms: cut at the right, whole in the tip,
    // and it asks for its whole width.
    const QString plain = QStringLiteral("Current Step (3) Cycle (1) Time: 0:02:05");
    panel.setText(plain);
    panel.resize(advance(panel, plain) - 10, 20);
    EXPECT_TRUE(panel.ShownText().endsWith(QChar(0x2026))) << panel.ShownText().toStdString();
    EXPECT_TRUE(plain.startsWith(panel.ShownText().chopped(1)));
    EXPECT_EQ(panel.TipText(), plain);
    // Markup is text.
    panel.setText(QStringLiteral("<b>Mud</b>"));
    panel.resize(400, 20);
    EXPECT_EQ(panel.ShownText(), "<b>Mud</b>");
}

// Panels of equal shares: one whose text needs more than its share takes
// it while the bar has room; in a bar too narrow for both, the longer text
// shortens and its neighbour keeps its whole text.
TEST(StatusBarPanel, ALongTextTakesTheRoomItNeedsAndGivesWayBeforeItsNeighbours) {
    QWidget window;  // the bar placed in its window, as the unit windows place theirs
    auto& bar = *new QStatusBar(&window);
    bar.setSizeGripEnabled(false);
    auto* start = new StatusBarPanel(&bar);
    auto* progress = new StatusBarPanel(&bar);
    bar.addWidget(start, 1);
    bar.addWidget(progress, 1);
    start->setText(QStringLiteral("Start Time: 31 Dec 2024 22:11:12"));
    progress->SetText(kWhole, kShorter);
    bar.setGeometry(0, 0, advance(*start, start->text()) + advance(*progress, kWhole) + 40, 30);
    window.resize(1000, 30);
    window.show();
    QApplication::processEvents();
    EXPECT_EQ(start->ShownText(), start->text());
    EXPECT_EQ(progress->ShownText(), kWhole);
    bar.setGeometry(0, 0, advance(*start, start->text()) + advance(*progress, kShorter[1]) + 40, 30);
    QApplication::processEvents();
    EXPECT_EQ(start->ShownText(), start->text());
    EXPECT_EQ(progress->ShownText(), kShorter[1]);
    EXPECT_EQ(progress->TipText(), kWhole);
}

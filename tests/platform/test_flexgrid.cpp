#include "platform/FlexGrid.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QMouseEvent>
#include <QScrollBar>
#include <gtest/gtest.h>

namespace {

const QString CR = QStringLiteral("\r");

// Every text of a grid, row by row, cells joined by "|".
QStringList dump(const FlexGrid& g) {
    QStringList rows;
    for (int r = 0; r < g.Rows(); ++r) {
        QStringList cells;
        for (int c = 0; c < g.Cols(); ++c) cells << g.TextMatrix(r, c);
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

void fill(FlexGrid& g) {
    for (int r = 0; r < g.Rows(); ++r)
        for (int c = 0; c < g.Cols(); ++c) g.TextMatrix(r, c, QStringLiteral("%1%2").arg(QChar('a' + r)).arg(c));
}

void settle() { QCoreApplication::processEvents(); }

void sendMouse(QWidget* w, QEvent::Type type, QPoint pos) {
    QMouseEvent e(type, QPointF(pos), w->mapToGlobal(QPointF(pos)), Qt::LeftButton,
                  type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

}  // namespace

// --- format string ---------------------------------------------------------

TEST(FlexGridFormat, ParsesFieldsAlignmentsAndLineBreaks) {
    using M = FlexGridModel;
    struct Case {
        QString format;
        std::vector<std::pair<int, QString>> fields;
    };
    const std::vector<Case> cases = {
        {"<Additive Name|<Concentration|<Units|<Lot Number",
         {{M::flexAlignLeftCenter, "Additive Name"}, {M::flexAlignLeftCenter, "Concentration"},
          {M::flexAlignLeftCenter, "Units"}, {M::flexAlignLeftCenter, "Lot Number"}}},
        // A field without a mark keeps the general alignment; blanks are kept.
        {"Time(sec)|<Shear Rate (1/s) |< Swell (%) ",
         {{M::flexAlignGeneral, "Time(sec)"}, {M::flexAlignLeftCenter, "Shear Rate (1/s) "},
          {M::flexAlignLeftCenter, " Swell (%) "}}},
        {"^Mid|>Right|", {{M::flexAlignCenterCenter, "Mid"}, {M::flexAlignRightCenter, "Right"}, {M::flexAlignGeneral, ""}}},
        {"<Test" + CR + "Name|<Test" + CR + "Time",
         {{M::flexAlignLeftCenter, "Test\rName"}, {M::flexAlignLeftCenter, "Test\rTime"}}},
        {"<<x|<", {{M::flexAlignLeftCenter, "<x"}, {M::flexAlignLeftCenter, ""}}},
        {"", {}},
    };
    for (const Case& c : cases) {
        const auto fields = FlexGridModel::ParseFormatString(c.format);
        ASSERT_EQ(fields.size(), c.fields.size()) << c.format.toStdString();
        for (std::size_t i = 0; i < fields.size(); ++i) {
            EXPECT_EQ(fields[i].alignment, c.fields[i].first) << c.format.toStdString() << " field " << i;
            EXPECT_EQ(fields[i].caption, c.fields[i].second) << c.format.toStdString() << " field " << i;
        }
    }
}

TEST(FlexGridFormat, SetsColumnsHeaderRowAndAlignmentKeepingRows) {
    FlexGrid g;
    g.Rows(41);
    g.Cols(2);
    g.TextMatrix(5, 1, "kept");
    g.RowHeight(0, 400);
    g.WordWrap(true);
    g.FormatString("Time(sec)|<Shear Rate (1/s) |<interval(sec) ");
    EXPECT_EQ(g.Cols(), 3);
    EXPECT_EQ(g.Rows(), 41);
    EXPECT_EQ(g.TextMatrix(0, 0), "Time(sec)");
    EXPECT_EQ(g.TextMatrix(0, 2), "interval(sec) ");
    EXPECT_EQ(g.TextMatrix(5, 1), "kept");
    EXPECT_EQ(g.ColAlignment(0), FlexGridModel::flexAlignGeneral);
    EXPECT_EQ(g.ColAlignment(1), FlexGridModel::flexAlignLeftCenter);
    EXPECT_EQ(g.RowHeight(0), 400);
    EXPECT_EQ(g.FormatString(), "Time(sec)|<Shear Rate (1/s) |<interval(sec) ");

    // Fewer fields cut the columns; a grid without rows gets its header row.
    g.FormatString("<A|<B");
    EXPECT_EQ(g.Cols(), 2);
    g.Rows(0);
    g.FormatString("<X|<Y|<Z");
    EXPECT_EQ(g.Rows(), 1);
    EXPECT_EQ(dump(g), QStringList{"X|Y|Z"});
}

TEST(FlexGridFormat, SizesEachColumnToItsWidestCaptionLine) {
    FlexGrid g;
    g.FormatString("<Step No|<Elapsed Time" + CR + "(min)|<Elapsed Time (min)|<Elapsed Time");
    const QFontMetrics fm(g.font());
    const int twoLines = g.ColWidth(1);
    EXPECT_EQ(twoLines, g.ColWidth(3));  // as wide as its longer line
    EXPECT_GT(g.ColWidth(2), twoLines);
    EXPECT_GT(g.ColWidth(1), g.ColWidth(0));
    EXPECT_GE(g.TwipsToPixelsX(g.ColWidth(2)), fm.horizontalAdvance("Elapsed Time (min)"));
    // The caption keeps its line break, and shows it only with word wrap on.
    EXPECT_EQ(g.TextMatrix(0, 1), "Elapsed Time\r(min)");
    EXPECT_EQ(g.gridModel()->displayText(g.TextMatrix(0, 1)), "Elapsed Time (min)");
    g.WordWrap(true);
    EXPECT_EQ(g.gridModel()->displayText(g.TextMatrix(0, 1)), "Elapsed Time\n(min)");
}

// --- size, current cell, texts ---------------------------------------------

TEST(FlexGrid, NewGridHasTwoRowsTwoColumnsAndAHeaderRow) {
    FlexGrid g;
    EXPECT_EQ(g.Rows(), 2);
    EXPECT_EQ(g.Cols(), 2);
    EXPECT_EQ(g.FixedRows(), 1);
    EXPECT_EQ(g.FixedCols(), 0);
    EXPECT_EQ(g.Row(), 1);
    EXPECT_EQ(g.Col(), 0);
    EXPECT_EQ(g.ColWidth(0), FlexGridModel::kDefaultColWidth);
}

TEST(FlexGrid, GrowingAndShrinkingKeepsTheTextsThatStay) {
    FlexGrid g;
    g.Rows(3);
    g.Cols(3);
    fill(g);
    g.Cols(5);
    EXPECT_EQ(dump(g), (QStringList{"a0|a1|a2||", "b0|b1|b2||", "c0|c1|c2||"}));
    g.Cols(2);
    g.Cols(3);  // a column cut off comes back empty
    EXPECT_EQ(dump(g), (QStringList{"a0|a1|", "b0|b1|", "c0|c1|"}));
    g.Rows(2);
    g.Rows(4);
    EXPECT_EQ(dump(g), (QStringList{"a0|a1|", "b0|b1|", "||", "||"}));

    // Down to no rows at all: no header is left, and rows added later are data rows.
    g.Rows(0);
    EXPECT_EQ(g.FixedRows(), 0);
    g.Rows(2);
    EXPECT_EQ(g.FixedRows(), 0);
    EXPECT_EQ(g.gridModel()->rowCount(), 2);
    EXPECT_EQ(dump(g), (QStringList{"||", "||"}));
}

TEST(FlexGrid, CurrentCellAndText) {
    FlexGrid g;
    g.Rows(4);
    g.Cols(3);
    fill(g);
    g.Row(2);
    g.Col(1);
    EXPECT_EQ(g.Text(), "c1");
    g.Text("new");
    EXPECT_EQ(g.TextMatrix(2, 1), "new");

    // The header row can be made current from code, as the report writers do.
    g.Row(0);
    EXPECT_EQ(g.Text(), "a1");

    // Rows and columns that do not exist are refused; the current cell stays.
    g.Row(2);
    g.Row(4);
    g.Col(-1);
    EXPECT_EQ(g.Row(), 2);
    EXPECT_EQ(g.Col(), 1);

    // Cutting the grid moves the current cell onto the last row and column left.
    g.Rows(1);
    g.Cols(1);
    EXPECT_EQ(g.Row(), 0);
    EXPECT_EQ(g.Col(), 0);
    EXPECT_EQ(g.Text(), "a0");
}

TEST(FlexGrid, CellsOutsideTheGridReadEmptyAndIgnoreWrites) {
    FlexGrid g;
    g.TextMatrix(1, 1, "x");
    g.TextMatrix(2, 0, "lost");
    g.TextMatrix(-1, 0, "lost");
    g.TextMatrix(0, 2, "lost");
    EXPECT_EQ(g.TextMatrix(2, 0), "");
    EXPECT_EQ(g.TextMatrix(0, -1), "");
    EXPECT_EQ(dump(g), (QStringList{"|", "|x"}));
}

TEST(FlexGrid, ClearEmptiesEveryCellAndKeepsTheShape) {
    FlexGrid g;
    g.FormatString("<A|<B|<C");
    g.Rows(3);
    g.TextMatrix(2, 2, "z");
    g.ColWidth(1, 2000);
    g.Row(2);
    g.Clear();
    EXPECT_EQ(dump(g), (QStringList{"||", "||", "||"}));
    EXPECT_EQ(g.ColWidth(1), 2000);
    EXPECT_EQ(g.ColAlignment(1), FlexGridModel::flexAlignLeftCenter);
    EXPECT_EQ(g.Row(), 2);
    g.TextMatrix(1, 0, "again");
    EXPECT_EQ(g.TextMatrix(1, 0), "again");
}

TEST(FlexGrid, AddItemAndRemoveItem) {
    FlexGrid g;
    g.FormatString("<A|<B|<C");
    g.Rows(1);
    g.AddItem("1\t2\t3\t4");  // parts past the last column are dropped
    g.AddItem("x");
    g.AddItem("m\tn", 2);
    EXPECT_EQ(dump(g), (QStringList{"A|B|C", "1|2|3", "m|n|", "x||"}));
    g.RowHeight(2, 500);
    g.RemoveItem(1);
    EXPECT_EQ(dump(g), (QStringList{"A|B|C", "m|n|", "x||"}));
    EXPECT_EQ(g.RowHeight(1), 500);  // the height moves with its row

    g.RemoveItem(0);  // the header row is not removed
    g.RemoveItem(3);
    g.AddItem("far", 5);
    EXPECT_EQ(dump(g), (QStringList{"A|B|C", "m|n|", "x||"}));

    // Added before the header, the new row becomes the header.
    g.AddItem("top", 0);
    EXPECT_EQ(g.TextMatrix(0, 0), "top");
    EXPECT_EQ(g.gridModel()->rowCount(), 3);
    EXPECT_EQ(g.gridModel()->index(0, 0).data().toString(), "A");
}

TEST(FlexGrid, FixedRowsAndColumnsAreNotPartOfTheScrollingCells) {
    FlexGrid g;
    g.Rows(4);
    g.Cols(3);
    fill(g);
    g.FixedCols(1);
    const FlexGridModel* m = g.gridModel();
    EXPECT_EQ(m->rowCount(), 3);
    EXPECT_EQ(m->columnCount(), 2);
    EXPECT_EQ(m->index(0, 0).data().toString(), "b1");
    EXPECT_FALSE(g.horizontalHeader()->isHidden());
    EXPECT_FALSE(g.verticalHeader()->isHidden());
    g.FixedRows(0);
    g.FixedCols(0);
    EXPECT_EQ(m->index(0, 0).data().toString(), "a0");
    EXPECT_TRUE(g.horizontalHeader()->isHidden());
    g.FixedRows(5);  // more than the rows: refused
    EXPECT_EQ(g.FixedRows(), 0);
}

TEST(FlexGrid, ColumnAlignmentCodes) {
    FlexGrid g;
    g.Rows(3);
    g.TextMatrix(1, 0, " 12.5");
    g.TextMatrix(2, 0, "abc");
    const FlexGridModel* m = g.gridModel();
    auto align = [&](int row) { return m->index(row, 0).data(Qt::TextAlignmentRole).value<Qt::Alignment>(); };
    // General: numbers right, texts left.
    EXPECT_EQ(align(0), Qt::AlignRight | Qt::AlignVCenter);
    EXPECT_EQ(align(1), Qt::AlignLeft | Qt::AlignVCenter);
    g.ColAlignment(0, FlexGridModel::flexAlignLeftTop);
    EXPECT_EQ(align(0), Qt::AlignLeft | Qt::AlignTop);
    g.ColAlignment(0, FlexGridModel::flexAlignCenterBottom);
    EXPECT_EQ(align(1), Qt::AlignHCenter | Qt::AlignBottom);
    g.ColAlignment(0, 10);  // no such code
    EXPECT_EQ(g.ColAlignment(0), FlexGridModel::flexAlignCenterBottom);
}

// --- twips and the view ----------------------------------------------------

TEST(FlexGridView, WidthsAndHeightsInTwipsBecomePixels) {
    FlexGrid g;
    g.Cols(3);
    g.Rows(3);
    const int dpiX = g.logicalDpiX() > 0 ? g.logicalDpiX() : 96;
    const int dpiY = g.logicalDpiY() > 0 ? g.logicalDpiY() : 96;
    EXPECT_EQ(g.TwipsToPixelsX(1440), dpiX);
    EXPECT_EQ(g.PixelsToTwipsY(dpiY), 1440);
    EXPECT_EQ(g.TwipsToPixelsX(1090), qRound(1090.0 * dpiX / 1440));

    g.ColWidth(1, 1200);
    EXPECT_EQ(g.columnWidth(1), qRound(1200.0 * dpiX / 1440));
    g.ColWidth(2, 0);  // a hidden column
    EXPECT_TRUE(g.isColumnHidden(2));
    g.ColWidth(2, 1200);
    EXPECT_FALSE(g.isColumnHidden(2));

    g.RowHeight(2, 600);
    EXPECT_EQ(g.rowHeight(1), qRound(600.0 * dpiY / 1440));  // view row 1 is grid row 2
    g.RowHeight(0, 600);  // the header row sets the height of the header band
    EXPECT_EQ(g.horizontalHeader()->sizeHint().height(), qRound(600.0 * dpiY / 1440));
    // A row of default height reports the height that fits the font.
    EXPECT_EQ(g.RowHeight(1), g.PixelsToTwipsY(g.fontMetrics().lineSpacing() + 6));
    g.RowHeight(2, -1);
    EXPECT_EQ(g.RowHeight(2), g.RowHeight(1));
}

TEST(FlexGridView, CellPositionOfTheCurrentCell) {
    FlexGrid g;
    g.resize(500, 300);
    g.Rows(6);
    g.Cols(4);
    for (int c = 0; c < 4; ++c) g.ColWidth(c, 1500);
    g.RowHeight(0, 600);
    g.Row(3);
    g.Col(2);
    g.show();
    settle();

    const QRect r = g.CellRect();
    const QRect expected(g.viewport()->x() + 2 * g.columnWidth(0), g.viewport()->y() + 2 * g.rowHeight(0),
                         g.columnWidth(2), g.rowHeight(2));
    EXPECT_EQ(r, expected);
    EXPECT_EQ(g.viewport()->y(), g.horizontalHeader()->height() + g.frameWidth());
    EXPECT_EQ(g.CellLeft(), g.PixelsToTwipsX(r.x()));
    EXPECT_EQ(g.CellTop(), g.PixelsToTwipsY(r.y()));
    EXPECT_EQ(g.CellWidth(), g.PixelsToTwipsX(r.width()));
    EXPECT_EQ(g.CellHeight(), g.PixelsToTwipsY(r.height()));

    // A header cell lies in the header band.
    g.Row(0);
    EXPECT_EQ(g.CellRect().y(), g.horizontalHeader()->y());
    EXPECT_EQ(g.CellRect().height(), g.TwipsToPixelsY(600));
}

TEST(FlexGridView, CurrentCellFromCodeIsShownAndClicksSetIt) {
    FlexGrid g;
    g.resize(500, 300);
    g.Rows(6);
    g.Cols(3);
    g.show();
    settle();

    g.Row(4);
    g.Col(2);
    settle();
    EXPECT_EQ(g.currentIndex(), g.gridModel()->index(3, 2));

    int clicks = 0, doubles = 0;
    QObject::connect(&g, &FlexGrid::Click, [&] { ++clicks; });
    QObject::connect(&g, &FlexGrid::DblClick, [&] { ++doubles; });
    const QPoint cell = g.visualRect(g.gridModel()->index(1, 1)).center();
    sendMouse(g.viewport(), QEvent::MouseButtonPress, cell);
    sendMouse(g.viewport(), QEvent::MouseButtonRelease, cell);
    EXPECT_EQ(g.Row(), 2);
    EXPECT_EQ(g.Col(), 1);
    EXPECT_EQ(clicks, 1);

    // A double-click gives one Click and one DblClick.
    sendMouse(g.viewport(), QEvent::MouseButtonPress, cell);
    sendMouse(g.viewport(), QEvent::MouseButtonRelease, cell);
    sendMouse(g.viewport(), QEvent::MouseButtonDblClick, cell);
    sendMouse(g.viewport(), QEvent::MouseButtonRelease, cell);
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(doubles, 1);

    // A click on the header row is a Click that leaves the current row alone.
    QWidget* header = g.horizontalHeader()->viewport();
    sendMouse(header, QEvent::MouseButtonPress, QPoint(10, 5));
    sendMouse(header, QEvent::MouseButtonRelease, QPoint(10, 5));
    EXPECT_EQ(clicks, 3);
    EXPECT_EQ(g.Row(), 2);
}

TEST(FlexGridView, TopRowScrollsAndRaisesScroll) {
    FlexGrid g;
    g.resize(400, 200);
    g.Rows(200);
    g.show();
    settle();
    int scrolls = 0;
    QObject::connect(&g, &FlexGrid::Scroll, [&] { ++scrolls; });
    EXPECT_EQ(g.TopRow(), 1);
    g.TopRow(50);
    EXPECT_EQ(g.TopRow(), 50);
    EXPECT_GE(scrolls, 1);
    g.TopRow(0);  // the header row does not scroll
    EXPECT_EQ(g.TopRow(), 50);
}

TEST(FlexGridView, CellChangesReachTheViewInOneSignal) {
    FlexGrid g;
    g.Rows(101);
    g.Cols(5);
    int changes = 0;
    QModelIndex topLeft, bottomRight;
    QObject::connect(g.gridModel(), &QAbstractItemModel::dataChanged, [&](const QModelIndex& a, const QModelIndex& b) {
        ++changes;
        topLeft = a;
        bottomRight = b;
    });
    for (int r = 1; r <= 100; ++r)
        for (int c = 0; c < 5; ++c) g.TextMatrix(r, c, "v");
    EXPECT_EQ(changes, 0);
    settle();
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(topLeft, g.gridModel()->index(0, 0));
    EXPECT_EQ(bottomRight, g.gridModel()->index(99, 4));
}

TEST(FlexGridView, RedrawOffHoldsTheViewUntilSwitchedOn) {
    FlexGrid g;
    g.Rows(1);
    g.Redraw(false);
    for (int r = 1; r <= 50; ++r) {
        g.Rows(g.Rows() + 1);
        g.Row(g.Rows() - 1);
        g.TextMatrix(r, 0, QString::number(r));
    }
    settle();
    EXPECT_EQ(g.gridModel()->rowCount(), 0);
    EXPECT_EQ(g.Rows(), 51);
    EXPECT_EQ(g.TextMatrix(50, 0), "50");
    g.Redraw(true);
    settle();
    EXPECT_EQ(g.gridModel()->rowCount(), 50);
    EXPECT_EQ(g.gridModel()->index(49, 0).data().toString(), "50");
    EXPECT_EQ(g.currentIndex(), g.gridModel()->index(49, 0));
}

// --- size ------------------------------------------------------------------

TEST(FlexGridLarge, HoldsAHundredThousandRowsOfTwentyColumns) {
    FlexGrid g;
    g.Cols(20);
    g.Rows(100001);
    for (int r = 1; r <= 100000; ++r)
        for (int c = 0; c < 20; ++c) g.TextMatrix(r, c, QString::number(r * 20 + c));
    settle();
    EXPECT_EQ(g.gridModel()->rowCount(), 100000);
    EXPECT_EQ(g.verticalHeader()->count(), 100000);
    EXPECT_EQ(g.TextMatrix(1, 0), "20");
    EXPECT_EQ(g.TextMatrix(100000, 19), "2000019");
    EXPECT_EQ(g.gridModel()->index(99999, 19).data().toString(), "2000019");
    // Texts of 2 to 7 characters: a few bytes per cell, no object per cell.
    EXPECT_LT(g.gridModel()->TextBytes(), std::size_t(2000000) * 32);

    // Rewriting every cell with longer texts keeps the store compact.
    for (int r = 1; r <= 100000; ++r)
        for (int c = 0; c < 20; ++c) g.TextMatrix(r, c, QStringLiteral("value %1").arg(r));
    EXPECT_EQ(g.TextMatrix(77777, 5), "value 77777");
    EXPECT_LT(g.gridModel()->TextBytes(), std::size_t(2000000) * 64);
    g.Rows(1);
    EXPECT_EQ(g.gridModel()->rowCount(), 0);
}

// --- what a reader sees -----------------------------------------------------

// A header row grows to the lines of its captions: a third caption line is
// not cut off by a two-line row height, nor a caption that wraps in a narrow
// column; without word wrap a caption is one line and the height set stays.
TEST(FlexGridView, HeaderRowsAreAsTallAsTheirCaptions) {
    FlexGrid g;
    g.Rows(3);
    g.WordWrap(true);
    g.FormatString(QStringLiteral("<Step|<Elapsed") + CR + "Time" + CR + "(min)|<Shear Stress (dyn/cm2)");
    g.RowHeight(0, 600);
    g.ColWidth(2, 900);  // narrower than its caption: it wraps
    const int line = g.fontMetrics().lineSpacing();
    const int header = g.horizontalHeader()->sizeHint().height();
    EXPECT_GE(header, 3 * line);
    g.ColWidth(2, 3000);
    EXPECT_GE(g.horizontalHeader()->sizeHint().height(), 3 * line);  // still the three-line caption
    EXPECT_EQ(g.RowHeight(0), 600);  // the height set reads back unchanged

    g.WordWrap(false);
    EXPECT_EQ(g.horizontalHeader()->sizeHint().height(), g.TwipsToPixelsY(600));
}

// A wrapped caption breaks only between words: a column set narrower than a
// caption word ("Calc.Visc@40") is shown wide enough for it, and follows a
// caption changed later; its set width reads back unchanged.
TEST(FlexGridView, WrappedCaptionWordsAreNeverCut) {
    FlexGrid g;
    g.Rows(2);
    g.WordWrap(true);
    g.FormatString(QStringLiteral("<Step|<Calc.Visc@40 1/s ") + CR + "( cP )|<interval(sec) ");
    for (int c = 0; c < 3; ++c) g.ColWidth(c, 600);
    const QFontMetrics fm(g.font());
    EXPECT_GT(g.columnWidth(1), fm.horizontalAdvance("Calc.Visc@40"));
    EXPECT_GT(g.columnWidth(2), fm.horizontalAdvance("interval(sec)"));
    EXPECT_EQ(g.ColWidth(1), 600);
    // The header stays as tall as the wrapped caption at the widened width.
    EXPECT_GE(g.horizontalHeader()->sizeHint().height(), 3 * fm.lineSpacing());

    g.TextMatrix(0, 1, "Calc.Visc@170");
    EXPECT_GT(g.columnWidth(1), fm.horizontalAdvance("Calc.Visc@170"));
    // A wide column keeps its own width.
    g.ColWidth(2, 4000);
    EXPECT_EQ(g.columnWidth(2), g.TwipsToPixelsX(4000));
}

// A name or date list: every column shows its longest entry on one line,
// however narrow its set width; the set widths read back unchanged.
TEST(FlexGridView, ListColumnsShowTheirWholeEntries) {
    FlexGrid g;
    g.Cols(3);
    g.Rows(1);
    g.WordWrap(true);
    for (int c = 0; c < 3; ++c) g.ColWidth(c, 900);
    g.ColWidth(2, 0);  // hidden stays hidden
    const QStringList names{"XL-GUAR30-250F-0412", "XL-GUAR30-250F-0412 repeat at 300 F", "A"};
    for (const QString& n : names) g.AddItem(n + "\t12/04/2024 14:03:22\tx");
    g.WidenColumnsToContents();
    const QFontMetrics fm(g.font());
    EXPECT_GT(g.columnWidth(0), fm.horizontalAdvance(names[1]));
    EXPECT_GT(g.columnWidth(1), fm.horizontalAdvance("12/04/2024 14:03:22"));
    EXPECT_TRUE(g.isColumnHidden(2));
    EXPECT_EQ(g.ColWidth(0), 900);
    // A column already wide enough keeps its width.
    g.ColWidth(1, 6000);
    EXPECT_EQ(g.columnWidth(1), g.TwipsToPixelsX(6000));
}

// A data row of one line never wraps: a name broken at its hyphen would show
// as "XL-" alone. Drawn on one line, its text runs across the cell.
TEST(FlexGridView, DataCellsStayOnOneLineUnderWordWrap) {
    FlexGrid g;
    g.Cols(1);
    g.Rows(3);  // the name in row 2, away from the current cell's highlight
    g.WordWrap(true);
    // Too narrow for "XL-GUAR30-": wrapped, the first line would be "XL-".
    g.ColWidth(0, g.PixelsToTwipsX(g.fontMetrics().horizontalAdvance("XL-GUAR30") + 6));
    g.TextMatrix(2, 0, "XL-GUAR30-250F-0412");
    g.resize(200, 120);
    g.show();
    settle();
    const QImage img = g.grab().toImage();
    const QPoint origin = g.viewport()->mapTo(&g, QPoint(0, 0));
    const int h = g.rowHeight(0), w = g.columnWidth(0);
    int rightmostInk = -1;
    for (int y = 0; y < h; ++y)
        for (int x = 2; x < w - 2; ++x)
            if (qGray(img.pixel(origin.x() + x, origin.y() + h + y)) < 128) rightmostInk = std::max(rightmostInk, x);
    EXPECT_GT(rightmostInk, w * 2 / 3) << "the name stops after its first part";
}

// With stretching the columns share out the grid's width in proportion.
TEST(FlexGridView, StretchedColumnsFillTheGrid) {
    FlexGrid g;
    g.Cols(3);
    g.Rows(4);
    g.ColWidth(0, 600);
    g.ColWidth(1, 1200);
    g.ColWidth(2, 600);
    g.resize(500, 200);
    g.show();
    settle();
    g.StretchColumns(true);
    const int total = g.columnWidth(0) + g.columnWidth(1) + g.columnWidth(2);
    EXPECT_NEAR(total, g.viewport()->width(), 3);
    EXPECT_NEAR(g.columnWidth(1), 2 * g.columnWidth(0), 2);
    EXPECT_EQ(g.ColWidth(1), 1200);
    g.resize(700, 200);
    settle();
    EXPECT_NEAR(g.columnWidth(0) + g.columnWidth(1) + g.columnWidth(2), g.viewport()->width(), 3);
}

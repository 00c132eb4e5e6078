#include "reports/ExcelReports.h"

#include "analysis/PvYpRule.h"
#include "analysis/ResultPoints.h"
#include "data/Globals.h"
#include "data/Numbers.h"
#include "data/TestKindColumns.h"
#include "data/Units.h"
#include "data/clsTEST_INFO.h"
#include "data/clsTEST_RESULT.h"
#include "platform/Dialogs.h"
#include "platform/FlexGrid.h"
#include "reports/CsvReport.h"
#include "reports/ExcelFrame.h"

namespace excel {

namespace {

const QString kRheologyTitle = QStringLiteral("Z3080daq Test Report");

// Looks the opened test up again by its key (names are not unique) and keeps
// its fresh row. False when no test is open (the report does nothing) or the
// test is no longer stored (the report says so).
bool RefreshOpenedTest(const StoredTestSource& in) {
    if (in.opened->OpenedTestName.isEmpty())
        return false;
    in.testInfos->Test_Id(in.opened->OpenedTestId);
    in.testInfos->GetTestDetailByKey();
    if (in.testInfos->Eof()) {
        ui::MsgBox(TestNoLongerStoredText(in.opened->OpenedTestName), ui::vbOKOnly);
        return false;
    }
    in.opened->OpenedTestInfo = in.testInfos->All();
    return true;
}

// PV and YP of every data line of the result grid, in order.
std::vector<PvYpRule::Result> PvYpLines(const FlexGridModel& grid) {
    std::vector<PvYpRule::Result> out;
    out.reserve(std::size_t(std::max(0, grid.Rows() - 1)));
    PvYpRule rule;
    for (int i = 1; i < grid.Rows(); ++i)
        out.push_back(rule.Next(grid.TextMatrix(i, 7), grid.TextMatrix(i, 11)));
    return out;
}

// Rows 1 to 17 + n of both rheology workbooks (the header on rows 8 to 15);
// returns the last additive row.
int RheologyTop(ReportSheet& sheet, const StoredTestSource& in, const reportheader::Header& header) {
    StartSheet(sheet, kRheologyTitle);
    const QList<HeaderLine> lines = HeaderLines(header);
    HeaderBlock(sheet, 8, lines.mid(0, 3));
    // Column B fits the test name and fluid ID once, and the test time too,
    // which a narrower column would show as "#####"; the lines below do not
    // widen it.
    sheet.book.autoFitColumn(2);
    HeaderBlock(sheet, 11, lines.mid(3));
    return AdditivesBlock(sheet, 17, in.additiveGrid);
}

QString RheologyBrief(const StoredTestSource& in) {
    return WriteReport(*in.opened, QStringLiteral("Brief Excel"), [&](ReportSheet& sheet) {
        int r = RheologyTop(sheet, in, reportheader::Rheology(in.opened->OpenedTestInfo));
        r += 3;
        sheet.text(r, 1, QStringLiteral("Results:"));
        ++r;
        const int captionRow = r;
        const QStringList titles{
            QStringLiteral("Step No"),
            QStringLiteral("Cycle No"),
            QStringLiteral("Ramp_Step No"),
            QStringLiteral("Time (min)"),
            QStringLiteral("Temp ") + gTempLabel,
            QStringLiteral("Pressure (Psi)"),
            QStringLiteral("Shear Rate (1/s)"),
            QStringLiteral("Speed (Rpm)"),
            QStringLiteral("Shear Stress ") + gStressLabel,
            QStringLiteral("Viscosity ") + gViscLabel,
            QStringLiteral("Gel (Fann Deg)"),
            QStringLiteral("Fann35 F1 Deg"),
            QStringLiteral(" PV "),
            QStringLiteral(" YP "),
            QStringLiteral("n'"),
            QStringLiteral("kv") + gKLabel,
            QStringLiteral("Coef.Detn(R^2)"),
            QStringLiteral("k'") + gKLabel,
            QStringLiteral("k slot") + gKLabel,
            QStringLiteral("Calc.Visc@ 40(1/s)"),
            QStringLiteral("Calc.Visc@ 100(1/s)"),
            QStringLiteral("Calc.Visc@ 170(1/s)"),
        };
        for (int c = 0; c < titles.size(); ++c)
            sheet.text(r, c + 1, titles[c]);

        // PV and YP run down the lines in order; the cells are made on all cores.
        const FlexGridModel& grid = *in.resultGrid;
        const std::vector<PvYpRule::Result> pvyp = PvYpLines(grid);
        r = WriteRows(sheet, r + 1, grid.Rows() - 1, 22, [&](int i, PreparedCell* cells) {
            const auto cell = [&](int c) { return grid.TextMatrix(i + 1, c); };
            // The number a cell's text begins with; a cell the grid leaves
            // empty (the sample cells of a line that only holds a cycle's
            // analysis) stays empty rather than showing a reading of 0.
            const auto number = [&](int c) {
                const QString t = cell(c);
                return t.trimmed().isEmpty() ? PreparedCell() : PreparedCell::Of(ValOf(t));
            };
            cells[0] = number(0);
            cells[1] = number(1);
            cells[2] = PreparedCell::Typed(cell(2));
            cells[3] = PreparedCell::Typed(cell(3));
            if (!cell(4).trimmed().isEmpty())
                cells[4] = PreparedCell::Typed(Format(ValOf(cell(4)), QStringLiteral("##0.0")));
            for (int c = 5; c <= 11; ++c)
                cells[c] = number(c);
            if (pvyp[std::size_t(i)].pv != 0)
                cells[12] = PreparedCell::Of(pvyp[std::size_t(i)].pv);
            if (pvyp[std::size_t(i)].yp != 0)
                cells[13] = PreparedCell::Of(pvyp[std::size_t(i)].yp);
            for (int c = 12; c <= 19; ++c)
                cells[c + 2] = PreparedCell::Typed(cell(c));
        });
        PageSetUp(sheet, captionRow, captionRow, 10, QString());
    });
}

QString RheologyDetail(const StoredTestSource& in) {
    return WriteReport(*in.opened, QStringLiteral("Detailed Excel"), [&](ReportSheet& sheet) {
        reportheader::Header header = reportheader::Rheology(in.opened->OpenedTestInfo);
        QVariant& description = header.description.value;
        if (description.typeId() == QMetaType::QString)
            description = description.toString().trimmed();
        int r = RheologyTop(sheet, in, header);
        r += 2;
        sheet.text(r, 1, QStringLiteral("Results:"));
        ++r;

        // Grid columns 0 to 11 keep their place; PV and YP take columns 13
        // and 14, so grid columns 12 on move two to the right.
        const FlexGridModel& grid = *in.resultGrid;
        const auto sheetCol = [](int c) { return c < 12 ? c + 1 : c + 3; };
        for (int c = 0; c < grid.Cols(); ++c)
            sheet.text(r, sheetCol(c), grid.TextMatrix(0, c));
        sheet.text(r, 13, QStringLiteral("PV"));
        sheet.text(r, 14, QStringLiteral("YP"));
        const std::vector<PvYpRule::Result> pvyp = PvYpLines(grid);
        const int cols = grid.Cols();
        const int width = std::max(14, sheetCol(cols - 1));
        r = WriteRows(sheet, r + 1, grid.Rows() - 1, width, [&](int i, PreparedCell* cells) {
            for (int c = 0; c < cols; ++c)
                cells[sheetCol(c) - 1] = PreparedCell::Typed(grid.TextMatrix(i + 1, c));
            if (pvyp[std::size_t(i)].isPvYpLine) {
                cells[12] = PreparedCell::Of(pvyp[std::size_t(i)].pv);
                cells[13] = PreparedCell::Of(pvyp[std::size_t(i)].yp);
            }
        });

        r += 2;
        sheet.text(r, 1, QStringLiteral("Detail:"));
        ++r;
        const int captionRow = r;
        const QStringList titles{QStringLiteral("Step No"),       QStringLiteral("Cycle No "),
                                 QStringLiteral("Ramp No "),      QStringLiteral("Elapsed Time"),
                                 QStringLiteral("Sample Temp "),  QStringLiteral("Pressure "),
                                 QStringLiteral("Rotor "),        QStringLiteral("Shear Rate "),
                                 QStringLiteral("Shear Stress "), QStringLiteral("Viscosity "),
                                 QStringLiteral("Gel (Fann Deg)"), QStringLiteral("Fann35 F1 Deg")};
        for (int c = 0; c < titles.size(); ++c)
            sheet.text(r, c + 1, titles[c]);
        ++r;
        const QStringList units{QString(),   QString(),    QString(),          QStringLiteral("(min)"),
                                gTempLabel,  gPressLabel,  QStringLiteral("RPM"), QStringLiteral("(1/s)"),
                                gStressLabel, gViscLabel};
        for (int c = 0; c < units.size(); ++c)
            if (!units[c].isEmpty())
                sheet.text(r, c + 1, units[c]);

        clsTEST_RESULT& results = *in.testResults;
        results.Test_Id(in.opened->OpenedTestId);
        results.ConnectX(in.connection);
        const int k = results.TotalPoints();
        if (k < 1)
            return;  // the sheet ends with the unit line, without page set-up
        const std::vector<ResultPoint> points = LoadPoints(results, k);
        const double ratePerRpm = in.opened->ShearRatePerRpm;
        r = WriteRows(sheet, r + 1, k, 12, [&](int i, PreparedCell* cells) {
            const ResultPoint& x = points[std::size_t(i)];
            const double speed = x[rheology::result::ShearRate];
            const double stress = x[resultcol::ShearStress];
            cells[0] = PreparedCell::Of(x[resultcol::RampNo]);
            cells[1] = PreparedCell::Of(x[resultcol::CycleNo]);
            cells[2] = PreparedCell::Of(x[resultcol::RampStepNo]);
            cells[3] = PreparedCell::Masked(x[resultcol::ResultTime] / 60, QStringLiteral("0.##"));
            cells[4] = PreparedCell::Masked(TempToDisplay(x[resultcol::SampleTemp]), QStringLiteral("#0.0"));
            cells[5] = PreparedCell::Masked(x[resultcol::Press], QStringLiteral("###0"));
            if (ratePerRpm != 0)  // without the bob's rate per rpm the rotor speed is unknown
                cells[6] = PreparedCell::Masked(speed / ratePerRpm, QStringLiteral("##0.####"));
            cells[7] = PreparedCell::Masked(speed, QStringLiteral("##0.####"));
            cells[8] = PreparedCell::Masked(StressToDisplay(stress), QStringLiteral("##0.####"));
            cells[9] = speed < 0.00002 ? PreparedCell::Of(0)
                                       : PreparedCell::Masked(stress / speed * 100, QStringLiteral("#0.###"));
            cells[10] = PreparedCell::Masked(DialReading(x[rheology::result::Gel]), QStringLiteral("##0.###"));
            cells[11] = PreparedCell::Masked(DialReading(stress), QStringLiteral("##0.####"));
        });
        PageSetUp(sheet, captionRow, captionRow + 1, 30,
                  CenterHeaderText(in.opened->OpenedTestName, QStringLiteral("Print Date: ")));
    });
}

}  // namespace
}  // namespace excel

using namespace excel;

QString ExcelReport::cmdExportExcel_Click() {
    if (!RefreshOpenedTest(s_))
        return QString();
    switch (s_.opened->Kind()) {
    case TestKind::Pvt: return ExportPvtExcel();
    case TestKind::Lsm: return ExportLsmExcel();
    default: return RheologyBrief(s_);
    }
}

QString ExcelReport::Export_Excel_Detail() {
    if (!RefreshOpenedTest(s_))
        return QString();
    switch (s_.opened->Kind()) {
    case TestKind::Pvt: return ExportPvtExcelDetail();
    case TestKind::Lsm: return ExportLsmExcelDetail();
    default: return RheologyDetail(s_);
    }
}

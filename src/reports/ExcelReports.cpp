#include "reports/ExcelReports.h"

#include "analysis/PvYpRule.h"
#include "data/Globals.h"
#include "data/Numbers.h"
#include "data/Units.h"
#include "data/clsTEST_INFO.h"
#include "data/clsTEST_RESULT.h"
#include "platform/FlexGrid.h"
#include "reports/ExcelFrame.h"

namespace excel {

namespace {

const QString kRheologyTitle = QStringLiteral("Z3080daq Test Report");

// Looks the opened test up again by name and keeps its fresh row. False when
// no test is open or the test is no longer stored: the report does nothing.
bool RefreshOpenedTest(ReportInputs& in) {
    if (in.opened->OpenedTestName.isEmpty())
        return false;
    in.testInfos->TEST_NAME(in.opened->OpenedTestName);
    in.testInfos->GetTestDetail();
    if (in.testInfos->Eof())
        return false;
    in.opened->OpenedTestInfo = in.testInfos->All();
    return true;
}

QVariant InfoAt(const OpenedTest& opened, int i) {
    return i < opened.OpenedTestInfo.size() ? opened.OpenedTestInfo[i] : QVariant();
}

// The header lines of both rheology workbooks, rows 8 to 15.
QList<HeaderLine> RheologyHeader(const OpenedTest& t, const QVariant& description) {
    return {{QStringLiteral("Test Name:"), InfoAt(t, 1)},      {QStringLiteral("Fluid ID:"), InfoAt(t, 2)},
            {QStringLiteral("Test Time:"), InfoAt(t, 3)},      {QStringLiteral("Researcher Name:"), InfoAt(t, 4)},
            {QStringLiteral("Rotor Number:"), InfoAt(t, 5)},   {QStringLiteral("Bob Number:"), InfoAt(t, 6)},
            {QStringLiteral("Bob Radius (cm)"), InfoAt(t, 7)}, {QStringLiteral("Description:"), description}};
}

// Rows 1 to 17 + n of both rheology workbooks; returns the last additive row.
int RheologyTop(ReportSheet& sheet, const ReportInputs& in, const QVariant& description) {
    StartSheet(sheet, kRheologyTitle);
    const QList<HeaderLine> lines = RheologyHeader(*in.opened, description);
    HeaderBlock(sheet, 8, lines.mid(0, 3));
    // Column B fits the test name and fluid ID once, and the test time too,
    // which a narrower column would show as "#####"; the lines below do not
    // widen it.
    sheet.book.autoFitColumn(2);
    HeaderBlock(sheet, 11, lines.mid(3));
    return AdditivesBlock(sheet, 17, in.additives);
}

QString RheologyBrief(ReportInputs& in) {
    return WriteReport(*in.opened, QStringLiteral("Brief Excel"), [&](ReportSheet& sheet) {
        int r = RheologyTop(sheet, in, InfoAt(*in.opened, 11));
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

        const FlexGridModel& grid = *in.results;
        ReportSheet::need(r + grid.Rows() - 1);  // the whole grid fits, or nothing is written
        PvYpRule rule;
        for (int i = 1; i < grid.Rows(); ++i) {
            ++r;
            const auto cell = [&](int c) { return grid.TextMatrix(i, c); };
            sheet.number(r, 1, ValOf(cell(0)));
            sheet.number(r, 2, ValOf(cell(1)));
            sheet.typed(r, 3, cell(2));
            sheet.typed(r, 4, cell(3));
            sheet.typed(r, 5, Format(ValOf(cell(4)), QStringLiteral("##0.0")));
            for (int c = 5; c <= 11; ++c)
                sheet.number(r, c + 1, ValOf(cell(c)));
            const PvYpRule::Result pvyp = rule.Next(cell(7), cell(11));
            if (pvyp.pv != 0)
                sheet.number(r, 13, pvyp.pv);
            if (pvyp.yp != 0)
                sheet.number(r, 14, pvyp.yp);
            for (int c = 12; c <= 19; ++c)
                sheet.typed(r, c + 3, cell(c));
        }
        PageSetUp(sheet, captionRow, captionRow, 10, QString());
    });
}

QString RheologyDetail(ReportInputs& in) {
    return WriteReport(*in.opened, QStringLiteral("Detailed Excel"), [&](ReportSheet& sheet) {
        QVariant description = InfoAt(*in.opened, 11);
        if (description.typeId() == QMetaType::QString)
            description = description.toString().trimmed();
        int r = RheologyTop(sheet, in, description);
        r += 2;
        sheet.text(r, 1, QStringLiteral("Results:"));
        ++r;

        // Grid columns 0 to 11 keep their place; PV and YP take columns 13
        // and 14, so grid columns 12 on move two to the right.
        const FlexGridModel& grid = *in.results;
        const auto sheetCol = [](int c) { return c < 12 ? c + 1 : c + 3; };
        for (int c = 0; c < grid.Cols(); ++c)
            sheet.text(r, sheetCol(c), grid.TextMatrix(0, c));
        sheet.text(r, 13, QStringLiteral("PV"));
        sheet.text(r, 14, QStringLiteral("YP"));
        ReportSheet::need(r + grid.Rows() - 1);
        PvYpRule rule;
        for (int i = 1; i < grid.Rows(); ++i) {
            ++r;
            for (int c = 0; c < grid.Cols(); ++c)
                sheet.typed(r, sheetCol(c), grid.TextMatrix(i, c));
            const PvYpRule::Result pvyp = rule.Next(grid.TextMatrix(i, 7), grid.TextMatrix(i, 11));
            if (pvyp.isPvYpLine) {
                sheet.number(r, 13, pvyp.pv);
                sheet.number(r, 14, pvyp.yp);
            }
        }

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
        ReportSheet::need(r + k);  // the whole list fits, or nothing is written
        const double ratePerRpm = in.opened->ShearRatePerRpm;
        results.MoveFirst();
        for (int i = 0; i < k; ++i) {
            const RowArray x = results.All();
            ++r;
            const auto num = [&](int col) { return x.value(col).toDouble(); };
            sheet.value(r, 1, x.value(clsTEST_RESULT::colRAMP_NO));
            sheet.value(r, 2, x.value(clsTEST_RESULT::colCYCLE_NO));
            sheet.value(r, 3, x.value(clsTEST_RESULT::colRAMP_STEP_NO));
            const double speed = num(clsTEST_RESULT::colRESULT_SPEED);
            const double stress = num(clsTEST_RESULT::colRESULT_SHEAR_STRESS);
            sheet.typed(r, 4, Format(num(clsTEST_RESULT::colRESULT_TIME) / 60, QStringLiteral("0.##")));
            sheet.typed(r, 5, Format(TempToDisplay(num(clsTEST_RESULT::colRESULT_SAMPLE_TEMP)), QStringLiteral("#0.0")));
            sheet.typed(r, 6, Format(num(clsTEST_RESULT::colRESULT_PRESS), QStringLiteral("###0")));
            if (ratePerRpm != 0)  // without the bob's rate per rpm the rotor speed is unknown
                sheet.typed(r, 7, Format(speed / ratePerRpm, QStringLiteral("##0.####")));
            sheet.typed(r, 8, Format(speed, QStringLiteral("##0.####")));
            sheet.typed(r, 9, Format(StressToDisplay(stress), QStringLiteral("##0.####")));
            if (speed < 0.00002)
                sheet.number(r, 10, 0);
            else
                sheet.typed(r, 10, Format(stress / speed * 100, QStringLiteral("#0.###")));
            sheet.typed(r, 11, Format(num(clsTEST_RESULT::colRESULT_BATH_TEMP) / 5.11, QStringLiteral("##0.###")));
            sheet.typed(r, 12, Format(stress / 5.11, QStringLiteral("##0.####")));
            results.MoveNext();
        }
        PageSetUp(sheet, captionRow, captionRow + 1, 30,
                  CenterHeaderText(in.opened->OpenedTestName, QStringLiteral("Print Date: ")));
    });
}

}  // namespace

QString cmdExportExcel_Click(ReportInputs& in) {
    if (!RefreshOpenedTest(in))
        return QString();
    switch (in.opened->TestType) {
    case 1: return ExportPvtExcel(in);
    case 2: return ExportLsmExcel(in);
    default: return RheologyBrief(in);
    }
}

QString Export_Excel_Detail(ReportInputs& in) {
    if (!RefreshOpenedTest(in))
        return QString();
    switch (in.opened->TestType) {
    case 1: return ExportPvtExcelDetail(in);
    case 2: return ExportLsmExcelDetail(in);
    default: return RheologyDetail(in);
    }
}

}  // namespace excel

#include "reports/CsvReport.h"

#include "analysis/PvYpRule.h"
#include "analysis/PvtDensity.h"
#include "analysis/ResultPoints.h"
#include "data/DateText.h"
#include "data/Globals.h"
#include "data/Numbers.h"
#include "data/TestKindColumns.h"
#include "data/Units.h"
#include "data/clsTEST_INFO.h"
#include "data/clsTEST_RESULT.h"
#include "platform/Dialogs.h"
#include "platform/FlexGrid.h"
#include "platform/TrapErrors.h"
#include "reports/ReportHeader.h"
#include "reports/ReportText.h"

#include <QSaveFile>
#include <QStringBuilder>
#include <cmath>

using namespace resultcol;
using reporttext::maskOrEmpty;

QString TestNoLongerStoredText(const QString& testName) {
    return QStringLiteral("The test \"") + testName +
           QStringLiteral("\" is no longer stored.  It may have been deleted; please open a saved test again.");
}

bool ReadOpenedTestInfo(const StoredTestSource& source) {
    OpenedTest& opened = *source.opened;
    if (opened.OpenedTestId <= 0) {
        ui::MsgBox(kNoTestSelected, ui::vbOKOnly);
        return false;
    }
    try {
        // By its key: names are not unique.
        source.testInfos->Test_Id(opened.OpenedTestId);
        source.testInfos->GetTestDetailByKey();
        if (source.testInfos->Eof()) {
            ui::MsgBox(TestNoLongerStoredText(opened.OpenedTestName), ui::vbOKOnly);
            return false;
        }
        opened.OpenedTestInfo = source.testInfos->All();
    } catch (...) {
        ui::MsgBox(CurrentError().description, ui::vbOKOnly);
        return false;
    }
    return true;
}

QString PrintForm(const QVariant& value) {
    if (!value.isValid()) return QString();
    if (value.isNull()) return QStringLiteral("Null");
    switch (value.metaType().id()) {
        case QMetaType::QString: return value.toString();
        case QMetaType::QDateTime:
        case QMetaType::QDate: return GeneralDateText(value);
        case QMetaType::Double:
        case QMetaType::Float:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::UShort: return PrintNumber(value.toDouble());
        case QMetaType::Bool: return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
        default: return value.toString();
    }
}

namespace {

const QString kCancelSelected = ui::kCancelDescription;

// The lines of a report file, each ended by CR LF.
class Lines {
public:
    explicit Lines(qsizetype expectedChars = 4096) { text_.reserve(expectedChars); }
    Lines& operator<<(const QString& line) {
        text_ += line;
        text_ += QLatin1String("\r\n");
        return *this;
    }
    QString text() && { return std::move(text_); }
    // The text, for a line written piece by piece and ended by endLine.
    QString& raw() { return text_; }
    void endLine() { text_ += QLatin1String("\r\n"); }

private:
    QString text_;
};

// A TEST_INFO value in print form, as a CSV field.
QString infoField(const QVariant& value) { return CsvField(PrintForm(value)); }

// The header lines the CSV report holds: each label, a comma and the value.
void headerLines(Lines& out, const QList<reportheader::Field>& fields) {
    for (const reportheader::Field& field : fields)
        if (!field.csv.isEmpty()) out << field.csv + QLatin1Char(',') + infoField(field.value);
}

// The description's label, the description as one field, an empty line.
void descriptionLines(Lines& out, const reportheader::Field& description) {
    out << description.csv << infoField(description.value) << QString();
}

// A grid cell as a CSV field.
QString cellField(const FlexGridModel& grid, int row, int col) { return CsvField(grid.TextMatrix(row, col)); }

// The additive lines of the PVT and swell files: one text per additive,
// its fields padded with blanks. A field that needs quotes is quoted with its
// blanks, so a CSV reader takes it as one field.
void paddedAdditiveLines(Lines& out, const FlexGridModel& additives) {
    for (int r = 1; r < additives.Rows(); ++r) {
        out << CsvField(additives.TextMatrix(r, 0) + QStringLiteral("  ")) + QLatin1Char(',') +
                   CsvField(QStringLiteral("  ") + Format(Val(additives.TextMatrix(r, 1)), QStringLiteral("00.00")) +
                            QLatin1Char(' ')) +
                   QLatin1Char(',') + CsvField(QStringLiteral("   ") + additives.TextMatrix(r, 2) + QStringLiteral("  ")) +
                   QLatin1Char(',') + CsvField(QStringLiteral("  ") + additives.TextMatrix(r, 3));
    }
}

// The result header and lines of the PVT and swell files, one line per row
// of the result grid (row 0 its header): the cells of columns 0 to lastCol,
// the columns after lastCol left out. Column 0 is written as its text and a
// blank, every other column as a blank, its text and a blank; every field is
// followed by a comma and the line ends with three blanks. The data cells
// (rows 1 onward) of columns firstMasked to lastMasked are written through
// "####0.0###", the header cells as they are. Each field is quoted with its
// blanks when it needs quotes.
void paddedResultLines(Lines& out, const FlexGridModel& grid, int lastCol, int firstMasked, int lastMasked) {
    static const QString blank = QStringLiteral(" ");
    static const QString end = QStringLiteral("   ");
    static const QString mask = QStringLiteral("####0.0###");
    for (int r = 0; r < grid.Rows(); ++r) {
        QString line;
        for (int c = 0; c <= lastCol; ++c) {
            const QString cell = grid.TextMatrix(r, c);
            const QString shown = r > 0 && c >= firstMasked && c <= lastMasked ? Format(QVariant(cell), mask) : cell;
            line += CsvField(c == 0 ? shown + blank : blank + shown + blank);
            line += QLatin1Char(',');
        }
        out << line + end;
    }
}

// The two blank-led fields that begin a PVT or swell detail line, and the
// four that follow them: time, temperature, pressure, speed (rpm in both kinds).
QString detailStart(const ResultPoint& p) {
    QString line = Str(p[RampNo]) + QLatin1Char(',') + Str(p[CycleNo]) + QLatin1Char(',');
    line += maskOrEmpty(p[ResultTime] / 60, QStringLiteral("#0.00")) + QLatin1Char(',');
    line += maskOrEmpty(TempToDisplay(p[SampleTemp]), QStringLiteral("###0.0")) + QLatin1Char(',');
    line += maskOrEmpty(p[Press], QStringLiteral("########0")) + QLatin1Char(',');
    line += maskOrEmpty(p[Speed], QStringLiteral("###0.0#")) + QLatin1Char(',');
    return line;
}

// PrintNumber of values that seldom change from row to row (step, cycle,
// ramp step): the text of the last value kept.
class PrintNumberCache {
public:
    const QString& operator()(double value) {
        if (!valid_ || value != value_) {
            value_ = value;
            text_ = PrintNumber(value);
            valid_ = true;
        }
        return text_;
    }

private:
    bool valid_ = false;
    double value_ = 0;
    QString text_;
};

// The current row of the result records as numbers (their fields, which
// hold the column defaults where the database has nothing).
ResultPoint currentPoint(const clsTEST_RESULT& rows) {
    ResultPoint p;
    p[RampNo] = rows.RAMP_NO();
    p[RampStepNo] = rows.RAMP_STEP_NO();
    p[ResultTime] = rows.RESULT_TIME();
    p[SampleTemp] = rows.RESULT_SAMPLE_TEMP();
    p[Press] = rows.RESULT_PRESS();
    p[Speed] = rows.RESULT_SPEED();
    p[ShearStress] = rows.RESULT_SHEAR_STRESS();
    p[TypeId] = rows.RESULT_TYPE_ID();
    p[BathTemp] = rows.RESULT_BATH_TEMP();
    p[CycleNo] = rows.CYCLE_NO();
    return p;
}

}  // namespace

CsvReport::CsvReport(const StoredTestSource& source) : s_(source) {}

qint32 CsvReport::loadRows() {
    s_.testResults->Test_Id(s_.opened->OpenedTestId);
    s_.testResults->ConnectX(s_.connection);
    return s_.testResults->TotalPoints();
}

// ---- the command -----------------------------------------------------------------------

void CsvReport::Export_CSV_Report() {
    if (!ReadOpenedTestInfo(s_)) return;
    switch (s_.opened->Kind()) {
        case TestKind::Pvt: Export_CSV_PVT(); return;
        case TestKind::Lsm: Export_CSV_LSM(); return;
        default: writeReport(&CsvReport::RheologyText); return;
    }
}

void CsvReport::Export_CSV_PVT() { writeReport(&CsvReport::PvtText); }
void CsvReport::Export_CSV_LSM() { writeReport(&CsvReport::LsmText); }

void CsvReport::writeReport(QString (CsvReport::*text)()) {
    try {
        ui::FileRequest request;
        request.save = true;
        request.title = QStringLiteral("Save Report");
        request.filter = QStringLiteral("All Files (*.*)|*.*|Text Files") + QStringLiteral("(*.csv)|*.csv");
        request.filterIndex = 2;
        request.fileName = FileName;
        const std::optional<QString> chosen = ui::GetSaveFileName(request);
        if (!chosen || chosen->isEmpty()) {
            ui::MsgBox(kCancelSelected, ui::vbOKOnly);
            return;
        }
        FileName = *chosen;
        const QByteArray bytes = (this->*text)().toLatin1();
        QSaveFile file(FileName);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
            ui::MsgBox(QStringLiteral("The report cannot be written to ") + FileName + QStringLiteral(": ") +
                           file.errorString(),
                       ui::vbOKOnly);
            return;
        }
    } catch (...) {
        ui::MsgBox(CurrentError().description, ui::vbOKOnly);
    }
}

// ---- rheology ------------------------------------------------------------------------------

QString CsvReport::RheologyText() {
    const RowArray& info = s_.opened->OpenedTestInfo;
    const FlexGridModel& additives = *s_.additiveGrid;
    const FlexGridModel& grid = *s_.resultGrid;
    const qint32 n = loadRows();
    Lines out(4096 + qsizetype(grid.Rows()) * 200 + qsizetype(n) * 90);

    const reportheader::Header header = reportheader::Rheology(info);
    out << QStringLiteral("Test Report for Z3080 Rheometer.") << QString();
    headerLines(out, header.fields);
    descriptionLines(out, header.description);

    out << QStringLiteral("Additives,Concentration,Units,Lot Number");
    for (int r = 1; r < additives.Rows(); ++r) {
        out << cellField(additives, r, 0) + QLatin1Char(',') + cellField(additives, r, 1) + QLatin1Char(',') +
                   cellField(additives, r, 2) + QLatin1Char(',') + cellField(additives, r, 3);
    }
    out << QString() << QString() << QStringLiteral("Result");

    out << QStringLiteral("Step No,Cycle No,Ramp_Step No,Elapsed Time(min),Temp") + gTempLabel +
               QStringLiteral(",Pressure(psi),Shear Rate (1/s),Speed (rpm),Shear Stress") + gStressLabel +
               QStringLiteral(",Viscosity (cp),Gel (Fann Deg),Fann35 F1 Deg,PV,YP, n', Kv ,(R^2),K' ") + gKLabel +
               QStringLiteral(",K'slot,Calc.Visc@40 ") + gViscLabel + QStringLiteral(",Calc.Visc@100 ") + gViscLabel +
               QStringLiteral(", Calc.Visc@170 ") + gViscLabel;
    PvYpRule rule;
    for (int r = 1; r < grid.Rows(); ++r) {
        QString line;
        line.reserve(200);
        for (int c = 0; c < grid.Cols(); ++c) {
            line += cellField(grid, r, c);
            line += QLatin1Char(',');
            if (c == 11) {
                const PvYpRule::Result pvyp = rule.Next(grid.TextMatrix(r, 7), grid.TextMatrix(r, 11));
                if (pvyp.isPvYpLine)
                    line += PrintNumber(pvyp.pv) + QLatin1Char(',') + PrintNumber(pvyp.yp) + QLatin1Char(',');
                else
                    line += QStringLiteral(",,");
            }
        }
        out << line;
    }
    out << QString() << QStringLiteral("Detail");
    out << QStringLiteral("Step No,Cycle No,Ramp No,Elapsed Time,Avg Sample Temp,Avg Pressure,Avg Rotor,"
                          "Avg Shear Rate,Avg Shear Stress,Avg Viscosity,Gel (Fann Deg),Fann35 F1 Deg");
    out << QStringLiteral(",,,(min),") + gTempLabel + QLatin1Char(',') + gPressLabel + QStringLiteral(",RPM,(1/s),") +
               gStressLabel + QLatin1Char(',') + gViscLabel;

    static const QString kTimeMask = QStringLiteral("#0.##"), kTempMask = QStringLiteral("#0.#"),
                         kPressMask = QStringLiteral("###0"), kRotorMask = QStringLiteral("#0.####"),
                         kRateMask = QStringLiteral("#0.####"), kStressMask = QStringLiteral("##0.####"),
                         kViscMask = QStringLiteral("#0.##"), kGelMask = QStringLiteral("##0.0##"),
                         kDialMask = QStringLiteral("##0.0###");
    const double ratePerRpm = s_.opened->ShearRatePerRpm;
    PrintNumberCache stepText, cycleText, rampText;
    clsTEST_RESULT& rows = *s_.testResults;
    rows.MoveFirst();
    for (qint32 i = 0; i < n; ++i) {
        const ResultPoint p = currentPoint(rows);
        if (!s_.rowFilter || s_.rowFilter(p[rheology::result::PointType])) {
            const double rate = p[rheology::result::ShearRate];
            const double stress = p[ShearStress];
            QString& line = out.raw();
            line += stepText(p[RampNo]) % QLatin1Char(',') % cycleText(p[CycleNo]) % QLatin1Char(',') %
                    rampText(p[RampStepNo]) % QLatin1Char(',');
            const QChar comma(QLatin1Char(','));
            // A test whose bob gives no shear rate per rpm has no rotor speed.
            const QString rotor = ratePerRpm > 0 ? maskOrEmpty(rate / ratePerRpm, kRotorMask) : QString();
            const QString viscosity = rate < 1e-05 ? PrintNumber(0) : maskOrEmpty(100 * stress / rate, kViscMask);
            line += maskOrEmpty(p[ResultTime] / 60, kTimeMask) % comma %
                    maskOrEmpty(TempToDisplay(p[SampleTemp]), kTempMask) % comma % maskOrEmpty(p[Press], kPressMask) %
                    comma % rotor % comma % maskOrEmpty(rate, kRateMask) % comma %
                    maskOrEmpty(StressToDisplay(stress), kStressMask) % comma % viscosity % comma %
                    maskOrEmpty(DialReading(p[rheology::result::Gel]), kGelMask) % comma %
                    maskOrEmpty(DialReading(stress), kDialMask);
            out.endLine();
        }
        rows.MoveNext();
    }
    return std::move(out).text();
}

// ---- PVT ------------------------------------------------------------------------------------

QString CsvReport::PvtText() {
    const RowArray& info = s_.opened->OpenedTestInfo;
    const FlexGridModel& grid = *s_.resultGrid;
    Lines out(4096 + qsizetype(grid.Rows()) * 120);

    const reportheader::Header header = reportheader::Pvt(info);
    out << QStringLiteral("PVT Test Report for Z3080 Rheometer.") << QString() << QString();
    headerLines(out, header.fields);
    out << QString();
    descriptionLines(out, header.description);
    out << QStringLiteral("Additives,Concentration,Units,Lot Number");
    paddedAdditiveLines(out, *s_.additiveGrid);
    out << QString() << QString() << QStringLiteral("Results");
    paddedResultLines(out, grid, grid.Cols() - 3, 3, 6);
    out << QString() << QStringLiteral("Detail:");

    const qint32 n = loadRows();
    if (n == 0) return std::move(out).text();
    out << QStringLiteral("Step No.,cycle No.,Elapsed Time(min),Temp ") + gTempLabel +
               QStringLiteral(",Press (psi),Speed (rpm),Density (g/cm3)");
    const OpenedTest& opened = *s_.opened;
    clsTEST_RESULT& rows = *s_.testResults;
    for (rows.MoveFirst(); !rows.Eof(); rows.MoveNext()) {
        const ResultPoint p = currentPoint(rows);
        const std::optional<double> density = CalcPvtDensity(p[pvt::result::SampleHeight], opened.CuriniV,
                                                              opened.CuriniD, p[Press], p[SampleTemp], opened);
        out << detailStart(p) + (density ? maskOrEmpty(*density, kPvtDensityMask) : QString());
    }
    return std::move(out).text();
}

// ---- swell ----------------------------------------------------------------------------------

QString CsvReport::LsmText() {
    const RowArray& info = s_.opened->OpenedTestInfo;
    const FlexGridModel& grid = *s_.resultGrid;
    Lines out(4096 + qsizetype(grid.Rows()) * 120);

    const reportheader::Header header = reportheader::Swell(info);
    out << QStringLiteral("LSM Test Report for Z3080 Rheometer.") << QString() << QString();
    headerLines(out, header.fields);
    out << QString();
    descriptionLines(out, header.description);
    out << QStringLiteral("Additives   , Concentration   , Units   , Lot Number") << QString();
    paddedAdditiveLines(out, *s_.additiveGrid);
    out << QString() << QStringLiteral("Results");
    paddedResultLines(out, grid, grid.Cols() - 2, 3, 3);
    out << QString();

    const qint32 n = loadRows();
    if (n == 0) return std::move(out).text();
    out << QStringLiteral("Step No.,cycle No.,Elapsed Time(min),Temp ") + gTempLabel +
               QStringLiteral(",Press (psi),Speed (rpm),Length Change ") + gLengthLabel + QStringLiteral(",Swell (%) ");
    const double sampleLength = s_.opened->LsmSampleLength;
    const QString lengthMask = gUnitSystem == 1 ? QStringLiteral("#0.####") : QStringLiteral("#0.##");
    clsTEST_RESULT& rows = *s_.testResults;
    for (rows.MoveFirst(); !rows.Eof(); rows.MoveNext()) {
        const ResultPoint p = currentPoint(rows);
        const double change = p[swell::result::LengthChange];
        QString line = detailStart(p);
        line += std::isfinite(change) ? Format(QVariant(LengthToDisplayText(change)), lengthMask) : QString();
        line += QLatin1Char(',');
        line += sampleLength > 0 ? maskOrEmpty(change / sampleLength, QStringLiteral("0.#%")) : QString();
        out << line;
    }
    return std::move(out).text();
}

#include "sequences/SequenceGrids.h"

#include "data/BobGeometry.h"
#include "data/Globals.h"
#include "data/Numbers.h"
#include "data/SequenceLimits.h"
#include "data/TypedNumbers.h"
#include "data/Units.h"
#include "platform/FlexGrid.h"

#include <QChar>
#include <cmath>
#include <limits>

namespace seqgrid {
namespace {

const QString CR = QString(QChar(13));

double cellValue(const FlexGridModel& grid, int r, int c) { return Val(grid.TextMatrix(r, c)); }

bool isCGS() { return gUnitSystem == 1; }

// A number given as a step number: its whole value when it is one.
std::optional<int> wholeStep(double v) {
    if (!std::isfinite(v) || v != std::floor(v) || v < std::numeric_limits<int>::min() ||
        v > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(v);
}

// The nearest whole number, halves to even, clamped to the int range.
int toInt(double v) {
    if (!std::isfinite(v)) return v > 0 ? std::numeric_limits<int>::max() : std::numeric_limits<int>::min();
    const double r = std::nearbyint(v);
    if (r < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
    if (r > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
    return static_cast<int>(r);
}

void copyStepRow(FlexGridModel& grid, int from, int to) {
    for (int c = 1; c < grid.Cols(); ++c) grid.TextMatrix(to, c, grid.TextMatrix(from, c));
}

// A text rounded to a whole number by the mask and read back.
double wholeOf(double v) { return Val(Format(v, QStringLiteral("##0"))); }

// The limits of what a step may hold, in the units the editor shows.
seqlimits::Limits shown(bool bySR = false, double srFactor = 1) {
    return seqlimits::ShownLimits(gMaxPress, bySR, srFactor);
}

// A step grid row as the editor shows it.
seqlimits::Step shownStep(const FlexGridModel& grid, int r) {
    seqlimits::Step s;
    s.number = cellValue(grid, r, colStepNo);
    s.minutes = cellValue(grid, r, colElapse);
    s.temperature = cellValue(grid, r, colTemp);
    s.speed = cellValue(grid, r, colSpeed);
    s.pressure = cellValue(grid, r, colPress);
    s.interval = cellValue(grid, r, colInterval);
    s.cycles = cellValue(grid, r, colCycle);
    s.rampFlag = cellValue(grid, r, colRunRamp);
    s.tolerance = cellValue(grid, r, colTempError);
    s.tempRate = cellValue(grid, r, colTempRate);
    s.pressRate = cellValue(grid, r, colPressRate);
    return s;
}

int stepColumnOf(seqlimits::Field f) {
    using seqlimits::Field;
    switch (f) {
    case Field::Temperature: return colTemp;
    case Field::Speed: return colSpeed;
    case Field::Pressure: return colPress;
    case Field::Cycles: return colCycle;
    case Field::Minutes: return colElapse;
    case Field::Interval: return colInterval;
    case Field::RampFlag: return colRunRamp;
    case Field::Tolerance: return colTempError;
    case Field::TempRate: return colTempRate;
    case Field::PressRate: return colPressRate;
    default: return colStepNo;
    }
}

// Save's own words for the values it always checked; the others as the
// limits name them (with the step and the value).
QString saveMessage(const seqlimits::Problem& p, bool bySR) {
    using seqlimits::Field;
    switch (p.field) {
    case Field::Temperature: return QStringLiteral("Temperature input out of range.");
    case Field::Speed:
        return bySR ? QStringLiteral("Shear Rate input out of range.") : QStringLiteral("Speed input out of range.");
    case Field::Pressure: return QStringLiteral("Pressure input out of range.");
    case Field::Cycles:
        if (p.value < seqlimits::kMinCycles) return QStringLiteral("Cycle no. input out of range.");
        return p.message;
    default: return p.message;
    }
}

}  // namespace

// ---- headers and bob ----------------------------------------------------

void InitStepGridHeader(FlexGridModel& grid) {
    grid.Rows(1);
    grid.RowHeight(0, 600);
    grid.WordWrap(true);
    const QString rateUnit = isCGS() ? QStringLiteral("Rate (°F/min)") : QStringLiteral("Rate (°C/min)");
    grid.FormatString(QStringLiteral("<Step No|<Elapse") + CR + QStringLiteral("Time (min)|<Temp.") + CR +
                      gTempLabel + QStringLiteral("|<Temp.") + CR + QStringLiteral("Error") + gTempLabel +
                      QStringLiteral("|<Temp. Ramp") + CR + rateUnit + QStringLiteral("|<Shear") + CR +
                      QStringLiteral("Rate (1/S)") + QStringLiteral("|<Press.") + CR + QStringLiteral("(psi)|<Press.") +
                      CR + QStringLiteral("Rate (psi/min)") + QStringLiteral("|<Record") + CR +
                      QStringLiteral("Interval") + CR + QStringLiteral("(sec)") + QStringLiteral("|<Cycle") +
                      QStringLiteral("|<Ramp"));
    for (int c = 0; c < grid.Cols(); ++c) grid.ColWidth(c, c == colTempRate ? 1050 : 750);
}

void InitRampDefineGridHeader(FlexGridModel& grid) {
    grid.Cols(2);
    grid.Rows(kRampDefineRows);
    grid.RowHeight(0, 400);
    grid.WordWrap(true);
    grid.FormatString(QStringLiteral("Time(sec)|<Shear Rate (1/s) ") + QStringLiteral("|<interval(sec) "));
    for (int c = 0; c < grid.Cols(); ++c) grid.ColWidth(c, 1000);
}

QString StepSpeedHeader(bool bySR) {
    return bySR ? QStringLiteral("Shear Rate (1/s)") : QStringLiteral("Speed (RPM)");
}

QString RampDefineSpeedHeader(bool bySR) {
    return bySR ? QStringLiteral("Shear") + CR + QStringLiteral("Rate(1/s)") : QStringLiteral("Speed ") + CR + QStringLiteral("(RPM)");
}

double BobRadius(const QString& bobName, double current) {
    const bob::KnownBob* b = bob::FindBob(bobName);
    return b && b->unitNumber != 0 ? b->radiusCm : current;
}

// ---- stored rows as text and back -----------------------------------------

QStringList StepRowTexts(const RowArray& row, bool bySR, double srFactor) {
    auto e = [&](int i) { return i < row.size() ? row[i].toDouble() : 0.0; };
    const QString d2 = QStringLiteral("##0.##");
    const double scale = isCGS() ? 1.0 : 1.8;
    QStringList t;
    t << CStr(e(2));                                          // step number
    t << Format(e(3), d2);                                    // elapse time
    t << Format(TempToDisplay(e(4)), d2);                     // temperature
    t << Format(e(5) / scale, QStringLiteral("##0"));         // temperature error
    t << Format(e(10) / scale, d2);                           // temperature ramp rate
    t << (bySR ? Format(e(6) * srFactor, QStringLiteral("####0.###")) : Format(e(6), d2));
    t << CStr(e(8));   // pressure
    t << CStr(e(12));  // pressure rate
    t << CStr(e(7));   // record interval
    t << CStr(e(11));  // cycle
    t << CStr(e(9));   // ramp flag
    return t;
}

QStringList RampDefineRowTexts(const RowArray& row, bool bySR, double srFactor) {
    auto e = [&](int i) { return i < row.size() ? row[i].toDouble() : 0.0; };
    return {Format(e(4), QStringLiteral("##0")),
            bySR ? Format(e(3) * srFactor, QStringLiteral("####0.###")) : Format(e(3), QStringLiteral("####0")),
            Format(e(5), QStringLiteral("##0"))};
}

QVector<double> StepRowToStorage(const FlexGridModel& grid, int row, bool bySR, double srFactor) {
    QVector<double> v(kStepCols);
    for (int c = 0; c < kStepCols; ++c) v[c] = cellValue(grid, row, c);
    QVector<double> s = v;
    if (isCGS()) {
        s[colTemp] = wholeOf(v[colTemp]);
        s[colTempError] = wholeOf(v[colTempError]);
        s[colTempRate] = Val(Format(v[colTempRate], QStringLiteral("##0.##")));
    } else {
        // °C to the nearest whole °F, as the CGS path rounds (a cell showing
        // 93.33 comes back as the 200 °F it was loaded from).
        s[colTemp] = wholeOf(v[colTemp] * 1.8 + 32);
        s[colTempError] = wholeOf(v[colTempError] * 1.8);
        s[colTempRate] = Val(Format(v[colTempRate] * 1.8, QStringLiteral("##0.##")));
    }
    s[colSpeed] = bySR ? v[colSpeed] / srFactor : v[colSpeed];
    return s;
}

RampDefineValues RampDefineRowToStorage(const FlexGridModel& grid, int row, bool bySR, double srFactor) {
    RampDefineValues r;
    r.delayTime = cellValue(grid, row, 0);
    const double speed = cellValue(grid, row, 1);
    r.rampSpeed = bySR ? speed / srFactor : speed;
    r.intervals = cellValue(grid, row, 2);
    return r;
}

bool RampDefineEnds(const QString& timeCell) { return timeCell.isEmpty() || timeCell == QLatin1String(" "); }

// ---- Save's checks ---------------------------------------------------------

std::optional<CellFailure> ValidateStepGrid(FlexGridModel& grid, bool bySR, double srFactor) {
    const seqlimits::Limits limits = shown(bySR, srFactor);
    for (int r = 1; r < grid.Rows(); ++r) {
        // Each checked cell is made current before it is read.
        for (int c : {colTemp, colSpeed, colPress, colCycle}) {
            grid.Row(r);
            grid.Col(c);
        }
        const double numberBefore = r > 1 ? cellValue(grid, r - 1, colStepNo) : 0;
        if (const auto p = seqlimits::CheckStep(r, shownStep(grid, r), numberBefore, limits)) {
            const int c = stepColumnOf(p->field);
            grid.Row(r);
            grid.Col(c);
            return CellFailure{r, c, saveMessage(*p, bySR)};
        }
    }
    return std::nullopt;
}

std::optional<CellFailure> ValidateRampDefineGrid(const FlexGridModel& grid, bool bySR, double srFactor) {
    const seqlimits::Limits limits = shown(bySR, srFactor);
    for (int r = 1; r < grid.Rows(); ++r) {
        if (RampDefineEnds(grid.TextMatrix(r, 0))) break;
        const seqlimits::RampEntry e{cellValue(grid, r, 0), cellValue(grid, r, 1), cellValue(grid, r, 2)};
        if (const auto p = seqlimits::CheckRampEntry(r, e, limits)) {
            const int c = p->field == seqlimits::Field::RampSeconds ? 0 : p->field == seqlimits::Field::RampSpeed ? 1 : 2;
            return CellFailure{r, c, p->message};
        }
    }
    return std::nullopt;
}

int RampDefineEntryCount(const FlexGridModel& grid) {
    int n = 0;
    while (n + 1 < grid.Rows() && !RampDefineEnds(grid.TextMatrix(n + 1, 0))) ++n;
    return n;
}

std::optional<CellFailure> ValidateRampFlags(FlexGridModel& steps, const FlexGridModel& rampDefine) {
    const int entries = RampDefineEntryCount(rampDefine);
    for (int r = 1; r < steps.Rows(); ++r) {
        if (const auto p = seqlimits::CheckRampWanted(r, shownStep(steps, r), entries)) {
            steps.Row(r);
            steps.Col(colRunRamp);
            return CellFailure{r, colRunRamp, p->message};
        }
    }
    return std::nullopt;
}

// ---- step builder -----------------------------------------------------------

int BuilderStepCount(const BuilderEntry& entry) {
    const double n = std::nearbyint(typed::TypedNumber(entry.txtTotalSteps).value_or(0));
    if (!(n > 0) || n > std::numeric_limits<int>::max() - 1) return 0;
    return static_cast<int>(n);
}

std::optional<EntryFailure> CheckBuilderEntry(const BuilderEntry& entry, bool bySR, double srFactor) {
    if (BuilderStepCount(entry) <= 0)
        return EntryFailure{QStringLiteral("You must input the total number of steps."), QStringLiteral("txtTotalSteps"), {}};
    // A slip of the keyboard must not try to build a grid larger than memory.
    if (BuilderStepCount(entry) > kMaxBuilderSteps)
        return EntryFailure{QStringLiteral("Total number of steps out of range. It can not be over ") + CStr(kMaxBuilderSteps),
                            QStringLiteral("txtTotalSteps"), {}};
    // The steps built are steps Save takes (SequenceLimits).
    const seqlimits::Limits limits = shown(bySR, srFactor);
    if (!seqlimits::TemperatureFits(Val(entry.txtTemp), limits))
        return EntryFailure{QStringLiteral("Temperature input out of range. temperature can not over ") + CStr(limits.maxTemp),
                            QStringLiteral("txtTemp"), {}};
    if (!seqlimits::PressureFits(Val(entry.txtPressure), limits))
        return EntryFailure{QStringLiteral("Pressure input out of range.pressure can not over ") + CStr(limits.maxPress),
                            QStringLiteral("txtPressure"), {}};
    if (!seqlimits::CyclesFit(Val(entry.txtCycle)))
        return EntryFailure{QStringLiteral("Cycle input out of range."), QStringLiteral("txtCycle"), {}};
    if (!seqlimits::SpeedFits(Val(entry.txtSpeed), limits))
        return EntryFailure{bySR ? QStringLiteral("Shear rate input out of range.")
                                 : QStringLiteral("Speed input out of range."),
                            QStringLiteral("txtSpeed"), {}};
    // The boxes that have no words of their own.
    using seqlimits::Field;
    const double minutes = Val(entry.txtStepTime);
    if (!seqlimits::StepMinutesFit(minutes))
        return EntryFailure{seqlimits::ValueMessage(Field::Minutes, minutes, limits), QStringLiteral("txtStepTime"), {}};
    const double interval = Val(entry.txtInterval);
    if (!seqlimits::SecondsFit(interval))
        return EntryFailure{seqlimits::ValueMessage(Field::Interval, interval, limits), QStringLiteral("txtInterval"),
                            {}};
    const double rampFlag = Val(entry.txtRunRamp);
    if (!seqlimits::RampFlagFits(rampFlag))
        return EntryFailure{seqlimits::ValueMessage(Field::RampFlag, rampFlag, limits), QStringLiteral("txtRunRamp"),
                            {}};
    // The rates are typed as their sizes, as in the insert dialog.
    const double tempRate = Val(entry.txtTempRate);
    if (!seqlimits::TypedRateFits(tempRate))
        return EntryFailure{seqlimits::ValueMessage(Field::TempRate, tempRate, limits), QStringLiteral("txtTempRate"),
                            {}};
    const double pressRate = Val(entry.txtPressRate);
    if (!seqlimits::TypedRateFits(pressRate))
        return EntryFailure{seqlimits::ValueMessage(Field::PressRate, pressRate, limits),
                            QStringLiteral("txtPressRate"), {}};
    return std::nullopt;
}

void FillStepsFromEntry(FlexGridModel& grid, const BuilderEntry& entry) {
    const int n = BuilderStepCount(entry);
    const QStringList cells{
        QString(),
        CStr(Val(entry.txtStepTime)),
        Format(Val(entry.txtTemp), QStringLiteral("##0")),
        Format(Val(entry.txtTempError), QStringLiteral("##0")),
        Format(Val(entry.txtTempRate), QStringLiteral("##0.##")),
        Format(Val(entry.txtSpeed), QStringLiteral("##0.##")),
        Format(Val(entry.txtPressure), QStringLiteral("##0")),
        Format(Val(entry.txtPressRate), QStringLiteral("##0")),
        CStr(Val(entry.txtInterval)),
        CStr(Val(entry.txtCycle)),
        CStr(Val(entry.txtRunRamp)),
    };
    grid.Rows(n + 1);
    for (int i = 1; i <= n; ++i) {
        grid.TextMatrix(i, colStepNo, QString::number(i));
        for (int c = 1; c < kStepCols; ++c) grid.TextMatrix(i, c, cells[c]);
    }
}

// ---- in-cell editing ---------------------------------------------------------

void CommitStepCell(FlexGridModel& grid, const QString& text) {
    const int r = grid.Row();
    const int c = grid.Col();
    const int last = grid.Rows() - 1;
    if (r <= 1 || (c != colTemp && c != colTempRate && c != colPress && c != colPressRate)) {
        grid.TextMatrix(r, c, text);
        return;
    }
    // A cell that holds no number (empty, or text) gives no direction: the
    // signs it would decide are left as they are.
    auto holdsNumber = [&grid](int row, int col) { return StrictNumber(grid.TextMatrix(row, col)).has_value(); };

    if (c == colTempRate || c == colPressRate) {
        const int valueCol = c == colTempRate ? colTemp : colPress;
        if (!holdsNumber(r, valueCol) || !holdsNumber(r - 1, valueCol)) {
            grid.TextMatrix(r, c, text);
            return;
        }
        const double here = cellValue(grid, r, valueCol);
        grid.TextMatrix(r, c, CStr(seqlimits::SignedRate(Val(text), here, cellValue(grid, r - 1, valueCol))));
        return;
    }

    // A temperature or pressure: the rates of this step and of the next follow.
    const bool isTemp = c == colTemp;
    const int rateCol = isTemp ? colTempRate : colPressRate;
    grid.TextMatrix(r, c, text);
    if (holdsNumber(r, c)) {
        const double here = cellValue(grid, r, c);
        if (r < last && holdsNumber(r + 1, c)) {
            const double next = cellValue(grid, r + 1, c);
            // A temperature equal to the next leaves the next rate alone; a
            // pressure equal to the next counts as rising.
            const double rate = cellValue(grid, r + 1, rateCol);
            if (!(isTemp && next == here))
                grid.TextMatrix(r + 1, rateCol, CStr(seqlimits::SignedRate(rate, next, here)));
        }
        if (holdsNumber(r - 1, c)) {
            // Rewritten only when its sign is wrong.
            const double rate = cellValue(grid, r, rateCol);
            const double signedRate = seqlimits::SignedRate(rate, here, cellValue(grid, r - 1, c));
            if (signedRate != rate) grid.TextMatrix(r, rateCol, CStr(signedRate));
        }
    }
    grid.Row(r);
    grid.Col(c);
}

namespace {
// A cell's text refused, named by its row and its column's header (read on
// one line).
std::optional<QString> cellRefusal(const FlexGridModel& grid, const QString& row, int col, const QString& text) {
    if (typed::TypedNumber(text, 0.0)) return std::nullopt;
    const QString header = grid.TextMatrix(0, col).simplified();
    return typed::NotANumberMessage(row + QStringLiteral(", ") + header, text);
}
}  // namespace

std::optional<QString> StepCellRefusal(const FlexGridModel& grid, int row, int col, const QString& text) {
    return cellRefusal(grid, QStringLiteral("Step ") + QString::number(row), col, text);
}

std::optional<QString> RampDefineCellRefusal(const FlexGridModel& grid, int row, int col, const QString& text) {
    return cellRefusal(grid, QStringLiteral("Ramp entry ") + QString::number(row), col, text);
}

// ---- insert, paste, delete ----------------------------------------------------

void RenumberSteps(FlexGridModel& grid) {
    for (int i = 1; i < grid.Rows(); ++i) grid.TextMatrix(i, colStepNo, Str(i));
}

std::optional<EntryFailure> CheckInsertEntry(const InsertEntry& e, bool srMode, double srFactor) {
    // The new step is one Save takes (SequenceLimits).
    const seqlimits::Limits limits = shown(srMode, srFactor);
    const double time = Val(e.txtTime);
    if (!seqlimits::InsertMinutesFit(time))
        return EntryFailure{QStringLiteral("Invalid time input"), QStringLiteral("txtTime"),
                            QStringLiteral("Time input out of range")};
    if (!seqlimits::TemperatureFits(Val(e.txtTemp), limits))
        return EntryFailure{QStringLiteral("Invalid temperature input"), QStringLiteral("txtTemp"),
                            QStringLiteral("Temperature input out of range")};
    if (!seqlimits::TypedRateFits(Val(e.txtTempRate)))
        return EntryFailure{QStringLiteral("Invalid TempRamp Rate input"), QStringLiteral("txtTempRate"), {}};
    if (!seqlimits::PressureFits(Val(e.txtPress), limits))
        return EntryFailure{QStringLiteral("Invalid pressure input"), QStringLiteral("txtPress"),
                            QStringLiteral("Pressure input out of range")};
    if (!seqlimits::TypedRateFits(Val(e.txtPressRate)))
        return EntryFailure{QStringLiteral("Invalid Press Rate input"), QStringLiteral("txtPressRate"), {}};
    if (!seqlimits::SecondsFit(Val(e.txtRate)))
        return EntryFailure{QStringLiteral("Invalid data recording interval input"), QStringLiteral("txtRate"),
                            QStringLiteral("Data recording rate input out of range")};
    if (!seqlimits::CyclesFit(Val(e.txtcycle)))
        return EntryFailure{QStringLiteral("Invalid Cycle input, must > 0"), QStringLiteral("txtcycle"), {}};
    if (!seqlimits::RampFlagFits(Val(e.txtRunRamp)))
        return EntryFailure{QStringLiteral("Invalid Run Ramp input, only '0' or '1'"), QStringLiteral("txtRunRamp"), {}};
    if (!seqlimits::SpeedFits(Val(e.txtShearrate), limits)) {
        if (srMode)
            return EntryFailure{QStringLiteral("Invalid shear rate input"), QStringLiteral("txtShearrate"),
                                QStringLiteral("Shear rate input out of range")};
        return EntryFailure{QStringLiteral("Invalid speed input"), QStringLiteral("txtShearrate"),
                            QStringLiteral("RPM input out of range")};
    }
    return std::nullopt;
}

NewStep NewStepOf(const InsertEntry& e) {
    NewStep s;
    s.time = Val(e.txtTime);
    s.Temp = Val(e.txtTemp);
    s.TempError = Val(e.txtTempError);
    s.TempRampRate = Val(e.txtTempRate);
    s.ShearRate = Val(e.txtShearrate);
    s.Press = Val(e.txtPress);
    s.PressRate = Val(e.txtPressRate);
    s.Rate = Val(e.txtRate);
    s.Cycle = Val(e.txtcycle);
    s.RunRamp = Val(e.txtRunRamp);
    return s;
}

int InsertStep(FlexGridModel& grid, double s, bool before, const NewStep& step) {
    const int oldLast = grid.Rows() - 1;
    const int n = toInt(s);
    // Before step n, or after it; a step number beyond the grid goes to the
    // nearest end.
    long long target = (n > 0 && before) ? n : static_cast<long long>(n) + 1;
    if (target < 1) target = 1;
    if (target > oldLast + 1) target = oldLast + 1;
    const int at = static_cast<int>(target);

    grid.Rows(grid.Rows() + 1);
    for (int k = oldLast; k >= at; --k) copyStepRow(grid, k, k + 1);
    const double values[] = {step.time,      step.Temp,      step.TempError, step.TempRampRate, step.ShearRate,
                             step.Press,     step.PressRate, step.Rate,      step.Cycle,        step.RunRamp};
    for (int c = 1; c <= 10; ++c) grid.TextMatrix(at, c, Str(values[c - 1]));
    RenumberSteps(grid);
    return at;
}

bool PasteSteps(FlexGridModel& grid, StepBuffer& buffer, double from, double to, double at, int position,
                double newTemperature, double newPressure) {
    const int last = grid.Rows() - 1;
    const auto a = wholeStep(from), b = wholeStep(to), c = wholeStep(at);
    if (!a || !b || !c || *a < 1 || *b > last || *a > *b || *c < 1 || *c > last) return false;
    const int count = *b - *a + 1;
    const int cols = grid.Cols();

    // The range is buffered before any row moves, so the paste position may
    // lie inside or after it.
    if (buffer.size() < count + 1) buffer.resize(count + 1);
    for (int i = 1; i <= count; ++i) {
        QStringList row;
        row.reserve(cols);
        row << QString();
        for (int col = 1; col < cols; ++col) row << grid.TextMatrix(*a + i - 1, col);
        buffer[i] = row;
    }

    const int oldRows = grid.Rows();
    grid.Rows(oldRows + count);
    const bool beforeAt = position == 1;
    const int stop = beforeAt ? *c + 1 : *c + 2;
    for (int k = oldRows; k >= stop; --k) copyStepRow(grid, k - 1, k - 1 + count);
    for (int i = 1; i <= count; ++i) {
        const int r = beforeAt ? *c + i - 1 : *c + i;
        for (int col = 1; col < cols; ++col) grid.TextMatrix(r, col, buffer[i].value(col));
        grid.TextMatrix(r, colTemp, Format(newTemperature, QStringLiteral("##0")));
        grid.TextMatrix(r, colPress, Format(newPressure, QStringLiteral("####0")));
    }
    RenumberSteps(grid);
    return true;
}

bool DeleteCurrentStep(FlexGridModel& grid) {
    const int r = grid.Row();
    if (r <= 0 || r >= grid.Rows()) return false;
    for (int k = r + 1; k < grid.Rows(); ++k) copyStepRow(grid, k, k - 1);
    grid.Rows(grid.Rows() - 1);
    RenumberSteps(grid);
    return true;
}

bool DeleteSteps(FlexGridModel& grid, StepBuffer& buffer, double from, double to) {
    const int last = grid.Rows() - 1;
    const auto e = wholeStep(from), f = wholeStep(to);
    if (!e || !f || *e < 1 || *f > last || *e > *f) return false;
    const int cols = grid.Cols();
    for (int r = *e; r <= *f; ++r)
        for (int col = 1; col < cols; ++col) grid.TextMatrix(r, col, QString());
    const int after = grid.Rows() - *f - 1;
    if (buffer.size() < after + 1) buffer.resize(after + 1);
    for (int k = 1; k <= after; ++k) {
        QStringList row;
        row << QString();
        for (int col = 1; col < cols; ++col) row << grid.TextMatrix(*f + k, col);
        buffer[k] = row;
    }
    for (int k = 1; k <= after; ++k)
        for (int col = 1; col < cols; ++col) grid.TextMatrix(*e + k - 1, col, buffer[k].value(col));
    grid.Rows(grid.Rows() - (*f - *e + 1));
    RenumberSteps(grid);
    return true;
}

std::optional<EntryFailure> CheckCopyPaste(double copyFrom, double copyTo, double newPressure,
                                           double newTemperature) {
    if (!(copyTo >= copyFrom))
        return EntryFailure{
            QStringLiteral("Copied steps should be listed in order from lower to higher numbered steps"), {},
            QStringLiteral("Step No. input invalid")};
    const seqlimits::Limits limits = shown();
    if (!seqlimits::PressureFits(newPressure, limits))
        return EntryFailure{QStringLiteral("Invalid new target pressure"), {},
                            QStringLiteral("New target pressure input invalid")};
    if (!seqlimits::TemperatureFits(newTemperature, limits))
        return EntryFailure{QStringLiteral("Invalid new target temperature"), {},
                            QStringLiteral("New target temperature input invalid")};
    return std::nullopt;
}

std::optional<EntryFailure> CheckDeleteSteps(double deleteFrom, double deleteTo) {
    if (deleteTo < deleteFrom)
        return EntryFailure{
            QStringLiteral("Deleted steps should be listed in order from lower to higher numbered steps"), {},
            QStringLiteral("Step No. input invalid")};
    return std::nullopt;
}

QStringList StepNumberEntries(const FlexGridModel& grid) {
    QStringList out;
    for (int i = 1; i < grid.Rows(); ++i) out << Str(i);
    return out;
}

}  // namespace seqgrid

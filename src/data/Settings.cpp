#include "data/Settings.h"

#include "data/Globals.h"
#include "data/Numbers.h"
#include "data/Units.h"
#include "platform/Dialogs.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cmath>
#include <optional>

namespace {

// The failures of this file, with the run-time error numbers of their kind.
struct Failure {
    int number;
    const char* description;
};
constexpr Failure kSubscriptOutOfRange{9, "Subscript out of range"};
constexpr Failure kTypeMismatch{13, "Type mismatch"};
constexpr Failure kFileNotFound{53, "File not found"};
constexpr Failure kDiskFull{61, "Disk full"};
constexpr Failure kInputPastEnd{62, "Input past end of file"};
constexpr Failure kPermissionDenied{70, "Permission denied"};
constexpr Failure kPathFileAccess{75, "Path/File access error"};
constexpr Failure kPathNotFound{76, "Path not found"};
constexpr Failure kInvalidPropertyValue{380, "Invalid property value"};

SettingsFailure make(const Failure& f) { return SettingsFailure{f.number, QString::fromLatin1(f.description)}; }

// Thrown inside a handler and caught before it returns.
struct Error {
    SettingsFailure failure;
    explicit Error(const Failure& f) : failure(make(f)) {}
    explicit Error(SettingsFailure f) : failure(std::move(f)) {}
};

QString settingsPath() { return dataFile(kSettingsFileName); }

// Every line of the file. A missing file, a folder in its place or a file
// that cannot be opened or read is an Error.
QStringList readLines() {
    const QString path = settingsPath();
    const QFileInfo info(path);
    if (!info.exists()) {
        if (info.isSymLink()) throw Error(kPathFileAccess);  // dangling link
        throw Error(kFileNotFound);
    }
    if (info.isDir()) throw Error(kPathFileAccess);
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        throw Error(f.error() == QFileDevice::PermissionsError || !info.isReadable() ? kPermissionDenied
                                                                                       : kPathFileAccess);
    }
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError) throw Error(kPathFileAccess);
    f.close();

    QStringList lines;
    const qsizetype n = bytes.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n') continue;
        lines << QString::fromLatin1(bytes.constData() + start, i - start);
        if (c == '\r' && i + 1 < n && bytes[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < n) lines << QString::fromLatin1(bytes.constData() + start, n - start);
    return lines;
}

// The failure of a write that could not be done.
Failure writeFailure(const QString& path, QFileDevice::FileError error) {
    const QFileInfo info(path);
    if (info.isDir()) return kPathFileAccess;
    const QFileInfo folder(info.absolutePath());
    if (!folder.isDir()) return kPathNotFound;
    if (error == QFileDevice::ResourceError) return kDiskFull;
    if ((info.exists() && !info.isWritable()) || !folder.isWritable() || error == QFileDevice::PermissionsError)
        return kPermissionDenied;
    return kPathFileAccess;
}

// Replaces the file with the lines given, each ended by CR LF. The old file
// stays as it was unless the whole new text was written.
void writeLines(const QStringList& lines) {
    const QString path = settingsPath();
    const QFileInfo info(path);
    if (info.isDir()) throw Error(kPathFileAccess);
    if (info.exists() && !info.isWritable()) throw Error(kPermissionDenied);  // a read-only file stays read-only

    QByteArray bytes;
    for (const QString& line : lines) {
        bytes += line.toLatin1();
        bytes += "\r\n";
    }
    QSaveFile f(path);
    f.setDirectWriteFallback(true);  // a folder that takes no new files: write in place
    if (!f.open(QIODevice::WriteOnly)) throw Error(writeFailure(path, f.error()));
    if (f.write(bytes) != bytes.size()) {
        const auto error = f.error();
        f.cancelWriting();
        throw Error(writeFailure(path, error));
    }
    if (!f.commit()) throw Error(writeFailure(path, f.error()));
}

// True when the text begins (after blanks) with a number.
bool hasLeadingNumber(const QString& text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto blank = [&](qsizetype k) { return text[k] == QLatin1Char(' ') || text[k] == QLatin1Char('\t'); };
    while (i < n && blank(i)) ++i;
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) ++i;
    while (i < n && blank(i)) ++i;
    if (i < n && text[i] == QLatin1Char('.')) ++i;
    return i < n && text[i].unicode() < 128 && text[i].isDigit();
}

// The whole number nearest to a number, halves to the even neighbour.
std::optional<long long> wholeNumber(double v) {
    const double r = std::nearbyint(v);
    if (!std::isfinite(r) || r < -2147483648.0 || r > 2147483647.0) return std::nullopt;
    return static_cast<long long>(r);
}

QString unitLine(int unitSystem) {
    if (unitSystem == 1) return QStringLiteral("CGS");
    if (unitSystem == 2) return QStringLiteral("SI");
    return QString();
}

QString rateLine(bool bySR) { return bySR ? QStringLiteral("By the SR") : QStringLiteral("BY the Speed"); }

void showDescription(const SettingsFailure& f) { ui::MsgBox(f.description, ui::vbOKOnly); }

void applyDefaults() {
    gUnitSystem = 1;
    gKUnit = 1;
    gBySR = true;
    gSF = 1.0;
}

}  // namespace

// ---- main window ---------------------------------------------------------

void ReadInitialFile(InitialLineSlots& InitialLines) {
    gMaxPress = 30000;

    // Whether the file was there but could not be read at all: its content is
    // then unknown, and replacing it would lose it.
    bool unread = false;
    try {
        QStringList lines;
        try {
            lines = readLines();
        } catch (const Error& e) {
            unread = e.failure.number != kFileNotFound.number;
            throw;
        }
        for (auto& slot : InitialLines) slot.clear();
        for (int i = 0; i < lines.size() && i < kMaxInitialLines; ++i) InitialLines[i + 1] = lines[i];
        if (lines.size() > kMaxInitialLines) throw Error(kSubscriptOutOfRange);

        // Items are recognised by content; a later line overrides an earlier one.
        // An item with no line takes its default through the normalisation
        // below; the rate basis keeps the value it had.
        gUnitSystem = 0;
        gKUnit = 0;
        gSF = 0;
        for (int i = 1; i <= lines.size(); ++i) {
            const QString& line = InitialLines[i];
            if (line == QLatin1String("CGS")) {
                gUnitSystem = 1;
            } else if (line == QLatin1String("SI")) {
                gUnitSystem = 2;
            } else if (line.startsWith(QLatin1String("Kunit"))) {
                const qsizetype comma = line.indexOf(QLatin1Char(','));
                const QString text = comma >= 0 ? line.mid(comma + 1, 2) : line.left(2);
                const auto v = StrictNumber(text);
                const auto k = v ? wholeNumber(*v) : std::nullopt;
                if (!k || *k < -32768 || *k > 32767) throw Error(kTypeMismatch);
                gKUnit = static_cast<short>(*k);
            } else if (line.startsWith(QLatin1String("SF"))) {
                const qsizetype comma = line.indexOf(QLatin1Char(','));
                const auto v = StrictNumber(comma >= 0 ? line.mid(comma + 1) : line);
                if (!v) throw Error(kTypeMismatch);
                gSF = *v;
            } else if (line == QLatin1String("By the SR")) {
                gBySR = true;
            } else if (line == QLatin1String("BY the Speed")) {
                gBySR = false;
            }
        }
        if (gUnitSystem != 1 && gUnitSystem != 2) gUnitSystem = 1;
        if (gKUnit != 1 && gKUnit != 2) gKUnit = 1;
        gSF = UsableScaleFactor(gSF);  // 0 (or no SF line), and any factor no layout can use
    } catch (const Error& e) {
        const int n = e.failure.number;
        if (n != kFileNotFound.number && n != kTypeMismatch.number)
            ui::MsgBox(ui::errorText(n, e.failure.description), ui::vbOKOnly);
        applyDefaults();
        SetUnitLabels();
        SettingsFailure wf;
        if (!unread && !WriteInitialFile(InitialLines, &wf))
            ui::MsgBox(ui::errorText(wf.number, wf.description), ui::vbOKOnly);
        return;
    }

    // The settings read are sound even when the file cannot be rewritten:
    // they stay in effect and the file stays as it is.
    SettingsFailure wf;
    if (!WriteInitialFile(InitialLines, &wf)) ui::MsgBox(ui::errorText(wf.number, wf.description), ui::vbOKOnly);
    SetUnitLabels();
}

bool WriteInitialFile(const InitialLineSlots& InitialLines, SettingsFailure* failure) {
    QStringList lines;
    for (int k = 1; k <= 8; ++k) lines << PrintNumber(Val(InitialLines[k]));
    if (const QString u = unitLine(gUnitSystem); !u.isEmpty()) lines << u;
    lines << QStringLiteral("Kunit ,") + CStr(gKUnit);
    lines << QStringLiteral("SF ,") + CStr(gSF);
    lines << rateLine(gBySR);
    try {
        writeLines(lines);
    } catch (const Error& e) {
        if (failure) *failure = e.failure;
        return false;
    }
    return true;
}

void SetUnitLabels() {
    if (gUnitSystem == 1) {
        gTempLabel = QStringLiteral("(°F)");
        gPressLabel = QStringLiteral("(Psi)");
        gViscLabel = QStringLiteral("( cP )");
        gStressLabel = QStringLiteral("(dyn/cm2)");
        gLengthLabel = QStringLiteral("(in.)");
        gMaxTemp = 600;
        gMinTemp = 0;
    } else {
        gTempLabel = QStringLiteral("(°C)");
        gPressLabel = QStringLiteral("(Psi)");
        gViscLabel = QStringLiteral("(mPa.s)");
        gStressLabel = QStringLiteral("( Pa )");
        gLengthLabel = QStringLiteral("(mm)");
        gMaxTemp = ConvertTempInt(600, QString());  // 316
        gMinTemp = ConvertTempInt(0, QString());    // -18
    }
    if (gKUnit == 1)
        gKLabel = QStringLiteral("(lbf - s^n / 100 ft2)");
    else if (gKUnit == 2)
        gKLabel = QStringLiteral("(lbf - s^n / ft2)");
}

bool ScaleFactorInRange(double factor) { return factor >= kMinScaleFactor && factor <= kMaxScaleFactor; }

double UsableScaleFactor(double factor) { return ScaleFactorInRange(factor) ? factor : 1.0; }

bool ResetScreenScale(InitialLineSlots& InitialLines) {
    try {
        QStringList lines = readLines();
        if (lines.size() > kMaxInitialLines) throw Error(kSubscriptOutOfRange);
        for (QString& line : lines)
            if (line.startsWith(QLatin1String("SF"))) line = QStringLiteral("SF ,1");
        writeLines(lines);
        for (auto& slot : InitialLines) slot.clear();
        for (int i = 0; i < lines.size(); ++i) InitialLines[i + 1] = lines[i];
        gSF = 1.0;
        return true;
    } catch (const Error& e) {
        showDescription(e.failure);
        return false;
    }
}

// ---- sequence editor's instrument-settings tab -----------------------------

QStringList PortEntries() {
    QStringList entries{QStringLiteral("None")};
    for (int k = 1; k <= 20; ++k) entries << QStringLiteral("Comm ") + QString::number(k);
    return entries;
}

QString SetupSettings::selectedText(int i) const {
    if (i < 1 || i > 8) return QString();
    const int sel = cmbUnit[i];
    return sel >= 0 && sel < cmbUnitItems[i].size() ? cmbUnitItems[i][sel] : QString();
}

void LoadPortSettings(SetupSettings& s) {
    const QStringList entries = PortEntries();
    for (int k = 1; k <= 8; ++k) {
        s.cmbUnitItems[k] = entries;
        s.cmbUnit[k] = 0;
    }
    try {
        const QStringList lines = readLines();
        for (int k = 1; k <= 8; ++k) {
            if (k > lines.size()) throw Error(kInputPastEnd);
            if (!hasLeadingNumber(lines[k - 1])) throw Error(kTypeMismatch);
            const auto port = wholeNumber(Val(lines[k - 1]));
            if (!port) throw Error(kTypeMismatch);
            if (*port < 0 || *port > 20) throw Error(kInvalidPropertyValue);
            s.cmbUnit[k] = static_cast<int>(*port);
        }
        s.optCGS = gUnitSystem == 1;
        s.OptSI = !s.optCGS;
        s.OptK1 = gKUnit == 1;
        s.OptK2 = gKUnit == 2;
        s.txtSF = CStr(gSF);
        s.Option2 = gBySR;
        s.Option1 = !gBySR;
    } catch (const Error& e) {
        showDescription(e.failure);
    }
}

bool SaveInstrumentSettings(SetupSettings& s) {
    if (s.UnitChanged) {
        const int answer = ui::MsgBox(
            QStringLiteral("You have changed unit measurement.  Click Save, then quit and restart Z3080DAQ to "
                           "finalize your unit measurement changes."),
            ui::vbOKCancel + ui::vbInformation + ui::vbDefaultButton2, QStringLiteral("Change Unit!"));
        if (answer == ui::vbCancel) {
            s.UnitChanged = false;
            return false;
        }
    }

    // A list with nothing selected counts as "None".
    auto port = [&](int i) { return s.cmbUnit[i] >= 1 && s.cmbUnit[i] <= 20 ? s.cmbUnit[i] : 0; };
    for (int i = 1; i <= 8; ++i) {
        if (port(i) == 0) continue;
        for (int j = i + 1; j <= 8; ++j) {
            if (port(j) != 0 && s.selectedText(i) == s.selectedText(j)) {
                ui::MsgBox(QStringLiteral("This comm port is already in use, please choose another."), ui::vbOKOnly);
                return false;
            }
        }
    }

    QStringList lines;
    for (int k = 1; k <= 8; ++k) lines << PrintNumber(port(k));
    // With neither option of a pair set, the line of the setting in effect.
    if (const QString u = s.optCGS ? QStringLiteral("CGS") : s.OptSI ? QStringLiteral("SI") : unitLine(gUnitSystem);
        !u.isEmpty())
        lines << u;
    lines << QStringLiteral("Kunit ,") + (s.OptK1 ? QStringLiteral("1") : s.OptK2 ? QStringLiteral("2") : CStr(gKUnit));
    const double sf = UsableScaleFactor(Val(s.txtSF));
    lines << QStringLiteral("SF ,") + CStr(sf);
    lines << rateLine(gBySR);
    try {
        writeLines(lines);
    } catch (const Error& e) {
        showDescription(e.failure);
        return false;
    }
    gSF = sf;
    s.SequenceChanged = false;
    s.UnitChanged = false;
    return true;
}

bool Save_setSR() {
    try {
        QStringList lines = readLines();
        if (lines.size() > kMaxInitialLines) throw Error(kSubscriptOutOfRange);
        if (!lines.isEmpty()) {
            if (lines.last().isEmpty())
                lines.removeLast();
            else
                lines.last() = rateLine(gBySR);
        }
        writeLines(lines);
        return true;
    } catch (const Error& e) {
        showDescription(e.failure);
        return false;
    }
}

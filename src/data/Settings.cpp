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
#include <vector>

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

// The bytes of the file. A missing file, a folder in its place or a file
// that cannot be opened or read is an Error.
QByteArray readBytes() {
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
    return bytes;
}

// The lines of the file's bytes.
QStringList splitLines(const QByteArray& bytes) {
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

// Every line of the file (readBytes' failures).
QStringList readLines() { return splitLines(readBytes()); }

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

// Replaces the file at `path` with the bytes given. The old file stays as it
// was unless the whole new text was written.
void writeBytes(const QString& path, const QByteArray& bytes) {
    const QFileInfo info(path);
    if (info.isDir()) throw Error(kPathFileAccess);
    if (info.exists() && !info.isWritable()) throw Error(kPermissionDenied);  // a read-only file stays read-only

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

// The text of the lines given, each ended by CR LF.
QByteArray textOf(const QStringList& lines) {
    QByteArray bytes;
    for (const QString& line : lines) {
        bytes += line.toLatin1();
        bytes += "\r\n";
    }
    return bytes;
}

// Replaces the file with the lines given, each ended by CR LF.
void writeLines(const QStringList& lines) { writeBytes(settingsPath(), textOf(lines)); }

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

// ---- lines that cannot be read ---------------------------------------------------

// The setting a line of the file that could not be read stood for, by what it
// looks like or else by its place in the normal form.
enum class Item { Port, UnitSystem, KUnit, Scale, RateBasis, None };

struct BadLine {
    int number;  // from 1
    QString text;
    Item item;
    bool byPlace = false;  // the item judged by the line's place alone
};

bool isBlank(const QString& text) {
    for (const QChar c : text)
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t')) return false;
    return true;
}

// The K unit of a "Kunit" line: the two characters after its first comma (the
// first two of the line without one), a whole number 1 or 2.
std::optional<short> kUnitOf(const QString& line) {
    const qsizetype comma = line.indexOf(QLatin1Char(','));
    const auto v = StrictNumber(comma >= 0 ? line.mid(comma + 1, 2) : line.left(2));
    const auto k = v ? wholeNumber(*v) : std::nullopt;
    if (!k || (*k != 1 && *k != 2)) return std::nullopt;
    return static_cast<short>(*k);
}

// The factor of an "SF" line: all after its first comma (the whole line
// without one), a factor a layout can use.
std::optional<double> scaleOf(const QString& line) {
    const qsizetype comma = line.indexOf(QLatin1Char(','));
    const auto v = StrictNumber(comma >= 0 ? line.mid(comma + 1) : line);
    if (!v || !ScaleFactorInRange(*v)) return std::nullopt;
    return *v;
}

// An unrecognised line after the port lines: the setting it was meant to be
// when it differs from a setting's line in letter case or blanks, else the
// setting whose line stands at its place in the normal form (lines 9 to 12;
// byPlace), else none.
BadLine unrecognisedLine(const QString& line, int number) {
    const QString plain = line.trimmed().toLower();
    if (plain == QLatin1String("cgs") || plain == QLatin1String("si")) return {number, line, Item::UnitSystem};
    if (plain.startsWith(QLatin1String("kunit")) || plain.startsWith(QLatin1String("k unit")))
        return {number, line, Item::KUnit};
    if (plain.startsWith(QLatin1String("sf"))) return {number, line, Item::Scale};
    if (plain.startsWith(QLatin1String("by the"))) return {number, line, Item::RateBasis};
    switch (number) {
    case 9: return {number, line, Item::UnitSystem, true};
    case 10: return {number, line, Item::KUnit, true};
    case 11: return {number, line, Item::Scale, true};
    case 12: return {number, line, Item::RateBasis, true};
    default: return {number, line, Item::None};
    }
}

// What was taken in place of a line that could not be read: the setting in
// effect after the whole file was read.
QString takenText(const BadLine& bad) {
    switch (bad.item) {
    case Item::Port:
        return QStringLiteral("no port (0) taken for unit %1.").arg(bad.number);
    case Item::UnitSystem:
        return QStringLiteral("unit system %1 taken.").arg(unitLine(gUnitSystem));
    case Item::KUnit:
        return QStringLiteral("K unit %1 taken.").arg(gKUnit);
    case Item::Scale:
        return QStringLiteral("scale factor %1 taken.").arg(CStr(gSF));
    case Item::RateBasis:
        return gBySR ? QStringLiteral("steps by shear rate (\"By the SR\") taken.")
                     : QStringLiteral("steps by speed (\"BY the Speed\") taken.");
    case Item::None:
        break;
    }
    return QStringLiteral("ignored.");
}

// The most lines that cannot be read a message lists one by one.
constexpr int kListedBadLines = 10;
// The most characters of a line's text a message quotes.
constexpr int kQuotedChars = 40;

QString quoted(const QString& text) {
    return QLatin1Char('"') + (text.size() > kQuotedChars ? text.left(kQuotedChars) + QStringLiteral("...") : text) +
           QLatin1Char('"');
}

// The one message of the lines that could not be read, with what became of
// the user's file (`keptNote`).
QString badLinesMessage(const std::vector<BadLine>& bad, const QString& keptNote) {
    QString text = bad.size() == 1 ? QStringLiteral("A line of the settings file %1 could not be read:")
                                         .arg(kSettingsFileName)
                                   : QStringLiteral("%1 lines of the settings file %2 could not be read:")
                                         .arg(bad.size())
                                         .arg(kSettingsFileName);
    for (std::size_t i = 0; i < bad.size() && i < std::size_t(kListedBadLines); ++i)
        text += QStringLiteral("\nLine %1 %2: ").arg(bad[i].number).arg(quoted(bad[i].text)) + takenText(bad[i]);
    if (bad.size() > std::size_t(kListedBadLines))
        text += QStringLiteral("\n... and %1 more.").arg(bad.size() - std::size_t(kListedBadLines));
    if (!keptNote.isEmpty()) text += QLatin1Char('\n') + keptNote;
    return text;
}

// The normal form of the file from the port lines of InitialLines and the
// settings in effect.
QStringList normalLines(const InitialLineSlots& InitialLines) {
    QStringList lines;
    for (int k = 1; k <= 8; ++k) lines << PrintNumber(ReadPortLine(InitialLines[k]).port);
    if (const QString u = unitLine(gUnitSystem); !u.isEmpty()) lines << u;
    lines << QStringLiteral("Kunit ,") + CStr(gKUnit);
    lines << QStringLiteral("SF ,") + CStr(gSF);
    lines << rateLine(gBySR);
    return lines;
}

}  // namespace

// ---- the port lines ------------------------------------------------------------

PortLine ReadPortLine(const QString& line) {
    PortLine read;
    if (isBlank(line)) return read;
    if (!hasLeadingNumber(line)) {
        read.failure = make(kTypeMismatch);
        return read;
    }
    const auto port = wholeNumber(Val(line));
    if (!port || *port < 0 || *port > kMaxPortNumber) {
        read.failure = make(kInvalidPropertyValue);
        return read;
    }
    read.port = static_cast<int>(*port);
    return read;
}

// ---- main window ---------------------------------------------------------

void ReadInitialFile(InitialLineSlots& InitialLines) {
    gMaxPress = 30000;
    for (auto& slot : InitialLines) slot.clear();

    QByteArray old;
    try {
        old = readBytes();
    } catch (const Error& e) {
        // No file: created with the defaults, without a message. A file that
        // is there but cannot be read: its content is unknown, and replacing
        // it would lose it.
        const bool missing = e.failure.number == kFileNotFound.number;
        if (!missing) ui::MsgBox(ui::errorText(e.failure.number, e.failure.description), ui::vbOKOnly);
        applyDefaults();
        SetUnitLabels();
        SettingsFailure wf;
        if (missing && !WriteInitialFile(InitialLines, &wf))
            ui::MsgBox(ui::errorText(wf.number, wf.description), ui::vbOKOnly);
        return;
    }
    const QStringList lines = splitLines(old);
    for (int i = 0; i < lines.size() && i < kMaxInitialLines; ++i) InitialLines[i + 1] = lines[i];

    // Items are recognised by content, in every line; a later line overrides
    // an earlier one. An item with no line takes its default through the
    // normalisation below; the rate basis keeps the value it had. A line that
    // cannot be read changes nothing and is named.
    std::vector<BadLine> bad;
    // The items a good line set.
    bool unitRead = false, kUnitRead = false, scaleRead = false, rateRead = false;
    gUnitSystem = 0;
    gKUnit = 0;
    gSF = 0;
    for (int i = 1; i <= lines.size(); ++i) {
        const QString& line = lines[i - 1];
        if (line == QLatin1String("CGS") || line == QLatin1String("SI")) {
            gUnitSystem = line == QLatin1String("CGS") ? 1 : 2;
            unitRead = true;
        } else if (line.startsWith(QLatin1String("Kunit"))) {
            if (const auto k = kUnitOf(line)) {
                gKUnit = *k;
                kUnitRead = true;
            } else {
                bad.push_back({i, line, Item::KUnit});
            }
        } else if (line.startsWith(QLatin1String("SF"))) {
            if (const auto sf = scaleOf(line)) {
                gSF = *sf;
                scaleRead = true;
            } else {
                bad.push_back({i, line, Item::Scale});
            }
        } else if (line == QLatin1String("By the SR") || line == QLatin1String("BY the Speed")) {
            gBySR = line == QLatin1String("By the SR");
            rateRead = true;
        } else if (i <= 8) {
            if (!ReadPortLine(line).ok()) bad.push_back({i, line, Item::Port});
        } else if (!isBlank(line)) {
            bad.push_back(unrecognisedLine(line, i));
        }
    }
    // A line judged by its place alone did not stand for an item that a good
    // line elsewhere set: it is ignored.
    for (BadLine& b : bad) {
        const bool read = (b.item == Item::UnitSystem && unitRead) || (b.item == Item::KUnit && kUnitRead) ||
                          (b.item == Item::Scale && scaleRead) || (b.item == Item::RateBasis && rateRead);
        if (b.byPlace && read) b.item = Item::None;
    }
    if (gUnitSystem != 1 && gUnitSystem != 2) gUnitSystem = 1;
    if (gKUnit != 1 && gKUnit != 2) gKUnit = 1;
    gSF = UsableScaleFactor(gSF);  // 0: no SF line

    // The file is rewritten in its normal form when that changes it; the
    // user's file is first kept as a copy beside it. A copy that cannot be
    // made leaves the file as it is (the settings read stay in effect).
    const QByteArray normal = textOf(normalLines(InitialLines));
    std::optional<SettingsFailure> copyFailure, writeFailure;
    bool copied = false;
    if (normal != old) {
        try {
            writeBytes(dataFile(kSettingsCopyName), old);
            copied = true;
            writeBytes(settingsPath(), normal);
        } catch (const Error& e) {
            (copied ? writeFailure : copyFailure) = e.failure;
        }
    }
    const QString keptNote =
        copied        ? QStringLiteral("The file as it was is kept as %1.").arg(kSettingsCopyName)
        : copyFailure ? QStringLiteral("The file is left as it was: its copy %1 could not be made (%2).")
                            .arg(kSettingsCopyName, copyFailure->description)
                      : QString();
    if (!bad.empty())
        ui::MsgBox(badLinesMessage(bad, keptNote), ui::vbOKOnly);
    else if (copyFailure)
        ui::MsgBox(QStringLiteral("The settings file %1 was not put in its normal form. ").arg(kSettingsFileName) +
                       keptNote,
                   ui::vbOKOnly);
    // The settings read are sound even when the file cannot be rewritten:
    // they stay in effect and the file stays as it is.
    if (writeFailure) ui::MsgBox(ui::errorText(writeFailure->number, writeFailure->description), ui::vbOKOnly);
    SetUnitLabels();
}

bool WriteInitialFile(const InitialLineSlots& InitialLines, SettingsFailure* failure) {
    try {
        writeLines(normalLines(InitialLines));
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
    for (int k = 1; k <= kMaxPortNumber; ++k) entries << QStringLiteral("Comm ") + QString::number(k);
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
            const PortLine read = ReadPortLine(lines[k - 1]);
            if (!read.ok()) throw Error(read.failure);
            s.cmbUnit[k] = read.port;
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

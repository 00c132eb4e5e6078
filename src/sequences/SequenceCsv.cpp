#include "sequences/SequenceCsv.h"

#include "data/Globals.h"
#include "data/Numbers.h"
#include "data/SequenceLimits.h"
#include "data/Units.h"
#include "data/clsConnection.h"
#include "data/clsSEQUENCE_INFO.h"
#include "data/clsSEQUENCE_RAMP.h"
#include "data/clsSEQUENCE_RAMP_DEFINE.h"
#include "platform/Dialogs.h"
#include "sequences/SequenceStore.h"

#include <QDate>
#include <QFile>
#include <QLocale>
#include <QSaveFile>
#include <cmath>

namespace seqcsv {

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kTitleLine = QStringLiteral("Sequence of Z3080 Rheometer.");
const QString kNameKey = QStringLiteral("SEQUENCE_NAME");
const QString kStepKey = QStringLiteral("Step No");
const QString kRampKey = QStringLiteral("RAMP_STEP_NO");
const QString kRampHeader = QStringLiteral("RAMP_STEP_NO,RAMP_Time(sec),RAMP_SPEED(Rpm),INTERVAL(sec)");

bool isSI() { return gUnitSystem != 1; }

// A shear rate shown in the grid back to rpm (entry by shear rate); a bob
// factor of 0, which no bob has, gives 0 rather than an endless number.
double toRpm(double shearRate, double bobSRFactor) { return bobSRFactor != 0 ? shearRate / bobSRFactor : 0; }

// A number as text files carry it: one blank (or "-") before it, one blank
// after it, and no 0 before the point of a value between -1 and 1.
QString fileNumber(double v) {
    QString s = CStr(v);
    if (s.startsWith(QLatin1String("0."))) s.remove(0, 1);
    else if (s.startsWith(QLatin1String("-0."))) s.remove(1, 1);
    return (v < 0 ? QString() : QStringLiteral(" ")) + s + QLatin1Char(' ');
}

// A header cell of the step grid as the file names it.
QString stepHeaderField(int col, const QString& text) {
    switch (col) {
        case 2: return QStringLiteral("Temp. (\u00B0F)");
        case 3: return QStringLiteral("Temp. Error (\u00B0F)");
        case 4: return QStringLiteral("Temp. Ramp Rate (\u00B0F/min)");
        case 5: return QStringLiteral("SPEED(Rpm)");
        default: return QString(text).replace(QLatin1Char('\r'), QLatin1Char(' '));
    }
}

// A step cell in the stored units.
QString stepField(int col, const QString& text, double bobSRFactor) {
    const double v = Val(text);
    switch (col) {
        case 2: return Format(TempFromDisplay(v), QStringLiteral("#0.#"));
        case 3:
        case 4: return isSI() ? Format(v * 1.8, QStringLiteral("##0")) : CStr(v);
        case 5:
            return gBySR ? Format(toRpm(v, bobSRFactor), QStringLiteral("####0.0##"))
                         : Format(v, QStringLiteral("####0.0#"));
        default: return text;
    }
}

bool rampRowFilled(const QString& timeText) { return !timeText.isEmpty() && timeText != QLatin1String(" "); }

}  // namespace

// ---------------------------------------------------------------------------
// Export

QString SaveDateText() { return QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat); }

QByteArray ExportText(const QString& name, const SequenceGridTexts& grids, double bobSRFactor,
                      const QString& saveDate) {
    QString out;
    auto line = [&out](const QString& s) {
        out += s;
        out += kCrLf;
    };
    line(kTitleLine);
    line(QString());
    line(QStringLiteral("Save Date: ,") + saveDate);
    line(QString());
    line(kNameKey + QLatin1Char(',') + name);
    line(QString());
    line(QString());

    if (grids.steps.size() > 1) {
        for (int r = 0; r < grids.steps.size(); ++r) {
            QString l;
            const QStringList& row = grids.steps[r];
            for (int c = 0; c < row.size(); ++c) {
                l += r == 0 ? stepHeaderField(c, row[c]) : stepField(c, row[c], bobSRFactor);
                l += QLatin1Char(',');
            }
            line(l);
        }
        line(QString());
    } else {
        line(QStringLiteral("No Step"));
    }
    line(QString());
    line(QString());

    if (grids.ramps.isEmpty()) {
        line(QString());
        return out.toLatin1();
    }
    line(kRampHeader);
    for (int n = 1; n < grids.ramps.size(); ++n) {
        const QString time = grids.ramp(n, 0);
        if (!rampRowFilled(time)) break;
        const double speed = Val(grids.ramp(n, 1));
        line(fileNumber(n) + QLatin1Char(',') + fileNumber(Val(time)) + QLatin1Char(',') +
             Format(gBySR ? toRpm(speed, bobSRFactor) : speed, QStringLiteral("####0.0##")) + QLatin1Char(',') +
             fileNumber(Val(grids.ramp(n, 2))) + QLatin1Char(','));
    }
    line(QString());
    return out.toLatin1();
}

namespace {
ui::FileRequest fileRequest() {
    ui::FileRequest r;
    r.filter = kFileFilter;
    r.filterIndex = 2;  // "Text Files(*.csv)"
    return r;
}
}  // namespace

ExportResult ExportSequenceCsv(clsSEQUENCE_INFO& seqInfo, int listCount, const QString& selectedName,
                               const SequenceGridTexts& grids, double bobSRFactor) {
    ExportResult result;
    if (listCount <= 0) {
        ui::MsgBox(kNoSequence, ui::vbOKOnly);
        return result;
    }
    if (ui::MsgBox(kConfirmExport + selectedName, ui::vbYesNo) != ui::vbYes) return result;
    try {
        seqInfo.SEQUENCE_NAME(selectedName);
        seqInfo.GetSeqDetail();
        result.seqInfoRow = seqInfo.All();
        result.seqId = roundHalfEven(result.seqInfoRow.value(0).toDouble());
        result.lookedUp = true;
        if (result.seqId == 0) {
            ui::MsgBox(kNoSequenceFound, ui::vbOKOnly);
            return result;
        }
        const std::optional<QString> fileName = ui::GetSaveFileName(fileRequest());
        if (!fileName) {
            ui::MsgBox(kCancelled, ui::vbOKOnly);
            return result;
        }
        const QByteArray bytes = ExportText(selectedName, grids, bobSRFactor, SaveDateText());
        QSaveFile file(*fileName);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
            ui::MsgBox(file.errorString(), ui::vbOKOnly);
            return result;
        }
        result.fileName = *fileName;
    } catch (const db::DbError& e) {
        ui::MsgBox(e.description(), ui::vbOKOnly);
    } catch (const std::exception& e) {
        ui::MsgBox(QString::fromLocal8Bit(e.what()), ui::vbOKOnly);
    }
    return result;
}

// ---------------------------------------------------------------------------
// Import

namespace {

// The lines of a text whose lines end in CR LF, CR or LF; a last line without
// an ending counts too.
QStringList splitLines(const QString& text) {
    QStringList lines;
    int start = 0;
    const int n = text.size();
    for (int i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n')) continue;
        lines << text.mid(start, i - start);
        if (c == QLatin1Char('\r') && i + 1 < n && text[i + 1] == QLatin1Char('\n')) ++i;
        start = i + 1;
    }
    if (start < n) lines << text.mid(start);
    return lines;
}

// The fields of a block line: the texts between commas, and the text after
// the last comma when it holds more than blanks.
QStringList splitFields(const QString& line) {
    QStringList fields;
    QString rest = line;
    for (int c = rest.indexOf(QLatin1Char(',')); !rest.isEmpty() && c >= 0; c = rest.indexOf(QLatin1Char(','))) {
        fields << rest.left(c);
        rest = rest.mid(c + 1);
    }
    if (!rest.trimmed().isEmpty()) fields << rest;
    return fields;
}

QString lineError(int lineNo, const QString& what) {
    return QStringLiteral("Cannot import - line %1 of the file %2").arg(lineNo).arg(what);
}

// One block line into `values`; the message on failure.
template <std::size_t N>
QString readBlockLine(const QString& line, int lineNo, const char* kind, std::array<double, N>& values) {
    const QStringList fields = splitFields(line);
    if (fields.size() != int(N))
        return lineError(lineNo, QStringLiteral("holds %1 values; a %2 line holds %3.")
                                     .arg(fields.size())
                                     .arg(QLatin1String(kind))
                                     .arg(N));
    for (std::size_t k = 0; k < N; ++k) {
        const QString t = fields[int(k)].trimmed();
        if (t.isEmpty()) {
            values[k] = 0;
            continue;
        }
        const std::optional<double> v = StrictNumber(t);
        if (!v || !std::isfinite(*v))
            return lineError(lineNo, QStringLiteral("holds \"%1\", which is not a number.").arg(t));
        values[k] = *v;
    }
    return QString();
}

// A value a step may not hold, as the import's refusal of its line.
QString outOfLimits(int lineNo, const std::optional<seqlimits::Problem>& problem) {
    if (!problem) return QString();
    return QStringLiteral("Cannot import - line %1 of the file: %2").arg(lineNo).arg(problem->message);
}

}  // namespace

seqlimits::Step StepOf(const std::array<double, kStepFields>& f) {
    seqlimits::Step s;
    s.number = f[0];
    s.minutes = f[1];
    s.temperature = f[2];
    s.speed = f[5];
    s.pressure = f[6];
    s.interval = f[8];
    s.cycles = f[9];
    s.rampFlag = f[10];
    s.tolerance = f[3];
    s.tempRate = f[4];
    s.pressRate = f[7];
    return s;
}

seqlimits::RampEntry RampEntryOf(const std::array<double, kRampFields>& f) { return {f[1], f[2], f[3]}; }

ParseResult ParseSequenceText(const QByteArray& bytes) {
    ParseResult result;
    auto fail = [&result](const QString& message) {
        result.sequences.clear();
        result.error = message;
        return result;
    };
    const QStringList lines = splitLines(QString::fromLatin1(bytes));
    // The file holds °F and rpm; a step takes what the editor would store.
    const seqlimits::Limits limits = seqlimits::StoredLimits(gMaxPress);
    QVector<bool> hasRampBlock;
    int i = 0;
    while (i < lines.size()) {
        const QString& line = lines[i++];
        const int comma = line.indexOf(QLatin1Char(','));
        if (comma < 0) continue;
        const QString key = line.left(comma);
        if (key == kNameKey) {
            result.sequences.append(ImportedSequence{line.mid(comma + 1), {}, {}});
            hasRampBlock.append(false);
            continue;
        }
        const bool steps = key == kStepKey;
        if (!steps && key != kRampKey) continue;
        // Rows before the first sequence name belong to no sequence of this file.
        if (result.sequences.isEmpty()) return fail(kNotSequenceFile);
        ImportedSequence& seq = result.sequences.last();
        if (!steps) hasRampBlock.last() = true;
        for (;;) {
            if (i >= lines.size()) return fail(kTruncated);
            const QString& row = lines[i++];
            if (row.isEmpty()) break;
            QString error;
            if (steps) {
                std::array<double, kStepFields> values{};
                error = readBlockLine(row, i, "step", values);
                const double numberBefore = seq.steps.isEmpty() ? 0 : seq.steps.last()[0];
                seq.steps.append(values);
                if (error.isEmpty())
                    error = outOfLimits(i, seqlimits::CheckStep(int(seq.steps.size()), StepOf(values), numberBefore,
                                                                limits));
            } else {
                std::array<double, kRampFields> values{};
                error = readBlockLine(row, i, "ramp", values);
                seq.ramps.append(values);
                if (error.isEmpty())
                    error = outOfLimits(i, seqlimits::CheckRampEntry(int(seq.ramps.size()), RampEntryOf(values), limits));
            }
            if (!error.isEmpty()) return fail(error);
        }
    }
    if (result.sequences.isEmpty()) return fail(kNotSequenceFile);
    if (hasRampBlock.contains(false)) return fail(kTruncated);
    return result;
}

namespace {

// Inserts the SEQUENCE_INFO row of a new sequence with the defaults and
// returns its key, learnt by name.
qint32 insertSequence(clsSEQUENCE_INFO& seqInfo, const QString& name) {
    seqInfo.SEQUENCE_NAME(name);
    seqInfo.GetSeqDetail();
    if (!seqInfo.Eof()) throw db::DbError(db::ErrBadValue, kNameExists);
    seqInfo.SEQUENCE_NAME(name);  // the search that found nothing emptied it
    seqInfo.AddNew();
    seqInfo.GetSeqDetail();
    if (seqInfo.Eof()) throw db::DbError(db::ErrNoRowSet, QStringLiteral("The new sequence could not be read back."));
    return roundHalfEven(seqInfo.SEQUENCE_ID());
}

}  // namespace

ImportResult StoreImportedSequences(clsConnection* connection, clsSEQUENCE_INFO& seqInfo,
                                    const QVector<ImportedSequence>& sequences, const QStringList& names) {
    clsSEQUENCE_RAMP ramp;
    clsSEQUENCE_RAMP_DEFINE rampDefine;
    ImportResult result;
    ramp.ConnectX(connection);
    rampDefine.ConnectX(connection);
    RunInTransaction(connection, [&] {
        for (int s = 0; s < sequences.size(); ++s) {
            const ImportedSequence& seq = sequences[s];
            const qint32 id = insertSequence(seqInfo, names.value(s));
            for (const auto& f : seq.steps) SequenceStore::AddStep(ramp, id, f);
            for (const auto& f : seq.ramps) SequenceStore::AddRampEntry(rampDefine, id, f[0], f[1], f[2], f[3]);
            result.lastSequenceId = id;
        }
        if (result.lastSequenceId != 0) {
            // The last sequence's row, current since it was read back, written back unchanged.
            seqInfo.SEQUENCE_ID(result.lastSequenceId);
            seqInfo.Update();
        }
    });
    result.stored = int(sequences.size());
    return result;
}

ImportResult ImportSequenceCsv(clsConnection* connection, clsSEQUENCE_INFO& seqInfo) {
    const std::optional<QString> fileName = ui::GetOpenFileName(fileRequest());
    if (!fileName) {
        ui::MsgBox(kCancelled, ui::vbOKOnly);
        return {};
    }
    QByteArray bytes;
    {
        QFile file(*fileName);
        if (!file.open(QIODevice::ReadOnly)) {
            ui::MsgBox(kCannotRead + file.errorString(), ui::vbOKOnly);
            return {};
        }
        bytes = file.readAll();
        if (file.error() != QFileDevice::NoError) {
            ui::MsgBox(kCannotRead + file.errorString(), ui::vbOKOnly);
            return {};
        }
    }
    const ParseResult parsed = ParseSequenceText(bytes);
    if (!parsed.ok()) {
        ui::MsgBox(parsed.error, ui::vbOKOnly);
        return {};
    }
    try {
        QStringList names;
        for (const ImportedSequence& seq : parsed.sequences) {
            const QString name = ui::InputBox(kNamePrompt, kNameTitle, seq.name);
            if (name.isEmpty()) return {};
            if (name.size() > kMaxNameLength) {
                ui::MsgBox(kNameTooLong, ui::vbOKOnly);
                return {};
            }
            bool taken = names.contains(name, Qt::CaseInsensitive);
            if (!taken) {
                seqInfo.SEQUENCE_NAME(name);
                seqInfo.GetSeqDetail();
                taken = !seqInfo.Eof();
            }
            if (taken) {
                ui::MsgBox(kNameExists, ui::vbOKOnly);
                return {};
            }
            names << name;
        }
        // Refused as the other writes are: the database's state, and that nothing was stored.
        ImportResult result;
        if (!WriteOrRefuse(
                connection, [&] { result = StoreImportedSequences(connection, seqInfo, parsed.sequences, names); },
                kNotImported, kNothingStored))
            return {};
        return result;
    } catch (const db::DbError& e) {
        ui::MsgBox(e.description(), ui::vbOKOnly);
    } catch (const std::exception& e) {
        ui::MsgBox(QString::fromLocal8Bit(e.what()), ui::vbOKOnly);
    }
    return {};
}

}  // namespace seqcsv

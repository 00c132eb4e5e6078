// Fuzz target: arbitrary bytes as a calibration file (the swell, piston,
// torque value and coefficient tables, the bob file) and as what the unit
// sends during a calibration (the torque reply parser in pieces, the field-9
// reading of a tick).
//
// Besides crashes and hangs it checks what must hold: a reader that fails
// says why and hands back no calibration; a reader that succeeds hands back
// the sizes its layout gives; the torque parser's buffer stays within its
// limit and keeps no code 26 once a read has worked it off.

#include "FuzzSupport.h"
#include "data/CalibrationFiles.h"
#include "data/Globals.h"
#include "unitlink/CalibrationFrames.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <cstdint>

using fuzzing::check;

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    check(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    check(f.write(bytes) == bytes.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir dir;
    if (size == 0) return 0;
    gAppPath = dir.path();

    // The first byte chooses the unit and the piece length of the serial side.
    const uint8_t control = data[0];
    const int unit = 1 + (control & 7);
    const qsizetype piece = 1 + (control >> 3) * 5;
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));

    using namespace calibration;
    writeFile(dir.filePath(kSwellFileName), bytes);
    const SwellReadResult swell = ReadSwellCalibration(unit);
    check(swell.ok() == swell.message.isEmpty());

    for (Piston p : {Piston::Large, Piston::Small}) {
        writeFile(dir.filePath(PistonFileName(p)), bytes);
        const PistonReadResult r = ReadPistonCalibration(p, unit);
        check(r.ok() == r.message.isEmpty());
        if (r.ok()) {
            const size_t n = size_t(PistonPointCount(p));
            check(r.data.heights.size() == n && r.data.readings.size() == n && r.data.slopes.size() == n &&
                  r.data.intercepts.size() == n);
        } else {
            check(r.data.heights.empty());
        }
    }

    // A rewrite keeps exactly eight lines, or leaves the file as it was.
    const SaveResult saved = SaveSwellCalibration(unit, QStringLiteral("1,2,4, .4 , .8 , .4 , .8 "));
    {
        QFile f(dir.filePath(kSwellFileName));
        check(f.open(QIODevice::ReadOnly));
        const QByteArray after = f.readAll();
        if (saved.ok)
            check(after.count("\r\n") == kUnits);
        else
            check(after == bytes);
    }

    const QString table = dir.filePath(QStringLiteral("table.txt"));
    writeFile(table, bytes);
    const TorqueValuesResult values = ReadTorqueValues(table);
    check(values.values.size() <= size_t(kTorqueValues));
    check(values.ok == (values.values.size() == size_t(kTorqueValues)));
    const TorqueCoefficientsResult coef = ReadTorqueCoefficients(table);
    if (coef.ok) {
        check(coef.data.n >= 0 && coef.data.n <= kMaxCoefficientOrder);
        check(coef.data.A.size() == size_t(coef.data.n + 1) && coef.data.B.size() == size_t(coef.data.n + 1));
    }
    writeFile(dir.filePath(kBobFileName), bytes);
    const BobInfoResult bob = ReadBobInfo();
    check(!bob.ok || !bob.bob.isEmpty());

    // The serial side.
    const QString line = QString::fromLatin1(bytes);
    unit::TorqueReplyParser parser;
    for (qsizetype at = 0; at < line.size(); at += piece) {
        const unit::TorqueReplyResult r = parser.Parse(line.mid(at, piece));
        check(parser.buffer().size() <= unit::TorqueReplyParser::kMaxBuffer);
        check(!parser.buffer().contains(QChar(26)));
        if (r.ended) check(parser.buffer().isEmpty());
    }
    const double reading = unit::CalibrationReading(line);
    (void)reading;
    return 0;
}

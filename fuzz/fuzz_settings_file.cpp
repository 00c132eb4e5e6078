// Fuzz target: the settings file ("initial.txt" of the data folder) as the
// program finds it at start-up, and its unit port lines. Besides crashes and
// hangs it checks what every window relies on after the read: a unit system
// and a K unit that exist, a scale factor a layout can use, and a file
// rewritten in its normal form, which reads back to the same settings and
// the same bytes and the same ports.

#include "FuzzSupport.h"
#include "data/Globals.h"
#include "data/Numbers.h"
#include "data/Settings.h"
#include "data/UnitPorts.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdint>
#include <iterator>

using fuzzing::check;

namespace {

void writeSettings(const QByteArray& bytes) {
    QFile f(dataFile(kSettingsFileName));
    check(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    check(f.write(bytes) == bytes.size());
}

QByteArray readSettings() {
    QFile f(dataFile(kSettingsFileName));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The ports of units 1 to 8 as the unit windows read them, and the number of
// the failure that stopped the read (0: none).
struct PortRead {
    int ports[unit::kUnitCount + 1] = {};
    int failure = 0;
    bool operator==(const PortRead& o) const {
        return failure == o.failure && std::equal(std::begin(ports), std::end(ports), std::begin(o.ports));
    }
};

PortRead readPorts() {
    PortRead r;
    try {
        unit::ReadUnitPorts(unit::kUnitCount, [&](int u, int p) { r.ports[u] = p; });
    } catch (const unit::PortFileError& e) {
        r.failure = e.number();
    }
    return r;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzing::silenceDialogs();
    static QTemporaryDir folder;
    check(folder.isValid());
    gAppPath = folder.path();

    writeSettings(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    // The port lines as a unit window reads them, straight from the file.
    readPorts();

    InitialLineSlots lines;
    gBySR = false;
    ReadInitialFile(lines);
    check(gUnitSystem == 1 || gUnitSystem == 2);
    check(gKUnit == 1 || gKUnit == 2);
    check(ScaleFactorInRange(gSF));

    const QByteArray normal = readSettings();
    const int unitSystem = gUnitSystem;
    const short kUnit = gKUnit;
    const double sf = gSF;
    const bool bySR = gBySR;
    const PortRead ports = readPorts();

    InitialLineSlots again;
    ReadInitialFile(again);
    // The file holds the factor in 15 digits: the same text, if not every bit
    // of a longer number read the first time.
    check(gUnitSystem == unitSystem && gKUnit == kUnit && CStr(gSF) == CStr(sf) && gBySR == bySR);
    check(readSettings() == normal);
    // The unit windows read the same ports: the start-up read them by the
    // same rule and put none in place of a line it could not read.
    check(readPorts() == ports);
    check(ports.failure == 0);
    return 0;
}

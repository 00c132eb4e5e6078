// Fuzz target: arbitrary bytes from the serial line fed to the PVT window's
// reply parser, in pieces as successive timer ticks receive them, with and
// without a piston calibration, while a test runs or not.
//
// Each tick answers the parse's trips as the run does (ReactToTrips, with a
// ShutDown that ends the run and clears the counts). Besides crashes and
// hangs it checks what must hold after every tick: the receive buffer stays
// within its limit, no trip count reaches its trip without tripping, every
// trip listed is one the PVT watch has, the live density is a number whenever
// it is shown, and every tick that finds a code 26 in the buffer makes
// progress.

#include "FuzzSupport.h"
#include "data/Globals.h"
#include "unitlink/PvtReply.h"
#include "unitbase/TripMessage.h"

#include <QString>
#include <cmath>
#include <cstdint>

using fuzzing::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzing::silenceDialogs();
    if (size == 0) return 0;

    // The first byte chooses the unit system, the maximum pressure, the run
    // state, whether a calibration is loaded and the length of the pieces.
    const uint8_t control = data[0];
    gUnitSystem = (control & 1) ? 2 : 1;
    gMaxPress = (control & 2) ? 20000 : 30000;
    int runState = (control & 4) ? 1 : 0;
    const size_t piece = 1 + (control >> 4) * 7;
    const QString line = QString::fromLatin1(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));

    unit::PvtReplyParser parser;
    parser.watch.SetMaxPressure(gMaxPress);
    const auto shutDown = [&] {
        runState = 0;
        parser.ResetCounts();
    };
    parser.iniVol = 100;
    parser.iniDensity = 1;
    if (control & 8) {
        unit::PvtCalibration& c = parser.calibration;
        c.count = 5;
        c.heights = {0, 0.25, 0.5, 0.75, 1};
        c.readings = {1000, 800, 600, 400, 200};
        c.slopes = {0, -0.24, -0.3, -0.2, -0.25};
        c.intercepts = {0, 1.05, 1.1, 1.0, 1.02};
    }

    for (qsizetype at = 0; at < line.size(); at += qsizetype(piece)) {
        const qsizetype before = parser.RxBuffer.size() + qsizetype(piece);
        const bool hadEnd = parser.RxBuffer.contains(QChar(26)) || line.mid(at, qsizetype(piece)).contains(QChar(26));
        const unit::PvtReplyResult r = parser.Parse(line.mid(at, qsizetype(piece)), runState == 1);
        for (const unit::SafetyTrip trip : r.trips) check(unit::Watches(unit::WatchedTest::Pvt, trip));
        unit::ReactToTrips(parser.watch, r.trips, shutDown, unit::TripMessageBox);
        check(parser.RxBuffer.size() <= unit::kMaxReplyBuffer);
        const unit::SafetyCounts& n = parser.watch.counts;
        check(n.overTemperature < unit::kTripCount && n.overPressure < unit::kTripCount);
        if (r.densityChanged) check(std::isfinite(parser.Density));
        if (r.heightChanged) check(std::isfinite(parser.SampleHeight));
        if (hadEnd) check(parser.RxBuffer.size() < before);
    }
    const qsizetype ends = parser.RxBuffer.count(QChar(26));
    for (qsizetype i = 0; i <= ends; ++i) parser.Parse(QString(), false);
    check(!parser.RxBuffer.contains(QChar(26)));
    return 0;
}

// Fuzz target: arbitrary bytes from the serial line fed, in pieces as
// successive timer ticks receive them, to the swell window's reply reader.
//
// Besides crashes and hangs it checks what must hold after every tick: the
// receive buffer stays within its limit and holds no complete frame (every
// frame that has arrived is read or dropped in the tick it arrives), the trip
// counts never reach the trip count without tripping (each tick answers the
// parse's trips as the run does), every trip listed is one the swell watch
// has, and the readings and the swell quantities stay finite.

#include "FuzzSupport.h"
#include "data/Globals.h"
#include "unitlink/SwellReply.h"
#include "unitlink/UnitProtocol.h"
#include "unitbase/TripMessage.h"

#include <QString>
#include <cmath>
#include <cstdint>

using fuzzing::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzing::silenceDialogs();
    if (size == 0) return 0;

    // The first byte chooses the unit system, the maximum pressure, whether
    // the sensor was zeroed and the length of the pieces the rest arrives in.
    const uint8_t control = data[0];
    gUnitSystem = (control & 1) ? 2 : 1;
    swell::SwellReplyParser parser;
    parser.watch.SetMaxPressure((control & 2) ? 20000 : 30000);
    parser.calibration.v1 = 1;
    parser.calibration.v2 = 2;
    parser.calibration.v3 = 4;
    parser.calibration.A = {0, 0.4, (control & 8) ? 0.0 : 0.4};
    parser.calibration.B = {0, 0.830482023721841, (control & 8) ? -1e300 : 0.830482023721841};
    if (control & 4) {
        parser.state.ZeroVoltage = 1.0f;
        parser.state.ZeroLength = 0.4;
        parser.state.SampleLength = (control & 8) ? 1e-300 : 0.4;
    }
    int shutDowns = 0;
    const auto shutDown = [&] {
        ++shutDowns;
        parser.ResetCounts();
        parser.state.DropZeroing();
    };
    const size_t piece = 1 + (control >> 4) * 7;
    const QString line = QString::fromLatin1(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));

    for (qsizetype at = 0; at < line.size(); at += qsizetype(piece)) {
        const swell::SwellReplyResult r = parser.Parse(line.mid(at, qsizetype(piece)));
        for (const unit::SafetyTrip trip : r.trips) check(unit::Watches(unit::WatchedTest::Swell, trip));
        unit::ReactToTrips(parser.watch, r.trips, shutDown, unit::TripMessageBox);
        check(parser.RxBuffer.size() <= unit::kMaxReplyBuffer);
        check(!parser.RxBuffer.contains(QChar(26)));
        const unit::SafetyCounts& n = parser.watch.counts;
        check(n.overTemperature < unit::kTripCount && n.overPressure < unit::kTripCount);
        check(r.framesParsed >= 0 && r.framesDropped >= 0);
        const swell::SwellState& s = parser.state;
        for (double v : {s.SampleTemp, s.SampleSpeed, s.SamplePress, s.RawVoltage, s.SwellPercent})
            check(std::isfinite(v));
    }
    return 0;
}

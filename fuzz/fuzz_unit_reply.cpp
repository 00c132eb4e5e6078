// Fuzz target: arbitrary bytes from the serial line, fed to the reply-frame
// cutter, to the receive buffer of a unit window's parser (in pieces, as
// successive timer ticks receive them) and to the stored-test transfer.
//
// Each tick answers the parse's trips as a run does (ReactToTrips, with a
// ShutDown that ends the run and clears the counts) and checks the
// hardware-inactive stop. Besides crashes and hangs it checks what must hold
// after every tick: the receive buffer stays within its limit, the trip
// counts never reach the trip count without tripping, every trip listed is
// one the rheology watch has, and every tick that finds a code 26 in the
// buffer makes progress.

#include "FuzzSupport.h"
#include "data/Globals.h"
#include "unitlink/UnitProtocol.h"
#include "unitbase/TripMessage.h"

#include <QString>
#include <cstdint>

using fuzzing::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzing::silenceDialogs();
    if (size == 0) return 0;

    // The first byte chooses the unit system, the maximum pressure, the run
    // state and the length of the pieces the rest arrives in.
    const uint8_t control = data[0];
    gUnitSystem = (control & 1) ? 2 : 1;
    gMaxPress = (control & 2) ? 20000 : 30000;
    int runState = (control & 4) ? 1 : (control & 8) ? 6 : 0;
    const size_t piece = 1 + (control >> 4) * 7;
    const QString line = QString::fromLatin1(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));

    unit::UnitReplyParser parser;
    parser.watch.SetMaxPressure(gMaxPress);
    int shutDowns = 0;
    const auto shutDown = [&] {
        ++shutDowns;
        runState = 0;
        parser.ResetCounts();
    };
    if (control & 0x40) parser.SetBobRadius(1.2276);

    for (qsizetype at = 0; at < line.size(); at += qsizetype(piece)) {
        const unit::ReplyResult r = parser.Parse(line.mid(at, qsizetype(piece)), runState == 1);
        for (const unit::SafetyTrip trip : r.trips) check(unit::Watches(unit::WatchedTest::Rheology, trip));
        unit::ReactToTrips(parser.watch, r.trips, shutDown, unit::TripMessageBox);
        if (const auto stop = parser.watch.InactiveStop(runState != 0))
            unit::ReactToTrips(parser.watch, {*stop}, shutDown, unit::TripMessageBox);
        check(parser.mRxBuffer.size() <= unit::kMaxReplyBuffer);
        const unit::SafetyCounts& n = parser.watch.counts;
        check(n.overTemperature < unit::kTripCount && n.overPressure < unit::kTripCount);
        check(n.inactive < unit::kInactiveStopCount);
        check(r.framesParsed >= 0);
    }
    // Later ticks with nothing new work off what waits, one dropped frame a
    // tick at most: as many ticks as there are codes 26 empty it of frames.
    const qsizetype ends = parser.mRxBuffer.count(QChar(26));
    for (qsizetype i = 0; i <= ends; ++i) parser.Parse(QString(), false);
    check(!parser.mRxBuffer.contains(QChar(26)));

    // The cutter alone, with the swell window's rule.
    QString buffer = line;
    unit::UnitStatusFrame frame;
    for (;;) {
        const qsizetype before = buffer.size();
        const unit::FrameTake take = unit::TakeUnitStatusFrame(buffer, frame, 9, 9);
        if (take == unit::FrameTake::Incomplete) break;
        check(buffer.size() < before);
        if (take == unit::FrameTake::Frame) check(frame.commas == 9 && frame.fields.size() == 10);
    }

    const unit::StoredTransfer t = unit::ParseStoredTransfer(line);
    if (t.status != unit::TransferStatus::Ok) check(t.records.empty());
    return 0;
}

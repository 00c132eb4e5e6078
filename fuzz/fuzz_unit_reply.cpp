// Fuzz target: arbitrary bytes from the serial line, fed to the reply-frame
// cutter, to the receive buffer of a unit window's parser (in pieces, as
// successive timer ticks receive them) and to the stored-test transfer.
//
// Besides crashes and hangs it checks what must hold after every tick: the
// receive buffer stays within its limit, the trip counts never reach the
// trip count without tripping, and every tick that finds a code 26 in the
// buffer makes progress.

#include "FuzzSupport.h"
#include "data/Globals.h"
#include "unitlink/UnitProtocol.h"

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
    int shutDowns = 0;
    parser.runState = [&] { return runState; };
    parser.shutDown = [&] {
        ++shutDowns;
        runState = 0;
    };
    if (control & 0x40) parser.SetBobRadius(1.2276);

    for (qsizetype at = 0; at < line.size(); at += qsizetype(piece)) {
        const unit::ReplyResult r = parser.Parse(line.mid(at, qsizetype(piece)));
        check(parser.mRxBuffer.size() <= unit::kMaxReplyBuffer);
        check(parser.mOverTempCount < unit::kTripCount && parser.mOverPressCount < unit::kTripCount);
        check(r.framesParsed >= 0);
    }
    // Later ticks with nothing new work off what waits, one dropped frame a
    // tick at most: as many ticks as there are codes 26 empty it of frames.
    const qsizetype ends = parser.mRxBuffer.count(QChar(26));
    for (qsizetype i = 0; i <= ends; ++i) parser.Parse(QString());
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

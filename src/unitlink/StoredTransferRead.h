#pragma once
// The reading side of the download of a test a unit stored by itself, timed
// by the event loop: nothing waits on the port or the clock, so every other
// window's tick, trip and record goes on while a transfer comes in.
//
// The frames and timings toward the unit are the download's own: Begin
// discards what the port has received so far, sets the input length to 0 and
// sends the download request (DownloadRequestFrame); 2 s later
// (kTransferFirstWaitSeconds) it takes what has arrived, then every 0.5 s
// (kTransferReadWaitSeconds) it looks again: characters waiting are taken and
// it goes on, none waiting ends the transfer, and `done` gets the whole text
// (ParseStoredTransfer reads it). `received` is told the count after each
// read that took characters.
//
// Its states: Idle (nothing asked), Waiting (the request sent, the first
// 2 s), Reading, then Done, Failed (the port failed in a read: `failed` gets
// the error, the port closed as CommPort closes it) or Abandoned (Abandon:
// nothing more is read or said). The reads are the ticks of a timer of its
// own (tick::TickTimer, from the tick sources in force when it is made: tests
// fire them by hand).

#include "platform/CommPort.h"
#include "platform/TickTimer.h"

#include <QString>
#include <functional>

namespace unit {

class StoredTransferRead {
public:
    enum class State { Idle, Waiting, Reading, Done, Failed, Abandoned };
    using Done = std::function<void(const QString& received)>;
    using Failed = std::function<void(const comm::CommError& error)>;
    using Received = std::function<void(int characters)>;

    explicit StoredTransferRead(comm::CommPort& port);
    StoredTransferRead(const StoredTransferRead&) = delete;
    StoredTransferRead& operator=(const StoredTransferRead&) = delete;

    // Sends the request and times the reads. A request the port does not
    // take raises its comm::CommError (the state Failed, nothing timed).
    // `done` and `failed` are called last, from a read: the object may be
    // destroyed in them.
    void Begin(Done done, Failed failed, Received received = {});
    // Ends a transfer under way where it is: no more reads, nothing said.
    void Abandon();

    State state() const { return state_; }
    // Between Begin and the transfer's end.
    bool Running() const { return state_ == State::Waiting || state_ == State::Reading; }
    // What has arrived so far.
    const QString& Text() const { return text_; }
    // The timer of the reads.
    tick::TickTimer& Timer() { return timer_; }

private:
    void read();
    void fail(const comm::CommError& error);

    comm::CommPort& port_;
    tick::TickTimer timer_;
    State state_ = State::Idle;
    QString text_;
    Done done_;
    Failed failed_;
    Received received_;
};

// What the downloading window shows and says while a transfer comes in.
// The unit's status caption.
QString DownloadingCaption();  // "Downloading"
// The progress panel: the characters received so far.
QString DownloadProgressText(int characters);
// What a click that would disturb it says (`refused` says what was not done:
// "The test cannot be started").
QString DownloadUnderWayMessage(const QString& refused);

}  // namespace unit

#include "unitlink/StoredTransferRead.h"

#include "unitlink/UnitProtocol.h"

#include <cmath>
#include <utility>

namespace unit {

namespace {
int ms(double seconds) { return int(std::lround(seconds * 1000.0)); }
}  // namespace

StoredTransferRead::StoredTransferRead(comm::CommPort& port) : port_(port) {
    timer_.Enabled(false);
    timer_.Timer = [this] { read(); };
}

void StoredTransferRead::Begin(Done done, Failed failed, Received received) {
    done_ = std::move(done);
    failed_ = std::move(failed);
    received_ = std::move(received);
    text_.clear();
    try {
        port_.Input();
        port_.InputLen(0);
        port_.Output(DownloadRequestFrame());
    } catch (const comm::CommError&) {
        state_ = State::Failed;
        throw;
    }
    state_ = State::Waiting;
    timer_.Interval(ms(kTransferFirstWaitSeconds));
    timer_.Enabled(true);
}

void StoredTransferRead::Abandon() {
    if (!Running()) return;
    timer_.Enabled(false);
    state_ = State::Abandoned;
}

void StoredTransferRead::read() {
    if (!Running()) return;
    try {
        if (state_ == State::Waiting) {
            // The first read, then one every half second from its due time.
            state_ = State::Reading;
            timer_.Interval(ms(kTransferReadWaitSeconds));
        } else if (port_.InBufferCount() == 0) {
            timer_.Enabled(false);
            state_ = State::Done;
            // Copies: `done` may destroy this object.
            const Done done = std::move(done_);
            const QString text = text_;
            if (done) done(text);
            return;
        }
        text_ += port_.Input();
    } catch (const comm::CommError& e) {
        fail(e);
        return;
    }
    if (received_) received_(int(text_.size()));
}

void StoredTransferRead::fail(const comm::CommError& error) {
    timer_.Enabled(false);
    state_ = State::Failed;
    const Failed failed = std::move(failed_);
    if (failed) failed(error);
}

QString DownloadingCaption() { return QStringLiteral("Downloading"); }

QString DownloadProgressText(int characters) {
    return QStringLiteral("Downloading: %1 characters received").arg(characters);
}

QString DownloadUnderWayMessage(const QString& refused) {
    return refused + QStringLiteral(": the unit is sending its stored test (a download is under way). Try again "
                                    "once the download has ended.");
}

}  // namespace unit

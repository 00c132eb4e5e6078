#pragma once
// The run loops' clocks by hand: while a ManualClock lives, the millisecond
// clock and the date and time of day stand still until the test moves them
// (advance), both by the same amount.

#include "platform/RunClock.h"

namespace testing_support {

class ManualClock {
public:
    explicit ManualClock(quint32 startMs = 5000,
                         QDateTime startTime = QDateTime(QDate(2024, 3, 1), QTime(8, 0, 0)))
        : ms(startMs), start_(std::move(startTime)) {
        previous_ = tick::SetClockSource({[this] { return ms; }, [this] { return dateTime(); }});
    }
    ~ManualClock() { tick::SetClockSource(std::move(previous_)); }
    ManualClock(const ManualClock&) = delete;
    ManualClock& operator=(const ManualClock&) = delete;

    void advance(qint64 milliseconds) {
        ms += quint32(milliseconds);
        elapsed_ += milliseconds;
    }
    QDateTime dateTime() const { return start_.addMSecs(elapsed_); }

    quint32 ms;

private:
    QDateTime start_;
    qint64 elapsed_ = 0;
    tick::ClockSource previous_;
};

}  // namespace testing_support

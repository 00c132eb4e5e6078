#pragma once
// The reads of a download (unit::StoredTransferRead) fired by hand: its
// timer's source is a ManualTickSource (a ManualTicks lived when it was
// made). Each read is fired after a tenth of its time has passed for real, so
// that what the simulated unit sends meanwhile has arrived, as the window's
// tests did with the download's waits shortened tenfold.

#include "support/ManualTicks.h"
#include "unitlink/StoredTransferRead.h"

#include <QThread>
#include <vector>

namespace testing_support {

// The manual source of the reads' timer.
inline ManualTickSource& TransferSource(unit::StoredTransferRead& read) {
    return static_cast<ManualTickSource&>(read.Timer().source());
}

// Fires the reads until the transfer has ended (false when it has not after
// `limit` reads). Each read's time after the one before (or after the
// request) is added to `times` when given.
inline bool FinishTransfer(unit::StoredTransferRead& read, std::vector<int>* times = nullptr, int limit = 1000) {
    ManualTickSource& source = TransferSource(read);
    for (int i = 0; i < limit && read.Running(); ++i) {
        if (times) times->push_back(source.next);
        QThread::msleep(static_cast<unsigned long>(source.next / 10));
        if (!source.fire()) return false;
    }
    return !read.Running();
}

}  // namespace testing_support

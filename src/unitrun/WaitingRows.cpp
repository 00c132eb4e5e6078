#include "unitrun/WaitingRows.h"

#include "data/clsTEST_RESULT.h"
#include "platform/Database.h"
#include "platform/TrapErrors.h"
#include "unitrun/RowSpool.h"
#include "unitrun/RunStates.h"

#include <algorithm>
#include <vector>

namespace runloop {

namespace {
int g_waitingInProgram = 0;
}  // namespace

WaitingRows::~WaitingRows() { gone(Count()); }

void WaitingRows::gone(int count) { g_waitingInProgram -= count; }

int WaitingRows::WaitingInProgram() { return g_waitingInProgram; }

void WaitingRows::BeginTick() { tick_.start(); }

int WaitingRows::waitLeft() const {
    // Storing outside a tick (or long after its start) has a tick's wait of its own.
    if (!tick_.isValid() || tick_.elapsed() >= kTickMs) return kTickDatabaseWaitMs;
    return int(std::max<qint64>(0, kTickDatabaseWaitMs - tick_.elapsed()));
}

bool WaitingRows::tryInsert(const RecordedRow& row, const Insert& insert) {
    try {
        insert(row.row, waitLeft());
        return true;
    } catch (...) {
        const TrappedError e = CurrentError();
        reasonNumber_ = e.number;
        reason_ = e.description;
        return false;
    }
}

bool WaitingRows::Record(RecordedRow row, const Insert& insert, const Alike& alike) {
    if (!rows_.empty() || !tryInsert(row, insert)) {
        // The rows equal to it before it: those TEST_RESULT holds and those waiting here.
        int before = alike ? alike(row.row) : -1;
        if (before >= 0)
            before += int(std::count_if(rows_.begin(), rows_.end(),
                                        [&row](const RecordedRow& r) { return SameResultRow(r.row, row.row); }));
        row.spooled = RowSpool::Program().Keep(row.row, row.test, row.started, before);
        rows_.push_back(std::move(row));
        ++g_waitingInProgram;
        return false;
    }
    if (row.stored) row.stored(false);
    return true;
}

bool WaitingRows::StoreWaiting(const Insert& insert) {
    // The rows stored leave the spool together, once this storing is over
    // (also when what follows a stored row fails).
    struct Stored {
        std::vector<qint64> spooled;
        ~Stored() { RowSpool::Program().Release(spooled); }
    } stored;
    bool first = true;
    while (!rows_.empty()) {
        // Once the tick's wait is spent the rest waits for the next tick.
        if (!first && waitLeft() == 0) break;
        first = false;
        if (!tryInsert(rows_.front(), insert)) break;
        // Off the list before anything follows it: a row is stored once.
        RecordedRow done = std::move(rows_.front());
        rows_.pop_front();
        gone(1);
        stored.spooled.push_back(done.spooled);
        if (done.stored) done.stored(true);
    }
    return rows_.empty();
}

int WaitingRows::Drop() {
    const int n = Count();
    std::vector<qint64> spooled;
    for (const RecordedRow& r : rows_) spooled.push_back(r.spooled);
    rows_.clear();
    gone(n);
    RowSpool::Program().Release(spooled);
    return n;
}

int WaitingRows::CountOf(qint32 testId) const {
    return int(std::count_if(rows_.begin(), rows_.end(), [testId](const RecordedRow& r) { return r.TestId() == testId; }));
}

QString WaitingRows::Test() const { return rows_.empty() ? QString() : rows_.front().test; }

std::vector<WaitingRows::TestRows> WaitingRows::Tests() const {
    return testsOf([](const RecordedRow&) { return true; });
}

int WaitingRows::InMemoryOnly() const {
    return int(std::count_if(rows_.begin(), rows_.end(), [](const RecordedRow& r) { return r.spooled == 0; }));
}

std::vector<WaitingRows::TestRows> WaitingRows::InMemoryOnlyTests() const {
    return testsOf([](const RecordedRow& r) { return r.spooled == 0; });
}

std::vector<WaitingRows::TestRows> WaitingRows::testsOf(const std::function<bool(const RecordedRow&)>& of) const {
    std::vector<TestRows> tests;
    std::vector<qint32> ids;
    for (const RecordedRow& r : rows_) {
        if (!of(r)) continue;
        const auto at = std::find(ids.begin(), ids.end(), r.TestId());
        if (at != ids.end()) {
            ++tests[std::size_t(at - ids.begin())].count;
            continue;
        }
        ids.push_back(r.TestId());
        tests.push_back({r.test, 1});
    }
    return tests;
}

void InsertResultRow(clsTEST_RESULT* records, const ResultPoint& row, int waitMs) {
    if (!records)
        throw db::DbError(db::ErrNotOpen, QStringLiteral("The window has no database connection."));
    for (int c = clsTEST_RESULT::colTEST_ID; c < clsTEST_RESULT::kColumnCount; ++c) records->Field(c, row[c]);
    db::BusyWait wait(records->BoundConnection(), waitMs);
    records->AddNew();
}

int CountResultRowsAlike(clsTEST_RESULT* records, const ResultPoint& row) {
    if (!records) return -1;
    try {
        // A reading: another connection's lock does not hold it back.
        db::BusyWait wait(records->BoundConnection(), 0);
        return CountStoredAlike(records->BoundConnection(), row);
    } catch (...) {
        return -1;
    }
}

}  // namespace runloop

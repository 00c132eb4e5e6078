#pragma once
// The stored samples of a unit window's current test, held as numbers so
// that the live grid's analysis and the live chart need not read every row
// of the test back from the database on every recorded sample.
//
// The samples of a test are read once through the window's record object,
// the first time they are asked for; from then on every row the window
// writes for that test is added as it is written, in RESULT_TIME order as
// the read gives them. Asking for another test reads that test anew. The
// window is the only writer of its test's rows while it holds them.

#include "analysis/ResultPoints.h"

#include <vector>

class clsConnection;
class clsTEST_RESULT;

class LiveSamples {
public:
    // The point of test `testId` that the record object's fields hold (its
    // current row, or the row it has just added).
    static ResultPoint PointOf(qint32 testId, const clsTEST_RESULT& row);
    // The samples of test `testId`, in RESULT_TIME order: those held, or read
    // through `rows` (Test_Id, ConnectX) when another test or none is held.
    // Database failures reach the caller (db::DbError); nothing is held then.
    const std::vector<ResultPoint>& Of(qint32 testId, clsTEST_RESULT& rows, clsConnection* connection);
    // Holds test `testId` as a new test, without any sample: a test just
    // stored has no rows, and none need be read.
    void Begin(qint32 testId);
    // A row written for test `testId` (after the database took it): added
    // when that test is held, after every sample of the same time or earlier.
    void Written(qint32 testId, const ResultPoint& row);
    // Holds nothing: the next Of reads again.
    void Forget();

    bool Holds(qint32 testId) const { return held_ && testId_ == testId; }
    // Changes with every change of what is held other than a row added last:
    // a view of the samples taken at one version sees them unchanged, but
    // for rows added at the end, while the version stays.
    quint64 Version() const { return version_; }

private:
    bool held_ = false;
    qint32 testId_ = 0;
    std::vector<ResultPoint> points_;
    quint64 version_ = 0;
};

#pragma once
// The record objects of a window that runs a sequence on a unit (the
// rheology, PVT and swell windows): the sequence's records it loads the steps
// through and the test's records it writes the new test and its rows
// through, all on the connection the window was handed.

#include "unitrun/SequenceLoading.h"

#include <QString>
#include <memory>

class clsConnection;
class clsSEQUENCE_INFO;
class clsSEQUENCE_RAMP;
class clsSEQUENCE_RAMP_DEFINE;
class clsTEST_ADDITIVE;
class clsTEST_INFO;
class clsTEST_RESULT;

namespace runloop {

struct RunRecords {
    RunRecords();
    ~RunRecords();
    RunRecords(const RunRecords&) = delete;
    RunRecords& operator=(const RunRecords&) = delete;

    // Every record object made anew, each bound to `connection` but the
    // ramp-define record, which LoadSequence binds when it reads the ramp
    // entries (kinds without a ramp list leave it unused).
    void MakeRecords(clsConnection* connection);

    // A window whose records could not be made (no database when the unit
    // was added) says so instead of failing on them: db::DbError 3704
    // "The window has no database connection." when a record is missing.
    void RequireSequenceRecords() const;  // the sequence list and steps
    void RequireTestRecords() const;      // the test information and additives
    void RequireResultRecord() const;     // the result rows
    // The named sequence's steps and ramp entries, up to the unit's maximum
    // pressure, read through the sequence records (LoadSequence).
    LoadedSequence LoadSteps(const QString& name, double maxPress);

    clsConnection* mConnection = nullptr;
    std::unique_ptr<clsSEQUENCE_INFO> mSeqInfo;
    std::unique_ptr<clsSEQUENCE_RAMP> mSeqRamp;
    std::unique_ptr<clsSEQUENCE_RAMP_DEFINE> mSeqRampDefine;
    std::unique_ptr<clsTEST_RESULT> mTestResult;
    std::unique_ptr<clsTEST_INFO> mTestInfo;
    std::unique_ptr<clsTEST_ADDITIVE> mTestAdditive;
};

}  // namespace runloop

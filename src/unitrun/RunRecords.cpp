#include "unitrun/RunRecords.h"

#include "data/clsSEQUENCE_INFO.h"
#include "data/clsSEQUENCE_RAMP.h"
#include "data/clsSEQUENCE_RAMP_DEFINE.h"
#include "data/clsTEST_ADDITIVE.h"
#include "data/clsTEST_INFO.h"
#include "data/clsTEST_RESULT.h"
#include "platform/Database.h"

namespace runloop {

RunRecords::RunRecords() = default;
RunRecords::~RunRecords() = default;

void RunRecords::MakeRecords(clsConnection* connection) {
    mConnection = connection;
    mSeqInfo = std::make_unique<clsSEQUENCE_INFO>();
    mSeqInfo->ConnectX(mConnection);
    mSeqRamp = std::make_unique<clsSEQUENCE_RAMP>();
    mSeqRamp->ConnectX(mConnection);
    mSeqRampDefine = std::make_unique<clsSEQUENCE_RAMP_DEFINE>();
    mTestResult = std::make_unique<clsTEST_RESULT>();
    mTestResult->ConnectX(mConnection);
    mTestInfo = std::make_unique<clsTEST_INFO>();
    mTestInfo->ConnectX(mConnection);
    mTestAdditive = std::make_unique<clsTEST_ADDITIVE>();
    mTestAdditive->ConnectX(mConnection);
}

namespace {
void require(const void* record) {
    if (!record) throw db::DbError(db::ErrNotOpen, QStringLiteral("The window has no database connection."));
}
}  // namespace

void RunRecords::RequireSequenceRecords() const {
    require(mSeqInfo.get());
    require(mSeqRamp.get());
    require(mSeqRampDefine.get());
}

void RunRecords::RequireTestRecords() const {
    require(mTestInfo.get());
    require(mTestAdditive.get());
}

void RunRecords::RequireResultRecord() const { require(mTestResult.get()); }

LoadedSequence RunRecords::LoadSteps(const QString& name, double maxPress) {
    RequireSequenceRecords();
    return LoadSequence(name, maxPress, mConnection, *mSeqInfo, *mSeqRamp, mSeqRampDefine.get());
}

}  // namespace runloop

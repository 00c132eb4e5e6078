#include "unitrun/RunRecords.h"

#include "data/clsSEQUENCE_INFO.h"
#include "data/clsSEQUENCE_RAMP.h"
#include "data/clsSEQUENCE_RAMP_DEFINE.h"
#include "data/clsTEST_ADDITIVE.h"
#include "data/clsTEST_INFO.h"
#include "data/clsTEST_RESULT.h"

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

}  // namespace runloop

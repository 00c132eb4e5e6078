#include "data/TestKind.h"

TestKind DecideTestKind(const QString& bobNo) {
    if (bobNo == kPvtKindText) return TestKind::Pvt;
    if (bobNo == kSwellKindText) return TestKind::Lsm;
    if (bobNo.isEmpty()) return TestKind::None;
    return TestKind::Rheology;
}

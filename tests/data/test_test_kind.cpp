// The kind of a stored test by its BOB_NO text.

#include "data/TestKind.h"

#include <gtest/gtest.h>

TEST(TestKind, KindFollowsBobNoExactly) {
    EXPECT_EQ(DecideTestKind("PVT"), TestKind::Pvt);
    EXPECT_EQ(DecideTestKind("LSM"), TestKind::Lsm);
    EXPECT_EQ(DecideTestKind(""), TestKind::None);
    EXPECT_EQ(DecideTestKind("pvt"), TestKind::Rheology);
    EXPECT_EQ(DecideTestKind("lsm"), TestKind::Rheology);
    EXPECT_EQ(DecideTestKind("B1"), TestKind::Rheology);
    EXPECT_EQ(DecideTestKind(" PVT"), TestKind::Rheology);
}

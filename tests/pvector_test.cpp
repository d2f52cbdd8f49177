#include "pvector/pvector.h"

#include <cmath>
#include <cstring>
#include <limits>

#include <gtest/gtest.h>

namespace {

const float nan = std::numeric_limits<float>::quiet_NaN();

bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(PvectorValue, DefaultIsPositiveZero) {
    const pvector v;
    EXPECT_EQ(v, zeroVector);
    EXPECT_EQ(v, pvector(0, 0, 0));
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(std::signbit(v[i]));
}

TEST(PvectorValue, IndexReadsAndWritesOneComponent) {
    pvector v(1, 2, 3);
    const pvector& constant = v;
    EXPECT_EQ(constant[0], 1.0f);
    EXPECT_EQ(constant[1], 2.0f);
    EXPECT_EQ(constant[2], 3.0f);
    v[1] = 7;
    EXPECT_EQ(v, pvector(1, 7, 3));
}

TEST(PvectorValue, CopiesKeepBitsOfNegativeZeroAndNan) {
    const float payloadNan = std::nanf("123");
    const pvector source(-0.0f, payloadNan, 5);
    const pvector copied(source);
    pvector assigned;
    assigned = source;
    for (const pvector* v : {&copied, static_cast<const pvector*>(&assigned)}) {
        for (int i = 0; i < 3; ++i) EXPECT_TRUE(sameBits((*v)[i], source[i])) << i;
    }
    EXPECT_EQ(pvector(-0.0f, 0, 0), zeroVector);
}

TEST(PvectorValue, SelfAssignmentYieldsItselfUnchanged) {
    pvector v(1, 2, 3);
    pvector& same = v;
    pvector& result = (v = same);
    EXPECT_EQ(&result, &v);
    EXPECT_EQ(v, pvector(1, 2, 3));
}

TEST(PvectorValue, EqualityIsExactAndNanIsUnequalToItself) {
    EXPECT_NE(pvector(1, 2, 3), pvector(1, 2, 3.0000002f));
    EXPECT_TRUE(pvector(1, 2, 3) == pvector(1, 2, 3));
    for (int i = 0; i < 3; ++i) {
        pvector v(1, 2, 3);
        v[i] = nan;
        EXPECT_FALSE(v == v) << i;
        EXPECT_TRUE(v != v) << i;
    }
}

TEST(PvectorValue, Constants) {
    EXPECT_EQ(unitX, pvector(1, 0, 0));
    EXPECT_EQ(unitY, pvector(0, 1, 0));
    EXPECT_EQ(unitZ, pvector(0, 0, 1));
    EXPECT_EQ(zeroVector, pvector(0, 0, 0));
    for (const pvector* v : {&unitX, &unitY, &unitZ, &zeroVector}) {
        for (int i = 0; i < 3; ++i) EXPECT_FALSE(std::signbit((*v)[i]));
    }
}

// The checks are on in every build type; a skipped death test would hide a
// build that switched them off.
TEST(PvectorDeathTest, IndexOutsideZeroToTwo) {
    pvector v;
    const pvector& constant = v;
    EXPECT_DEATH(v[-1], "i>=0 && i < 3");
    EXPECT_DEATH(v[3], "i>=0 && i < 3");
    EXPECT_DEATH(constant[-1], "i>=0 && i < 3");
    EXPECT_DEATH(constant[3], "i>=0 && i < 3");
}

}  // namespace

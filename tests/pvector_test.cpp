#include "pvector/pvector.h"

#include <cmath>
#include <cstring>
#include <iomanip>
#include <limits>
#include <sstream>

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

// Exact expectations: one float rounding per operation for arithmetic, one
// rounding at the end of the double computation for geometry.
void expectSame(const pvector& actual, const pvector& expected) {
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(sameBits(actual[i], expected[i]) ||
                    (std::isnan(actual[i]) && std::isnan(expected[i])))
            << "component " << i << ": " << actual[i] << " instead of " << expected[i];
    }
}

const float big = 1e20f;
const float inf = std::numeric_limits<float>::infinity();
// 1 + 2^-12 and 1 + 2^-11: their products lose bits in float but not in double.
const float a = 1.0f + 0x1p-12f;
const float b = 1.0f + 0x1p-11f;

TEST(PvectorArithmetic, SumsDifferencesAndScaling) {
    struct Case { const char* what; pvector actual; pvector expected; };
    const Case cases[] = {
        {"sum", pvector(1, 2, 3) + pvector(4, 5, 6), pvector(5, 7, 9)},
        {"difference", pvector(1, 2, 3) - pvector(4, 5, 6), pvector(-3, -3, -3)},
        {"negation flips zeros", -pvector(1, -2, 0), pvector(-1, 2, -0.0f)},
        {"negation of -0", -pvector(-0.0f, 0, 0), pvector(0, -0.0f, -0.0f)},
        {"scalar first", 2.0f * pvector(1, 2, 3), pvector(2, 4, 6)},
        {"scalar last", pvector(1, 2, 3) * 2.0f, pvector(2, 4, 6)},
        {"quotient", pvector(2, 4, 6) / 2.0f, pvector(1, 2, 3)},
        {"rounded once per component", pvector(1, 1e-8f, 0) + pvector(1e8f, 1, 0),
         pvector(1e8f, 1, 0)},
        {"overflow is infinite", pvector(3e38f, -3e38f, 0) * 10.0f, pvector(inf, -inf, 0)},
        {"NaN divisor", pvector(1, 0, -1) / std::nanf(""), pvector(nan, nan, nan)},
        {"infinite divisor", pvector(1, -2, 0) / inf, pvector(0, -0.0f, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        expectSame(c.actual, c.expected);
    }
}

TEST(PvectorArithmetic, CompoundOperationsChangeAndYieldTheVector) {
    pvector v(1, 2, 3);
    EXPECT_EQ(&(v += pvector(4, 5, 6)), &v);
    EXPECT_EQ(v, pvector(5, 7, 9));
    EXPECT_EQ(&(v -= pvector(1, 1, 1)), &v);
    EXPECT_EQ(v, pvector(4, 6, 8));
    EXPECT_EQ(&(v *= 0.5f), &v);
    EXPECT_EQ(v, pvector(2, 3, 4));
    EXPECT_EQ(&(v /= 2.0f), &v);
    EXPECT_EQ(v, pvector(1, 1.5f, 2));
    const pvector left(1, 2, 3), right(4, 5, 6);
    const pvector sum = left + right;
    EXPECT_EQ(left, pvector(1, 2, 3));
    EXPECT_EQ(right, pvector(4, 5, 6));
    EXPECT_EQ(sum, pvector(5, 7, 9));
}

TEST(PvectorGeometry, DotCrossAndLengthRoundOnceFromDouble) {
    EXPECT_EQ(pvector(1, 2, 3).dot(pvector(4, 5, 6)), 32.0f);
    // Squares near 1e20 overflow float; in double they cancel or stay finite.
    EXPECT_EQ(pvector(big, big, 0).dot(pvector(big, -big, 0)), 0.0f);
    EXPECT_EQ(pvector(big, 0, 0).length(), big);
    expectSame(pvector(big, big, 0).cross(pvector(big, big, 0)), pvector(0, 0, 0));
    // a*a - 1 is 2^-11 + 2^-24; a float product would drop the 2^-24.
    EXPECT_EQ(pvector(a, 1, 0).dot(pvector(a, -1, 0)), 0x1p-11f + 0x1p-24f);
    expectSame(pvector(a, 0, 1).cross(pvector(1, 0, a)), pvector(0, -(0x1p-11f + 0x1p-24f), 0));
    EXPECT_EQ(pvector(3, 4, 0).length(), 5.0f);
    // sqrt in double, then one rounding: 1 + 2^-12 exactly, squares and all.
    EXPECT_EQ(pvector(a, 0, 0).length(), a);
    expectSame(unitX.cross(unitY), unitZ);
    expectSame(unitY.cross(unitX), pvector(0, 0, -1));
}

TEST(PvectorGeometry, NormalizeScalesToLengthOne) {
    pvector v(3, 4, 0);
    EXPECT_EQ(&v.normalize(), &v);
    expectSame(v, pvector(0.6f, 0.8f, 0));
    pvector withNan(nan, 1, 0);
    expectSame(withNan.normalize(), pvector(nan, nan, nan));
}

TEST(PvectorGeometry, Project) {
    const pvector v(1, 1, 0), onto(2, 0, 0);
    expectSame(v.project(onto), pvector(1, 0, 0));
    EXPECT_EQ(v, pvector(1, 1, 0));
    EXPECT_EQ(onto, pvector(2, 0, 0));
    expectSame(v.project(zeroVector), pvector(nan, nan, nan));
    // The length squared is formed in double: in float it would overflow
    // to infinity and give inf / inf, a NaN, instead of an infinite k.
    const pvector huge(big, 0, 0);
    EXPECT_EQ(huge.project(huge)[0], inf);
}

TEST(PvectorGeometry, TransformAppliesTheUpperRowsOfAColumnMajorMatrix) {
    float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    const pvector v(1, 2, 3);
    expectSame(v.transform(identity), v);
    float moved[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 10, 20, 30, 1};
    expectSame(v.transform(moved), pvector(11, 22, 33));
    // The fourth row is never read.
    for (const int unused : {3, 7, 11, 15}) moved[unused] = 1e30f;
    expectSame(v.transform(moved), pvector(11, 22, 33));
    // Column-major: m[4] is row 0, column 1, so it scales y into x.
    float shear[16] = {1, 0, 0, 0, 5, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    expectSame(v.transform(shear), pvector(11, 2, 3));
    // Each product is exact in double before it is added: b*1 - a*a is
    // -2^-24, where float products would give 0.
    float exact[16] = {b, 0, 0, 0, a, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(pvector(1, -a, 0).transform(exact)[0], -0x1p-24f);
}

TEST(PvectorText, ComponentsInTheStreamsOwnFormat) {
    std::ostringstream plain;
    plain << pvector(1, 2.5f, -3);
    EXPECT_EQ(plain.str(), "1, 2.5, -3");
    std::ostringstream fixed;
    fixed << std::fixed << std::setprecision(2) << std::showpos << pvector(1, 2.5f, -3) << '|'
          << pvector(1.0f / 3.0f, 0, 1e6f);
    EXPECT_EQ(fixed.str(), "+1.00, +2.50, -3.00|+0.33, +0.00, +1000000.00");
    std::ostringstream general;
    general << pvector(1e6f, 1.0f / 3.0f, -0.0f) << '|' << pvector(nan, inf, -inf);
    EXPECT_EQ(general.str(), "1e+06, 0.333333, -0|nan, inf, -inf");
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

TEST(PvectorDeathTest, DivisionByZeroOfEitherSign) {
    pvector v(1, 2, 3);
    EXPECT_DEATH(v / 0.0f, "scaleFactor !=0");
    EXPECT_DEATH(v /= -0.0f, "scaleFactor !=0");
}

TEST(PvectorDeathTest, NormalizeOfALengthZeroVector) {
    pvector zero;
    pvector negativeZero(-0.0f, -0.0f, 0.0f);
    EXPECT_DEATH(zero.normalize(), "len!=0");
    EXPECT_DEATH(negativeZero.normalize(), "len!=0");
}

}  // namespace

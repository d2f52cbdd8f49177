#include "converter/numbers.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include <gtest/gtest.h>

namespace {

TEST(ParseFloat, AcceptsWhatFormattedInputReads) {
    struct Case { const char* text; float expected; };
    const Case cases[] = {
        {"0", 0.0f},          {"12", 12.0f},         {"+12", 12.0f},      {"-2.5", -2.5f},
        {".5", 0.5f},         {"5.", 5.0f},          {"-.5", -0.5f},      {"1e3", 1000.0f},
        {"1E+3", 1000.0f},    {"2.5e-3", 2.5e-3f},   {"007", 7.0f},       {"0.1", 0.1f},
        // Correct rounding straight to float, not through double: the
        // double nearest to this is a float midpoint and rounds the wrong way.
        {"1.00000005960464477550", 1.0000001f},
        {"3.4028235e38", std::numeric_limits<float>::max()},
        {"1e-45", std::numeric_limits<float>::denorm_min()},
        {"1e-50", 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        float value = -99.0f;
        ASSERT_EQ(parseFloat(c.text, value), numberStatus::ok);
        EXPECT_EQ(value, c.expected);
    }
    float value = 0.0f;
    ASSERT_EQ(parseFloat("-1e-50", value), numberStatus::ok);
    EXPECT_TRUE(std::signbit(value));
    ASSERT_EQ(parseFloat("-0", value), numberStatus::ok);
    EXPECT_TRUE(std::signbit(value));
}

// The quick path must round exactly as the C library does, above all next
// to the points halfway between two floats.
TEST(ParseFloat, AgreesWithStrtofOnManyNumbers) {
    std::mt19937_64 random(12);
    char text[64];
    for (int i = 0; i < 200000; ++i) {
        const auto digits = static_cast<int>(random() % 17) + 1;
        switch (i % 3) {
        case 0: {  // plain decimals such as exporters write
            std::snprintf(text, sizeof text, "%.*f", digits % 8,
                          std::ldexp(static_cast<double>(random() % 1000000), -static_cast<int>(random() % 20)));
            break;
        }
        case 1: {  // halfway between two floats, written to 9 to 17 digits
            std::uint32_t bits = static_cast<std::uint32_t>(random() % 0x7f000000u) + 0x00800000u;
            float low = 0.0f;
            std::memcpy(&low, &bits, sizeof low);
            const double halfway =
                (static_cast<double>(low) + std::nextafter(low, INFINITY)) / 2.0;
            std::snprintf(text, sizeof text, "%.*g", 9 + digits % 9, halfway);
            break;
        }
        default: {  // any digits, any exponent
            std::snprintf(text, sizeof text, "%llue%d",
                          static_cast<unsigned long long>(random() >> (random() % 64)),
                          static_cast<int>(random() % 78) - 60);
            break;
        }
        }
        float value = 0.0f;
        ASSERT_EQ(parseFloat(text, value), numberStatus::ok) << text;
        const float expected = std::strtof(text, nullptr);
        ASSERT_EQ(std::memcmp(&value, &expected, sizeof value), 0)
            << text << ": " << value << " instead of " << expected;
    }
}

TEST(ParseFloat, RejectsWhatIsNotANumber) {
    for (const char* text : {"", "+", "-", ".", "e5", "1e", "1e+", "1.5abc", "12,5", "inf",
                             "-inf", "nan", "NaN", "infinity", "0x1p3", "0x10", "1..2", "--1",
                             "+-1", " 1", "1 ", "1.2.3", "1e5.5"}) {
        SCOPED_TRACE(text);
        float value = 42.0f;
        EXPECT_EQ(parseFloat(text, value), numberStatus::notNumber);
        EXPECT_EQ(value, 42.0f);
    }
}

TEST(ParseFloat, OutOfRangeIsBeyondTheFloatRange) {
    for (const char* text : {"3.5e38", "-3.5e38", "1e39", "3.4028236e38", "1e999999999999"}) {
        SCOPED_TRACE(text);
        float value = 42.0f;
        EXPECT_EQ(parseFloat(text, value), numberStatus::outOfRange);
    }
}

TEST(ParseInt32, RecordCounts) {
    struct Case { const char* text; numberStatus status; std::int32_t value; };
    const Case cases[] = {
        {"0", numberStatus::ok, 0},
        {"42", numberStatus::ok, 42},
        {"+42", numberStatus::ok, 42},
        {"-3", numberStatus::ok, -3},
        {"2147483647", numberStatus::ok, 2147483647},
        {"-2147483648", numberStatus::ok, -2147483647 - 1},
        {"2147483648", numberStatus::outOfRange, 0},
        {"99999999999", numberStatus::outOfRange, 0},
        {"3.0", numberStatus::notNumber, 0},
        {"12x", numberStatus::notNumber, 0},
        {"1e3", numberStatus::notNumber, 0},
        {"+-1", numberStatus::notNumber, 0},
        {"", numberStatus::notNumber, 0},
        {"-", numberStatus::notNumber, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::int32_t value = 0;
        EXPECT_EQ(parseInt32(c.text, value), c.status);
        if (c.status == numberStatus::ok) {
            EXPECT_EQ(value, c.value);
        }
    }
}

TEST(FormatGeneral, MatchesPrintfG) {
    const double values[] = {0.0, -0.0, 1.5, 2.0, 7.5, 1e6, 999999.0, 9999995.0, 1e-5, 1e-4,
                             0.0001234567, 123456.7, 1234567.0, -3.25, 1.0 / 3.0, 3.4028234663852886e38,
                             1.401298464324817e-45, std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity(), 0.1f, 100.0};
    for (const double value : values) {
        char expected[64];
        std::snprintf(expected, sizeof expected, "%g", value);
        char text[maxGeneralLength];
        EXPECT_EQ(std::string(text, formatGeneral(value, text)), expected);
    }
}

}  // namespace

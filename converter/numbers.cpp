#include "converter/numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The powers of ten that a double holds exactly.
constexpr double exactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                       1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                       1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The rare inputs that the quick path below cannot round exactly.
numberStatus parseSlowly(std::string_view text, float& value) {
    // from_chars takes no leading '+'.
    if (text.front() == '+') text.remove_prefix(1);
    float parsed = 0.0f;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), parsed,
                                           std::chars_format::general);
    if (ec == std::errc() && end == text.data() + text.size()) {
        value = parsed;
        return numberStatus::ok;
    }
    // from_chars reports underflow and overflow alike; strtof tells them apart
    // and rounds an underflow correctly (to a subnormal or a signed zero).
    const std::string copy(text);
    const float rounded = std::strtof(copy.c_str(), nullptr);
    if (std::isinf(rounded)) return numberStatus::outOfRange;
    value = rounded;
    return numberStatus::ok;
}

// A token read in one pass: its form checked, its digits gathered into one
// integer and the decimal point folded into the exponent.
struct decimalForm {
    bool valid = false;
    bool negative = false;
    std::uint64_t mantissa = 0;  // meaningful when digits <= 19
    std::ptrdiff_t digits = 0;   // all of them, leading zeros included
    int exponent = 0;
};

// Checks the form [+-]digits[.digits][(e|E)[+-]digits], which is all that
// formatted input takes as a number.
decimalForm scanDecimal(std::string_view text) {
    decimalForm form;
    const char* p = text.data();
    const char* const end = p + text.size();
    if (p < end && (*p == '+' || *p == '-')) form.negative = *p++ == '-';
    std::uint64_t mantissa = 0;  // wraps past 19 digits, and is then unused
    const char* const integerStart = p;
    for (; p < end && isDigit(*p); ++p) mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
    std::ptrdiff_t fractionDigits = 0;
    if (p < end && *p == '.') {
        const char* const fractionStart = ++p;
        for (; p < end && isDigit(*p); ++p) {
            mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
        }
        fractionDigits = p - fractionStart;
        form.digits = p - integerStart - 1;
    } else {
        form.digits = p - integerStart;
    }
    if (form.digits == 0) return form;
    int exponent = 0;
    if (p < end && (*p == 'e' || *p == 'E')) {
        ++p;
        bool negativeExponent = false;
        if (p < end && (*p == '+' || *p == '-')) negativeExponent = *p++ == '-';
        if (p == end || !isDigit(*p)) return form;
        for (; p < end && isDigit(*p); ++p) exponent = std::min(exponent * 10 + (*p - '0'), 1000000);
        if (negativeExponent) exponent = -exponent;
    }
    form.valid = p == end;
    form.mantissa = mantissa;
    form.exponent = exponent - static_cast<int>(std::min<std::ptrdiff_t>(fractionDigits, 1000000));
    return form;
}

// Whether the mantissa and the power of ten are both exact doubles, so that
// one multiplication or division rounds the value correctly. Every such
// value lies well inside the normal float range.
bool fitsQuickPath(const decimalForm& form) {
    return form.digits <= 19 && form.mantissa < (std::uint64_t{1} << 53) &&
           form.exponent >= -22 && form.exponent <= 22;
}

}  // namespace

numberStatus parseFloat(std::string_view text, float& value) {
    const decimalForm form = scanDecimal(text);
    if (!form.valid) return numberStatus::notNumber;
    if (fitsQuickPath(form)) {
        double d = static_cast<double>(form.mantissa);
        if (form.exponent >= 0) {
            d *= exactPowersOfTen[form.exponent];
        } else {
            d /= exactPowersOfTen[-form.exponent];
        }
        // Rounding the correctly rounded double on to float is exact too,
        // unless it fell exactly halfway between two floats: in the normal
        // range, then just the bit below float precision is set.
        std::uint64_t bits = 0;
        std::memcpy(&bits, &d, sizeof bits);
        if ((bits & 0x1fffffff) != 0x10000000) {
            const auto rounded = static_cast<float>(d);
            value = form.negative ? -rounded : rounded;
            return numberStatus::ok;
        }
    }
    return parseSlowly(text, value);
}

numberStatus checkFloat(std::string_view text) {
    const decimalForm form = scanDecimal(text);
    if (!form.valid) return numberStatus::notNumber;
    if (fitsQuickPath(form)) return numberStatus::ok;
    float ignored = 0.0f;
    return parseSlowly(text, ignored);
}

numberStatus parseInt32(std::string_view text, std::int32_t& value) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (text.empty() || !isDigit(text.front())) return numberStatus::notNumber;
    }
    std::int32_t parsed = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (end != text.data() + text.size() || ec == std::errc::invalid_argument) {
        return numberStatus::notNumber;
    }
    if (ec == std::errc::result_out_of_range) return numberStatus::outOfRange;
    value = parsed;
    return numberStatus::ok;
}

std::size_t formatGeneral(double value, char* out) {
    const auto result =
        std::to_chars(out, out + maxGeneralLength, value, std::chars_format::general, 6);
    return static_cast<std::size_t>(result.ptr - out);
}

#include "converter/numbers.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>
#include <system_error>

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// True when text is [+-]digits[.digits][(e|E)[+-]digits] with at least one
// mantissa digit, which is all that formatted input accepts as a number.
bool isDecimalNumber(std::string_view text) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < n && isDigit(text[i])) ++i, ++digits;
    if (i < n && text[i] == '.') {
        ++i;
        while (i < n && isDigit(text[i])) ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
        std::size_t exponentDigits = 0;
        while (i < n && isDigit(text[i])) ++i, ++exponentDigits;
        if (exponentDigits == 0) return false;
    }
    return i == n;
}

}  // namespace

numberStatus parseFloat(std::string_view text, float& value) {
    if (!isDecimalNumber(text)) return numberStatus::notNumber;
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

#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// How a token reads as a number.
enum class numberStatus { ok, notNumber, outOfRange };

// A decimal number as formatted input reads it: an optional sign, digits with
// an optional decimal point (".5" and "5." too), an optional exponent. The
// value is correctly rounded to single precision; a value beyond the float
// range is outOfRange, one too small for it rounds to a zero or a subnormal.
// "inf", "nan" and hexadecimal are not numbers.
numberStatus parseFloat(std::string_view text, float& value);

// What parseFloat would say of text, for a number whose value is not needed.
numberStatus checkFloat(std::string_view text);

// A signed decimal integer with an optional sign; outOfRange beyond 32 bits.
numberStatus parseInt32(std::string_view text, std::int32_t& value);

// Longest text formatGeneral writes.
inline constexpr std::size_t maxGeneralLength = 16;

// Writes value as printf's "%g" does (six significant digits) and returns
// the number of characters written.
std::size_t formatGeneral(double value, char* out);

#include "pvector/pvector.h"

#include <cassert>
#include <cmath>
#include <ostream>

pvector::pvector() : x(0.0f), y(0.0f), z(0.0f) {}

pvector::pvector(float x, float y, float z) : x(x), y(y), z(z) {}

pvector::pvector(const pvector& other) = default;

pvector& pvector::operator=(const pvector& other) {
    if (this != &other) {
        x = other.x;
        y = other.y;
        z = other.z;
    }
    return *this;
}

pvector::~pvector() = default;

// The components are separate members, so the index selects one by name
// rather than by pointer arithmetic across them.
float& pvector::operator[](int i) {
    // clang-format off
    assert(i>=0 && i < 3);
    // clang-format on
    return i == 0 ? x : i == 1 ? y : z;
}

const float& pvector::operator[](int i) const {
    // clang-format off
    assert(i>=0 && i < 3);
    // clang-format on
    return i == 0 ? x : i == 1 ? y : z;
}

bool pvector::operator==(const pvector& other) const {
    return x == other.x && y == other.y && z == other.z;
}

bool pvector::operator!=(const pvector& other) const { return !(*this == other); }

pvector pvector::operator+(const pvector& w) const { return pvector(*this) += w; }

pvector& pvector::operator+=(const pvector& w) {
    x = x + w.x;
    y = y + w.y;
    z = z + w.z;
    return *this;
}

pvector pvector::operator-(const pvector& w) const { return pvector(*this) -= w; }

pvector& pvector::operator-=(const pvector& w) {
    x = x - w.x;
    y = y - w.y;
    z = z - w.z;
    return *this;
}

pvector pvector::operator-() const { return pvector(*this) *= -1.0f; }

pvector& pvector::operator*=(float s) {
    x = s * x;
    y = s * y;
    z = s * z;
    return *this;
}

pvector& pvector::operator/=(float scaleFactor) {
    // clang-format off
    assert(scaleFactor !=0);
    // clang-format on
    x = x / scaleFactor;
    y = y / scaleFactor;
    z = z / scaleFactor;
    return *this;
}

// Products of floats are exact in double and squares near 1e20 overflow
// float but not double, so these sum in double and round once, at the end.
float pvector::dot(const pvector& w) const {
    const double sum = (double{x} * w.x + double{y} * w.y) + double{z} * w.z;
    return static_cast<float>(sum);
}

pvector pvector::cross(const pvector& w) const {
    pvector result;
    result.x = static_cast<float>(double{y} * w.z - double{z} * w.y);
    result.y = static_cast<float>(double{z} * w.x - double{x} * w.z);
    result.z = static_cast<float>(double{x} * w.y - double{y} * w.x);
    return result;
}

float pvector::length() const {
    const double squares = (double{x} * x + double{y} * y) + double{z} * z;
    return static_cast<float>(std::sqrt(squares));
}

pvector& pvector::normalize() {
    const float len = length();
    // clang-format off
    assert(len!=0);
    // clang-format on
    x = x / len;
    y = y / len;
    z = z / len;
    return *this;
}

pvector pvector::project(const pvector& onto) const {
    const float d = dot(onto);
    const float l = onto.length();
    // The length times itself, in double: onto.dot(onto) would round twice.
    const auto k = static_cast<float>(double{d} / (double{l} * l));
    return k * onto;
}

pvector pvector::transform(const float (&m)[16]) const {
    pvector r(0.0f, 0.0f, 0.0f);
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            r[i] = static_cast<float>(double{m[i + 4 * j]} * (*this)[j] + r[i]);
        }
        r[i] = r[i] + m[12 + i];
    }
    return r;
}

pvector operator*(const pvector& v, const float& s) { return pvector(v) *= s; }

pvector operator*(const float& s, const pvector& v) { return v * s; }

pvector operator/(const pvector& v, const float& s) { return pvector(v) /= s; }

std::ostream& operator<<(std::ostream& out, const pvector& v) {
    return out << v[0] << ", " << v[1] << ", " << v[2];
}

// Defined in this order so that they are built in this order at start-up.
const pvector unitX(1.0f, 0.0f, 0.0f);
const pvector unitY(0.0f, 1.0f, 0.0f);
const pvector unitZ(0.0f, 0.0f, 1.0f);
const pvector zeroVector(0.0f, 0.0f, 0.0f);

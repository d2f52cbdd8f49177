#include "pvector/pvector.h"

#include <cassert>

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

// Defined in this order so that they are built in this order at start-up.
const pvector unitX(1.0f, 0.0f, 0.0f);
const pvector unitY(0.0f, 1.0f, 0.0f);
const pvector unitZ(0.0f, 0.0f, 1.0f);
const pvector zeroVector(0.0f, 0.0f, 0.0f);

#pragma once

// A three-component single-precision vector: a plain value, copied bit for
// bit, with components x, y, z at indices 0, 1, 2.
class pvector {
public:
    // value and access
    pvector();
    pvector(float x, float y, float z);
    pvector(const pvector& other);
    pvector& operator=(const pvector& other);
    virtual ~pvector();

    // Component i (0 is x, 1 is y, 2 is z); asserts "i>=0 && i < 3".
    float& operator[](int i);
    const float& operator[](int i) const;

    // comparison: componentwise IEEE equality, so a NaN is unequal to itself
    // and -0 equals 0
    bool operator==(const pvector& other) const;
    bool operator!=(const pvector& other) const;

private:
    float x;
    float y;
    float z;
};

// constants
extern const pvector unitX;
extern const pvector unitY;
extern const pvector unitZ;
extern const pvector zeroVector;

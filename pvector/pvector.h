#pragma once

#include <iosfwd>

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

    // arithmetic: componentwise, one float rounding per operation
    pvector operator+(const pvector& w) const;
    pvector& operator+=(const pvector& w);
    pvector operator-(const pvector& w) const;
    pvector& operator-=(const pvector& w);
    // Multiplies by -1, so a zero component changes sign.
    pvector operator-() const;
    pvector& operator*=(float s);
    // Asserts "scaleFactor !=0", which -0 fails and NaN passes.
    pvector& operator/=(float scaleFactor);

    // geometry: products and sums in double, rounded once to float, so
    // components near 1e20 give finite results
    float dot(const pvector& w) const;
    pvector cross(const pvector& w) const;
    float length() const;
    // Scales to length 1 and returns itself; asserts "len!=0", which a NaN
    // length passes.
    pvector& normalize();
    // The projection onto `onto`; all NaN when `onto` has length 0.
    pvector project(const pvector& onto) const;
    // m applied to (x, y, z, 1); m is a column-major 4 x 4 matrix, element
    // (row r, column c) at m[r + 4c]. Its fourth row is not used.
    pvector transform(const float (&m)[16]) const;

private:
    float x;
    float y;
    float z;
};

pvector operator*(const pvector& v, const float& s);
pvector operator*(const float& s, const pvector& v);
// Asserts "scaleFactor !=0", as /= does.
pvector operator/(const pvector& v, const float& s);

// text form: "x, y, z" in the stream's current number format, nothing more
std::ostream& operator<<(std::ostream& out, const pvector& v);

// constants
extern const pvector unitX;
extern const pvector unitY;
extern const pvector unitZ;
extern const pvector zeroVector;

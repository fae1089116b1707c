// Three-float vectors with value semantics. Every operation computes in double precision and rounds
// each stored component to float.
#pragma once

struct Vec3 {
    float x;
    float y;
    float z;
};

inline Vec3 Vec3Zero() {
    return {0.0f, 0.0f, 0.0f};
}
inline Vec3 Vec3UnitY() {
    return {0.0f, 1.0f, 0.0f};
}
inline Vec3 Vec3UnitZ() {
    return {0.0f, 0.0f, 1.0f};
}
inline Vec3 Vec3Set(float x, float y, float z) {
    return {x, y, z};
}

inline Vec3 Vec3Add(Vec3 a, Vec3 b) {
    return {float(double(a.x) + b.x), float(double(a.y) + b.y), float(double(a.z) + b.z)};
}
inline Vec3 Vec3Sub(Vec3 a, Vec3 b) {
    return {float(double(a.x) - b.x), float(double(a.y) - b.y), float(double(a.z) - b.z)};
}
inline Vec3 Vec3Negate(Vec3 a) {
    return {-a.x, -a.y, -a.z};
}
inline Vec3 Vec3Scale(Vec3 v, float s) {
    return {float(double(v.x) * s), float(double(v.y) * s), float(double(v.z) * s)};
}
inline float Vec3LengthSquared(Vec3 v) {
    return float(double(v.x) * v.x + double(v.y) * v.y + double(v.z) * v.z);
}
Vec3 Vec3Normalise(Vec3 v);

// A unit vector from a normalised cube sample (three draws: x, y, z). Not uniform over the sphere:
// the cube's diagonals are favoured, and that is the distribution the simulation uses.
Vec3 RandomDirection();

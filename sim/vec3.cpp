#include "sim/vec3.h"

#include <cmath>

#include "sim/random.h"

Vec3 Vec3Normalise(Vec3 v) {
    const float len = float(std::sqrt(double(v.x) * v.x + double(v.y) * v.y + double(v.z) * v.z));
    if (len == 0.0f) return v;
    return {float(double(v.x) / len), float(double(v.y) / len), float(double(v.z) / len)};
}

Vec3 RandomDirection() {
    const float x = RandomFloat(-1.0f, 1.0f);
    const float y = RandomFloat(-1.0f, 1.0f);
    const float z = RandomFloat(-1.0f, 1.0f);
    if (x == 0.0f && y == 0.0f && z == 0.0f) return {1.0f, 0.0f, 0.0f};
    return Vec3Normalise({x, y, z});
}

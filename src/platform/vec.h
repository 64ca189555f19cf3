// Small vector records shared by every layer: Vec3f for geometry tests and colours,
// Vec3d for scene positions, angles and particle positions.
#pragma once

namespace pelx {

struct Vec3f {
    float x = 0, y = 0, z = 0;
};

struct Vec3d {
    double x = 0, y = 0, z = 0;
};

inline bool operator==(const Vec3f& a, const Vec3f& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }
inline bool operator==(const Vec3d& a, const Vec3d& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

} // namespace pelx

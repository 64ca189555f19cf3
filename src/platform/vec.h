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

// Summed in double even for floats: the shadow rays' side-of-plane tests need the precision.
inline double dot(const Vec3f& a, const Vec3f& b) {
    return static_cast<double>(a.x) * b.x + static_cast<double>(a.y) * b.y + static_cast<double>(a.z) * b.z;
}

inline Vec3d operator+(const Vec3d& a, const Vec3d& b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vec3d operator-(const Vec3d& a, const Vec3d& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vec3d operator-(const Vec3d& a) {
    return {-a.x, -a.y, -a.z};
}
inline Vec3d operator*(const Vec3d& a, double s) {
    return {a.x * s, a.y * s, a.z * s};
}
inline Vec3d operator*(double s, const Vec3d& a) {
    return a * s;
}
inline double dot(const Vec3d& a, const Vec3d& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline Vec3d cross(const Vec3d& a, const Vec3d& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

} // namespace pelx

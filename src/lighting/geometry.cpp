// Vector helpers on three 32-bit floats. Sums and products are formed in double and each
// float result is rounded once when it is stored, so every caller sees the same bits.
#include "lighting/geometry.h"

#include <cmath>

namespace pelx {

namespace {
// An angle sum a little short of a full turn still counts as inside: the four rounded arc
// cosines of a point on or next to an edge may fall just below 2 pi.
constexpr double INSIDE_FACTOR = 0.9999;
constexpr double FULL_TURN = 6.283185307179586;
} // namespace

float absoluteValue(float x) {
    return x < 0 ? -x : x;
}

Vec3f vectorDifference(Vec3f a, Vec3f b) {
    return {static_cast<float>(static_cast<double>(a.x) - b.x),
            static_cast<float>(static_cast<double>(a.y) - b.y),
            static_cast<float>(static_cast<double>(a.z) - b.z)};
}

Vec3f crossProduct(Vec3f a, Vec3f b) {
    const double ax = a.x, ay = a.y, az = a.z;
    const double bx = b.x, by = b.y, bz = b.z;
    return {static_cast<float>(ay * bz - az * by), static_cast<float>(az * bx - ax * bz),
            static_cast<float>(ax * by - ay * bx)};
}

double dotProduct(Vec3f a, Vec3f b) {
    return dot(a, b);
}

float vectorLength(Vec3f v) {
    return static_cast<float>(std::sqrt(dotProduct(v, v)));
}

Vec3f normalize(Vec3f v) {
    const float length = vectorLength(v);
    return {v.x / length, v.y / length, v.z / length};
}

Vec3f triangleNormal(const Vec3f* triangle) {
    return normalize(
        crossProduct(vectorDifference(triangle[2], triangle[0]), vectorDifference(triangle[1], triangle[0])));
}

float planeDistance(Vec3f normal, Vec3f point) {
    return static_cast<float>(-dotProduct(normal, point));
}

float angleBetween(Vec3f a, Vec3f b) {
    const float lengths = static_cast<float>(static_cast<double>(vectorLength(a)) * vectorLength(b));
    const float cosine = static_cast<float>(dotProduct(a, b) / lengths);
    const float angle = static_cast<float>(std::acos(static_cast<double>(cosine)));
    return std::isnan(angle) ? 0.0f : angle;
}

bool segmentCrossesPlane(const Vec3f* triangle, const Vec3f* segment, Vec3f* normal, float* planeConstant) {
    *normal = triangleNormal(triangle);
    *planeConstant = planeDistance(*normal, triangle[0]);
    const float startSide = static_cast<float>(dotProduct(*normal, segment[0]) + *planeConstant);
    // A segment that starts on the plane never crosses it; comparisons with NaN (degenerate
    // triangle) fail, so such a plane is never crossed either.
    if (startSide == 0) return false;
    const float endSide = static_cast<float>(dotProduct(*normal, segment[1]) + *planeConstant);
    return static_cast<double>(startSide) * endSide < 0;
}

Vec3f planeIntersection(Vec3f normal, const Vec3f* segment, double planeConstant) {
    const Vec3f start = segment[0];
    const Vec3f direction = normalize(vectorDifference(segment[1], start));
    const double numerator = -(dotProduct(normal, start) + planeConstant);
    const double denominator = dotProduct(normal, direction);
    if (denominator == 0) return start;
    const double t = numerator / denominator;
    return {static_cast<float>(start.x + direction.x * t), static_cast<float>(start.y + direction.y * t),
            static_cast<float>(start.z + direction.z * t)};
}

bool pointInPolygon(Vec3f point, const Vec3f* polygon, int count) {
    double sum = 0;
    for (int i = 0; i < count; ++i)
        sum += angleBetween(vectorDifference(polygon[i], point),
                            vectorDifference(polygon[(i + 1) % count], point));
    return sum >= INSIDE_FACTOR * FULL_TURN;
}

bool segmentHitsPolygon(const Vec3f* polygon, const Vec3f* segment, int count) {
    Vec3f normal;
    float planeConstant;
    if (!segmentCrossesPlane(polygon, segment, &normal, &planeConstant)) return false;
    const Vec3f crossing = planeIntersection(normal, segment, static_cast<double>(planeConstant));
    return pointInPolygon(crossing, polygon, count);
}

} // namespace pelx

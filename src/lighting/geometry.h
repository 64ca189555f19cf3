// Small geometry on Vec3f values: vector arithmetic, triangle planes and the segment-against-
// polygon test under the shadow rays.
#pragma once

#include "platform/vec.h"

namespace pelx {

float absoluteValue(float x);
Vec3f vectorDifference(Vec3f a, Vec3f b);
Vec3f crossProduct(Vec3f a, Vec3f b);
double dotProduct(Vec3f a, Vec3f b);
float vectorLength(Vec3f v);
// No guard against length 0: the zero vector gives non-finite components.
Vec3f normalize(Vec3f v);
Vec3f triangleNormal(const Vec3f* triangle);
float planeDistance(Vec3f normal, Vec3f point);
// Radians; 0 instead of NaN (zero-length vector, rounded cosine outside -1..1).
float angleBetween(Vec3f a, Vec3f b);
// segment = {start, end}. True when start and end lie strictly on opposite sides of the plane
// of triangle's first three vertices; normal and plane constant are written in every case.
bool segmentCrossesPlane(const Vec3f* triangle, const Vec3f* segment, Vec3f* normal, float* planeConstant);
Vec3f planeIntersection(Vec3f normal, const Vec3f* segment, double planeConstant);
bool pointInPolygon(Vec3f point, const Vec3f* polygon, int count);
bool segmentHitsPolygon(const Vec3f* polygon, const Vec3f* segment, int count);

} // namespace pelx

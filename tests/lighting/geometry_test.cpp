// The geometry helpers against worked numbers: planes, crossings, the angle-sum inside test
// with its tolerance.
#include "lighting/geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace pelx {
namespace {

void expectVec(Vec3f actual, Vec3f expected) {
    EXPECT_FLOAT_EQ(actual.x, expected.x);
    EXPECT_FLOAT_EQ(actual.y, expected.y);
    EXPECT_FLOAT_EQ(actual.z, expected.z);
}

TEST(GeometryTest, VectorArithmeticWorkedValues) {
    EXPECT_EQ(absoluteValue(-2.5f), 2.5f);
    EXPECT_EQ(absoluteValue(3.0f), 3.0f);
    expectVec(vectorDifference({5, 7, 9}, {1, 2, 3}), {4, 5, 6});
    expectVec(crossProduct({1, 0, 0}, {0, 1, 0}), {0, 0, 1});
    expectVec(crossProduct({1, 2, 3}, {4, 5, 6}), {-3, 6, -3});
    EXPECT_EQ(dotProduct({1, 2, 3}, {4, 5, 6}), 32.0);
    // 2^40 + 1 has no float representation: the sum is kept in double.
    EXPECT_EQ(dotProduct({1048576, 1, 0}, {1048576, 1, 0}), 1099511627777.0);
    EXPECT_EQ(vectorLength({3, 4, 0}), 5.0f);
    EXPECT_EQ(vectorLength({0, 0, 0}), 0.0f);
    expectVec(normalize({3, 4, 0}), {0.6f, 0.8f, 0});
    expectVec(normalize({0, 0, -7}), {0, 0, -1});
}

TEST(GeometryTest, ZeroVectorAndDegenerateTriangleGiveNonFiniteNormals) {
    const Vec3f n = normalize({0, 0, 0});
    EXPECT_FALSE(std::isfinite(n.x));
    EXPECT_FALSE(std::isfinite(n.y));
    EXPECT_FALSE(std::isfinite(n.z));
    const Vec3f collinear[3] = {{0, 0, 0}, {1, 1, 1}, {2, 2, 2}};
    EXPECT_FALSE(std::isfinite(triangleNormal(collinear).x));
}

TEST(GeometryTest, TriangleNormalFollowsTheCornerOrder) {
    // (p2 - p0) x (p1 - p0): counter-clockwise seen from +z gives -z.
    const Vec3f ccw[3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    expectVec(triangleNormal(ccw), {0, 0, -1});
    const Vec3f cw[3] = {{0, 0, 0}, {0, 2, 0}, {2, 0, 0}};
    expectVec(triangleNormal(cw), {0, 0, 1});
    EXPECT_EQ(planeDistance({0, 0, -1}, {3, 4, 5}), 5.0f);
    EXPECT_EQ(planeDistance({0, 1, 0}, {3, 4, 5}), -4.0f);
}

TEST(GeometryTest, AngleBetweenWorkedValuesAndNaNGuard) {
    const float half = static_cast<float>(std::numbers::pi / 2);
    const float full = static_cast<float>(std::numbers::pi);
    struct Case {
        Vec3f a, b;
        float expected;
    } cases[] = {
        {{1, 0, 0}, {0, 1, 0}, half},
        {{2, 0, 0}, {0, 0, -3}, half},
        {{1, 0, 0}, {-1, 0, 0}, full},
        {{1, 0, 0}, {1, 1, 0}, static_cast<float>(std::numbers::pi / 4)},
        {{0, 0, 0}, {1, 0, 0}, 0},
        {{1, 0, 0}, {0, 0, 0}, 0},
        // Its rounded cosine with itself comes out as 1.00000012: acos would give NaN.
        {{0.1f, 0.1f, 0.3f}, {0.1f, 0.1f, 0.3f}, 0},
        {{1.5f, -1.5f, 0}, {-1.5f, 1.5f, 0}, 0}, // cosine -1.0000001 after rounding
    };
    for (const Case& c : cases) {
        const float angle = angleBetween(c.a, c.b);
        EXPECT_FALSE(std::isnan(angle));
        EXPECT_NEAR(angle, c.expected, 1e-6f) << c.a.x << "," << c.a.y << "," << c.a.z;
    }
}

TEST(GeometryTest, SegmentCrossesPlaneOnlyStrictlyBetweenSides) {
    const Vec3f floor[3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}; // plane z = 0
    struct Case {
        const char* what;
        Vec3f start, end;
        bool crosses;
    } cases[] = {
        {"straight through", {0.2f, 0.2f, 1}, {0.2f, 0.2f, -1}, true},
        {"through the plane far from the triangle", {50, 50, 1}, {50, 50, -3}, true},
        {"upwards", {0, 0, -0.5f}, {0, 0, 0.5f}, true},
        {"both above", {0, 0, 1}, {0, 0, 2}, false},
        {"both below", {0, 0, -1}, {1, 1, -2}, false},
        {"starts on the plane", {0.2f, 0.2f, 0}, {0.2f, 0.2f, 1}, false},
        {"ends on the plane", {0.2f, 0.2f, 1}, {0.3f, 0.3f, 0}, false},
        {"lies in the plane", {0, 0, 0}, {1, 1, 0}, false},
    };
    for (const Case& c : cases) {
        const Vec3f segment[2] = {c.start, c.end};
        Vec3f normal{9, 9, 9};
        float constant = 9;
        EXPECT_EQ(segmentCrossesPlane(floor, segment, &normal, &constant), c.crosses) << c.what;
        // The plane is reported whatever the answer.
        expectVec(normal, {0, 0, -1});
        EXPECT_EQ(constant, 0.0f) << c.what;
    }
    const Vec3f raised[3] = {{0, 0, 2}, {0, 1, 2}, {1, 0, 2}}; // z = 2, normal +z
    const Vec3f segment[2] = {{0, 0, 0}, {0, 0, 5}};
    Vec3f normal;
    float constant;
    EXPECT_TRUE(segmentCrossesPlane(raised, segment, &normal, &constant));
    expectVec(normal, {0, 0, 1});
    EXPECT_EQ(constant, -2.0f);

    const Vec3f degenerate[3] = {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}};
    EXPECT_FALSE(segmentCrossesPlane(degenerate, segment, &normal, &constant));
    EXPECT_TRUE(std::isnan(normal.x));
}

TEST(GeometryTest, PlaneIntersectionWorkedPoints) {
    const Vec3f up{0, 0, 1};
    const double z2 = -2.0; // plane z = 2
    const Vec3f vertical[2] = {{1, 1, 0}, {1, 1, 4}};
    expectVec(planeIntersection(up, vertical, z2), {1, 1, 2});
    const Vec3f slanted[2] = {{0, 0, 0}, {4, 0, 4}};
    expectVec(planeIntersection(up, slanted, z2), {2, 0, 2});
    // The line meets the plane beyond the segment's end: still that point.
    const Vec3f shortOne[2] = {{0, 0, 0}, {0, 1, 1}};
    expectVec(planeIntersection(up, shortOne, z2), {0, 2, 2});
    // Parallel: the start comes back unchanged, above or in the plane.
    const Vec3f parallel[2] = {{3, 4, 0}, {5, 4, 0}};
    expectVec(planeIntersection(up, parallel, z2), {3, 4, 0});
    const Vec3f inPlane[2] = {{3, 4, 2}, {3, 9, 2}};
    expectVec(planeIntersection(up, inPlane, z2), {3, 4, 2});
}

TEST(GeometryTest, PointInPolygonAngleSum) {
    const Vec3f triangle[3] = {{0, 0, 0}, {3, 0, 0}, {0, 3, 0}};
    const Vec3f square[4] = {{0, 0, 0}, {2, 0, 0}, {2, 2, 0}, {0, 2, 0}};
    struct Case {
        const char* what;
        const Vec3f* polygon;
        int count;
        Vec3f point;
        bool inside;
    } cases[] = {
        {"triangle centroid", triangle, 3, {1, 1, 0}, true},
        {"triangle far point", triangle, 3, {10, 10, 0}, false},
        {"triangle edge midpoint", triangle, 3, {1.5f, 0, 0}, true},
        // On the hypotenuse the two lengths (sqrt 4.5) round so that the cosine falls below
        // -1: that angle counts 0 and the point comes out as outside.
        {"triangle hypotenuse", triangle, 3, {1.5f, 1.5f, 0}, false},
        {"triangle other edge", triangle, 3, {0, 1, 0}, true},
        // At a corner one difference vector is zero and adds no angle.
        {"triangle corner", triangle, 3, {0, 0, 0}, false},
        {"square centre", square, 4, {1, 1, 0}, true},
        {"square off-centre", square, 4, {0.1f, 1.9f, 0}, true},
        {"square beside", square, 4, {3, 1, 0}, false},
        // Just outside an edge the angles sum to 2 pi - 4 atan(d): inside while d < 1.57e-4.
        {"square 1e-4 outside an edge", square, 4, {1, -1e-4f, 0}, true},
        {"square 1e-3 outside an edge", square, 4, {1, -1e-3f, 0}, false},
        {"above the square's centre", square, 4, {1, 1, 1}, false},
    };
    for (const Case& c : cases) EXPECT_EQ(pointInPolygon(c.point, c.polygon, c.count), c.inside) << c.what;
}

TEST(GeometryTest, SegmentHitsPolygon) {
    const Vec3f square[4] = {{0, 0, 0}, {2, 0, 0}, {2, 2, 0}, {0, 2, 0}};
    struct Case {
        const char* what;
        Vec3f start, end;
        bool hits;
    } cases[] = {
        {"through the middle", {1, 1, 1}, {1, 1, -1}, true},
        {"slanted through", {0, 0, 1}, {2, 2, -1}, true},
        {"through an edge", {1, 0, 1}, {1, 0, -1}, true},
        {"crosses the plane beside it", {3, 3, 1}, {3, 3, -1}, false},
        {"stops short", {1, 1, 1}, {1, 1, 0.5f}, false},
        {"starts on it", {1, 1, 0}, {1, 1, -1}, false},
        {"ends on it", {1, 1, 1}, {1, 1, 0}, false},
        {"lies in it", {-1, 1, 0}, {3, 1, 0}, false},
    };
    for (const Case& c : cases) {
        const Vec3f segment[2] = {c.start, c.end};
        EXPECT_EQ(segmentHitsPolygon(square, segment, 4), c.hits) << c.what;
    }
    const Vec3f flat[4] = {{0, 0, 0}, {2, 0, 0}, {2, 0, 0}, {0, 0, 0}};
    const Vec3f segment[2] = {{1, 0, 1}, {1, 0, -1}};
    EXPECT_FALSE(segmentHitsPolygon(flat, segment, 4));
}

} // namespace
} // namespace pelx

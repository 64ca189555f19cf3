// The shortcuts in front of the angle-sum test, at their margins: just inside each bound a
// shortcut answers, and its answer is the angle-sum test's; just outside it leaves the
// crossing to that test. The bounds are worked from the rectangles' sizes: a 2% margin of the
// short side inside, a 1% gap of the diagonal outside, twice the diagonal far away.
#include "lighting/geometry.h"
#include "lighting/lighting_internal.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace pelx {
namespace {

using namespace pelx::lighting_internal;

// A bound moved a millionth of itself toward zero (less) or away from it (more).
float less(double bound) {
    return static_cast<float>(bound * (1 - 1e-6));
}
float more(double bound) {
    return static_cast<float>(bound * (1 + 1e-6));
}

// 100 wide (x), 200 high (y), flat at z = 0: short side 100, diagonal sqrt(50,000).
const Vec3f WALL[4] = {{0, 0, 0}, {100, 0, 0}, {100, 200, 0}, {0, 200, 0}};
const double WALL_DIAGONAL = std::sqrt(50000.0);

struct PointCase {
    const char* what;
    Vec3f q;
    bool answers; // whether the shortcut is expected to answer at all
};

// Whether the shortcut answers for q, and if so that the angle-sum test agrees with it.
void checkShortcut(bool (*shortcut)(const CasterRectangle&, Vec3f), const Vec3f* corners, const PointCase& c,
                   bool inside) {
    const CasterRectangle rectangle = prepareRectangle(corners);
    const bool answered = shortcut(rectangle, c.q);
    EXPECT_EQ(answered, c.answers) << c.what;
    if (answered) {
        EXPECT_EQ(pointInPolygon(c.q, corners, 4), inside) << c.what << ": the angle-sum test disagrees";
    }
}

TEST(SectionRectanglesTest, ClearlyInsideAtItsMargins) {
    const double slack = 1e-5 * 100; // off the plane, of the short side
    const PointCase cases[] = {
        {"2% in from the left edge", {2, 100, 0}, true},
        {"just short of 2% from the left edge", {std::nextafter(2.0f, 0.0f), 100, 0}, false},
        {"2% in from the right edge", {98, 100, 0}, true},
        {"just past 2% from the right edge", {std::nextafter(98.0f, 100.0f), 100, 0}, false},
        {"2% in from the bottom edge", {50, 2, 0}, true},
        {"2% in from the top edge", {50, 198, 0}, true},
        {"just past 2% from the top edge", {50, std::nextafter(198.0f, 200.0f), 0}, false},
        {"just within the slack in front", {50, 100, less(slack)}, true},
        {"just beyond the slack in front", {50, 100, more(slack)}, false},
        {"just within the slack behind", {50, 100, -less(slack)}, true},
        {"just beyond the slack behind", {50, 100, -more(slack)}, false},
        {"inner corner, off the plane by the slack", {2, 2, less(slack)}, true},
        {"inner corner at the top, off the plane by the slack", {98, 198, -less(slack)}, true},
    };
    for (const PointCase& c : cases) checkShortcut(clearlyInside, WALL, c, true);

    // Sides up to ten to one: the nearest edge of a crossing at the margin of the short side
    // fills nearly half a turn, the worst case of the reckoning.
    const Vec3f longest[4] = {{0, 0, 0}, {100, 0, 0}, {100, 1000, 0}, {0, 1000, 0}};
    const float beyond = std::nextafter(1000.0f, 2000.0f);
    const Vec3f tooLong[4] = {{0, 0, 0}, {100, 0, 0}, {100, beyond, 0}, {0, beyond, 0}};
    checkShortcut(clearlyInside, longest, {"ten to one, at the margin", {2, 500, less(slack)}, true}, true);
    checkShortcut(clearlyInside, longest, {"ten to one, inner corner", {2, 2, less(slack)}, true}, true);
    checkShortcut(clearlyInside, tooLong, {"just over ten to one", {50, 500, 0}, false}, true);
}

TEST(SectionRectanglesTest, ClearlyOutsideAtItsMargins) {
    const double gap = 0.01 * WALL_DIAGONAL;    // in the plane, of the diagonal
    const double slack = 1e-5 * WALL_DIAGONAL;  // off the plane, of the diagonal
    const double far = 2 * WALL_DIAGONAL;       // from the box, anywhere
    const double corner = gap / std::sqrt(2.0); // both ways off a corner
    const PointCase cases[] = {
        {"just beyond the gap to the left", {-more(gap), 100, 0}, true},
        {"just within the gap to the left", {-less(gap), 100, 0}, false},
        {"just beyond the gap above", {50, 200 + more(gap), 0}, true},
        {"just beyond the gap off a corner", {-more(corner), -more(corner), 0}, true},
        {"just within the gap off a corner", {-less(corner), -less(corner), 0}, false},
        {"beyond the gap, just within the slack", {-2 * more(gap), 100, less(slack)}, true},
        {"beyond the gap, just beyond the slack", {-2 * more(gap), 100, more(slack)}, false},
        {"beyond the gap, corner and slack together", {-more(corner), -more(corner), -less(slack)}, true},
        {"in front, just beyond twice the diagonal", {50, 100, more(far)}, true},
        {"in front, just within twice the diagonal", {50, 100, less(far)}, false},
    };
    for (const PointCase& c : cases) checkShortcut(clearlyOutside, WALL, c, false);

    // A slanting rectangle (the plane x = z) has only the far rule: its box's diagonal is
    // 100 sqrt 3, and a point on its plane above it is turned away only beyond twice that.
    const Vec3f slanting[4] = {{0, 0, 0}, {100, 0, 100}, {100, 100, 100}, {0, 100, 0}};
    const double slantFar = 2 * std::sqrt(30000.0);
    checkShortcut(clearlyOutside, slanting,
                  {"slanting, just far enough", {50, 100 + more(slantFar), 50}, true}, false);
    checkShortcut(clearlyOutside, slanting,
                  {"slanting, just too near", {50, 100 + less(slantFar), 50}, false}, false);
    checkShortcut(clearlyOutside, slanting, {"slanting, beyond the gap", {-more(gap), 50, -more(gap)}, false},
                  false);
}

struct SegmentCase {
    const char* what;
    Vec3f start, end;
    int foretold; // 1 inside, 0 outside, -1 left to the computed crossing
};

// foretoldCrossing on a segment, and where it answers, the angle-sum test on the crossing as
// planeIntersection computes it.
void checkForetold(const Vec3f* corners, const SegmentCase& c) {
    const CasterRectangle rectangle = prepareRectangle(corners);
    ASSERT_TRUE(rectangle.axisNormal) << c.what;
    const Vec3f segment[2] = {c.start, c.end};
    const int foretold = foretoldCrossing(rectangle, segment);
    EXPECT_EQ(foretold, c.foretold) << c.what;
    if (foretold < 0) return;
    const Vec3f crossing = planeIntersection(rectangle.normal, segment, rectangle.planeConstant);
    EXPECT_EQ(pointInPolygon(crossing, corners, 4), foretold == 1)
        << c.what << ": the angle-sum test disagrees";
    EXPECT_EQ(crossingInside(rectangle, segment), foretold == 1) << c.what;
}

TEST(SectionRectanglesTest, ForetoldCrossingAtItsMargins) {
    // A segment straight through the plane from z = 10 to z = -10 travels T = 20; with its
    // largest coordinate M, the crossing is foretold within 4e-6 (T + M) of where it falls.
    const auto error = [](double largest) { return 4e-6 * (20 + largest); };
    const auto through = [](float x, float y) { return std::pair{Vec3f{x, y, 10}, Vec3f{x, y, -10}}; };
    const double left = 2 + error(100), top = 198 - error(198);
    const double gap = 0.01 * WALL_DIAGONAL + error(100);
    const auto [inLeftStart, inLeftEnd] = through(more(left), 100);
    const auto [outLeftStart, outLeftEnd] = through(less(left), 100);
    const auto [inTopStart, inTopEnd] = through(50, less(top));
    const auto [outTopStart, outTopEnd] = through(50, more(top));
    const auto [farStart, farEnd] = through(-more(gap), 100);
    const auto [nearStart, nearEnd] = through(-less(gap), 100);
    // Across 100 units of x the segment must fall by a millionth of its travel, 1e-4: from
    // z = 5.0000005e-5 to minus that.
    const double tilt = 5.0000005e-5;
    const SegmentCase cases[] = {
        {"inside the left margin by the error", inLeftStart, inLeftEnd, 1},
        {"short of the left margin by the error", outLeftStart, outLeftEnd, -1},
        {"inside the top margin by the error", inTopStart, inTopEnd, 1},
        {"short of the top margin by the error", outTopStart, outTopEnd, -1},
        {"beyond the gap by the error", farStart, farEnd, 0},
        {"short of the gap by the error", nearStart, nearEnd, -1},
        {"falling just steeply enough",
         {0, 100, static_cast<float>(tilt * 1.001)},
         {100, 100, static_cast<float>(-tilt * 1.001)},
         1},
        {"falling just too gently",
         {0, 100, static_cast<float>(tilt * 0.999)},
         {100, 100, static_cast<float>(-tilt * 0.999)},
         -1},
    };
    for (const SegmentCase& c : cases) checkForetold(WALL, c);

    // Coordinates from 1e17 up are left to the computed crossing. The rectangle is large enough
    // (1e9) that the plane's own error bound, 1e-14 (T + M), still lets it turn the crossing
    // 1e13 away, far beyond the error of 4e-6 (T + M).
    const Vec3f huge[4] = {{0, 0, 0}, {1e9f, 0, 0}, {1e9f, 1e9f, 0}, {0, 1e9f, 0}};
    checkForetold(huge, {"coordinates just under 1e17", {-1e13f, 5e8f, less(1e17)}, {-1e13f, 5e8f, -10}, 0});
    checkForetold(huge, {"coordinates just over 1e17", {-1e13f, 5e8f, more(1e17)}, {-1e13f, 5e8f, -10}, -1});
}

} // namespace
} // namespace pelx

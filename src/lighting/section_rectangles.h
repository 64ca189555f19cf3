// The casters' section rectangles and the shortcuts in front of the angle-sum test
// (pointInPolygon), each with the reckoning of why its answer is the one that test would give,
// so that the results are bit for bit those of the angle-sum test alone. The per-ray tests are
// defined here: the ray blocks run crossingInside for every ray that crosses a plane, and only
// inlined into their loop, with foretoldCrossing, do its per-rectangle parts leave the loop
// over the rays (called, the lighting takes a fifth longer). section_rectangles.cpp prepares
// the rectangles. Private to src/lighting and its tests.
#pragma once

#include "lighting/geometry.h"

#include <algorithm>
#include <cmath>

namespace pelx::lighting_internal {

// Coordinates beyond this are left to the full test: the lengths there may overflow a float.
constexpr double MODERATE_COORDINATE = 1e18;
// Nearer than this the difference vectors may be denormal; left to the full test too.
constexpr double MIN_SHORTCUT_DISTANCE_SQUARED = 1e-24;

// One section rectangle of a caster with everything that does not depend on the ray.
struct CasterRectangle {
    const Vec3f* corners;
    Vec3f normal;
    float planeConstant;
    Vec3f boxMin, boxMax;
    double farSquared; // squared distance from the box beyond which no point counts as inside
    bool moderate;     // every corner coordinate is small enough for the far-point shortcut
    // Axis-aligned rectangles: the axis they are flat on (else -1) and that coordinate.
    int flatAxis;
    double flatAt;
    double outsideSlack, outsideSquared;
    // Of moderate shape only: the box a crossing must lie in to count as clearly inside.
    bool insideShortcut;
    bool axisNormal;        // the normal is exactly a unit axis, so the crossing can be foretold
    int planeAxes[2];       // of those, the two axes in the plane
    double low[3], high[3]; // and the corners' box
    double insideSlack;
    double innerLow[3], innerHigh[3];
};

// The rectangle with corners[0..3] (kept, not copied), its plane and its shortcuts.
CasterRectangle prepareRectangle(const Vec3f* corners);

// x, y or z for axis 0, 1 or 2.
inline float component(const Vec3f& v, int axis) {
    return axis == 0 ? v.x : axis == 1 ? v.y : v.z;
}

inline bool moderatePoint(Vec3f q) {
    return std::fabs(q.x) < MODERATE_COORDINATE && std::fabs(q.y) < MODERATE_COORDINATE &&
           std::fabs(q.z) < MODERATE_COORDINATE;
}

inline double gap(float value, float low, float high) {
    if (value < low) return static_cast<double>(low) - value;
    if (value > high) return static_cast<double>(value) - high;
    return 0.0;
}

// True only where the angle-sum test is certain to answer "outside".
//
// Any four corners: let c be the point of the corners' box nearest to the crossing q,
// D = |q - c| and R the box's diagonal. Every corner lies within atan(R / D) of the direction
// from q to c, so two corner directions are at most 2 atan(R / D) apart; with D >= 2R the four
// angles add up to at most 3.71 radians, far below the 6.2826 needed.
//
// An axis-aligned rectangle, q within h of its plane and D away from it in the plane: from a
// point outside a convex polygon the angles add up to twice the angle it fills, at most
// 2 pi - 4 atan(D / R): 2 pi - 0.04 for D >= R / 100. Float rounding moves each computed
// angle by at most 1e-3 (arc cosine near 0 or pi), and h <= 1e-5 R by at most 2h / D = 2e-3.
// The sum stays below 2 pi - 0.02, under the 2 pi - 6.3e-4 needed.
inline bool clearlyOutside(const CasterRectangle& rectangle, Vec3f q) {
    if (!rectangle.moderate || !moderatePoint(q)) return false;
    const double gx = gap(q.x, rectangle.boxMin.x, rectangle.boxMax.x);
    const double gy = gap(q.y, rectangle.boxMin.y, rectangle.boxMax.y);
    const double gz = gap(q.z, rectangle.boxMin.z, rectangle.boxMax.z);
    if (rectangle.flatAxis >= 0) {
        const int flat = rectangle.flatAxis;
        if (std::fabs(component(q, flat) - rectangle.flatAt) <= rectangle.outsideSlack) {
            const double inPlaneSquared =
                (flat == 0 ? 0 : gx * gx) + (flat == 1 ? 0 : gy * gy) + (flat == 2 ? 0 : gz * gz);
            if (inPlaneSquared >= rectangle.outsideSquared && inPlaneSquared > MIN_SHORTCUT_DISTANCE_SQUARED)
                return true;
        }
    }
    const double distanceSquared = gx * gx + gy * gy + gz * gz;
    return distanceSquared > rectangle.farSquared && distanceSquared > MIN_SHORTCUT_DISTANCE_SQUARED;
}

// True only where the angle-sum test is certain to answer "inside". For an axis-aligned
// rectangle with sides a <= b <= 10a and a crossing at least a/50 from every edge, the edge
// nearest to it fills at most pi - 2 atan(0.04 a / b) <= pi - 0.008 and every other edge
// between 0.05 and pi - 0.05. The rounding of the differences, lengths and quotient moves a
// cosine by under 6e-7, so an angle by under 6e-7 / sin: 7.5e-5 for the nearest edge, 1.2e-5
// for each other one. A crossing off the plane by h <= 1e-5 a shrinks each angle by at most
// 8e5 (h/a)^2, under 1e-4 in all. The sum stays within 2.2e-4 of 2 pi, above the 0.9999 x 2 pi
// (2 pi - 6.3e-4) needed.
inline bool clearlyInside(const CasterRectangle& rectangle, Vec3f q) {
    if (rectangle.flatAxis < 0 || !rectangle.insideShortcut) return false;
    for (int axis = 0; axis < 3; ++axis) {
        const double value = component(q, axis);
        if (axis == rectangle.flatAxis) {
            if (!(std::fabs(value - rectangle.flatAt) <= rectangle.insideSlack)) return false;
        } else if (!(value >= rectangle.innerLow[axis] && value <= rectangle.innerHigh[axis])) {
            return false;
        }
    }
    return true;
}

// Where planeIntersection will put the crossing of a rectangle whose normal is exactly a unit
// axis, foretold without computing it: 1 when clearlyInside is certain to take it, 0 when
// clearlyOutside is certain to turn it away, -1 when only computing it can tell.
//
// With n = +-e_k the denominator is +-u_k exactly and the plane is x_k = flatAt. The computed
// crossing's other coordinates are s_i + (u_i / u_k) (flatAt - s_k) with the float lengths
// cancelling: four float roundings of the direction and three double ones, each 6e-8 at most,
// put it within 1e-6 (T + M) of the true crossing a (T the segment's travel, M its largest
// coordinate), provided u_k is a normal float (|e_k - s_k| >= 1e-6 T). Its flat coordinate
// comes out within 2 (5e-16 T + 1.2e-16 M) of flatAt. Margins of four and five times cover both.
[[gnu::always_inline]] inline int foretoldCrossing(const CasterRectangle& rectangle, const Vec3f* segment) {
    const double s[3] = {segment[0].x, segment[0].y, segment[0].z};
    const double d[3] = {segment[1].x - s[0], segment[1].y - s[1], segment[1].z - s[2]};
    const double travel = std::fabs(d[0]) + std::fabs(d[1]) + std::fabs(d[2]);
    const double magnitude = std::max(
        {std::fabs(s[0]), std::fabs(s[1]), std::fabs(s[2]), std::fabs(static_cast<double>(segment[1].x)),
         std::fabs(static_cast<double>(segment[1].y)), std::fabs(static_cast<double>(segment[1].z))});
    const int flat = rectangle.flatAxis, u = rectangle.planeAxes[0], v = rectangle.planeAxes[1];
    const double along = d[flat];
    if (!(magnitude < 1e17) || along == 0 || !(std::fabs(along) >= 1e-6 * travel)) return -1;
    const double error = 4e-6 * (travel + magnitude) + 1e-30;
    const double flatError = 1e-14 * (travel + magnitude);
    const double fraction = (rectangle.flatAt - s[flat]) / along;
    const double au = s[u] + d[u] * fraction, av = s[v] + d[v] * fraction;
    if (rectangle.insideShortcut && flatError <= rectangle.insideSlack &&
        au - error >= rectangle.innerLow[u] && au + error <= rectangle.innerHigh[u] &&
        av - error >= rectangle.innerLow[v] && av + error <= rectangle.innerHigh[v])
        return 1;
    const double gu = std::max(0.0, std::max(rectangle.low[u] - au, au - rectangle.high[u]) - error);
    const double gv = std::max(0.0, std::max(rectangle.low[v] - av, av - rectangle.high[v]) - error);
    const double gapSquared = gu * gu + gv * gv;
    if (flatError <= rectangle.outsideSlack && gapSquared > rectangle.outsideSquared * (1 + 1e-9) &&
        gapSquared > 2 * MIN_SHORTCUT_DISTANCE_SQUARED)
        return 0;
    return -1;
}

// A light on a rectangle's plane (or a degenerate rectangle, NaN side) is never crossed.
inline bool crossable(float lightSide) {
    return lightSide < 0 || lightSide > 0;
}

// A segment from a point to the light (both in the caster's coordinates) known to cross the
// rectangle's plane: whether the crossing lies inside. A foretold crossing answers first, then
// the shortcuts on the computed crossing, and the angle-sum test only where neither is certain.
[[gnu::always_inline]] inline bool crossingInside(const CasterRectangle& rectangle, const Vec3f* segment) {
    if (rectangle.axisNormal) {
        const int foretold = foretoldCrossing(rectangle, segment);
        if (foretold >= 0) return foretold == 1;
    }
    const Vec3f crossing =
        planeIntersection(rectangle.normal, segment, static_cast<double>(rectangle.planeConstant));
    if (clearlyInside(rectangle, crossing)) return true;
    if (clearlyOutside(rectangle, crossing)) return false;
    return pointInPolygon(crossing, rectangle.corners, 4);
}

// One ray against one rectangle prepared from scratch (see lighting/section_rectangles.cpp).
bool segmentHitsRectangle(const Vec3f* corners, Vec3f normal, float planeConstant, float endSide,
                          const Vec3f* segment);

} // namespace pelx::lighting_internal

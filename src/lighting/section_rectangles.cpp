// The casters' section rectangles prepared for the shortcuts of section_rectangles.h, once per
// call, and a single ray tested against a rectangle prepared on the spot.
#include "lighting/lighting_internal.h"

#include <algorithm>
#include <cmath>

namespace pelx::lighting_internal {

namespace {

// Sides shorter than this leave a rectangle to the full test too.
constexpr double MIN_SHORTCUT_SIDE = 1e-9;
// Limits of the shortcuts for axis-aligned rectangles; clearlyInside and clearlyOutside
// (section_rectangles.h) give the reasons.
constexpr double MAX_INSIDE_ASPECT = 10;
constexpr double INSIDE_MARGIN = 0.02;       // of the short side
constexpr double INSIDE_PLANE_SLACK = 1e-5;  // of the short side
constexpr double OUTSIDE_GAP = 0.01;         // of the diagonal
constexpr double OUTSIDE_PLANE_SLACK = 1e-5; // of the diagonal

// Corners walking round an axis-aligned rectangle: flat on one axis, each corner on the box's
// corners, consecutive ones differing on exactly one axis (so all four grid points are met).
int flatAxisOf(const CasterRectangle& r) {
    int flat = -1;
    for (int axis = 0; axis < 3; ++axis) {
        const float low = component(r.boxMin, axis), high = component(r.boxMax, axis);
        if (low == high) {
            if (flat >= 0) return -1;
            flat = axis;
        } else if (!(high - static_cast<double>(low) >= MIN_SHORTCUT_SIDE)) {
            return -1;
        }
    }
    if (flat < 0) return -1;
    for (int i = 0; i < 4; ++i) {
        const Vec3f& a = r.corners[i];
        const Vec3f& b = r.corners[(i + 1) % 4];
        int differing = 0;
        for (int axis = 0; axis < 3; ++axis) {
            const float value = component(a, axis);
            if (value != component(r.boxMin, axis) && value != component(r.boxMax, axis)) return -1;
            if (value != component(b, axis)) ++differing;
        }
        if (differing != 1) return -1;
    }
    return flat;
}

// What the shortcuts of clearlyInside and clearlyOutside need to know about a rectangle.
void prepareShortcuts(CasterRectangle& rectangle) {
    const Vec3f* corners = rectangle.corners;
    rectangle.boxMin = rectangle.boxMax = corners[0];
    bool moderate = true;
    for (int i = 0; i < 4; ++i) {
        const Vec3f& c = corners[i];
        rectangle.boxMin = {std::min(rectangle.boxMin.x, c.x), std::min(rectangle.boxMin.y, c.y),
                            std::min(rectangle.boxMin.z, c.z)};
        rectangle.boxMax = {std::max(rectangle.boxMax.x, c.x), std::max(rectangle.boxMax.y, c.y),
                            std::max(rectangle.boxMax.z, c.z)};
        for (float value : {c.x, c.y, c.z})
            if (!(std::fabs(value) < MODERATE_COORDINATE)) moderate = false;
    }
    double side[3];
    for (int axis = 0; axis < 3; ++axis)
        side[axis] =
            static_cast<double>(component(rectangle.boxMax, axis)) - component(rectangle.boxMin, axis);
    const double diagonalSquared = side[0] * side[0] + side[1] * side[1] + side[2] * side[2];
    rectangle.farSquared = 4.0 * diagonalSquared;
    rectangle.moderate = moderate;

    rectangle.flatAxis = moderate ? flatAxisOf(rectangle) : -1;
    if (rectangle.flatAxis < 0) return;
    rectangle.flatAt = component(rectangle.boxMin, rectangle.flatAxis);
    const double diagonal = std::sqrt(diagonalSquared);
    rectangle.outsideSlack = OUTSIDE_PLANE_SLACK * diagonal;
    rectangle.outsideSquared = OUTSIDE_GAP * OUTSIDE_GAP * diagonalSquared;
    double shortSide = MODERATE_COORDINATE, longSide = 0;
    for (int axis = 0; axis < 3; ++axis)
        if (axis != rectangle.flatAxis) {
            shortSide = std::min(shortSide, side[axis]);
            longSide = std::max(longSide, side[axis]);
        }
    rectangle.insideShortcut = longSide <= MAX_INSIDE_ASPECT * shortSide;
    const double margin = INSIDE_MARGIN * shortSide;
    for (int axis = 0; axis < 3; ++axis) {
        rectangle.innerLow[axis] = component(rectangle.boxMin, axis) + margin;
        rectangle.innerHigh[axis] = component(rectangle.boxMax, axis) - margin;
    }
    rectangle.insideSlack = INSIDE_PLANE_SLACK * shortSide;
}

} // namespace

CasterRectangle prepareRectangle(const Vec3f* corners) {
    CasterRectangle rectangle{};
    rectangle.corners = corners;
    rectangle.normal = triangleNormal(corners);
    rectangle.planeConstant = planeDistance(rectangle.normal, corners[0]);
    prepareShortcuts(rectangle);
    if (rectangle.flatAxis >= 0) {
        const Vec3f n = rectangle.normal;
        const float along = component(n, rectangle.flatAxis);
        rectangle.axisNormal =
            (along == 1.0f || along == -1.0f) && std::fabs(n.x) + std::fabs(n.y) + std::fabs(n.z) == 1.0f;
        rectangle.planeAxes[0] = (rectangle.flatAxis + 1) % 3;
        rectangle.planeAxes[1] = (rectangle.flatAxis + 2) % 3;
        for (int axis = 0; axis < 3; ++axis) {
            rectangle.low[axis] = component(rectangle.boxMin, axis);
            rectangle.high[axis] = component(rectangle.boxMax, axis);
        }
    }
    return rectangle;
}

// One ray, from a point to the light (both in the caster's coordinates), against one rectangle
// whose plane the light is endSide from; its shortcuts are prepared only once the plane is
// known to be crossed.
bool segmentHitsRectangle(const Vec3f* corners, Vec3f normal, float planeConstant, float endSide,
                          const Vec3f* segment) {
    if (!crossable(endSide)) return false;
    const float startSide = static_cast<float>(dot(normal, segment[0]) + planeConstant);
    if (startSide == 0 || !(static_cast<double>(startSide) * endSide < 0)) return false;
    const Vec3f crossing = planeIntersection(normal, segment, static_cast<double>(planeConstant));
    CasterRectangle local;
    local.corners = corners;
    prepareShortcuts(local);
    if (clearlyInside(local, crossing)) return true;
    if (clearlyOutside(local, crossing)) return false;
    return pointInPolygon(crossing, corners, 4);
}

} // namespace pelx::lighting_internal

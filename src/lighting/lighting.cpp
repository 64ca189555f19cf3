// Per-vertex lighting: static "&" lights baked into baseColors at load, the others added each
// frame into vertexColors, dimmed where a shadow ray meets a caster's section rectangle.
// This is the show's hottest loop, so everything that does not depend on the vertex is
// prepared once per call, and the vertices are shared out among the cores (oneTBB); the
// results are bit for bit those of testing each ray from scratch, on one thread.
#include "lighting/lighting.h"

#include "lighting/geometry.h"
#include "platform/phase_timer.h"

#include <tbb/blocked_range.h>
#include <tbb/parallel_for.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cassert>
#include <cmath>
#include <limits>
#include <thread>
#include <vector>

namespace pelx {

namespace {

// "$" and "!" count as the first or the second character of a name.
bool nameMarked(const SceneObject& object, char mark) {
    return object.name[0] == mark || (object.name[0] != 0 && object.name[1] == mark);
}

// The light table is trusted as loaded, but never read past its capacity.
int usableLightCount(const Scene& scene) {
    return std::clamp(scene.lightCount, 0, MAX_LIGHTS);
}

// Vertices whose colour arrays exist; a mesh whose arrays are shorter than vertexCount (a
// failed allocation, a hand-built scene) is lit as far as its arrays go.
size_t bakedVertexCount(const SceneObject& mesh) {
    return std::min({static_cast<size_t>(mesh.vertexCount), mesh.vertices.size(), mesh.baseColors.size()});
}
size_t litVertexCount(const SceneObject& mesh) {
    return std::min(bakedVertexCount(mesh), mesh.vertexColors.size());
}

// The walkers step with nextObject, which stays on the last object; keep that behaviour.
SceneObject* following(SceneObject* object) {
    return object->next ? object->next : object;
}

// Where a vertex is this frame: the mesh's translation only, its rotation is not applied.
Vec3d worldPoint(const SceneObject& mesh, const Vec3d& vertex) {
    return {vertex.x - mesh.pivot.x + mesh.position.x, vertex.y - mesh.pivot.y + mesh.position.y,
            vertex.z - mesh.pivot.z + mesh.position.z};
}

Vec3f toFloat(const Vec3d& v) {
    return {static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.z)};
}

// A world point moved into a caster's stored coordinates (its translation undone).
Vec3f intoCaster(Vec3f point, const SceneObject& caster) {
    return {static_cast<float>(static_cast<double>(point.x) + caster.pivot.x - caster.position.x),
            static_cast<float>(static_cast<double>(point.y) + caster.pivot.y - caster.position.y),
            static_cast<float>(static_cast<double>(point.z) + caster.pivot.z - caster.position.z)};
}

float lightDistance(const Vec3d& point, const Vec3d& light, bool manhattan) {
    if (manhattan) {
        const float dx = absoluteValue(static_cast<float>(point.x - light.x));
        const float dy = absoluteValue(static_cast<float>(point.y - light.y));
        const float dz = absoluteValue(static_cast<float>(point.z - light.z));
        return static_cast<float>(static_cast<double>(dx) + dy + dz);
    }
    const double dx = point.x - light.x, dy = point.y - light.y, dz = point.z - light.z;
    return static_cast<float>(std::sqrt(dx * dx + dy * dy + dz * dz));
}

// Linear fall-off to nothing at the range. A light without a spotlight target has range 0:
// it lights nothing (the fall-off would divide zero by zero at the light itself).
bool attenuation(float distance, float range, double* result) {
    if (!(range > 0) || !(distance <= range)) return false;
    *result = 1.0 - static_cast<double>(distance) / range;
    return true;
}

float addClamped(float colour, double amount) {
    const float sum = static_cast<float>(colour + amount);
    return sum > 1.0f ? 1.0f : sum;
}

void addLight(Vec3f& colour, const SceneLight& light, double att, int shadow, const Scene& scene) {
    double r = att * light.color.x, g = att * light.color.y, b = att * light.color.z;
    if (shadow != SHADOW_LIT) {
        const double factor =
            shadow == SHADOW_TRANSLUCENT ? scene.translucentShadowFactor : scene.shadowFactor;
        r *= factor;
        g *= factor;
        b *= factor;
    }
    colour.x = addClamped(colour.x, r);
    colour.y = addClamped(colour.y, g);
    colour.z = addClamped(colour.z, b);
}

bool lightApplies(const Scene& scene, const SceneObject& mesh, const SceneLight& light) {
    if (light.tag == '&' || !light.on) return false;
    // A still light on a still mesh gives the same colours every frame; in shadow mode a
    // moving mesh anywhere may throw a new shadow, so then every light is recomputed.
    return (scene.lightingMode == LIGHTING_SHADOWS && scene.hasMovingMesh) || light.moving ||
           mesh.positionTrack.keyCount > 1;
}

bool shadowRectanglesTested() {
    return shadowTestMode == 1 || shadowTestMode == 2;
}

inline float component(const Vec3f& v, int axis) {
    return axis == 0 ? v.x : axis == 1 ? v.y : v.z;
}

// Coordinates beyond this are left to the full test: the lengths there may overflow a float.
constexpr double MODERATE_COORDINATE = 1e18;
// Nearer than this the difference vectors may be denormal; left to the full test too.
constexpr double MIN_SHORTCUT_DISTANCE_SQUARED = 1e-24;
constexpr double MIN_SHORTCUT_SIDE = 1e-9;
// Limits of the shortcuts for axis-aligned rectangles; clearlyInside and clearlyOutside give
// the reasons.
constexpr double MAX_INSIDE_ASPECT = 10;
constexpr double INSIDE_MARGIN = 0.02;       // of the short side
constexpr double INSIDE_PLANE_SLACK = 1e-5;  // of the short side
constexpr double OUTSIDE_GAP = 0.01;         // of the diagonal
constexpr double OUTSIDE_PLANE_SLACK = 1e-5; // of the diagonal

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

bool moderatePoint(Vec3f q) {
    return std::fabs(q.x) < MODERATE_COORDINATE && std::fabs(q.y) < MODERATE_COORDINATE &&
           std::fabs(q.z) < MODERATE_COORDINATE;
}

double gap(float value, float low, float high) {
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
bool clearlyOutside(const CasterRectangle& rectangle, Vec3f q) {
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
bool clearlyInside(const CasterRectangle& rectangle, Vec3f q) {
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
int foretoldCrossing(const CasterRectangle& rectangle, const Vec3f* segment) {
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

struct Caster {
    const SceneObject* object;
    bool translucent;
    uint32_t firstRectangle;
    uint32_t rectangleCount;
};

struct FloatBox {
    Vec3f low, high;
};

enum : uint8_t { AIM_WANTED, AIM_BEING_MADE, AIM_READY };

// What the rays to one light share during one call. Written before the vertices are walked,
// only read while they are.
struct LightAim {
    const SceneLight* light = nullptr;
    // A frame aims only at lights that reach some run's vertices: the first run that needs the
    // aim computes it while any other waits for it.
    std::atomic<uint8_t> state{AIM_READY};
    std::vector<uint32_t> aimed; // casters its rays may cross, in list order
    std::vector<Vec3f> ends;     // per caster: the light in the caster's coordinates
    std::vector<float> sides;    // per rectangle: the light's distance from its plane, 0 where
                                 // no ray this call can hit it
};

// One lit mesh and the lights applied to it (indices into lightOrder, in light table order).
struct MeshJob {
    SceneObject* mesh;
    size_t count;
    uint32_t firstLight, lightCount;
};

// A run of one mesh's vertices: the unit of work a thread takes.
struct VertexRun {
    uint32_t job;
    size_t begin, end;
};

// Everything one call prepares before its vertex runs start. Owned by the calling thread,
// read by every thread that helps with the runs.
struct CallScratch {
    std::vector<Caster> casters;
    std::vector<CasterRectangle> rectangles;
    std::array<LightAim, MAX_LIGHTS> aims; // by light table index
    std::vector<MeshJob> jobs;
    std::vector<uint8_t> jobLights; // light table indices, per job in table order
    std::vector<VertexRun> runs;
    // The work of a call in tenths of a vertex-light pair with one rectangle per caster, to
    // decide on threads: a ray tests three rectangles per caster at load and in some scenes,
    // and a pair without a shadow ray costs about a tenth.
    long work = 0;
};

// The rays of up to RAY_BLOCK vertices to one light. Whole groups of RAY_LANES lanes are always
// computed, so the arrays start zeroed and unused lanes hold earlier, finite starts.
constexpr size_t RAY_BLOCK = 64;
constexpr size_t RAY_LANES = 8;
struct RayBlock {
    float x[RAY_BLOCK], y[RAY_BLOCK], z[RAY_BLOCK];    // open rays' starts, world coordinates
    float cx[RAY_BLOCK], cy[RAY_BLOCK], cz[RAY_BLOCK]; // the same in the current caster's
    float side[RAY_BLOCK];                             // their sides of the current plane
    bool hit[RAY_BLOCK];
    uint8_t slot[RAY_BLOCK]; // an open ray's place in the block
    uint32_t vertex[RAY_BLOCK];
    double att[RAY_BLOCK];
    int result[RAY_BLOCK];
};

// Per thread: what one run narrows and computes for itself.
struct RunScratch {
    RayBlock rays{};
    std::vector<uint32_t> meshAimed; // of a light's casters, those this run's rays may hit
    std::vector<float> meshSides;    // per rectangle: the light's side, 0 where they cannot hit
    std::vector<Vec3d> worldPoints;  // per vertex of the run
    std::vector<Vec3f> shadowPoints;
};

// Both reused between calls, so a frame allocates nothing once the arrays have grown.
CallScratch& callScratch() {
    thread_local CallScratch instance;
    return instance;
}
RunScratch& runScratch() {
    thread_local RunScratch instance;
    return instance;
}

// The rectangles a caster is tested with under the current shadowTestMode (1 or 2).
int sectionsOf(const SceneObject& object, const Vec3f** out) {
    if (shadowTestMode == 1) {
        out[0] = object.shadowSection;
        return 1;
    }
    out[0] = object.sectionZ;
    out[1] = object.sectionX;
    out[2] = object.sectionY;
    return 3;
}

// A light on a rectangle's plane (or a degenerate rectangle, NaN side) is never crossed.
inline bool crossable(float lightSide) {
    return lightSide < 0 || lightSide > 0;
}

// The segment from a point to the light, both in the caster's coordinates, against one
// rectangle whose plane the light is endSide from. prepared holds the rectangle's shortcuts;
// a single ray passes null and prepares them only once the plane is known to be crossed.
// A segment known to cross a prepared rectangle's plane: whether the crossing lies inside.
bool crossingInside(const CasterRectangle& rectangle, const Vec3f* segment) {
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

// The casters in list order, walked the way every list walker does. castsShadow(object) picks
// them.
template <typename Pick> void prepareCasters(CallScratch& s, Scene& scene, Pick castsShadow) {
    s.casters.clear();
    s.rectangles.clear();
    SceneObject* object = &scene;
    for (int n = 0; n < scene.objectCount; ++n, object = following(object)) {
        if (!castsShadow(*object)) continue;
        Caster caster{object, object->name[0] == '%', static_cast<uint32_t>(s.rectangles.size()), 0};
        const Vec3f* sections[3];
        caster.rectangleCount = static_cast<uint32_t>(sectionsOf(*object, sections));
        for (uint32_t r = 0; r < caster.rectangleCount; ++r)
            s.rectangles.push_back(prepareRectangle(sections[r]));
        s.casters.push_back(caster);
    }
}

bool finiteBox(const FloatBox& box) {
    for (float value : {box.low.x, box.low.y, box.low.z, box.high.x, box.high.y, box.high.z})
        if (!std::isfinite(value)) return false;
    return true;
}

// Whether the rays from every point of the box (the starts, in the caster's coordinates) to
// the light are certain to miss the rectangle.
//
// Same side: n . s + d is linear, so over the box it is smallest and largest at corners. If
// every corner lies on the light's side by more than the double rounding of that sum could
// hide, no start is on the other side and no ray crosses the plane.
//
// Far away: every true crossing lies in the box spanned by the starts and the light. The
// computed one strays from it by the rounding of the ray direction, amplified where the ray
// runs nearly along the plane: at most 1e-6 (T^2 / |light side| + T + M) for rays of length
// up to T and coordinates up to M, provided the light stands off the plane by 1e-5 T. Beyond
// 2R (R the rectangle's diagonal) plus that much, clearlyOutside would turn every crossing away.
bool raysCertainToMiss(const CasterRectangle& rectangle, float lightSide, Vec3f end, const FloatBox& starts) {
    const double n[3] = {rectangle.normal.x, rectangle.normal.y, rectangle.normal.z};
    const double low[3] = {starts.low.x, starts.low.y, starts.low.z};
    const double high[3] = {starts.high.x, starts.high.y, starts.high.z};
    double least = rectangle.planeConstant, most = rectangle.planeConstant;
    double scale = std::fabs(static_cast<double>(rectangle.planeConstant));
    for (int axis = 0; axis < 3; ++axis) {
        const double a = n[axis] * low[axis], b = n[axis] * high[axis];
        least += std::min(a, b);
        most += std::max(a, b);
        scale += std::max(std::fabs(a), std::fabs(b));
    }
    const double margin = 1e-9 * scale + 1e-30;
    if (lightSide > 0 && least > margin) return true;
    if (lightSide < 0 && most < -margin) return true;

    if (!rectangle.moderate) return false;
    const double e[3] = {end.x, end.y, end.z};
    const double boxLow[3] = {rectangle.boxMin.x, rectangle.boxMin.y, rectangle.boxMin.z};
    const double boxHigh[3] = {rectangle.boxMax.x, rectangle.boxMax.y, rectangle.boxMax.z};
    double reachSquared = 0, magnitude = 0, gapSquared = 0;
    for (int axis = 0; axis < 3; ++axis) {
        const double reach = std::max(std::fabs(e[axis] - low[axis]), std::fabs(e[axis] - high[axis]));
        reachSquared += reach * reach;
        const double hullLow = std::min(low[axis], e[axis]), hullHigh = std::max(high[axis], e[axis]);
        magnitude = std::max({magnitude, std::fabs(hullLow), std::fabs(hullHigh)});
        const double g = std::max({0.0, boxLow[axis] - hullHigh, hullLow - boxHigh[axis]});
        gapSquared += g * g;
    }
    const double reach = std::sqrt(reachSquared);
    const double side = std::fabs(static_cast<double>(lightSide));
    if (!(side >= 1e-5 * reach)) return false;
    const double stray = 1e-6 * (reachSquared / side + reach + magnitude);
    if (!(magnitude + stray < 1e17)) return false;
    const double clear = std::sqrt(gapSquared) - stray;
    return clear > 0 && clear * clear > rectangle.farSquared && clear * clear > MIN_SHORTCUT_DISTANCE_SQUARED;
}

// The ray's far end is the same for every vertex: its side of each plane is computed once.
// Casters whose planes it can never cross are left out, and so are those that no ray from
// reach (a box holding every start this call tests against the light, or null) can hit: a
// light's rays start inside its range, so only the casters near it stay in play however
// large the scene.
void aimAtLight(const CallScratch& s, LightAim& aim, Vec3f light, const FloatBox* reach) {
    aim.aimed.clear();
    aim.ends.resize(s.casters.size());
    aim.sides.resize(s.rectangles.size());
    const bool cull = reach && finiteBox(*reach);
    for (size_t c = 0; c < s.casters.size(); ++c) {
        const Caster& caster = s.casters[c];
        const Vec3f end = intoCaster(light, *caster.object);
        aim.ends[c] = end;
        FloatBox local{};
        if (cull) local = {intoCaster(reach->low, *caster.object), intoCaster(reach->high, *caster.object)};
        bool any = false;
        for (uint32_t r = caster.firstRectangle; r < caster.firstRectangle + caster.rectangleCount; ++r) {
            const CasterRectangle& rectangle = s.rectangles[r];
            float side = static_cast<float>(dot(rectangle.normal, end) + rectangle.planeConstant);
            if (cull && crossable(side) && raysCertainToMiss(rectangle, side, end, local)) side = 0;
            aim.sides[r] = side;
            any = any || crossable(side);
        }
        if (any) aim.aimed.push_back(static_cast<uint32_t>(c));
    }
}

// Narrows the light's casters to those the rays from the starts (world points, as floats) of
// one run may hit.
void aimFromRun(RunScratch& t, const CallScratch& s, const LightAim& aim, const FloatBox& starts) {
    t.meshAimed.clear();
    if (t.meshSides.size() < s.rectangles.size()) t.meshSides.resize(s.rectangles.size());
    const bool cull = finiteBox(starts);
    for (uint32_t c : aim.aimed) {
        const Caster& caster = s.casters[c];
        const FloatBox local{intoCaster(starts.low, *caster.object), intoCaster(starts.high, *caster.object)};
        bool any = false;
        for (uint32_t r = caster.firstRectangle; r < caster.firstRectangle + caster.rectangleCount; ++r) {
            const float side = aim.sides[r];
            const bool missed =
                cull && crossable(side) && raysCertainToMiss(s.rectangles[r], side, aim.ends[c], local);
            t.meshSides[r] = missed ? 0.0f : side;
            any = any || crossable(t.meshSides[r]);
        }
        if (any) t.meshAimed.push_back(c);
    }
}

// The rays to one light from a block of vertices, traced together: the first caster in list
// order whose rectangle a ray passes through decides its result. What every open ray does
// against a caster (its start moved into the caster's coordinates, its side of each plane) is
// done over arrays, groups of RAY_LANES at a time, so the compiler works on several rays at
// once; each ray's arithmetic is the same, in the same order, as if it were traced alone. Only
// the rays that cross a plane go on, one by one, to where they cross it; a ray that hits leaves
// the block.
void traceRays(RayBlock& b, size_t count, const RunScratch& t, const CallScratch& s, const LightAim& aim) {
    size_t open = count;
    for (size_t i = 0; i < count; ++i) {
        b.result[i] = SHADOW_LIT;
        b.slot[i] = static_cast<uint8_t>(i);
    }
    for (uint32_t c : t.meshAimed) {
        if (open == 0) break;
        const Caster& caster = s.casters[c];
        const Vec3d offset = caster.object->pivot, back = caster.object->position;
        const size_t lanes = (open + RAY_LANES - 1) / RAY_LANES * RAY_LANES;
        for (size_t group = 0; group < lanes; group += RAY_LANES)
            for (size_t lane = 0; lane < RAY_LANES; ++lane) {
                const size_t i = group + lane;
                b.cx[i] = static_cast<float>(static_cast<double>(b.x[i]) + offset.x - back.x);
                b.cy[i] = static_cast<float>(static_cast<double>(b.y[i]) + offset.y - back.y);
                b.cz[i] = static_cast<float>(static_cast<double>(b.z[i]) + offset.z - back.z);
            }
        std::fill_n(b.hit, open, false);
        bool anyHit = false;
        for (uint32_t r = caster.firstRectangle; r < caster.firstRectangle + caster.rectangleCount; ++r) {
            const float endSide = t.meshSides[r];
            if (!crossable(endSide)) continue;
            const CasterRectangle& rectangle = s.rectangles[r];
            const double nx = rectangle.normal.x, ny = rectangle.normal.y, nz = rectangle.normal.z;
            const double planeConstant = rectangle.planeConstant;
            for (size_t group = 0; group < lanes; group += RAY_LANES)
                for (size_t lane = 0; lane < RAY_LANES; ++lane) {
                    const size_t i = group + lane;
                    b.side[i] =
                        static_cast<float>(nx * b.cx[i] + ny * b.cy[i] + nz * b.cz[i] + planeConstant);
                }
            for (size_t i = 0; i < open; ++i) {
                if (b.hit[i] || b.side[i] == 0 || !(static_cast<double>(b.side[i]) * endSide < 0)) continue;
                const Vec3f segment[2] = {{b.cx[i], b.cy[i], b.cz[i]}, aim.ends[c]};
                if (crossingInside(rectangle, segment)) b.hit[i] = anyHit = true;
            }
        }
        if (!anyHit) continue;
        const int result = caster.translucent ? SHADOW_TRANSLUCENT : SHADOW_OPAQUE;
        size_t kept = 0;
        for (size_t i = 0; i < open; ++i) {
            if (b.hit[i]) {
                b.result[b.slot[i]] = result;
                continue;
            }
            b.x[kept] = b.x[i];
            b.y[kept] = b.y[i];
            b.z[kept] = b.z[i];
            b.slot[kept] = b.slot[i];
            ++kept;
        }
        open = kept;
    }
}

// The vertex walk of one light over one run, a block of vertices at a time. points are where
// distances are measured from; the shadow rays start at shadowPoints, or at points rounded to
// floats, all inside starts.
void lightVertices(RunScratch& t, const CallScratch& s, const Scene& scene, const LightAim& aim,
                   const Vec3d* points, const Vec3f* shadowPoints, size_t count, Vec3f* colours,
                   bool manhattan, bool boxTest, bool shadows, const FloatBox& starts) {
    const SceneLight& light = *aim.light;
    const Vec3d centre = light.lightPosition;
    const double range = light.range;
    if (shadows) aimFromRun(t, s, aim, starts);
    RayBlock& b = t.rays;
    for (size_t first = 0; first < count; first += RAY_BLOCK) {
        const size_t last = std::min(first + RAY_BLOCK, count);
        size_t lit = 0;
        for (size_t v = first; v < last; ++v) {
            const Vec3d& w = points[v];
            if (boxTest && !(centre.x - range <= w.x && w.x <= centre.x + range && centre.y - range <= w.y &&
                             w.y <= centre.y + range && centre.z - range <= w.z && w.z <= centre.z + range))
                continue;
            double att;
            if (!attenuation(lightDistance(w, centre, manhattan), light.range, &att)) continue;
            b.vertex[lit] = static_cast<uint32_t>(v);
            b.att[lit] = att;
            if (shadows) {
                const Vec3f p = shadowPoints ? shadowPoints[v] : toFloat(w);
                b.x[lit] = p.x;
                b.y[lit] = p.y;
                b.z[lit] = p.z;
            }
            ++lit;
        }
        if (shadows) traceRays(b, lit, t, s, aim);
        for (size_t i = 0; i < lit; ++i)
            addLight(colours[b.vertex[i]], light, b.att[i], shadows ? b.result[i] : SHADOW_LIT, scene);
    }
}

// Whether the light's cube meets the mesh's stored bounds moved to where the mesh stands. Only
// an estimate of the work: whether it is shared among threads, never what is computed.
bool reachesBounds(const SceneLight& light, const SceneObject& mesh, const Vec3d& shift) {
    const Vec3d c = light.lightPosition;
    const double r = light.range;
    return c.x - r <= mesh.boundsMax.x + shift.x && mesh.boundsMin.x + shift.x <= c.x + r &&
           c.y - r <= mesh.boundsMax.y + shift.y && mesh.boundsMin.y + shift.y <= c.y + r &&
           c.z - r <= mesh.boundsMax.z + shift.z && mesh.boundsMin.z + shift.z <= c.z + r;
}

// Cuts every job into runs of at most taskVertices vertices.
void splitIntoRuns(CallScratch& s) {
    const size_t most = std::max<size_t>(lightingSplit.taskVertices, 1);
    s.runs.clear();
    for (uint32_t j = 0; j < s.jobs.size(); ++j)
        for (size_t begin = 0; begin < s.jobs[j].count; begin += most)
            s.runs.push_back({j, begin, std::min(begin + most, s.jobs[j].count)});
}

// Every vertex's colour depends on nothing but its own mesh, the lights and the casters, and
// its sum is formed light after light in table order by whichever thread takes its run, so
// the colours are the same bits however the runs are shared out.
template <typename LightRun> void runAll(const CallScratch& s, LightRun lightRun) {
    if (s.runs.size() < 2 || s.work < lightingSplit.serialBelow) {
        for (const VertexRun& run : s.runs) lightRun(run);
        return;
    }
    tbb::parallel_for(tbb::blocked_range<size_t>(0, s.runs.size()),
                      [&](const tbb::blocked_range<size_t>& range) {
                          for (size_t i = range.begin(); i != range.end(); ++i) lightRun(s.runs[i]);
                      });
}

// One run of the bake: the static lights, distances from the stored vertices, shadow rays from
// where the mesh stands, as they are every frame.
void bakeRun(const CallScratch& s, const Scene& scene, const VertexRun& run, bool shadows) {
    RunScratch& t = runScratch();
    const MeshJob& job = s.jobs[run.job];
    SceneObject& mesh = *job.mesh;
    const size_t count = run.end - run.begin;
    Vec3f* colours = mesh.baseColors.data() + run.begin;
    std::fill_n(colours, count, Vec3f{0, 0, 0});
    FloatBox starts{{INFINITY, INFINITY, INFINITY}, {-INFINITY, -INFINITY, -INFINITY}};
    if (shadows) {
        t.shadowPoints.resize(count);
        for (size_t v = 0; v < count; ++v) {
            const Vec3f p = toFloat(worldPoint(mesh, mesh.vertices[run.begin + v]));
            t.shadowPoints[v] = p;
            // Any NaN start makes the box non-finite too, which turns the narrowing off.
            starts.low = {std::fmin(starts.low.x, p.x), std::fmin(starts.low.y, p.y),
                          std::fmin(starts.low.z, p.z)};
            starts.high = {std::fmax(starts.high.x, p.x), std::fmax(starts.high.y, p.y),
                           std::fmax(starts.high.z, p.z)};
            if (std::isnan(p.x) || std::isnan(p.y) || std::isnan(p.z)) starts.low.x = NAN;
        }
    }
    for (uint32_t k = 0; k < job.lightCount; ++k) {
        const LightAim& aim = s.aims[s.jobLights[job.firstLight + k]];
        lightVertices(t, s, scene, aim, mesh.vertices.data() + run.begin,
                      shadows ? t.shadowPoints.data() : nullptr, count, colours, false, false, shadows,
                      starts);
    }
}

// The aim at light j, made by the first run that needs it.
const LightAim& aimFor(CallScratch& s, uint8_t j) {
    LightAim& aim = s.aims[j];
    if (aim.state.load(std::memory_order_acquire) == AIM_READY) return aim;
    uint8_t wanted = AIM_WANTED;
    if (aim.state.compare_exchange_strong(wanted, AIM_BEING_MADE, std::memory_order_acq_rel)) {
        // Only vertices inside the light's cube start rays (the same test as each vertex's).
        const Vec3d centre = aim.light->lightPosition;
        const double range = aim.light->range;
        const FloatBox cube{toFloat({centre.x - range, centre.y - range, centre.z - range}),
                            toFloat({centre.x + range, centre.y + range, centre.z + range})};
        aimAtLight(s, aim, toFloat(centre), &cube);
        aim.state.store(AIM_READY, std::memory_order_release);
        return aim;
    }
    while (aim.state.load(std::memory_order_acquire) != AIM_READY) std::this_thread::yield();
    return aim;
}

// One run of a frame: base colours, then each applied light that reaches the run's vertices.
void frameRun(CallScratch& s, const Scene& scene, const VertexRun& run, bool manhattan, bool shadows) {
    RunScratch& t = runScratch();
    const MeshJob& job = s.jobs[run.job];
    SceneObject& mesh = *job.mesh;
    const size_t count = run.end - run.begin;
    Vec3f* colours = mesh.vertexColors.data() + run.begin;
    std::copy_n(mesh.baseColors.begin() + static_cast<std::ptrdiff_t>(run.begin), count, colours);

    // Where the vertices stand this frame, and the box around them, for a cube test that
    // turns a light away from the whole run at once.
    t.worldPoints.resize(count);
    constexpr double inf = std::numeric_limits<double>::infinity();
    Vec3d low{inf, inf, inf}, high{-inf, -inf, -inf};
    for (size_t v = 0; v < count; ++v) {
        const Vec3d w = worldPoint(mesh, mesh.vertices[run.begin + v]);
        t.worldPoints[v] = w;
        low = {std::min(low.x, w.x), std::min(low.y, w.y), std::min(low.z, w.z)};
        high = {std::max(high.x, w.x), std::max(high.y, w.y), std::max(high.z, w.z)};
    }
    for (uint32_t k = 0; k < job.lightCount; ++k) {
        const uint8_t j = s.jobLights[job.firstLight + k];
        const SceneLight& light = *s.aims[j].light;
        const Vec3d centre = light.lightPosition;
        const double range = light.range;
        if (!(centre.x - range <= high.x && low.x <= centre.x + range && centre.y - range <= high.y &&
              low.y <= centre.y + range && centre.z - range <= high.z && low.z <= centre.z + range))
            continue;
        const LightAim& aim = shadows ? aimFor(s, j) : s.aims[j];
        // Only vertices inside the light's cube are lit, so only they start rays.
        const FloatBox starts{toFloat({std::max(low.x, centre.x - range), std::max(low.y, centre.y - range),
                                       std::max(low.z, centre.z - range)}),
                              toFloat({std::min(high.x, centre.x + range), std::min(high.y, centre.y + range),
                                       std::min(high.z, centre.z + range)})};
        lightVertices(t, s, scene, aim, t.worldPoints.data(), nullptr, count, colours, manhattan, true,
                      shadows, starts);
    }
}

} // namespace

LightingSplit lightingSplit;

void precomputeLighting(Scene& scene) {
    CallScratch& s = callScratch();
    s.work = 0;
    const int lightCount = usableLightCount(scene);
    const bool lit = scene.lightCount >= 1 && scene.lightingMode >= 1;
    // At load every object casts, "!" ones included.
    const bool shadows = scene.lightingMode == LIGHTING_SHADOWS && shadowRectanglesTested();
    s.jobs.clear();
    s.jobLights.clear();
    if (lit) {
        for (int j = 0; j < lightCount; ++j) {
            const SceneLight* light = scene.lights[j];
            if (!light || light->tag != '&') continue;
            s.jobLights.push_back(static_cast<uint8_t>(j));
            s.aims[j].light = light;
            s.aims[j].state.store(AIM_READY, std::memory_order_relaxed);
        }
        if (shadows && !s.jobLights.empty()) {
            prepareCasters(s, scene, [](const SceneObject&) { return true; });
            // Distances are measured from the stored vertices but rays start where each mesh
            // stands, so no one box holds every start: each run narrows the casters itself.
            for (uint8_t j : s.jobLights)
                aimAtLight(s, s.aims[j], toFloat(scene.lights[j]->lightPosition), nullptr);
        }
    }
    SceneObject* object = &scene;
    for (int i = 0; i < scene.objectCount; ++i, object = following(object)) {
        SceneObject& mesh = *object;
        if (mesh.kind != KIND_MESH) continue;
        const size_t count = bakedVertexCount(mesh);
        if (!lit) {
            std::fill_n(mesh.baseColors.begin(), count, Vec3f{1, 1, 1});
            continue;
        }
        s.jobs.push_back({&mesh, count, 0, static_cast<uint32_t>(s.jobLights.size())});
        s.work += static_cast<long>(count) * (1 + static_cast<long>(s.jobLights.size()) * (shadows ? 30 : 1));
    }
    splitIntoRuns(s);
    runAll(s, [&](const VertexRun& run) { bakeRun(s, scene, run, shadows); });
    resetCursor(scene);
}

void computeLighting(Scene& scene) {
    ScopedPhase phase(Phase::Lighting);
    CallScratch& s = callScratch();
    const int lightCount = usableLightCount(scene);
    const int mode = scene.lightingMode;
    s.jobs.clear();
    s.jobLights.clear();
    s.work = 0;
    if (lightCount > 0 && scene.lightCount > 0 && mode > 0) {
        const bool shadows = mode == LIGHTING_SHADOWS && shadowRectanglesTested();
        const long pairWork = shadows ? 10 * (shadowTestMode == 2 ? 3 : 1) : 1;
        bool anyApplied = false;
        SceneObject* object = &scene;
        for (int i = 0; i < scene.objectCount; ++i, object = following(object)) {
            SceneObject& mesh = *object;
            if (mesh.kind != KIND_MESH || nameMarked(mesh, '$')) continue;
            MeshJob job{&mesh, litVertexCount(mesh), static_cast<uint32_t>(s.jobLights.size()), 0};
            const Vec3d shift{mesh.position.x - mesh.pivot.x, mesh.position.y - mesh.pivot.y,
                              mesh.position.z - mesh.pivot.z};
            for (int j = 0; j < lightCount; ++j) {
                const SceneLight* light = scene.lights[j];
                if (!light || !lightApplies(scene, mesh, *light) || !(light->range > 0)) continue;
                s.jobLights.push_back(static_cast<uint8_t>(j));
                ++job.lightCount;
                anyApplied = true;
                if (reachesBounds(*light, mesh, shift)) s.work += static_cast<long>(job.count) * pairWork;
            }
            s.work += static_cast<long>(job.count);
            s.jobs.push_back(job);
        }
        if (anyApplied) {
            if (shadows) prepareCasters(s, scene, [](const SceneObject& o) { return !nameMarked(o, '!'); });
            for (uint8_t j : s.jobLights) {
                s.aims[j].light = scene.lights[j];
                s.aims[j].state.store(AIM_WANTED, std::memory_order_relaxed);
            }
        }
        splitIntoRuns(s);
        runAll(s,
               [&](const VertexRun& run) { frameRun(s, scene, run, mode == LIGHTING_MANHATTAN, shadows); });
    }
    // The walk ends on the last object, as a cursor walk of objectCount steps does.
    seekObject(scene, scene.objectCount);
}

int shadowTest(Scene& scene, int vertex, int meshIndex, int lightIndex, const uint8_t* casters) {
    seekObject(scene, meshIndex);
    const SceneObject& mesh = *scene.current;
    const bool vertexKnown = vertex >= 0 && static_cast<size_t>(vertex) < mesh.vertices.size();
    const bool lightKnown =
        lightIndex >= 0 && lightIndex < usableLightCount(scene) && scene.lights[lightIndex];
    assert(vertexKnown && "shadowTest: no such vertex");
    assert(lightKnown && "shadowTest: no such light");
    int result = SHADOW_LIT;
    if (shadowRectanglesTested() && vertexKnown && lightKnown) {
        // One ray: each caster is prepared only when the walk reaches it.
        const Vec3f point = toFloat(worldPoint(mesh, mesh.vertices[vertex]));
        const Vec3f light = toFloat(scene.lights[lightIndex]->lightPosition);
        const SceneObject* object = &scene;
        for (int n = 0; n < scene.objectCount && result == SHADOW_LIT;
             ++n, object = object->next ? object->next : object) {
            if (casters[n] != 1) continue;
            const Vec3f* sections[3];
            const int count = sectionsOf(*object, sections);
            const Vec3f segment[2] = {intoCaster(point, *object), intoCaster(light, *object)};
            for (int r = 0; r < count && result == SHADOW_LIT; ++r) {
                const Vec3f normal = triangleNormal(sections[r]);
                const float planeConstant = planeDistance(normal, sections[r][0]);
                const float endSide = static_cast<float>(dot(normal, segment[1]) + planeConstant);
                if (segmentHitsRectangle(sections[r], normal, planeConstant, endSide, segment))
                    result = object->name[0] == '%' ? SHADOW_TRANSLUCENT : SHADOW_OPAQUE;
            }
        }
    }
    seekObject(scene, meshIndex);
    return result;
}

} // namespace pelx

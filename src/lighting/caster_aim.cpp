// The narrowing of the casters, once per call and again per run: a light's side of every
// caster's planes, and only the casters that some ray to it may cross. What is left out is
// certain to be missed, so the colours are those of testing every caster.
#include "lighting/lighting_internal.h"
#include "scene/name_marks.h"

#include <algorithm>
#include <cmath>
#include <thread>

namespace pelx::lighting_internal {

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

// castsShadow(object) picks the casters.
void prepareCasters(CallScratch& s, Scene& scene, bool (*castsShadow)(const SceneObject&)) {
    s.casters.clear();
    s.rectangles.clear();
    SceneObject* object = &scene;
    for (int n = 0; n < scene.objectCount; ++n, object = following(object)) {
        if (!castsShadow(*object)) continue;
        Caster caster{object, isAdditive(*object), static_cast<uint32_t>(s.rectangles.size()), 0};
        const Vec3f* sections[3];
        caster.rectangleCount = static_cast<uint32_t>(sectionsOf(*object, sections));
        for (uint32_t r = 0; r < caster.rectangleCount; ++r)
            s.rectangles.push_back(prepareRectangle(sections[r]));
        s.casters.push_back(caster);
    }
}

namespace {

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

} // namespace

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

} // namespace pelx::lighting_internal

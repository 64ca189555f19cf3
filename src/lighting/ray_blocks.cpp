// The ray blocks: a light's vertices walked a block at a time, their shadow rays traced
// together caster by caster over plain arrays, each ray's arithmetic the same as if it were
// traced alone.
#include "lighting/lighting_internal.h"

#include <algorithm>

namespace pelx::lighting_internal {

namespace {

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

} // namespace

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

} // namespace pelx::lighting_internal

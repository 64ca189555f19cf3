// Per-vertex lighting: static "&" lights baked into baseColors at load, the others added each
// frame into vertexColors, dimmed where a shadow ray meets a caster's section rectangle.
// This is the show's hottest loop, so everything that does not depend on the vertex is
// prepared once per call; the results are bit for bit those of testing each ray from scratch.
#include "render/lighting.h"

#include "render/geometry.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <limits>
#include <vector>

namespace pelx {

namespace {

// "$" and "!" count as the first or the second character of a name.
bool nameMarked(const SceneObject& object, char mark) {
    return object.name[0] == mark || (object.name[0] != 0 && object.name[1] == mark);
}

// The light table is trusted as loaded, but never read past its capacity.
int usableLightCount(const Scene& scene) { return std::clamp(scene.lightCount, 0, MAX_LIGHTS); }

// Vertices whose colour arrays exist; a mesh whose arrays are shorter than vertexCount (a
// failed allocation, a hand-built scene) is lit as far as its arrays go.
size_t bakedVertexCount(const SceneObject& mesh) {
    return std::min({static_cast<size_t>(mesh.vertexCount), mesh.vertices.size(), mesh.baseColors.size()});
}
size_t litVertexCount(const SceneObject& mesh) { return std::min(bakedVertexCount(mesh), mesh.vertexColors.size()); }

// The walkers step with nextObject, which stays on the last object; keep that behaviour.
SceneObject* following(SceneObject* object) { return object->next ? object->next : object; }

// Where a vertex is this frame: the mesh's translation only, its rotation is not applied.
Vec3d worldPoint(const SceneObject& mesh, const Vec3d& vertex) {
    return {vertex.x - mesh.pivot.x + mesh.position.x, vertex.y - mesh.pivot.y + mesh.position.y,
            vertex.z - mesh.pivot.z + mesh.position.z};
}

Vec3f toFloat(const Vec3d& v) { return {static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.z)}; }

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
        const double factor = shadow == SHADOW_TRANSLUCENT ? scene.translucentShadowFactor : scene.shadowFactor;
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

bool shadowRectanglesTested() { return shadowTestMode == 1 || shadowTestMode == 2; }

// One section rectangle of a caster with everything that does not depend on the ray.
struct CasterRectangle {
    const Vec3f* corners;
    Vec3f normal;
    float planeConstant;
    Vec3f boxMin, boxMax;
    double farSquared; // squared distance from the box beyond which no point counts as inside
    bool moderate;     // every corner coordinate is small enough for the far-point shortcut
};

struct Caster {
    const SceneObject* object;
    bool translucent;
    uint32_t firstRectangle;
    uint32_t rectangleCount;
};

// Reused between calls so a frame allocates nothing once the arrays have grown.
struct ShadowScratch {
    std::vector<Caster> casters;
    std::vector<CasterRectangle> rectangles;
    std::vector<Vec3f> lightEnds;   // per caster: the light in the caster's coordinates
    std::vector<float> lightSides;  // per rectangle: signed distance of the light from its plane
    std::vector<Vec3d> worldPoints; // per vertex of the mesh being lit
};

ShadowScratch& scratch() {
    thread_local ShadowScratch instance;
    return instance;
}

// Coordinates beyond this are left to the full test: the lengths there may overflow a float.
constexpr double MODERATE_COORDINATE = 1e18;
// Nearer than this the difference vectors may be denormal; left to the full test too.
constexpr double MIN_SHORTCUT_DISTANCE_SQUARED = 1e-24;

CasterRectangle prepareRectangle(const Vec3f* corners) {
    CasterRectangle rectangle{};
    rectangle.corners = corners;
    rectangle.normal = triangleNormal(corners);
    rectangle.planeConstant = planeDistance(rectangle.normal, corners[0]);
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
    const double dx = static_cast<double>(rectangle.boxMax.x) - rectangle.boxMin.x;
    const double dy = static_cast<double>(rectangle.boxMax.y) - rectangle.boxMin.y;
    const double dz = static_cast<double>(rectangle.boxMax.z) - rectangle.boxMin.z;
    rectangle.farSquared = 4.0 * (dx * dx + dy * dy + dz * dz);
    rectangle.moderate = moderate;
    return rectangle;
}

// True only where the angle-sum test is certain to answer "outside". Let c be the point of the
// corners' box nearest to the crossing q, D = |q - c| and R the box's diagonal. Every corner
// then lies within atan(R / D) of the direction from q to c, so any two corner directions are
// at most 2 atan(R / D) apart. With D >= 2R the four angles add up to at most 3.71 radians,
// far below the 6.2826 needed, whatever the float rounding of the differences, lengths and arc
// cosines (each off by well under 0.01 radian at these sizes).
bool clearlyOutside(const CasterRectangle& rectangle, Vec3f q) {
    if (!rectangle.moderate) return false;
    if (!(std::fabs(q.x) < MODERATE_COORDINATE && std::fabs(q.y) < MODERATE_COORDINATE &&
          std::fabs(q.z) < MODERATE_COORDINATE))
        return false;
    auto gap = [](float value, float low, float high) {
        if (value < low) return static_cast<double>(low) - value;
        if (value > high) return static_cast<double>(value) - high;
        return 0.0;
    };
    const double gx = gap(q.x, rectangle.boxMin.x, rectangle.boxMax.x);
    const double gy = gap(q.y, rectangle.boxMin.y, rectangle.boxMax.y);
    const double gz = gap(q.z, rectangle.boxMin.z, rectangle.boxMax.z);
    const double distanceSquared = gx * gx + gy * gy + gz * gz;
    return distanceSquared > rectangle.farSquared && distanceSquared > MIN_SHORTCUT_DISTANCE_SQUARED;
}

void addCaster(ShadowScratch& s, const SceneObject& object) {
    Caster caster{&object, object.name[0] == '%', static_cast<uint32_t>(s.rectangles.size()), 0};
    if (shadowTestMode == 1) {
        s.rectangles.push_back(prepareRectangle(object.shadowSection));
    } else {
        s.rectangles.push_back(prepareRectangle(object.sectionZ));
        s.rectangles.push_back(prepareRectangle(object.sectionX));
        s.rectangles.push_back(prepareRectangle(object.sectionY));
    }
    caster.rectangleCount = static_cast<uint32_t>(s.rectangles.size()) - caster.firstRectangle;
    s.casters.push_back(caster);
}

// The casters in list order, walked the way every list walker does. castsShadow(index,
// object) picks them.
template <typename Pick>
void prepareCasters(ShadowScratch& s, Scene& scene, Pick castsShadow) {
    s.casters.clear();
    s.rectangles.clear();
    SceneObject* object = &scene;
    for (int n = 0; n < scene.objectCount; ++n, object = following(object))
        if (castsShadow(n, *object)) addCaster(s, *object);
    s.lightEnds.resize(s.casters.size());
    s.lightSides.resize(s.rectangles.size());
}

// The ray's far end is the same for every vertex: its side of each plane is computed once.
void aimAtLight(ShadowScratch& s, Vec3f light) {
    for (size_t c = 0; c < s.casters.size(); ++c) {
        const Caster& caster = s.casters[c];
        const Vec3f end = intoCaster(light, *caster.object);
        s.lightEnds[c] = end;
        for (uint32_t r = caster.firstRectangle; r < caster.firstRectangle + caster.rectangleCount; ++r) {
            const CasterRectangle& rectangle = s.rectangles[r];
            s.lightSides[r] = static_cast<float>(dotProduct(rectangle.normal, end) + rectangle.planeConstant);
        }
    }
}

// The ray from a world point to the light aimed at: the first caster in list order whose
// rectangle it passes through decides.
int traceShadowRay(const ShadowScratch& s, Vec3f point) {
    for (size_t c = 0; c < s.casters.size(); ++c) {
        const Caster& caster = s.casters[c];
        const Vec3f segment[2] = {intoCaster(point, *caster.object), s.lightEnds[c]};
        for (uint32_t r = caster.firstRectangle; r < caster.firstRectangle + caster.rectangleCount; ++r) {
            const float endSide = s.lightSides[r];
            // The light on the plane (or a degenerate rectangle, NaN) can never be crossed.
            if (!(endSide < 0 || endSide > 0)) continue;
            const CasterRectangle& rectangle = s.rectangles[r];
            const float startSide =
                static_cast<float>(dotProduct(rectangle.normal, segment[0]) + rectangle.planeConstant);
            if (startSide == 0 || !(static_cast<double>(startSide) * endSide < 0)) continue;
            const Vec3f crossing =
                planeIntersection(rectangle.normal, segment, static_cast<double>(rectangle.planeConstant));
            if (clearlyOutside(rectangle, crossing)) continue;
            if (pointInPolygon(crossing, rectangle.corners, 4))
                return caster.translucent ? SHADOW_TRANSLUCENT : SHADOW_OPAQUE;
        }
    }
    return SHADOW_LIT;
}

// The vertex walk of one light over one mesh. points are the vertices' world positions.
void lightVertices(ShadowScratch& s, Scene& scene, const SceneLight& light, const Vec3d* points,
                   const Vec3f* shadowPoints, size_t count, Vec3f* colours, bool manhattan, bool boxTest,
                   bool shadows) {
    const Vec3d centre = light.lightPosition;
    const double range = light.range;
    if (shadows) aimAtLight(s, toFloat(centre));
    for (size_t v = 0; v < count; ++v) {
        const Vec3d& w = points[v];
        if (boxTest && !(centre.x - range <= w.x && w.x <= centre.x + range && centre.y - range <= w.y &&
                         w.y <= centre.y + range && centre.z - range <= w.z && w.z <= centre.z + range))
            continue;
        double att;
        if (!attenuation(lightDistance(w, centre, manhattan), light.range, &att)) continue;
        const int shadow = shadows ? traceShadowRay(s, shadowPoints ? shadowPoints[v] : toFloat(w)) : SHADOW_LIT;
        addLight(colours[v], light, att, shadow, scene);
    }
}

} // namespace

void precomputeLighting(Scene& scene) {
    ShadowScratch& s = scratch();
    const int lightCount = usableLightCount(scene);
    const bool lit = scene.lightCount >= 1 && scene.lightingMode >= 1;
    // At load every object casts, "!" ones included.
    const bool shadows = scene.lightingMode == LIGHTING_SHADOWS && shadowRectanglesTested();
    if (lit && shadows) prepareCasters(s, scene, [](int, const SceneObject&) { return true; });
    std::vector<Vec3f> shadowPoints;

    SceneObject* object = &scene;
    for (int i = 0; i < scene.objectCount; ++i, object = following(object)) {
        SceneObject& mesh = *object;
        if (mesh.kind != KIND_MESH) continue;
        const size_t count = bakedVertexCount(mesh);
        if (!lit) {
            std::fill_n(mesh.baseColors.begin(), count, Vec3f{1, 1, 1});
            continue;
        }
        std::fill_n(mesh.baseColors.begin(), count, Vec3f{0, 0, 0});
        // Distances are measured from the stored vertices; the shadow rays start where the
        // mesh stands, as they do every frame.
        if (shadows) {
            shadowPoints.resize(count);
            for (size_t v = 0; v < count; ++v) shadowPoints[v] = toFloat(worldPoint(mesh, mesh.vertices[v]));
        }
        for (int j = 0; j < lightCount; ++j) {
            const SceneLight* light = scene.lights[j];
            if (!light || light->tag != '&') continue;
            lightVertices(s, scene, *light, mesh.vertices.data(), shadows ? shadowPoints.data() : nullptr, count,
                          mesh.baseColors.data(), false, false, shadows);
        }
    }
    resetCursor(scene);
}

void computeLighting(Scene& scene) {
    ShadowScratch& s = scratch();
    const int lightCount = usableLightCount(scene);
    const int mode = scene.lightingMode;
    if (lightCount > 0 && scene.lightCount > 0 && mode > 0) {
        const bool shadows = mode == LIGHTING_SHADOWS && shadowRectanglesTested();
        bool castersReady = false;
        SceneObject* object = &scene;
        for (int i = 0; i < scene.objectCount; ++i, object = following(object)) {
            SceneObject& mesh = *object;
            if (mesh.kind != KIND_MESH || nameMarked(mesh, '$')) continue;
            const size_t count = litVertexCount(mesh);
            std::copy_n(mesh.baseColors.begin(), count, mesh.vertexColors.begin());

            // Where the vertices stand this frame, and the box around them, for a cube test
            // that turns a light away from the whole mesh at once.
            s.worldPoints.resize(count);
            constexpr double inf = std::numeric_limits<double>::infinity();
            Vec3d low{inf, inf, inf}, high{-inf, -inf, -inf};
            for (size_t v = 0; v < count; ++v) {
                const Vec3d w = worldPoint(mesh, mesh.vertices[v]);
                s.worldPoints[v] = w;
                low = {std::min(low.x, w.x), std::min(low.y, w.y), std::min(low.z, w.z)};
                high = {std::max(high.x, w.x), std::max(high.y, w.y), std::max(high.z, w.z)};
            }

            for (int j = 0; j < lightCount; ++j) {
                const SceneLight* light = scene.lights[j];
                if (!light || !lightApplies(scene, mesh, *light) || !(light->range > 0)) continue;
                const Vec3d centre = light->lightPosition;
                const double range = light->range;
                if (!(centre.x - range <= high.x && low.x <= centre.x + range && centre.y - range <= high.y &&
                      low.y <= centre.y + range && centre.z - range <= high.z && low.z <= centre.z + range))
                    continue;
                if (shadows && !castersReady) {
                    prepareCasters(s, scene, [](int, const SceneObject& o) { return !nameMarked(o, '!'); });
                    castersReady = true;
                }
                lightVertices(s, scene, *light, s.worldPoints.data(), nullptr, count, mesh.vertexColors.data(),
                              mode == LIGHTING_MANHATTAN, true, shadows);
            }
        }
    }
    // The walk ends on the last object, as a cursor walk of objectCount steps does.
    seekObject(scene, scene.objectCount);
}

int shadowTest(Scene& scene, int vertex, int meshIndex, int lightIndex, const uint8_t* casters) {
    seekObject(scene, meshIndex);
    const SceneObject& mesh = *scene.current;
    assert(vertex >= 0 && static_cast<size_t>(vertex) < mesh.vertices.size() && "shadowTest: no such vertex");
    assert(lightIndex >= 0 && lightIndex < usableLightCount(scene) && scene.lights[lightIndex] &&
           "shadowTest: no such light");
    int result = SHADOW_LIT;
    if (shadowRectanglesTested() && vertex >= 0 && static_cast<size_t>(vertex) < mesh.vertices.size() &&
        lightIndex >= 0 && lightIndex < usableLightCount(scene) && scene.lights[lightIndex]) {
        ShadowScratch& s = scratch();
        prepareCasters(s, scene, [casters](int n, const SceneObject&) { return casters[n] == 1; });
        aimAtLight(s, toFloat(scene.lights[lightIndex]->lightPosition));
        result = traceShadowRay(s, toFloat(worldPoint(mesh, mesh.vertices[vertex])));
    }
    seekObject(scene, meshIndex);
    return result;
}

} // namespace pelx

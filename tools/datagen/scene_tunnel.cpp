// The tunnel scene, "the flight": a long tube curving left and right, ribbed every 100 units,
// with rings of lamps every 400, flown through fast; three glowing pods ride the other way with
// their lights and pass the camera. The tube is built in chunks of 400 units so each chunk's
// section rectangles stay local; its lamps' baked light is softly shadowed by the neighbouring
// chunks (this scene's shadow factors are 0.6 and 1.0).
#include "scene_common.h"
#include "textures.h"
#include "timeline/show_scenes.h"

#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>

namespace pelx {

namespace {

using namespace datagen;

// The length the show plays the scene; keys are at 30 frames a second up to there.
constexpr double SECONDS = TUNNEL_SCENE.length;
constexpr double PI = std::numbers::pi;
constexpr double LENGTH = 5600;   // along the centre line
constexpr double RADIUS = 70;     // of the tube
constexpr double RIB_RADIUS = 62; // the ribs stand inside the tube
constexpr double RIB_SPACING = 100;
constexpr double CHUNK = 400; // tube chunk and lamp ring spacing
constexpr int SIDES = 10;
constexpr double CAMERA_SPEED = 250; // units per second

std::string numbered(const char* prefix, int n) {
    char text[64];
    std::snprintf(text, sizeof text, "%s%02d", prefix, n);
    return text;
}

// The centre line: level (y = 0), its heading swinging left and right along the way.
double heading(double s) {
    return 0.55 * std::sin(2 * PI * s / 2600) + 0.3 * std::sin(2 * PI * s / 1100 + 1.0);
}

struct PathPoint {
    Vec3 centre, forward, right;
};

// Integrated in small steps from the start at the origin, heading toward -z; beyond either
// end the line runs straight on.
PathPoint pathAt(double s) {
    constexpr double STEP = 5;
    const double clamped = std::clamp(s, 0.0, LENGTH);
    Vec3 p{0, 0, 0};
    double walked = 0;
    while (walked < clamped) {
        const double step = std::min(STEP, clamped - walked);
        const double h = heading(walked + step / 2);
        p = p + Vec3{std::sin(h), 0, -std::cos(h)} * step;
        walked += step;
    }
    const double h = heading(clamped);
    const Vec3 forward{std::sin(h), 0, -std::cos(h)};
    return {p + forward * (s - clamped), forward, {std::cos(h), 0, std::sin(h)}};
}

// A point on a ring around the centre line at s; angle 0 is straight up.
Vec3 ringPoint(const PathPoint& at, double radius, double angle) {
    return at.centre + at.right * (radius * std::sin(angle)) + Vec3{0, radius * std::cos(angle), 0};
}

// The tube wall between s0 and s1, one ring of vertices every rib spacing.
MeshData tubeChunk(double s0, double s1) {
    MeshData m;
    const int rings = static_cast<int>(std::lround((s1 - s0) / RIB_SPACING));
    for (int j = 0; j <= rings; ++j) {
        const double s = s0 + (s1 - s0) * j / rings;
        const PathPoint at = pathAt(s);
        for (int k = 0; k <= SIDES; ++k)
            m.addVertex(ringPoint(at, RADIUS, 2 * PI * k / SIDES), 4.0 * k / SIDES, s / RIB_SPACING);
    }
    m.addGridQuads(0, SIDES, rings);
    return m;
}

// A band of ribs inside the tube, one every rib spacing from s0 up to s1 (not including it).
MeshData ribs(double s0, double s1) {
    MeshData m;
    for (double s = s0; s < s1 - 1; s += RIB_SPACING) {
        const PathPoint a = pathAt(s - 5), b = pathAt(s + 5);
        const auto first = static_cast<uint32_t>(m.positions.size());
        for (int k = 0; k <= SIDES; ++k) {
            const double angle = 2 * PI * k / SIDES;
            m.addVertex(ringPoint(a, RIB_RADIUS, angle), 4.0 * k / SIDES, 0);
            m.addVertex(ringPoint(b, RIB_RADIUS, angle), 4.0 * k / SIDES, 0.25);
        }
        for (int k = 0; k < SIDES; ++k) {
            const uint32_t v = first + 2 * k;
            m.addQuad(v, v + 2, v + 3, v + 1);
        }
    }
    return m;
}

// Four lamp panels round the tube at s, on the diagonals.
MeshData lampRing(double s) {
    MeshData m;
    const PathPoint at = pathAt(s);
    for (int k = 0; k < 4; ++k) {
        const Vec3 c = ringPoint(at, RADIUS - 6, PI / 4 + PI / 2 * k);
        m.append(box(c - Vec3{6, 6, 6}, c + Vec3{6, 6, 6}, 12));
    }
    return m;
}

double cameraDistance(double seconds) {
    return 100 + CAMERA_SPEED * seconds;
}

void addCameras(SceneBuilder& scene) {
    const int cut = frameAt(11), end = frameAt(SECONDS);
    // Down the middle, a little above the centre line, weaving slightly.
    std::vector<CameraKey> first;
    for (int f = 0; f <= cut + 15; f += 15) {
        const double t = f / 30.0, s = cameraDistance(t);
        const PathPoint at = pathAt(s);
        first.push_back(
            {f, at.centre + Vec3{0, 8, 0} + at.right * (8 * std::sin(t * 1.3)), pathAt(s + 260).centre});
    }
    scene.addCamera("!cam1", first);
    // Lower and off to one side, the ribs rushing past close by.
    std::vector<CameraKey> second;
    for (int f = cut; f <= end; f += 15) {
        const double t = f / 30.0, s = cameraDistance(t);
        const PathPoint at = pathAt(s);
        second.push_back(
            {f, at.centre + Vec3{0, -18, 0} + at.right * 30, pathAt(s + 260).centre + Vec3{0, -5, 0}});
    }
    scene.addCamera("!cam2", second);
}

} // namespace

SceneModel buildTunnelScene() {
    SceneBuilder scene(frameAt(SECONDS));
    const int end = frameAt(SECONDS);

    int n = 1;
    for (double s = 0; s < LENGTH - 1; s += CHUNK, ++n) {
        scene.addMesh(numbered("!tube", n), tubeChunk(s, s + CHUNK), TEX_METAL_PANEL);
        scene.addMesh(numbered("!ribs", n), ribs(s, s + CHUNK), TEX_HAZARD);
    }

    // Rings of lamps between the chunks, alternately cold and warm.
    n = 1;
    for (double s = CHUNK; s < LENGTH - 1; s += CHUNK, ++n) {
        scene.addMesh(numbered("$!lamps", n), lampRing(s), TEX_LAMP_GLOW);
        const Colour colour = n % 2 ? Colour{0.35f, 0.7f, 1.0f} : Colour{1.0f, 0.7f, 0.35f};
        scene.addStaticLight(numbered("&!ring", n), pathAt(s).centre, colour, 300);
    }

    // Pods riding the other way, each with its light, timed to pass the camera at 4, 9.5 and
    // 15.5 s; they start beyond the far end where they are needed later.
    const double meet[] = {4.0, 9.5, 15.5};
    const Colour colours[] = {{1.0f, 0.5f, 0.15f}, {0.9f, 0.25f, 0.9f}, {0.9f, 0.95f, 1.0f}};
    constexpr double POD_SPEED = 300;
    for (int i = 0; i < 3; ++i) {
        const double start = cameraDistance(meet[i]) + POD_SPEED * meet[i];
        const double offset = i == 1 ? 22 : -22;
        std::vector<PositionKey> path;
        for (int f = 0;; f = std::min(f + 15, end)) {
            const PathPoint at = pathAt(start - POD_SPEED * f / 30.0);
            path.push_back({f, at.centre + Vec3{0, -30, 0} + at.right * offset});
            if (f == end) break;
        }
        const Vec3 p = path[0].position;
        scene.addAnimatedMesh("!pod" + std::to_string(i + 1), box(p - Vec3{6, 4, 6}, p + Vec3{6, 4, 6}, 12),
                              TEX_LAMP_GLOW, path);
        scene.addMovingLight("!rider" + std::to_string(i + 1), colours[i], 260, path);
    }

    addCameras(scene);
    return scene.finish();
}

} // namespace pelx

// The mirror scene, "the hall of mirrors": a long hall with a large gilt-framed mirror on each
// side wall, a bronze sculpture turning on a pedestal between them, two chrome orbs circling
// it, and a red and a blue light wheeling overhead. A mirror's picture is the hall drawn from
// the mirror's place with the camera's angles negated: for a mirror in a side wall that is the
// view reflected across the wall, as long as the camera looks down the hall, so every camera
// here does, and each mirror shows that picture flipped left to right.
#include "scene_common.h"
#include "textures.h"
#include "timeline/show_scenes.h"

#include <cmath>
#include <numbers>
#include <string>

namespace pelx {

namespace {

using namespace datagen;

// The length the show plays the scene; keys are at 30 frames a second up to there.
constexpr double SECONDS = MIRROR_SCENE.length;
constexpr double PI = std::numbers::pi;
// The hall: x -300..300, z -700..700, y 0..400. Mirrors: z 0..300, y 50..350, in front of the
// side walls; the sculpture stands at (0, 0, -150), further down the hall than the mirrors, so
// the reflections of a camera looking down the hall fall on it.
constexpr double HALF_WIDTH = 300, HALF_LENGTH = 700, HEIGHT = 400;
constexpr double MIRROR_Z0 = 0, MIRROR_Z1 = 300, MIRROR_Y0 = 50, MIRROR_Y1 = 350;
constexpr double MIRROR_INSET = 3; // mirror surface in front of the wall
const Vec3 STATUE_BASE{0, 81, -150};

// A mirror on the wall at x = side * HALF_WIDTH. Its texture coordinates put the picture's
// left edge at the mirror's right edge as the camera sees it (a reflection is flipped), and
// the picture's bottom row, the first row copied from the screen, at the bottom.
MeshData mirrorMesh(int side) {
    const double x = side * (HALF_WIDTH - MIRROR_INSET);
    // Looking down the hall toward -z, the west mirror's right edge is its -z end and the
    // east mirror's right edge is its +z end.
    const double zStart = side < 0 ? MIRROR_Z0 : MIRROR_Z1, zEnd = side < 0 ? MIRROR_Z1 : MIRROR_Z0;
    return grid({x, MIRROR_Y0, zStart}, {0, 0, zEnd - zStart}, {0, MIRROR_Y1 - MIRROR_Y0, 0}, 2, 2, 1, -1, 0,
                1);
}

// The gilt frame: four bars, each its own mesh, so no bar's section rectangle covers the glass
// and the lights behind it.
void addFrame(SceneBuilder& scene, int side) {
    const double x0 = side * (HALF_WIDTH - 1), x1 = side * (HALF_WIDTH - 7);
    const double lowX = std::min(x0, x1), highX = std::max(x0, x1), t = 14;
    const std::string prefix = side < 0 ? "!frameW" : "!frameE";
    // The side bars stand between the top and bottom bars.
    const unsigned between = BOX_ALL & ~(BOX_TOP | BOX_BOTTOM);
    scene.addMesh(prefix + "1",
                  box({lowX, MIRROR_Y1, MIRROR_Z0 - t}, {highX, MIRROR_Y1 + t, MIRROR_Z1 + t}, 40), TEX_GOLD);
    scene.addMesh(prefix + "2",
                  box({lowX, MIRROR_Y0 - t, MIRROR_Z0 - t}, {highX, MIRROR_Y0, MIRROR_Z1 + t}, 40), TEX_GOLD);
    scene.addMesh(prefix + "3",
                  box({lowX, MIRROR_Y0, MIRROR_Z0 - t}, {highX, MIRROR_Y1, MIRROR_Z0}, 40, 1e9, between),
                  TEX_GOLD);
    scene.addMesh(prefix + "4",
                  box({lowX, MIRROR_Y0, MIRROR_Z1}, {highX, MIRROR_Y1, MIRROR_Z1 + t}, 40, 1e9, between),
                  TEX_GOLD);
}

// A square column twisted by a third of a turn as it rises and tapers, capped by a ball.
MeshData sculpture() {
    MeshData m;
    constexpr int LEVELS = 10;
    constexpr double HEIGHT_UP = 190;
    const auto first = static_cast<uint32_t>(m.positions.size());
    for (int j = 0; j <= LEVELS; ++j) {
        const double s = static_cast<double>(j) / LEVELS, half = 32 - 10 * s, twist = s * 2 * PI / 3;
        for (int k = 0; k <= 4; ++k) {
            const double a = twist + PI / 4 + PI / 2 * k;
            m.addVertex(STATUE_BASE + Vec3{half * std::sqrt(2.0) * std::cos(a), HEIGHT_UP * s,
                                           half * std::sqrt(2.0) * std::sin(a)},
                        k / 2.0, 2 * (1 - s));
        }
    }
    for (int j = 0; j < LEVELS; ++j)
        for (int k = 0; k < 4; ++k) {
            const uint32_t a = first + j * 5 + k;
            m.addQuad(a, a + 1, a + 6, a + 5);
        }
    for (int end = 0; end < 2; ++end) {
        const uint32_t ring = first + (end == 0 ? 0 : LEVELS * 5);
        const uint32_t c[4] = {m.addVertex(m.positions[ring], 0, 0), m.addVertex(m.positions[ring + 1], 1, 0),
                               m.addVertex(m.positions[ring + 2], 1, 1),
                               m.addVertex(m.positions[ring + 3], 0, 1)};
        m.addQuad(c[0], c[1], c[2], c[3]);
    }
    m.append(sphere(STATUE_BASE + Vec3{0, HEIGHT_UP + 16, 0}, 24, 8, 5));
    return m;
}

Vec3 orbAt(int n, double seconds) {
    const double a = 2 * PI * seconds / 13.5 + n * PI;
    return {170 * std::cos(a), 190 + 30 * std::sin(3 * a), -150 + 170 * std::sin(a)};
}

Vec3 overheadLightAt(int n, double seconds) {
    const double a = (n == 0 ? 1 : -1) * 2 * PI * seconds / 9.0 + n * PI;
    return {230 * std::cos(a), 320, -150 + 230 * std::sin(a)};
}

void addCameras(SceneBuilder& scene) {
    const int cut1 = frameAt(10), cut2 = frameAt(18), end = frameAt(SECONDS);
    auto path = [](int from, int to, int last, Vec3 eye0, Vec3 eye1, Vec3 target0, Vec3 target1) {
        std::vector<CameraKey> keys;
        for (int f = from; f <= last; f += 30) {
            const double s = static_cast<double>(f - from) / (to - from);
            keys.push_back({f, mix(eye0, eye1, s), mix(target0, target1, s)});
        }
        return keys;
    };
    // Down the hall toward the east mirror, whose picture holds the sculpture.
    scene.addCamera(
        "!cam1", path(0, cut1, cut1 + 30, {0, 170, 650}, {-40, 172, 420}, {250, 185, 150}, {240, 185, 60}));
    // Toward the west mirror.
    scene.addCamera("!cam2", path(cut1, cut2, cut2 + 30, {100, 160, 520}, {70, 175, 330}, {-250, 190, 100},
                                  {-260, 195, 40}));
    // Between the mirrors, on the turning sculpture.
    std::vector<CameraKey> last =
        path(cut2, end, end, {-60, 175, 420}, {60, 165, 260}, {0, 190, -150}, {0, 185, -150});
    scene.addCamera("!cam3", last);
}

} // namespace

SceneModel buildMirrorScene() {
    SceneBuilder scene(frameAt(SECONDS));
    const int end = frameAt(SECONDS);

    scene.addMesh(
        "!floor",
        grid({-HALF_WIDTH, 0, HALF_LENGTH}, {2 * HALF_WIDTH, 0, 0}, {0, 0, -2 * HALF_LENGTH}, 6, 14, 6, 14),
        TEX_FLOOR_TILES);
    scene.addMesh("!ceil",
                  grid({-HALF_WIDTH, HEIGHT, -HALF_LENGTH}, {2 * HALF_WIDTH, 0, 0}, {0, 0, 2 * HALF_LENGTH},
                       3, 7, 3, 7),
                  TEX_PLASTER);
    scene.addMesh("!wallW",
                  grid({-HALF_WIDTH, 0, HALF_LENGTH}, {0, 0, -2 * HALF_LENGTH}, {0, HEIGHT, 0}, 7, 2, 7, 2),
                  TEX_HALL_WALL);
    scene.addMesh("!wallE",
                  grid({HALF_WIDTH, 0, -HALF_LENGTH}, {0, 0, 2 * HALF_LENGTH}, {0, HEIGHT, 0}, 7, 2, 7, 2),
                  TEX_HALL_WALL);
    scene.addMesh("!wallN",
                  grid({-HALF_WIDTH, 0, -HALF_LENGTH}, {2 * HALF_WIDTH, 0, 0}, {0, HEIGHT, 0}, 6, 4, 3, 2),
                  TEX_HALL_WALL);
    scene.addMesh("!wallS",
                  grid({HALF_WIDTH, 0, HALF_LENGTH}, {-2 * HALF_WIDTH, 0, 0}, {0, HEIGHT, 0}, 3, 2, 3, 2),
                  TEX_HALL_WALL);

    // The mirrors: each the only mesh with its "mirr" material; the one position key is the
    // point the reflection is drawn from.
    const double mirrorMidY = (MIRROR_Y0 + MIRROR_Y1) / 2, mirrorMidZ = (MIRROR_Z0 + MIRROR_Z1) / 2;
    scene.addAnimatedMesh("$!mirrorW", mirrorMesh(-1), "mirror1",
                          {{0, {-(HALF_WIDTH - MIRROR_INSET), mirrorMidY, mirrorMidZ}}});
    scene.addAnimatedMesh("$!mirrorE", mirrorMesh(1), "mirror2",
                          {{0, {HALF_WIDTH - MIRROR_INSET, mirrorMidY, mirrorMidZ}}});
    addFrame(scene, -1);
    addFrame(scene, 1);
    // Behind each mirror, between glass and wall, four lamps keep the glass bright (the mirror
    // picture is modulated by the glass's own light) and throw a glow on the wall round it.
    int n = 1;
    for (int side = -1; side <= 1; side += 2)
        for (double y : {125.0, 275.0})
            for (double z : {75.0, 225.0})
                scene.addStaticLight("&!glow" + std::to_string(n++), {side * (HALF_WIDTH - 1), y, z},
                                     {2.2f, 2.1f, 1.9f}, 170);

    // The sculpture turns on its pedestal: 12 degrees a second about the vertical.
    scene.addMesh("pedestal", box({-55, 0, -205}, {55, 80, -95}, 40, 40, BOX_NO_BOTTOM), TEX_PEDESTAL);
    std::vector<RotationKey> turns;
    for (int f = 0; f <= end; f += 30) turns.push_back({f, f == 0 ? 0.0 : 12.0, {0, 1, 0}});
    scene.addAnimatedMesh("statue", sculpture(), TEX_BRONZE, {{0, STATUE_BASE}, {end, STATUE_BASE}}, turns);

    // Two chrome orbs circling it, and two coloured lights wheeling above.
    for (int i = 0; i < 2; ++i) {
        std::vector<PositionKey> orbit, lamp;
        for (int f = 0; f <= end; f += 15) {
            orbit.push_back({f, orbAt(i, f / 30.0)});
            lamp.push_back({f, overheadLightAt(i, f / 30.0)});
        }
        scene.addAnimatedMesh("orb" + std::to_string(i + 1), sphere(orbAt(i, 0), 18, 8, 5), TEX_CHROME,
                              orbit);
        scene.addMovingLight(i == 0 ? "!red" : "!blue",
                             i == 0 ? Colour{0.75f, 0.2f, 0.15f} : Colour{0.2f, 0.3f, 0.75f}, 500, lamp);
    }

    scene.addStaticLight("&!fill1", {0, 380, 300}, {0.35f, 0.33f, 0.3f}, 800);
    scene.addStaticLight("&!fill2", {0, 380, -450}, {0.35f, 0.33f, 0.3f}, 800);

    addCameras(scene);
    return scene.finish();
}

} // namespace pelx

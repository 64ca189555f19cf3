// The colonnade scene, "shadows sweep the colonnade": two rows of eight columns on a tiled marble
// platform under an architrave. One strong light crosses the sky from left to right, so the
// columns' shadows (three section rectangles each in this scene) sweep across the floor; dim
// "&" fill lights keep the stone visible. The camera dollies between the rows, looks across
// them from the side, then rises to look down on the moving shadows.
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
constexpr double SECONDS = COLONNE_SCENE.length;
constexpr double PI = std::numbers::pi;
constexpr double ROW_X = 150;         // the rows stand at x = -150 and x = +150
constexpr double FIRST_COLUMN = -525; // eight columns 150 apart along z
constexpr double COLUMN_RADIUS = 30;
constexpr double PLATFORM_X = 400, PLATFORM_Z = 700, PLATFORM_DEPTH = 40;

std::string numbered(const char* prefix, int n) {
    char text[64];
    std::snprintf(text, sizeof text, "%s%02d", prefix, n);
    return text;
}

// A column: base and capital (lit, never casting) and the shaft, which casts.
void addColumn(SceneBuilder& scene, int n, double x, double z) {
    scene.addMesh(numbered("!base", n),
                  box({x - 40, 0, z - 40}, {x + 40, 20, z + 40}, 40, 1e9, BOX_NO_BOTTOM), TEX_MARBLE);
    scene.addMesh(numbered("col", n), cylinder({x, 20, z}, COLUMN_RADIUS, 260, 12, 4, 1, 130, false, false),
                  TEX_COLUMN);
    // No top: the architrave rests on it.
    scene.addMesh(numbered("!cap", n),
                  box({x - 40, 280, z - 40}, {x + 40, 300, z + 40}, 40, 1e9, BOX_ALL & ~BOX_TOP), TEX_MARBLE);
}

void addCameras(SceneBuilder& scene) {
    const int cut1 = frameAt(12), cut2 = frameAt(19), end = frameAt(SECONDS);

    // Dolly down the middle between the rows, swaying a little.
    std::vector<CameraKey> dolly;
    for (int f = 0; f <= cut1 + 30; f += 30) {
        const double s = static_cast<double>(f) / cut1;
        const Vec3 eye = mix({0, 110, 820}, {0, 150, -280}, s);
        dolly.push_back({f, eye, eye + Vec3{60 * std::sin(s * PI * 1.5), -20, -400}});
    }
    scene.addCamera("!cam1", dolly);

    // From beside the platform, low, across both rows to the floor between them.
    std::vector<CameraKey> side;
    for (int f = cut1; f <= cut2 + 30; f += 30) {
        const double s = static_cast<double>(f - cut1) / (cut2 - cut1);
        side.push_back({f, mix({-560, 70, -140}, {-560, 95, 240}, s), mix({-100, 10, 0}, {-100, 10, 60}, s)});
    }
    scene.addCamera("!cam2", side);

    // Rising over the architrave to look down on the shadows.
    std::vector<CameraKey> rise;
    for (int f = cut2; f <= end; f += 30) {
        const double s = static_cast<double>(f - cut2) / (end - cut2), e = s * s * (3 - 2 * s);
        rise.push_back({f, mix({0, 470, -880}, {150, 1100, 420}, e), mix({0, 0, -100}, {0, 0, 0}, e)});
    }
    if (rise.back().frame != end) rise.push_back({end, {150, 1100, 420}, {0, 0, 0}});
    scene.addCamera("!cam3", rise);
}

} // namespace

SceneModel buildColonneScene() {
    SceneBuilder scene(frameAt(SECONDS));

    // The platform: tiled top, stepped stone sides, and the paved precinct below it.
    scene.addMesh(
        "!floor",
        grid({-PLATFORM_X, 0, PLATFORM_Z}, {2 * PLATFORM_X, 0, 0}, {0, 0, -2 * PLATFORM_Z}, 16, 28, 8, 14),
        TEX_MARBLE_TILES);
    scene.addMesh("!steps",
                  box({-PLATFORM_X, -PLATFORM_DEPTH, -PLATFORM_Z}, {PLATFORM_X, 0, PLATFORM_Z}, 80, 200,
                      BOX_ALL & ~(BOX_TOP | BOX_BOTTOM)),
                  TEX_STONE);
    scene.addMesh("!ground",
                  grid({-2400, -PLATFORM_DEPTH, 2400}, {4800, 0, 0}, {0, 0, -4800}, 12, 12, 32, 32),
                  TEX_COBBLE);

    int n = 1;
    for (int side = -1; side <= 1; side += 2)
        for (int i = 0; i < 8; ++i) addColumn(scene, n++, side * ROW_X, FIRST_COLUMN + 150 * i);

    // Architrave along each row, and a beam across each end between them.
    for (int side = -1; side <= 1; side += 2) {
        const double x = side * ROW_X;
        scene.addMesh(side < 0 ? "archW" : "archE", box({x - 40, 300, -565}, {x + 40, 345, 565}, 60, 80),
                      TEX_STONE);
    }
    for (int end = -1; end <= 1; end += 2) {
        const double z = end * 525.0;
        // Its ends meet the architraves' inner faces and are left out.
        scene.addMesh(end < 0 ? "!beamS" : "!beamN",
                      box({-ROW_X + 40, 300, z - 20}, {ROW_X - 40, 345, z + 20}, 60, 80,
                          BOX_ALL & ~(BOX_LEFT | BOX_RIGHT)),
                      TEX_STONE);
    }

    // The light crossing the sky: low on the left, high overhead, low on the right.
    std::vector<PositionKey> sun;
    const int end = frameAt(SECONDS);
    for (int f = 0; f <= end; f += 45) {
        const double s = static_cast<double>(f) / end;
        sun.push_back({f, {-1100 + 2200 * s, 330 + 420 * std::sin(PI * s), -350 + 700 * s}});
    }
    scene.addMovingLight("!sun", {1.9f, 1.6f, 1.15f}, 1700, sun);

    // Soft fill from the four corners, baked with the columns' shadows.
    const double corners[][2] = {{-420, -600}, {420, -600}, {-420, 600}, {420, 600}};
    n = 1;
    for (const auto& c : corners)
        scene.addStaticLight(numbered("&!fill", n++), {c[0], 260, c[1]}, {0.16f, 0.17f, 0.22f}, 900);

    addCameras(scene);
    return scene.finish();
}

} // namespace pelx

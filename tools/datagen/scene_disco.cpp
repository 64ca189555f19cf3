// The disco scene, "the finale": a club with a raised chequered dance floor, a DJ booth, speaker
// stacks, pillars, a bar along one wall, a lighting truss with four moving heads sweeping "%"
// beams, and a turning mirror ball whose spots sweep floor, walls and ceiling. A crowd dances
// on the beat of the soundtrack, and a DJ behind the booth. Flares of all four
// kinds take the lights' colours: "*0" bulbs along the bar, "*1" haze from smoke machines at
// the floor's corners, "*2" sparkles round the ball, "*3" confetti over the floor. Eight
// lights, none baked: four coloured spots sweeping the floor, then, last in the file, the
// strobe set: a red wash (dark from 85 s), a green wash (dark from 55 s), a blue wash (dark
// from 25 s) and the white strobe over the floor. The camera enters, glides low along the
// floor, circles it as the strobe starts, cuts fast between low, high and under-the-ball
// views, circles the raised hands and pulls up and out.
#include "scene_disco.h"
#include "textures.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace pelx {

namespace {

using namespace datagen;
using namespace datagen::disco;

constexpr double TRUSS_Y = 320, TRUSS_HALF = 250;

// A head on the truss and its beam sweeping below it: the beam turns about the head, on two
// axes at two rates, so it traces a loop over the floor and the crowd.
void addMovingHead(SceneBuilder& scene, int n, Vec3 head, double period, double phase) {
    const int end = frameAt(SECONDS);
    scene.addMesh("!head" + std::to_string(n), box(head + Vec3{-10, -4, -10}, head + Vec3{10, 10, 10}, 20),
                  TEX_CHROME);
    // Leaning in toward the floor's middle, the x and z sweeps out of step.
    const double inX = head.z > 0 ? 1 : -1, inZ = head.x > 0 ? -1 : 1;
    auto pose = [&](double t) {
        const double a = 2 * PI * t / period + phase;
        return Vec3{inX * (14 + 26 * std::sin(a)), 0, inZ * (14 + 24 * std::sin(1.5 * a + 0.8))};
    };
    std::vector<RotationKey> turns;
    const Vec3 rest = pose(0);
    Vec3 previous{};
    for (int f = 0;; f = std::min(f + 10, end)) {
        const Vec3 angles = f == 0 ? Vec3{} : pose(f / 30.0) - rest;
        const Vec3 step = angles - previous;
        const double degrees = length(step);
        turns.push_back({f, degrees, degrees > 0 ? step * (1 / degrees) : Vec3{1, 0, 0}});
        previous = angles;
        if (f == end) break;
    }
    // Built already leaning as at the start; the keys turn it from there.
    MeshData beam = cone(head + Vec3{0, -4, 0}, {0, -1, 0}, 240, 20, 10);
    // The rim stops short of the texture's last row: filtering there would wrap round to the
    // bright first row and draw the rim as a thin ring of light.
    for (auto& uv : beam.uvs) uv[1] *= 0.95f;
    for (Vec3& p : beam.positions) {
        p = turnedAbout(p, head, {0, 0, 1}, rest.z);
        p = turnedAbout(p, head, {1, 0, 0}, rest.x);
    }
    scene.addAnimatedMesh("%beam" + std::to_string(n), beam, TEX_BEAM, {{0, head}, {end, head}}, turns);
}

// A wash light drifting slowly round a point, so that it counts as moving.
std::vector<PositionKey> drift(Vec3 centre, double radius, double period) {
    std::vector<PositionKey> path;
    const int end = frameAt(SECONDS);
    for (int f = 0;; f = std::min(f + 60, end)) {
        const double a = 2 * PI * f / 30.0 / period;
        path.push_back({f, centre + Vec3{radius * std::cos(a), 0, radius * std::sin(a)}});
        if (f == end) break;
    }
    return path;
}

std::vector<PositionKey> sweep(double radius, double height, double period, double phase) {
    std::vector<PositionKey> path;
    const int end = frameAt(SECONDS);
    for (int f = 0;; f = std::min(f + 15, end)) {
        const double a = 2 * PI * f / 30.0 / period + phase;
        path.push_back({f, {radius * std::cos(a), height, radius * std::sin(1.7 * a)}});
        if (f == end) break;
    }
    return path;
}

void addCameras(SceneBuilder& scene) {
    const int enter = frameAt(25), circle = frameAt(55), finale = frameAt(85), fade = frameAt(100),
              end = frameAt(SECONDS);
    // From eye0 to eye1 eased over from..to; past `to` (the key never shown) it carries on.
    auto line = [](int from, int to, int beyond, int step, Vec3 eye0, Vec3 eye1, Vec3 target0, Vec3 target1) {
        std::vector<CameraKey> keys;
        for (int f : keyFrames(from, to, step, beyond)) {
            const double s = static_cast<double>(f - from) / (to - from),
                         e = s <= 1 ? s * s * (3 - 2 * s) : s;
            keys.push_back({f, mix(eye0, eye1, e), mix(target0, target1, e)});
        }
        return keys;
    };
    // Round the floor's middle: angles in degrees, radius and height blended from..to.
    auto orbit = [](int from, int to, int step, double a0, double a1, double r0, double r1, double y0,
                    double y1, Vec3 target) {
        std::vector<CameraKey> keys;
        for (int f : keyFrames(from, to, step, step)) {
            const double s = static_cast<double>(f - from) / (to - from);
            const double a = (a0 + (a1 - a0) * s) * PI / 180, r = r0 + (r1 - r0) * s;
            const double y = y0 + (y1 - y0) * (0.5 - 0.5 * std::cos(PI * std::min(s, 1.0)));
            keys.push_back({f, {r * std::cos(a), y, r * std::sin(a)}, target});
        }
        return keys;
    };
    const int middle = frameAt(12);
    // In through the door past the speakers, at a standing eye's height, toward the crowd.
    scene.addCamera("!cam0",
                    line(0, middle, 60, 60, {240, 165, 470}, {150, 150, 290}, {60, 120, 0}, {0, 100, -60}));
    // Low along the floor's edge, the dancers passing across the view.
    scene.addCamera(
        "!cam1", line(middle, enter, 30, 60, {-380, 85, 240}, {-380, 95, -200}, {0, 80, 160}, {0, 90, -220}));
    // As the strobe starts: once round the floor, rising from hip height to high over the
    // crowd and down again.
    scene.addCamera("!cam2", orbit(enter, circle, 30, 90, 450, 385, 340, 90, 260, {0, 50, 0}));
    // Faster cuts: low past the front of the floor, up at the ball from the empty middle,
    // through the beams at the truss, over the DJ's shoulder.
    const int step = (finale - circle) / 4;
    scene.addCamera("!cam3", line(circle, circle + step, 30, 30, {-220, 45, 292}, {220, 50, 292},
                                  {-60, 90, -100}, {60, 90, -100}));
    scene.addCamera("!cam4", orbit(circle + step, circle + 2 * step, 30, 200, 320, 90, 90, 45, 65, BALL));
    scene.addCamera("!cam5", line(circle + 2 * step, circle + 3 * step, 30, 30, {-230, 292, 175},
                                  {230, 288, 175}, {-40, 30, -60}, {40, 30, -60}));
    scene.addCamera("!cam6", line(circle + 3 * step, finale, 30, 30, {80, 235, -485}, {-80, 225, -480},
                                  {0, 60, 120}, {0, 60, 60}));
    // The peak: half round the crowd, fast, hands in the air.
    scene.addCamera("!cam7", orbit(finale, fade, 30, 30, 210, 370, 340, 170, 230, {0, 100, 0}));
    // Pulling up and out to the corner under the ceiling while the end picture fades in.
    scene.addCamera("!cam8",
                    line(fade, end, 0, 60, {40, 230, 340}, {-380, 335, 470}, {0, 60, 0}, {0, 10, -40}));
}

} // namespace

SceneModel buildDiscoScene() {
    SceneBuilder scene(frameAt(SECONDS));

    // The room.
    // The club's floor in 100-unit cells, one texture tile each, round the dance floor: the
    // cells under it would only be filled to be hidden.
    auto floorPatch = [](double x0, double x1, double z0, double z1) {
        const int nx = static_cast<int>((x1 - x0) / 100), nz = static_cast<int>((z1 - z0) / 100);
        return grid({x0, 0, z1}, {x1 - x0, 0, 0}, {0, 0, z0 - z1}, nx, nz, nx, nz, (x0 + HALF) / 100,
                    (z0 + HALF) / 100);
    };
    const double under = FLOOR_HALF - 50; // the last cell line inside the dance floor
    MeshData floor = floorPatch(-HALF, HALF, under, HALF);
    floor.append(floorPatch(-HALF, HALF, -HALF, -under));
    floor.append(floorPatch(-HALF, -under, -under, under));
    floor.append(floorPatch(under, HALF, -under, under));
    scene.addMesh("!floor", floor, TEX_CONCRETE);
    scene.addMesh(
        "!dance",
        box({-FLOOR_HALF, 0, -FLOOR_HALF}, {FLOOR_HALF, FLOOR_TOP, FLOOR_HALF}, 250, 50, BOX_NO_BOTTOM),
        TEX_DANCE_FLOOR);
    scene.addMesh("!ceil", grid({-HALF, HEIGHT, -HALF}, {2 * HALF, 0, 0}, {0, 0, 2 * HALF}, 5, 5, 5, 5),
                  TEX_CONCRETE);
    scene.addMesh("!wallN", grid({-HALF, 0, -HALF}, {2 * HALF, 0, 0}, {0, HEIGHT, 0}, 5, 2, 5, 2),
                  TEX_NEON_WALL);
    scene.addMesh("!wallS", grid({HALF, 0, HALF}, {-2 * HALF, 0, 0}, {0, HEIGHT, 0}, 5, 2, 5, 2), TEX_BRICK);
    scene.addMesh("!wallW", grid({-HALF, 0, HALF}, {0, 0, -2 * HALF}, {0, HEIGHT, 0}, 5, 2, 5, 2), TEX_BRICK);
    scene.addMesh("!wallE", grid({HALF, 0, -HALF}, {0, 0, 2 * HALF}, {0, HEIGHT, 0}, 5, 2, 5, 2), TEX_BRICK);
    // The club's sign above the booth, a little off the wall.
    scene.addMesh("!sign", grid({-160, 170, -HALF + 2}, {320, 0, 0}, {0, 160, 0}, 2, 2, 1, 1), TEX_NEON_SIGN);

    // Booth, speakers, pillars, bar. Meshes are drawn in the order of their names, so these are
    // named to come before the floors and walls they stand in front of.
    // The cameras see them from the room's middle.
    auto roomSideFirst = [](const MeshData& mesh, Vec3 at) {
        return nearSideFirst(mesh, normalized(Vec3{-at.x, 0, -at.z}) + Vec3{0, 0.5, 0});
    };
    scene.addMesh("!booth",
                  roomSideFirst(box({-120, 0, -420}, {120, 110, -330}, 60, 60, BOX_NO_BOTTOM), {0, 0, -375}),
                  TEX_CHROME);
    int n = 1;
    for (int sx = -1; sx <= 1; sx += 2)
        for (int sz = -1; sz <= 1; sz += 2) {
            const double x = sx * 330, z = sz * 330;
            scene.addMesh(
                "!bass" + std::to_string(n++),
                roomSideFirst(box({x - 35, 0, z - 30}, {x + 35, 160, z + 30}, 70, 80, BOX_NO_BOTTOM),
                              {x, 0, z}),
                TEX_SPEAKER);
        }
    n = 1;
    for (int sx = -1; sx <= 1; sx += 2)
        for (int sz = -1; sz <= 1; sz += 2)
            scene.addMesh(
                "!pillar" + std::to_string(n++),
                roomSideFirst(cylinder({sx * 420.0, 0, sz * 420.0}, 25, HEIGHT, 8, 1, 2, 120, false, false),
                              {sx * 420.0, 0, sz * 420.0}),
                TEX_CHROME);
    scene.addMesh("!bar",
                  roomSideFirst(box({380, 0, -300}, {460, 105, 300}, 60, 75, BOX_NO_BOTTOM), {420, 0, 0}),
                  TEX_WOOD);

    // The truss: bars along x with the bars along z fitted between them.
    MeshData truss;
    for (int sz = -1; sz <= 1; sz += 2)
        truss.append(box({-TRUSS_HALF - 8, TRUSS_Y - 4, sz * TRUSS_HALF - 8},
                         {TRUSS_HALF + 8, TRUSS_Y + 4, sz * TRUSS_HALF + 8}, 40));
    for (int sx = -1; sx <= 1; sx += 2)
        truss.append(box({sx * TRUSS_HALF - 8, TRUSS_Y - 4, -TRUSS_HALF + 8},
                         {sx * TRUSS_HALF + 8, TRUSS_Y + 4, TRUSS_HALF - 8}, 40, 1e9,
                         BOX_ALL & ~(BOX_BACK | BOX_FRONT)));
    scene.addMesh("!truss", truss, TEX_CHROME);

    // Moving heads at the truss corners, their beams swinging across the floor.
    addMovingHead(scene, 1, {-TRUSS_HALF, TRUSS_Y - 16, -TRUSS_HALF}, 6.0, 0.0);
    addMovingHead(scene, 2, {TRUSS_HALF, TRUSS_Y - 16, -TRUSS_HALF}, 7.0, 1.3);
    addMovingHead(scene, 3, {-TRUSS_HALF, TRUSS_Y - 16, TRUSS_HALF}, 5.0, 2.1);
    addMovingHead(scene, 4, {TRUSS_HALF, TRUSS_Y - 16, TRUSS_HALF}, 8.0, 0.7);

    // The mirror ball turns on its cord.
    const int end = frameAt(SECONDS);
    std::vector<RotationKey> spin;
    for (int f = 0; f <= end; f += 30) spin.push_back({f, f == 0 ? 0.0 : 20.0, {0, 1, 0}});
    // Nearly every camera is below it.
    scene.addAnimatedMesh("!ball", nearSideFirst(sphere(BALL, 30, 12, 8), {0, -1, 0}), TEX_CHROME,
                          {{0, BALL}, {end, BALL}}, spin);
    scene.addMesh("!cord", box(BALL + Vec3{-1, 30, -1}, {1, HEIGHT, 1}, 20, 1e9, BOX_ALL & ~BOX_TOP),
                  TEX_CHROME);

    // Flare carriers: bulbs along the bar and under the truss, smoke machines at the floor's
    // corners, sparkle points round the ball, and confetti scattered over the floor.
    n = 1;
    for (double z = -240; z <= 240; z += 120) {
        // Sitting on the bar top: no bottom face on it.
        const Vec3 p{420, 109, z};
        scene.addAnimatedMesh("*0bulb" + std::to_string(n++),
                              box(p - Vec3{2, 4, 2}, p + Vec3{2, 0, 2}, 4, 1e9, BOX_NO_BOTTOM), TEX_BULB,
                              {{0, p}});
    }
    for (int sz = -1; sz <= 1; sz += 2)
        for (double x = -225; x <= 225; x += 150) {
            // Hanging under the truss: no top face against it.
            const Vec3 p{x, TRUSS_Y - 8, sz * TRUSS_HALF};
            scene.addAnimatedMesh("*0bulb" + std::to_string(n++),
                                  box(p - Vec3{2, 3, 2}, p + Vec3{2, 4, 2}, 4, 1e9, BOX_ALL & ~BOX_TOP),
                                  TEX_BULB, {{0, p}});
        }
    n = 1;
    for (int sx = -1; sx <= 1; sx += 2)
        for (int sz = -1; sz <= 1; sz += 2) {
            const Vec3 p{sx * 275.0, 0, sz * 275.0};
            scene.addAnimatedMesh("*1haze" + std::to_string(n++),
                                  box(p - Vec3{8, 0, 8}, p + Vec3{8, 10, 8}, 16, 1e9, BOX_NO_BOTTOM),
                                  TEX_HAZE, {{0, p + Vec3{0, 14, 0}}});
        }
    n = 1;
    for (int k = 0; k < 4; ++k) {
        const double a = PI / 2 * k + PI / 4;
        const Vec3 p = BALL + Vec3{48 * std::cos(a), k % 2 ? -22.0 : 6.0, 48 * std::sin(a)};
        scene.addAnimatedMesh("*2spark" + std::to_string(n++),
                              box(p - Vec3{0.5, 0.5, 0.5}, p + Vec3{0.5, 0.5, 0.5}, 1), TEX_SPARKLE,
                              {{0, p}});
    }
    for (int quarter = 0; quarter < 4; ++quarter) {
        // Little hanging flakes: the emission points mix the coordinates of their corners.
        const double x0 = quarter % 2 ? 20 : -230, z0 = quarter / 2 ? 20 : -230;
        MeshData flakes;
        for (int i = 0; i < 8; ++i) {
            const double x = x0 + 210.0 * ((i * 3) % 8) / 7, z = z0 + 210.0 * i / 7;
            flakes.append(grid({x, 235, z}, {1.5, 0, 0}, {0, 0, -1.5}, 1, 1, 1, 1));
        }
        scene.addAnimatedMesh("*3conf" + std::to_string(quarter + 1), flakes, TEX_CONFETTI,
                              {{0, {x0 + 105, 235, z0 + 105}}});
    }

    // The lights, in file order: spot1 to spot4, then the strobe set wash1..wash4.
    // The spots stay on to the end, so they carry the room once the washes have gone dark.
    scene.addMovingLight("spot1", {0.9f, 0.15f, 0.7f}, 320, sweep(190, 170, 11, 0));
    scene.addMovingLight("spot2", {0.15f, 0.75f, 0.9f}, 320, sweep(190, 170, 13, PI));
    scene.addMovingLight("spot3", {0.95f, 0.7f, 0.2f}, 320, sweep(260, 200, 17, PI / 2));
    scene.addMovingLight("spot4", {0.5f, 0.3f, 1.0f}, 320, sweep(260, 200, 19, 3 * PI / 2));
    scene.addMovingLight("wash1", {0.75f, 0.1f, 0.08f}, 900, drift({-330, 280, 0}, 40, 23));
    scene.addMovingLight("wash2", {0.08f, 0.65f, 0.16f}, 900, drift({0, 280, -330}, 40, 29));
    scene.addMovingLight("wash3", {0.12f, 0.2f, 0.85f}, 900, drift({330, 280, 0}, 40, 31));
    scene.addMovingLight("wash4", {1.6f, 1.6f, 1.6f}, 600, drift({0, 300, 0}, 30, 17));

    addCrowd(scene);
    addBallSpots(scene);
    addCameras(scene);
    return scene.finish();
}

} // namespace pelx

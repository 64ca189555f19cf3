// The disco scene, "the finale": a club with a raised chequered dance floor, a DJ booth, speaker
// stacks, pillars, a bar along one wall, a lighting truss with four moving heads throwing "%"
// beams, and a turning mirror ball. Flares of all four kinds take the lights' colours: "*0"
// bulbs along the bar, "*1" haze from smoke machines at the floor's corners, "*2" sparkles
// round the ball, "*3" confetti over the floor. Six lights, none baked: two coloured spots
// sweeping the floor, then, last in the file, the strobe set: a red wash (dark from 85 s), a
// green wash (dark from 55 s), a blue wash (dark from 25 s) and the white strobe over the floor.
// The camera enters, circles the floor as the strobe starts, cuts faster, then pulls up and out.
#include "scene_common.h"
#include "textures.h"

#include <cmath>
#include <numbers>
#include <string>

namespace pelx {

namespace {

using namespace datagen;

constexpr int SECONDS = 115;
constexpr double PI = std::numbers::pi;
// The club: x -500..500, z -500..500, y 0..360; the dance floor x, z -250..250, 8 high.
constexpr double HALF = 500, HEIGHT = 360, FLOOR_HALF = 250, FLOOR_TOP = 8;
constexpr double TRUSS_Y = 320, TRUSS_HALF = 250;
const Vec3 BALL{0, 270, 0};

// A head on the truss and its beam swinging below it: the beam turns about the head.
void addMovingHead(SceneBuilder& scene, int n, Vec3 head, Vec3 swingAxis, double period, double phase) {
    const int end = frameAt(SECONDS);
    scene.addMesh("!head" + std::to_string(n), box(head + Vec3{-10, -4, -10}, head + Vec3{10, 10, 10}, 20),
                  TEX_CHROME);
    std::vector<RotationKey> turns;
    double previous = 0;
    for (int f = 0;; f = std::min(f + 15, end)) {
        const double angle = 28 * std::sin(2 * PI * f / 30.0 / period + phase) - 28 * std::sin(phase);
        turns.push_back({f, angle - previous, swingAxis});
        previous = angle;
        if (f == end) break;
    }
    // Straight down from the head at the start; the texture is bright at the head.
    scene.addAnimatedMesh("%beam" + std::to_string(n), cone(head + Vec3{0, -4, 0}, {0, -1, 0}, 290, 55, 12),
                          TEX_BEAM, {{0, head}, {end, head}}, turns);
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
    const int enter = frameAt(25), circle = frameAt(55), finale = frameAt(85), end = frameAt(SECONDS);
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
    // Entering past the bar toward the floor.
    scene.addCamera("!cam1",
                    line(0, enter, 60, 60, {-250, 175, 490}, {-160, 110, 280}, {-100, 80, 100}, {0, 60, 0}));
    // Circling the floor once as the strobe starts.
    std::vector<CameraKey> round;
    for (int f = enter; f <= circle + 30; f += 30) {
        const double a = PI / 2 + 2 * PI * (f - enter) / (circle - enter);
        round.push_back({f, {420 * std::cos(a), 230, 420 * std::sin(a)}, {0, 60, 0}});
    }
    scene.addCamera("!cam2", round);
    // Faster cuts: across the floor low, from a high corner, from behind the booth, up at the ball.
    const int step = (finale - circle) / 4;
    scene.addCamera("!cam3", line(circle, circle + step, 30, 30, {-180, 40, 150}, {160, 45, 150},
                                  {-60, 60, -380}, {60, 60, -380}));
    scene.addCamera("!cam4", line(circle + step, circle + 2 * step, 30, 30, {470, 300, 370}, {440, 290, 260},
                                  {0, 0, 0}, {-40, 0, -40}));
    scene.addCamera("!cam5", line(circle + 2 * step, circle + 3 * step, 30, 30, {0, 180, -470},
                                  {60, 170, -450}, {0, 60, 200}, {-60, 60, 200}));
    scene.addCamera("!cam6",
                    line(circle + 3 * step, finale, 30, 30, {100, 120, 120}, {-100, 140, 100}, BALL, BALL));
    // Pulling up and out to the corner under the ceiling while the end picture fades in.
    scene.addCamera("!cam7",
                    line(finale, end, 0, 60, {0, 120, 300}, {-380, 335, 470}, {0, 40, 0}, {0, 0, -40}));
}

} // namespace

SceneModel buildDiscoScene() {
    SceneBuilder scene(frameAt(SECONDS));

    // The room.
    scene.addMesh("!floor", grid({-HALF, 0, HALF}, {2 * HALF, 0, 0}, {0, 0, -2 * HALF}, 10, 10, 10, 10),
                  TEX_CONCRETE);
    scene.addMesh(
        "!dance",
        box({-FLOOR_HALF, 0, -FLOOR_HALF}, {FLOOR_HALF, FLOOR_TOP, FLOOR_HALF}, 125, 50, BOX_NO_BOTTOM),
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

    // Booth, speakers, pillars, bar.
    scene.addMesh("booth", box({-120, 0, -420}, {120, 110, -330}, 60, 60, BOX_NO_BOTTOM), TEX_CHROME);
    int n = 1;
    for (int sx = -1; sx <= 1; sx += 2)
        for (int sz = -1; sz <= 1; sz += 2) {
            const double x = sx * 330, z = sz * 330;
            scene.addMesh("spk" + std::to_string(n++),
                          box({x - 35, 0, z - 30}, {x + 35, 160, z + 30}, 70, 80, BOX_NO_BOTTOM),
                          TEX_SPEAKER);
        }
    n = 1;
    for (int sx = -1; sx <= 1; sx += 2)
        for (int sz = -1; sz <= 1; sz += 2)
            scene.addMesh("!pillar" + std::to_string(n++),
                          cylinder({sx * 420.0, 0, sz * 420.0}, 25, HEIGHT, 8, 1, 2, 120, false, false),
                          TEX_CHROME);
    scene.addMesh("bar", box({380, 0, -300}, {460, 105, 300}, 60, 75, BOX_NO_BOTTOM), TEX_WOOD);

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
    addMovingHead(scene, 1, {-TRUSS_HALF, TRUSS_Y - 16, -TRUSS_HALF}, {1, 0, 0}, 6.0, 0.0);
    addMovingHead(scene, 2, {TRUSS_HALF, TRUSS_Y - 16, -TRUSS_HALF}, {0, 0, 1}, 7.0, 1.3);
    addMovingHead(scene, 3, {-TRUSS_HALF, TRUSS_Y - 16, TRUSS_HALF}, {0, 0, 1}, 5.0, 2.1);
    addMovingHead(scene, 4, {TRUSS_HALF, TRUSS_Y - 16, TRUSS_HALF}, {1, 0, 0}, 8.0, 0.7);

    // The mirror ball turns on its cord.
    const int end = frameAt(SECONDS);
    std::vector<RotationKey> spin;
    for (int f = 0; f <= end; f += 30) spin.push_back({f, f == 0 ? 0.0 : 20.0, {0, 1, 0}});
    scene.addAnimatedMesh("!ball", sphere(BALL, 30, 12, 8), TEX_CHROME, {{0, BALL}, {end, BALL}}, spin);
    scene.addMesh("!cord", box(BALL + Vec3{-1, 30, -1}, {1, HEIGHT, 1}, 20, 1e9, BOX_ALL & ~BOX_TOP),
                  TEX_CHROME);

    // Flare carriers: bulbs along the bar and under the truss, smoke machines at the floor's
    // corners, sparkle points round the ball, and confetti scattered over the floor.
    n = 1;
    for (double z = -262.5; z < 300; z += 75) {
        // Sitting on the bar top: no bottom face on it.
        const Vec3 p{420, 109, z};
        scene.addAnimatedMesh("*0bulb" + std::to_string(n++),
                              box(p - Vec3{2, 4, 2}, p + Vec3{2, 0, 2}, 4, 1e9, BOX_NO_BOTTOM), TEX_BULB,
                              {{0, p}});
    }
    for (int sz = -1; sz <= 1; sz += 2)
        for (double x = -225; x <= 225; x += 50) {
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
    for (int k = 0; k < 8; ++k) {
        const double a = PI / 4 * k + PI / 8;
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

    // The lights, in file order: spot1, spot2, then the strobe set wash1..wash4.
    scene.addMovingLight("spot1", {0.9f, 0.15f, 0.7f}, 240, sweep(190, 150, 11, 0));
    scene.addMovingLight("spot2", {0.15f, 0.75f, 0.9f}, 240, sweep(190, 150, 13, PI));
    scene.addMovingLight("wash1", {0.75f, 0.1f, 0.08f}, 900, drift({-330, 280, 0}, 40, 23));
    scene.addMovingLight("wash2", {0.08f, 0.65f, 0.16f}, 900, drift({0, 280, -330}, 40, 29));
    scene.addMovingLight("wash3", {0.12f, 0.2f, 0.85f}, 900, drift({330, 280, 0}, 40, 31));
    scene.addMovingLight("wash4", {1.6f, 1.6f, 1.6f}, 600, drift({0, 300, 0}, 30, 17));

    addCameras(scene);
    return scene.finish();
}

} // namespace pelx

// The road scene, "the logo is written in fire": a night avenue of house fronts running down to a
// stone plaza, street lamps with rising flames, a car driving down to the plaza with its
// headlights, and the open square where the fire logo is written (x 1..320, z -50..149, y 10).
// Cameras: a crane shot over the avenue, a low shot tracking the car, then a slow circle down
// to a steady view from the avenue's side of the plaza, from which the whole logo reads.
#include "logo_mask.h"
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
constexpr double SECONDS = ROAD_SCENE.length;
constexpr double PI = std::numbers::pi;

// The avenue runs along z between house fronts at x = 10 and x = 310; the plaza is
// x -240..560, z -350..450.
constexpr double AVENUE_START = 450, AVENUE_END = 2050;
constexpr double PLAZA_WEST = -240, PLAZA_EAST = 560, PLAZA_NORTH = -350;
constexpr double ROAD_WEST = 60, ROAD_EAST = 260, FRONT_WEST = 10, FRONT_EAST = 310;
constexpr double CAR_LANE = 200;

std::string numbered(const char* prefix, int n) {
    char text[64];
    std::snprintf(text, sizeof text, "%s%02d", prefix, n);
    return text;
}

// Where the car's centre stands on the road at a given second: it drives down the avenue and
// stops at the plaza's edge with its lights on the square.
Vec3 carAt(double seconds) {
    struct Stop {
        double t, z;
    };
    static const Stop stops[] = {{0, 2150}, {42, 617}, {44, 560}, {46, 541}, {SECONDS, 540}};
    double z = stops[0].z;
    for (size_t i = 1; i < std::size(stops); ++i)
        if (seconds <= stops[i].t) {
            const double f = (seconds - stops[i - 1].t) / (stops[i].t - stops[i - 1].t);
            z = stops[i - 1].z + (stops[i].z - stops[i - 1].z) * f;
            break;
        } else {
            z = stops[i].z;
        }
    return {CAR_LANE, 0, z};
}

const double CAR_KEY_SECONDS[] = {0, 42, 44, 46, SECONDS};

// The car at the origin, facing -z: a painted body with bonnet, cabin and boot, glass in its
// cabin, round wheels with hubs, and lamps that glow. The body's side profile (z, y), a convex
// outline from the front bumper's foot round over the boot and the bonnet.
const double CAR_PROFILE[][2] = {{-46, 6}, {46, 6},   {46.5, 14},  {45, 19},
                                 {28, 21}, {-16, 21}, {-43, 18.5}, {-46.5, 14}};
constexpr double CAR_HALF_WIDTH = 20, WHEEL_RADIUS = 9, WHEEL_Z = 30;

// The body: both sides fanned from the profile's middle and the band round its outline.
MeshData carBody() {
    MeshData body;
    const size_t count = std::size(CAR_PROFILE);
    for (int side = -1; side <= 1; side += 2) {
        const double x = side * CAR_HALF_WIDTH;
        const uint32_t centre = body.addVertex({x, 13, 0}, 0, 0.4);
        const auto first = static_cast<uint32_t>(body.positions.size());
        for (const auto& p : CAR_PROFILE) body.addVertex({x, p[1], p[0]}, p[0] / 46.0, p[1] / 30.0);
        for (size_t i = 0; i < count; ++i)
            body.addTriangle(centre, first + static_cast<uint32_t>(i),
                             first + static_cast<uint32_t>((i + 1) % count));
    }
    double along = 0;
    for (size_t i = 0; i < count; ++i) {
        const auto& p = CAR_PROFILE[i];
        const auto& q = CAR_PROFILE[(i + 1) % count];
        const double next = along + std::hypot(q[0] - p[0], q[1] - p[1]);
        body.append(grid({-CAR_HALF_WIDTH, p[1], p[0]}, {2 * CAR_HALF_WIDTH, 0, 0},
                         {0, q[1] - p[1], q[0] - p[0]}, 2, 1, 1.3, (next - along) / 30.0, 0, along / 30.0));
        along = next;
    }
    return body;
}

// The cabin between the body's top at the windscreen's foot and the boot, narrowing to the
// roof: its four sloping sides are split into window panes (glass) and the pillars and sills
// round them (paint); the roof is paint.
void carCabin(MeshData& paint, MeshData& glass) {
    const double y0 = 21, y1 = 33, front0 = -16, back0 = 28, front1 = -2, back1 = 17, half0 = 19,
                 half1 = 15.5;
    // A sloping side from its lower edge (a0, b0) to its upper edge (a1, b1); cuts along each
    // edge and up; cell (i, j) is glass where isGlass says so.
    auto side = [&](Vec3 a0, Vec3 b0, Vec3 a1, Vec3 b1, const std::vector<double>& along,
                    const std::vector<double>& up, auto isGlass) {
        for (size_t j = 0; j + 1 < up.size(); ++j)
            for (size_t i = 0; i + 1 < along.size(); ++i) {
                auto at = [&](double s, double t) { return mix(mix(a0, b0, s), mix(a1, b1, s), t); };
                const bool pane = isGlass(i, j);
                MeshData& m = pane ? glass : paint;
                const double s0 = along[i], s1 = along[i + 1], t0 = up[j], t1 = up[j + 1];
                // A pane shows the whole window picture; paint takes the body's scale.
                auto uv = [&](double s, double t, double& u, double& v) {
                    if (pane) {
                        u = (s - s0) / (s1 - s0);
                        v = 1 - (t - t0) / (t1 - t0);
                    } else {
                        u = s * 1.5;
                        v = t * 0.4;
                    }
                };
                double u[4], v[4];
                const double ss[4] = {s0, s1, s1, s0}, tt[4] = {t0, t0, t1, t1};
                uint32_t k[4];
                for (int c = 0; c < 4; ++c) {
                    uv(ss[c], tt[c], u[c], v[c]);
                    k[c] = m.addVertex(at(ss[c], tt[c]), u[c], v[c]);
                }
                m.addQuad(k[0], k[1], k[2], k[3]);
            }
    };
    const std::vector<double> rim{0, 0.1, 0.9, 1};
    auto middle = [](size_t i, size_t j) { return i == 1 && j == 1; };
    for (int sd = -1; sd <= 1; sd += 2) {
        // Two side windows with a pillar between them.
        side({sd * half0, y0, front0}, {sd * half0, y0, back0}, {sd * half1, y1, front1},
             {sd * half1, y1, back1}, {0, 0.07, 0.47, 0.53, 0.93, 1}, rim,
             [](size_t i, size_t j) { return j == 1 && (i == 1 || i == 3); });
    }
    side({-half0, y0, front0}, {half0, y0, front0}, {-half1, y1, front1}, {half1, y1, front1},
         {0, 0.05, 0.95, 1}, rim, middle); // windscreen
    side({half0, y0, back0}, {-half0, y0, back0}, {half1, y1, back1}, {-half1, y1, back1}, {0, 0.06, 0.94, 1},
         rim, middle); // rear window
    paint.append(grid({-half1 - 0.3, y1, back1 + 0.3}, {2 * half1 + 0.6, 0, 0}, {0, 0, front1 - back1 - 0.6},
                      2, 2, 1, 1));
}

// A wheel standing on the road, its axle along x; outer says which side faces out.
void carWheel(MeshData& tyres, MeshData& hubs, double xInner, double xOuter, double z) {
    const int sides = 16;
    const Vec3 centre{0, WHEEL_RADIUS, z};
    auto rim = [&](double x, double radius, int i) {
        const double a = 2 * PI * i / sides;
        return Vec3{x, centre.y + radius * std::cos(a), z + radius * std::sin(a)};
    };
    for (int i = 0; i < sides; ++i) {
        const uint32_t a = tyres.addVertex(rim(xInner, WHEEL_RADIUS, i), 0, i / 4.0);
        const uint32_t b = tyres.addVertex(rim(xOuter, WHEEL_RADIUS, i), 1, i / 4.0);
        const uint32_t c = tyres.addVertex(rim(xOuter, WHEEL_RADIUS, i + 1), 1, (i + 1) / 4.0);
        const uint32_t d = tyres.addVertex(rim(xInner, WHEEL_RADIUS, i + 1), 0, (i + 1) / 4.0);
        tyres.addQuad(a, b, c, d);
    }
    // The tyre's wall round the hub, then the hub a hair outside it.
    const double out = xOuter > xInner ? 0.15 : -0.15;
    for (int i = 0; i < sides; ++i) {
        const uint32_t a = tyres.addVertex(rim(xOuter, WHEEL_RADIUS, i), 0.1, 0.1);
        const uint32_t b = tyres.addVertex(rim(xOuter, WHEEL_RADIUS, i + 1), 0.2, 0.1);
        const uint32_t c = tyres.addVertex(rim(xOuter, 5.5, i + 1), 0.2, 0.3);
        const uint32_t d = tyres.addVertex(rim(xOuter, 5.5, i), 0.1, 0.3);
        tyres.addQuad(a, b, c, d);
    }
    const uint32_t hub = hubs.addVertex({xOuter + out, centre.y, z}, 0.5, 0.5);
    for (int i = 0; i < sides; ++i) {
        const double a0 = 2 * PI * i / sides, a1 = 2 * PI * (i + 1) / sides;
        hubs.addTriangle(hub, hubs.addVertex(rim(xOuter + out, 5.5, i), 0.5 + 0.5 * std::cos(a0), 0.5),
                         hubs.addVertex(rim(xOuter + out, 5.5, i + 1), 0.5 + 0.5 * std::cos(a1), 0.5));
    }
}

void carWheels(MeshData& tyres, MeshData& hubs) {
    for (int side = -1; side <= 1; side += 2)
        for (int end = -1; end <= 1; end += 2)
            carWheel(tyres, hubs, side * (CAR_HALF_WIDTH - 4), side * (CAR_HALF_WIDTH + 1.5), end * WHEEL_Z);
}

// Lamp glass just proud of the nose and the tail, each a sprite quad a little larger than the
// lamp, so its glow spills round it.
MeshData carLampQuads(double z, double y, double inner, double outer, double height) {
    MeshData lamps;
    for (int side = -1; side <= 1; side += 2) {
        const double x0 = side < 0 ? -outer : inner, x1 = side < 0 ? -inner : outer;
        // Facing out of the car: from the front the quad runs toward +x, from behind toward -x.
        if (z < 0)
            lamps.append(grid({x0, y - height / 2, z}, {x1 - x0, 0, 0}, {0, height, 0}, 1, 1, 1, 1));
        else
            lamps.append(grid({x1, y - height / 2, z}, {x0 - x1, 0, 0}, {0, height, 0}, 1, 1, 1, 1));
    }
    return lamps;
}

// A street lamp: post and lantern, a flame on top, and the warm light it throws.
void addLamp(SceneBuilder& scene, int n, double x, double z, double reach = 240) {
    MeshData post = cylinder({x, 0, z}, 4, 140, 4, 1, 1, 70, false, false);
    post.append(box({x - 8, 140, z - 8}, {x + 8, 158, z + 8}, 16));
    scene.addMesh(numbered("!post", n), post, TEX_LAMP_METAL);
    // The flame carrier sits on the lantern; its one position key is where the flames rise.
    scene.addAnimatedMesh(numbered("*1lamp", n),
                          box({x - 3, 158, z - 3}, {x + 3, 164, z + 3}, 6, 1e9, BOX_NO_BOTTOM), TEX_FLAME,
                          {{0, {x, 161, z}}});
    // Above the lantern, so the post's own section rectangles never stand between the light
    // and the ground.
    scene.addStaticLight(numbered("&!lamp", n), {x, 175, z}, {0.8f, 0.5f, 0.22f}, reach);
}

// A house front on the avenue: walls with windows, a roof.
void addHouse(SceneBuilder& scene, const std::string& name, double x0, double x1, double z0, double z1,
              double height, bool facesEast) {
    const unsigned front = facesEast ? BOX_RIGHT : BOX_LEFT;
    scene.addMesh("!" + name, box({x0, 0, z0}, {x1, height, z1}, 95, 100, front | BOX_BACK | BOX_FRONT),
                  TEX_FACADE);
    scene.addMesh("!" + name + "r", box({x0, 0, z0}, {x1, height, z1}, 60, 100, BOX_TOP), TEX_ROOF);
}

// A tall block around the plaza: window walls and a roof.
void addBlock(SceneBuilder& scene, const std::string& name, Vec3 low, Vec3 high) {
    scene.addMesh("!" + name, box(low, high, 150, 150, BOX_NO_BOTTOM & ~BOX_TOP), TEX_WINDOWS);
    scene.addMesh("!" + name + "r", box(low, high, 80, 200, BOX_TOP), TEX_ROOF);
}

MeshData bench() {
    MeshData b;
    b.append(box({-30, 16, -9}, {30, 20, 9}, 20));                                         // seat
    b.append(box({-30, 20, 9}, {30, 42, 13}, 20, 1e9, BOX_ALL & ~BOX_BOTTOM));             // back
    b.append(box({-28, 0, -8}, {-24, 16, 8}, 20, 1e9, BOX_ALL & ~(BOX_TOP | BOX_BOTTOM))); // legs
    b.append(box({24, 0, -8}, {28, 16, 8}, 20, 1e9, BOX_ALL & ~(BOX_TOP | BOX_BOTTOM)));
    return b;
}

// Where the fire logo's word lies in the world: mask column c at x = 320 - c, row r at
// z = r - 50, in the plane y = 10. Without a mask the whole logo area stands in for it.
struct WordBounds {
    double left = 1, right = 320, far = -50, nearSide = 149;
};
WordBounds logoWordBounds() {
    static const WordBounds bounds = [] {
        LogoMask logo;
        WordBounds b;
        if (!buildLogoMask(logo)) return b;
        b.left = 320 - logo.right;
        b.right = 320 - logo.left;
        b.far = logo.top - 50;
        b.nearSide = logo.bottom - 50;
        return b;
    }();
    return bounds;
}
Vec3 logoWordCentre() {
    const WordBounds b = logoWordBounds();
    return {(b.left + b.right) / 2, 10, (b.far + b.nearSide) / 2};
}
double logoWordWidth() {
    return logoWordBounds().right - logoWordBounds().left;
}

void addCameras(SceneBuilder& scene) {
    const int cut1 = frameAt(20), cut2 = frameAt(45), steady = frameAt(50), end = frameAt(SECONDS);

    // Crane: high over the avenue, descending toward the plaza.
    std::vector<CameraKey> crane;
    for (int f = 0; f <= cut1; f += 75) {
        const double s = static_cast<double>(f) / cut1, e = s * s * (3 - 2 * s);
        crane.push_back(
            {f, mix({160, 950, 2450}, {160, 300, 830}, e), mix({160, 0, 1450}, {160, 0, 240}, e)});
    }
    // The last key is never reached on screen (the next camera takes over); it carries the
    // motion on.
    const CameraKey& a = crane[crane.size() - 2];
    const CameraKey& b = crane.back();
    crane.push_back({cut1 + 75, b.eye + (b.eye - a.eye), b.target + (b.target - a.target)});
    scene.addCamera("!cam1", crane);

    // Low behind the car and to its left, following it down the avenue.
    std::vector<CameraKey> track;
    for (int f = cut1; f <= cut2 + 30; f += 30) {
        const double t = f / 30.0;
        const Vec3 car = carAt(t);
        const double side = -70 - 15 * std::sin(t * 0.3);
        track.push_back({f, car + Vec3{side, 65, 190}, car + Vec3{0, 15, -120}});
    }
    scene.addCamera("!cam2", track);

    // Over the plaza: a quarter circle down to the avenue's side, ending still above the word
    // the walker writes, close enough for the word to fill about half the view.
    const Vec3 word = logoWordCentre();
    const Vec3 finalOffset = Vec3{0, 180, 130} * (logoWordWidth() * 2.2 / 222.0);
    std::vector<CameraKey> plaza;
    const Vec3 centre{160, 0, 50};
    for (int f = cut2; f <= steady; f += 15) {
        const double s = static_cast<double>(f - cut2) / (steady - cut2), e = s * s * (3 - 2 * s);
        const double angle = (-30 + 120 * e) * PI / 180, radius = 560 - 310 * e, height = 620 - 240 * e;
        const Vec3 circling = centre + Vec3{radius * std::cos(angle), height, radius * std::sin(angle)};
        // The circle carries the eye round; the last stretch eases it in onto the word.
        const double settle = std::pow(e, 3);
        plaza.push_back({f, mix(circling, word + finalOffset, settle), mix({160, 0, 45}, word, e)});
    }
    const CameraKey hold = plaza.back();
    for (int f = steady + 60; f <= end; f += 60) plaza.push_back({f, hold.eye, hold.target});
    if (plaza.back().frame != end) plaza.push_back({end, hold.eye, hold.target});
    scene.addCamera("!cam3", plaza);
}

} // namespace

SceneModel buildRoadScene() {
    SceneBuilder scene(frameAt(SECONDS));

    // Ground: the plaza in cobbles, the avenue's road and pavements; all flat, none casts.
    scene.addMesh("!plaza",
                  grid({PLAZA_WEST, 0, AVENUE_START}, {PLAZA_EAST - PLAZA_WEST, 0, 0},
                       {0, 0, PLAZA_NORTH - AVENUE_START}, 12, 12, 8, 8),
                  TEX_COBBLE);
    scene.addMesh("!road",
                  grid({ROAD_WEST, 0, AVENUE_END}, {ROAD_EAST - ROAD_WEST, 0, 0},
                       {0, 0, AVENUE_START - AVENUE_END}, 4, 32, 1, 8),
                  TEX_ROAD);
    scene.addMesh("!walkW",
                  grid({FRONT_WEST, 0, AVENUE_END}, {ROAD_WEST - FRONT_WEST, 0, 0},
                       {0, 0, AVENUE_START - AVENUE_END}, 1, 32, 1, 32),
                  TEX_STONE);
    scene.addMesh("!walkE",
                  grid({ROAD_EAST, 0, AVENUE_END}, {FRONT_EAST - ROAD_EAST, 0, 0},
                       {0, 0, AVENUE_START - AVENUE_END}, 1, 32, 1, 32),
                  TEX_STONE);

    // Houses along both sides, with narrow gaps between them.
    for (int i = 0; i < 8; ++i) {
        const double z0 = AVENUE_START + 5 + 200 * i, z1 = z0 + 190;
        addHouse(scene, numbered("houseW", i + 1), -110, FRONT_WEST, z0, z1, 95.0 * (3 + (i * 5) % 3), true);
        addHouse(scene, numbered("houseE", i + 1), FRONT_EAST, 430, z0, z1, 95.0 * (3 + (i * 5 + 1) % 3),
                 false);
    }
    // Blocks around the plaza.
    addBlock(scene, "palace", {PLAZA_WEST, 0, -460}, {PLAZA_EAST, 475, PLAZA_NORTH});
    addBlock(scene, "blockW", {-350, 0, PLAZA_NORTH}, {PLAZA_WEST, 380, 445});
    addBlock(scene, "blockE", {PLAZA_EAST, 0, PLAZA_NORTH}, {670, 380, 445});
    addBlock(scene, "cornerW", {-350, 0, AVENUE_START}, {-120, 285, 640});
    addBlock(scene, "cornerE", {440, 0, AVENUE_START}, {670, 285, 640});

    // Benches and planters on the square, well clear of the logo.
    const struct {
        double x, z, turn;
    } benches[] = {{-90, 50, PI / 2}, {410, 50, -PI / 2}, {60, -200, 0}, {260, -200, 0}};
    int n = 1;
    for (const auto& b : benches)
        scene.addMesh(numbered("bench", n++), translated(turnedY(bench(), {}, b.turn), {b.x, 0, b.z}),
                      TEX_WOOD);
    scene.addMesh("planter1", box({-200, 0, -320}, {-140, 40, -260}, 30, 1e9, BOX_NO_BOTTOM), TEX_STONE);
    scene.addMesh("planter2", box({460, 0, -320}, {520, 40, -260}, 30, 1e9, BOX_NO_BOTTOM), TEX_STONE);

    // Street lamps every 200 units on both pavements, and a ring of them round the square.
    n = 1;
    for (int k = 0; k < 8; ++k) {
        addLamp(scene, n++, ROAD_WEST - 10, 550 + 200 * k);
        addLamp(scene, n++, ROAD_EAST + 10, 550 + 200 * k);
    }
    const double plazaLamps[][2] = {{-120, -170}, {440, -170}, {-120, 270}, {440, 270},
                                    {160, -270},  {-170, 50},  {490, 50},   {160, 390}};
    // The square's lamps reach further: their pools meet round the logo.
    for (const auto& p : plazaLamps) addLamp(scene, n++, p[0], p[1], 310);

    // Cold moonlight over everything, baked with the houses' shadows.
    scene.addStaticLight("&!moon", {900, 1800, 1000}, {0.3f, 0.36f, 0.68f}, 3000);

    // The car and its headlights: the lights ride ahead of it, where their pools fall.
    std::vector<PositionKey> carPath, left, right;
    for (double t : CAR_KEY_SECONDS) {
        const Vec3 c = carAt(t);
        carPath.push_back({frameAt(t), c});
        left.push_back({frameAt(t), c + Vec3{-20, 30, -120}});
        right.push_back({frameAt(t), c + Vec3{20, 30, -120}});
    }
    MeshData paint = carBody(), glass, tyres, hubs;
    carCabin(paint, glass);
    carWheels(tyres, hubs);
    const Vec3 start = carAt(0);
    scene.addAnimatedMesh("car", translated(paint, start), TEX_CAR_PAINT, carPath);
    scene.addAnimatedMesh("!carglass", translated(glass, start), TEX_CAR_GLASS, carPath);
    scene.addAnimatedMesh("!cartyres", translated(tyres, start), TEX_RUBBER, carPath);
    scene.addAnimatedMesh("!carhubs", translated(hubs, start), TEX_CHROME, carPath);
    // The lamps glow by themselves ("$": never darkened by the lighting) and add to the picture.
    scene.addAnimatedMesh("%$carhead", translated(carLampQuads(-46.8, 14.5, 7, 19, 7), start), TEX_LAMP_GLOW,
                          carPath);
    scene.addAnimatedMesh("%$cartail", translated(carLampQuads(46.9, 15, 8, 22, 8), start), TEX_TAIL_LAMP,
                          carPath);
    scene.addMovingLight("!headL", {1.0f, 0.93f, 0.75f}, 170, left);
    scene.addMovingLight("!headR", {1.0f, 0.93f, 0.75f}, 170, right);

    addCameras(scene);
    return scene.finish();
}

} // namespace pelx

// The room scene, "a quiet room by candlelight": a papered room with a wooden floor, a window of
// "%" glass panes with the day outside (baked daylight falls through the panes as a translucent
// shadow), a table with three candles carrying small rising flames, a floor lamp under a "%"
// shade, and a ceiling lamp swinging on its cord, whose light moves the shadows of the table
// and chairs. The camera walks in from the hall, looks across from the window, and ends close
// on the candles.
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
constexpr double SECONDS = ROOM_SCENE.length;
constexpr double PI = std::numbers::pi;
// The room: x -250..250, z -300..300, y 0..300; the door in the wall at z = 300, the window in
// the wall at x = -250.
constexpr double WEST = -250, EAST = 250, NORTH = -300, SOUTH = 300, HEIGHT = 300;
constexpr double DOOR_LEFT = 60, DOOR_RIGHT = 160, DOOR_TOP = 220;
constexpr double WINDOW_NORTH = -120, WINDOW_SOUTH = 120, WINDOW_BOTTOM = 90, WINDOW_TOP = 250;
constexpr double WALLPAPER_TILE = 100;
const Vec3 SWING_PIVOT{40, HEIGHT, 0};
constexpr double SWING_CORD = 95; // from the pivot to the bulb

// A piece of the window wall (x = WEST) seen from inside: z from zSouth down to zNorth, y from
// y0 to y1, its wallpaper lined up with the rest of the wall.
MeshData windowWallPiece(double zSouth, double zNorth, double y0, double y1) {
    const int cellsU = std::max(1, static_cast<int>((zSouth - zNorth) / 50)),
              cellsV = std::max(1, static_cast<int>((y1 - y0) / 50));
    return grid({WEST, y0, zSouth}, {0, 0, zNorth - zSouth}, {0, y1 - y0, 0}, cellsU, cellsV,
                (zSouth - zNorth) / WALLPAPER_TILE, (y1 - y0) / WALLPAPER_TILE,
                (SOUTH - zSouth) / WALLPAPER_TILE, (HEIGHT - y1) / WALLPAPER_TILE);
}

// The front wall (z = SOUTH) with the door left open, seen from inside.
MeshData frontWall() {
    MeshData wall;
    auto piece = [&](double xRight, double xLeft, double y0, double y1) {
        const int cellsU = std::max(1, static_cast<int>((xRight - xLeft) / 50)),
                  cellsV = std::max(1, static_cast<int>((y1 - y0) / 50));
        wall.append(grid({xRight, y0, SOUTH}, {xLeft - xRight, 0, 0}, {0, y1 - y0, 0}, cellsU, cellsV,
                         (xRight - xLeft) / WALLPAPER_TILE, (y1 - y0) / WALLPAPER_TILE,
                         (EAST + 10 - xRight) / WALLPAPER_TILE, (HEIGHT - y1) / WALLPAPER_TILE));
    };
    // It reaches past the east wall to meet the hall's wall.
    piece(EAST + 10, DOOR_RIGHT, 0, HEIGHT);
    piece(DOOR_RIGHT, DOOR_LEFT, DOOR_TOP, HEIGHT);
    piece(DOOR_LEFT, WEST, 0, HEIGHT);
    return wall;
}

MeshData table() {
    MeshData t = box({-80, 72, -50}, {80, 78, 50}, 60, 20);
    for (int sx = -1; sx <= 1; sx += 2)
        for (int sz = -1; sz <= 1; sz += 2)
            t.append(box({sx * 72.0 - 3, 0, sz * 42.0 - 3}, {sx * 72.0 + 3, 72, sz * 42.0 + 3}, 30, 1e9,
                         BOX_ALL & ~(BOX_TOP | BOX_BOTTOM)));
    return t;
}

// A chair at the origin with its back toward -z.
MeshData chair() {
    MeshData c = box({-20, 42, -20}, {20, 46, 20}, 40);
    c.append(box({-20, 46, -20}, {20, 100, -16}, 40, 1e9, BOX_ALL & ~BOX_BOTTOM));
    for (int sx = -1; sx <= 1; sx += 2)
        for (int sz = -1; sz <= 1; sz += 2)
            c.append(box({sx * 17.0 - 1.5, 0, sz * 17.0 - 1.5}, {sx * 17.0 + 1.5, 42, sz * 17.0 + 1.5}, 30,
                         1e9, BOX_ALL & ~(BOX_TOP | BOX_BOTTOM)));
    return c;
}

// A candle's wick: a short dark stub out of the wax. It is also the carrier of the candle's
// flame, so its texture coordinates all sit on the flame sprite's black border.
MeshData wick(Vec3 base) {
    MeshData m = cylinder(base, 0.3, 1.6, 5, 1, 1, 2, true, false);
    for (size_t i = 0; i < m.uvs.size(); ++i) m.uvs[i] = {0.004f + 0.008f * (i % 2), 0.006f};
    return m;
}

// A carrier no one sees: one small triangle inside the wick.
MeshData hiddenInWick(Vec3 base) {
    MeshData m;
    m.addTriangle(m.addVertex(base + Vec3{-0.15, 0.4, 0}, 0.004, 0.006),
                  m.addVertex(base + Vec3{0.15, 0.4, 0}, 0.012, 0.006),
                  m.addVertex(base + Vec3{0, 1.0, 0}, 0.008, 0.012));
    return m;
}

double swingAngle(double seconds) {
    return 24.0 * std::sin(2 * PI * seconds / 3.2);
}

void addWindow(SceneBuilder& scene) {
    // The wall around the opening in four pieces, each only as large as itself: one mesh
    // around the hole would hold the hole in its section rectangle and shade the daylight.
    scene.addMesh("!wallW1", windowWallPiece(SOUTH, WINDOW_SOUTH, 0, HEIGHT), TEX_WALLPAPER);
    scene.addMesh("!wallW2", windowWallPiece(WINDOW_NORTH, NORTH, 0, HEIGHT), TEX_WALLPAPER);
    scene.addMesh("!wallW3", windowWallPiece(WINDOW_SOUTH, WINDOW_NORTH, 0, WINDOW_BOTTOM), TEX_WALLPAPER);
    scene.addMesh("!wallW4", windowWallPiece(WINDOW_SOUTH, WINDOW_NORTH, WINDOW_TOP, HEIGHT), TEX_WALLPAPER);

    // Frame and mullions, each bar its own mesh for the same reason; the faces where bars
    // meet are left out.
    const unsigned noEnds = BOX_ALL & ~(BOX_TOP | BOX_BOTTOM);
    const unsigned noSides = BOX_ALL & ~(BOX_BACK | BOX_FRONT);
    scene.addMesh(
        "!winT",
        box({WEST - 6, WINDOW_TOP - 6, WINDOW_NORTH - 6}, {WEST + 6, WINDOW_TOP + 6, WINDOW_SOUTH + 6}, 30),
        TEX_WOOD);
    scene.addMesh("!winB",
                  box({WEST - 6, WINDOW_BOTTOM - 6, WINDOW_NORTH - 6},
                      {WEST + 6, WINDOW_BOTTOM + 6, WINDOW_SOUTH + 6}, 30),
                  TEX_WOOD);
    scene.addMesh("!winN",
                  box({WEST - 6, WINDOW_BOTTOM + 6, WINDOW_NORTH - 6},
                      {WEST + 6, WINDOW_TOP - 6, WINDOW_NORTH + 6}, 30, 1e9, noEnds),
                  TEX_WOOD);
    scene.addMesh("!winS",
                  box({WEST - 6, WINDOW_BOTTOM + 6, WINDOW_SOUTH - 6},
                      {WEST + 6, WINDOW_TOP - 6, WINDOW_SOUTH + 6}, 30, 1e9, noEnds),
                  TEX_WOOD);
    scene.addMesh("!mullV",
                  box({WEST - 3, WINDOW_BOTTOM + 6, -3}, {WEST + 3, WINDOW_TOP - 6, 3}, 30, 1e9, noEnds),
                  TEX_WOOD);
    scene.addMesh("!mullHN", box({WEST - 3, 167, WINDOW_NORTH + 6}, {WEST + 3, 173, -3}, 30, 1e9, noSides),
                  TEX_WOOD);
    scene.addMesh("!mullHS", box({WEST - 3, 167, 3}, {WEST + 3, 173, WINDOW_SOUTH - 6}, 30, 1e9, noSides),
                  TEX_WOOD);

    // Four "%" panes: added over what is behind them, and a translucent shadow for the sun.
    int n = 1;
    for (double z0 : {WINDOW_NORTH, 0.0})
        for (double y0 : {WINDOW_BOTTOM, 170.0}) {
            const double z1 = z0 + 120, y1 = y0 + 80;
            scene.addMesh("%$glass" + std::to_string(n++),
                          grid({WEST, y0, z1}, {0, 0, z0 - z1}, {0, y1 - y0, 0}, 2, 2, 1, 1), TEX_GLASS);
        }
    // The day outside: a picture added over the dark, lit by the sun behind it.
    scene.addMesh("%$view", grid({WEST - 50, 60, 160}, {0, 0, -320}, {0, 220, 0}, 2, 2, 1, 1), TEX_DAYLIGHT);
    // Curtains beside the window.
    scene.addMesh("!curtN", grid({WEST + 6, 60, WINDOW_NORTH - 6}, {0, 0, -60}, {0, 210, 0}, 2, 3, 2, 1),
                  TEX_CURTAIN);
    scene.addMesh("!curtS", grid({WEST + 6, 60, WINDOW_SOUTH + 66}, {0, 0, -60}, {0, 210, 0}, 2, 3, 2, 1),
                  TEX_CURTAIN);
}

void addSwingingLamp(SceneBuilder& scene) {
    MeshData lamp =
        box(SWING_PIVOT + Vec3{-1, -85, -1}, SWING_PIVOT + Vec3{1, 0, 1}, 20, 1e9, BOX_ALL & ~BOX_TOP);
    lamp.append(cone(SWING_PIVOT + Vec3{0, -85, 0}, {0, -1, 0}, 25, 22, 10));

    // It swings about the x axis through the pivot: the mesh by rotation keys, the bulb's
    // light along the same arc.
    const int end = frameAt(SECONDS);
    std::vector<RotationKey> turns;
    std::vector<PositionKey> bulb;
    double previous = 0;
    for (int f = 0;; f = std::min(f + 12, end)) {
        const double angle = swingAngle(f / 30.0);
        turns.push_back({f, angle - previous, {1, 0, 0}});
        previous = angle;
        bulb.push_back(
            {f, turnedAbout(SWING_PIVOT + Vec3{0, -SWING_CORD, 0}, SWING_PIVOT, {1, 0, 0}, angle)});
        if (f == end) break;
    }
    // Two keys at the pivot make the pivot the point it turns about.
    scene.addAnimatedMesh("!swing", lamp, TEX_LAMPSHADE, {{0, SWING_PIVOT}, {end, SWING_PIVOT}}, turns);
    scene.addMovingLight("!bulb", {1.0f, 0.82f, 0.55f}, 430, bulb);
}

void addCameras(SceneBuilder& scene) {
    // Walking in from the hall through the door.
    struct Point {
        double t;
        Vec3 eye, target;
    };
    const Point walk[] = {{0, {110, 168, 620}, {105, 150, 200}},
                          {5, {110, 166, 330}, {60, 130, -100}},
                          {8, {100, 163, 220}, {20, 110, -80}},
                          {11, {60, 160, 140}, {0, 100, -40}},
                          {12, {50, 158, 120}, {0, 100, -40}}};
    std::vector<CameraKey> in;
    for (int f = 0; f <= frameAt(12); f += 30) {
        const double t = f / 30.0;
        size_t i = 1;
        while (i + 1 < std::size(walk) && walk[i].t < t) ++i;
        const double s = (t - walk[i - 1].t) / (walk[i].t - walk[i - 1].t);
        in.push_back({f, mix(walk[i - 1].eye, walk[i].eye, s), mix(walk[i - 1].target, walk[i].target, s)});
    }
    scene.addCamera("!cam1", in);

    // From the far corner toward the window, the sun on the floor and the lamp swinging
    // over the table.
    std::vector<CameraKey> across;
    const int cut1 = frameAt(11), cut2 = frameAt(19), end = frameAt(SECONDS);
    for (int f = cut1; f <= cut2 + 30; f += 30) {
        const double s = static_cast<double>(f - cut1) / (cut2 - cut1);
        across.push_back(
            {f, mix({210, 195, 230}, {200, 185, 110}, s), mix({-250, 120, 20}, {-220, 100, -60}, s)});
    }
    scene.addCamera("!cam2", across);

    // Slowly down onto the candles.
    std::vector<CameraKey> close;
    for (int f = cut2; f <= end; f += 30) {
        const double s = static_cast<double>(f - cut2) / (end - cut2), e = 1 - (1 - s) * (1 - s);
        close.push_back({f, mix({-10, 140, 170}, {-2, 104, 42}, e), mix({0, 94, 4}, {0, 93, 2}, e)});
    }
    if (close.back().frame != end) close.push_back({end, {-2, 104, 42}, {0, 93, 2}});
    scene.addCamera("!cam3", close);
}

} // namespace

SceneModel buildRoomScene() {
    SceneBuilder scene(frameAt(SECONDS));

    scene.addMesh("!floor", grid({WEST, 0, SOUTH}, {EAST - WEST, 0, 0}, {0, 0, NORTH - SOUTH}, 10, 12, 4, 5),
                  TEX_WOOD_FLOOR);
    scene.addMesh("!ceil",
                  grid({WEST, HEIGHT, NORTH}, {EAST - WEST, 0, 0}, {0, 0, SOUTH - NORTH}, 5, 6, 4, 5),
                  TEX_PLASTER);
    scene.addMesh("!wallN", grid({WEST, 0, NORTH}, {EAST - WEST, 0, 0}, {0, HEIGHT, 0}, 10, 6, 5, 3),
                  TEX_WALLPAPER);
    scene.addMesh("!wallE", grid({EAST, 0, NORTH}, {0, 0, SOUTH - NORTH}, {0, HEIGHT, 0}, 12, 6, 6, 3),
                  TEX_WALLPAPER);
    scene.addMesh("!wallS", frontWall(), TEX_WALLPAPER);
    addWindow(scene);

    // The hall outside the door.
    scene.addMesh("!hall", grid({-40, 0, 640}, {300, 0, 0}, {0, 0, SOUTH - 640}, 3, 4, 2.5, 3),
                  TEX_WOOD_FLOOR);
    scene.addMesh("!hallW", grid({-40, 0, 640}, {0, 0, SOUTH - 640}, {0, HEIGHT, 0}, 4, 3, 3, 2),
                  TEX_PLASTER);
    scene.addMesh("!hallE", grid({EAST + 10, 0, SOUTH}, {0, 0, 640 - SOUTH}, {0, HEIGHT, 0}, 4, 3, 3, 2),
                  TEX_PLASTER);

    // Furniture: the table and chairs cast the moving shadows.
    scene.addMesh("table", table(), TEX_WOOD);
    scene.addMesh("chair1", translated(chair(), {0, 0, -95}), TEX_WOOD);
    scene.addMesh("chair2", translated(turnedY(chair(), {}, PI), {0, 0, 95}), TEX_WOOD);
    scene.addMesh("!shelf", box({-200, 0, NORTH + 6}, {-70, 210, NORTH + 50}, 70, 1e9, BOX_NO_BOTTOM),
                  TEX_WOOD);
    scene.addMesh("!rug", grid({-130, 1, 150}, {260, 0, 0}, {0, 0, -300}, 4, 4, 1, 1), TEX_RUG);

    // The floor lamp under its "%" shade.
    MeshData stand = cylinder({170, 0, -220}, 18, 3, 8, 1, 1, 10, true, false);
    stand.append(cylinder({170, 3, -220}, 3, 147, 6, 2, 1, 50, false, false));
    scene.addMesh("!stand", stand, TEX_LAMP_METAL);
    scene.addMesh("%shade", cylinder({170, 150, -220}, 30, 40, 8, 1, 1, 40, false, false), TEX_LAMPSHADE);

    // Candles of three heights in brass saucers on the table. Each wick carries a still flame
    // ("*0": its sprites stack on one spot into one soft flame) and hides a second carrier
    // whose thread of hot air ("*1") rises from the flame's tip.
    const struct {
        Vec3 base;
        double height;
    } candles[] = {{{-25, 78, 0}, 14}, {{0, 78, 12}, 18}, {{25, 78, -6}, 11}};
    MeshData wax, saucers;
    int n = 1;
    for (const auto& c : candles) {
        saucers.append(cylinder(c.base, 4.5, 1, 10, 1, 1, 4, true, false));
        const Vec3 top = c.base + Vec3{0, 1 + c.height, 0};
        wax.append(cylinder(c.base + Vec3{0, 1, 0}, 2.2, c.height, 10, 1, 1, 14, true, false));
        // The flame sprite's rounded base sits on the wick's tip, its point two units above.
        const Vec3 wickTop = top + Vec3{0, 1.6, 0};
        scene.addAnimatedMesh("*0flame" + std::to_string(n), wick(top), TEX_CANDLE_FLAME,
                              {{0, wickTop + Vec3{0, 0.72, 0}}});
        scene.addAnimatedMesh("*1wisp" + std::to_string(n), hiddenInWick(top), TEX_WISP,
                              {{0, wickTop + Vec3{0, 3.0, 0}}});
        ++n;
    }
    scene.addMesh("!candles", wax, TEX_CANDLE);
    scene.addMesh("!saucers", saucers, TEX_GOLD);

    addSwingingLamp(scene);

    // Baked light: the day through the window, a dim fill, the candles, the floor lamp and
    // the hall.
    scene.addStaticLight("&!sun", {-700, 450, 100}, {3.0f, 2.7f, 2.2f}, 1100);
    scene.addStaticLight("&!fill", {0, 280, 0}, {0.28f, 0.24f, 0.2f}, 520);
    scene.addStaticLight("&!candles", {0, 100, 2}, {0.9f, 0.55f, 0.2f}, 190);
    scene.addStaticLight("&!lamp", {170, 170, -220}, {0.9f, 0.65f, 0.35f}, 320);
    scene.addStaticLight("&!hall", {110, 250, 470}, {0.22f, 0.2f, 0.24f}, 320);

    addCameras(scene);
    return scene.finish();
}

} // namespace pelx

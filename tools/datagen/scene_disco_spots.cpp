// The mirror ball's spots: scattered the same way every run over the floor, the ceiling and
// the walls, turning and sliding as the ball swings one way and back.
#include "scene_disco.h"
#include "textures.h"

#include <algorithm>
#include <cmath>

namespace pelx::datagen::disco {

namespace {

// How far the ball has turned: it swings slowly one way and back, so its spots sweep the room.
double ballTurn(double t) {
    return 32 * std::sin(2 * PI * t / 36);
}

// A fixed hash of a cell and a seed, for scattering spots the same way every run.
uint32_t spotHash(uint32_t cell, uint32_t seed) {
    uint32_t h = seed * 40503u + 2654435761u * (cell + 1);
    h ^= h >> 15;
    h *= 2246822519u;
    h ^= h >> 13;
    return h;
}

// Spots on a surface: origin, the two edges (at right angles), cells of `cell` units along
// each, and in about two cells of three a spot up to `half` from its middle, placed apart
// from its neighbours so no two overlap. `keep` can turn cells down by their middle.
template <typename Keep>
MeshData scatterSpots(Vec3 origin, Vec3 edgeU, Vec3 edgeV, double cell, double half, uint32_t seed,
                      Keep keep) {
    MeshData spots;
    const Vec3 u = normalized(edgeU), v = normalized(edgeV);
    const int nu = static_cast<int>(length(edgeU) / cell), nv = static_cast<int>(length(edgeV) / cell);
    for (int j = 0; j < nv; ++j)
        for (int i = 0; i < nu; ++i) {
            const uint32_t h = spotHash(static_cast<uint32_t>(j * nu + i), seed);
            if (h % 3 == 0) continue;
            const double r = half * (0.6 + 0.4 * ((h >> 4) & 7) / 7.0), room = cell / 2 - r - 1;
            const double a = ((h >> 8) & 255) / 255.0 * 2 - 1, b = ((h >> 16) & 255) / 255.0 * 2 - 1;
            const Vec3 c = origin + u * ((i + 0.5) * cell + a * room) + v * ((j + 0.5) * cell + b * room);
            if (!keep(c)) continue;
            spots.append(grid(c - u * r - v * r, u * (2 * r), v * (2 * r), 1, 1, 1, 1));
        }
    return spots;
}

} // namespace

void addBallSpots(SceneBuilder& scene) {
    const int end = frameAt(SECONDS);
    // Floor and ceiling turn with the ball about its cord: the inner disc stays on the dance
    // floor, the outer ring off it, so no spot leaves its surface.
    auto within = [](double inner, double outer) {
        return [=](Vec3 p) {
            const double r = std::hypot(p.x, p.z);
            return r >= inner && r <= outer;
        };
    };
    MeshData flat =
        scatterSpots({-240, FLOOR_TOP + 0.8, -240}, {480, 0, 0}, {0, 0, 480}, 50, 6, 11, within(0, 240));
    flat.append(scatterSpots({-640, 0.8, -640}, {1280, 0, 0}, {0, 0, 1280}, 100, 9, 12, within(360, 640)));
    flat.append(
        scatterSpots({-640, HEIGHT - 0.8, -640}, {1280, 0, 0}, {0, 0, 1280}, 120, 15, 13, within(0, 640)));
    std::vector<RotationKey> turns;
    double previous = 0;
    for (int f = 0;; f = std::min(f + 15, end)) {
        const double angle = ballTurn(f / 30.0);
        turns.push_back({f, angle - previous, {0, 1, 0}});
        previous = angle;
        if (f == end) break;
    }
    scene.addAnimatedMesh("%$spots", flat, TEX_SPOT, {{0, BALL}, {end, BALL}}, turns);

    // On the walls the spots slide along, as far as the ball's turn carries them at the wall;
    // each wall's patch reaches past its ends, where the neighbouring walls hide it.
    const double reach = HALF * 32 * PI / 180 + 20;
    const struct {
        const char* name;
        Vec3 origin, along, inward;
        uint32_t seed;
    } walls[] = {{"%$spotsN", {HALF + reach, 15, -HALF}, {-1, 0, 0}, {0, 0, 1}, 21},
                 {"%$spotsE", {HALF, 15, HALF + reach}, {0, 0, -1}, {-1, 0, 0}, 22},
                 {"%$spotsS", {-HALF - reach, 15, HALF}, {1, 0, 0}, {0, 0, -1}, 23},
                 {"%$spotsW", {-HALF, 15, -HALF - reach}, {0, 0, 1}, {1, 0, 0}, 24}};
    for (const auto& w : walls) {
        const MeshData spots = scatterSpots(w.origin + w.inward * 1.2, w.along * (2 * (HALF + reach)),
                                            {0, HEIGHT - 30, 0}, 90, 10, w.seed, [](Vec3) { return true; });
        std::vector<PositionKey> path;
        const Vec3 centre = w.origin + w.along * (HALF + reach) + Vec3{0, 150, 0};
        for (int f = 0;; f = std::min(f + 15, end)) {
            // Turning the ball the positive way about y carries each wall's spots along it.
            path.push_back({f, centre + w.along * (HALF * ballTurn(f / 30.0) * PI / 180)});
            if (f == end) break;
        }
        scene.addAnimatedMesh(w.name, spots, TEX_SPOT, path);
    }
}

} // namespace pelx::datagen::disco

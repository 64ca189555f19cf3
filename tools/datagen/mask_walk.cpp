// The walker model. Its steering order (below, above, right, left, then the diagonals) decides
// which way a curve may bend without the walker taking a shortcut.
#include "mask_walk.h"

#include "image/texture.h"

namespace pelx {

namespace {

constexpr int STEER[8][2] = {{0, 1}, {0, -1}, {1, 0}, {-1, 0}, {1, 1}, {1, -1}, {-1, -1}, {-1, 1}};
constexpr uint8_t EMITTED = 12;

} // namespace

MaskWalk walkMask(const std::vector<uint8_t>& source, int iterations, int startX, int startY) {
    std::vector<uint8_t> mask = source;
    mask.resize(MASK_SIZE, 0);
    auto pixel = [&](int x, int y) -> uint8_t {
        if (x < 0 || y < 0 || x >= MASK_WIDTH || y >= MASK_HEIGHT) return 0;
        return mask[size_t(y) * MASK_WIDTH + size_t(x)];
    };
    MaskWalk walk;
    int x = startX, y = startY, dx = 1, dy = 0, anchorX = startX;
    bool tracing = true;
    for (int i = 0; i < iterations; ++i) {
        if (tracing && pixel(x, y) == 0) {
            x = startX, y = startY, dx = 1, dy = 0, anchorX = startX;
            ++walk.restarts;
        }
        if (pixel(x + dx, y + dy) == 0) {
            int ndx = 0, ndy = 0;
            for (const auto& s : STEER) {
                if (s[0] == -dx && s[1] == -dy) continue;
                if (pixel(x + s[0], y + s[1]) != 0) {
                    ndx = s[0], ndy = s[1];
                    break;
                }
            }
            dx = ndx, dy = ndy;
        }
        if (tracing) {
            x += dx, y += dy;
            if (x == anchorX && y == startY && (dx != 0 || dy != 0)) {
                tracing = false;
                ++walk.closedTraces;
            }
        } else {
            y = startY;
            if (x == anchorX)
                tracing = true;
            else
                ++x;
        }
        if (dx == 0 && dy == 0) ++walk.stalls;
        if (!tracing) continue;
        uint8_t value = pixel(x, y);
        if (value != 0 && value != EMITTED) {
            mask[size_t(y) * MASK_WIDTH + size_t(x)] = EMITTED;
            walk.emitted.push_back(y * MASK_WIDTH + x);
            walk.emittedAt.push_back(i);
        }
    }
    return walk;
}

} // namespace pelx

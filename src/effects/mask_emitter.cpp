// The fire logo's walker. Every call starts again at the start pixel and walks a little
// further than the last one, following set pixels of the 320 x 200 mask; pixels it reaches for
// the first time get a logo particle and are marked so they never emit again.
#include "effects/mask_emitter.h"

#include "image/texture.h"
#include "platform/random.h"

#include <algorithm>

namespace pelx {

namespace {

// Reads outside the image count as clear: a stroke along the border steers as if the world
// beyond it were empty, and the walker never leaves the image.
uint8_t maskAt(const uint8_t* mask, int x, int y) {
    if (x < 0 || x >= MASK_WIDTH || y < 0 || y >= MASK_HEIGHT) return 0;
    return mask[y * MASK_WIDTH + x];
}

// The logo lies flat at height 10, the image mirrored left to right.
Vec3d worldPoint(int x, int y) {
    return Vec3d{320.0 - x, 10.0, y - 50.0};
}

struct Offset {
    int dx, dy;
};

// Below and above first, then right and left, then the diagonals.
constexpr Offset STEER_ORDER[8] = {{0, 1}, {0, -1}, {1, 0}, {-1, 0}, {1, 1}, {1, -1}, {-1, -1}, {-1, 1}};

} // namespace

void emitFromMask(float elapsed, float duration, uint8_t* mask, int stepBudget, ParticleSystem& logoSystem,
                  ParticleSystem& sparkSystem, int startX, int startY, int anchorStep) {
    int x = startX, y = startY;
    int dx = 1, dy = 0;
    int anchorX = startX;
    bool tracing = true;
    // The walk grows with the scene: the whole budget at its end. The bound stays fractional,
    // so a walk of 20.9 steps takes 21. It never exceeds the budget, so a zero duration (an
    // endless bound) cannot make the call run forever; a NaN bound takes no step.
    const float bound =
        std::min(static_cast<float>(stepBudget) * elapsed / duration, static_cast<float>(stepBudget));
    const int sparkOdds = stepBudget / 2;
    for (int i = 0; static_cast<float>(i) < bound; ++i) {
        if (tracing && maskAt(mask, x, y) == 0) {
            x = startX;
            y = startY;
            dx = 1;
            dy = 0;
            anchorX = startX;
        }

        if (maskAt(mask, x + dx, y + dy) == 0) {
            // Never straight back where it came from: at a stroke's free end that leaves no
            // choice and the walker stays put.
            int newDx = 0, newDy = 0;
            for (const Offset& o : STEER_ORDER) {
                if (o.dx == -dx && o.dy == -dy) continue;
                if (maskAt(mask, x + o.dx, y + o.dy) != 0) {
                    newDx = o.dx;
                    newDy = o.dy;
                    break;
                }
            }
            dx = newDx;
            dy = newDy;
        }

        if (tracing) {
            x += dx;
            y += dy;
            if (x == anchorX && y == startY && (dx != 0 || dy != 0)) {
                tracing = false;
                anchorX += anchorStep;
            }
        } else {
            // Between traces the walker slides along the start row to the next anchor.
            y = startY;
            if (x == anchorX)
                tracing = true;
            else
                x += 1;
        }
        if (!tracing) continue;

        const uint8_t pixel = maskAt(mask, x, y);
        if (pixel != 0 && pixel != MASK_EMITTED) {
            const Vec3d point = worldPoint(x, y);
            logoSystem.emitPosition = point;
            logoSystem.emitAt(point);
            mask[y * MASK_WIDTH + x] = MASK_EMITTED; // marked even when the pool is full
        }
        // A budget below 2 leaves no odds to draw from: no sparks then.
        if (pixel != 0 && sparkOdds > 0 && randomBelow(sparkOdds) == 0) {
            sparkSystem.emitPosition = worldPoint(x, y);
            sparkSystem.update();
        }
    }
}

} // namespace pelx

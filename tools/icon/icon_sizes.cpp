// Drawing the 32 x 32 design at another size. Measured in units of 1 / (32 * size) of the
// picture's width, a design pixel is `size` units wide and an icon pixel 32, so the share of a
// design pixel in an icon pixel is a whole number and ties are exact.
#include "icon_sizes.h"

#include "resources/app_icon.h"

#include <algorithm>
#include <cassert>

namespace pelx {
namespace {

constexpr int N = APP_ICON_SIZE;

// Which colour keeps an icon pixel when two cover equal shares of it: the frame first, so the
// tile keeps its border at every size, then the blue heart, the flame's dark rim and its colours
// from hot to cool, so the thin parts of the flame outlast the glow and the tile around them.
constexpr std::array<int, 16> SALIENCE_ORDER = {15, 14, 13, 2, 11, 10, 9, 8, 7, 6, 5, 4, 3, 12, 1, 0};

constexpr std::array<int, 16> salienceRanks() {
    std::array<int, 16> rank{};
    for (int i = 0; i < 16; ++i) rank[SALIENCE_ORDER[i]] = 16 - i;
    return rank;
}
constexpr std::array<int, 16> SALIENCE = salienceRanks();

// Length of the overlap of [a0, a1) and [b0, b1).
int overlap(int a0, int a1, int b0, int b1) {
    return std::max(0, std::min(a1, b1) - std::max(a0, b0));
}

} // namespace

std::vector<uint8_t> appIconIndicesAt(int size) {
    assert(size >= 1 && size <= 1024 && "icon size out of range");
    std::vector<uint8_t> out(static_cast<size_t>(size) * size);
    for (int y = 0; y < size; ++y) {
        // The design rows and columns that share the icon pixel: [y*N, (y+1)*N) in units.
        const int row0 = y * N / size, row1 = std::min(N - 1, ((y + 1) * N - 1) / size);
        for (int x = 0; x < size; ++x) {
            const int col0 = x * N / size, col1 = std::min(N - 1, ((x + 1) * N - 1) / size);
            std::array<int, 16> share{};
            for (int r = row0; r <= row1; ++r) {
                const int h = overlap(y * N, (y + 1) * N, r * size, (r + 1) * size);
                for (int c = col0; c <= col1; ++c) {
                    const int w = overlap(x * N, (x + 1) * N, c * size, (c + 1) * size);
                    share[appIconDigit(APP_ICON_PIXELS[r][c])] += w * h;
                }
            }
            int best = 0;
            for (int i = 1; i < 16; ++i)
                if (share[i] > share[best] ||
                    (share[i] > 0 && share[i] == share[best] && SALIENCE[i] > SALIENCE[best]))
                    best = i;
            out[static_cast<size_t>(y) * size + x] = static_cast<uint8_t>(best);
        }
    }
    return out;
}

std::vector<uint8_t> appIconRgbAt(int size) {
    const std::vector<uint8_t> indices = appIconIndicesAt(size);
    std::vector<uint8_t> rgb;
    rgb.reserve(indices.size() * 3);
    for (uint8_t i : indices) {
        const IconColor c = APP_ICON_PALETTE[i];
        rgb.insert(rgb.end(), {c.r, c.g, c.b});
    }
    return rgb;
}

} // namespace pelx

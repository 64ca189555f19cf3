// Morphology, hole cutting, Moore boundary tracing and the simple-curve check on binary pictures.
#include "outline.h"

#include <algorithm>
#include <cstdlib>

namespace pelx {

BitImage makeBitImage(int width, int height) {
    BitImage image;
    image.width = width;
    image.height = height;
    image.bits.assign(size_t(width) * size_t(height), 0);
    return image;
}

namespace {

// Sets a pixel when any (dilate) or every (erode) pixel of the square around it is set.
BitImage squareFilter(const BitImage& image, int radius, bool dilate) {
    BitImage out = makeBitImage(image.width, image.height);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            bool any = false, all = true;
            for (int dy = -radius; dy <= radius; ++dy)
                for (int dx = -radius; dx <= radius; ++dx) {
                    bool v = image.at(x + dx, y + dy);
                    any = any || v;
                    all = all && v;
                }
            out.set(x, y, dilate ? any : all);
        }
    return out;
}

// Marks the clear pixels 4-connected to the border.
std::vector<uint8_t> outsideOf(const BitImage& image) {
    std::vector<uint8_t> outside(image.bits.size(), 0);
    std::vector<Pixel> stack;
    auto push = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= image.width || y >= image.height || image.at(x, y)) return;
        size_t i = size_t(y) * size_t(image.width) + size_t(x);
        if (outside[i]) return;
        outside[i] = 1;
        stack.push_back({x, y});
    };
    for (int x = 0; x < image.width; ++x) push(x, 0), push(x, image.height - 1);
    for (int y = 0; y < image.height; ++y) push(0, y), push(image.width - 1, y);
    while (!stack.empty()) {
        Pixel p = stack.back();
        stack.pop_back();
        push(p.x + 1, p.y), push(p.x - 1, p.y), push(p.x, p.y + 1), push(p.x, p.y - 1);
    }
    return outside;
}

// The eight neighbour offsets clockwise on screen (y down), starting west.
constexpr Pixel AROUND[8] = {{-1, 0}, {-1, -1}, {0, -1}, {1, -1}, {1, 0}, {1, 1}, {0, 1}, {-1, 1}};

int directionIndex(Pixel from, Pixel to) {
    for (int k = 0; k < 8; ++k)
        if (to.x - from.x == AROUND[k].x && to.y - from.y == AROUND[k].y) return k;
    return -1;
}

bool touches(Pixel a, Pixel b) {
    return !(a == b) && std::abs(a.x - b.x) <= 1 && std::abs(a.y - b.y) <= 1;
}

} // namespace

BitImage closed(const BitImage& image, int radius) {
    return squareFilter(squareFilter(image, radius, true), radius, false);
}

BitImage opened(const BitImage& image, int radius) {
    return squareFilter(squareFilter(image, radius, false), radius, true);
}

std::vector<std::vector<Pixel>> holesOf(const BitImage& image) {
    std::vector<uint8_t> seen = outsideOf(image);
    std::vector<std::vector<Pixel>> holes;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            size_t i = size_t(y) * size_t(image.width) + size_t(x);
            if (image.at(x, y) || seen[i]) continue;
            std::vector<Pixel> hole, stack{{x, y}};
            seen[i] = 1;
            while (!stack.empty()) {
                Pixel p = stack.back();
                stack.pop_back();
                hole.push_back(p);
                const Pixel next[4] = {{p.x + 1, p.y}, {p.x - 1, p.y}, {p.x, p.y + 1}, {p.x, p.y - 1}};
                for (Pixel n : next) {
                    if (image.at(n.x, n.y)) continue;
                    size_t j = size_t(n.y) * size_t(image.width) + size_t(n.x);
                    if (seen[j]) continue;
                    seen[j] = 1;
                    stack.push_back(n);
                }
            }
            holes.push_back(std::move(hole));
        }
    return holes;
}

bool cutHolesOpen(BitImage& image, int width) {
    for (;;) {
        std::vector<std::vector<Pixel>> holes = holesOf(image);
        if (holes.empty()) return true;
        std::vector<uint8_t> outside = outsideOf(image);
        // The shortest straight run of set pixels from a pixel of the first hole to the outside.
        int bestLength = 1 << 30;
        Pixel bestFrom{}, bestStep{};
        const Pixel steps[4] = {{0, 1}, {0, -1}, {1, 0}, {-1, 0}};
        for (Pixel p : holes.front()) {
            for (Pixel step : steps) {
                int length = 0;
                Pixel q{p.x + step.x, p.y + step.y};
                while (image.at(q.x, q.y)) ++length, q = {q.x + step.x, q.y + step.y};
                if (length == 0 || q.x < 0 || q.y < 0 || q.x >= image.width || q.y >= image.height) continue;
                if (!outside[size_t(q.y) * size_t(image.width) + size_t(q.x)]) continue;
                if (length < bestLength) bestLength = length, bestFrom = p, bestStep = step;
            }
        }
        if (bestLength == 1 << 30) return false;
        // The cut runs across the stroke and spreads sideways (right or down) to its width.
        Pixel side = bestStep.x == 0 ? Pixel{1, 0} : Pixel{0, 1};
        for (int k = 1; k <= bestLength; ++k)
            for (int w = 0; w < width; ++w) {
                int x = bestFrom.x + k * bestStep.x + w * side.x,
                    y = bestFrom.y + k * bestStep.y + w * side.y;
                if (x >= 0 && y >= 0 && x < image.width && y < image.height) image.set(x, y, false);
            }
    }
}

std::vector<Pixel> traceBoundary(const BitImage& image) {
    Pixel start{-1, -1};
    for (int y = 0; y < image.height && start.x < 0; ++y)
        for (int x = 0; x < image.width; ++x)
            if (image.at(x, y)) {
                start = {x, y};
                break;
            }
    if (start.x < 0) return {};
    std::vector<Pixel> curve{start};
    Pixel current = start;
    Pixel back{start.x - 1, start.y}; // clear: start is the first set pixel of its row
    // A boundary pixel is passed at most four times; this bounds the walk on any input.
    size_t limit = 4 * image.bits.size() + 8;
    while (curve.size() < limit) {
        int k = directionIndex(current, back);
        bool found = false;
        for (int j = 1; j <= 8; ++j) {
            Pixel d = AROUND[(k + j) % 8];
            Pixel n{current.x + d.x, current.y + d.y};
            if (image.at(n.x, n.y)) {
                Pixel b = AROUND[(k + j + 7) % 8];
                back = {current.x + b.x, current.y + b.y};
                current = n;
                found = true;
                break;
            }
        }
        if (!found) return curve; // a lone pixel
        curve.push_back(current);
        // The lap is over when the first step of the boundary repeats.
        size_t n = curve.size();
        if (n >= 4 && curve[n - 2] == curve[0] && curve[n - 1] == curve[1]) {
            curve.resize(n - 2);
            return curve;
        }
    }
    return curve;
}

std::vector<Pixel> withoutCorners(const std::vector<Pixel>& curve) {
    std::vector<Pixel> out = curve;
    bool changed = true;
    while (changed && out.size() > 4) {
        changed = false;
        for (size_t i = 0; i < out.size() && out.size() > 4;) {
            const Pixel& before = out[(i + out.size() - 1) % out.size()];
            const Pixel& after = out[(i + 1) % out.size()];
            if (touches(before, after)) {
                out.erase(out.begin() + std::ptrdiff_t(i));
                changed = true;
            } else {
                ++i;
            }
        }
    }
    return out;
}

bool isSimpleClosedCurve(const std::vector<Pixel>& curve, int width, int height) {
    if (curve.size() < 4) return false;
    std::vector<uint8_t> on(size_t(width) * size_t(height), 0);
    for (Pixel p : curve) {
        if (p.x < 0 || p.y < 0 || p.x >= width || p.y >= height) return false;
        uint8_t& cell = on[size_t(p.y) * size_t(width) + size_t(p.x)];
        if (cell) return false; // a pixel visited twice
        cell = 1;
    }
    for (size_t i = 0; i < curve.size(); ++i) {
        Pixel p = curve[i];
        if (!touches(p, curve[(i + 1) % curve.size()])) return false;
        int neighbours = 0;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                int x = p.x + dx, y = p.y + dy;
                if ((dx || dy) && x >= 0 && y >= 0 && x < width && y < height &&
                    on[size_t(y) * size_t(width) + size_t(x)])
                    ++neighbours;
            }
        if (neighbours != 2) return false;
    }
    return true;
}

} // namespace pelx

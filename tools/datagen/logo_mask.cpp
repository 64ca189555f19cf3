// Building the logo mask: the word is rendered in a bold face, joined by a bar, cleaned of
// slivers, mirrored, its counters cut open, and its boundary traced into one curve. The walker
// model then checks the placed curve before anything is written.
#include "logo_mask.h"

#include "canvas.h"
#include "image/texture.h"
#include "mask_walk.h"
#include "text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>

namespace pelx {

namespace {

constexpr int SMALLEST_SIZE = 40;
constexpr int LARGEST_SIZE = 160;
// The outline keeps this many clear pixels from the mask's edge (the walker reads one beyond).
constexpr int EDGE_MARGIN = 2;

// The word as a region of set pixels, mirrored, in a picture just large enough for it.
std::optional<BitImage> logoRegion(int pixelSize) {
    TextImage text;
    int spacing = std::max(2, int(std::lround(0.06 * pixelSize)));
    if (!renderText(FONT_SANS_BOLD, pixelSize, "Pelx", 6, spacing, text)) return std::nullopt;
    BitImage region = makeBitImage(text.coverage.width, text.coverage.height + pixelSize / 4);
    for (int y = 0; y < text.coverage.height; ++y)
        for (int x = 0; x < text.coverage.width; ++x) region.set(x, y, text.coverage.at(x, y) >= 0.5f);
    // The bar the letters stand on: it makes the word one shape with one outline. It ends
    // flush with the letters' set pixels, so the first letter's stem and the bar's end make one
    // straight edge.
    int firstColumn = region.width, lastColumn = -1;
    for (int y = 0; y < region.height; ++y)
        for (int x = 0; x < region.width; ++x)
            if (region.at(x, y)) firstColumn = std::min(firstColumn, x), lastColumn = std::max(lastColumn, x);
    int thickness = std::max(4, int(std::lround(0.10 * pixelSize)));
    int overlap = std::max(2, int(std::lround(0.03 * pixelSize)));
    for (int y = text.baseline - overlap; y < text.baseline + thickness; ++y)
        for (int x = firstColumn; x <= lastColumn; ++x) region.set(x, y, true);
    region = opened(closed(region, 1), 1);
    // The bar closes the notch between the feet of the x; open the bar beneath such a notch
    // over the notch's whole width, so the notch stays a notch rather than becoming a hole.
    int barTop = text.baseline - overlap;
    for (const std::vector<Pixel>& hole : holesOf(region)) {
        int lowest = -1;
        for (Pixel p : hole) lowest = std::max(lowest, p.y);
        if (lowest != barTop - 1) continue;
        for (Pixel p : hole)
            if (p.y == lowest)
                for (int y = barTop; y < text.baseline + thickness; ++y) region.set(p.x, y, false);
    }
    BitImage mirrored = makeBitImage(region.width, region.height);
    for (int y = 0; y < region.height; ++y)
        for (int x = 0; x < region.width; ++x) mirrored.set(region.width - 1 - x, y, region.at(x, y));
    for (int pass = 0; pass < 3; ++pass) {
        if (!cutHolesOpen(mirrored, 2)) return std::nullopt;
        mirrored = opened(mirrored, 1);
        if (holesOf(mirrored).empty()) return mirrored;
    }
    return std::nullopt;
}

size_t pixelsOf(const BitImage& image) {
    return size_t(std::count(image.bits.begin(), image.bits.end(), uint8_t(1)));
}

// The pixels 8-connected to the first set pixel.
size_t connectedPixels(const BitImage& image) {
    std::vector<uint8_t> seen(image.bits.size(), 0);
    std::vector<Pixel> stack;
    for (int y = 0; y < image.height && stack.empty(); ++y)
        for (int x = 0; x < image.width; ++x)
            if (image.at(x, y)) {
                stack.push_back({x, y});
                seen[size_t(y) * size_t(image.width) + size_t(x)] = 1;
                break;
            }
    size_t count = 0;
    while (!stack.empty()) {
        Pixel p = stack.back();
        stack.pop_back();
        ++count;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                int x = p.x + dx, y = p.y + dy;
                if (!image.at(x, y)) continue;
                uint8_t& s = seen[size_t(y) * size_t(image.width) + size_t(x)];
                if (!s) s = 1, stack.push_back({x, y});
            }
    }
    return count;
}

struct Candidate {
    int pixelSize = 0;
    std::vector<Pixel> curve; // in the region's own coordinates
};

std::optional<Candidate> outlineAt(int pixelSize) {
    std::optional<BitImage> region = logoRegion(pixelSize);
    if (!region) return std::nullopt;
    if (region->width > MASK_WIDTH - 2 * EDGE_MARGIN) return std::nullopt;
    if (connectedPixels(*region) != pixelsOf(*region)) return std::nullopt;
    std::vector<Pixel> curve = withoutCorners(traceBoundary(*region));
    if (!isSimpleClosedCurve(curve, region->width, region->height)) return std::nullopt;
    return Candidate{pixelSize, std::move(curve)};
}

// Moves the curve so that the middle of one of its horizontal runs lies on the start pixel,
// choosing the run that centres the logo best in the mask; rotates the curve to start there,
// running right. Nothing if no placement keeps the margin.
std::optional<std::vector<Pixel>> placed(const std::vector<Pixel>& curve) {
    int minX = 1 << 30, maxX = -(1 << 30), minY = 1 << 30, maxY = -(1 << 30);
    for (Pixel p : curve) {
        minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
    }
    size_t n = curve.size();
    double bestScore = 1e30;
    size_t bestIndex = n;
    bool bestForward = true;
    for (size_t i = 0; i < n; ++i) {
        Pixel before = curve[(i + n - 1) % n], here = curve[i], after = curve[(i + 1) % n];
        bool forward = before.y == here.y && after.y == here.y && before.x == here.x - 1 && after.x == here.x + 1;
        bool backward = before.y == here.y && after.y == here.y && before.x == here.x + 1 && after.x == here.x - 1;
        if (!forward && !backward) continue;
        int shiftX = LOGO_START_X - here.x, shiftY = LOGO_START_Y - here.y;
        if (minX + shiftX < EDGE_MARGIN || maxX + shiftX > MASK_WIDTH - 1 - EDGE_MARGIN) continue;
        if (minY + shiftY < EDGE_MARGIN || maxY + shiftY > MASK_HEIGHT - 1 - EDGE_MARGIN) continue;
        double cx = 0.5 * (minX + maxX) + shiftX - 0.5 * (MASK_WIDTH - 1);
        double cy = 0.5 * (minY + maxY) + shiftY - 0.5 * (MASK_HEIGHT - 1);
        double score = cx * cx + cy * cy;
        if (score < bestScore) bestScore = score, bestIndex = i, bestForward = forward;
    }
    if (bestIndex == n) return std::nullopt;
    int shiftX = LOGO_START_X - curve[bestIndex].x, shiftY = LOGO_START_Y - curve[bestIndex].y;
    std::vector<Pixel> out;
    out.reserve(n);
    for (size_t k = 0; k < n; ++k) {
        size_t i = bestForward ? (bestIndex + k) % n : (bestIndex + n - k) % n;
        out.push_back({curve[i].x + shiftX, curve[i].y + shiftY});
    }
    return out;
}

// The walker model must emit exactly the curve's pixels in the curve's order over its first lap
// (the start pixel last, as the lap closes), then keep lapping without restarting or stalling.
bool walkerFollows(const std::vector<uint8_t>& mask, const std::vector<Pixel>& curve) {
    int n = int(curve.size());
    MaskWalk walk = walkMask(mask, 3 * (n + 1), LOGO_START_X, LOGO_START_Y);
    if (walk.restarts != 0 || walk.stalls != 0 || walk.closedTraces != 3) return false;
    if (int(walk.emitted.size()) != n) return false;
    for (int k = 1; k < n; ++k)
        if (walk.emitted[size_t(k - 1)] != curve[size_t(k)].y * MASK_WIDTH + curve[size_t(k)].x) return false;
    return walk.emitted.back() == curve[0].y * MASK_WIDTH + curve[0].x;
}

} // namespace

bool buildLogoMask(LogoMask& out) {
    std::vector<Candidate> candidates;
    for (int size = SMALLEST_SIZE; size <= LARGEST_SIZE; ++size) {
        std::optional<Candidate> c = outlineAt(size);
        if (!c) continue;
        int length = int(c->curve.size());
        if (length >= LOGO_MIN_LENGTH && length <= LOGO_MAX_LENGTH) candidates.push_back(std::move(*c));
        // Outlines only grow with the size; nothing larger can fit the walker's time.
        if (length > LOGO_MAX_LENGTH + 200) break;
    }
    std::stable_sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
        return std::abs(int(a.curve.size()) - LOGO_TARGET_LENGTH) < std::abs(int(b.curve.size()) - LOGO_TARGET_LENGTH);
    });
    for (const Candidate& c : candidates) {
        std::optional<std::vector<Pixel>> curve = placed(c.curve);
        if (!curve) continue;
        std::vector<uint8_t> pixels(MASK_SIZE, 0);
        for (Pixel p : *curve) pixels[size_t(p.y) * MASK_WIDTH + size_t(p.x)] = LOGO_INK;
        if (!walkerFollows(pixels, *curve)) continue;
        out.pixels = std::move(pixels);
        out.outline = std::move(*curve);
        out.pixelSize = c.pixelSize;
        out.left = out.top = 1 << 30;
        out.right = out.bottom = -1;
        for (Pixel p : out.outline) {
            out.left = std::min(out.left, p.x), out.right = std::max(out.right, p.x);
            out.top = std::min(out.top, p.y), out.bottom = std::max(out.bottom, p.y);
        }
        return true;
    }
    std::fprintf(stderr, "pelx-datagen: no font size gives a logo outline the fire walker can follow\n");
    return false;
}

std::vector<uint8_t> encodeMaskBmp(const std::vector<uint8_t>& pixels) {
    constexpr uint32_t HEADERS = 14 + 40 + 256 * 4; // 1078: where the show starts reading
    constexpr uint32_t FILE_SIZE = HEADERS + MASK_SIZE;
    std::vector<uint8_t> bmp;
    bmp.reserve(FILE_SIZE);
    auto u16 = [&](uint32_t v) { bmp.push_back(uint8_t(v)), bmp.push_back(uint8_t(v >> 8)); };
    auto u32 = [&](uint32_t v) { u16(v & 0xFFFFu), u16(v >> 16); };
    bmp.push_back('B'), bmp.push_back('M');
    u32(FILE_SIZE);
    u32(0);
    u32(HEADERS);
    u32(40);
    u32(MASK_WIDTH);
    u32(MASK_HEIGHT); // positive: rows stored bottom first
    u16(1);
    u16(8);
    u32(0); // no compression
    u32(MASK_SIZE);
    u32(2835), u32(2835); // 72 dots per inch
    u32(256), u32(0);
    for (uint32_t i = 0; i < 256; ++i) bmp.push_back(uint8_t(i)), bmp.push_back(uint8_t(i)), bmp.push_back(uint8_t(i)), bmp.push_back(0);
    for (int row = MASK_HEIGHT - 1; row >= 0; --row)
        for (int x = 0; x < MASK_WIDTH; ++x) bmp.push_back(pixels[size_t(row) * MASK_WIDTH + size_t(x)]);
    return bmp;
}

bool writeLogoMask(const std::filesystem::path& showDir) {
    LogoMask logo;
    if (!buildLogoMask(logo)) return false;
    // The first scene walks 1400 steps over 67 s; the lap's last pixel appears one step after
    // the lap closes.
    double complete = double(logo.outline.size() + 1) * 67.0 / 1400.0;
    std::printf("pelx-datagen: logo outline of %zu pixels (font size %d), mask columns %d..%d, rows %d..%d, "
                "written whole by %.1f s\n",
                logo.outline.size(), logo.pixelSize, logo.left, logo.right, logo.top, logo.bottom, complete);
    return writeBytes(showDir / MASK_FILE, encodeMaskBmp(logo.pixels));
}

} // namespace pelx

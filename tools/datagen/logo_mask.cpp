// Building the logo mask. The word is rendered in a bold face; its letters are joined by short
// bridges (three pixels tall, across the gaps) so that the word is one shape with one outline;
// slivers are cleaned away, the picture is mirrored and the counters are cut open to the
// outside. The outline is opened at the top of a letter, where a lead-in path comes down to
// it and a short way back climbs to the start pixel. Ink is what lies on the letters; the
// bridges, the lead-in and the way back hold the walker's mark. The walker model checks the
// placed curve before anything is written.
#include "logo_mask.h"

#include "canvas.h"
#include "image/texture.h"
#include "mask_walk.h"
#include "text.h"
#include "timeline/show_scenes.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <set>

namespace pelx {

namespace {

constexpr int SMALLEST_SIZE = 30;
constexpr int LARGEST_SIZE = 100;
// The curve keeps this many clear pixels from the mask's edge (the walker reads one beyond).
constexpr int EDGE_MARGIN = 2;
// The lead-in runs right from the start pixel along its row, then back and forth in passes
// two rows apart between LEAD_LEFT and a far column, and finally down LEAD_LEFT to the word.
// The way back climbs RETURN_COLUMN and steps onto the start pixel from below left. The word's
// outline is opened over the columns between the two.
constexpr int LEAD_LEFT = 134;
constexpr int RETURN_COLUMN = 130;
constexpr int GAP_CENTRE = 132;
constexpr int LEAD_FAR_LIMIT = MASK_WIDTH - 1 - EDGE_MARGIN - 1;

struct WordShape {
    BitImage region;  // letters and bridges, mirrored, counters cut open
    BitImage letters; // the letters alone, mirrored: where the ink is
};

// The 8-connected parts of a picture, each as its pixels, ordered by their leftmost column.
std::vector<std::vector<Pixel>> partsOf(const BitImage& image) {
    std::vector<uint8_t> seen(image.bits.size(), 0);
    std::vector<std::vector<Pixel>> parts;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            if (!image.at(x, y) || seen[size_t(y) * size_t(image.width) + size_t(x)]) continue;
            std::vector<Pixel> part, stack{{x, y}};
            seen[size_t(y) * size_t(image.width) + size_t(x)] = 1;
            while (!stack.empty()) {
                Pixel p = stack.back();
                stack.pop_back();
                part.push_back(p);
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        int nx = p.x + dx, ny = p.y + dy;
                        if (!image.at(nx, ny)) continue;
                        uint8_t& s = seen[size_t(ny) * size_t(image.width) + size_t(nx)];
                        if (!s) s = 1, stack.push_back({nx, ny});
                    }
            }
            parts.push_back(std::move(part));
        }
    auto leftmost = [](const std::vector<Pixel>& part) {
        int m = 1 << 30;
        for (Pixel p : part) m = std::min(m, p.x);
        return m;
    };
    std::stable_sort(parts.begin(), parts.end(),
                     [&](const auto& a, const auto& b) { return leftmost(a) < leftmost(b); });
    return parts;
}

// Joins two neighbouring letters with a bar three rows tall, at the height where the gap
// between them is narrowest; each row of the bar runs from one letter's ink to the other's.
void bridge(BitImage& region, const std::vector<Pixel>& left, const std::vector<Pixel>& right) {
    std::vector<int> leftEnd(size_t(region.height), -1), rightStart(size_t(region.height), 1 << 30);
    for (Pixel p : left) leftEnd[size_t(p.y)] = std::max(leftEnd[size_t(p.y)], p.x);
    for (Pixel p : right) rightStart[size_t(p.y)] = std::min(rightStart[size_t(p.y)], p.x);
    int bestRow = -1, bestWidth = 1 << 30;
    for (int y = 0; y + 2 < region.height; ++y) {
        int widest = 0;
        bool both = true;
        for (int k = 0; k < 3; ++k) {
            if (leftEnd[size_t(y + k)] < 0 || rightStart[size_t(y + k)] == 1 << 30)
                both = false;
            else
                widest = std::max(widest, rightStart[size_t(y + k)] - leftEnd[size_t(y + k)]);
        }
        if (both && widest < bestWidth) bestWidth = widest, bestRow = y;
    }
    if (bestRow < 0) return;
    for (int k = 0; k < 3; ++k)
        for (int x = leftEnd[size_t(bestRow + k)] + 1; x < rightStart[size_t(bestRow + k)]; ++x)
            region.set(x, bestRow + k, true);
}

std::optional<WordShape> wordShape(int pixelSize) {
    TextImage text;
    int spacing = std::max(2, int(std::lround(0.06 * pixelSize)));
    if (!renderText(FONT_SANS_BOLD, pixelSize, "Pelx", 6, spacing, text)) return std::nullopt;
    BitImage letters = makeBitImage(text.coverage.width, text.coverage.height);
    for (int y = 0; y < letters.height; ++y)
        for (int x = 0; x < letters.width; ++x) letters.set(x, y, text.coverage.at(x, y) >= 0.5f);
    letters = opened(closed(letters, 1), 1);
    std::vector<std::vector<Pixel>> parts = partsOf(letters);
    if (parts.size() != 4) return std::nullopt; // P, e, l, x
    BitImage region = letters;
    for (size_t i = 0; i + 1 < parts.size(); ++i) bridge(region, parts[i], parts[i + 1]);
    WordShape shape{makeBitImage(region.width, region.height), makeBitImage(region.width, region.height)};
    for (int y = 0; y < region.height; ++y)
        for (int x = 0; x < region.width; ++x) {
            shape.region.set(region.width - 1 - x, y, region.at(x, y));
            shape.letters.set(region.width - 1 - x, y, letters.at(x, y));
        }
    for (int pass = 0; pass < 3; ++pass) {
        if (!cutHolesOpen(shape.region, 2)) return std::nullopt;
        shape.region = opened(shape.region, 1);
        if (holesOf(shape.region).empty()) return shape;
    }
    return std::nullopt;
}

size_t pixelsOf(const BitImage& image) {
    return size_t(std::count(image.bits.begin(), image.bits.end(), uint8_t(1)));
}

struct Word {
    int pixelSize = 0;
    WordShape shape;
    std::vector<Pixel> curve; // clockwise on screen, in the shape's own coordinates
    int ink = 0;
};

std::optional<Word> wordAt(int pixelSize) {
    std::optional<WordShape> shape = wordShape(pixelSize);
    if (!shape) return std::nullopt;
    if (shape->region.width > MASK_WIDTH - 2 * EDGE_MARGIN) return std::nullopt;
    std::vector<std::vector<Pixel>> parts = partsOf(shape->region);
    if (parts.size() != 1 || parts[0].size() != pixelsOf(shape->region)) return std::nullopt;
    std::vector<Pixel> curve = withoutCorners(traceBoundary(shape->region));
    if (!isSimpleClosedCurve(curve, shape->region.width, shape->region.height)) return std::nullopt;
    int ink = 0;
    for (Pixel p : curve) ink += shape->letters.at(p.x, p.y);
    return Word{pixelSize, std::move(*shape), std::move(curve), ink};
}

// Appends the straight line from the path's last pixel to (x, y), one axis at a time.
void lineTo(std::vector<Pixel>& path, int x, int y) {
    Pixel p = path.back();
    while (p.x != x) p.x += x > p.x ? 1 : -1, path.push_back(p);
    while (p.y != y) p.y += y > p.y ? 1 : -1, path.push_back(p);
}

struct Layout {
    std::vector<Pixel> curve; // from the start pixel, in walking order
    std::set<int> ink;        // mask indices of the ink pixels
    int lastInk = 0;          // index in curve of the last ink pixel
};

// The whole curve for the word opened at curve index `gap` (the middle of a run along the top
// of a letter), with `passes` lead-in passes reaching column farColumn.
std::optional<Layout> layout(const Word& word, size_t gap, int passes, int farColumn) {
    const std::vector<Pixel>& c = word.curve;
    size_t n = c.size();
    int minY = 1 << 30;
    for (Pixel p : c) minY = std::min(minY, p.y);
    int lastPassRow = LOGO_START_Y + 2 * (passes - 1);
    int shiftX = GAP_CENTRE - c[gap].x, shiftY = lastPassRow + 4 - minY;
    int gapRow = c[gap].y + shiftY;

    std::vector<Pixel> path{{LOGO_START_X, LOGO_START_Y}};
    lineTo(path, farColumn, LOGO_START_Y);
    for (int pass = 1; pass < passes; ++pass) {
        lineTo(path, path.back().x, LOGO_START_Y + 2 * pass);
        lineTo(path, pass % 2 ? LEAD_LEFT : farColumn, LOGO_START_Y + 2 * pass);
    }
    if (path.back().x != LEAD_LEFT) return std::nullopt; // an even number of passes ends there
    lineTo(path, LEAD_LEFT, gapRow - 1);
    // Around the word from the pixel right of the opening to the one left of it.
    size_t entry = (gap + 2) % n, exit = (gap + n - 2) % n;
    Layout result;
    for (size_t k = entry;; k = (k + 1) % n) {
        Pixel p{c[k].x + shiftX, c[k].y + shiftY};
        path.push_back(p);
        if (word.shape.letters.at(c[k].x, c[k].y)) result.ink.insert(p.y * MASK_WIDTH + p.x);
        if (k == exit) break;
    }
    if (path.back().x != RETURN_COLUMN) return std::nullopt;
    lineTo(path, RETURN_COLUMN, LOGO_START_Y + 1); // and then diagonally onto the start pixel
    result.curve = withoutCorners(path);
    if (result.curve.size() < 2 || !(result.curve[0] == Pixel{LOGO_START_X, LOGO_START_Y}))
        return std::nullopt;
    for (Pixel p : result.curve)
        if (p.x < EDGE_MARGIN || p.y < EDGE_MARGIN || p.x > MASK_WIDTH - 1 - EDGE_MARGIN ||
            p.y > MASK_HEIGHT - 1 - EDGE_MARGIN)
            return std::nullopt;
    if (!isSimpleClosedCurve(result.curve, MASK_WIDTH, MASK_HEIGHT)) return std::nullopt;
    // The corner cleaning may have taken a pixel; ink is what is still on the curve.
    std::set<int> onCurve;
    for (size_t k = 0; k < result.curve.size(); ++k) {
        int index = result.curve[k].y * MASK_WIDTH + result.curve[k].x;
        onCurve.insert(index);
        if (result.ink.count(index)) result.lastInk = int(k);
    }
    for (auto it = result.ink.begin(); it != result.ink.end();)
        it = onCurve.count(*it) ? std::next(it) : result.ink.erase(it);
    return result;
}

// Indices of the curve where seven pixels run right along the top of a letter: places to
// open the outline.
std::vector<size_t> openings(const Word& word) {
    std::vector<size_t> out;
    size_t n = word.curve.size();
    for (size_t i = 0; i < n; ++i) {
        bool run = true;
        for (int k = -3; k <= 3 && run; ++k) {
            Pixel p = word.curve[(i + n + size_t(k + 3) - 3) % n];
            Pixel expected{word.curve[i].x + k, word.curve[i].y};
            run = p == expected && word.shape.letters.at(p.x, p.y) && !word.shape.region.at(p.x, p.y - 1);
        }
        if (run) out.push_back(i);
    }
    return out;
}

std::vector<uint8_t> paintMask(const Layout& placed) {
    std::vector<uint8_t> pixels(MASK_SIZE, 0);
    for (Pixel p : placed.curve) {
        int index = p.y * MASK_WIDTH + p.x;
        pixels[size_t(index)] = placed.ink.count(index) ? LOGO_INK : LOGO_SILENT;
    }
    return pixels;
}

// The walker model must write exactly the ink, in the curve's order, and keep lapping without
// restarting or stalling.
bool walkerFollows(const std::vector<uint8_t>& mask, const Layout& placed) {
    int n = int(placed.curve.size());
    MaskWalk walk = walkMask(mask, 3 * (n + 1), LOGO_START_X, LOGO_START_Y);
    if (walk.restarts != 0 || walk.stalls != 0 || walk.closedTraces != 3) return false;
    if (walk.emitted.size() != placed.ink.size()) return false;
    size_t next = 0;
    for (int k = 1; k < n; ++k) {
        int index = placed.curve[size_t(k)].y * MASK_WIDTH + placed.curve[size_t(k)].x;
        if (!placed.ink.count(index)) continue;
        if (walk.emitted[next] != index || walk.emittedAt[next] != k - 1) return false;
        ++next;
    }
    return next == placed.ink.size();
}

// Places the word: the opening that centres it best, and the far column of the lead-in that
// brings its last ink to LOGO_WRITTEN_BY_STEP.
std::optional<Layout> placeWord(const Word& word) {
    int minX = 1 << 30, maxX = -(1 << 30);
    for (Pixel p : word.curve) minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
    std::vector<size_t> gaps = openings(word);
    std::stable_sort(gaps.begin(), gaps.end(), [&](size_t a, size_t b) {
        auto offCentre = [&](size_t g) {
            return std::abs((minX + maxX) / 2 + GAP_CENTRE - word.curve[g].x - MASK_WIDTH / 2);
        };
        return offCentre(a) < offCentre(b);
    });
    for (size_t gap : gaps) {
        for (int passes = 2; passes <= 12; passes += 2) {
            int far = LEAD_FAR_LIMIT;
            std::optional<Layout> placed;
            // Each column more on the far side adds one step to every pass.
            for (int attempt = 0; attempt < 8; ++attempt) {
                placed = layout(word, gap, passes, far);
                if (!placed) break;
                int off = LOGO_WRITTEN_BY_STEP - placed->lastInk;
                if (std::abs(off) < passes) break;
                far = std::min(LEAD_FAR_LIMIT, far + off / passes);
                if (far < LEAD_LEFT + 8) {
                    placed.reset();
                    break;
                }
            }
            if (!placed || std::abs(LOGO_WRITTEN_BY_STEP - placed->lastInk) > 2 * passes) continue;
            int length = int(placed->curve.size());
            if (length < LOGO_MIN_LENGTH || length > LOGO_MAX_LENGTH) continue;
            if (!walkerFollows(paintMask(*placed), *placed)) continue;
            return placed;
        }
    }
    return std::nullopt;
}

} // namespace

bool buildLogoMask(LogoMask& out) {
    std::vector<Word> words;
    for (int size = SMALLEST_SIZE; size <= LARGEST_SIZE; ++size) {
        std::optional<Word> word = wordAt(size);
        if (!word) continue;
        if (word->ink >= LOGO_INK_MIN && word->ink <= LOGO_INK_MAX) words.push_back(std::move(*word));
        if (word->ink > LOGO_INK_MAX + 100) break; // outlines only grow with the size
    }
    std::stable_sort(words.begin(), words.end(), [](const Word& a, const Word& b) {
        return std::abs(a.ink - LOGO_INK_TARGET) < std::abs(b.ink - LOGO_INK_TARGET);
    });
    for (const Word& word : words) {
        std::optional<Layout> placed = placeWord(word);
        if (!placed) continue;
        out.pixels = paintMask(*placed);
        out.outline = std::move(placed->curve);
        out.inkPixels = int(placed->ink.size());
        out.pixelSize = word.pixelSize;
        out.firstInkStep = 0;
        out.left = out.top = 1 << 30;
        out.right = out.bottom = -1;
        for (size_t k = 0; k < out.outline.size(); ++k) {
            Pixel p = out.outline[k];
            if (out.pixels[size_t(p.y) * MASK_WIDTH + size_t(p.x)] != LOGO_INK) continue;
            if (out.firstInkStep == 0) out.firstInkStep = int(k);
            out.lastInkStep = int(k);
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
    for (uint32_t i = 0; i < 256; ++i)
        bmp.push_back(uint8_t(i)), bmp.push_back(uint8_t(i)), bmp.push_back(uint8_t(i)), bmp.push_back(0);
    for (int row = MASK_HEIGHT - 1; row >= 0; --row)
        for (int x = 0; x < MASK_WIDTH; ++x) bmp.push_back(pixels[size_t(row) * MASK_WIDTH + size_t(x)]);
    return bmp;
}

bool writeLogoMask(const std::filesystem::path& showDir) {
    LogoMask logo;
    if (!buildLogoMask(logo)) return false;
    // The first scene walks its steps over its length; step k is taken at k x 67 / 1400 s.
    auto seconds = [](int step) { return double(step) * double(ROAD_SCENE.length) / FIRE_LOGO_STEPS; };
    std::printf("pelx-datagen: logo curve of %zu pixels, %d of them ink (font size %d), word in mask columns "
                "%d..%d, rows %d..%d, written from %.1f s to %.1f s\n",
                logo.outline.size(), logo.inkPixels, logo.pixelSize, logo.left, logo.right, logo.top,
                logo.bottom, seconds(logo.firstInkStep), seconds(logo.lastInkStep));
    return writeBytes(showDir / MASK_FILE, encodeMaskBmp(logo.pixels));
}

} // namespace pelx

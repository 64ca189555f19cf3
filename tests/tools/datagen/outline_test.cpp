// Outlines of small drawn shapes: the traced boundary, its cleaned corners, cut-open holes and
// the check that a set of pixels is one simple closed curve.
#include "outline.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace pelx {
namespace {

// Rows of '#' (set) and '.' (clear).
BitImage drawn(const std::vector<std::string>& rows) {
    BitImage image = makeBitImage(int(rows.front().size()), int(rows.size()));
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) image.set(x, y, rows[size_t(y)][size_t(x)] == '#');
    return image;
}

std::vector<Pixel> pixelsOf(const std::vector<std::string>& rows) {
    std::vector<Pixel> out;
    for (int y = 0; y < int(rows.size()); ++y)
        for (int x = 0; x < int(rows[size_t(y)].size()); ++x)
            if (rows[size_t(y)][size_t(x)] == '#') out.push_back({x, y});
    return out;
}

TEST(Outline, TracedBoundaryOfFilledShapes) {
    struct Case {
        const char* name;
        std::vector<std::string> rows;
        size_t boundary;      // boundary pixels, each once
        size_t withoutCorner; // after the staircase corners are cut
    };
    const Case cases[] = {
        {"rectangle 5 x 4", {".......", ".#####.", ".#####.", ".#####.", ".#####.", "......."}, 14, 10},
        {"square 3 x 3", {".....", ".###.", ".###.", ".###.", "....."}, 8, 4},
        {"L shape",
         {"..........", ".####.....", ".####.....", ".####.....", ".########.", ".########.", ".########.",
          ".........."},
         23,
         18},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BitImage image = drawn(c.rows);
        std::vector<Pixel> curve = traceBoundary(image);
        EXPECT_EQ(curve.size(), c.boundary);
        // Every traced pixel is set and has a clear pixel beside it.
        for (Pixel p : curve) {
            EXPECT_TRUE(image.at(p.x, p.y));
            EXPECT_TRUE(!image.at(p.x + 1, p.y) || !image.at(p.x - 1, p.y) || !image.at(p.x, p.y + 1) ||
                        !image.at(p.x, p.y - 1));
        }
        std::vector<Pixel> clean = withoutCorners(curve);
        EXPECT_EQ(clean.size(), c.withoutCorner);
        EXPECT_TRUE(isSimpleClosedCurve(clean, image.width, image.height));
    }
}

TEST(Outline, TraceStartsAtTopLeftAndEndsBesideIt) {
    BitImage image = drawn({"......", ".####.", ".####.", ".####.", "......"});
    std::vector<Pixel> curve = traceBoundary(image);
    ASSERT_FALSE(curve.empty());
    EXPECT_EQ(curve.front(), (Pixel{1, 1}));
    // Clockwise on screen: along the top row first.
    EXPECT_EQ(curve[1], (Pixel{2, 1}));
    EXPECT_EQ(curve.back(), (Pixel{1, 2}));
    EXPECT_TRUE(traceBoundary(makeBitImage(4, 4)).empty());
}

TEST(Outline, SimpleClosedCurveCheck) {
    struct Case {
        const char* name;
        std::vector<Pixel> curve;
        bool simple;
    };
    const std::vector<Pixel> diamond = {{3, 1}, {4, 2}, {5, 3}, {4, 4}, {3, 5}, {2, 4}, {1, 3}, {2, 2}};
    std::vector<Pixel> repeated = diamond;
    repeated.push_back({3, 1});
    std::vector<Pixel> gap = diamond;
    gap.erase(gap.begin() + 2);
    std::vector<Pixel> spur = diamond; // a ninth pixel inside touches three curve pixels
    spur.insert(spur.begin() + 1, {3, 2});
    const std::vector<Pixel> square = {{1, 1}, {2, 1}, {3, 1}, {3, 2}, {3, 3}, {2, 3}, {1, 3}, {1, 2}};
    const Case cases[] = {
        {"diamond", diamond, true},
        {"pixel visited twice", repeated, false},
        {"gap between neighbours", gap, false},
        {"pixel with three neighbours", spur, false},
        {"square with its corners", square, false}, // a corner's two neighbours touch each other
        {"too short", {{1, 1}, {2, 2}, {1, 2}}, false},
        {"outside the picture", {{0, 0}, {1, 1}, {0, 2}, {-1, 1}}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(isSimpleClosedCurve(c.curve, 8, 8), c.simple);
    }
}

TEST(Outline, HolesAreFoundAndCutOpen) {
    const std::vector<std::string> ring = {
        "............", ".##########.", ".##########.", ".##########.", ".###....###.",
        ".###....###.", ".##########.", ".##########.", ".##########.", "............",
    };
    BitImage image = drawn(ring);
    ASSERT_EQ(holesOf(image).size(), 1u);
    EXPECT_EQ(holesOf(image)[0].size(), 8u);
    ASSERT_TRUE(cutHolesOpen(image, 2));
    EXPECT_TRUE(holesOf(image).empty());
    // The cut runs straight up through the ring's three-pixel wall, two pixels wide.
    EXPECT_EQ(std::count(image.bits.begin(), image.bits.end(), uint8_t(1)),
              std::ptrdiff_t(pixelsOf(ring).size()) - 6);
    EXPECT_FALSE(image.at(4, 1));
    EXPECT_FALSE(image.at(5, 3));
    std::vector<Pixel> curve = withoutCorners(traceBoundary(image));
    EXPECT_TRUE(isSimpleClosedCurve(curve, image.width, image.height));

    // Without holes nothing changes.
    BitImage solid = drawn({".....", ".###.", ".###.", "....."});
    BitImage before = solid;
    EXPECT_TRUE(cutHolesOpen(solid, 2));
    EXPECT_EQ(solid.bits, before.bits);
}

TEST(Outline, OpeningAndClosing) {
    // A one-pixel bridge between two blocks goes with opening; a one-pixel gap goes with closing.
    BitImage bridged = drawn({"...........", ".###...###.", ".#########.", ".###...###.", "..........."});
    BitImage open = opened(bridged, 1);
    EXPECT_FALSE(open.at(5, 2));
    EXPECT_TRUE(open.at(2, 2));
    BitImage gapped = drawn({"........", ".###.##.", ".###.##.", ".###.##.", "........"});
    BitImage shut = closed(gapped, 1);
    EXPECT_TRUE(shut.at(4, 2));
}

} // namespace
} // namespace pelx

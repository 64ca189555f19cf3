// Every texture of the published list, as the build generated it: it exists, decodes with the
// show's loader as a colour picture of its listed size, has detail, tiles without a seam where
// it repeats, and is black along its edges where it is a sprite.
#include "textures.h"

#include "generated_data.h"
#include "image/texture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>

namespace pelx {
namespace {

double luminance(const RgbImage& image, int x, int y) {
    const uint8_t* p = &image.pixels[size_t(y) * size_t(image.stride) + size_t(x) * 3];
    return 0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2];
}

// The mean difference between two neighbouring columns (or rows): the largest such step inside
// the picture, and the step across the wrap from the last to the first. A texture that tiles
// steps across its wrap no more than somewhere inside (a brick course, a panel's frame).
struct SeamFigures {
    double inside = 0;
    double across = 0;
    bool tiles() const { return across < 1.25 * inside + 2.0; }
};

SeamFigures seam(const RgbImage& image, bool columns) {
    int lines = columns ? image.width : image.height;
    int length = columns ? image.height : image.width;
    auto at = [&](int line, int i) {
        return columns ? luminance(image, line, i) : luminance(image, i, line);
    };
    auto step = [&](int from, int to) {
        double sum = 0;
        for (int i = 0; i < length; ++i) sum += std::fabs(at(to, i) - at(from, i));
        return sum / length;
    };
    SeamFigures figures;
    figures.across = step(lines - 1, 0);
    for (int line = 0; line + 1 < lines; ++line)
        figures.inside = std::max(figures.inside, step(line, line + 1));
    return figures;
}

TEST(Textures, PathsAreUniqueDataJpegs) {
    std::set<std::string> paths;
    for (const TextureRecipe& recipe : textureRecipes()) {
        std::string path = recipe.path;
        EXPECT_TRUE(paths.insert(path).second) << path << " is listed twice";
        EXPECT_EQ(path.rfind("data/", 0), 0u) << path;
        EXPECT_EQ(path.substr(path.size() - 4), ".jpg") << path;
        EXPECT_TRUE(recipe.size == 256 || recipe.size == 512) << path;
    }
    EXPECT_GE(paths.size(), 40u);
}

TEST(Textures, EveryListedTextureWasGeneratedAndLooksRight) {
    for (const TextureRecipe& recipe : textureRecipes()) {
        SCOPED_TRACE(recipe.path);
        std::string file = test::generatedData(recipe.path);
        test::JpegHeader header = test::readJpegHeader(file);
        ASSERT_TRUE(header.read) << "missing or not a JPEG: " << file;
        EXPECT_EQ(header.components, 3);
        EXPECT_EQ(header.colorSpace, JCS_YCbCr);
        std::unique_ptr<RgbImage> image = loadJpeg(file.c_str());
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->width, recipe.size);
        EXPECT_EQ(image->height, recipe.size);
        EXPECT_EQ(image->stride, recipe.size * 3);

        // Detail: the brightness varies.
        double sum = 0, squares = 0, brightest = 0;
        for (int y = 0; y < image->height; ++y)
            for (int x = 0; x < image->width; ++x) {
                double l = luminance(*image, x, y);
                sum += l, squares += l * l, brightest = std::max(brightest, l);
            }
        double n = double(image->width) * image->height;
        double spread = std::sqrt(std::max(0.0, squares / n - (sum / n) * (sum / n)));
        EXPECT_GT(spread, 2.0);

        switch (recipe.use) {
        case TextureUse::TILED:
            // Across the wrap the picture changes no more than between any two neighbours.
            for (bool columns : {true, false}) {
                SeamFigures f = seam(*image, columns);
                EXPECT_TRUE(f.tiles()) << (columns ? "left-right" : "top-bottom") << " seam: " << f.across
                                       << " across the wrap, at most " << f.inside << " inside";
            }
            break;
        case TextureUse::SPRITE:
        case TextureUse::FAINT: {
            double edge = 0;
            for (int i = 0; i < image->width; ++i)
                for (int k = 0; k < 2; ++k) {
                    edge =
                        std::max({edge, luminance(*image, i, k), luminance(*image, i, image->height - 1 - k),
                                  luminance(*image, k, i), luminance(*image, image->width - 1 - k, i)});
                }
            EXPECT_LE(edge, 6.0) << "a sprite's edge must be black";
            // A faint sprite is laid over itself many times; one layer is still more than noise.
            EXPECT_GT(brightest, recipe.use == TextureUse::SPRITE ? 150.0 : 15.0);
            break;
        }
        case TextureUse::PICTURE:
            break;
        }
    }
}

TEST(Textures, TheSeamCheckSeesAPictureThatDoesNotTile) {
    // The view out of the window runs from sky to trees: its top and bottom rows differ.
    std::unique_ptr<RgbImage> image = loadJpeg(test::generatedData(TEX_DAYLIGHT).c_str());
    ASSERT_NE(image, nullptr);
    EXPECT_FALSE(seam(*image, false).tiles());
}

} // namespace
} // namespace pelx

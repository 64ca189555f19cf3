// The show's own pictures as generated: the loading picture is 3:2 and dark, the end picture
// is black except for its text (it is added over the last scene), and the fire sprite is black
// along its edges and bright in the middle.
#include "pictures.h"

#include "generated_data.h"
#include "image/texture.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace pelx {
namespace {

int brightest(const RgbImage& image, int x0, int y0, int x1, int y1) {
    int best = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            for (int c = 0; c < 3; ++c)
                best = std::max(
                    best, int(image.pixels[size_t(y) * size_t(image.stride) + size_t(x) * 3 + size_t(c)]));
    return best;
}

double meanLevel(const RgbImage& image) {
    double sum = 0;
    for (uint8_t v : image.pixels) sum += v;
    return sum / double(image.pixels.size());
}

TEST(Pictures, GeneratedPictures) {
    for (const char* path : {LOAD_PICTURE, END_PICTURE, FIRE_SPRITE}) {
        SCOPED_TRACE(path);
        test::JpegHeader header = test::readJpegHeader(test::generatedData(path));
        ASSERT_TRUE(header.read);
        EXPECT_EQ(header.components, 3);
    }
    std::unique_ptr<RgbImage> load = loadJpeg(test::generatedData(LOAD_PICTURE).c_str());
    ASSERT_NE(load, nullptr);
    EXPECT_EQ(load->width * 2, load->height * 3);
    EXPECT_LT(meanLevel(*load), 40.0);                                 // dark
    EXPECT_GT(brightest(*load, 0, 0, load->width, load->height), 200); // but the name shines

    std::unique_ptr<RgbImage> end = loadJpeg(test::generatedData(END_PICTURE).c_str());
    ASSERT_NE(end, nullptr);
    EXPECT_EQ(end->width * 2, end->height * 3);
    // Black along every border and in the corners where no text goes; bright text in the middle.
    EXPECT_LE(brightest(*end, 0, 0, end->width, 40), 3);
    EXPECT_LE(brightest(*end, 0, end->height - 40, end->width, end->height), 3);
    EXPECT_LE(brightest(*end, 0, 0, 40, end->height), 3);
    EXPECT_LE(brightest(*end, end->width - 40, 0, end->width, end->height), 3);
    EXPECT_GT(brightest(*end, end->width / 4, end->height / 4, end->width * 3 / 4, end->height * 3 / 4), 200);

    std::unique_ptr<RgbImage> fire = loadJpeg(test::generatedData(FIRE_SPRITE).c_str());
    ASSERT_NE(fire, nullptr);
    EXPECT_EQ(fire->width, fire->height);
    EXPECT_LE(brightest(*fire, 0, 0, fire->width, 3), 4);
    EXPECT_LE(brightest(*fire, 0, fire->height - 3, fire->width, fire->height), 4);
    EXPECT_LE(brightest(*fire, 0, 0, 3, fire->height), 4);
    EXPECT_LE(brightest(*fire, fire->width - 3, 0, fire->width, fire->height), 4);
    EXPECT_GT(brightest(*fire, fire->width / 3, fire->height / 3, fire->width * 2 / 3, fire->height * 2 / 3),
              220);
}

} // namespace
} // namespace pelx

#include "image/jpeg_writer.h"
#include "image/texture.h"
#include "support/test_support.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace pelx {
namespace {

// Flat colour blocks survive JPEG compression within a few levels.
void expectNear(const RgbImage& image, int x, int y, int r, int g, int b) {
    const uint8_t* p = &image.pixels[size_t(y) * image.stride + size_t(x) * 3];
    EXPECT_NEAR(p[0], r, 6) << "at " << x << "," << y;
    EXPECT_NEAR(p[1], g, 6) << "at " << x << "," << y;
    EXPECT_NEAR(p[2], b, 6) << "at " << x << "," << y;
}

TEST(LoadJpegTest, ColourFileDecodesToRgbRowsTopFirst) {
    test::TempDir dir;
    // 37 x 21: an odd width whose rows are not a multiple of four bytes. Top half red, bottom blue.
    const int width = 37, height = 21;
    std::vector<uint8_t> pixels(size_t(width) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = &pixels[(size_t(y) * width + x) * 3];
            bool top = y < 8;
            p[0] = top ? 220 : 10;
            p[1] = top ? 30 : 40;
            p[2] = top ? 20 : 200;
        }
    ASSERT_TRUE(test::writeJpeg(dir.file("colour.jpg"), width, height, 3, pixels));

    auto image = loadJpeg(dir.file("colour.jpg").c_str());
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, width);
    EXPECT_EQ(image->height, height);
    EXPECT_EQ(image->stride, width * 3);
    ASSERT_EQ(image->pixels.size(), size_t(width) * height * 3);
    expectNear(*image, 2, 2, 220, 30, 20);
    expectNear(*image, 30, 18, 10, 40, 200);
}

TEST(LoadJpegTest, GrayscaleFileComesOutAsRgb) {
    test::TempDir dir;
    const int width = 16, height = 16;
    std::vector<uint8_t> pixels(size_t(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) pixels[size_t(y) * width + x] = x < 8 ? 40 : 200;
    ASSERT_TRUE(test::writeJpeg(dir.file("gray.jpg"), width, height, 1, pixels));

    auto image = loadJpeg(dir.file("gray.jpg").c_str());
    ASSERT_TRUE(image);
    EXPECT_EQ(image->stride, width * 3);
    expectNear(*image, 2, 5, 40, 40, 40);
    expectNear(*image, 13, 5, 200, 200, 200);
}

TEST(LoadJpegTest, MissingDamagedAndForeignFilesGiveNoImage) {
    test::TempDir dir;
    std::vector<uint8_t> good(64 * 3 * 64, 128);
    ASSERT_TRUE(test::writeJpeg(dir.file("good.jpg"), 64, 64, 3, good));
    std::vector<uint8_t> bytes = test::readFile(dir.file("good.jpg"));
    // A header cut off before the frame: libjpeg gives up, and so must we, without exiting.
    test::writeFile(dir.file("cut.jpg"), std::vector<uint8_t>(bytes.begin(), bytes.begin() + 20));
    test::writeFile(dir.file("text.jpg"), {'n', 'o', 't', ' ', 'a', ' ', 'j', 'p', 'e', 'g'});
    test::writeFile(dir.file("empty.jpg"), {});

    for (const char* name : {"absent.jpg", "cut.jpg", "text.jpg", "empty.jpg"})
        EXPECT_FALSE(loadJpeg(dir.file(name).c_str())) << name;
    // The process is still here, and a good file still decodes afterwards.
    EXPECT_TRUE(loadJpeg(dir.file("good.jpg").c_str()));
}

TEST(RecordingTextureBackendTest, NamesFilesAndBlankTexturesWithoutOpenGl) {
    RecordingTextureBackend recorder;
    TextureId slots[3] = {0, 0, 0};
    {
        ScopedTextureBackend installed(&recorder);
        loadTexture(slots, "data/brick.jpg", 1);
        createBlankTexture(slots, 512, 3, 0x1907, 2);
        loadTexture(slots, nullptr, 0); // no path: nothing happens
    }

    EXPECT_EQ(slots[0], 0u);
    EXPECT_EQ(slots[1], 1u);
    EXPECT_EQ(slots[2], 2u);
    ASSERT_EQ(recorder.entries().size(), 2u);
    EXPECT_EQ(recorder.entries()[0].path, "data/brick.jpg");
    EXPECT_EQ(recorder.entries()[1].edge, 512);
}

} // namespace
} // namespace pelx

#include "image/jpeg_writer.h"
#include "image/texture.h"
#include "support/gl_test_support.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

namespace pelx {
namespace {

class TextureTest : public ::testing::Test {
  protected:
    void SetUp() override { test::openTestDisplay(); }
    test::TempDir dir;
};

std::vector<uint8_t> levelZero(TextureId id, int* width, int* height) {
    glBindTexture(GL_TEXTURE_2D, id);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, height);
    std::vector<uint8_t> texels(size_t(*width) * *height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
    return texels;
}

TEST_F(TextureTest, ColourJpegBecomesAMipmappedTexture) {
    const int width = 64, height = 32;
    std::vector<uint8_t> pixels(size_t(width) * height * 3);
    for (size_t i = 0; i < pixels.size(); i += 3) {
        pixels[i] = 200;
        pixels[i + 1] = 100;
        pixels[i + 2] = 20;
    }
    ASSERT_TRUE(test::writeJpeg(dir.file("a.jpg"), width, height, 3, pixels));
    test::MessageRecorder recorder;
    TextureId slots[2] = {0, 0};
    loadTexture(slots, dir.file("a.jpg").c_str(), 1);

    EXPECT_TRUE(recorder.messages.empty());
    ASSERT_NE(slots[1], 0u);
    int w = 0, h = 0;
    std::vector<uint8_t> texels = levelZero(slots[1], &w, &h);
    EXPECT_EQ(w, width);
    EXPECT_EQ(h, height);
    EXPECT_NEAR(texels[3 * 100 + 0], 200, 6);
    EXPECT_NEAR(texels[3 * 100 + 1], 100, 6);
    EXPECT_NEAR(texels[3 * 100 + 2], 20, 6);
    GLint minFilter = 0, magFilter = 0, lastLevelWidth = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 6, GL_TEXTURE_WIDTH, &lastLevelWidth);
    EXPECT_EQ(minFilter, GL_LINEAR_MIPMAP_NEAREST);
    EXPECT_EQ(magFilter, GL_LINEAR);
    EXPECT_EQ(lastLevelWidth, 1); // the whole chain down to 1 x 1
}

TEST_F(TextureTest, OddWidthRowsAreUploadedUnpadded) {
    // 2 pixels a row = 6 bytes; with four-byte row alignment every row after the first would
    // start two bytes late and mix the columns.
    const int width = 2, height = 8;
    std::vector<uint8_t> pixels(size_t(width) * height, 0);
    for (int y = 0; y < height; ++y) pixels[size_t(y) * width + 1] = 255; // right column white
    ASSERT_TRUE(test::writeJpeg(dir.file("odd.jpg"), width, height, 1, pixels));
    TextureId slot = 0;
    loadTexture(&slot, dir.file("odd.jpg").c_str(), 0);
    int w = 0, h = 0;
    std::vector<uint8_t> texels = levelZero(slot, &w, &h);
    ASSERT_EQ(w, width);
    ASSERT_EQ(h, height);
    for (int y = 0; y < h; ++y) {
        EXPECT_GT(texels[(size_t(y) * w + 1) * 3], 200) << "row " << y;
        EXPECT_LT(texels[(size_t(y) * w + 0) * 3], 50) << "row " << y;
    }
}

TEST_F(TextureTest, UnreadableFilesAreReportedAndStillGetATextureName) {
    std::vector<uint8_t> good(16 * 16 * 3, 90);
    ASSERT_TRUE(test::writeJpeg(dir.file("good.jpg"), 16, 16, 3, good));
    std::vector<uint8_t> bytes = test::readFile(dir.file("good.jpg"));
    bytes.resize(30);
    test::writeFile(dir.file("damaged.jpg"), bytes);

    for (std::string name : {"missing.jpg", "damaged.jpg"}) {
        test::MessageRecorder recorder;
        TextureId slot = 0;
        std::string path = dir.file(name);
        loadTexture(&slot, path.c_str(), 0);
        ASSERT_EQ(recorder.messages.size(), 1u) << name;
        EXPECT_EQ(recorder.messages[0].first, path);
        EXPECT_EQ(recorder.messages[0].second, "-=(Status)=-");
        EXPECT_NE(slot, 0u) << name;
        EXPECT_TRUE(glIsTexture(slot)) << name;
    }
}

TEST_F(TextureTest, NoPathMakesNoTextureName) {
    test::MessageRecorder recorder;
    TextureId slot = 12345;
    loadTexture(&slot, nullptr, 0);
    EXPECT_EQ(slot, 12345u);
    EXPECT_TRUE(recorder.messages.empty());
}

TEST_F(TextureTest, BlankTextureIsBlackWithLinearFilters) {
    TextureId slots[1] = {0};
    createBlankTexture(slots, 512, 3, GL_RGB, 0);
    int w = 0, h = 0;
    std::vector<uint8_t> texels = levelZero(slots[0], &w, &h);
    EXPECT_EQ(w, 512);
    EXPECT_EQ(h, 512);
    size_t lit = 0;
    for (uint8_t t : texels) lit += t != 0;
    EXPECT_EQ(lit, 0u);
    GLint minFilter = 0, magFilter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
    EXPECT_EQ(minFilter, GL_LINEAR);
    EXPECT_EQ(magFilter, GL_LINEAR);
}

} // namespace
} // namespace pelx

#include "image/texture.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace pelx {
namespace {

// A 320 x 200 8-bit BMP as a paint program writes it: headers, 256-entry palette, rows bottom first.
std::vector<uint8_t> maskBmp(uint8_t topLeft, uint8_t bottomLeft, uint8_t fill) {
    std::vector<uint8_t> file(1078, 0);
    file[0] = 'B';
    file[1] = 'M';
    file[10] = 0x36; // pixel offset 1078 = 0x436
    file[11] = 0x04;
    file[14] = 40;
    std::vector<uint8_t> rows(MASK_SIZE, fill);
    rows[0] = bottomLeft;                       // first stored row is the picture's bottom
    rows[size_t(MASK_HEIGHT - 1) * MASK_WIDTH] = topLeft; // last stored row is its top
    file.insert(file.end(), rows.begin(), rows.end());
    return file;
}

TEST(LoadMaskBmpTest, RowsAreTurnedTopFirst) {
    test::TempDir dir;
    test::writeFile(dir.file("p.bmp"), maskBmp(7, 9, 1));
    std::vector<uint8_t> buffer(MASK_SIZE, 0xAA);
    loadMaskBmp(dir.file("p.bmp").c_str(), buffer.data());
    EXPECT_EQ(buffer[0], 7);
    EXPECT_EQ(buffer[63680], 9);
    EXPECT_EQ(buffer[1], 1);
    EXPECT_EQ(buffer[MASK_SIZE - 1], 1);
}

TEST(LoadMaskBmpTest, ShortAndMissingFiles) {
    test::TempDir dir;
    struct Case {
        const char* what;
        size_t keep; // bytes of the file kept; 0 = no file at all
        uint8_t bottomLeft, topLeft, firstMissing;
    };
    // Cut after the bottom row's first 320 bytes: the rest of the picture reads as 0xFF.
    const Case cases[] = {
        {"cut after one row", 1078 + 320, 9, 0xFF, 0xFF},
        {"cut inside the header", 100, 0xFF, 0xFF, 0xFF},
        {"missing", 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        std::string path = dir.file(std::string(c.what) + ".bmp");
        if (c.keep) {
            std::vector<uint8_t> file = maskBmp(7, 9, 1);
            file.resize(c.keep);
            test::writeFile(path, file);
        }
        std::vector<uint8_t> buffer(MASK_SIZE, 0xAA);
        loadMaskBmp(path.c_str(), buffer.data());
        EXPECT_EQ(buffer[63680], c.bottomLeft) << c.what;
        EXPECT_EQ(buffer[0], c.topLeft) << c.what;
        EXPECT_EQ(buffer[198 * MASK_WIDTH], c.firstMissing) << c.what;
    }
}

} // namespace
} // namespace pelx

// Every input under regressions/ once made a loader crash or allocate without bound under the
// fuzzers (regressions/jpeg: pictures). Each is loaded again, and what comes back must be sound.
#include "image/jpeg_writer.h"
#include "image/texture.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace pelx {
namespace {

std::vector<std::string> inputsIn(const char* kind) {
    std::vector<std::string> paths;
    std::filesystem::path folder = std::filesystem::path(PELX_FUZZ_REGRESSIONS) / kind;
    std::error_code ignored;
    if (!std::filesystem::is_directory(folder, ignored)) return paths;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.is_regular_file()) paths.push_back(entry.path().string());
    return paths;
}

TEST(FuzzRegressions, PicturesClaimingHugeSizesAreRefused) {
    const std::vector<std::string> inputs = inputsIn("jpeg");
    ASSERT_FALSE(inputs.empty());
    for (const std::string& path : inputs) {
        std::unique_ptr<RgbImage> image = loadJpeg(path.c_str());
        if (!image) continue;
        EXPECT_LE(image->width, 8192) << path;
        EXPECT_LE(image->height, 8192) << path;
        EXPECT_EQ(image->pixels.size(), size_t(image->stride) * size_t(image->height)) << path;
    }
    // The one found: a grayscale frame header claiming 25605 x 31088 pixels in 108 bytes.
    EXPECT_EQ(loadJpeg((std::string(PELX_FUZZ_REGRESSIONS) + "/jpeg/huge-claimed-size.jpg").c_str()),
              nullptr);
}

TEST(FuzzRegressions, PictureEdgesUpTo8192AreDecoded) {
    test::TempDir dir;
    struct Case {
        int width, height;
        bool decoded;
    };
    const Case cases[] = {{8192, 1, true}, {8193, 1, false}, {1, 8192, true}, {1, 8193, false}};
    for (const Case& c : cases) {
        const std::string path = dir.file("edge.jpg");
        ASSERT_TRUE(test::writeJpeg(path, c.width, c.height, 1,
                                    std::vector<uint8_t>(size_t(c.width) * c.height, 77)));
        std::unique_ptr<RgbImage> image = loadJpeg(path.c_str());
        EXPECT_EQ(image != nullptr, c.decoded) << c.width << " x " << c.height;
        if (image) {
            EXPECT_EQ(image->width, c.width);
            EXPECT_EQ(image->height, c.height);
        }
    }
}

} // namespace
} // namespace pelx

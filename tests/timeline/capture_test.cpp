// pelx-capture end to end on small data: the frames it writes for a given rate and range, and
// that two runs write the same files.
#include "show_data.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace pelx {
namespace {

int runCapture(const std::filesystem::path& dir, const std::string& arguments) {
    std::string command = "cd '" + dir.string() + "' && '" PELX_CAPTURE_PATH "' " + arguments + " 2>/dev/null";
    return std::system(command.c_str());
}

std::vector<std::filesystem::path> framesIn(const std::filesystem::path& dir) {
    std::vector<std::filesystem::path> frames;
    if (!std::filesystem::exists(dir)) return frames;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) frames.push_back(entry.path());
    std::sort(frames.begin(), frames.end());
    return frames;
}

TEST(CaptureTest, WritesEveryFrameOfTheRangeAndRepeatsItself) {
    test::TempDir dir;
    test::writeShowData(dir.path);
    struct Case {
        const char* arguments;
        size_t frames;
    };
    // Show time of frame n is n / fps; the range is from <= t < to.
    const Case cases[] = {
        {"--fps 4 --to 2 --size 160x120 --out a", 8},
        {"--fps 4 --to 2 --size 160x120 --out b", 8},
        {"--fps 10 --from 1 --to 2 --size 160x120 --out c", 10},
        {"--fps 10 --from 1 --to 2 --every 3 --size 160x120 --out d", 3}, // frames 12, 15 and 18
        {"--fps 2 --to 1 --with-loading --size 160x120 --out e", 12},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(runCapture(dir.path, c.arguments), 0) << c.arguments;
        std::string out = std::string(c.arguments).substr(std::string(c.arguments).rfind(' ') + 1);
        EXPECT_EQ(framesIn(dir.path / out).size(), c.frames) << c.arguments;
    }
    std::vector<std::filesystem::path> a = framesIn(dir.path / "a"), b = framesIn(dir.path / "b");
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) EXPECT_EQ(test::readFile(a[i].string()), test::readFile(b[i].string())) << i;
    // Frames differ over time: the camera moves.
    EXPECT_NE(test::readFile(a.front().string()), test::readFile(a.back().string()));
}

TEST(CaptureTest, RefusesBadArguments) {
    test::TempDir dir;
    for (const char* arguments : {"", "--fps 0 --out x", "--size 10 --out x", "--scene road --out x",
                                  "--benchmark --scene nowhere", "--from 3 --to 2 --out x", "--bogus"})
        EXPECT_NE(runCapture(dir.path, arguments), 0) << arguments;
}

} // namespace
} // namespace pelx

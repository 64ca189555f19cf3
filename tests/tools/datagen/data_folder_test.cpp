// pelx-datagen on a disk that fills up: one message, status 1, and every file left under its
// name is whole, byte for byte the file of the build's complete run.
#include "generated_data.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace pelx {
namespace {

// Standard error and then "status N" of a shell command.
std::string errorsAndStatus(const std::string& command) {
    std::string output;
    if (std::FILE* pipe = popen((command + " 2>&1 >/dev/null; echo status $?").c_str(), "r")) {
        char buffer[256];
        while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
        pclose(pipe);
    }
    return output;
}

TEST(DataFolder, AFullDiskStopsAtTheFirstFailedFileWithOneMessage) {
    test::SmallDisk disk(1024 * 1024);
    if (!disk.mounted) GTEST_SKIP() << disk.reason;
    const std::string output = errorsAndStatus("'" PELX_DATAGEN_PATH "' '" + disk.dir.path.string() + "'");
    const size_t firstLineEnd = output.find('\n');
    ASSERT_NE(firstLineEnd, std::string::npos) << output;
    EXPECT_NE(output.substr(0, firstLineEnd).find("No space left on device"), std::string::npos) << output;
    EXPECT_EQ(output.substr(firstLineEnd + 1), "status 1\n") << output;

    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(disk.dir.path / "data")) {
        const std::string name = entry.path().filename().string();
        EXPECT_NE(name[0], '.') << "left behind: " << name;
        EXPECT_TRUE(test::readFile(entry.path().string()) ==
                    test::readFile(test::generatedData("data/" + name)))
            << name << " differs from the complete run's file";
        ++files;
    }
    EXPECT_GT(files, 0u);
}

// A machine without the DejaVu fonts would get other pictures than ours: the generator says
// which font is missing and writes nothing.
TEST(DataFolder, MissingFontsFailBeforeAnythingIsWritten) {
    if (errorsAndStatus("unshare -m true") != "status 0\n")
        GTEST_SKIP() << "cannot make a mount namespace here (needs root)";
    test::TempDir show;
    // The fonts' folder hidden under an empty tmpfs, in a mount namespace of the generator's own.
    const std::string output = errorsAndStatus(
        "unshare -m sh -c 'mount -t tmpfs tmpfs /usr/share/fonts/truetype/dejavu && exec \"$0\" \"$1\"' '" PELX_DATAGEN_PATH
        "' '" + show.path.string() + "'");
    EXPECT_NE(output.find("cannot load the font /usr/share/fonts/truetype/dejavu/DejaVuSans-ExtraLight.ttf"),
              std::string::npos)
        << output;
    EXPECT_NE(output.find("fonts-dejavu-extra"), std::string::npos) << output;
    EXPECT_TRUE(output.ends_with("status 1\n")) << output;
    EXPECT_FALSE(std::filesystem::exists(show.path / "data"));
}

} // namespace
} // namespace pelx

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

TEST(DataFolder, AFullDiskStopsAtTheFirstFailedFileWithOneMessage) {
    test::SmallDisk disk(1024 * 1024);
    if (!disk.mounted) GTEST_SKIP() << disk.reason;
    // Standard error only, then the status.
    const std::string command =
        "'" PELX_DATAGEN_PATH "' '" + disk.dir.path.string() + "' 2>&1 >/dev/null; echo status $?";
    std::string output;
    if (std::FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
        pclose(pipe);
    }
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

} // namespace
} // namespace pelx

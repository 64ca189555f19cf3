// Two generations give the same bytes: the pictures, textures, mask and scenes written twice in
// this process, and once more by the build's run of pelx-datagen. The soundtrack is compared on
// a short render (the whole track takes seconds to encode; its file is checked by the
// soundtrack test).
#include "data_folder.h"
#include "logo_mask.h"
#include "pictures.h"
#include "scenes.h"
#include "soundtrack.h"
#include "textures.h"

#include "generated_data.h"
#include "mp3_encoder.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace pelx {
namespace {

bool generate(const std::filesystem::path& showDir) {
    bool ok = writePictures(showDir);
    ok = writeLogoMask(showDir) && ok;
    ok = writeTextures(showDir) && ok;
    return writeScenes((showDir / "data").string()) && ok;
}

std::map<std::string, std::vector<uint8_t>> filesUnder(const std::filesystem::path& folder) {
    std::map<std::string, std::vector<uint8_t>> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            files[std::filesystem::relative(entry.path(), folder).string()] =
                test::readFile(entry.path().string());
    return files;
}

TEST(Determinism, TwoGenerationsGiveTheSameBytes) {
    test::TempDir first, second;
    ASSERT_TRUE(generate(first.path));
    ASSERT_TRUE(generate(second.path));
    auto a = filesUnder(first.path / "data"), b = filesUnder(second.path / "data");
    ASSERT_EQ(a.size(), b.size());
    // Every texture, the three pictures, the mask and six scenes.
    EXPECT_EQ(a.size(), textureRecipes().size() + 3 + 1 + 6);
    for (const auto& [name, bytes] : a) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(b.count(name));
        EXPECT_FALSE(bytes.empty());
        EXPECT_TRUE(bytes == b.at(name));
        // The build's own run of the generator, in another process, wrote the same file.
        EXPECT_TRUE(bytes == test::readFile(test::generatedData("data/" + name)));
    }
}

TEST(DataFolder, AFolderThatCannotBeMadeIsOneErrorAndNothingElse) {
    test::TempDir dir;
    test::writeFile((dir.path / "file").string(), {1, 2, 3});
    // Under a file, and a "data" that is itself a file.
    std::filesystem::create_directory(dir.path / "show");
    test::writeFile((dir.path / "show" / "data").string(), {4});
    for (const auto& showDir : {dir.path / "file", dir.path / "show"}) {
        SCOPED_TRACE(showDir.string());
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        EXPECT_FALSE(writeDataFolder(showDir));
        const std::string out = testing::internal::GetCapturedStdout();
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(err.rfind("pelx-datagen: cannot make the folder " + (showDir / "data").string() + ": ", 0),
                  0u)
            << err;
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_EQ(out, "") << "no part was started";
    }
    EXPECT_EQ(test::readFile((dir.path / "show" / "data").string()), std::vector<uint8_t>{4});
}

TEST(Determinism, TheSoundtracksOpeningRendersAndEncodesTheSameTwice) {
    SoundMix one = renderSoundtrack(3.0), two = renderSoundtrack(3.0);
    std::vector<int16_t> pcmOne = finishSoundtrack(one), pcmTwo = finishSoundtrack(two);
    ASSERT_EQ(pcmOne.size(), size_t(3 * SAMPLE_RATE * 2));
    EXPECT_TRUE(pcmOne == pcmTwo);
    std::vector<uint8_t> mp3One = encodeMp3(pcmOne), mp3Two = encodeMp3(pcmTwo);
    EXPECT_FALSE(mp3One.empty());
    EXPECT_TRUE(mp3One == mp3Two);
}

} // namespace
} // namespace pelx

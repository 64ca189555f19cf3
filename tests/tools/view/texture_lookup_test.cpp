// The viewer's texture lookup: the show's path from the current folder first, then beside the
// scene file, then the file name in any letter case there; and a scene written by lib3ds (no
// camera, omni lights, pictures named in another case) loaded through it.
#include "lib3ds_scene.h"
#include "support/test_support.h"
#include "texture_lookup.h"
#include "viewed_scene.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace pelx::view {
namespace {

// Runs the test body from dir, as the viewer runs from the user's folder.
class InFolder {
  public:
    explicit InFolder(const std::filesystem::path& dir) : before(std::filesystem::current_path()) {
        std::filesystem::current_path(dir);
    }
    ~InFolder() { std::filesystem::current_path(before); }

  private:
    std::filesystem::path before;
};

TEST(TextureLookup, CurrentFolderThenBesideTheSceneThenAnyLetterCase) {
    test::TempDir dir;
    std::filesystem::create_directories(dir.path / "scenes" / "maps");
    for (const char* file :
         {"wood.jpg", "scenes/wood.jpg", "scenes/stone.jpg", "scenes/Brick.JPG", "scenes/maps/tile.jpg"})
        test::writeFile(dir.file(file), {1, 2, 3});
    InFolder inside(dir.path);
    const std::filesystem::path scenes = "scenes";
    struct Case {
        const char* name;
        std::string found;
    };
    const Case cases[] = {
        {"wood.jpg", "wood.jpg"},                  // the show's own lookup wins
        {"stone.jpg", "scenes/stone.jpg"},         // beside the scene
        {"maps/tile.jpg", "scenes/maps/tile.jpg"}, // a path relative to the scene
        {"brick.jpg", "scenes/Brick.JPG"},         // another letter case
        {"BRICK.jpg", "scenes/Brick.JPG"},
        {"C:\\3dsmax\\maps\\STONE.JPG", "scenes/stone.jpg"}, // a Windows path from another machine
        {"gone.jpg", ""},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(findTextureFile(c.name, scenes), c.found) << c.name;
}

TEST(TextureLookup, ALib3dsSceneFindsItsPicturesAndListsTheMissingOneOnce) {
    test::TempDir dir;
    test::writeFile(dir.file("Floor.JPG"), {1, 2, 3});
    const std::string path = dir.file("other-tool.3ds");
    ASSERT_TRUE(test::writeLib3dsScene(
        path,
        {{"floor", "floor.jpg", {{-100, -100, 0}, {100, -100, 0}, {100, 100, 0}, {-100, 100, 0}}},
         {"wall", "gone.jpg", {{-100, 100, 0}, {100, 100, 0}, {100, 100, 80}, {-100, 100, 80}}},
         {"*0spark", "gone.jpg", {{0, 0, 10}, {1, 0, 10}, {1, 0, 11}, {0, 0, 11}}}},
        2));
    RecordingTextureBackend recorded;
    TextureLookup lookup(dir.path, recorded);
    LoadedScene loaded = loadViewedScene(path, SceneSettings{}, lookup);
    ASSERT_TRUE(loaded.scene) << loaded.error;
    const Scene& scene = *loaded.scene;

    // The material picture by its case-blind name; the flare carrier loads gone.jpg a second
    // time. (lib3ds chooses the order of the meshes.)
    std::vector<std::string> paths;
    for (const auto& entry : recorded.entries()) paths.push_back(entry.path);
    std::sort(paths.begin(), paths.end());
    EXPECT_EQ(paths, (std::vector<std::string>{dir.file("Floor.JPG"), "gone.jpg", "gone.jpg"}));
    ASSERT_EQ(lookup.problems.size(), 1u);
    EXPECT_NE(lookup.problems[0].find("gone.jpg"), std::string::npos);
    EXPECT_EQ(lookup.files, (std::vector<std::string>{dir.file("Floor.JPG")}));

    // No camera to look through, and omni lights light nothing: the viewer starts free, with
    // its headlight.
    EXPECT_FALSE(hasUsableCamera(scene));
    EXPECT_FALSE(lightReachesMeshes(scene));
    EXPECT_EQ(scene.lightCount, 2);
    // The 3DS file's z-up corners, read as (a, c, -b).
    const Bounds bounds = sceneBounds(scene);
    EXPECT_EQ(bounds.low.x, -100);
    EXPECT_EQ(bounds.high.x, 100);
    EXPECT_EQ(bounds.low.y, 0);
    EXPECT_EQ(bounds.high.y, 80);
    EXPECT_EQ(bounds.low.z, -100);
    EXPECT_EQ(bounds.high.z, 100);
}

TEST(TextureLookup, FilesThatDoNotLoadSayWhy) {
    test::TempDir dir;
    const std::string good = dir.file("good.3ds");
    ASSERT_TRUE(test::writeLib3dsScene(
        good, {{"floor", "floor.jpg", {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}}}, 0));
    std::vector<uint8_t> bytes = test::readFile(good);
    test::writeFile(dir.file("half.3ds"),
                    std::vector<uint8_t>(bytes.begin(), bytes.begin() + bytes.size() / 2));
    test::writeFile(dir.file("text.3ds"), {'h', 'e', 'l', 'l', 'o', '\n', 0, 0});
    ASSERT_TRUE(test::writeLib3dsScene(dir.file("empty.3ds"), {}, 1));
    struct Case {
        const char* file;
        const char* reason;
    };
    const Case cases[] = {{"half.3ds", "damaged"},
                          {"text.3ds", "not a 3DS scene"},
                          {"empty.3ds", "no mesh"},
                          {"missing.3ds", "no such file"}};
    for (const Case& c : cases) {
        RecordingTextureBackend recorded;
        TextureLookup lookup(dir.path, recorded);
        LoadedScene loaded = loadViewedScene(dir.file(c.file), SceneSettings{}, lookup);
        EXPECT_FALSE(loaded.scene) << c.file;
        EXPECT_NE(loaded.error.find(c.reason), std::string::npos) << c.file << ": " << loaded.error;
        EXPECT_NE(loaded.error.find(c.file), std::string::npos) << loaded.error;
    }
}

} // namespace
} // namespace pelx::view

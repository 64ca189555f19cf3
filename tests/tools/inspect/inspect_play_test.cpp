// The inspector's --play: a scene dumped after the animation has run at given times, and the
// option's checks.
#include "inspect.h"

#include "json_reader.h"
#include "scene3ds/scene_bytes.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pelx {
namespace {

// A mesh moving from (0, 0, 0) at frame 0 to (10, 0, 0) at frame 10, and a camera whose eye goes
// from (0, 0, 10) at frame 0 to (20, 0, 10) at frame 20 (file coordinates (x, -z, y)), looking
// along -z at a target moving with it. The scene is 20 frames long.
std::vector<uint8_t> movingScene() {
    test::Chunk mesh = test::meshObject("box", {0, 0, 0, 1, 0, 0, 0, 0, 1}, {0, 1, 2}, "");
    test::Chunk camera = test::cameraObject("cam", 0, -10, 0, 0, 0, 0);
    test::Chunk meshNode = test::objectNode("box", {test::positionTrack({{0, 0, 0, 0}, {10, 10, 0, 0}})});
    test::Chunk eyeNode = test::cameraNode(0xB003, "cam", {{0, 0, -10, 0}, {20, 20, -10, 0}});
    test::Chunk targetNode = test::cameraNode(0xB004, "cam", {{0, 0, 0, 0}, {20, 20, 0, 0}});
    return test::fileOf({test::editorOf({mesh, camera}), test::keyframerOf({meshNode, eyeNode, targetNode})});
}

TEST(InspectPlay, SceneIsDumpedAsAnimatedAtTheGivenTimes) {
    struct Case {
        std::vector<std::string> args;
        double frame;
        double meshX;
        int meshCursor;
        double eyeX;
        const char* why;
    } cases[] = {
        {{"--json"}, 0, 0, 0, 0, "not played: as loaded"},
        {{"--json", "--play", "20", "--at", "5"}, 5, 5, 0, 5, "a quarter into the scene"},
        {{"--json", "--at", "5,15", "--play", "20"},
         15,
         15,
         1,
         15,
         "frame 15 on the segment chosen at frame 5: extrapolated"},
        {{"--json", "--play", "20", "--at", "15,5"},
         5,
         15,
         1,
         5,
         "in the order given: the mesh stays on its last key, the camera goes back along its segment"},
        {{"--json", "--play", "20", "--at", "25"}, 19, 19, 1, 19, "past the end: the last frame but one"},
        {{"--json", "--play", "20", "--at", "15,0"}, 0, 0, 0, 0, "time 0 rewinds the mesh past its key"},
    };
    test::TempDir dir;
    const std::string path = dir.file("moving.3ds");
    test::writeFile(path, movingScene());
    for (const Case& c : cases) {
        inspect::DumpOptions options;
        std::string error;
        ASSERT_TRUE(inspect::parseDumpOptions(c.args, options, error)) << error;
        const test::Json scene = test::parseJson(inspect::dumpScene(path.c_str(), options));
        ASSERT_EQ(scene["frameCount"].source, "20");
        EXPECT_DOUBLE_EQ(scene["currentFrame"].value, c.frame) << c.why;
        const test::Json& mesh = scene["objects"][0];
        const test::Json& camera = scene["objects"][1];
        ASSERT_EQ(mesh["name"].text, "box");
        EXPECT_NEAR(mesh["position"][0].value, c.meshX, 1e-9) << c.why;
        EXPECT_EQ(mesh["positionTrack"]["keyIndex"].value, c.meshCursor) << c.why;
        EXPECT_NEAR(camera["eye"][0].value, c.eyeX, 1e-9) << c.why;
        EXPECT_NEAR(camera["eye"][2].value, 10, 1e-9) << c.why;
        // The camera looks straight down -z at its target: no turn.
        EXPECT_NEAR(camera["rotation"][1].value, 0, 1e-9) << c.why;
    }
}

TEST(InspectPlay, BadPlayOptionsAreRefused) {
    const std::vector<std::vector<std::string>> cases = {
        {"--json", "--play"},
        {"--json", "--play", "ten", "--at", "1"},
        {"--json", "--play", "-1", "--at", "1"},
        {"--json", "--play", "10"},
        {"--json", "--at", "1"},
        {"--json", "--play", "10", "--at"},
        {"--json", "--play", "10", "--at", ""},
        {"--json", "--play", "10", "--at", "1,,2"},
        {"--json", "--play", "10", "--at", "1,"},
        {"--json", "--play", "10", "--at", "1,inf"},
        {"--json", "--play", "nan", "--at", "1"},
    };
    for (const std::vector<std::string>& args : cases) {
        inspect::DumpOptions options;
        std::string error;
        std::string joined;
        for (const std::string& arg : args) joined += arg + " ";
        EXPECT_FALSE(inspect::parseDumpOptions(args, options, error)) << joined;
        EXPECT_FALSE(error.empty()) << joined;
    }
    inspect::DumpOptions options;
    std::string error;
    ASSERT_TRUE(inspect::parseDumpOptions({"--json", "--play", "0", "--at", "-1,0.5,2"}, options, error))
        << error;
    EXPECT_EQ(options.playDuration, 0.0f);
    EXPECT_EQ(options.playTimes, (std::vector<float>{-1, 0.5f, 2}));
}

} // namespace
} // namespace pelx

// pelx-view run as a program: snapshots read back from the PNG it writes, compared with what
// pelx-capture writes for the same scene time, and a running viewer that reloads a rewritten
// file and keeps its scene when the file is caught half-written.
#include "lib3ds_scene.h"
#include "support/test_support.h"
#include "timeline/show_data.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <png.h>
#include <sstream>
#include <thread>

namespace pelx {
namespace {

std::string quoted(const std::string& text) {
    return "'" + text + "'";
}

// Runs a command in dir; its exit status, with both output streams in *output.
int run(const std::filesystem::path& dir, const std::string& command, std::string* output = nullptr) {
    const std::string log = (dir / "run.log").string();
    const int status =
        std::system(("cd " + quoted(dir.string()) + " && " + command + " >" + quoted(log) + " 2>&1").c_str());
    if (output) {
        std::ifstream in(log);
        std::stringstream text;
        text << in.rdbuf();
        *output = text.str();
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
    const uint8_t* at(int x, int y) const { return &rgb[(size_t(y) * width + x) * 3]; }
};

Picture readPng(const std::string& path) {
    Picture picture;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return picture;
    image.format = PNG_FORMAT_RGB;
    picture.rgb.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, picture.rgb.data(), 0, nullptr)) return Picture{};
    picture.width = static_cast<int>(image.width);
    picture.height = static_cast<int>(image.height);
    return picture;
}

TEST(ViewProgram, ASceneWithoutCameraOrUsefulLightIsFramedAndLitByTheHeadlight) {
    test::TempDir dir;
    std::vector<uint8_t> red(32 * 32 * 3);
    for (size_t i = 0; i < red.size(); i += 3) red[i] = 250;
    test::writeJpeg(dir.file("RED.JPG"), 32, 32, 3, red);
    std::filesystem::create_directories(dir.path / "work");
    // A 400 x 400 floor with the red picture, named in another case, run from another folder;
    // without lights (drawn as loaded, white) and with omni lights only, which light nothing
    // (black but for the headlight).
    for (int omniLights : {0, 2}) {
        SCOPED_TRACE(omniLights);
        ASSERT_TRUE(test::writeLib3dsScene(
            dir.file("floor.3ds"),
            {{"floor", "red.jpg", {{-200, -200, 0}, {200, -200, 0}, {200, 200, 0}, {-200, 200, 0}}}},
            omniLights));
        std::string output;
        ASSERT_EQ(run(dir.path / "work",
                      quoted(PELX_VIEW_PATH) + " ../floor.3ds --snapshot ../out.png --at 0 --size 160x120",
                      &output),
                  0)
            << output;
        const Picture picture = readPng(dir.file("out.png"));
        ASSERT_EQ(picture.width, 160);
        ASSERT_EQ(picture.height, 120);
        // The middle of the picture is the floor: red, lit, not black.
        for (int y = 48; y < 72; ++y)
            for (int x = 64; x < 96; ++x) {
                const uint8_t* p = picture.at(x, y);
                ASSERT_GT(p[0], 60) << x << "," << y;
                ASSERT_LT(int(p[1]) + p[2], p[0]) << x << "," << y;
            }
        // The whole floor is in view: the picture's corners show nothing.
        for (const auto& [x, y] : {std::pair{0, 0}, {159, 0}, {0, 119}, {159, 119}})
            EXPECT_EQ(picture.at(x, y)[0] + picture.at(x, y)[1] + picture.at(x, y)[2], 0) << x << "," << y;
    }
}

// A box from (x0, y0, z0) to (x1, y1, z1), file coordinates.
test::Chunk boxMesh(const std::string& name, float x0, float y0, float z0, float x1, float y1, float z1) {
    std::vector<float> xyz;
    for (int i = 0; i < 8; ++i) {
        xyz.push_back(i & 1 ? x1 : x0);
        xyz.push_back(i & 2 ? y1 : y0);
        xyz.push_back(i & 4 ? z1 : z0);
    }
    const std::vector<uint16_t> faces = {0, 1, 3, 0, 3, 2, 4, 6, 7, 4, 7, 5, 0, 4, 5, 0, 5, 1,
                                         2, 3, 7, 2, 7, 6, 0, 2, 6, 0, 6, 4, 1, 5, 7, 1, 7, 3};
    return test::meshObject(name, xyz, faces, "data/ground.jpg");
}

// A colonne scene lit the way the show's are: a baked "&" light, and a lamp moving on a light
// node, whose shadows the frames compute, behind a stone column and a "%" glass pane; so the
// picture depends on the shadow rectangles and the translucent shadow factor the script sets.
std::vector<uint8_t> litScene() {
    using test::Chunk;
    Chunk editor(0x3D3D);
    editor.child(test::cameraObject("camera", 0, -300, 150, 0, 0, 0));
    editor.child(test::meshObject("ground", {-200, -200, 0, 200, -200, 0, 200, 200, 0, -200, 200, 0},
                                  {0, 1, 2, 0, 2, 3}, "data/ground.jpg"));
    editor.child(boxMesh("column", -70, 10, 0, -30, 50, 90));
    editor.child(boxMesh("%glass", 20, 20, 0, 90, 26, 70));
    editor.child(test::lightObject("&key", -150, -150, 250, 0.6f, 0.6f, 0.5f));
    editor.child(test::lightObject("lamp", 0, 150, 120, 0.9f, 0.5f, 0.2f));
    std::vector<test::FileKey> eye, target, lamp;
    for (uint32_t frame = 0; frame <= 810; frame += 30) {
        const float angle = frame * 0.01f;
        eye.push_back({frame, 300 * std::sin(angle), -300 * std::cos(angle), 150});
        target.push_back({frame, 0, 0, 0});
        lamp.push_back({frame, 60 * std::cos(angle * 3), 160, 100});
    }
    Chunk keyframer(0xB000);
    keyframer.child(test::cameraNode(0xB003, "camera", eye))
        .child(test::cameraNode(0xB004, "camera", target));
    keyframer.child(test::cameraNode(0xB007, "lamp", lamp));
    return Chunk(0x4D4D).child(editor).child(keyframer).bytes();
}

TEST(ViewProgram, ASnapshotEqualsTheCapturedFrameOfTheSameSceneTime) {
    test::TempDir dir;
    test::writeShowData(dir.path);
    test::writeFile(dir.file("data/colonne.3ds"), litScene());
    // Both at 10 frames per second, to keep the run short. The colonne scene's time begins 67 s
    // into the show, after the ten loading pictures; its frame k is drawn that many frames later.
    const int fps = 10;
    const int64_t before = 10 + 67 * fps;
    const int64_t k = 13; // 1.3 s into the colonne scene
    const int64_t showFrame = before - 10 + k;
    char range[96];
    std::snprintf(range, sizeof range, "--from %.4f --to %.4f", (showFrame - 0.5) / fps,
                  (showFrame + 0.5) / fps);
    std::string output;
    ASSERT_EQ(run(dir.path,
                  quoted(PELX_CAPTURE_PATH) + " --out captured --size 160x120 --fps " + std::to_string(fps) +
                      " " + range,
                  &output),
              0)
        << output;
    // The colonne script's settings: length 27 s, factors 0.1,0.2 over a load with 0.1,0.4, and
    // all three shadow rectangles.
    ASSERT_EQ(run(dir.path,
                  quoted(PELX_VIEW_PATH) +
                      " data/colonne.3ds --snapshot viewed.png --size 160x120 --length 27 " +
                      "--factors 0.1,0.4 --play-factors 0.1,0.2 --shadow-test-mode 2 --fps " +
                      std::to_string(fps) + " --at 1.3 --clock-frames " + std::to_string(before),
                  &output),
              0)
        << output;
    const Picture captured = readPng(dir.file("captured/frame-000000.png"));
    const Picture viewed = readPng(dir.file("viewed.png"));
    ASSERT_EQ(captured.width, 160);
    ASSERT_EQ(viewed.width, 160);
    int lit = 0;
    for (size_t i = 0; i < captured.rgb.size(); ++i) lit += captured.rgb[i] > 0;
    EXPECT_GT(lit, 1000) << "the captured frame shows the scene";
    EXPECT_TRUE(captured.rgb == viewed.rgb);
}

size_t occurrences(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

// A running viewer: stderr to a log, ended by SIGTERM (which the window system turns into a
// close request).
class RunningViewer {
  public:
    RunningViewer(const std::filesystem::path& dir, const std::string& file) : dir(dir) {
        const std::string script =
            "cd " + quoted(dir.string()) + " && { " + quoted(PELX_VIEW_PATH) + " " + file +
            " --size 160x120 2>viewer.log & echo $! >viewer.pid; wait $!; echo $? >viewer.status; } &";
        std::system(("sh -c " + quoted(script)).c_str());
        for (int i = 0; i < 100 && pid == 0; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            std::ifstream in(dir / "viewer.pid");
            in >> pid;
        }
    }
    ~RunningViewer() {
        if (pid > 0 && !stopped) kill(pid, SIGKILL);
    }
    std::string log() const {
        std::ifstream in(dir / "viewer.log");
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    // Waits up to seconds for text to appear in the log `times` times.
    bool waitFor(const std::string& text, double seconds, size_t times = 1) const {
        for (auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
             std::chrono::steady_clock::now() < end;
             std::this_thread::sleep_for(std::chrono::milliseconds(50)))
            if (occurrences(log(), text) >= times) return true;
        return false;
    }
    // Exit status after SIGTERM, or -1 when it does not end within five seconds.
    int stop() {
        stopped = true;
        kill(pid, SIGTERM);
        for (int i = 0; i < 100; ++i) {
            std::ifstream in(dir / "viewer.status");
            int status = -1;
            if (in >> status) return status;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        kill(pid, SIGKILL);
        return -1;
    }
    int pid = 0;

  private:
    std::filesystem::path dir;
    bool stopped = false;
};

TEST(ViewProgram, ARewrittenFileIsReloadedAndAHalfWrittenOneKeepsTheScene) {
    test::TempDir dir;
    const test::Lib3dsQuad floor{
        "floor", "floor.jpg", {{-100, -100, 0}, {100, -100, 0}, {100, 100, 0}, {-100, 100, 0}}};
    const test::Lib3dsQuad wall{
        "wall", "floor.jpg", {{-100, 100, 0}, {100, 100, 0}, {100, 100, 80}, {-100, 100, 80}}};
    // The scene and its picture in a folder of their own: nothing else changes there.
    std::filesystem::create_directories(dir.path / "scene");
    test::writeColourJpeg(dir.file("scene/floor.jpg"), 90, 90, 90);
    const std::string path = dir.file("scene/scene.3ds");
    ASSERT_TRUE(test::writeLib3dsScene(path, {floor}, 1));
    RunningViewer viewer(dir.path, "scene/scene.3ds");
    ASSERT_GT(viewer.pid, 0);
    ASSERT_TRUE(viewer.waitFor("scene.3ds: 1 mesh, 1 light, no camera", 10)) << viewer.log();

    // Rewritten whole: picked up within a second (and some slack for a loaded machine).
    const std::string next = dir.file("next.3ds"); // written elsewhere, then copied over
    ASSERT_TRUE(test::writeLib3dsScene(next, {floor, wall}, 1));
    const std::vector<uint8_t> bytes = test::readFile(next);
    test::writeFile(path, bytes);
    EXPECT_TRUE(viewer.waitFor("reloaded after a change on disk: 2 meshes", 3)) << viewer.log();

    // Caught half-written: said once, and the scene stays.
    test::writeFile(path, std::vector<uint8_t>(bytes.begin(), bytes.begin() + bytes.size() / 2));
    EXPECT_TRUE(viewer.waitFor("stays on screen", 3)) << viewer.log();
    std::this_thread::sleep_for(std::chrono::milliseconds(1200));
    EXPECT_EQ(occurrences(viewer.log(), "stays on screen"), 1u) << viewer.log();
    EXPECT_EQ(occurrences(viewer.log(), "reloaded"), 1u) << viewer.log();
    EXPECT_EQ(occurrences(viewer.log(), "damaged"), 1u) << viewer.log();

    // Finished writing: loaded again.
    test::writeFile(path, bytes);
    EXPECT_TRUE(viewer.waitFor("reloaded after a change on disk: 2 meshes, 1 light", 3, 2)) << viewer.log();
    EXPECT_EQ(viewer.stop(), 0) << viewer.log();
}

} // namespace
} // namespace pelx

// The demo sequence with its own display: what "No Music" changes, and the state it leaves.
#include "audio/music.h"
#include "platform/launch_options.h"
#include "platform/window.h"
#include "show_data.h"
#include "timeline/demo_sequence.h"

#include <gtest/gtest.h>

namespace pelx {
namespace {

// Plays one short scene of the full sequence from a folder holding small data, with frames
// five seconds of virtual time apart.
void playTunnelOnly(bool musicOff) {
    test::TempDir dir;
    test::writeShowData(dir.path);
    std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.path);
    test::TestClock clock(2000);
    test::MessageRecorder messages;
    launchOptions = LaunchOptions{};
    launchOptions.fullscreen = false;
    launchOptions.width = 160;
    launchOptions.height = 120;
    launchOptions.musicOff = musicOff;
    launchOptions.launchRequested = 1;
    ShowHooks hooks;
    hooks.onlyScene = "tunnel";
    std::vector<std::string> played;
    hooks.sceneStarts = [&](const ShowScene& scene) { played.push_back(scene.name); };
    {
        ScopedEventsIgnored ignored(true);
        ScopedPresentHook hook([&] { clock.clock.advance(5000); });
        runShow(nullptr, hooks);
    }
    std::filesystem::current_path(previous);
    EXPECT_EQ(played, std::vector<std::string>{"tunnel"});
    EXPECT_EQ(launchOptions.launchRequested, 0);
    EXPECT_TRUE(messages.messages.empty());
}

TEST(DemoSequenceTest, NoMusicNeverTouchesTheSoundLibrary) {
    int before = musicInitCount();
    playTunnelOnly(true);
    EXPECT_EQ(musicInitCount(), before);
}

TEST(DemoSequenceTest, MusicIsStartedAndStoppedAroundTheScenes) {
    int before = musicInitCount();
    playTunnelOnly(false);
    EXPECT_EQ(musicInitCount(), before + 1);
    EXPECT_FALSE(musicDeviceOpen());
}

// A window the platform refuses (wider than any display may be) ends the show before anything
// is loaded or played; the launch request is left as it was.
TEST(DemoSequenceTest, NoWindowMeansNoLoadingAndNoMusic) {
    test::MessageRecorder messages;
    launchOptions = LaunchOptions{};
    launchOptions.fullscreen = false;
    launchOptions.width = 40000;
    launchOptions.height = 120;
    launchOptions.launchRequested = 1;
    const int musicStarts = musicInitCount();
    int presented = 0;
    ScopedPresentHook hook([&] { ++presented; });
    bool loading = false, scenes = false;
    ShowHooks hooks;
    hooks.beforeLoading = [&] { loading = true; };
    hooks.sceneStarts = [&](const ShowScene&) { scenes = true; };
    runShow(nullptr, hooks);
    EXPECT_FALSE(loading);
    EXPECT_FALSE(scenes);
    EXPECT_EQ(presented, 0);
    EXPECT_EQ(musicInitCount(), musicStarts);
    EXPECT_EQ(launchOptions.launchRequested, 1);
}

} // namespace
} // namespace pelx

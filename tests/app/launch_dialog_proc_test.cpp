// The launch dialog's procedure without a display: sequences of messages as the toolkit would
// deliver them, and the options and radio states they leave.
#include "app/launch_dialog_proc.h"
#include "platform/launch_options.h"
#include "resources/launch_dialog_layout.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace pelx {
namespace {

using Radios = std::array<bool, 4>;

constexpr Radios NO_RADIO = {false, false, false, false};
constexpr Radios ONLY_640 = {true, false, false, false};
constexpr Radios ONLY_800 = {false, true, false, false};
constexpr Radios ONLY_1152 = {false, false, false, true};

struct Step {
    DialogMessage message;
    uint32_t wParam = 0;
    // The radio states the toolkit shows before it delivers the message, when they change: an
    // automatic radio button checks itself and clears the others before it reports the click.
    std::optional<Radios> radios = std::nullopt;
};

Step init() {
    return {DialogMessage::InitDialog};
}
Step close() {
    return {DialogMessage::Close};
}
Step click(int id) {
    return {DialogMessage::Command, static_cast<uint32_t>(id)};
}
Step clickRadio(int id) {
    Radios only{};
    only[radioIndex(id)] = true;
    return {DialogMessage::Command, static_cast<uint32_t>(id), only};
}

struct Expected {
    int32_t width, height;
    bool fullscreen, lightsOff, musicOff;
    int32_t launchRequested, cancelled;
    bool ended;
    Radios radios;
    std::vector<int> results;
};

struct Case {
    const char* name;
    std::vector<Step> steps;
    Expected expected;
    std::optional<LaunchOptions> start = std::nullopt;
};

TEST(LaunchDialogProc, MessageSequences) {
    LaunchOptions chose1024;
    chose1024.width = 1024;
    chose1024.height = 768;
    const Case cases[] = {
        {"Launch untouched",
         {init(), click(CONTROL_LAUNCH)},
         {800, 600, true, false, false, 1, 0, true, ONLY_800, {0, 1}}},
        {"Exit", {init(), click(CONTROL_EXIT)}, {800, 600, true, false, false, 0, 1, true, ONLY_800, {0, 1}}},
        {"closing acts as Exit",
         {init(), close()},
         {800, 600, true, false, false, 0, 1, true, ONLY_800, {0, 1}}},
        {"Windowed once",
         {init(), click(CONTROL_WINDOWED)},
         {800, 600, false, false, false, 0, 0, false, ONLY_800, {0, 0}}},
        {"Windowed twice",
         {init(), click(CONTROL_WINDOWED), click(CONTROL_WINDOWED), click(CONTROL_LAUNCH)},
         {800, 600, true, false, false, 1, 0, true, ONLY_800, {0, 0, 0, 1}}},
        {"No lights once",
         {init(), click(CONTROL_NO_LIGHTS)},
         {800, 600, true, true, false, 0, 0, false, ONLY_800, {0, 0}}},
        {"No lights twice",
         {init(), click(CONTROL_NO_LIGHTS), click(CONTROL_NO_LIGHTS)},
         {800, 600, true, false, false, 0, 0, false, ONLY_800, {0, 0, 0}}},
        {"No Music once",
         {init(), click(CONTROL_NO_MUSIC)},
         {800, 600, true, false, true, 0, 0, false, ONLY_800, {0, 0}}},
        {"No Music twice",
         {init(), click(CONTROL_NO_MUSIC), click(CONTROL_NO_MUSIC)},
         {800, 600, true, false, false, 0, 0, false, ONLY_800, {0, 0, 0}}},
        {"1152x864 then Launch",
         {init(), clickRadio(CONTROL_MODE_1152X864), click(CONTROL_LAUNCH)},
         {1152, 864, true, false, false, 1, 0, true, ONLY_1152, {0, 0, 1}}},
        {"640x480 then 800x600",
         {init(), clickRadio(CONTROL_MODE_640X480), clickRadio(CONTROL_MODE_800X600)},
         {800, 600, true, false, false, 0, 0, false, ONLY_800, {0, 0, 0}}},
        {"640x480 alone",
         {init(), clickRadio(CONTROL_MODE_640X480)},
         {640, 480, true, false, false, 0, 0, false, ONLY_640, {0, 0}}},
        // The mode is read at the click: a radio state changed without a command is not seen.
        {"mode taken at the click",
         {init(),
          clickRadio(CONTROL_MODE_1024X768),
          {DialogMessage::Other, 0, ONLY_640},
          click(CONTROL_LAUNCH)},
         {1024, 768, true, false, false, 1, 0, true, ONLY_640, {0, 0, 0, 1}}},
        // Any other command reads the radio buttons too, in the order 1000, 1001, 1002, 1005.
        {"first checked wins",
         {init(), {DialogMessage::Command, 4711, Radios{false, false, true, true}}},
         {1024, 768, true, false, false, 0, 0, false, {false, false, true, true}, {0, 0}}},
        {"none checked",
         {{DialogMessage::Command, CONTROL_MODE_1152X864, NO_RADIO}},
         {1024, 768, true, false, false, 0, 0, false, ONLY_800, {0}},
         chose1024},
        // The notification code in the high half of wParam is ignored.
        {"notification code ignored",
         {init(),
          {DialogMessage::Command, (5u << 16) | CONTROL_WINDOWED},
          {DialogMessage::Command, (1u << 16) | CONTROL_LAUNCH}},
         {800, 600, false, false, false, 1, 0, true, ONLY_800, {0, 0, 1}}},
        {"group box id",
         {init(), clickRadio(CONTROL_MODE_640X480), {DialogMessage::Command, 0xFFFFu}},
         {640, 480, true, false, false, 0, 0, false, ONLY_640, {0, 0, 0}}},
        // "Launch" after a cancelled state clears cancelled.
        {"Launch clears cancelled",
         {init(), click(CONTROL_LAUNCH)},
         {800, 600, true, false, false, 1, 0, true, ONLY_800, {0, 1}},
         LaunchOptions{800, 600, true, false, false, 0, 1}},
        {"other messages do nothing",
         {{DialogMessage::Other}, {DialogMessage::Other, CONTROL_EXIT}},
         {800, 600, true, false, false, 0, 0, false, NO_RADIO, {0, 0}}},
    };

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        launchOptions = c.start.value_or(LaunchOptions{});
        LaunchDialog dialog;
        std::vector<int> results;
        for (const Step& step : c.steps) {
            if (step.radios) dialog.radios.checked = *step.radios;
            results.push_back(launchDialogProc(dialog, step.message, step.wParam));
        }
        const Expected& e = c.expected;
        EXPECT_EQ(launchOptions.width, e.width);
        EXPECT_EQ(launchOptions.height, e.height);
        EXPECT_EQ(launchOptions.fullscreen, e.fullscreen);
        EXPECT_EQ(launchOptions.lightsOff, e.lightsOff);
        EXPECT_EQ(launchOptions.musicOff, e.musicOff);
        EXPECT_EQ(launchOptions.launchRequested, e.launchRequested);
        EXPECT_EQ(launchOptions.cancelled, e.cancelled);
        EXPECT_EQ(dialog.ended, e.ended);
        EXPECT_EQ(dialog.radios.checked, e.radios);
        EXPECT_EQ(results, e.results);
    }
    launchOptions = LaunchOptions{};
}

TEST(LaunchDialogProc, RadioIndexFollowsTheAskingOrder) {
    const std::pair<int, int> ids[] = {{CONTROL_MODE_640X480, 0},  {CONTROL_MODE_800X600, 1},
                                       {CONTROL_MODE_1024X768, 2}, {CONTROL_MODE_1152X864, 3},
                                       {CONTROL_LAUNCH, -1},       {CONTROL_WINDOWED, -1},
                                       {CONTROL_STATIC, -1}};
    for (const auto& [id, index] : ids) EXPECT_EQ(radioIndex(id), index) << id;
}

} // namespace
} // namespace pelx

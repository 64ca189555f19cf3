// The launch dialog's message handling over launchOptions and the radio-button states.
#include "app/launch_dialog_proc.h"

#include "platform/launch_options.h"
#include "resources/launch_dialog_layout.h"

#include <cstddef>

namespace pelx {

namespace {

struct ScreenMode {
    int controlId;
    int32_t width, height;
};

// In the order the buttons are asked.
constexpr std::array<ScreenMode, 4> SCREEN_MODES = {{
    {CONTROL_MODE_640X480, 640, 480},
    {CONTROL_MODE_800X600, 800, 600},
    {CONTROL_MODE_1024X768, 1024, 768},
    {CONTROL_MODE_1152X864, 1152, 864},
}};

void endDialog(LaunchDialog& dialog) {
    dialog.ended = true;
}

} // namespace

int radioIndex(int controlId) {
    for (std::size_t i = 0; i < SCREEN_MODES.size(); ++i)
        if (SCREEN_MODES[i].controlId == controlId) return static_cast<int>(i);
    return -1;
}

void readRadioButtons(LaunchDialog& dialog) {
    for (std::size_t i = 0; i < SCREEN_MODES.size(); ++i) {
        if (dialog.radios.checked[i]) {
            launchOptions.width = SCREEN_MODES[i].width;
            launchOptions.height = SCREEN_MODES[i].height;
            return;
        }
    }
    dialog.radios.checked[radioIndex(CONTROL_MODE_800X600)] = true;
}

int launchDialogProc(LaunchDialog& dialog, DialogMessage message, uint32_t wParam) {
    switch (message) {
    case DialogMessage::InitDialog:
        dialog.radios.checked[radioIndex(CONTROL_MODE_800X600)] = true;
        return 0;
    case DialogMessage::Close:
        launchOptions.cancelled = 1;
        endDialog(dialog);
        return 1;
    case DialogMessage::Command:
        break;
    case DialogMessage::Other:
        return 0;
    }

    switch (static_cast<int>(wParam & 0xFFFFu)) {
    case CONTROL_LAUNCH:
        launchOptions.cancelled = 0;
        launchOptions.launchRequested = 1;
        endDialog(dialog);
        return 1;
    case CONTROL_EXIT:
        launchOptions.cancelled = 1;
        endDialog(dialog);
        return 1;
    // The switches flip on every command from their box and never look at its check mark.
    case CONTROL_WINDOWED:
        launchOptions.fullscreen = !launchOptions.fullscreen;
        return 0;
    case CONTROL_NO_LIGHTS:
        launchOptions.lightsOff = !launchOptions.lightsOff;
        return 0;
    case CONTROL_NO_MUSIC:
        launchOptions.musicOff = !launchOptions.musicOff;
        return 0;
    default:
        readRadioButtons(dialog);
        return 0;
    }
}

} // namespace pelx

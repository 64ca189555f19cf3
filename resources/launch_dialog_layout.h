// Dialog 101, the launch dialog: caption, font, size and the ten controls with their ids,
// texts, kinds, rectangles in dialog units and tab stops. The dialog code builds its window
// from this table alone.
#pragma once

#include <array>

namespace pelx {

inline constexpr int LAUNCH_DIALOG_ID = 101;
inline constexpr const char* LAUNCH_DIALOG_CAPTION = "Pelx - Demo";
// The template's font; its average character cell (6 x 13 pixels) sets the dialog units.
inline constexpr const char* LAUNCH_DIALOG_FONT = "MS Sans Serif";
inline constexpr int LAUNCH_DIALOG_FONT_POINTS = 8;
inline constexpr int LAUNCH_DIALOG_WIDTH = 165;  // dialog units
inline constexpr int LAUNCH_DIALOG_HEIGHT = 103; // dialog units
// Where the entry point puts the dialog on the screen, in pixels.
inline constexpr int LAUNCH_DIALOG_SCREEN_X = 100;
inline constexpr int LAUNCH_DIALOG_SCREEN_Y = 100;

// Control ids.
inline constexpr int CONTROL_MODE_640X480 = 1000;
inline constexpr int CONTROL_MODE_800X600 = 1001;
inline constexpr int CONTROL_MODE_1024X768 = 1002;
inline constexpr int CONTROL_LAUNCH = 1003;
inline constexpr int CONTROL_EXIT = 1004;
inline constexpr int CONTROL_MODE_1152X864 = 1005;
inline constexpr int CONTROL_WINDOWED = 1006;
inline constexpr int CONTROL_NO_LIGHTS = 1007;
inline constexpr int CONTROL_NO_MUSIC = 1008;
inline constexpr int CONTROL_STATIC = -1; // the group box, which sends no commands

enum class ControlKind { DefaultPushButton, PushButton, GroupBox, AutoRadioButton, AutoCheckBox };

struct DialogControl {
    int id;
    const char* text;
    ControlKind kind;
    int x, y, width, height; // dialog units
    bool tabStop;
};

// In template order. No control starts a new group, so the four radio buttons form one.
inline constexpr std::array<DialogControl, 10> LAUNCH_DIALOG_CONTROLS = {{
    {CONTROL_LAUNCH, "Launch", ControlKind::DefaultPushButton, 7, 81, 50, 14, true},
    {CONTROL_EXIT, "Exit", ControlKind::PushButton, 108, 81, 50, 14, true},
    {CONTROL_STATIC, "OpenGL", ControlKind::GroupBox, 7, 7, 151, 72, false},
    {CONTROL_MODE_640X480, "640x480", ControlKind::AutoRadioButton, 19, 22, 43, 13, false},
    {CONTROL_MODE_800X600, "800x600", ControlKind::AutoRadioButton, 19, 36, 48, 11, false},
    {CONTROL_MODE_1024X768, "1024x768", ControlKind::AutoRadioButton, 19, 48, 48, 12, false},
    {CONTROL_MODE_1152X864, "1152x864", ControlKind::AutoRadioButton, 19, 62, 53, 11, false},
    {CONTROL_WINDOWED, "Windowed", ControlKind::AutoCheckBox, 91, 24, 53, 10, true},
    {CONTROL_NO_LIGHTS, "No lights", ControlKind::AutoCheckBox, 91, 39, 54, 14, true},
    {CONTROL_NO_MUSIC, "No Music", ControlKind::AutoCheckBox, 92, 59, 45, 11, true},
}};

} // namespace pelx

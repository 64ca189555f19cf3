// The key table.
#include "key_table.h"

#include "platform/window.h"

#include <cstdio>

namespace pelx::view {

const KeyBinding KEY_TABLE[] = {
    {KEY_SPACE, "Space", KeyScope::Any, Command::Pause, "pause or play on"},
    {KEY_LEFT, "Left", KeyScope::SceneCamera, Command::Back, "one second back (scene camera)"},
    {KEY_RIGHT, "Right", KeyScope::SceneCamera, Command::Forward, "one second forward (scene camera)"},
    {',', ",", KeyScope::Any, Command::Back, "one second back"},
    {'.', ".", KeyScope::Any, Command::Forward, "one second forward"},
    {KEY_HOME, "Home", KeyScope::Any, Command::Restart, "play from the start"},
    {KEY_TAB, "Tab", KeyScope::Any, Command::SwitchCamera, "the scene's cameras or the free camera"},
    {'1', "1", KeyScope::Any, Command::LightingMode1, "lighting mode 1, 2, 3 (3: with shadows)"},
    {'2', "2", KeyScope::Any, Command::LightingMode2, "lighting mode 1, 2, 3 (3: with shadows)"},
    {'3', "3", KeyScope::Any, Command::LightingMode3, "lighting mode 1, 2, 3 (3: with shadows)"},
    {'t', "T", KeyScope::Any, Command::ShadowRectangles, "shadow rectangles per caster: one or three"},
    {'m', "M", KeyScope::Any, Command::Mirrors, "mirrors on or off"},
    {'h', "H", KeyScope::Any, Command::Headlight, "headlight on or off"},
    {'f', "F", KeyScope::Any, Command::FullScreen, "full screen at the desktop size, and back"},
    {'r', "R", KeyScope::Any, Command::Reload, "reload the scene (also done when its files change)"},
    {KEY_ESCAPE, "Esc", KeyScope::Any, Command::Quit, "quit"},
    {'q', "Q", KeyScope::Any, Command::Quit, "quit"},
    {'w', "W", KeyScope::FreeCamera, Command::FlyForward, "fly forward (free camera)"},
    {KEY_UP, "Up", KeyScope::FreeCamera, Command::FlyForward, "fly forward (free camera)"},
    {'s', "S", KeyScope::FreeCamera, Command::FlyBack, "fly back (free camera)"},
    {KEY_DOWN, "Down", KeyScope::FreeCamera, Command::FlyBack, "fly back (free camera)"},
    {'a', "A", KeyScope::FreeCamera, Command::FlyLeft, "fly left (free camera)"},
    {KEY_LEFT, "Left", KeyScope::FreeCamera, Command::FlyLeft, "fly left (free camera)"},
    {'d', "D", KeyScope::FreeCamera, Command::FlyRight, "fly right (free camera)"},
    {KEY_RIGHT, "Right", KeyScope::FreeCamera, Command::FlyRight, "fly right (free camera)"},
};
const int KEY_TABLE_SIZE = static_cast<int>(sizeof KEY_TABLE / sizeof KEY_TABLE[0]);

const KeyBinding* bindingFor(int key, bool freeCamera) {
    for (const KeyBinding& binding : KEY_TABLE) {
        if (binding.key != key) continue;
        if (binding.scope == KeyScope::SceneCamera && freeCamera) continue;
        if (binding.scope == KeyScope::FreeCamera && !freeCamera) continue;
        return &binding;
    }
    return nullptr;
}

bool isHeldCommand(Command command) {
    return command == Command::FlyForward || command == Command::FlyBack || command == Command::FlyLeft ||
           command == Command::FlyRight;
}

std::string keyHelp() {
    std::string help;
    for (int i = 0; i < KEY_TABLE_SIZE;) {
        std::string keys = KEY_TABLE[i].keyName;
        int j = i + 1;
        for (; j < KEY_TABLE_SIZE && std::string(KEY_TABLE[j].action) == KEY_TABLE[i].action; ++j)
            keys += std::string(" ") + KEY_TABLE[j].keyName;
        char line[160];
        std::snprintf(line, sizeof line, "  %-12s %s\n", keys.c_str(), KEY_TABLE[i].action);
        help += line;
        i = j;
    }
    help += "  left drag    orbit about the centre (free camera)\n"
            "  right drag   pan (free camera)\n"
            "  wheel        zoom (free camera)\n";
    return help;
}

} // namespace pelx::view

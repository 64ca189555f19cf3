// Every key of the viewer and what it does, in one table: the viewer looks keys up in it and
// --help prints it.
#pragma once

#include <string>

namespace pelx::view {

enum class Command {
    Pause,
    Back,
    Forward,
    Restart,
    SwitchCamera,
    LightingMode1,
    LightingMode2,
    LightingMode3,
    ShadowRectangles,
    Mirrors,
    Headlight,
    FullScreen,
    Reload,
    Quit,
    FlyForward, // held keys: the free camera moves while they are down
    FlyBack,
    FlyLeft,
    FlyRight,
};

// Which camera a key works with.
enum class KeyScope { Any, SceneCamera, FreeCamera };

struct KeyBinding {
    int key;             // platform key code (window.h)
    const char* keyName; // as printed
    KeyScope scope;
    Command command;
    const char* action; // as printed; rows with the same action are printed together
};

extern const KeyBinding KEY_TABLE[];
extern const int KEY_TABLE_SIZE;

// The binding of key with the scene camera or the free camera in use, or null.
const KeyBinding* bindingFor(int key, bool freeCamera);
// True for the commands that act while their key is held rather than once per press.
bool isHeldCommand(Command command);
// The table as --help prints it, one line per action, plus the mouse.
std::string keyHelp();

} // namespace pelx::view

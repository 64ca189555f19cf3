// The launch dialog's procedure as plain code: what each message does to launchOptions and to
// the four screen-mode radio buttons. The window toolkit only delivers messages to it and
// mirrors the radio states on screen.
#pragma once

#include <array>
#include <cstdint>

namespace pelx {

enum class DialogMessage { InitDialog, Close, Command, Other };

// The screen-mode radio buttons' check states, in the order they are asked:
// 1000 "640x480", 1001 "800x600", 1002 "1024x768", 1005 "1152x864".
struct RadioStates {
    std::array<bool, 4> checked{};
};

struct LaunchDialog {
    RadioStates radios;
    // Set when a message dismisses the dialog; the message loop stops on it.
    bool ended = false;
};

// Index of a radio button in RadioStates, or -1 when the id is no radio button.
int radioIndex(int controlId);

// Handles one message. For Command, the control id is the low 16 bits of wParam; the high 16
// bits (the notification code) are not looked at. Returns 1 for the three messages that end
// the dialog (Close, "Launch", "Exit") and 0 for every other.
int launchDialogProc(LaunchDialog& dialog, DialogMessage message, uint32_t wParam);

// The mode is taken from the first checked radio button, at the moment of the click; with none
// checked, "800x600" is checked again and the mode stays as it was.
void readRadioButtons(LaunchDialog& dialog);

} // namespace pelx

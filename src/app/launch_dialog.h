// The launch dialog: screen mode and three switches, then "Launch" or "Exit".
//
// Layer app, the top: entry point and launch dialog. May use every other folder.
#pragma once

namespace pelx {

// Shows the dialog at (100, 100) and returns when it is dismissed; launchOptions then holds
// the choices, with launchRequested 1 after "Launch" and cancelled 1 after "Exit" or closing.
// False, after saying so and with cancelled 1, when there is no display to show it on.
bool runLaunchDialog();

} // namespace pelx

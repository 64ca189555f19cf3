// The scene clock's operations and the end of every frame: present, or handle one event.
#pragma once

#include "platform/frame.h"

namespace pelx {

// The tick counter in seconds, as the clock uses it.
float clockSeconds();

// Starts a scene of this length. Within a show its start is the show's start plus the lengths of
// the scenes before it, so no scene loses the time the frame that ended the last one took;
// outside a show it starts now.
void beginScene(float duration);
// The show's scenes follow one another from now on: the next scene starts now, and each later one
// where the one before it ends. endShow returns to scenes that start when they begin.
void beginShow();
void endShow();
// Refreshes elapsed; true while the scene still runs (elapsed <= duration) and no stop was
// requested.
bool tick();
// Handles one waiting window event without presenting, or presents the frame.
void pumpOrPresent();

} // namespace pelx

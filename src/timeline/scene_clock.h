// The scene clock's operations and the end of every frame: present, or handle one event.
#pragma once

#include "platform/frame.h"

namespace pelx {

// The tick counter in seconds, as the clock uses it.
float clockSeconds();

void beginScene(float duration);
// Refreshes elapsed; true while the scene still runs (elapsed <= duration) and no stop was
// requested.
bool tick();
// Handles one waiting window event without presenting, or presents the frame.
void pumpOrPresent();

} // namespace pelx

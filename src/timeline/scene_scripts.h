// The six scene scripts: each sets its scene's lighting parameters, starts the scene clock
// with the scene's length (show_scenes.h) and runs the frame loop with its extras until the clock runs out.
#pragma once

#include "scene/scene.h"

namespace pelx {

// Each script plays its scene for the length timeline/show_scenes.h gives it.

void playRoadScene();
void playColonneScene();
void playRoomScene();
void playMirrorScene();
void playTunnelScene();
void playDiscoScene();

// The disco strobe for one frame at scene time t: flashes the last light on the first frame at or
// after each beat of the phase's grid (every 0.6 s from 25 s, 0.4 s from 55 s, 0.2 s from 85 s),
// once per beat, keeps it dark otherwise, and darkens the light of the current phase. lastFlash
// holds the beat last flashed, 0 before the first.
void discoStrobe(Scene& scene, float t, float& lastFlash);
// Brightness of the end picture at disco time t (0 at 100 s, 1 at 115 s); negative before.
double endPictureGrey(float t);

} // namespace pelx

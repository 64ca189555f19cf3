// What the disco scene's files share: the club's measures, the scene's length, and the
// dancers (scene_disco_crowd.cpp) and the mirror ball's spots (scene_disco_spots.cpp) that
// scene_disco.cpp adds to the club.
#pragma once

#include "scene_common.h"
#include "timeline/show_scenes.h"

#include <numbers>

namespace pelx::datagen::disco {

constexpr double SECONDS = DISCO_SCENE.length; // as the show plays it
constexpr double PI = std::numbers::pi;
// The club: x -500..500, z -500..500, y 0..360; the dance floor x, z -250..250, 8 high.
constexpr double HALF = 500, HEIGHT = 360, FLOOR_HALF = 250, FLOOR_TOP = 8;
constexpr Vec3 BALL{0, 270, 0};

// The crowd on and round the dance floor and the DJ behind the booth, dancing on the beat: a
// still "!crowdlegs" mesh and, per figure, a body and two arms that move.
void addCrowd(SceneBuilder& scene);
// The mirror ball's spots: "%$" meshes on the floor and ceiling that turn with the ball, and
// on each wall a patch that slides along as the ball turns.
void addBallSpots(SceneBuilder& scene);

} // namespace pelx::datagen::disco

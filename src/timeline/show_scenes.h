// The show's six scenes as facts: the name the tools call each by, its data file and how long
// its script plays it. The timeline's scripts and sequence take the lengths from here, and so
// does the data generator, whose scene models have their keys up to the same second.
//
// Layer timeline; constants only, so pelx-datagen reads them without linking the timeline.
#pragma once

#include "timeline/data_files.h"

namespace pelx {

struct SceneFacts {
    const char* name;     // "road": the name pelx-capture's --scene and the show's hooks use
    const char* dataFile; // the 3DS file, one of the DATA_*_SCENE paths
    float length;         // seconds the script plays the scene (the scene clock's duration)
};

inline constexpr SceneFacts ROAD_SCENE{"road", DATA_ROAD_SCENE, 67.0f};
inline constexpr SceneFacts COLONNE_SCENE{"colonne", DATA_COLONNE_SCENE, 27.0f};
inline constexpr SceneFacts ROOM_SCENE{"room", DATA_ROOM_SCENE, 27.0f};
inline constexpr SceneFacts MIRROR_SCENE{"mirror", DATA_MIRROR_SCENE, 27.0f};
inline constexpr SceneFacts TUNNEL_SCENE{"tunnel", DATA_TUNNEL_SCENE, 20.0f};
inline constexpr SceneFacts DISCO_SCENE{"disco", DATA_DISCO_SCENE, 115.0f};

// Steps the fire logo's walker takes over the road scene (the mask is drawn to be written within
// them).
inline constexpr int FIRE_LOGO_STEPS = 1400;

// The timeline plays them in this order: road, colonne, room, mirror, tunnel, disco
// (SHOW_SCENES in demo_sequence.h).
inline constexpr int SHOW_SCENE_COUNT = 6;

} // namespace pelx

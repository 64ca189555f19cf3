// The six 3DS scenes of the show: each is built as a lib3ds model in memory and saved with
// lib3ds, so the show's loader reads files from an independent writer.
#pragma once

#include "timeline/show_scenes.h"

#include <lib3ds/file.h>

#include <array>
#include <memory>
#include <string>

namespace pelx {

struct SceneModelRelease {
    void operator()(Lib3dsFile* file) const { lib3ds_file_free(file); }
};
// A scene as lib3ds holds it.
using SceneModel = std::unique_ptr<Lib3dsFile, SceneModelRelease>;

struct SceneRecipe {
    SceneFacts scene; // its data file and how long the show plays it; the model has 30 frames a second
    SceneModel (*build)();
    // The file's name inside the data folder: "road.3ds".
    const char* fileName() const { return dataFileName(scene.dataFile); }
};

SceneModel buildRoadScene();
SceneModel buildColonneScene();
SceneModel buildRoomScene();
SceneModel buildMirrorScene();
SceneModel buildTunnelScene();
SceneModel buildDiscoScene();

// In the order the show plays them.
const std::array<SceneRecipe, SHOW_SCENE_COUNT>& sceneRecipes();

// Writes dataDir/road.3ds ... dataDir/disco.3ds, making the folder if need be. The first file
// that cannot be written is reported on stderr and ends the writing with false.
bool writeScenes(const std::string& dataDir);

} // namespace pelx

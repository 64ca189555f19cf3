// The table of the show's six scenes and their writer: each model is saved with lib3ds.
#include "scenes.h"

#include "timeline/data_files.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace pelx {

const std::array<SceneRecipe, 6>& sceneRecipes() {
    static const std::array<SceneRecipe, 6> table = {{
        {dataFileName(DATA_ROAD_SCENE), 67, buildRoadScene},
        {dataFileName(DATA_COLONNE_SCENE), 27, buildColonneScene},
        {dataFileName(DATA_ROOM_SCENE), 27, buildRoomScene},
        {dataFileName(DATA_MIRROR_SCENE), 27, buildMirrorScene},
        {dataFileName(DATA_TUNNEL_SCENE), 20, buildTunnelScene},
        {dataFileName(DATA_DISCO_SCENE), 115, buildDiscoScene},
    }};
    return table;
}

bool writeScenes(const std::string& dataDir) {
    std::error_code error;
    std::filesystem::create_directories(dataDir, error);
    bool ok = true;
    for (const SceneRecipe& recipe : sceneRecipes()) {
        const std::string path = (std::filesystem::path(dataDir) / recipe.fileName).string();
        SceneModel model = recipe.build();
        if (!lib3ds_file_save(model.get(), path.c_str())) {
            std::fprintf(stderr, "pelx-datagen: cannot write %s\n", path.c_str());
            ok = false;
        }
    }
    return ok;
}

} // namespace pelx

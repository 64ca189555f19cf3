// The table of the show's six scenes (show_scenes.h) and their writer: each model is saved with lib3ds into
// memory, then written whole like every other data file.
#include "scenes.h"

#include "canvas.h"
#include "timeline/show_scenes.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <lib3ds/io.h>
#include <vector>

namespace pelx {

namespace {

// lib3ds's output stream over a byte vector; it seeks back to fill in chunk lengths.
struct MemoryFile {
    std::vector<uint8_t> bytes;
    long position = 0;
};

Lib3dsBool memoryError(void*) {
    return LIB3DS_FALSE;
}

long memorySeek(void* self, long offset, Lib3dsIoSeek origin) {
    auto* file = static_cast<MemoryFile*>(self);
    const long base = origin == LIB3DS_SEEK_SET   ? 0
                      : origin == LIB3DS_SEEK_CUR ? file->position
                                                  : static_cast<long>(file->bytes.size());
    if (base + offset < 0) return -1;
    file->position = base + offset;
    return 0;
}

long memoryTell(void* self) {
    return static_cast<MemoryFile*>(self)->position;
}

size_t memoryRead(void*, void*, size_t) {
    return 0;
}

size_t memoryWrite(void* self, const void* buffer, size_t size) {
    auto* file = static_cast<MemoryFile*>(self);
    const size_t end = static_cast<size_t>(file->position) + size;
    if (end > file->bytes.size()) file->bytes.resize(end);
    std::memcpy(file->bytes.data() + file->position, buffer, size);
    file->position = static_cast<long>(end);
    return size;
}

// The 3DS file of a model, or nothing when lib3ds cannot write it.
bool sceneBytes(Lib3dsFile* model, std::vector<uint8_t>& bytes) {
    MemoryFile file;
    Lib3dsIo* io = lib3ds_io_new(&file, memoryError, memorySeek, memoryTell, memoryRead, memoryWrite);
    if (!io) return false;
    const bool written = lib3ds_file_write(model, io) != LIB3DS_FALSE;
    lib3ds_io_free(io);
    bytes = std::move(file.bytes);
    return written;
}

} // namespace

const std::array<SceneRecipe, SHOW_SCENE_COUNT>& sceneRecipes() {
    static const std::array<SceneRecipe, SHOW_SCENE_COUNT> table = {{
        {ROAD_SCENE, buildRoadScene},
        {COLONNE_SCENE, buildColonneScene},
        {ROOM_SCENE, buildRoomScene},
        {MIRROR_SCENE, buildMirrorScene},
        {TUNNEL_SCENE, buildTunnelScene},
        {DISCO_SCENE, buildDiscoScene},
    }};
    return table;
}

bool writeScenes(const std::string& dataDir) {
    for (const SceneRecipe& recipe : sceneRecipes()) {
        const std::filesystem::path path = std::filesystem::path(dataDir) / recipe.fileName();
        SceneModel model = recipe.build();
        std::vector<uint8_t> bytes;
        if (!sceneBytes(model.get(), bytes)) {
            std::fprintf(stderr, "pelx-datagen: lib3ds cannot write the scene %s\n", path.c_str());
            return false;
        }
        if (!writeBytes(path, bytes)) return false;
    }
    return true;
}

} // namespace pelx

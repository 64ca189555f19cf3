// The show's data folder: every file the show reads, named once for the show, pelx-capture and
// pelx-datagen, which writes them all. Paths are relative to the folder the show runs from.
#pragma once

#include <string_view>

namespace pelx {

inline constexpr std::string_view DATA_FOLDER = "data/";

inline constexpr const char* DATA_LOAD_PICTURE = "data/load.jpg";
inline constexpr const char* DATA_END_PICTURE = "data/end.jpg";
inline constexpr const char* DATA_FIRE_SPRITE = "data/fire.jpg";
inline constexpr const char* DATA_LOGO_MASK = "data/p.bmp";
inline constexpr const char* DATA_SOUNDTRACK = "data/zik.mp3";
inline constexpr const char* DATA_ROAD_SCENE = "data/road.3ds";
inline constexpr const char* DATA_COLONNE_SCENE = "data/colonne.3ds";
inline constexpr const char* DATA_ROOM_SCENE = "data/room.3ds";
inline constexpr const char* DATA_MIRROR_SCENE = "data/mirror.3ds";
inline constexpr const char* DATA_TUNNEL_SCENE = "data/tunnel.3ds";
inline constexpr const char* DATA_DISCO_SCENE = "data/disco.3ds";

// A data file's name inside the data folder: "road.3ds" for DATA_ROAD_SCENE.
constexpr const char* dataFileName(const char* path) {
    return path + DATA_FOLDER.size();
}

} // namespace pelx

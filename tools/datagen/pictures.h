// The show's own pictures: the loading picture, the end picture added over the last scene,
// and the fire sprite of the logo and its sparks.
#pragma once

#include "canvas.h"
#include "timeline/data_files.h"

#include <filesystem>

namespace pelx {

inline constexpr const char* LOAD_PICTURE = DATA_LOAD_PICTURE;
inline constexpr const char* END_PICTURE = DATA_END_PICTURE;
inline constexpr const char* FIRE_SPRITE = DATA_FIRE_SPRITE;

// Shown as a 3 x 2 rectangle while loading: the name and "loading", calm and dark.
Canvas paintLoadPicture();
// Added over the last scene, so everything but the text and its glow is black.
Canvas paintEndPicture();
// A soft flame blob on black, black along every edge.
Canvas paintFireSprite();

// Writes the three pictures under showDir. False if any failed.
bool writePictures(const std::filesystem::path& showDir);

} // namespace pelx

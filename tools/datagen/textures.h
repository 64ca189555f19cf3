// The material textures the generator writes. A material's name in a scene file is the path of
// its texture, relative to the folder the show runs from, so scenes name their materials with
// these constants. Adding a texture: a constant here, a recipe (texture_recipes.h) and one row
// in the table in textures.cpp.
#pragma once

#include "canvas.h"

#include <filesystem>
#include <vector>

namespace pelx {

// Street at night.
inline constexpr const char* TEX_ASPHALT = "data/asphalt.jpg";
inline constexpr const char* TEX_ROAD = "data/road.jpg"; // asphalt with lane lines along v
inline constexpr const char* TEX_COBBLE = "data/cobble.jpg";
inline constexpr const char* TEX_BRICK = "data/brick.jpg";
inline constexpr const char* TEX_PLASTER = "data/plaster.jpg";
inline constexpr const char* TEX_FACADE = "data/facade.jpg";   // house front, 4 x 4 windows, some lit
inline constexpr const char* TEX_WINDOWS = "data/windows.jpg"; // tall building, 8 x 12 windows, some lit
inline constexpr const char* TEX_ROOF = "data/roof.jpg";
inline constexpr const char* TEX_LAMP_METAL = "data/lampmetal.jpg";
inline constexpr const char* TEX_CAR_PAINT = "data/carpaint.jpg";
inline constexpr const char* TEX_RUBBER = "data/rubber.jpg";
inline constexpr const char* TEX_CAR_GLASS = "data/carglass.jpg"; // picture: one dark car window
inline constexpr const char* TEX_TAIL_LAMP = "data/taillamp.jpg"; // sprite: a red tail lamp
inline constexpr const char* TEX_FLAME = "data/flame.jpg";        // sprite: flame for "*1" carriers
// Temple.
inline constexpr const char* TEX_MARBLE = "data/marble.jpg";
inline constexpr const char* TEX_MARBLE_TILES = "data/marbletiles.jpg";
inline constexpr const char* TEX_COLUMN = "data/column.jpg"; // fluted stone, 16 flutes across u
inline constexpr const char* TEX_STONE = "data/stone.jpg";   // ashlar blocks
inline constexpr const char* TEX_NIGHT_SKY = "data/nightsky.jpg";
// Room.
inline constexpr const char* TEX_WOOD_FLOOR = "data/woodfloor.jpg"; // planks along v
inline constexpr const char* TEX_WOOD = "data/wood.jpg";
inline constexpr const char* TEX_WALLPAPER = "data/wallpaper.jpg";
inline constexpr const char* TEX_CURTAIN = "data/curtain.jpg"; // folds along u
inline constexpr const char* TEX_FABRIC = "data/fabric.jpg";
inline constexpr const char* TEX_CANDLE = "data/candle.jpg";
inline constexpr const char* TEX_LAMPSHADE = "data/lampshade.jpg";
inline constexpr const char* TEX_GLASS = "data/glass.jpg";              // dim tint for "%" panes
inline constexpr const char* TEX_DAYLIGHT = "data/daylight.jpg";        // picture: the view out of a window
inline constexpr const char* TEX_RUG = "data/rug.jpg";                  // picture: one whole rug
inline constexpr const char* TEX_CANDLE_FLAME = "data/candleflame.jpg"; // sprite: dim, for stacking
inline constexpr const char* TEX_WISP = "data/wisp.jpg";                // sprite: rising thread
// Hall of mirrors.
inline constexpr const char* TEX_HALL_WALL = "data/hallwall.jpg";
inline constexpr const char* TEX_FLOOR_TILES = "data/floortiles.jpg";
inline constexpr const char* TEX_PEDESTAL = "data/pedestal.jpg";
inline constexpr const char* TEX_BRONZE = "data/bronze.jpg";
inline constexpr const char* TEX_GOLD = "data/gold.jpg";
// Tunnel.
inline constexpr const char* TEX_CONCRETE = "data/concrete.jpg";
inline constexpr const char* TEX_METAL_PANEL = "data/metalpanel.jpg";
inline constexpr const char* TEX_HAZARD = "data/hazard.jpg";
inline constexpr const char* TEX_LAMP_GLOW = "data/lampglow.jpg"; // sprite: a lit lamp panel
// Club.
inline constexpr const char* TEX_DANCE_FLOOR = "data/dancefloor.jpg"; // 8 x 8 lit squares
inline constexpr const char* TEX_SPEAKER = "data/speaker.jpg";
inline constexpr const char* TEX_CHROME = "data/chrome.jpg";
inline constexpr const char* TEX_NEON_SIGN = "data/neon.jpg"; // picture: "Pelx" in neon on a wall
inline constexpr const char* TEX_NEON_WALL = "data/neonwall.jpg";
inline constexpr const char* TEX_BEAM = "data/beam.jpg";         // bright at v = 0, black at v = 1
inline constexpr const char* TEX_BULB = "data/bulb.jpg";         // sprite: "*0" bulbs
inline constexpr const char* TEX_HAZE = "data/haze.jpg";         // sprite: "*1" haze
inline constexpr const char* TEX_SPARKLE = "data/sparkle.jpg";   // sprite: "*2" sparkles
inline constexpr const char* TEX_CONFETTI = "data/confetti.jpg"; // sprite: "*3" confetti
inline constexpr const char* TEX_SPOT = "data/spot.jpg";         // sprite: a mirror ball's spot
inline constexpr const char* TEX_DANCERS = "data/dancers.jpg";   // 4 x 4 swatches: skin, shirts, trousers
// Anything.
inline constexpr const char* TEX_NOISE = "data/noise.jpg";

enum class TextureUse {
    TILED,   // repeats without a seam across both edges
    SPRITE,  // a glow on black, black along every edge: flare carriers and "%" meshes
    FAINT,   // a dim sprite a flare lays many times over itself (a still flame, a rising thread)
    PICTURE, // one picture across a face (a sign, a view, a rug)
};

struct TextureRecipe {
    const char* path; // also the material name
    int size;         // width and height in pixels
    TextureUse use;
    void (*paint)(Canvas&); // fills a size x size canvas
};

// Every texture, in the order they are written.
const std::vector<TextureRecipe>& textureRecipes();

// Paints one texture.
Canvas paintTexture(const TextureRecipe& recipe);

// Writes every texture under showDir (showDir / path). False if any failed.
bool writeTextures(const std::filesystem::path& showDir);

} // namespace pelx

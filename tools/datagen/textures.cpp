// The texture table and its writer. The two halves of the table are painted on two threads;
// each texture depends only on its own recipe, so the files are the same either way.
#include "textures.h"

#include "texture_recipes.h"

#include <atomic>
#include <thread>

namespace pelx {

const std::vector<TextureRecipe>& textureRecipes() {
    using enum TextureUse;
    static const std::vector<TextureRecipe> table = {
        {TEX_ASPHALT, 512, TILED, paintAsphalt},
        {TEX_ROAD, 512, TILED, paintRoad},
        {TEX_COBBLE, 512, TILED, paintCobble},
        {TEX_BRICK, 512, TILED, paintBrick},
        {TEX_PLASTER, 512, TILED, paintPlaster},
        {TEX_FACADE, 512, TILED, paintFacade},
        {TEX_WINDOWS, 512, TILED, paintWindows},
        {TEX_ROOF, 256, TILED, paintRoof},
        {TEX_LAMP_METAL, 256, TILED, paintLampMetal},
        {TEX_CAR_PAINT, 256, TILED, paintCarPaint},
        {TEX_RUBBER, 256, TILED, paintRubber},
        {TEX_CAR_GLASS, 256, PICTURE, paintCarGlass},
        {TEX_TAIL_LAMP, 256, SPRITE, paintTailLamp},
        {TEX_FLAME, 256, SPRITE, paintFlame},
        {TEX_MARBLE, 512, TILED, paintMarble},
        {TEX_MARBLE_TILES, 512, TILED, paintMarbleTiles},
        {TEX_COLUMN, 512, TILED, paintColumn},
        {TEX_STONE, 512, TILED, paintStone},
        {TEX_NIGHT_SKY, 512, TILED, paintNightSky},
        {TEX_WOOD_FLOOR, 512, TILED, paintWoodFloor},
        {TEX_WOOD, 512, TILED, paintWood},
        {TEX_WALLPAPER, 512, TILED, paintWallpaper},
        {TEX_CURTAIN, 256, TILED, paintCurtain},
        {TEX_FABRIC, 256, TILED, paintFabric},
        {TEX_CANDLE, 256, TILED, paintCandle},
        {TEX_LAMPSHADE, 256, TILED, paintLampshade},
        {TEX_GLASS, 256, TILED, paintGlass},
        {TEX_DAYLIGHT, 512, PICTURE, paintDaylight},
        {TEX_RUG, 512, PICTURE, paintRug},
        {TEX_CANDLE_FLAME, 256, FAINT, paintCandleFlame},
        {TEX_WISP, 256, FAINT, paintWisp},
        {TEX_HALL_WALL, 512, TILED, paintHallWall},
        {TEX_FLOOR_TILES, 512, TILED, paintFloorTiles},
        {TEX_PEDESTAL, 256, TILED, paintPedestal},
        {TEX_BRONZE, 256, TILED, paintBronze},
        {TEX_GOLD, 256, TILED, paintGold},
        {TEX_CONCRETE, 512, TILED, paintConcrete},
        {TEX_METAL_PANEL, 512, TILED, paintMetalPanel},
        {TEX_HAZARD, 256, TILED, paintHazard},
        {TEX_LAMP_GLOW, 256, SPRITE, paintLampGlow},
        {TEX_DANCE_FLOOR, 512, TILED, paintDanceFloor},
        {TEX_SPEAKER, 256, TILED, paintSpeaker},
        {TEX_CHROME, 256, TILED, paintChrome},
        {TEX_NEON_SIGN, 512, PICTURE, paintNeonSign},
        {TEX_NEON_WALL, 512, TILED, paintNeonWall},
        {TEX_BEAM, 256, PICTURE, paintBeam},
        {TEX_BULB, 256, SPRITE, paintBulb},
        {TEX_HAZE, 256, SPRITE, paintHaze},
        {TEX_SPARKLE, 256, SPRITE, paintSparkle},
        {TEX_CONFETTI, 256, SPRITE, paintConfetti},
        {TEX_SPOT, 256, SPRITE, paintSpot},
        {TEX_DANCERS, 256, PICTURE, paintDancers},
        {TEX_NOISE, 256, TILED, paintNoise},
    };
    return table;
}

Canvas paintTexture(const TextureRecipe& recipe) {
    Canvas canvas = makeCanvas(recipe.size, recipe.size);
    recipe.paint(canvas);
    return canvas;
}

bool writeTextures(const std::filesystem::path& showDir) {
    const std::vector<TextureRecipe>& table = textureRecipes();
    std::atomic<size_t> next{0};
    std::atomic<bool> ok{true};
    auto worker = [&] {
        for (size_t i = next++; i < table.size() && !dataWriteFailed(); i = next++)
            if (!writeJpeg(showDir / table[i].path, paintTexture(table[i]))) ok = false;
    };
    std::thread helper(worker);
    worker();
    helper.join();
    return ok;
}

} // namespace pelx

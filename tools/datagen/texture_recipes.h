// The recipes behind the material textures: each paints a square canvas of the size the
// texture table gives it. Grouped by material family in texture_*.cpp.
#pragma once

#include "canvas.h"

namespace pelx {

// Stone, road and masonry (texture_stone.cpp).
void paintAsphalt(Canvas& canvas);
void paintRoad(Canvas& canvas);
void paintCobble(Canvas& canvas);
void paintBrick(Canvas& canvas);
void paintMarble(Canvas& canvas);
void paintMarbleTiles(Canvas& canvas);
void paintColumn(Canvas& canvas);
void paintStone(Canvas& canvas);
void paintConcrete(Canvas& canvas);
void paintPedestal(Canvas& canvas);
void paintFloorTiles(Canvas& canvas);
void paintRoof(Canvas& canvas);
void paintNoise(Canvas& canvas);

// Wood, paper, cloth and wax (texture_soft.cpp).
void paintWoodFloor(Canvas& canvas);
void paintWood(Canvas& canvas);
void paintWallpaper(Canvas& canvas);
void paintCurtain(Canvas& canvas);
void paintFabric(Canvas& canvas);
void paintCandle(Canvas& canvas);
void paintLampshade(Canvas& canvas);
void paintPlaster(Canvas& canvas);
void paintHallWall(Canvas& canvas);
void paintSpeaker(Canvas& canvas);
void paintRug(Canvas& canvas);
void paintDancers(Canvas& canvas);

// Metal, paint and glass (texture_metal.cpp).
void paintLampMetal(Canvas& canvas);
void paintCarPaint(Canvas& canvas);
void paintRubber(Canvas& canvas);
void paintBronze(Canvas& canvas);
void paintGold(Canvas& canvas);
void paintChrome(Canvas& canvas);
void paintMetalPanel(Canvas& canvas);
void paintHazard(Canvas& canvas);
void paintGlass(Canvas& canvas);
void paintCarGlass(Canvas& canvas);

// Light: windows at night, skies, neon, the club floor and the sprites (texture_light.cpp).
void paintFacade(Canvas& canvas);
void paintWindows(Canvas& canvas);
void paintNightSky(Canvas& canvas);
void paintDaylight(Canvas& canvas);
void paintDanceFloor(Canvas& canvas);
void paintNeonSign(Canvas& canvas);
void paintNeonWall(Canvas& canvas);
void paintBeam(Canvas& canvas);
void paintFlame(Canvas& canvas);
void paintCandleFlame(Canvas& canvas);
void paintWisp(Canvas& canvas);
void paintBulb(Canvas& canvas);
void paintHaze(Canvas& canvas);
void paintSparkle(Canvas& canvas);
void paintConfetti(Canvas& canvas);
void paintSpot(Canvas& canvas);
void paintLampGlow(Canvas& canvas);
void paintTailLamp(Canvas& canvas);

} // namespace pelx

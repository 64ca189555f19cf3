// The marks a scene's author puts in its names, and what each means to the show. Every reader of
// a mark (loader, lighting, mesh pass, flares, the tools) asks here rather than comparing
// characters itself. A mark is the first character of an object's name; "$" and "!" may also
// be the second, so that one object can carry two marks ("%$spots", "$!mirrorW").
#pragma once

#include "scene/scene.h"

#include <cstring>
#include <string_view>

namespace pelx {

// "%": an additive mesh, added onto what lies behind it (beams, glows, spots of light); the
// shadow it throws is the translucent one (translucentShadowFactor).
inline bool isAdditive(const SceneObject& object) {
    return object.name[0] == '%';
}

// "*": a flare carrier, whose vertices feed one of the scene's flare emitters.
inline bool isFlareCarrier(const SceneObject& object) {
    return object.name[0] == '*';
}
// The digit after the "*", 0 to 3, picks the carrier's flare kind: 1 and 3 rise, 2 and 3
// shrink. A name without one emits kind 0, plain flares.
inline bool hasFlareKind(const SceneObject& object) {
    return object.name[1] >= '0' && object.name[1] <= '3';
}
inline int flareKind(const SceneObject& object) {
    return hasFlareKind(object) ? object.name[1] - '0' : 0;
}

namespace name_marks_detail {
inline bool markedFirstOrSecond(const SceneObject& object, char mark) {
    return object.name[0] == mark || (object.name[0] != 0 && object.name[1] == mark);
}
} // namespace name_marks_detail

// "$": not lit per frame. The lighting never writes the mesh's vertex colours, which stay
// white as loaded, so it shows its picture at full strength: mirrors, spots of light.
inline bool skipsFrameLighting(const SceneObject& object) {
    return name_marks_detail::markedFirstOrSecond(object, '$');
}

// "!": casts no shadow of the lights added per frame (it still shadows the static lights in
// the bake at load), so that walls, ceilings and the crowd do not put the moving lights out.
inline bool castsNoFrameShadow(const SceneObject& object) {
    return name_marks_detail::markedFirstOrSecond(object, '!');
}

// "&" (a light's tag, the first character of its name): a static light, baked into the meshes'
// base colours once at load and never computed per frame, moving or not.
inline bool isStaticLight(const SceneLight& light) {
    return light.tag == '&';
}
inline bool isStaticLightName(std::string_view name) {
    return !name.empty() && name[0] == '&';
}

// A material whose name begins with "mirr" makes its mesh a mirror: instead of a picture it shows
// the scene drawn each frame from the mirror's place.
inline bool isMirrorMaterial(const char* materialName) {
    return std::strncmp(materialName, "mirr", 4) == 0;
}

} // namespace pelx

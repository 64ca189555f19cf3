// Flares carried by scene meshes whose names begin with "*": one particle system per carrier,
// moved to its carrier, fed, aged and drawn every frame.
//
// Layer effects: the flares and the fire-logo walker. May use scene3ds and the layers below.
#pragma once

#include "platform/vec.h"
#include "scene/scene.h"

namespace pelx {

// Gives every "*" mesh (up to MAX_EMITTERS) its own system, textured with the mesh's material
// picture; the second name character "0".."3" picks the kind, anything else kind 0.
void buildFlareEmitters(Scene& scene, int capacity, float lifetime, int rate, float size, float rise);
// Feeds, ages and draws every flare system; called at the end of the mesh pass.
void drawFlareEmitters(Scene& scene);

// The per-frame step before drawing emitter index: the emission point from its carrier (for
// kind 3 scattered over the carrier's vertices), update, and the current camera copied in.
void feedFlareEmitter(Scene& scene, int index);
// The colour of a flare stored at position with fade f: f grey, or, while tintFlaresByLights
// is set, the switched-on lights' colours weighted by closeness within their range, each
// channel clamped to 1.
Vec3f flareColor(const Scene& scene, const Vec3d& position, float fade);

} // namespace pelx

// Scene flares: a particle system for every "*" mesh, fed at its carrier each frame and drawn
// as camera-facing additive sprites, optionally tinted by the scene's lights instead of fading.
#include "effects/flare_emitters.h"

#include "particles/particle_renderers.h"
#include "platform/frame.h"
#include "platform/phase_timer.h"
#include "platform/random.h"
#include "scene/name_marks.h"

#include <GL/gl.h>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

namespace pelx {

namespace {

bool rises(int32_t kind) {
    return kind == 1 || kind == 3;
}
bool shrinks(int32_t kind) {
    return kind == 2 || kind == 3;
}

} // namespace

void buildFlareEmitters(Scene& scene, int capacity, float lifetime, int rate, float size, float rise) {
    scene.emitterCount = 0;
    resetCursor(scene);
    for (int n = 0; n < scene.objectCount; ++n, nextObject(scene)) {
        SceneObject& object = *scene.current;
        if (object.kind != KIND_MESH || !isFlareCarrier(object)) continue;
        // The table holds MAX_EMITTERS carriers; any beyond them stay plain meshes.
        if (scene.emitterCount >= MAX_EMITTERS) break;
        // The material's name is also its picture's file name (kept within its 256 bytes). A
        // carrier that names no loaded material gets no sprite, rather than an attempt to load
        // the empty name of an unused entry.
        const Material* material = materialAt(scene, object.materialIndex);
        const std::string picture =
            material ? std::string(material->name, strnlen(material->name, MATERIAL_NAME_SIZE))
                     : std::string();
        auto system = std::make_unique<ParticleSystem>(capacity, material ? picture.c_str() : nullptr,
                                                       lifetime, rate, size, rise);
        system->kind = flareKind(object);
        scene.emitters[scene.emitterCount] = std::move(system);
        scene.emitterObjects[scene.emitterCount] = &object;
        scene.emitterCount += 1;
    }
    resetCursor(scene);
}

void feedFlareEmitter(Scene& scene, int index) {
    ParticleSystem& system = *scene.emitters[index];
    const SceneObject& carrier = *scene.emitterObjects[index];
    const int vertexCount = std::min<int>(carrier.vertexCount, static_cast<int>(carrier.vertices.size()));
    if (system.kind == 3 && vertexCount > 0) {
        // Three independent draws, so the point takes each coordinate from a different vertex
        // and in general lies inside the carrier's bounds rather than on a vertex.
        const int xFrom = randomBelow(vertexCount);
        const int yFrom = randomBelow(vertexCount);
        const int zFrom = randomBelow(vertexCount);
        system.emitPosition =
            Vec3d{carrier.vertices[xFrom].x, carrier.vertices[yFrom].y, carrier.vertices[zFrom].z};
    } else {
        // Also a kind-3 carrier without vertices: it has nothing to scatter over.
        system.emitPosition = carrier.position;
    }
    system.update();
    if (const SceneObject* camera = viewingCamera(scene)) {
        system.cameraPosition = camera->eye;
        system.cameraRotation = camera->rotation;
    }
}

Vec3f flareColor(const Scene& scene, const Vec3d& position, float fade) {
    if (!tintFlaresByLights) return Vec3f{fade, fade, fade};
    Vec3f sum;
    const int lightCount = std::min(scene.lightCount, MAX_LIGHTS);
    for (int i = 0; i < lightCount; ++i) {
        const SceneLight* light = scene.lights[i];
        if (!light || light->on != 1) continue;
        const double dx = position.x - light->lightPosition.x;
        const double dy = position.y - light->lightPosition.y;
        const double dz = position.z - light->lightPosition.z;
        const float d = static_cast<float>(std::sqrt(dx * dx + dy * dy + dz * dz));
        // A light without a spotlight has range 0 and reaches nothing (its weight would be 0/0).
        if (!(light->range > 0) || d > light->range) continue;
        const float w = 1 - d / light->range;
        sum.x += w * light->color.x;
        sum.y += w * light->color.y;
        sum.z += w * light->color.z;
    }
    sum.x = std::min(sum.x, 1.0f);
    sum.y = std::min(sum.y, 1.0f);
    sum.z = std::min(sum.z, 1.0f);
    return sum;
}

void drawFlareEmitters(Scene& scene) {
    ScopedPhase phase(Phase::Particles);
    const float now = wallSeconds();
    resetCursor(scene);
    holdParticleDepth();
    beginAdditiveBlend();
    const int emitterCount = std::min(scene.emitterCount, MAX_EMITTERS);
    const ViewVolume view = readViewVolume();
    for (int i = 0; i < emitterCount; ++i) {
        if (!scene.emitters[i] || !scene.emitterObjects[i]) continue;
        feedFlareEmitter(scene, i);
        const ParticleSystem& system = *scene.emitters[i];
        for (int p = 0; p < system.count; ++p) {
            const Particle& particle = system.particles[p];
            const float f = particleFade(particle, now);
            const double y = rises(system.kind) ? particle.position.y + (system.rise - f * system.rise)
                                                : particle.position.y;
            const float h = shrinks(system.kind) ? f * system.size : system.size;
            if (!spriteMayShow(view, system, particle.position.x, y, particle.position.z, h)) continue;
            // The tint is taken where the flare was born, before its rise.
            drawParticleSprite(system, particle.position.x, y, particle.position.z, h,
                               flareColor(scene, particle.position, f));
        }
    }
    restoreParticleDepth();
    endAdditiveBlend();
    glColor3d(1, 1, 1);
}

} // namespace pelx

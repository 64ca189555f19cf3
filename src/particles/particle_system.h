// Pooled sprite particles: a fixed-capacity pool sharing one lifetime, emission rate, sprite
// size, rise and texture, with the camera pose its renderer uses. Times are wall seconds.
//
// Layer particles: the pool and its sprite renderers. May use image, platform.
#pragma once

#include "image/texture.h"
#include "platform/vec.h"

#include <cstdint>
#include <memory>

namespace pelx {

struct Particle {
    Vec3d position;      // fixed at birth; the rise is applied when drawing
    float birthTime = 0; // wall seconds
    float deathTime = 0; // birthTime + lifetime
};

// Absolute time in seconds from the tick counter, rounded to a float; particles age by it.
float wallSeconds();

struct ParticleSystem {
    // Loads textureFile as the sprite (through the texture backend) and allocates the pool.
    ParticleSystem(int capacity, const char* textureFile, float lifetime, int rate, float size, float rise);

    // Adds one particle at position if there is room (at most capacity - 1 live particles).
    void emitAt(const Vec3d& position);
    // Rate emission at emitPosition (at most one particle per call), then expiry.
    void update();
    // Removes entry index, keeping the others in emission order; an index that names no live
    // particle changes nothing.
    void removeAt(int index);
    // Frees the pool; count and capacity become 0, so later emission adds nothing.
    void release();

    std::unique_ptr<Particle[]> particles; // entries 0 .. count - 1 are alive, oldest first
    float lifetime = 0;
    float lastEmitTime = 0; // 0: no rate emission yet
    int32_t rate = 0;       // particles per second
    int32_t capacity = 0;
    int32_t count = 0;
    int32_t kind = 0; // flare emitter kind 0..3, set by the flare emitters
    float size = 0;   // half the sprite's edge
    float rise = 0;   // height climbed over a life, for the rising renderers
    TextureId texture = 0;
    Vec3d cameraPosition; // copied from the scene's camera before each draw
    Vec3d cameraRotation; // degrees about x, y, z
    Vec3d emitPosition;   // where update places new particles
};

} // namespace pelx

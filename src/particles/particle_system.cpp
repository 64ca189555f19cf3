// Particle pool: construction, explicit and rate emission, expiry and removal.
#include "particles/particle_system.h"

#include "platform/clock.h"

namespace pelx {

float wallSeconds() {
    return tickSeconds();
}

ParticleSystem::ParticleSystem(int capacity_, const char* textureFile, float lifetime_, int rate_,
                               float size_, float rise_) {
    capacity = capacity_;
    count = 0;
    rate = rate_;
    lifetime = lifetime_;
    lastEmitTime = 0;
    loadTexture(&texture, textureFile, 0);
    particles = std::make_unique<Particle[]>(capacity > 0 ? capacity : 0);
    size = size_;
    rise = rise_;
}

void ParticleSystem::emitAt(const Vec3d& position) {
    float now = wallSeconds();
    if (count + 1 >= capacity) return;
    particles[count] = Particle{position, now, now + lifetime};
    count += 1;
}

void ParticleSystem::update() {
    float now = wallSeconds();
    if (lastEmitTime == 0) lastEmitTime = now;
    // Particles owed since the last emission. Emitting moves lastEmitTime to now, which makes
    // the debt zero, so one call adds at most one particle and the fraction beyond it is
    // dropped; with a full pool nothing happens and the debt keeps growing. The debt stays a
    // float: it reaches one whole particle exactly when its truncation would, and a long pause
    // cannot overflow a conversion to int.
    const float owed = (now - lastEmitTime) * static_cast<float>(rate);
    if (owed >= 1.0f && count + 1 < capacity) {
        particles[count] = Particle{emitPosition, now, now + lifetime};
        count += 1;
        lastEmitTime = now;
    }
    for (int i = 0; i < count;) {
        if (particles[i].deathTime <= now)
            removeAt(i); // the next particle moved into slot i: look at it again
        else
            ++i;
    }
}

void ParticleSystem::removeAt(int index) {
    // An index outside the live entries names no particle: going on would drop the newest
    // particle, copy from beyond the pool, or leave count negative.
    if (index < 0 || index >= count) return;
    count -= 1;
    for (int j = index; j < count; ++j) particles[j] = particles[j + 1];
}

void ParticleSystem::release() {
    particles.reset();
    count = 0;
    // No slots are left: a released system that is emitted into again stays empty instead of
    // writing into the freed pool.
    capacity = 0;
}

} // namespace pelx

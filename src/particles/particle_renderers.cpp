// The four particle renderers and the sprite routine they share with the scene flares. Each
// particle gets its own matrix, texture bind and quad; blending and depth are set around the
// whole pass and put back afterwards.
#include "particles/particle_renderers.h"

#include "platform/display_state.h"
#include "platform/frame.h"

#include <GL/gl.h>
#include <cmath>

namespace pelx {

void holdParticleDepth() {
    if (displayState.blendDepthMask)
        glDepthMask(GL_FALSE);
    else
        glDisable(GL_DEPTH_TEST);
}

void restoreParticleDepth() {
    if (displayState.blendDepthMask)
        glDepthMask(GL_TRUE);
    else
        glEnable(GL_DEPTH_TEST);
}

float particleFade(const Particle& particle, float now) {
    float span = particle.birthTime - particle.deathTime;
    // A zero lifetime makes a particle dead at birth; draw it black rather than hand GL a NaN.
    if (span == 0) return 0;
    return (now - particle.deathTime) / span;
}

void drawParticleSprite(const ParticleSystem& system, double x, double y, double z, float halfSize,
                        Vec3f color) {
    const float rx = static_cast<float>(system.cameraRotation.x);
    const float ry = static_cast<float>(system.cameraRotation.y);
    const float rz = static_cast<float>(system.cameraRotation.z);
    glLoadIdentity();
    glRotatef(rx, 1, 0, 0);
    glRotatef(ry, 0, 1, 0);
    glRotatef(rz, 0, 0, 1);
    glTranslatef(static_cast<float>(-system.cameraPosition.x), static_cast<float>(-system.cameraPosition.y),
                 static_cast<float>(-system.cameraPosition.z));
    glTranslatef(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
    // The turn back uses the same x, y, z order as the camera, not the reverse: with more than
    // one camera angle the square is therefore not exactly facing the viewer, and the show's
    // sprites look the way they do because of it.
    glRotatef(-rx, 1, 0, 0);
    glRotatef(-ry, 0, 1, 0);
    glRotatef(-rz, 0, 0, 1);
    glBindTexture(GL_TEXTURE_2D, system.texture);
    glColor3f(color.x, color.y, color.z);
    const float h = halfSize;
    glBegin(GL_QUADS);
    glTexCoord2f(0, 1);
    glVertex3f(-h, -h, 0);
    glTexCoord2f(0, 0);
    glVertex3f(-h, h, 0);
    glTexCoord2f(1, 0);
    glVertex3f(h, h, 0);
    glTexCoord2f(1, 1);
    glVertex3f(h, -h, 0);
    glEnd();
}

bool spriteMayShow(const ViewVolume& view, const ParticleSystem& system, double x, double y, double z,
                   float halfSize) {
    // The centre in eye space, turned as drawParticleSprite's matrix turns it, from floats as GL
    // gets them.
    auto f = [](double v) { return static_cast<double>(static_cast<float>(v)); };
    Vec3d e{f(x) - f(system.cameraPosition.x), f(y) - f(system.cameraPosition.y), f(z) - f(system.cameraPosition.z)};
    e = turnedLikeGl(e, f(system.cameraRotation.z), 2);
    e = turnedLikeGl(e, f(system.cameraRotation.y), 1);
    e = turnedLikeGl(e, f(system.cameraRotation.x), 0);
    return mayShow(view, &e, 1, std::fabs(halfSize) * std::sqrt(2.0));
}

namespace {

// Shrinking squares scale their half-size by the fade; rising ones climb by rise over a life.
void drawSystem(const ParticleSystem& system, bool shrinking, bool rising) {
    const float now = wallSeconds();
    beginAdditiveBlend();
    holdParticleDepth();
    const ViewVolume view = readViewVolume();
    for (int i = 0; i < system.count; ++i) {
        const Particle& particle = system.particles[i];
        const float f = particleFade(particle, now);
        const float h = shrinking ? f * system.size : system.size;
        const float dy = rising ? system.rise - f * system.rise : 0.0f;
        if (!spriteMayShow(view, system, particle.position.x, particle.position.y + dy, particle.position.z, h))
            continue;
        drawParticleSprite(system, particle.position.x, particle.position.y + dy, particle.position.z, h,
                           Vec3f{f, f, f});
    }
    restoreParticleDepth();
    endAdditiveBlend();
    glColor3d(1, 1, 1);
}

} // namespace

void drawPlain(const ParticleSystem& system) {
    drawSystem(system, false, false);
}
void drawRising(const ParticleSystem& system) {
    drawSystem(system, false, true);
}
void drawShrinking(const ParticleSystem& system) {
    drawSystem(system, true, false);
}
void drawShrinkingRising(const ParticleSystem& system) {
    drawSystem(system, true, true);
}

} // namespace pelx

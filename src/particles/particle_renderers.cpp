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

SpriteView readSpriteView() {
    double m[16]; // column-major: m[column * 4 + row]
    glGetDoublev(GL_PROJECTION_MATRIX, m);
    SpriteView view;
    // gluPerspective's shape: x and y scaled, no shear, w = -z.
    const bool perspective = m[1] == 0 && m[2] == 0 && m[3] == 0 && m[4] == 0 && m[6] == 0 && m[7] == 0 &&
                             m[8] == 0 && m[9] == 0 && m[11] == -1 && m[12] == 0 && m[13] == 0 &&
                             m[15] == 0 && m[0] > 0 && m[5] > 0;
    if (!perspective) return view;
    const double a = m[10], b = m[14];
    if (a == 1 || a == -1) return view;
    view.zNear = b / (a - 1);
    view.zFar = b / (a + 1);
    if (!(view.zNear > 0 && view.zFar > view.zNear)) return view;
    view.slopeX = m[0];
    view.slopeY = m[5];
    view.known = true;
    return view;
}

namespace {

// glRotatef's turn of v about axis 0 (x), 1 (y) or 2 (z) by degrees.
Vec3d turned(Vec3d v, double degrees, int axis) {
    const double r = degrees * (3.14159265358979323846 / 180), c = std::cos(r), s = std::sin(r);
    switch (axis) {
    case 0:
        return {v.x, c * v.y - s * v.z, s * v.y + c * v.z};
    case 1:
        return {c * v.x + s * v.z, v.y, -s * v.x + c * v.z};
    default:
        return {c * v.x - s * v.y, s * v.x + c * v.y, v.z};
    }
}

} // namespace

bool spriteMayShow(const SpriteView& view, const ParticleSystem& system, double x, double y, double z,
                   float halfSize) {
    if (!view.known) return true;
    // The centre in eye space, turned as drawParticleSprite's matrix turns it.
    auto f = [](double v) { return static_cast<double>(static_cast<float>(v)); };
    Vec3d e{f(x) - f(system.cameraPosition.x), f(y) - f(system.cameraPosition.y), f(z) - f(system.cameraPosition.z)};
    e = turned(e, static_cast<float>(system.cameraRotation.z), 2);
    e = turned(e, static_cast<float>(system.cameraRotation.y), 1);
    e = turned(e, static_cast<float>(system.cameraRotation.x), 0);
    if (!std::isfinite(e.x) || !std::isfinite(e.y) || !std::isfinite(e.z)) return true;
    // A margin well above the float rounding of GL's own transform.
    const double reach = std::fabs(halfSize) * std::sqrt(2.0) + 1e-3 * (1 + std::fabs(e.x) + std::fabs(e.y) +
                                                                        std::fabs(e.z));
    auto outside = [&](double across, double slope) {
        return (slope * std::fabs(across) + e.z) / std::sqrt(slope * slope + 1) > reach;
    };
    return !(e.z + view.zNear > reach || -e.z - view.zFar > reach || outside(e.x, view.slopeX) ||
             outside(e.y, view.slopeY));
}

namespace {

// Shrinking squares scale their half-size by the fade; rising ones climb by rise over a life.
void drawSystem(const ParticleSystem& system, bool shrinking, bool rising) {
    const float now = wallSeconds();
    beginAdditiveBlend();
    holdParticleDepth();
    const SpriteView view = readSpriteView();
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

// Reading back what a particle pass lit: the bounding box of the lit pixels, how many there
// are and the colour at the box's centre, plus a white sprite texture and a camera-space scale.
#pragma once

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

namespace pelx::test {

// Pixels per world unit across a square facing the camera 100 units away, with the display's
// 45-degree vertical field of view over a 240-pixel-high viewport.
inline double pixelsPerUnitAt100() {
    return 120.0 / std::tan(22.5 * 3.14159265358979 / 180.0) / 100.0;
}

struct LitArea {
    int count = 0; // pixels brighter than the threshold in any channel
    int xMin = 0, xMax = -1, yMin = 0, yMax = -1;
    std::array<uint8_t, 3> centre{};
    double width() const { return xMax - xMin + 1; }
    double height() const { return yMax - yMin + 1; }
    double centreX() const { return (xMin + xMax + 1) / 2.0; }
    double centreY() const { return (yMin + yMax + 1) / 2.0; }
};

// Scans the whole back buffer (rows from the bottom up).
inline LitArea measureLit(int threshold = 8) {
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    const int w = viewport[2], h = viewport[3];
    std::vector<uint8_t> rgb(size_t(w) * h * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, w, h, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    LitArea area;
    area.xMin = w;
    area.yMin = h;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const uint8_t* p = &rgb[(size_t(y) * w + x) * 3];
            if (p[0] <= threshold && p[1] <= threshold && p[2] <= threshold) continue;
            area.count += 1;
            area.xMin = std::min(area.xMin, x);
            area.xMax = std::max(area.xMax, x);
            area.yMin = std::min(area.yMin, y);
            area.yMax = std::max(area.yMax, y);
        }
    }
    if (area.count > 0) {
        const int cx = (area.xMin + area.xMax) / 2, cy = (area.yMin + area.yMax) / 2;
        const uint8_t* p = &rgb[(size_t(cy) * w + cx) * 3];
        area.centre = {p[0], p[1], p[2]};
    }
    return area;
}

// A 4 x 4 all-white texture, so a sprite shows exactly its colour.
inline GLuint makeWhiteTexture() {
    GLuint id = 0;
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, id);
    const std::vector<uint8_t> white(4 * 4 * 3, 255);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 4, 4, 0, GL_RGB, GL_UNSIGNED_BYTE, white.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    return id;
}

// An untextured opaque grey square facing the camera at depth z (camera at the origin).
inline void drawOpaqueSquare(float z, float half, float grey) {
    glLoadIdentity();
    glDisable(GL_TEXTURE_2D);
    glColor3f(grey, grey, grey);
    glBegin(GL_QUADS);
    glVertex3f(-half, -half, z);
    glVertex3f(half, -half, z);
    glVertex3f(half, half, z);
    glVertex3f(-half, half, z);
    glEnd();
    glEnable(GL_TEXTURE_2D);
}

struct PassState {
    bool blend;
    bool depthTest;
    bool depthWrites;
    std::array<float, 4> colour;
    GLint blendSource, blendDestination;
};

inline PassState readPassState() {
    PassState s{};
    s.blend = glIsEnabled(GL_BLEND);
    s.depthTest = glIsEnabled(GL_DEPTH_TEST);
    GLboolean writes = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &writes);
    s.depthWrites = writes == GL_TRUE;
    glGetFloatv(GL_CURRENT_COLOR, s.colour.data());
    glGetIntegerv(GL_BLEND_SRC, &s.blendSource);
    glGetIntegerv(GL_BLEND_DST, &s.blendDestination);
    return s;
}

// What every additive pass leaves behind: blending off (its factors still the additive ones),
// depth test and writes back on, the colour white.
inline void expectPassStateRestored() {
    const PassState s = readPassState();
    EXPECT_FALSE(s.blend);
    EXPECT_TRUE(s.depthTest);
    EXPECT_TRUE(s.depthWrites);
    EXPECT_EQ(s.colour, (std::array<float, 4>{1, 1, 1, 1}));
    EXPECT_EQ(s.blendSource, GL_ONE);
    EXPECT_EQ(s.blendDestination, GL_ONE);
}

// The state the frame is in before an additive pass: depth test and writes on, blending off
// with other factors, and some colour other than white.
inline void setOrdinaryState() {
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ZERO);
    glColor3f(0.2f, 0.4f, 0.6f);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

} // namespace pelx::test

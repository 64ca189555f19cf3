// Small scenes for the drawing tests: flat quads facing the camera, cameras, solid textures,
// and where a direction from the eye lands in the 320 x 240 test window.
#pragma once

#include "scene/scene.h"
#include "support/gl_test_support.h"

#include <GL/gl.h>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace pelx::test {

inline constexpr int WINDOW_WIDTH = 320;
inline constexpr int WINDOW_HEIGHT = 240;

// A quad in the plane z, from (x0, y0) to (x1, y1), two faces, one colour on every vertex, the
// texture corners (u0, v0) and (u1, v1).
inline SceneObject& addQuad(Scene& scene, const std::string& name, double x0, double y0, double x1, double y1,
                            double z, Vec3f color, TexCoord uv0 = {0, 0}, TexCoord uv1 = {1, 1}) {
    lastObject(scene);
    appendObject(scene);
    SceneObject& quad = *scene.current;
    resetCursor(scene);
    quad.kind = KIND_MESH;
    name.copy(quad.name, OBJECT_NAME_SIZE - 1);
    quad.vertices = {{x0, y0, z}, {x1, y0, z}, {x1, y1, z}, {x0, y1, z}};
    quad.boundsMin = {static_cast<float>(std::min(x0, x1)), static_cast<float>(std::min(y0, y1)),
                      static_cast<float>(z)};
    quad.boundsMax = {static_cast<float>(std::max(x0, x1)), static_cast<float>(std::max(y0, y1)),
                      static_cast<float>(z)};
    quad.texCoords = {{uv0.u, uv0.v}, {uv1.u, uv0.v}, {uv1.u, uv1.v}, {uv0.u, uv1.v}};
    quad.faces = {{0, 1, 2, 0}, {0, 2, 3, 0}};
    quad.vertexColors.assign(4, color);
    quad.baseColors.assign(4, color);
    quad.vertexCount = 4;
    quad.texCoordCount = 4;
    quad.faceCount = 2;
    return quad;
}

inline SceneObject& addCameraAt(Scene& scene, Vec3d eye, Vec3d rotation) {
    lastObject(scene);
    appendObject(scene);
    SceneObject& camera = *scene.current;
    resetCursor(scene);
    camera.kind = KIND_CAMERA;
    std::string("camera").copy(camera.name, OBJECT_NAME_SIZE - 1);
    camera.eye = eye;
    camera.rotation = rotation;
    scene.cameras[scene.cameraCount++] = &camera;
    return camera;
}

// A texture of one colour, sampled without mipmaps.
inline TextureId solidTexture(uint8_t r, uint8_t g, uint8_t b) {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    const uint8_t texel[4] = {r, g, b, 255};
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glBindTexture(GL_TEXTURE_2D, 0);
    return name;
}

// The window pixel that shows the direction (dx, dy, -1) from an unturned eye, under the
// show's 45-degree projection of the 320 x 240 window.
inline std::array<uint8_t, 3> pixelTowards(double dx, double dy) {
    const double halfHeight = std::tan(22.5 * 3.14159265358979 / 180);
    const double halfWidth = halfHeight * WINDOW_WIDTH / WINDOW_HEIGHT;
    const int x = static_cast<int>(std::lround(WINDOW_WIDTH / 2.0 * (1 + dx / halfWidth)));
    const int y = static_cast<int>(std::lround(WINDOW_HEIGHT / 2.0 * (1 + dy / halfHeight)));
    return readPixel(x, y);
}

inline std::string rgbText(const std::array<uint8_t, 3>& c) {
    return std::to_string(c[0]) + "," + std::to_string(c[1]) + "," + std::to_string(c[2]);
}

// Colours compared with a little room for the rasteriser's rounding.
inline ::testing::AssertionResult colorNear(const std::array<uint8_t, 3>& actual,
                                            const std::array<uint8_t, 3>& expected) {
    for (int i = 0; i < 3; ++i)
        if (std::abs(actual[i] - expected[i]) > 3)
            return ::testing::AssertionFailure()
                   << "got " << rgbText(actual) << ", expected " << rgbText(expected);
    return ::testing::AssertionSuccess();
}

} // namespace pelx::test

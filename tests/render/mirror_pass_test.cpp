// The mirror pass in a 320 x 240 window, lower than the 512 x 512 reflections: what reaches the
// mirror textures (read back texel by texel), what is left in the window, the camera restored
// bit for bit, and mirror counts larger than the mirrors in the list.
#include "render/mirror_pass.h"

#include "image/texture.h"
#include "lighting/lighting.h"
#include "platform/frame.h"
#include "platform/launch_options.h"
#include "render/render_scene.h"

#include <GL/gl.h>
#include <cstring>
#include <gtest/gtest.h>
#include <vector>

namespace pelx {
namespace {

using test::addCameraAt;
using test::addQuad;
using test::colorNear;
using Rgb = std::array<uint8_t, 3>;

constexpr Rgb RED = {255, 0, 0};
constexpr Rgb BLACK = {0, 0, 0};

Rgb texel(TextureId texture, int x, int y) {
    std::vector<uint8_t> pixels(512 * 512 * 3);
    glBindTexture(GL_TEXTURE_2D, texture);
    GLint width = 0, height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    EXPECT_EQ(width, 512);
    EXPECT_EQ(height, 512);
    if (width != 512 || height != 512) return {1, 2, 3};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    const size_t at = (static_cast<size_t>(y) * 512 + x) * 3;
    return {pixels[at], pixels[at + 1], pixels[at + 2]};
}

TextureId blankMirrorTexture() {
    TextureId slot = 0;
    createBlankTexture(&slot, 512, 3, GL_RGB, 0);
    return slot;
}

// Every pixel of the window is black: the frame's main drawing starts from an empty buffer.
bool windowIsClear() {
    std::vector<uint8_t> pixels(test::WINDOW_WIDTH * test::WINDOW_HEIGHT * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, test::WINDOW_WIDTH, test::WINDOW_HEIGHT, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    for (uint8_t value : pixels)
        if (value != 0) return false;
    return true;
}

void fillWindow(float r, float g, float b) {
    glClearColor(r, g, b, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0, 0, 0, 0);
}

class MirrorPassTest : public ::testing::TestWithParam<bool> {
  protected:
    void SetUp() override {
        test::openTestDisplay(test::WINDOW_WIDTH, test::WINDOW_HEIGHT);
        glViewport(0, 0, test::WINDOW_WIDTH, test::WINDOW_HEIGHT);
        allowOffscreenMirrors = GetParam();
        launchOptions.lightsOff = false;
        if (!red) red = test::solidTexture(255, 0, 0);
        clearFrame();
    }
    void TearDown() override { allowOffscreenMirrors = true; }

    // A red wall far ahead that fills the view of a mirror standing at (100, 0, 0), and none of
    // the view from the origin.
    void startScene(Scene& scene, Vec3d cameraRotation) {
        appendObject(scene);
        addCameraAt(scene, {0, 0, 0}, cameraRotation);
        scene.materialCount = 1;
        scene.materials[0].texture = red;
    }
    SceneObject& addMirror(Scene& scene, const char* name, Vec3d position, double x0, double y0, double x1,
                           double y1, double z, TexCoord uv = {0.2f, 0.2f}) {
        SceneObject& mirror = addQuad(scene, name, x0, y0, x1, y1, z, {1, 1, 1}, uv, uv);
        mirror.isMirror = 1;
        mirror.mirrorTexture = blankMirrorTexture();
        mirror.position = position;
        scene.mirrorCount += 1;
        return mirror;
    }
    static inline TextureId red = 0;
};

INSTANTIATE_TEST_SUITE_P(OffscreenOrWindow, MirrorPassTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "Offscreen" : "InTheWindow";
                         });

// The camera is turned 30 degrees about y; the mirror looks with -30, that is along
// (-0.5, 0, -0.866), where the red wall (z = -43.3, x 20..99.6) fills its view. Turned the
// camera's own way it would look along (0.5, 0, -0.866) and see no red at all.
TEST_P(MirrorPassTest, ReflectionLooksWithTheCameraAnglesNegated) {
    Scene scene;
    startScene(scene, {0, 30, 0});
    addQuad(scene, "wall", 20, -200, 99.6, 200, -43.3, {1, 1, 1});
    SceneObject& mirror = addMirror(scene, "mirror", {100, 0, 0}, -1, -1, 1, 1, 30);
    renderMirrors(scene);
    EXPECT_TRUE(colorNear(texel(mirror.mirrorTexture, 100, 100), RED)) << "inside the window's rows";
    EXPECT_TRUE(colorNear(texel(mirror.mirrorTexture, 300, 60), RED)) << "inside the window's rows";
    // Rows and columns beyond the 320 x 240 window: drawn off-screen they hold the reflection;
    // drawn in the window they were never captured and keep the blank texture's black.
    const Rgb beyond = GetParam() ? RED : BLACK;
    EXPECT_TRUE(colorNear(texel(mirror.mirrorTexture, 400, 400), beyond)) << "beyond the window";
    EXPECT_TRUE(colorNear(texel(mirror.mirrorTexture, 100, 500), beyond)) << "above the window";
    EXPECT_TRUE(colorNear(texel(mirror.mirrorTexture, 500, 100), beyond)) << "right of the window";
}

TEST_P(MirrorPassTest, NothingFromOutsideTheWindowIsCopied) {
    // The mirror's texture holds an earlier magenta picture. Drawn in the window, only the
    // part inside the window is replaced: the rest keeps the earlier picture rather than
    // whatever lies beyond the window's buffer. Off-screen, the whole picture is new.
    Scene scene;
    startScene(scene, {0, 30, 0});
    addQuad(scene, "wall", 20, -200, 99.6, 200, -43.3, {1, 1, 1});
    SceneObject& mirror = addMirror(scene, "mirror", {100, 0, 0}, -1, -1, 1, 1, 30);
    std::vector<uint8_t> magenta(512 * 512 * 3);
    for (size_t i = 0; i < magenta.size(); i += 3) magenta[i] = magenta[i + 2] = 255;
    glBindTexture(GL_TEXTURE_2D, mirror.mirrorTexture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 512, 512, 0, GL_RGB, GL_UNSIGNED_BYTE, magenta.data());
    renderMirrors(scene);
    const Rgb beyond = GetParam() ? RED : Rgb{255, 0, 255};
    EXPECT_TRUE(colorNear(texel(mirror.mirrorTexture, 100, 100), RED));
    EXPECT_TRUE(colorNear(texel(mirror.mirrorTexture, 319, 239), RED)) << "the window's last pixel";
    EXPECT_TRUE(colorNear(texel(mirror.mirrorTexture, 100, 240), beyond)) << "the first row above the window";
    EXPECT_TRUE(colorNear(texel(mirror.mirrorTexture, 320, 100), beyond)) << "the first column beyond it";
    EXPECT_TRUE(colorNear(texel(mirror.mirrorTexture, 511, 511), beyond));
}

TEST_P(MirrorPassTest, TextureWithoutAPictureGetsADefinedOne) {
    // A mirror texture name that was never given an image: the reflection still fills a
    // 512 x 512 picture, with nothing undefined outside what was captured.
    Scene scene;
    startScene(scene, {0, 30, 0});
    addQuad(scene, "wall", 20, -200, 99.6, 200, -43.3, {1, 1, 1});
    SceneObject& mirror = addMirror(scene, "mirror", {100, 0, 0}, -1, -1, 1, 1, 30);
    GLuint fresh = 0;
    glGenTextures(1, &fresh);
    mirror.mirrorTexture = fresh;
    renderMirrors(scene);
    EXPECT_TRUE(colorNear(texel(fresh, 100, 100), RED));
    EXPECT_TRUE(colorNear(texel(fresh, 450, 450), GetParam() ? RED : BLACK));
}

// Mirror A stands at (100, 0, 0) and sees the red wall (z = -50, x 40..200). Mirror B stands at
// the origin, where the wall is out of view but A's quad is not: A sits at direction
// (-0.337, -0.253, -1), which B's picture shows around texel (100, 100). A's quad samples its own
// picture at texel (102, 102), red, so B would show red there if A were drawn into it.
TEST_P(MirrorPassTest, SecondMirrorsPictureDoesNotShowTheFirst) {
    Scene scene;
    startScene(scene, {0, 0, 0});
    addQuad(scene, "wall", 40, -300, 200, 300, -50, {1, 1, 1});
    SceneObject& a = addMirror(scene, "mirrorA", {100, 0, 0}, -4.37, -3.53, -2.37, -1.53, -10);
    SceneObject& b = addMirror(scene, "mirrorB", {0, 0, 0}, -1, -1, 1, 1, 30, {0.5f, 0.5f});
    renderMirrors(scene);
    EXPECT_TRUE(colorNear(texel(a.mirrorTexture, 102, 102), RED)) << "A reflects the wall";
    EXPECT_TRUE(colorNear(texel(b.mirrorTexture, 100, 100), BLACK)) << "B shows no trace of A";
    EXPECT_TRUE(colorNear(texel(b.mirrorTexture, 60, 60), BLACK));
    EXPECT_TRUE(colorNear(texel(b.mirrorTexture, 140, 140), BLACK));
}

TEST_P(MirrorPassTest, CameraBufferAndViewportAreLeftAsTheMainDrawingNeedsThem) {
    Scene scene;
    const Vec3d rotation = {0.1, 30.000000000000004, -0.0};
    startScene(scene, rotation);
    SceneObject& camera = *scene.cameras[0];
    camera.eye = {1.0 / 3.0, -1e-300, 12345.678901234567};
    const Vec3d eye = camera.eye;
    const Vec3d target = {7, 8, 9};
    camera.target = target;
    addQuad(scene, "wall", -100, -100, 100, 100, -50, {1, 1, 1});
    addMirror(scene, "mirror", {5, 5, 5}, -1, -1, 1, 1, -10);
    fillWindow(0.2f, 0.4f, 0.6f);
    renderMirrors(scene);
    EXPECT_EQ(std::memcmp(&camera.rotation, &rotation, sizeof rotation), 0)
        << "rotation restored bit for bit";
    EXPECT_EQ(std::memcmp(&camera.eye, &eye, sizeof eye), 0) << "eye restored bit for bit";
    EXPECT_EQ(std::memcmp(&camera.target, &target, sizeof target), 0);
    EXPECT_TRUE(windowIsClear());
    GLfloat depth = 0;
    glReadPixels(10, 10, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    EXPECT_EQ(depth, 1.0f) << "depth cleared as well";
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[0], 0);
    EXPECT_EQ(viewport[1], 0);
    EXPECT_EQ(viewport[2], launchOptions.width);
    EXPECT_EQ(viewport[3], launchOptions.height);
    EXPECT_TRUE(drawMirrors);
    GLint framebuffer = -1;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &framebuffer);
    EXPECT_EQ(framebuffer, 0) << "drawing goes to the window again";
    EXPECT_EQ(scene.current, static_cast<SceneObject*>(&scene));
}

TEST_P(MirrorPassTest, WithoutMirrorsNothingIsDrawnButTheSceneIsLit) {
    // Lighting starts every lit vertex from its static colour (red), so a lit quad turns red;
    // with lights off it keeps the blue it had.
    for (bool lightsOff : {false, true}) {
        Scene scene;
        startScene(scene, {0, 0, 0});
        SceneObject& lamp = *scene.cameras[0];
        lamp.light.on = 1;
        lamp.light.range = 1;
        lamp.light.lightPosition = {1000, 1000, 1000};
        scene.lights[0] = &lamp.light;
        scene.lightCount = 1;
        scene.lightingMode = LIGHTING_EUCLIDEAN;
        SceneObject& quad = addQuad(scene, "box", -5, -5, 5, 5, -10, {0, 0, 1});
        quad.baseColors.assign(4, {1, 0, 0});
        launchOptions.lightsOff = lightsOff;
        drawMirrors = false;
        fillWindow(0, 0.4f, 0);
        renderMirrors(scene);
        EXPECT_TRUE(colorNear(test::readPixel(160, 120), {0, 102, 0})) << "the window is left as it was";
        EXPECT_TRUE(drawMirrors);
        EXPECT_EQ(quad.vertexColors[0].x, lightsOff ? 0.0f : 1.0f) << "lights off: " << lightsOff;
        EXPECT_EQ(quad.vertexColors[0].z, lightsOff ? 1.0f : 0.0f) << "lights off: " << lightsOff;
    }
    launchOptions.lightsOff = false;
}

TEST_P(MirrorPassTest, MirrorCountAboveTheMirrorsInTheListEnds) {
    // The count comes from the mirror materials met while loading and may exceed the meshes
    // that use them; the search ends with the list whatever follows the last mirror.
    struct Case {
        bool objectAfterMirror;
        int mirrorCount;
    } cases[] = {{true, 3}, {false, 3}, {true, 40}};
    for (const Case& c : cases) {
        Scene scene;
        startScene(scene, {0, 30, 0});
        addQuad(scene, "wall", 20, -200, 99.6, 200, -43.3, {1, 1, 1});
        SceneObject& mirror = addMirror(scene, "mirror", {100, 0, 0}, -1, -1, 1, 1, 30);
        if (c.objectAfterMirror) addQuad(scene, "floor", -1, -1, 1, 1, 40, {1, 1, 1});
        scene.mirrorCount = c.mirrorCount;
        renderMirrors(scene);
        EXPECT_TRUE(colorNear(texel(mirror.mirrorTexture, 100, 100), RED)) << c.mirrorCount;
        EXPECT_TRUE(drawMirrors);
        EXPECT_TRUE(windowIsClear());
        EXPECT_EQ(scene.cameras[0]->rotation.y, 30.0);
    }
    Scene none;
    startScene(none, {0, 0, 0});
    addQuad(none, "wall", 20, -200, 99.6, 200, -43.3, {1, 1, 1});
    none.mirrorCount = 2;
    renderMirrors(none);
    EXPECT_TRUE(drawMirrors);
}

} // namespace
} // namespace pelx

// The mesh pass judged by the pixels it leaves: opaque and additive meshes with and without
// depth writes, mirror meshes, textures by material, the lighting rule and the state after.
#include "render/mesh_pass.h"

#include "lighting/lighting.h"
#include "particles/screen_probe.h"
#include "platform/display_state.h"
#include "platform/frame.h"
#include "platform/launch_options.h"
#include "render/render_scene.h"

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <memory>

namespace pelx {
namespace {

using test::addCameraAt;
using test::addQuad;
using test::colorNear;
using test::pixelTowards;
using test::solidTexture;

using Rgb = std::array<uint8_t, 3>;

class MeshPassTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::openTestDisplay(test::WINDOW_WIDTH, test::WINDOW_HEIGHT);
        glViewport(0, 0, test::WINDOW_WIDTH, test::WINDOW_HEIGHT);
        savedLightsOff = launchOptions.lightsOff;
        savedDepthMask = displayState.blendDepthMask;
        launchOptions.lightsOff = false;
        drawMirrors = true;
        if (!white) white = solidTexture(255, 255, 255);
        glColor3ub(255, 255, 255);
        clearFrame();
    }
    void TearDown() override {
        launchOptions.lightsOff = savedLightsOff;
        displayState.blendDepthMask = savedDepthMask;
        drawMirrors = true;
    }
    // A scene seen from the origin, looking down -z, whose material 0 is white.
    void startScene(Scene& scene) {
        appendObject(scene);
        addCameraAt(scene, {0, 0, 0}, {0, 0, 0});
        scene.materialCount = 1;
        scene.materials[0].texture = white;
    }
    static inline TextureId white = 0;
    bool savedLightsOff = false;
    bool savedDepthMask = true;
};

// An opaque wall over the lower half at depth 10; additive quads in front of it on the left, behind
// it on the right, and one further back on the upper left, behind the front one.
TEST_F(MeshPassTest, AdditiveMeshesAddLightAndWriteNoDepth) {
    struct Case {
        bool blendDepthMask;
        Rgb lowerLeft, upperLeft, lowerRight, upperRight;
    } cases[] = {
        // Depth-tested against the wall: the quad behind it is hidden there. The front quad
        // writes no depth, so the one behind it still adds its blue.
        {true, {128, 128, 0}, {0, 128, 128}, {128, 0, 0}, {0, 0, 128}},
        // Depth test off: the quad behind the wall shows through it.
        {false, {128, 128, 0}, {0, 128, 128}, {128, 0, 128}, {0, 0, 128}},
    };
    for (const Case& c : cases) {
        displayState.blendDepthMask = c.blendDepthMask;
        clearFrame();
        Scene scene;
        startScene(scene);
        addQuad(scene, "wall", -10, -10, 10, 0, -10, {0.5f, 0, 0});
        addQuad(scene, "%front", -10, -10, 0, 10, -8, {0, 0.5f, 0});
        addQuad(scene, "%behind", 0, -10, 10, 10, -12, {0, 0, 0.5f});
        addQuad(scene, "%farther", -10, 0, 0, 10, -14, {0, 0, 0.5f});
        drawMesh(scene);
        const char* mode = c.blendDepthMask ? "depth mask" : "depth test off";
        EXPECT_TRUE(colorNear(pixelTowards(-0.2, -0.2), c.lowerLeft)) << mode << ", lower left";
        EXPECT_TRUE(colorNear(pixelTowards(-0.2, 0.2), c.upperLeft)) << mode << ", upper left";
        EXPECT_TRUE(colorNear(pixelTowards(0.2, -0.2), c.lowerRight)) << mode << ", lower right";
        EXPECT_TRUE(colorNear(pixelTowards(0.2, 0.2), c.upperRight)) << mode << ", upper right";

        // The state every later drawing step expects.
        EXPECT_FALSE(glIsEnabled(GL_BLEND)) << mode;
        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST)) << mode;
        GLboolean depthWrites = GL_FALSE;
        glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
        EXPECT_EQ(depthWrites, GL_TRUE) << mode;
        GLfloat color[4] = {};
        glGetFloatv(GL_CURRENT_COLOR, color);
        EXPECT_EQ(color[0], 1.0f);
        EXPECT_EQ(color[1], 1.0f);
        EXPECT_EQ(color[2], 1.0f);
        EXPECT_EQ(scene.current, static_cast<SceneObject*>(&scene)) << mode;
    }
}

TEST_F(MeshPassTest, MirrorsAndMaterialsChooseTheTexture) {
    static TextureId red = solidTexture(255, 0, 0);
    static TextureId blue = solidTexture(0, 0, 255);
    struct Case {
        const char* name;
        bool isMirror;
        bool mirrorsShown;
        int materialIndex;
        Rgb expected;
        const char* why;
    } cases[] = {
        {"glass", true, false, 0, {0, 0, 0}, "mirrors are left out while reflections are drawn"},
        {"glass", true, true, 0, {0, 0, 255}, "a mirror shows its own picture, not its material"},
        {"wood", false, false, 0, {255, 0, 0}, "an ordinary mesh shows its material"},
        {"%glow", true, false, 0, {255, 0, 0}, "an additive mesh is never a mirror"},
        {"plain", false, true, -1, {255, 255, 255}, "no material: untextured, its vertex colour"},
        {"plain", false, true, 1, {255, 255, 255}, "an index past the materials: untextured"},
    };
    for (const Case& c : cases) {
        clearFrame();
        Scene scene;
        startScene(scene);
        scene.materials[0].texture = red;
        scene.materials[1].texture = blue; // present in the table but not loaded
        SceneObject& quad = addQuad(scene, c.name, -5, -5, 5, 5, -10, {1, 1, 1});
        quad.isMirror = c.isMirror;
        quad.mirrorTexture = blue;
        quad.materialIndex = c.materialIndex;
        drawMirrors = c.mirrorsShown;
        drawMesh(scene);
        EXPECT_TRUE(colorNear(pixelTowards(0, 0), c.expected)) << c.why;
    }
}

TEST_F(MeshPassTest, LightingRunsOnlyWithLightsOnAndNoMirrors) {
    // The lighting starts every lit vertex from its static colour (red here); vertices it does
    // not reach keep the blue they were given. With lights off the current colour shows.
    struct Case {
        bool lightsOff;
        int mirrorCount;
        Rgb expected;
        const char* why;
    } cases[] = {
        {false, 0, {255, 0, 0}, "lit by the mesh pass"},
        {false, 1, {0, 0, 255}, "a scene with mirrors is lit by the mirror pass instead"},
        {true, 0, {0, 255, 0}, "no lights: no vertex colours, the current colour shows"},
    };
    for (const Case& c : cases) {
        clearFrame();
        Scene scene;
        startScene(scene);
        scene.lightingMode = LIGHTING_EUCLIDEAN;
        SceneObject& lamp = *scene.cameras[0]; // any object can hold the light record
        lamp.light.on = 1;
        lamp.light.range = 1;
        lamp.light.lightPosition = {1000, 1000, 1000};
        scene.lights[0] = &lamp.light;
        scene.lightCount = 1;
        scene.mirrorCount = c.mirrorCount;
        SceneObject& quad = addQuad(scene, "box", -5, -5, 5, 5, -10, {0, 0, 1});
        quad.baseColors.assign(4, {1, 0, 0});
        launchOptions.lightsOff = c.lightsOff;
        glColor3ub(0, 255, 0);
        drawMesh(scene);
        EXPECT_TRUE(colorNear(pixelTowards(0, 0), c.expected)) << c.why;
        GLfloat color[4] = {};
        glGetFloatv(GL_CURRENT_COLOR, color);
        EXPECT_EQ(color[1], 1.0f) << c.why;
        EXPECT_EQ(color[0], 1.0f) << c.why << ": white is left behind";
    }
}

TEST_F(MeshPassTest, ObjectsMoveAndTurnAboutTheirPivot) {
    // A 2 x 1 quad modelled around the pivot (1, 0, -10) (x 0..2), moved to (3, 0, -10) and
    // turned 90 degrees about z: it covers x 2.5..3.5 and y -1..1 at depth 10, so the rays
    // towards x = 3 hit it and the centre stays empty.
    Scene scene;
    startScene(scene);
    SceneObject& quad = addQuad(scene, "moved", 0, -0.5, 2, 0.5, -10, {1, 1, 1});
    quad.positionTrack.keyCount = 2;
    quad.rotationTrack.keyCount = 2;
    quad.pivot = {1, 0, -10};
    quad.position = {3, 0, -10};
    quad.rotation = {0, 0, 90};
    drawMesh(scene);
    EXPECT_TRUE(colorNear(pixelTowards(0.3, 0.08), {255, 255, 255})) << "turned: 2 high";
    EXPECT_TRUE(colorNear(pixelTowards(0.3, -0.08), {255, 255, 255}));
    EXPECT_TRUE(colorNear(pixelTowards(0.1, 0), {0, 0, 0})) << "moved away from where it was modelled";
    EXPECT_TRUE(colorNear(pixelTowards(0.39, 0), {0, 0, 0})) << "turned: only 1 wide";

    // Without tracks the stored vertices are drawn where they are.
    clearFrame();
    quad.positionTrack.keyCount = 1;
    quad.rotationTrack.keyCount = 1;
    drawMesh(scene);
    EXPECT_TRUE(colorNear(pixelTowards(0.1, 0), {255, 255, 255}));
    EXPECT_TRUE(colorNear(pixelTowards(0.3, 0), {0, 0, 0}));

    // The view turned by +10 degrees about y: a point (x, 0, -10) is seen at
    // (x cos 10 - 10 sin 10, 0, -x sin 10 - 10 cos 10); the quad's edges x = 0 and x = 2 at
    // directions -0.176 and +0.023, its middle at -0.075.
    clearFrame();
    scene.cameras[0]->rotation = {0, 10, 0};
    drawMesh(scene);
    EXPECT_TRUE(colorNear(pixelTowards(-0.075, 0), {255, 255, 255}));
    EXPECT_TRUE(colorNear(pixelTowards(0.08, 0), {0, 0, 0}));
    EXPECT_TRUE(colorNear(pixelTowards(-0.25, 0), {0, 0, 0}));
}

TEST_F(MeshPassTest, FlaresAreAddedOverTheMeshesFromTheCurrentCamera) {
    // A flare born this instant (full brightness, untextured white) at (0, 0, -10) in front of
    // a half-red wall; a second camera in use looks from (0, 0, 5), so the flare faces it.
    test::TestClock clock(5000);
    Scene scene;
    startScene(scene);
    addCameraAt(scene, {0, 0, 5}, {0, 0, 0});
    scene.currentCamera = 1;
    addQuad(scene, "wall", -20, -20, 20, 20, -20, {0.5f, 0, 0});
    SceneObject& carrier = addQuad(scene, "*0spark", 0, 0, 0, 0, -10, {1, 1, 1});
    carrier.faces.clear();
    carrier.faceCount = 0;
    carrier.position = {0, 0, -10};
    scene.emitters[0] = std::make_unique<ParticleSystem>(8, nullptr, 100.0f, 1, 1.0f, 0.0f);
    scene.emitterObjects[0] = &carrier;
    scene.emitterCount = 1;
    scene.emitters[0]->emitAt({0, 0, -10});
    drawMesh(scene);
    // Seen from z = 5 the flare (half size 1 at distance 15) spans directions -0.067..0.067.
    // It writes no depth: had it come before the wall, the wall would have covered it.
    EXPECT_TRUE(colorNear(pixelTowards(0, 0), {255, 255, 255})) << "white added to the wall";
    EXPECT_TRUE(colorNear(pixelTowards(0.12, 0), {128, 0, 0})) << "the wall alone";
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    GLfloat color[4] = {};
    glGetFloatv(GL_CURRENT_COLOR, color);
    EXPECT_EQ(color[2], 1.0f);
    EXPECT_EQ(scene.current, static_cast<SceneObject*>(&scene));
}

TEST_F(MeshPassTest, DamagedMeshesDrawWhatTheyCan) {
    // One face names a vertex the mesh does not have, another has no texture coordinates
    // stored; a mesh with no faces and a scene without a camera draw nothing harmful.
    Scene scene;
    startScene(scene);
    SceneObject& quad = addQuad(scene, "torn", -5, -5, 5, 5, -10, {1, 1, 1});
    quad.faces.push_back({0, 1, 9, 0});
    quad.faceCount = 3;
    quad.texCoords.resize(2);
    SceneObject& empty = addQuad(scene, "empty", -5, -5, 5, 5, -9, {1, 0, 0});
    empty.faces.clear();
    empty.faceCount = 0;
    drawMesh(scene);
    EXPECT_TRUE(colorNear(pixelTowards(0.1, 0.1), {255, 255, 255}));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    clearFrame();
    scene.cameraCount = 0;
    drawMesh(scene);
    EXPECT_TRUE(colorNear(pixelTowards(0.1, 0.1), {255, 255, 255})) << "no camera: seen from the origin";
}

// Meshes the pass leaves out as outside the view light no pixel: a moved and turned quad on a
// grid round a turned camera, past every side of the view, drawn by the pass and by plain GL
// calls with the same matrix.
TEST_F(MeshPassTest, MeshesLeftOutAsOutsideTheViewLightNoPixel) {
    launchOptions.lightsOff = true;
    Scene scene;
    startScene(scene);
    SceneObject& camera = *scene.cameras[0];
    camera.eye = {3, -2, 1};
    camera.rotation = {15, -30, 10};
    SceneObject& quad = addQuad(scene, "placed", -3, -5, 5, 3, 0, {1, 1, 1});
    quad.positionTrack.keyCount = quad.rotationTrack.keyCount = 2;
    quad.pivot = {1, -1, 0};
    quad.rotation = {20, 35, -15};
    const ViewVolume view = readViewVolume();
    int left = 0, lit = 0;
    for (double z : {30.0, 5.0, -1.0, -20.0, -150.0})
        for (double x = -160; x <= 160; x += 10)
            for (double y = -120; y <= 120; y += 15) {
                quad.position = {x, y, z};
                clearFrame();
                glLoadIdentity();
                for (auto [angle, axis] : {std::pair{15, 0}, {-30, 1}, {10, 2}})
                    glRotatef(angle, axis == 0, axis == 1, axis == 2);
                glTranslatef(-3, 2, -1);
                glTranslatef(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
                for (auto [angle, axis] : {std::pair{20, 0}, {35, 1}, {-15, 2}})
                    glRotatef(angle, axis == 0, axis == 1, axis == 2);
                glTranslatef(-1, 1, 0);
                glBegin(GL_TRIANGLES);
                for (const Face& face : quad.faces)
                    for (uint16_t i : {face.a, face.b, face.c})
                        glVertex3d(quad.vertices[i].x, quad.vertices[i].y, quad.vertices[i].z);
                glEnd();
                const int plain = test::measureLit(0).count;
                clearFrame();
                drawMesh(scene);
                ASSERT_EQ(test::measureLit(0).count, plain) << x << ", " << y << ", " << z;
                lit += plain > 0;
                left += !meshMayShow(view, &camera, quad);
            }
    EXPECT_GT(left, 1000);
    EXPECT_GT(lit, 150);
}

} // namespace
} // namespace pelx

// The six generated scenes: what lib3ds writes is exactly what the show's loader reads back, the
// scene inspector finds no error in them, and they keep the rules the show's engine depends on:
// camera pacing and cuts, lights that reach something, the disco's strobe set, flare carriers
// and mirrors placed by their position keys, the open logo area, no coplanar overlapping faces
// and no camera inside geometry.
#include "inspect.h"
#include "logo_mask.h"
#include "scene_common.h"
#include "scenes.h"
#include "textures.h"

#include "image/texture.h"
#include "lighting/lighting.h"
#include "platform/frame.h"
#include "render/animation.h"
#include "scene3ds/scene_loader.h"
#include "support/test_support.h"

#include <lib3ds/camera.h>
#include <lib3ds/light.h>
#include <lib3ds/mesh.h>
#include <lib3ds/node.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace pelx {
namespace {

// ---- small geometry ----

// The generator's vector type and operations (the show's Vec3d) serve the checks too.
using P = datagen::Vec3;
double norm(P a) {
    return datagen::length(a);
}
P toP(const Vec3d& v) {
    return {v.x, v.y, v.z};
}

// The file is z-up; the show sees a stored (a, b, c) as (a, c, -b).
Vec3d seenByShow(const float* v) {
    return {v[0], v[2], -static_cast<double>(v[1])};
}

// Closest distance from p to the triangle abc (Ericson, Real-Time Collision Detection 5.1.5).
double pointTriangleDistance(P p, P a, P b, P c) {
    const P ab = b - a, ac = c - a, ap = p - a;
    const double d1 = dot(ab, ap), d2 = dot(ac, ap);
    if (d1 <= 0 && d2 <= 0) return norm(p - a);
    const P bp = p - b;
    const double d3 = dot(ab, bp), d4 = dot(ac, bp);
    if (d3 >= 0 && d4 <= d3) return norm(p - b);
    const double vc = d1 * d4 - d3 * d2;
    if (vc <= 0 && d1 >= 0 && d3 <= 0) return norm(p - (a + ab * (d1 / (d1 - d3))));
    const P cp = p - c;
    const double d5 = dot(ab, cp), d6 = dot(ac, cp);
    if (d6 >= 0 && d5 <= d6) return norm(p - c);
    const double vb = d5 * d2 - d1 * d6;
    if (vb <= 0 && d2 >= 0 && d6 <= 0) return norm(p - (a + ac * (d2 / (d2 - d6))));
    const double va = d3 * d6 - d5 * d4;
    if (va <= 0 && d4 - d3 >= 0 && d5 - d6 >= 0)
        return norm(p - (b + (c - b) * ((d4 - d3) / ((d4 - d3) + (d5 - d6)))));
    const double denom = 1 / (va + vb + vc);
    return norm(p - (a + ab * (vb * denom) + ac * (vc * denom)));
}

// Rotation matrices as glRotatef builds them about the x, y and z axes (right-hand rule).
P rotated(P v, double degrees, int axis) {
    const double a = degrees * M_PI / 180, c = std::cos(a), s = std::sin(a);
    if (axis == 0) return {v.x, c * v.y - s * v.z, s * v.y + c * v.z};
    if (axis == 1) return {c * v.x + s * v.z, v.y, -s * v.x + c * v.z};
    return {c * v.x - s * v.y, s * v.x + c * v.y, v.z};
}

// ---- the scenes, written once for the whole suite ----

class GeneratedScenes : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        folder = new test::TempDir;
        written = writeScenes((folder->path / "data").string());
        for (const SceneRecipe& recipe : sceneRecipes()) models.push_back(recipe.build());
    }
    static void TearDownTestSuite() {
        models.clear();
        delete folder;
        folder = nullptr;
    }

    static std::string pathOf(const SceneRecipe& recipe) {
        return (folder->path / "data" / recipe.fileName()).string();
    }

    // The show's loader, with textures recorded by name instead of decoded.
    static std::unique_ptr<Scene> load(const SceneRecipe& recipe) {
        RecordingTextureBackend textures;
        ScopedTextureBackend installed(&textures);
        auto scene = std::make_unique<Scene>();
        scene->shadowFactor = 0.1f;
        scene->translucentShadowFactor = 0.4f;
        const bool loaded = loadScene(*scene, pathOf(recipe).c_str(), 3);
        EXPECT_TRUE(loaded) << recipe.fileName();
        return scene;
    }

    static std::vector<SceneObject*> objectsOf(Scene& scene) {
        std::vector<SceneObject*> list;
        for (SceneObject* o = &scene; o; o = o->next) list.push_back(o);
        return list;
    }

    static test::TempDir* folder;
    static bool written;
    static std::vector<SceneModel> models;
};

test::TempDir* GeneratedScenes::folder = nullptr;
bool GeneratedScenes::written = false;
std::vector<SceneModel> GeneratedScenes::models;

const SceneRecipe& recipeNamed(const char* fileName) {
    for (const SceneRecipe& r : sceneRecipes())
        if (std::strcmp(r.fileName(), fileName) == 0) return r;
    throw std::runtime_error(fileName);
}

// ---- writer and reader agree ----

void expectPositions(const KeyTrack& track, const Lib3dsLin3Track* keys, const std::string& what) {
    std::vector<const Lib3dsLin3Key*> list;
    for (const Lib3dsLin3Key* k = keys ? keys->keyL : nullptr; k; k = k->next) list.push_back(k);
    ASSERT_EQ(track.keyCount, list.size()) << what;
    for (size_t i = 0; i < list.size(); ++i) {
        EXPECT_EQ(track.keyFrames[i], static_cast<uint16_t>(list[i]->tcb.frame)) << what << " key " << i;
        EXPECT_TRUE(track.keyValues[i] == seenByShow(list[i]->value)) << what << " key " << i;
    }
}

void expectRotations(const KeyTrack& track, const Lib3dsQuatTrack& keys, const std::string& what) {
    std::vector<const Lib3dsQuatKey*> list;
    for (const Lib3dsQuatKey* k = keys.keyL; k; k = k->next) list.push_back(k);
    ASSERT_EQ(track.keyCount, list.size()) << what;
    for (size_t i = 0; i < list.size(); ++i) {
        EXPECT_EQ(track.keyFrames[i], static_cast<uint16_t>(list[i]->tcb.frame)) << what << " key " << i;
        // Axis times angle in degrees (the show's own 3.1415 for pi); the first key is the
        // starting pose and holds no turn.
        const Vec3d axis = seenByShow(list[i]->axis);
        const double degrees = i == 0 ? 0.0 : list[i]->angle * 180.0 / 3.1415;
        const Vec3d& got = track.keyValues[i];
        EXPECT_NEAR(got.x, axis.x * degrees, 1e-9) << what << " key " << i;
        EXPECT_NEAR(got.y, axis.y * degrees, 1e-9) << what << " key " << i;
        EXPECT_NEAR(got.z, axis.z * degrees, 1e-9) << what << " key " << i;
    }
}

TEST_F(GeneratedScenes, WriterAndReaderAgree) {
    ASSERT_TRUE(written);
    for (size_t s = 0; s < sceneRecipes().size(); ++s) {
        const SceneRecipe& recipe = sceneRecipes()[s];
        Lib3dsFile* model = models[s].get();
        std::unique_ptr<Scene> scene = load(recipe);
        const std::vector<SceneObject*> objects = objectsOf(*scene);
        SCOPED_TRACE(recipe.fileName());
        EXPECT_EQ(scene->frameCount, static_cast<int>(recipe.scene.length) * 30)
            << "30 frames a second of scene time";

        // A file lists cameras, then lights, then meshes.
        size_t index = 0;
        auto next = [&](const char* name, uint16_t kind) -> SceneObject* {
            if (index >= objects.size()) {
                ADD_FAILURE() << "missing object " << name;
                return nullptr;
            }
            SceneObject* o = objects[index++];
            EXPECT_STREQ(o->name, name);
            EXPECT_EQ(o->kind, kind) << name;
            return o->kind == kind ? o : nullptr;
        };
        for (Lib3dsCamera* c = model->cameras; c; c = c->next) {
            SceneObject* o = next(c->name, KIND_CAMERA);
            if (!o) continue;
            EXPECT_TRUE(o->eye == seenByShow(c->position)) << c->name;
            EXPECT_TRUE(o->target == seenByShow(c->target)) << c->name;
            const Lib3dsNode* eyes = lib3ds_file_node_by_name(model, c->name, LIB3DS_CAMERA_NODE);
            const Lib3dsNode* targets = lib3ds_file_node_by_name(model, c->name, LIB3DS_TARGET_NODE);
            ASSERT_TRUE(eyes && targets) << c->name;
            expectPositions(o->positionTrack, &eyes->data.camera.pos_track, std::string(c->name) + " eye");
            expectPositions(o->rotationTrack, &targets->data.target.pos_track,
                            std::string(c->name) + " target");
        }
        for (Lib3dsLight* l = model->lights; l; l = l->next) {
            SceneObject* o = next(l->name, KIND_LIGHT);
            if (!o) continue;
            EXPECT_EQ(o->light.color.x, l->color[0]) << l->name;
            EXPECT_EQ(o->light.color.y, l->color[1]) << l->name;
            EXPECT_EQ(o->light.color.z, l->color[2]) << l->name;
            EXPECT_TRUE(o->light.lightPosition == seenByShow(l->position)) << l->name;
            const double reach = norm(toP(seenByShow(l->spot)) - toP(seenByShow(l->position)));
            EXPECT_NEAR(o->light.range, reach, reach * 1e-6) << l->name;
            const Lib3dsNode* node = lib3ds_file_node_by_name(model, l->name, LIB3DS_LIGHT_NODE);
            expectPositions(o->positionTrack, node ? &node->data.light.pos_track : nullptr, l->name);
        }
        for (Lib3dsMesh* m = model->meshes; m; m = m->next) {
            SceneObject* o = next(m->name, KIND_MESH);
            if (!o) continue;
            ASSERT_EQ(o->vertexCount, m->points) << m->name;
            ASSERT_EQ(o->faceCount, m->faces) << m->name;
            ASSERT_EQ(o->texCoordCount, m->texels) << m->name;
            for (unsigned i = 0; i < m->points; ++i) {
                ASSERT_TRUE(o->vertices[i] == seenByShow(m->pointL[i].pos)) << m->name << " vertex " << i;
                ASSERT_EQ(o->texCoords[i].u, m->texelL[i][0]) << m->name;
                ASSERT_EQ(o->texCoords[i].v, m->texelL[i][1]) << m->name;
            }
            for (unsigned i = 0; i < m->faces; ++i) {
                ASSERT_EQ(o->faces[i].a, m->faceL[i].points[0]) << m->name;
                ASSERT_EQ(o->faces[i].b, m->faceL[i].points[1]) << m->name;
                ASSERT_EQ(o->faces[i].c, m->faceL[i].points[2]) << m->name;
            }
            const std::string material = m->faces ? m->faceL[0].material : "";
            if (material.rfind("mirr", 0) == 0) {
                EXPECT_TRUE(o->isMirror) << m->name;
            } else {
                EXPECT_FALSE(o->isMirror) << m->name;
                EXPECT_STREQ(scene->materials[o->materialIndex].name, material.c_str()) << m->name;
            }
            const Lib3dsNode* node = lib3ds_file_node_by_name(model, m->name, LIB3DS_OBJECT_NODE);
            expectPositions(o->positionTrack, node ? &node->data.object.pos_track : nullptr, m->name);
            if (node)
                expectRotations(o->rotationTrack, node->data.object.rot_track, m->name);
            else
                EXPECT_EQ(o->rotationTrack.keyCount, 0u) << m->name;
        }
        EXPECT_EQ(index, objects.size()) << "objects the model does not hold";
    }
}

TEST_F(GeneratedScenes, TwoRunsWriteTheSameBytes) {
    test::TempDir again;
    ASSERT_TRUE(writeScenes((again.path / "data").string()));
    for (const SceneRecipe& recipe : sceneRecipes()) {
        const std::vector<uint8_t> first = test::readFile(pathOf(recipe));
        EXPECT_FALSE(first.empty()) << recipe.fileName();
        EXPECT_TRUE(first == test::readFile((again.path / "data" / recipe.fileName()).string()))
            << recipe.fileName();
    }
}

// ---- the inspector and the textures ----

TEST_F(GeneratedScenes, InspectorReportsNoErrorAndEveryTextureIsMade) {
    std::set<std::string> made;
    for (const TextureRecipe& t : textureRecipes()) made.insert(t.path);
    std::set<std::string> used;
    for (const SceneModel& model : models)
        for (const Lib3dsMesh* m = model->meshes; m; m = m->next)
            for (unsigned i = 0; i < m->faces; ++i) used.insert(m->faceL[i].material);
    for (const std::string& material : used)
        if (material.rfind("mirr", 0) != 0) {
            EXPECT_TRUE(made.count(material)) << material << " has no texture recipe";
        }

    // The check opens textures by their paths from the show's folder.
    ASSERT_TRUE(writeTextures(folder->path));
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(folder->path);
    for (const SceneRecipe& recipe : sceneRecipes()) {
        const std::string path = std::string("data/") + recipe.fileName();
        for (const inspect::Finding& finding : inspect::checkScene(path.c_str()))
            EXPECT_NE(finding.severity, inspect::Severity::error)
                << inspect::formatFinding(path.c_str(), finding);
    }
    std::filesystem::current_path(before);
}

// ---- rules the show depends on ----

TEST_F(GeneratedScenes, CamerasKeepTheirPaceAndHandOverWhereTheCutFalls) {
    for (const SceneRecipe& recipe : sceneRecipes()) {
        SCOPED_TRACE(recipe.fileName());
        std::unique_ptr<Scene> scene = load(recipe);
        ASSERT_GE(scene->cameraCount, 1);
        for (int c = 0; c < scene->cameraCount; ++c) {
            const KeyTrack& eyes = scene->cameras[c]->positionTrack;
            const KeyTrack& targets = scene->cameras[c]->rotationTrack;
            ASSERT_GE(eyes.keyCount, 2u);
            EXPECT_TRUE(eyes.keyFrames == targets.keyFrames) << scene->cameras[c]->name;
            // A camera moves at most one key per drawn frame: keys closer than ten frames
            // would make it lag behind the clock at a low frame rate.
            for (uint32_t k = 1; k < eyes.keyCount; ++k)
                EXPECT_GE(eyes.keyFrames[k] - eyes.keyFrames[k - 1], 10)
                    << scene->cameras[c]->name << " key " << k;
            // The show leaves a camera once it passes its next-to-last key; the next one
            // should begin right there, not extrapolate from a later or earlier first key.
            if (c > 0) {
                const KeyTrack& before = scene->cameras[c - 1]->positionTrack;
                EXPECT_EQ(eyes.keyFrames[0], before.keyFrames[before.keyCount - 2])
                    << scene->cameras[c]->name;
            }
        }
        const KeyTrack& last = scene->cameras[scene->cameraCount - 1]->positionTrack;
        EXPECT_EQ(last.keyFrames[last.keyCount - 1], scene->frameCount);
    }
}

TEST_F(GeneratedScenes, EveryLightReachesSomething) {
    for (const SceneRecipe& recipe : sceneRecipes()) {
        SCOPED_TRACE(recipe.fileName());
        std::unique_ptr<Scene> scene = load(recipe);
        int moving = 0;
        for (SceneObject* o : objectsOf(*scene)) {
            if (o->kind != KIND_LIGHT) continue;
            EXPECT_GT(o->light.range, 0.0f) << o->name << ": no spotlight target, no reach";
            if (o->light.tag == '&') continue;
            // A light that is not baked lights a still mesh only while it moves.
            EXPECT_TRUE(o->light.moving) << o->name;
            ++moving;
        }
        EXPECT_GE(moving, 1) << "at least one light moves";
    }
}

TEST_F(GeneratedScenes, DiscoEndsOnTheStrobeSet) {
    std::unique_ptr<Scene> scene = load(recipeNamed("disco.3ds"));
    const int n = scene->lightCount;
    ASSERT_GE(n, 6);
    for (int i = 0; i < n; ++i)
        EXPECT_NE(scene->lights[i]->tag, '&') << "the script must be able to darken light " << i;
    struct Expected {
        int index;
        const char* what;
        int dominant; // 0 red, 1 green, 2 blue, -1 white
    };
    const Expected table[] = {{n - 4, "red wash, dark from 85 s", 0},
                              {n - 3, "green wash, dark from 55 s", 1},
                              {n - 2, "blue wash, dark from 25 s", 2},
                              {n - 1, "white strobe", -1}};
    for (const Expected& e : table) {
        const Vec3f c = scene->lights[e.index]->color;
        const float rgb[3] = {c.x, c.y, c.z};
        if (e.dominant < 0) {
            EXPECT_TRUE(c.x == c.y && c.y == c.z && c.x > 0.5f) << e.what;
        } else {
            for (int k = 0; k < 3; ++k) {
                if (k == e.dominant) continue;
                EXPECT_GT(rgb[e.dominant], 3 * rgb[k]) << e.what;
            }
        }
        EXPECT_TRUE(scene->lights[e.index]->moving) << e.what;
    }
}

TEST_F(GeneratedScenes, MeshesAreTexturedAndWhole) {
    for (const SceneRecipe& recipe : sceneRecipes()) {
        SCOPED_TRACE(recipe.fileName());
        std::unique_ptr<Scene> scene = load(recipe);
        for (SceneObject* o : objectsOf(*scene)) {
            if (o->kind != KIND_MESH) continue;
            EXPECT_GT(o->faceCount, 0) << o->name;
            EXPECT_EQ(o->texCoordCount, o->vertexCount) << o->name;
            bool varied = false;
            for (const TexCoord& t : o->texCoords) {
                ASSERT_TRUE(std::isfinite(t.u) && std::isfinite(t.v) && std::fabs(t.u) < 100 &&
                            std::fabs(t.v) < 100)
                    << o->name;
                varied = varied || t.u != o->texCoords[0].u || t.v != o->texCoords[0].v;
            }
            EXPECT_TRUE(varied) << o->name << ": one texel stretched over the whole mesh";
            for (const Face& f : o->faces) ASSERT_TRUE(faceIsDrawable(*o, f)) << o->name;
        }
    }
}

TEST_F(GeneratedScenes, CarriersAndMirrorsStandWhereTheirKeysSay) {
    struct Expected {
        const char* file;
        std::set<char> kinds; // flare kinds that must be present
        int mirrors;
    };
    const Expected table[] = {{"road.3ds", {'1'}, 0}, {"colonne.3ds", {}, 0},
                              {"room.3ds", {'1'}, 0}, {"mirror.3ds", {}, 2},
                              {"tunnel.3ds", {}, 0},  {"disco.3ds", {'0', '1', '2', '3'}, 0}};
    for (const Expected& e : table) {
        SCOPED_TRACE(e.file);
        std::unique_ptr<Scene> scene = load(recipeNamed(e.file));
        std::set<char> kinds;
        int mirrors = 0;
        for (SceneObject* o : objectsOf(*scene)) {
            if (o->kind != KIND_MESH) continue;
            const P low{o->boundsMin.x, o->boundsMin.y, o->boundsMin.z},
                high{o->boundsMax.x, o->boundsMax.y, o->boundsMax.z};
            auto nearBox = [&](const Vec3d& v, double margin) {
                return v.x >= low.x - margin && v.x <= high.x + margin && v.y >= low.y - margin &&
                       v.y <= high.y + margin && v.z >= low.z - margin && v.z <= high.z + margin;
            };
            if (o->name[0] == '*') {
                kinds.insert(o->name[1]);
                // Kinds 0 to 2 emit at the carrier's position, which only a position key
                // gives a mesh; kind 3 scatters over its vertices.
                if (o->name[1] != '3') {
                    ASSERT_GE(o->positionTrack.keyCount, 1u) << o->name;
                    EXPECT_TRUE(nearBox(o->position, 10)) << o->name << ": flares would rise away from it";
                }
            }
            if (o->isMirror) {
                ++mirrors;
                // The reflection is drawn from the mirror's position.
                ASSERT_GE(o->positionTrack.keyCount, 1u) << o->name;
                EXPECT_TRUE(nearBox(o->position, 1)) << o->name;
            }
        }
        for (char k : e.kinds) EXPECT_TRUE(kinds.count(k)) << "no \"*" << k << "\" carrier";
        EXPECT_EQ(mirrors, e.mirrors);
        EXPECT_EQ(scene->mirrorCount, e.mirrors) << "one mirror material per mirror mesh";
    }
}

TEST_F(GeneratedScenes, RoadLeavesTheLogoOpenAndEndsOnIt) {
    std::unique_ptr<Scene> scene = load(recipeNamed("road.3ds"));
    // The logo is written at y = 10 over x 1..320, z -50..149: nothing but the ground there.
    for (SceneObject* o : objectsOf(*scene)) {
        if (o->kind != KIND_MESH) continue;
        for (const Face& f : o->faces) {
            P lo{1e9, 1e9, 1e9}, hi{-1e9, -1e9, -1e9};
            for (uint16_t i : {f.a, f.b, f.c}) {
                const Vec3d& v = o->vertices[i];
                lo = {std::min(lo.x, v.x), std::min(lo.y, v.y), std::min(lo.z, v.z)};
                hi = {std::max(hi.x, v.x), std::max(hi.y, v.y), std::max(hi.z, v.z)};
            }
            const bool overLogo =
                hi.x > 1 && lo.x < 320 && hi.z > -50 && lo.z < 149 && hi.y > 0.5 && lo.y < 80;
            ASSERT_FALSE(overLogo) << o->name << " stands in the logo";
        }
    }
    SceneObject* car = findObject(*scene, "car");
    ASSERT_NE(car, nullptr);
    EXPECT_GE(car->positionTrack.keyCount, 2u);

    // The last camera: still from 50 s, above the plaza on the avenue's side (+z), looking
    // toward -z, with every corner of the word the walker writes inside its view (45 degrees
    // high, 4:3 wide) by two degrees at least, and the word at least a third of the view wide.
    SceneObject* last = scene->cameras[scene->cameraCount - 1];
    const KeyTrack& eyes = last->positionTrack;
    const KeyTrack& targets = last->rotationTrack;
    const Vec3d finalEye = eyes.keyValues[eyes.keyCount - 1],
                finalTarget = targets.keyValues[targets.keyCount - 1];
    for (uint32_t k = 0; k < eyes.keyCount; ++k)
        if (eyes.keyFrames[k] >= 50 * 30) {
            EXPECT_TRUE(eyes.keyValues[k] == finalEye) << "key " << k;
            EXPECT_TRUE(targets.keyValues[k] == finalTarget) << "key " << k;
        }
    EXPECT_GT(finalEye.z, finalTarget.z);
    EXPECT_GT(finalEye.y, 100.0);
    P forward = toP(finalTarget) - toP(finalEye);
    forward = forward * (1 / norm(forward));
    P right = cross(forward, P{0, 1, 0});
    right = right * (1 / norm(right));
    const P up = cross(right, forward);
    const double halfHigh = 22.5, halfWide = std::atan(std::tan(22.5 * M_PI / 180) * 4 / 3) * 180 / M_PI;
    LogoMask logo;
    ASSERT_TRUE(buildLogoMask(logo));
    // Mask column c lies at world x = 320 - c, row r at z = r - 50.
    const double wordLeft = 320 - logo.right, wordRight = 320 - logo.left, wordFar = logo.top - 50,
                 wordNear = logo.bottom - 50;
    double leftmost = 1e9, rightmost = -1e9;
    for (P corner : {P{wordLeft, 10, wordFar}, P{wordRight, 10, wordFar}, P{wordLeft, 10, wordNear},
                     P{wordRight, 10, wordNear}}) {
        const P to = corner - toP(finalEye);
        const double ahead = dot(to, forward);
        ASSERT_GT(ahead, 0);
        EXPECT_LT(std::fabs(std::atan(dot(to, up) / ahead) * 180 / M_PI), halfHigh - 2)
            << corner.x << ", " << corner.z;
        const double across = std::atan(dot(to, right) / ahead) * 180 / M_PI;
        EXPECT_LT(std::fabs(across), halfWide - 2) << corner.x << ", " << corner.z;
        leftmost = std::min(leftmost, across);
        rightmost = std::max(rightmost, across);
    }
    EXPECT_GT(rightmost - leftmost, 2 * halfWide / 3);
}

// Two faces lying in one plane and overlapping flicker against each other in the depth test.
TEST_F(GeneratedScenes, NoFacesOverlapInOnePlane) {
    struct Tri {
        P v[3], n, lo, hi;
        const char* mesh;
    };
    constexpr double PLANE = 0.2, AREA = 0.01;
    for (const SceneRecipe& recipe : sceneRecipes()) {
        SCOPED_TRACE(recipe.fileName());
        std::unique_ptr<Scene> scene = load(recipe);
        std::vector<Tri> tris;
        for (SceneObject* o : objectsOf(*scene)) {
            if (o->kind != KIND_MESH) continue;
            for (const Face& f : o->faces) {
                Tri t;
                t.mesh = o->name;
                const uint16_t idx[3] = {f.a, f.b, f.c};
                for (int i = 0; i < 3; ++i) t.v[i] = toP(o->vertices[idx[i]]);
                const P n = cross(t.v[1] - t.v[0], t.v[2] - t.v[0]);
                if (norm(n) < 1e-9) continue;
                t.n = n * (1 / norm(n));
                t.lo = t.hi = t.v[0];
                for (const P& v : t.v) {
                    t.lo = {std::min(t.lo.x, v.x), std::min(t.lo.y, v.y), std::min(t.lo.z, v.z)};
                    t.hi = {std::max(t.hi.x, v.x), std::max(t.hi.y, v.y), std::max(t.hi.z, v.z)};
                }
                tris.push_back(t);
            }
        }
        std::sort(tris.begin(), tris.end(), [](const Tri& a, const Tri& b) { return a.lo.x < b.lo.x; });
        int found = 0;
        for (size_t i = 0; i < tris.size() && found < 5; ++i)
            for (size_t j = i + 1; j < tris.size() && tris[j].lo.x <= tris[i].hi.x + PLANE; ++j) {
                const Tri &a = tris[i], &b = tris[j];
                if (b.lo.y > a.hi.y + PLANE || a.lo.y > b.hi.y + PLANE || b.lo.z > a.hi.z + PLANE ||
                    a.lo.z > b.hi.z + PLANE)
                    continue;
                if (std::fabs(dot(a.n, b.n)) < 0.9999) continue;
                bool inPlane = true;
                for (const P& v : b.v) inPlane = inPlane && std::fabs(dot(a.n, v - a.v[0])) < PLANE;
                if (!inPlane) continue;
                // Separating axes in the common plane: the edge normals of both triangles.
                bool separated = false;
                for (const Tri* t : {&a, &b})
                    for (int e = 0; e < 3 && !separated; ++e) {
                        const P axis = cross(a.n, t->v[(e + 1) % 3] - t->v[e]);
                        const double len = norm(axis);
                        if (len < 1e-9) continue;
                        double amin = 1e18, amax = -1e18, bmin = 1e18, bmax = -1e18;
                        for (const P& v : a.v)
                            amin = std::min(amin, dot(v, axis) / len),
                            amax = std::max(amax, dot(v, axis) / len);
                        for (const P& v : b.v)
                            bmin = std::min(bmin, dot(v, axis) / len),
                            bmax = std::max(bmax, dot(v, axis) / len);
                        separated = std::min(amax, bmax) - std::max(amin, bmin) <= AREA;
                    }
                if (!separated) {
                    ++found;
                    ADD_FAILURE() << a.mesh << " and " << b.mesh << " overlap in one plane near (" << a.v[0].x
                                  << ", " << a.v[0].y << ", " << a.v[0].z << ")";
                }
            }
    }
}

// Where the mesh pass puts a vertex of a mesh this frame: turned about x, then y, then z (as
// glRotatef does), about the pivot when the mesh moves.
P placed(const SceneObject& o, const Vec3d& v) {
    const bool moves = o.positionTrack.keyCount > 1, turns = o.rotationTrack.keyCount > 1;
    P p = toP(v);
    if (moves) p = p - toP(o.pivot);
    if (turns) p = rotated(rotated(rotated(p, o.rotation.z, 2), o.rotation.y, 1), o.rotation.x, 0);
    if (moves) p = p + toP(o.position);
    return p;
}

// The eye of the camera on screen stays clear of every surface, frame by frame as the show
// animates the scene, moving and turning meshes where they are at that frame. Light beams are
// the exception: added to the picture without depth, they are there to be flown through.
TEST_F(GeneratedScenes, NoCameraInsideGeometry) {
    constexpr double CLEARANCE = 4;
    for (const SceneRecipe& recipe : sceneRecipes()) {
        SCOPED_TRACE(recipe.fileName());
        std::unique_ptr<Scene> scene = load(recipe);
        struct Placed {
            SceneObject* mesh;
            bool animated;
            std::vector<P> points;
            P lo, hi;
        };
        std::vector<Placed> meshes;
        for (SceneObject* o : objectsOf(*scene)) {
            const Material* material = materialAt(*scene, o->materialIndex);
            if (o->kind == KIND_MESH &&
                !(o->name[0] == '%' && material && material->name == std::string(TEX_BEAM)))
                meshes.push_back(
                    {o, o->positionTrack.keyCount > 1 || o->rotationTrack.keyCount > 1, {}, {}, {}});
        }
        auto place = [](Placed& m) {
            m.points.clear();
            m.lo = {1e18, 1e18, 1e18};
            m.hi = {-1e18, -1e18, -1e18};
            for (const Vec3d& v : m.mesh->vertices) {
                const P p = placed(*m.mesh, v);
                m.points.push_back(p);
                m.lo = {std::min(m.lo.x, p.x), std::min(m.lo.y, p.y), std::min(m.lo.z, p.z)};
                m.hi = {std::max(m.hi.x, p.x), std::max(m.hi.y, p.y), std::max(m.hi.z, p.z)};
            }
        };
        for (Placed& m : meshes) place(m);

        int failures = 0;
        sceneClock.duration = recipe.scene.length;
        for (int frame = 0; frame < scene->frameCount && failures < 3; ++frame) {
            sceneClock.elapsed = static_cast<float>(frame / 30.0);
            animateScene(*scene);
            const SceneObject& camera = *scene->cameras[scene->currentCamera];
            const P eye = toP(camera.eye);
            for (Placed& m : meshes) {
                if (m.animated) place(m);
                const double gx = std::max({m.lo.x - eye.x, 0.0, eye.x - m.hi.x});
                const double gy = std::max({m.lo.y - eye.y, 0.0, eye.y - m.hi.y});
                const double gz = std::max({m.lo.z - eye.z, 0.0, eye.z - m.hi.z});
                if (gx * gx + gy * gy + gz * gz > CLEARANCE * CLEARANCE) continue;
                for (const Face& f : m.mesh->faces) {
                    const double d = pointTriangleDistance(eye, m.points[f.a], m.points[f.b], m.points[f.c]);
                    if (d < CLEARANCE) {
                        ++failures;
                        ADD_FAILURE() << camera.name << " at frame " << frame << " is " << d << " from "
                                      << m.mesh->name;
                        break;
                    }
                }
            }
        }
    }
}

// No frame lights a "$" mesh, so it shows white: only surfaces that glow (mirrors, lamp panels,
// the daylit window, tail lamps, the mirror ball's spots) carry the mark. Every other mesh
// starts each frame from its baked light, so one frame of lighting leaves the night street dark, as it was
// baked.
TEST_F(GeneratedScenes, OnlyGlowingSurfacesSkipTheFrameLighting) {
    const std::set<std::string> glowing = {TEX_LAMP_GLOW, TEX_GLASS, TEX_DAYLIGHT, TEX_TAIL_LAMP, TEX_SPOT};
    int marked = 0;
    for (const SceneRecipe& recipe : sceneRecipes()) {
        std::unique_ptr<Scene> scene = load(recipe);
        for (SceneObject* o : objectsOf(*scene)) {
            if (o->kind != KIND_MESH || (o->name[0] != '$' && o->name[1] != '$')) continue;
            ++marked;
            const Material* material = materialAt(*scene, o->materialIndex);
            EXPECT_TRUE(o->isMirror || (material && glowing.count(material->name)))
                << recipe.fileName() << ": " << o->name << " would show white";
        }
    }
    EXPECT_GT(marked, 0);

    std::unique_ptr<Scene> road = load(recipeNamed("road.3ds"));
    computeLighting(*road);
    int darkerThanWhite = 0;
    for (SceneObject* o : objectsOf(*road)) {
        if (o->kind != KIND_MESH) continue;
        for (const Vec3f& colour : o->vertexColors) darkerThanWhite += colour.x < 0.9f;
    }
    EXPECT_GT(darkerThanWhite, 1000) << "a night street is not lit white";
}

// The room's ceiling lamp swings on its cord by rotation keys while its light follows the arc
// by position keys: frame after frame the light must stay where the turned lamp holds the bulb
// (within the chord of a key step).
TEST_F(GeneratedScenes, SwingingLampCarriesItsLight) {
    const SceneRecipe& recipe = recipeNamed("room.3ds");
    std::unique_ptr<Scene> scene = load(recipe);
    SceneObject* lamp = findObject(*scene, "!swing");
    SceneObject* bulb = findObject(*scene, "!bulb");
    ASSERT_TRUE(lamp && bulb);
    ASSERT_GE(lamp->rotationTrack.keyCount, 3u);
    ASSERT_GE(lamp->positionTrack.keyCount, 2u);
    // At frame 0 the lamp hangs unturned, so the bulb's offset from the pivot is fixed there.
    const P rest = toP(bulb->positionTrack.keyValues[0]) - toP(lamp->pivot);
    double widest = 0, worst = 0;
    sceneClock.duration = recipe.scene.length;
    for (int frame = 0; frame < scene->frameCount; ++frame) {
        sceneClock.elapsed = static_cast<float>(frame / 30.0);
        animateScene(*scene);
        // The mesh pass turns about x, then y, then z (as glRotatef does) and then moves the
        // pivot to the position.
        const P arm =
            rotated(rotated(rotated(rest, lamp->rotation.z, 2), lamp->rotation.y, 1), lamp->rotation.x, 0);
        worst = std::max(worst, norm(toP(lamp->position) + arm - toP(bulb->light.lightPosition)));
        widest = std::max(widest, std::fabs(lamp->rotation.x) + std::fabs(lamp->rotation.y) +
                                      std::fabs(lamp->rotation.z));
    }
    EXPECT_LT(worst, 2.0) << "the light leaves the lamp";
    EXPECT_GT(widest, 15.0) << "the lamp swings visibly";
}

// The club's dancers are moved by keys alone: each body sways about its hips and each arm
// turns about its shoulder, which rides on the body by its own position keys. Frame after
// frame the shoulder as the turned body carries it must be where the arm hangs from.
TEST_F(GeneratedScenes, DancersKeepTheirArmsOn) {
    const SceneRecipe& recipe = recipeNamed("disco.3ds");
    std::unique_ptr<Scene> scene = load(recipe);
    struct Figure {
        SceneObject *body, *arm;
        P shoulder; // where the arm hangs from, in the body's pose as built
    };
    std::vector<Figure> figures;
    for (int n = 1;; ++n) {
        SceneObject* body = findObject(*scene, ("!crowd" + std::to_string(n)).c_str());
        if (!body) break;
        for (const char* side : {"!crowdR", "!crowdL"}) {
            SceneObject* arm = findObject(*scene, (side + std::to_string(n)).c_str());
            ASSERT_TRUE(arm) << side << n;
            ASSERT_GE(arm->positionTrack.keyCount, 2u);
            figures.push_back({body, arm, toP(arm->pivot)});
        }
    }
    ASSERT_GE(figures.size(), 16u) << "a crowd dances";
    double worst = 0, highest = 0;
    sceneClock.duration = recipe.scene.length;
    // Every frame: a frame that skips a key draws from the segment before it, stretched.
    for (int frame = 0; frame < scene->frameCount; ++frame) {
        sceneClock.elapsed = static_cast<float>(frame / 30.0);
        animateScene(*scene);
        for (const Figure& f : figures) {
            worst = std::max(worst, norm(placed(*f.body, {f.shoulder.x, f.shoulder.y, f.shoulder.z}) -
                                         toP(f.arm->position)));
            highest = std::max(highest, std::fabs(f.arm->rotation.x) + std::fabs(f.arm->rotation.z));
        }
    }
    EXPECT_LT(worst, 1.0) << "an arm leaves its shoulder";
    EXPECT_GT(highest, 90.0) << "hands go up";
}

} // namespace
} // namespace pelx

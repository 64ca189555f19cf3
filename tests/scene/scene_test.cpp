// The scene's object list: appending, the cursor at both ends, lookup by name, destruction,
// and the checked accessors the passes use on damaged meshes.
#include "scene/scene.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace pelx {
namespace {

void appendNamed(Scene& scene, const std::string& name) {
    appendObject(scene);
    std::memcpy(scene.current->name, name.data(), std::min<size_t>(name.size(), OBJECT_NAME_SIZE));
}

// Names of the objects a standard walk visits, in order.
std::string walkNames(Scene& scene) {
    std::string names;
    resetCursor(scene);
    for (int i = 0; i < scene.objectCount; ++i) {
        names += std::string(scene.current->name, strnlen(scene.current->name, OBJECT_NAME_SIZE)) + ";";
        nextObject(scene);
    }
    resetCursor(scene);
    return names;
}

TEST(SceneList, EmptySceneVisitsNothingAndKeepsTheCursorOnItself) {
    Scene scene;
    EXPECT_EQ(walkNames(scene), "");
    EXPECT_EQ(scene.current, &scene);
    nextObject(scene);
    previousObject(scene);
    lastObject(scene);
    seekObject(scene, 5);
    EXPECT_EQ(scene.current, &scene);
}

TEST(SceneList, FirstObjectIsTheSceneItselfLaterOnesFollowInOrder) {
    Scene scene;
    appendNamed(scene, "first");
    EXPECT_EQ(scene.current, &scene);
    EXPECT_EQ(scene.objectCount, 1);
    appendNamed(scene, "second");
    appendNamed(scene, "third");
    EXPECT_NE(scene.current, &scene);
    EXPECT_EQ(scene.objectCount, 3);
    EXPECT_EQ(walkNames(scene), "first;second;third;");
    EXPECT_EQ(scene.prev, nullptr);
    EXPECT_EQ(scene.next->prev, &scene);
    EXPECT_EQ(scene.next->next->next, nullptr);
}

TEST(SceneList, CursorStopsAtBothEnds) {
    Scene scene;
    for (const char* name : {"a", "b", "c"}) appendNamed(scene, name);
    SceneObject* last = scene.next->next;
    struct Step {
        const char* what;
        void (*move)(Scene&);
        SceneObject* start;
        SceneObject* expected;
    };
    const Step steps[] = {
        {"next at the last", nextObject, last, last},
        {"previous at the first", previousObject, &scene, &scene},
        {"previous from the last", previousObject, last, scene.next},
        {"last from the first", lastObject, &scene, last},
        {"reset from the last", resetCursor, last, &scene},
    };
    for (const Step& step : steps) {
        scene.current = step.start;
        step.move(scene);
        EXPECT_EQ(scene.current, step.expected) << step.what;
    }
    const std::pair<int, SceneObject*> seeks[] = {
        {0, &scene}, {1, scene.next}, {2, last}, {3, last}, {1000, last}};
    for (auto [n, expected] : seeks) {
        scene.current = scene.next;
        seekObject(scene, n);
        EXPECT_EQ(scene.current, expected) << "seek " << n;
    }
}

TEST(SceneList, FindObjectReturnsTheEarliestExactMatch) {
    Scene scene;
    const std::string long80(80, 'x');
    const std::string long79(79, 'x');
    appendNamed(scene, "lamp");
    appendNamed(scene, "box");
    appendNamed(scene, "box");
    appendNamed(scene, long80);
    appendNamed(scene, long79);
    EXPECT_EQ(findObject(scene, "box"), scene.next) << "the earlier of two equal names";
    EXPECT_EQ(findObject(scene, "lamp"), &scene);
    EXPECT_EQ(findObject(scene, "bo"), nullptr);
    EXPECT_EQ(findObject(scene, "boxes"), nullptr);
    EXPECT_EQ(findObject(scene, long80.c_str()), scene.next->next->next) << "80 characters without a NUL";
    EXPECT_EQ(findObject(scene, long79.c_str()), scene.next->next->next->next);
    EXPECT_EQ(findObject(scene, (long80 + "y").c_str()), scene.next->next->next)
        << "only 80 characters of a name are stored, so only 80 compare";
}

TEST(SceneList, DestroyReleasesEverythingAndLeavesAnEmptyScene) {
    Scene scene;
    appendNamed(scene, "mesh");
    scene.kind = KIND_MESH;
    scene.vertices.resize(3);
    scene.positionTrack.keyCount = 2;
    scene.positionTrack.keyValues.resize(2);
    scene.positionTrack.keyFrames.resize(2);
    appendNamed(scene, "other");
    scene.current->faces.resize(4);
    destroyScene(scene);
    EXPECT_EQ(scene.objectCount, 0);
    EXPECT_EQ(scene.next, nullptr);
    EXPECT_EQ(scene.current, &scene);
    EXPECT_TRUE(scene.vertices.empty());
    EXPECT_EQ(scene.positionTrack.keyCount, 0u);
    EXPECT_TRUE(scene.ownedObjects.empty());
    EXPECT_EQ(walkNames(scene), "");
}

TEST(SceneAccessors, DamagedFacesAndMissingCoordinatesAreReadSafely) {
    SceneObject mesh;
    mesh.vertices.resize(3);
    mesh.vertexCount = 3;
    mesh.texCoords = {{0.25f, 0.5f}};
    mesh.texCoordCount = 1;
    struct Case {
        Face face;
        bool drawable;
    };
    const Case cases[] = {{{0, 1, 2, 0}, true},
                          {{0, 1, 3, 0}, false},
                          {{3, 0, 1, 0}, false},
                          {{0, 65535, 1, 0}, false},
                          {{2, 2, 2, 0}, true}};
    for (const Case& c : cases)
        EXPECT_EQ(faceIsDrawable(mesh, c.face), c.drawable) << c.face.a << "," << c.face.b << "," << c.face.c;
    EXPECT_EQ(texCoordAt(mesh, 0).u, 0.25f);
    EXPECT_EQ(texCoordAt(mesh, 1).u, 0.0f);
    EXPECT_EQ(texCoordAt(mesh, 65535).v, 0.0f);
}

TEST(SceneAccessors, MaterialAtRefusesIndicesNoMaterialFills) {
    Scene scene;
    scene.materialCount = 2;
    std::strcpy(scene.materials[1].name, "data/b.jpg");
    EXPECT_EQ(materialAt(scene, 1), &scene.materials[1]);
    EXPECT_EQ(materialAt(scene, 0), &scene.materials[0]);
    EXPECT_EQ(materialAt(scene, MATERIAL_NONE), nullptr);
    EXPECT_EQ(materialAt(scene, 2), nullptr);
    scene.materialCount = 0;
    EXPECT_EQ(materialAt(scene, 0), nullptr) << "a mesh without a material in a scene without materials";
}

TEST(SceneAccessors, ViewingCameraIsNullWhenTheIndexNamesNoLoadedCamera) {
    SceneObject first, second;
    struct Case {
        int32_t count;
        int32_t current;
        const SceneObject* expected;
        const char* what;
    };
    const Case cases[] = {{2, 1, &second, "second camera"},
                          {2, 0, &first, "first camera"},
                          {0, 0, nullptr, "a scene without cameras"},
                          {2, 2, nullptr, "one past the loaded cameras"},
                          {2, -1, nullptr, "a negative index"},
                          {MAX_CAMERAS + 1, MAX_CAMERAS, nullptr, "a count past the table"},
                          {3, 2, nullptr, "an empty slot"}};
    for (const Case& c : cases) {
        Scene scene;
        scene.cameras[0] = &first;
        scene.cameras[1] = &second;
        scene.cameraCount = c.count;
        scene.currentCamera = c.current;
        EXPECT_EQ(viewingCamera(scene), c.expected) << c.what;
    }
}

} // namespace
} // namespace pelx

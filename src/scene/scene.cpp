// Scene list operations, lookup by name and destruction.
#include "scene/scene.h"

#include <cstring>

namespace pelx {

bool drawMirrors = true;
uint8_t tintFlaresByLights = 0;
int32_t shadowTestMode = 1;

Scene::Scene() = default;
Scene::~Scene() {
    destroyScene(*this);
}

void lastObject(Scene& scene) {
    resetCursor(scene);
    while (scene.current->next) nextObject(scene);
}

void seekObject(Scene& scene, int n) {
    resetCursor(scene);
    for (int i = 0; i < n && scene.current->next; ++i) nextObject(scene);
}

void appendObject(Scene& scene) {
    if (scene.objectCount == 0) {
        scene.current = &scene;
        scene.prev = nullptr;
    } else {
        scene.ownedObjects.push_back(std::make_unique<SceneObject>());
        SceneObject* object = scene.ownedObjects.back().get();
        scene.current->next = object;
        object->prev = scene.current;
        scene.current = object;
    }
    scene.current->next = nullptr;
    scene.objectCount += 1;
}

bool objectNameIs(const SceneObject& object, const char* name) {
    // Names from the file are 80-byte buffers that may lack a terminator.
    return std::strncmp(object.name, name, OBJECT_NAME_SIZE) == 0;
}

SceneObject* findObject(Scene& scene, const char* name) {
    for (SceneObject* object = &scene; object; object = object->next)
        if (objectNameIs(*object, name)) return object;
    return nullptr;
}

void destroyScene(Scene& scene) {
    for (int i = 0; i < scene.emitterCount && i < MAX_EMITTERS; ++i) {
        if (scene.emitters[i]) scene.emitters[i]->release();
        scene.emitters[i].reset();
    }
    scene.emitterCount = 0;
    // Owned arrays and objects go with their records; the scene's own part is cleared too.
    for (SceneObject* object = &scene; object; object = object->next) {
        object->positionTrack = KeyTrack{};
        object->rotationTrack = KeyTrack{};
        object->faces = {};
        object->vertices = {};
        object->vertexColors = {};
        object->baseColors = {};
        object->texCoords = {};
        object->vertexCount = 0;
        object->faceCount = 0;
        object->texCoordCount = 0;
    }
    // The scene record outlives this call: no table may still point into the freed objects.
    scene.lights.fill(nullptr);
    scene.lightCount = 0;
    scene.cameras.fill(nullptr);
    scene.cameraCount = 0;
    scene.currentCamera = 0;
    scene.emitterObjects.fill(nullptr);
    scene.next = nullptr;
    scene.ownedObjects.clear();
    scene.objectCount = 0;
    scene.current = &scene;
}

} // namespace pelx

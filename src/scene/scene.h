// The scene model: everything the show knows about one 3DS file. A Scene is itself the first
// object of its object list; every further object is linked after it, in file order. Tables
// have fixed capacities with counts; nothing grows after loading.
//
// Layer scene: the Scene model and its list operations, and the marks in its names and what
// they mean to the show (name_marks.h). May use particles, image, platform.
#pragma once

#include "image/texture.h"
#include "particles/particle_system.h"
#include "platform/vec.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace pelx {

class ByteSource;
struct ChunkTrace;

inline constexpr uint16_t KIND_NONE = 0;
inline constexpr uint16_t KIND_MESH = 0x1000;
inline constexpr uint16_t KIND_CAMERA = 0x2000;
inline constexpr uint16_t KIND_LIGHT = 0x3000;

inline constexpr int MAX_LIGHTS = 100;
inline constexpr int MAX_CAMERAS = 10;
inline constexpr int MAX_MATERIALS = 60;
inline constexpr int MAX_EMITTERS = 60;
inline constexpr int OBJECT_NAME_SIZE = 80;
inline constexpr int MATERIAL_NAME_SIZE = 256;

// Stored radians become degrees as "times 180, then divided by 3.1415": the scenes were
// authored against that divisor, not pi. The loader, the camera angles and the data generator
// all convert with it, in that order, so they round alike.
inline constexpr double SCENE_DEGREES_PER_HALF_TURN = 180.0;
inline constexpr double SCENE_HALF_TURN_RADIANS = 3.1415;

struct Face {
    uint16_t a = 0, b = 0, c = 0; // vertex indices, as stored (not checked against vertexCount)
    uint16_t flags = 0;
};

struct SceneLight {
    Vec3d lightPosition;  // the animation copies a moving light's position here every frame
    Vec3f color;          // r, g, b, each non-negative
    float range = 0;      // distance to the spotlight target; 0 without one
    uint8_t moving = 0;   // the position track has more than one key
    char tag = 0;         // first character of the light's name; isStaticLight reads it
    uint8_t on = 0;       // switched on; the scene scripts switch it
};

struct KeyTrack {
    uint32_t keyCount = 0;
    std::vector<uint16_t> keyFrames; // keyCount entries
    int32_t keyIndex = 0;            // the animation's cursor
    std::vector<Vec3d> keyValues;    // keyCount entries
};

struct TexCoord {
    float u = 0, v = 0;
};

struct SceneObject {
    SceneObject* prev = nullptr;
    std::vector<Face> faces;
    std::vector<Vec3d> vertices;      // after the change to y-up coordinates
    std::vector<Vec3f> vertexColors;  // lit colour per vertex, rewritten each frame
    std::vector<Vec3f> baseColors;    // colour from the static lights (or white), set at load
    std::vector<TexCoord> texCoords;  // indexed like the vertices
    Vec3f boundsMin;
    Vec3f boundsMax;
    Vec3f sectionZ[4]; // mid-section rectangles of the bounding box, the shadow casters
    Vec3f sectionX[4];
    Vec3f sectionY[4];
    Vec3f shadowSection[4]; // the one rectangle of the single-rectangle shadow test
    int32_t materialIndex = 0;
    uint8_t isMirror = 0;
    TextureId mirrorTexture = 0;
    uint16_t texCoordCount = 0;
    uint16_t faceCount = 0;
    uint16_t vertexCount = 0;
    char name[OBJECT_NAME_SIZE] = {}; // NUL-terminated unless all 80 bytes are used
    uint16_t kind = KIND_NONE;
    Vec3d eye;    // camera
    Vec3d target; // camera
    SceneLight light;
    Vec3d rotation; // degrees about x, y, z (meshes, lights: animated; cameras: view angles)
    Vec3d position;
    Vec3d pivot;    // first position key of a mesh: the point it rotates about
    KeyTrack positionTrack;
    KeyTrack rotationTrack; // for cameras: the target positions
    Vec3d rotationSum;      // rotation keys passed so far
    SceneObject* next = nullptr;
};

// materialIndex of a mesh whose material found no free entry in a full table: it binds no
// texture. Read materials through materialAt, which also refuses indices past materialCount.
inline constexpr int32_t MATERIAL_NONE = -1;

struct Material {
    char name[MATERIAL_NAME_SIZE] = {}; // also the texture's file path
    TextureId texture = 0;
};

struct Scene : SceneObject {
    Scene();
    ~Scene();
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    SceneObject* current = this; // list cursor
    uint16_t objectCount = 0;
    int32_t mirrorCount = 0; // mirror material assignments met while loading
    std::array<SceneLight*, MAX_LIGHTS> lights{};
    int32_t lightCount = 0;
    int32_t lightingMode = 0;
    float shadowFactor = 0;
    float translucentShadowFactor = 0;
    uint8_t hasMovingMesh = 0;
    std::array<std::unique_ptr<ParticleSystem>, MAX_EMITTERS> emitters;
    std::array<SceneObject*, MAX_EMITTERS> emitterObjects{};
    int32_t emitterCount = 0;
    std::array<SceneObject*, MAX_CAMERAS> cameras{};
    int32_t cameraCount = 0;
    int32_t currentCamera = 0;
    std::array<Material, MAX_MATERIALS> materials;
    int32_t materialCount = 0;
    double currentFrame = 0;
    int32_t frameCount = 0;
    ByteSource* file = nullptr; // the 3DS data while loading
    ChunkTrace* trace = nullptr; // optional observer of the chunk walk while loading (inspector)

    // Objects after the first; the list links point into these.
    std::vector<std::unique_ptr<SceneObject>> ownedObjects;
};

// List cursor operations. Every walker: resetCursor, then objectCount times look at current
// and nextObject, then resetCursor. A walk inside a walk saves its place as an index and
// returns with seekObject.
inline void resetCursor(Scene& scene) { scene.current = &scene; }
inline void nextObject(Scene& scene) {
    if (scene.current->next) scene.current = scene.current->next;
}
inline void previousObject(Scene& scene) {
    if (scene.current->prev) scene.current = scene.current->prev;
}
void lastObject(Scene& scene);
void seekObject(Scene& scene, int n);
// Adds an object after current and makes it current; the first one is the scene itself.
void appendObject(Scene& scene);
// First object in list order with this name (80 bytes without terminator count as 80 chars).
SceneObject* findObject(Scene& scene, const char* name);
// Releases everything the scene owns: emitters, tracks, mesh arrays, objects.
void destroyScene(Scene& scene);

// The name compared as a string of at most 80 characters (name may be an unterminated
// 80-byte buffer).
bool objectNameIs(const SceneObject& object, const char* name);

// Face corners and texture coordinates read safely: damaged files may hold indices at or past
// vertexCount and fewer coordinates than vertices. faceIsDrawable says whether all three
// indices name stored vertices; texCoordAt reads a missing coordinate as (0, 0).
inline bool faceIsDrawable(const SceneObject& object, const Face& face) {
    return face.a < object.vertices.size() && face.b < object.vertices.size() &&
           face.c < object.vertices.size();
}
inline TexCoord texCoordAt(const SceneObject& object, uint16_t index) {
    return index < object.texCoords.size() ? object.texCoords[index] : TexCoord{};
}

// The material a mesh names, or null when it names none (MATERIAL_NONE, or an index that no
// loaded material fills, as for a mesh without a face material list in a scene without materials).
inline const Material* materialAt(const Scene& scene, int32_t index) {
    return index >= 0 && index < scene.materialCount && index < MAX_MATERIALS ? &scene.materials[index] : nullptr;
}

// The camera the show looks through, or null when there is none to look through: no camera
// loaded, a current index outside the loaded cameras (a damaged file can hold more camera
// switches than cameras), or an empty slot.
inline SceneObject* viewingCamera(const Scene& scene) {
    const int index = scene.currentCamera;
    return index >= 0 && index < scene.cameraCount && index < MAX_CAMERAS ? scene.cameras[index] : nullptr;
}

// Process-wide flags that the loader resets and later layers read (who writes, who reads):
// drawMirrors: written by loadScene (true) and the mirror pass; read by the mesh pass.
extern bool drawMirrors;
// tintFlaresByLights: written by loadScene (false) and the disco script; read by the flares.
extern uint8_t tintFlaresByLights;
// shadowTestMode: 1 = one rectangle per caster, 2 = three; written by loadScene and the
// colonne script; read by the shadow test. Any other value makes every test report lit.
extern int32_t shadowTestMode;

} // namespace pelx

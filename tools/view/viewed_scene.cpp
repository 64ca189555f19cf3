// Loading, posing and viewing one scene with the show's own layers.
#include "viewed_scene.h"

#include "effects/flare_emitters.h"
#include "platform/display_state.h"
#include "platform/frame.h"
#include "render/animation.h"
#include "scene/name_marks.h"
#include "scene3ds/chunk_reader.h"
#include "scene3ds/scene_loader.h"

#include <GL/gl.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

namespace pelx::view {

namespace {

const char* damageText(ChunkProblem problem) {
    switch (problem) {
    case ChunkProblem::tooShort:
        return "has a length below its own header";
    case ChunkProblem::pastParent:
        return "reaches past the chunk that holds it";
    case ChunkProblem::pastFile:
        return "reaches past the end of the file (cut short, or still being written?)";
    default:
        return "is damaged";
    }
}

// The last key frame of any track: the length of a scene whose cameras give none.
int lastKeyFrame(Scene& scene) {
    int last = 0;
    resetCursor(scene);
    for (int i = 0; i < scene.objectCount; ++i, nextObject(scene))
        for (const KeyTrack* track : {&scene.current->positionTrack, &scene.current->rotationTrack})
            for (uint16_t frame : track->keyFrames) last = std::max<int>(last, frame);
    resetCursor(scene);
    return last;
}

template <typename Visit> void forEachObject(const Scene& scene, Visit visit) {
    const SceneObject* object = &scene;
    for (int i = 0; i < scene.objectCount && object; ++i, object = object->next) visit(*object);
}

int lightsBesides(const Scene& scene, const Headlight& headlight) {
    int count = 0;
    for (int i = 0; i < std::min(scene.lightCount, MAX_LIGHTS); ++i)
        count += scene.lights[i] != &headlight.light;
    return count;
}

void fillColours(Scene& scene, Vec3f colour, bool alsoFrameColours) {
    for (SceneObject* object = &scene; object; object = object->next) {
        if (object->kind != KIND_MESH) continue;
        std::fill(object->baseColors.begin(), object->baseColors.end(), colour);
        if (alsoFrameColours) std::fill(object->vertexColors.begin(), object->vertexColors.end(), colour);
    }
}

} // namespace

LoadedScene loadViewedScene(const std::string& path, const SceneSettings& settings,
                            TextureBackend& textures) {
    LoadedScene result;
    result.files.push_back(path);
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        result.error = path + ": no such file";
        return result;
    }
    auto scene = std::make_unique<Scene>();
    scene->shadowFactor = settings.shadowFactor;
    scene->translucentShadowFactor = settings.translucentShadowFactor;
    ChunkTrace trace;
    std::string damage;
    trace.chunks = [&](const ChunkVisit& visit) {
        // Bytes too few for a chunk at the end of a block lose nothing that was written.
        if (visit.problem == ChunkProblem::none || visit.problem == ChunkProblem::stray || !damage.empty())
            return;
        char text[64];
        std::snprintf(text, sizeof text, "chunk %04X at byte %d ", visit.header.id, visit.header.start);
        damage = text + std::string(damageText(visit.problem));
    };
    scene->trace = &trace;
    bool read = false, hasMesh = false;
    {
        ScopedTextureBackend installed(&textures);
        read = loadScene(*scene, path.c_str(), settings.lightingMode);
        scene->trace = nullptr;
        forEachObject(*scene,
                      [&](const SceneObject& object) { hasMesh = hasMesh || object.kind == KIND_MESH; });
        if (read && damage.empty() && hasMesh) {
            const FlareSettings& f = settings.flares;
            buildFlareEmitters(*scene, f.capacity, f.lifetime, f.rate, f.size, f.rise);
        }
    }
    if (!read)
        result.error =
            path + ": not a 3DS scene (it cannot be read or does not start with a main chunk 4D4D)";
    else if (!damage.empty())
        result.error = path + ": damaged: " + damage;
    else if (!hasMesh)
        result.error = path + ": the scene holds no mesh, nothing to show";
    if (!result.error.empty()) {
        releaseSceneTextures(*scene);
        destroyScene(*scene);
        return result;
    }
    scene->shadowFactor = settings.playShadowFactor;
    scene->translucentShadowFactor = settings.playTranslucentShadowFactor;
    shadowTestMode = settings.shadowTestMode;
    // Scenes from other tools often have no camera, which leaves them no frames; their objects
    // may still move.
    if (scene->frameCount <= 0) scene->frameCount = lastKeyFrame(*scene);
    result.scene = std::move(scene);
    return result;
}

std::string sceneFileProblem(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return path + ": no such file";
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return path + ": cannot be read";
    unsigned char head[2] = {0, 0};
    const size_t got = std::fread(head, 1, 2, file);
    std::fclose(file);
    if (got != 2 || head[0] != 0x4D || head[1] != 0x4D)
        return path + ": not a 3DS scene (it does not start with a main chunk 4D4D)";
    return {};
}

std::string sceneSummary(const Scene& scene, float length) {
    int meshes = 0;
    forEachObject(scene, [&](const SceneObject& object) { meshes += object.kind == KIND_MESH; });
    auto counted = [](int n, const char* one, const char* many) {
        return n == 0 ? std::string("no ") + one : std::to_string(n) + " " + (n == 1 ? one : many);
    };
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.1f s", length);
    return counted(meshes, "mesh", "meshes") + ", " + counted(scene.lightCount, "light", "lights") + ", " +
           counted(scene.cameraCount, "camera", "cameras") + ", " + seconds;
}

void releaseSceneTextures(Scene& scene) {
    // Names from a backend without OpenGL (no context) are not OpenGL's to delete.
    if (!displayState.renderContext) return;
    std::vector<GLuint> names;
    for (int k = 0; k < std::min(scene.materialCount, MAX_MATERIALS); ++k)
        if (scene.materials[k].texture) names.push_back(scene.materials[k].texture);
    for (SceneObject* object = &scene; object; object = object->next)
        if (object->mirrorTexture) names.push_back(object->mirrorTexture);
    for (int i = 0; i < std::min(scene.emitterCount, MAX_EMITTERS); ++i)
        if (scene.emitters[i] && scene.emitters[i]->texture) names.push_back(scene.emitters[i]->texture);
    if (!names.empty()) glDeleteTextures(static_cast<GLsizei>(names.size()), names.data());
}

float sceneLength(const Scene& scene) {
    return static_cast<float>(std::max(scene.frameCount, 0)) / 30.0f;
}

void rewindScene(Scene& scene) {
    // What the loader derives from the first keys, for every object.
    for (SceneObject* object = &scene; object; object = object->next) {
        KeyTrack& positions = object->positionTrack;
        KeyTrack& rotations = object->rotationTrack;
        if (object->kind == KIND_CAMERA) {
            positions.keyIndex = 1;
            rotations.keyIndex = 1;
            if (!positions.keyValues.empty()) object->eye = positions.keyValues[0];
            if (!rotations.keyValues.empty()) object->target = rotations.keyValues[0];
            continue;
        }
        if (object->kind != KIND_MESH && object->kind != KIND_LIGHT) continue;
        positions.keyIndex = 0;
        rotations.keyIndex = 0;
        if (positions.keyCount > 1 && !positions.keyValues.empty()) {
            object->position = positions.keyValues[0];
            if (object->kind == KIND_LIGHT) object->light.lightPosition = object->position;
        }
        if (rotations.keyCount > 1 && !rotations.keyValues.empty())
            object->rotation = object->rotationSum = rotations.keyValues[0];
    }
    scene.currentCamera = 0;
    scene.currentFrame = 0.0;
}

void animateAt(Scene& scene, float t, float length) {
    sceneClock.duration = length;
    sceneClock.elapsed = t;
    animateScene(scene);
}

void playForward(Scene& scene, float from, float to, float length, int fps) {
    for (int64_t k = 1;; ++k) {
        const double t = from + static_cast<double>(k) / fps;
        if (t >= to) break;
        animateAt(scene, static_cast<float>(t), length);
    }
    animateAt(scene, to, length);
}

Bounds sceneBounds(const Scene& scene) {
    Bounds bounds;
    forEachObject(scene, [&](const SceneObject& object) {
        if (object.kind != KIND_MESH) return;
        for (const Vec3d& v : object.vertices) bounds.add(v);
    });
    return bounds;
}

bool hasUsableCamera(const Scene& scene) {
    for (int i = 0; i < std::min(scene.cameraCount, MAX_CAMERAS); ++i) {
        const SceneObject* camera = scene.cameras[i];
        if (!camera || camera->positionTrack.keyValues.empty() || camera->rotationTrack.keyValues.empty())
            continue;
        const Vec3d& eye = camera->positionTrack.keyValues[0];
        const Vec3d& target = camera->rotationTrack.keyValues[0];
        if (eye.x != target.x || eye.y != target.y || eye.z != target.z) return true;
    }
    return false;
}

bool lightReachesMeshes(const Scene& scene) {
    if (scene.lightingMode <= 0) return false;
    for (int i = 0; i < std::min(scene.lightCount, MAX_LIGHTS); ++i) {
        const SceneLight* light = scene.lights[i];
        if (!light || !(light->range > 0)) continue;
        if (isStaticLight(*light) || light->moving || scene.hasMovingMesh) return true;
    }
    return false;
}

CameraOverride::CameraOverride(Scene& s, const Vec3d& eye, const Vec3d& rotation) : scene(s) {
    camera = viewingCamera(scene);
    if (!camera) {
        // Only a scene without cameras has none to borrow; the stand-in is taken out again.
        standIn.kind = KIND_CAMERA;
        scene.cameras[0] = &standIn;
        scene.cameraCount = 1;
        scene.currentCamera = 0;
        camera = &standIn;
    }
    savedEye = camera->eye;
    savedRotation = camera->rotation;
    camera->eye = eye;
    camera->rotation = rotation;
}

CameraOverride::~CameraOverride() {
    camera->eye = savedEye;
    camera->rotation = savedRotation;
    if (camera == &standIn) {
        scene.cameras[0] = nullptr;
        scene.cameraCount = 0;
        scene.currentCamera = 0;
    }
}

bool placeHeadlight(Scene& scene, Headlight& headlight, const Vec3d& eye, const Bounds& bounds) {
    int index = -1;
    for (int i = 0; i < std::min(scene.lightCount, MAX_LIGHTS); ++i)
        if (scene.lights[i] == &headlight.light) index = i;
    const bool alone = lightsBesides(scene, headlight) == 0;
    if (!headlight.on) {
        if (index >= 0) {
            std::copy(scene.lights.begin() + index + 1, scene.lights.begin() + scene.lightCount,
                      scene.lights.begin() + index);
            scene.lightCount -= 1;
            // A scene without lights of its own is drawn white, as loaded.
            if (alone) fillColours(scene, {1, 1, 1}, true);
        }
        return true;
    }
    if (index < 0) {
        if (scene.lightCount >= MAX_LIGHTS) return false;
        // Without lights of its own the scene was baked white; the headlight alone lights it.
        if (alone) fillColours(scene, {0, 0, 0}, false);
        scene.lights[scene.lightCount] = &headlight.light;
        scene.lightCount += 1;
    }
    SceneLight& light = headlight.light;
    light.color = {1, 1, 1};
    light.tag = 0;
    light.moving = 1; // recomputed every frame, on every mesh
    light.on = 1;
    light.lightPosition = eye;
    // Past the far side of the scene, so all of it is lit, the nearest parts most.
    double reach = 1;
    if (!bounds.empty())
        for (int corner = 0; corner < 8; ++corner) {
            const Vec3d p{corner & 1 ? bounds.high.x : bounds.low.x,
                          corner & 2 ? bounds.high.y : bounds.low.y,
                          corner & 4 ? bounds.high.z : bounds.low.z};
            reach = std::max(reach, std::sqrt((p.x - eye.x) * (p.x - eye.x) + (p.y - eye.y) * (p.y - eye.y) +
                                              (p.z - eye.z) * (p.z - eye.z)));
        }
    light.range = static_cast<float>(reach * 1.5);
    return true;
}

} // namespace pelx::view

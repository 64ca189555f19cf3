// Loading a 3DS file: the main chunk, the editor and keyframer blocks, then what the show
// needs at frame 0 (camera table, first-key positions, light flags, baked static lighting,
// frame count). Files and memory go through the same steps.
#include "scene3ds/scene_loader.h"

#include "lighting/lighting.h"
#include "scene3ds/byte_source.h"
#include "scene3ds/chunk_handlers.h"

#include <cstdint>

namespace pelx {

namespace {

void beginLoad(Scene& scene, int lightingMode) {
    scene.materialCount = 0;
    scene.lightCount = 0;
    scene.emitterCount = 0;
    scene.mirrorCount = 0;
    scene.lightingMode = lightingMode;
    scene.hasMovingMesh = 0;
}

void readEditor(Scene& scene, const ChunkHeader& header) {
    walkChildren(scene, header, {{CHUNK_OBJETBLOCK, "+--CHUNK_OBJETBLOCK\n", readNamedObject}});
}

// Reads the chunks; false when the data does not start with a main chunk.
bool readChunks(Scene& scene) {
    ByteSource& source = *scene.file;
    // Chunk positions are 32-bit; larger data, or data too short for one header, is no scene.
    if (source.size() < CHUNK_HEADER_SIZE || source.size() > uint64_t(INT32_MAX)) return false;
    source.seek(0);
    ChunkHeader main = readChunkHeader(scene);
    if (main.id != CHUNK_MAIN) return false;
    ChunkProblem problem = ChunkProblem::none;
    if (uint64_t(main.length) > source.size()) {
        // A file cut short: read what is there.
        main.end = static_cast<uint32_t>(source.size());
        problem = ChunkProblem::pastFile;
    } else if (main.length < CHUNK_HEADER_SIZE) {
        main.end = static_cast<uint32_t>(main.start) + CHUNK_HEADER_SIZE; // nothing inside
        problem = ChunkProblem::tooShort;
    }
    traceChunk(scene, main, true, nullptr, problem);
    walkChildren(scene, main,
                 {{CHUNK_3DEDITORCHUNK, "CHUNK_3DEDITORCHUNK\n", readEditor},
                  {CHUNK_KEYFRAMER, "CHUNK_KEYFRAMER\n", readKeyframer}});
    return true;
}

// Frame 0: camera table, first-key positions and the light flags, in list order.
void prepareObjects(Scene& scene) {
    scene.cameraCount = 0;
    resetCursor(scene);
    for (int i = 0; i < scene.objectCount; ++i, nextObject(scene)) {
        SceneObject& object = *scene.current;
        KeyTrack& positions = object.positionTrack;
        KeyTrack& rotations = object.rotationTrack;
        const bool mesh = object.kind == KIND_MESH;
        const bool light = object.kind == KIND_LIGHT;
        if (light) {
            object.light.tag = object.name[0];
            object.light.moving = positions.keyCount > 1;
            object.light.on = 1;
        }
        if (mesh) {
            object.pivot = {};
            object.position = {};
            positions.keyIndex = 0;
            if (positions.keyCount >= 1) object.pivot = object.position = positions.keyValues[0];
        }
        if ((mesh || light) && positions.keyCount > 1) {
            positions.keyIndex = 0;
            object.pivot = object.position = positions.keyValues[0];
            if (mesh) scene.hasMovingMesh = 1;
        }
        if ((mesh || light) && rotations.keyCount > 1) {
            object.rotation = rotations.keyValues[0];
            rotations.keyIndex = 0;
            object.rotationSum = rotations.keyValues[0];
        }
        if (object.kind == KIND_CAMERA) {
            // Cameras play one after the other from their first segment (key 0 to key 1).
            positions.keyIndex = 1;
            rotations.keyIndex = 1;
            if (positions.keyCount >= 1) object.eye = positions.keyValues[0];
            if (rotations.keyCount >= 1) object.target = rotations.keyValues[0];
            // A full table plays no further cameras.
            if (scene.cameraCount < MAX_CAMERAS) {
                scene.cameras[scene.cameraCount] = &object;
                scene.cameraCount += 1;
            }
        }
    }
    resetCursor(scene);
}

bool loadFrom(Scene& scene, ByteSource& source) {
    scene.file = &source;
    bool read = readChunks(scene);
    resetCursor(scene);
    scene.file = nullptr;
    if (!read) return false;

    prepareObjects(scene);

    // The bake tests every occluder's three sections; frames afterwards test one.
    shadowTestMode = 2;
    precomputeLighting(scene);
    shadowTestMode = 1;
    resetCursor(scene);

    // The show lasts until the last camera's last eye key; without one there is nothing to play.
    scene.frameCount = 0;
    if (scene.cameraCount > 0) {
        const KeyTrack& eyes = scene.cameras[scene.cameraCount - 1]->positionTrack;
        if (eyes.keyCount > 0) scene.frameCount = eyes.keyFrames[eyes.keyCount - 1];
    }
    scene.currentFrame = 0.0;
    scene.currentCamera = 0;
    drawMirrors = true;
    tintFlaresByLights = 0;
    return true;
}

} // namespace

bool loadScene(Scene& scene, const char* fileName, int lightingMode) {
    beginLoad(scene, lightingMode);
    FileByteSource source;
    if (!fileName || !source.open(fileName)) return false;
    return loadFrom(scene, source);
}

bool loadScene(Scene& scene, ByteSource& source, int lightingMode) {
    beginLoad(scene, lightingMode);
    return loadFrom(scene, source);
}

} // namespace pelx

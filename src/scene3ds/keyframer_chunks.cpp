// Keyframer chunks: node blocks that name an object of the editor block and carry its
// position and rotation tracks. Nodes are matched to objects by name, never by index.
#include "scene3ds/chunk_handlers.h"

namespace pelx {

namespace {

// A key is at least its frame (u32), its spline flags (u16) and its value.
constexpr uint32_t POSITION_KEY_SIZE = 4 + 2 + 12;
constexpr uint32_t ROTATION_KEY_SIZE = 4 + 2 + 16;

constexpr std::initializer_list<ChildChunk> NODE_CHILDREN = {
    {CHUNK_OBJETNAME, "   +--CHUNK_OBJETNAME\n"},
    {CHUNK_OBJETPIVOTPOINT, "   +--CHUNK_OBJETPIVOTPOINT\n"},
    {CHUNK_POSITIONTRACK, "   +--CHUNK_POSITIONTRACK\n"},
    {CHUNK_ROTATIONTRACK, "   +--CHUNK_ROTATIONTRACK\n"},
};

// The object a node name selects, or null. A scene with no objects yet (a keyframer block
// stored before the editor block) has nothing to select: the scene record is not an object
// of the list until the first named object is appended.
SceneObject* readNodeName(Scene& scene) {
    char name[OBJECT_NAME_SIZE];
    readName(scene, name);
    return scene.objectCount > 0 ? findObject(scene, name) : nullptr;
}

void clearTrack(KeyTrack& track) {
    track.keyCount = 0;
    track.keyFrames = {};
    track.keyValues = {};
}

// Frame and spline flags of one key; the optional spline parameters are skipped.
uint16_t readKeyHead(Scene& scene) {
    uint16_t frame = static_cast<uint16_t>(readU32(scene)); // frames past 65535 wrap
    uint16_t flags = readU16(scene);
    for (int bit = 0; bit < 5; ++bit)
        if (flags & (1u << bit)) readF32(scene); // tension, continuity, bias, ease to, ease from
    return frame;
}

// The five flag words and the key count (bounded by what the chunk holds); the track is
// made ready for that many keys with its cursor at keyIndex.
uint32_t beginTrack(Scene& scene, const ChunkHeader& header, KeyTrack& track, uint32_t keySize,
                    int32_t keyIndex) {
    for (int i = 0; i < 5; ++i) readU16(scene);
    const uint32_t count = clampCount(scene, header, readU32(scene), keySize);
    track.keyCount = count;
    track.keyValues.assign(count, Vec3d{});
    track.keyFrames.assign(count, 0);
    track.keyIndex = keyIndex;
    return count;
}

// A camera node or camera target node: the name selects the camera and the position track
// goes to the given track of it; the roll track (0xB021 here) is not used.
void readCameraPositions(Scene& scene, const ChunkHeader& header, KeyTrack SceneObject::*into) {
    SceneObject* selected = nullptr;
    walkChildren(scene, header, NODE_CHILDREN, [&](const ChunkHeader& child) {
        if (child.id == CHUNK_OBJETNAME)
            selected = readNodeName(scene);
        else if (child.id == CHUNK_POSITIONTRACK && selected)
            readPositionTrack(scene, child, selected->*into);
    });
}

} // namespace

void readKeyframer(Scene& scene, const ChunkHeader& header) {
    walkChildren(scene, header,
                 {{CHUNK_OBJETINFOBLOCK, "+--CHUNK_OBJETINFOBLOCK\n", readObjectNode},
                  {CHUNK_CAMERAINFOBLOCK, "+--CHUNK_CAMERAINFOBLOCK\n", readCameraNode},
                  {CHUNK_CAMERATARGETINFOBLOCK, "+--CHUNK_CAMERATARGETINFOBLOCK\n", readCameraTargetNode},
                  {CHUNK_SPOTLIGHTINFOBLOCK, "+--CHUNK_OBJETINFOBLOCK\n", readObjectNode}});
}

void readObjectNode(Scene& scene, const ChunkHeader& header) {
    SceneObject* selected = nullptr; // tracks before any name, or under an unknown name, are skipped
    walkChildren(scene, header, NODE_CHILDREN, [&](const ChunkHeader& child) {
        switch (child.id) {
        case CHUNK_OBJETNAME:
            selected = readNodeName(scene);
            // The node carries the object's whole animation: what an earlier node gave it goes.
            if (selected) {
                clearTrack(selected->positionTrack);
                clearTrack(selected->rotationTrack);
            }
            break;
        case CHUNK_POSITIONTRACK:
            if (selected) readPositionTrack(scene, child, selected->positionTrack);
            break;
        case CHUNK_ROTATIONTRACK:
            if (selected) readRotationTrack(scene, child, *selected);
            break;
        }
    });
}

void readCameraNode(Scene& scene, const ChunkHeader& header) {
    readCameraPositions(scene, header, &SceneObject::positionTrack);
}

void readCameraTargetNode(Scene& scene, const ChunkHeader& header) {
    // The target node carries its camera's name; its positions go to the rotation track,
    // which a camera does not otherwise use.
    readCameraPositions(scene, header, &SceneObject::rotationTrack);
}

void readPositionTrack(Scene& scene, const ChunkHeader& header, KeyTrack& track) {
    const uint32_t count = beginTrack(scene, header, track, POSITION_KEY_SIZE, 1);
    for (uint32_t i = 0; i < count; ++i) {
        track.keyFrames[i] = readKeyHead(scene);
        track.keyValues[i] = readVector(scene);
    }
}

void readRotationTrack(Scene& scene, const ChunkHeader& header, SceneObject& object) {
    KeyTrack& track = object.rotationTrack;
    const uint32_t count = beginTrack(scene, header, track, ROTATION_KEY_SIZE, 0);
    for (uint32_t i = 0; i < count; ++i) {
        track.keyFrames[i] = readKeyHead(scene);
        double angle = readF32(scene);
        Vec3d axis = readVector(scene);
        double degrees = angle * SCENE_DEGREES_PER_HALF_TURN / SCENE_HALF_TURN_RADIANS;
        track.keyValues[i] = {axis.x * degrees, axis.y * degrees, axis.z * degrees};
    }
    // Vertices are stored in their key-0 orientation; later keys are relative turns.
    if (count >= 1) track.keyValues[0] = {};
}

} // namespace pelx

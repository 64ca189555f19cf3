// Helpers for the loader tests: whole 3DS files assembled from chunks, and loads from memory
// with textures recorded instead of created.
#pragma once

#include "image/texture.h"
#include "scene3ds/byte_source.h"
#include "scene3ds/scene_loader.h"
#include "support/chunk_writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace pelx::test {

// Records texture requests while it lives, so loads need no rendering context.
struct ScopedRecordedTextures {
    RecordingTextureBackend backend;
    ScopedTextureBackend installed{&backend};
};

// A main chunk holding the given top-level chunks in order.
inline std::vector<uint8_t> fileOf(const std::vector<Chunk>& blocks) {
    Chunk main(0x4D4D);
    for (const Chunk& block : blocks) main.child(block);
    return main.bytes();
}

// An editor block of named objects.
inline Chunk editorOf(const std::vector<Chunk>& objects) {
    Chunk editor(0x3D3D);
    for (const Chunk& object : objects) editor.child(object);
    return editor;
}

// A keyframer block of node blocks.
inline Chunk keyframerOf(const std::vector<Chunk>& nodes) {
    Chunk keyframer(0xB000);
    for (const Chunk& node : nodes) keyframer.child(node);
    return keyframer;
}

// A named mesh of one untextured triangle, for tests about anything but its geometry.
inline Chunk triangleObject(const std::string& name) {
    return meshObject(name, {0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, 2}, "");
}

// A node name chunk as exporters write it: the name, two flag words and the parent index.
inline Chunk nodeName(const std::string& name) {
    return Chunk(0xB010).str(name).u16(0).u16(0).u16(0xFFFF);
}

// A named light (file coordinates), with a colour chunk and optionally a spotlight target.
inline Chunk lightObject(const std::string& name, float a, float b, float c, float r, float g, float bl) {
    return Chunk(0x4000).str(name).child(Chunk(0x4600).vec(a, b, c).child(Chunk(0x0010).vec(r, g, bl)));
}
inline Chunk spotObject(const std::string& name, float a, float b, float c, float r, float g, float bl,
                        float ta, float tb, float tc) {
    return Chunk(0x4000).str(name).child(Chunk(0x4600)
                                             .vec(a, b, c)
                                             .child(Chunk(0x0010).vec(r, g, bl))
                                             .child(Chunk(0x4610).vec(ta, tb, tc).f32(30).f32(45)));
}

// A rotation track (0xB021) with linear keys: angle in radians, axis in file coordinates.
struct FileRotationKey {
    uint32_t frame;
    float angle, a, b, c;
};
inline Chunk rotationTrack(const std::vector<FileRotationKey>& keys) {
    Chunk track(0xB021);
    track.u16(0).u16(0).u16(0).u16(0).u16(0).u32(static_cast<uint32_t>(keys.size()));
    for (const FileRotationKey& k : keys) track.u32(k.frame).u16(0).f32(k.angle).vec(k.a, k.b, k.c);
    return track;
}

// An object node (0xB002) with a name and the given tracks.
inline Chunk objectNode(const std::string& name, const std::vector<Chunk>& tracks, uint16_t id = 0xB002) {
    Chunk node(id);
    node.child(nodeName(name));
    for (const Chunk& track : tracks) node.child(track);
    return node;
}

inline bool loadBytes(Scene& scene, const std::vector<uint8_t>& bytes, int lightingMode = 3) {
    MemoryByteSource source(bytes.data(), bytes.size());
    return loadScene(scene, source, lightingMode);
}

// The object at list index n (0 = the scene itself), or null.
inline SceneObject* objectAt(Scene& scene, int n) {
    SceneObject* object = &scene;
    for (int i = 0; i < n && object; ++i) object = object->next;
    return n < scene.objectCount ? object : nullptr;
}

} // namespace pelx::test

namespace pelx::test {

// What every loaded scene must satisfy, however damaged its file: arrays exactly as long as
// their counts, tables within capacity and pointing into the scene's own list.
inline void expectConsistent(Scene& scene, const std::string& context) {
    std::vector<const SceneObject*> list;
    for (const SceneObject* object = &scene; object && list.size() < scene.objectCount; object = object->next)
        list.push_back(object);
    ASSERT_EQ(list.size(), scene.objectCount) << context;
    if (!list.empty()) {
        EXPECT_EQ(list.back()->next, nullptr) << context;
    }
    auto inList = [&](const SceneObject* object) {
        for (const SceneObject* candidate : list)
            if (candidate == object) return true;
        return false;
    };
    for (const SceneObject* object : list) {
        EXPECT_EQ(object->vertices.size(), object->vertexCount) << context;
        EXPECT_EQ(object->vertexColors.size(), object->vertices.size()) << context;
        EXPECT_EQ(object->baseColors.size(), object->vertices.size()) << context;
        EXPECT_EQ(object->faces.size(), object->faceCount) << context;
        EXPECT_EQ(object->texCoords.size(), object->texCoordCount) << context;
        for (const KeyTrack* track : {&object->positionTrack, &object->rotationTrack}) {
            EXPECT_EQ(track->keyValues.size(), track->keyCount) << context;
            EXPECT_EQ(track->keyFrames.size(), track->keyCount) << context;
        }
        EXPECT_GE(object->materialIndex, MATERIAL_NONE) << context;
        EXPECT_LT(object->materialIndex, MAX_MATERIALS) << context;
    }
    ASSERT_GE(scene.lightCount, 0) << context;
    ASSERT_LE(scene.lightCount, MAX_LIGHTS) << context;
    for (int i = 0; i < scene.lightCount; ++i) {
        bool found = false;
        for (const SceneObject* object : list) found = found || &object->light == scene.lights[size_t(i)];
        EXPECT_TRUE(found) << context << ": light " << i;
    }
    ASSERT_LE(scene.cameraCount, MAX_CAMERAS) << context;
    for (int i = 0; i < scene.cameraCount; ++i) {
        EXPECT_TRUE(inList(scene.cameras[size_t(i)])) << context;
        EXPECT_EQ(scene.cameras[size_t(i)]->kind, KIND_CAMERA) << context;
    }
    EXPECT_LE(scene.materialCount, MAX_MATERIALS) << context;
    EXPECT_EQ(scene.current, &scene) << context;
    EXPECT_EQ(scene.file, nullptr) << context;
}

} // namespace pelx::test

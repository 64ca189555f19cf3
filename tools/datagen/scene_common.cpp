// The lib3ds model builder shared by the scene files, and the key frames they place on it.
#include "scene_common.h"

#include "scene/name_marks.h"
#include "scene/scene.h"

#include <lib3ds/camera.h>
#include <lib3ds/light.h>
#include <lib3ds/material.h>
#include <lib3ds/mesh.h>
#include <lib3ds/node.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace pelx::datagen {

std::vector<int> keyFrames(int from, int to, int step, int beyond) {
    require(to > from && step > 0, "key frames need a span and a step");
    const int count = std::max(1, static_cast<int>(std::lround(static_cast<double>(to - from) / step)));
    std::vector<int> frames;
    for (int i = 0; i <= count; ++i)
        frames.push_back(from + static_cast<int>(static_cast<long>(to - from) * i / count));
    if (beyond > 0) frames.push_back(to + beyond);
    return frames;
}

namespace {

// The file is z-up: the show reads a stored (a, b, c) as (a, c, -b).
void storeVector(float* out, Vec3 p) {
    out[0] = static_cast<float>(p.x);
    out[1] = static_cast<float>(-p.z);
    out[2] = static_cast<float>(p.y);
}

void copyName(char* out, const std::string& name) {
    require(!name.empty() && name.size() < 64, "name '" + name + "' must have 1 to 63 characters");
    std::memcpy(out, name.c_str(), name.size() + 1);
}

void addPositionKeys(Lib3dsLin3Track& track, const std::vector<PositionKey>& keys, Vec3 offset) {
    for (const PositionKey& key : keys) {
        Lib3dsLin3Key* k = lib3ds_lin3_key_new();
        k->tcb.frame = key.frame;
        storeVector(k->value, key.position + offset);
        lib3ds_lin3_track_insert(&track, k);
    }
    lib3ds_lin3_track_setup(&track);
}

void addColourKey(Lib3dsLin3Track& track, Colour colour) {
    Lib3dsLin3Key* k = lib3ds_lin3_key_new();
    k->value[0] = colour.r;
    k->value[1] = colour.g;
    k->value[2] = colour.b;
    lib3ds_lin3_track_insert(&track, k);
    lib3ds_lin3_track_setup(&track);
}

void addFloatKey(Lib3dsLin1Track& track, float value) {
    Lib3dsLin1Key* k = lib3ds_lin1_key_new();
    k->value = value;
    lib3ds_lin1_track_insert(&track, k);
    lib3ds_lin1_track_setup(&track);
}

// lib3ds replaces a key that lands on the frame of an earlier one, so frames must grow.
void requireRisingFrames(const std::vector<int>& frames, int minGap, int frameCount,
                         const std::string& name) {
    for (size_t i = 0; i < frames.size(); ++i) {
        require(frames[i] >= 0 && frames[i] <= frameCount, name + ": key frame outside the scene");
        if (i > 0) require(frames[i] - frames[i - 1] >= minGap, name + ": keys too close together");
    }
}

template <typename Key> std::vector<int> framesOf(const std::vector<Key>& keys) {
    std::vector<int> frames;
    for (const Key& k : keys) frames.push_back(k.frame);
    return frames;
}

constexpr float SPOT_HOTSPOT = 40.0f;
constexpr float SPOT_FALLOFF = 60.0f;
constexpr float CAMERA_FOV = 45.0f;

} // namespace

SceneBuilder::SceneBuilder(int frameCount) : file(lib3ds_file_new()), frames(frameCount) {
    require(file != nullptr, "lib3ds could not make a file");
    require(frameCount > 0, "a scene needs frames");
    file->frames = frameCount;
    file->segment_from = 0;
    file->segment_to = frameCount;
}

SceneBuilder::~SceneBuilder() = default;

void SceneBuilder::claimName(const std::string& name) {
    require(std::find(names.begin(), names.end(), name) == names.end(),
            "object name '" + name + "' used twice");
    names.push_back(name);
}

Lib3dsNode* SceneBuilder::newNode(Lib3dsNode* node, const std::string& name) {
    copyName(node->name, name);
    node->node_id = static_cast<Lib3dsWord>(nextNodeId++);
    // Nodes stand alone: the show never transforms a node by a parent.
    node->parent_id = LIB3DS_NO_PARENT;
    return node;
}

void SceneBuilder::addMesh(const std::string& name, const MeshData& mesh, const std::string& material) {
    claimName(name);
    const size_t count = mesh.positions.size();
    require(count > 0 && count <= 65535 && mesh.faces.size() <= 65535, name + ": too many vertices or faces");
    require(mesh.uvs.size() == count, name + ": every vertex needs texture coordinates");
    require(!material.empty() && material.size() < 64, name + ": material name must have 1 to 63 characters");

    Lib3dsMesh* m = lib3ds_mesh_new(name.c_str());
    require(m && lib3ds_mesh_new_point_list(m, count) && lib3ds_mesh_new_texel_list(m, count) &&
                lib3ds_mesh_new_face_list(m, mesh.faces.size()),
            name + ": lib3ds could not allocate the mesh");
    for (size_t i = 0; i < count; ++i) {
        storeVector(m->pointL[i].pos, mesh.positions[i]);
        m->texelL[i][0] = mesh.uvs[i][0];
        m->texelL[i][1] = mesh.uvs[i][1];
    }
    for (size_t i = 0; i < mesh.faces.size(); ++i) {
        Lib3dsFace& face = m->faceL[i];
        for (int c = 0; c < 3; ++c) {
            require(mesh.faces[i][c] < count, name + ": face names a missing vertex");
            face.points[c] = static_cast<Lib3dsWord>(mesh.faces[i][c]);
        }
        face.flags = LIB3DS_FACE_FLAG_VIS_AB | LIB3DS_FACE_FLAG_VIS_BC | LIB3DS_FACE_FLAG_VIS_AC;
        face.smoothing = 1;
        std::memcpy(face.material, material.c_str(), material.size() + 1);
    }
    lib3ds_file_insert_mesh(file.get(), m);

    // The show reads only the face material name; the library entry is there for other readers.
    if (!lib3ds_file_material_by_name(file.get(), material.c_str())) {
        Lib3dsMaterial* entry = lib3ds_material_new();
        require(entry != nullptr, "lib3ds could not make a material");
        copyName(entry->name, material);
        for (int c = 0; c < 3; ++c) entry->ambient[c] = entry->diffuse[c] = 1.0f;
        entry->diffuse[3] = entry->ambient[3] = 1.0f;
        if (!isMirrorMaterial(material.c_str())) {
            copyName(entry->texture1_map.name, material);
            entry->texture1_map.percent = 1.0f;
        }
        lib3ds_file_insert_material(file.get(), entry);
    }
}

void SceneBuilder::addAnimatedMesh(const std::string& name, const MeshData& mesh, const std::string& material,
                                   const std::vector<PositionKey>& path,
                                   const std::vector<RotationKey>& turns) {
    require(!path.empty(), name + ": an animated mesh needs a position key");
    requireRisingFrames(framesOf(path), 1, frames, name);
    requireRisingFrames(framesOf(turns), 1, frames, name);
    // Without a moving position the show turns a mesh about the origin, not about its place.
    require(turns.empty() || path.size() >= 2, name + ": a turning mesh needs two position keys");
    addMesh(name, mesh, material);

    Lib3dsNode* node = newNode(lib3ds_node_new_object(), name);
    Lib3dsObjectData& data = node->data.object;
    addPositionKeys(data.pos_track, path, {});
    for (const RotationKey& turn : turns) {
        Lib3dsQuatKey* k = lib3ds_quat_key_new();
        k->tcb.frame = turn.frame;
        // The show draws the running sum of the keys negated, so the stored angle is minus
        // the turn wanted.
        // The show turns it back into degrees with 3.1415 for pi; writing with the same
        // constant gives back exactly the degrees asked for.
        k->angle = static_cast<float>(-turn.degrees * SCENE_HALF_TURN_RADIANS / SCENE_DEGREES_PER_HALF_TURN);
        storeVector(k->axis, normalized(turn.axis));
        lib3ds_quat_track_insert(&data.rot_track, k);
    }
    lib3ds_quat_track_setup(&data.rot_track);
    Lib3dsLin3Key* scale = lib3ds_lin3_key_new();
    scale->value[0] = scale->value[1] = scale->value[2] = 1.0f;
    lib3ds_lin3_track_insert(&data.scl_track, scale);
    lib3ds_lin3_track_setup(&data.scl_track);
    lib3ds_file_insert_node(file.get(), node);
}

void SceneBuilder::addStaticLight(const std::string& name, Vec3 position, Colour colour, double range) {
    // Any other light is lit per frame only while it moves: a still one would light nothing.
    require(isStaticLightName(name), name + ": a light that does not move must be a static '&' light");
    require(range > 0, name + ": a light needs a range");
    claimName(name);
    Lib3dsLight* light = lib3ds_light_new(name.c_str());
    require(light != nullptr, "lib3ds could not make a light");
    light->color[0] = colour.r;
    light->color[1] = colour.g;
    light->color[2] = colour.b;
    storeVector(light->position, position);
    light->spot_light = LIB3DS_TRUE;
    storeVector(light->spot, position + Vec3{0, -range, 0});
    light->hot_spot = SPOT_HOTSPOT;
    light->fall_off = SPOT_FALLOFF;
    light->multiplier = 1.0f;
    lib3ds_file_insert_light(file.get(), light);
}

void SceneBuilder::addMovingLight(const std::string& name, Colour colour, double range,
                                  const std::vector<PositionKey>& path) {
    require(!isStaticLightName(name), name + ": a static '&' light cannot move");
    require(path.size() >= 2, name + ": a moving light needs two position keys");
    require(range > 0, name + ": a light needs a range");
    requireRisingFrames(framesOf(path), 1, frames, name);
    claimName(name);
    const Vec3 down{0, -range, 0};
    Lib3dsLight* light = lib3ds_light_new(name.c_str());
    require(light != nullptr, "lib3ds could not make a light");
    light->color[0] = colour.r;
    light->color[1] = colour.g;
    light->color[2] = colour.b;
    storeVector(light->position, path[0].position);
    light->spot_light = LIB3DS_TRUE;
    storeVector(light->spot, path[0].position + down);
    light->hot_spot = SPOT_HOTSPOT;
    light->fall_off = SPOT_FALLOFF;
    light->multiplier = 1.0f;
    lib3ds_file_insert_light(file.get(), light);

    // A light node is written as a spotlight node (the kind the show animates) when a spot
    // target node of the same name exists.
    Lib3dsNode* node = newNode(lib3ds_node_new_light(), name);
    addPositionKeys(node->data.light.pos_track, path, {});
    addColourKey(node->data.light.col_track, colour);
    addFloatKey(node->data.light.hotspot_track, SPOT_HOTSPOT);
    addFloatKey(node->data.light.falloff_track, SPOT_FALLOFF);
    addFloatKey(node->data.light.roll_track, 0.0f);
    lib3ds_file_insert_node(file.get(), node);

    Lib3dsNode* target = newNode(lib3ds_node_new_spot(), name);
    addPositionKeys(target->data.spot.pos_track, path, down);
    lib3ds_file_insert_node(file.get(), target);
}

void SceneBuilder::addCamera(const std::string& name, const std::vector<CameraKey>& keys) {
    require(keys.size() >= 2, name + ": a camera needs two keys");
    // The show moves a camera at most one key per drawn frame: dense keys would make it lag.
    requireRisingFrames(framesOf(keys), 10, frames, name);
    claimName(name);
    Lib3dsCamera* camera = lib3ds_camera_new(name.c_str());
    require(camera != nullptr, "lib3ds could not make a camera");
    storeVector(camera->position, keys[0].eye);
    storeVector(camera->target, keys[0].target);
    camera->fov = CAMERA_FOV;
    camera->near_range = 0.5f;
    camera->far_range = 4000.0f;
    lib3ds_file_insert_camera(file.get(), camera);

    std::vector<PositionKey> eyes, targets;
    for (const CameraKey& k : keys) {
        eyes.push_back({k.frame, k.eye});
        targets.push_back({k.frame, k.target});
    }
    Lib3dsNode* node = newNode(lib3ds_node_new_camera(), name);
    addPositionKeys(node->data.camera.pos_track, eyes, {});
    addFloatKey(node->data.camera.fov_track, CAMERA_FOV);
    addFloatKey(node->data.camera.roll_track, 0.0f);
    lib3ds_file_insert_node(file.get(), node);

    // The target node carries the camera's name.
    Lib3dsNode* target = newNode(lib3ds_node_new_target(), name);
    addPositionKeys(target->data.target.pos_track, targets, {});
    lib3ds_file_insert_node(file.get(), target);
}

SceneModel SceneBuilder::finish() {
    // The show's length in frames is the last eye key of the camera it plays last (the last
    // camera in the file).
    require(file->cameras != nullptr, "a scene needs a camera");
    const Lib3dsCamera* last = file->cameras;
    while (last->next) last = last->next;
    const Lib3dsNode* node = lib3ds_file_node_by_name(file.get(), last->name, LIB3DS_CAMERA_NODE);
    require(node && node->data.camera.pos_track.keyL, "the last camera needs eye keys");
    const Lib3dsLin3Key* key = node->data.camera.pos_track.keyL;
    while (key->next) key = key->next;
    require(key->tcb.frame == frames,
            std::string(last->name) + ": the last camera must end on the scene's last frame");
    return std::move(file);
}

} // namespace pelx::datagen

// Shared pieces of the six scene builders: scene time in frames, keyframe paths and SceneBuilder,
// which turns meshes (mesh_shapes.h), lights, cameras and keyframe paths given in the show's
// y-up world into a lib3ds model.
#pragma once

#include "mesh_shapes.h"
#include "scenes.h"

#include <string>
#include <vector>

namespace pelx::datagen {

// Scene time runs at 30 frames per second.
constexpr int FRAMES_PER_SECOND = 30;
inline int frameAt(double seconds) {
    return static_cast<int>(seconds * FRAMES_PER_SECOND + 0.5);
}

// Key frames spread evenly from `from` to `to`, about `step` apart, both ends included; then,
// when beyond > 0, one more `beyond` frames after `to`: a camera's last key, which the show
// never reaches on screen because the next camera takes over at its next-to-last key.
std::vector<int> keyFrames(int from, int to, int step, int beyond = 0);

struct PositionKey {
    int frame;
    Vec3 position;
};

// One rotation key: turn by degrees about axis (world axes, y up) since the previous key, as
// the show sees it. The first key of a track is the starting pose and turns nothing.
struct RotationKey {
    int frame;
    double degrees;
    Vec3 axis;
};

struct CameraKey {
    int frame;
    Vec3 eye;
    Vec3 target;
};

struct Colour {
    float r = 0, g = 0, b = 0;
};

// Collects one scene and writes it into a lib3ds model. Positions are given in the show's
// world (x right, y up, z toward the viewer) and stored in the file's z-up axes. Object
// names must be unique across meshes, lights and cameras: the keyframer finds objects by
// name. lib3ds keeps each kind in name order, and files list cameras, then lights, then
// meshes; the names chosen in the scenes keep the order the show depends on.
class SceneBuilder {
  public:
    explicit SceneBuilder(int frameCount);
    ~SceneBuilder();
    SceneBuilder(const SceneBuilder&) = delete;
    SceneBuilder& operator=(const SceneBuilder&) = delete;

    // Every face of the mesh gets the one material; for an ordinary mesh its name is the path
    // of its texture, for a mirror it begins with "mirr".
    void addMesh(const std::string& name, const MeshData& mesh, const std::string& material);
    // A mesh that also carries a keyframe node: flare carriers and mirrors need their place
    // as a single position key, moving meshes their path; rotation keys turn the mesh about
    // its first position key.
    void addAnimatedMesh(const std::string& name, const MeshData& mesh, const std::string& material,
                         const std::vector<PositionKey>& path, const std::vector<RotationKey>& turns = {});
    // A light that never moves. Its spotlight target sits range below it: the distance to the
    // target is how far the light reaches.
    void addStaticLight(const std::string& name, Vec3 position, Colour colour, double range);
    // A spotlight moving along path (at least two keys), its target range below it.
    void addMovingLight(const std::string& name, Colour colour, double range,
                        const std::vector<PositionKey>& path);
    // A camera with its eye and target paths, keys at least ten frames apart.
    void addCamera(const std::string& name, const std::vector<CameraKey>& keys);

    int frameCount() const { return frames; }
    // Hands over the finished model; the builder is empty afterwards.
    SceneModel finish();

  private:
    void claimName(const std::string& name);
    Lib3dsNode* newNode(Lib3dsNode* node, const std::string& name);

    SceneModel file;
    int frames;
    int nextNodeId = 0;
    std::vector<std::string> names;
};
} // namespace pelx::datagen

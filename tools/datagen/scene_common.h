// Shared pieces of the six scene builders: the show's vector type, triangle meshes with texture
// coordinates and the shapes the scenes are made of, and SceneBuilder, which turns meshes,
// lights, cameras and keyframe paths given in the show's y-up world into a lib3ds model.
#pragma once

#include "platform/vec.h"
#include "scenes.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace pelx::datagen {

// The show's own Vec3d, with its sums, products, dot and cross.
using Vec3 = Vec3d;

double length(Vec3 a);
Vec3 normalized(Vec3 a);
// Linear blend: a at t = 0, b at t = 1.
Vec3 mix(Vec3 a, Vec3 b, double t);

// Scene time runs at 30 frames per second.
constexpr int FRAMES_PER_SECOND = 30;
inline int frameAt(double seconds) {
    return static_cast<int>(seconds * FRAMES_PER_SECOND + 0.5);
}

// A triangle mesh in world coordinates (y up), one texture coordinate pair per vertex.
struct MeshData {
    std::vector<Vec3> positions;
    std::vector<std::array<float, 2>> uvs;
    std::vector<std::array<uint32_t, 3>> faces;

    uint32_t addVertex(Vec3 p, double u, double v);
    void addTriangle(uint32_t a, uint32_t b, uint32_t c) { faces.push_back({a, b, c}); }
    // Corners in order around the quad.
    void addQuad(uint32_t a, uint32_t b, uint32_t c, uint32_t d);
    void append(const MeshData& other);
};

// A planar grid from origin along two edges, nu x nv cells, the texture repeated tilesU x
// tilesV times over it, shifted by (offsetU, offsetV) so neighbouring pieces of one wall line up.
MeshData grid(Vec3 origin, Vec3 edgeU, Vec3 edgeV, int nu, int nv, double tilesU, double tilesV,
              double offsetU = 0, double offsetV = 0);

// Which faces of a box to build.
enum BoxFaces : unsigned {
    BOX_BOTTOM = 1,
    BOX_TOP = 2,
    BOX_LEFT = 4,   // x = low
    BOX_RIGHT = 8,  // x = high
    BOX_BACK = 16,  // z = low
    BOX_FRONT = 32, // z = high
    BOX_ALL = 63,
    BOX_NO_BOTTOM = 62,
};

// An axis-aligned box; each side is a grid whose cells are at most maxCell long, textured
// once per tile world units.
MeshData box(Vec3 low, Vec3 high, double tile, double maxCell = 1e9, unsigned faces = BOX_ALL);

// An upright cylinder standing on base; sides around, rings up; the texture wraps tilesAround
// times and repeats every tileUp units upward.
MeshData cylinder(Vec3 base, double radius, double height, int sides, int rings, double tilesAround,
                  double tileUp, bool topCap, bool bottomCap);

// An open cone from its apex along dir (any length) with the given base radius; the texture's
// v runs from 0 at the apex to 1 at the rim.
MeshData cone(Vec3 apex, Vec3 dir, double length, double radius, int sides);

// A low sphere, u around and v from top to bottom.
MeshData sphere(Vec3 centre, double radius, int slices, int stacks);

// A closed frame of four bars lying in the plane through centre spanned by the unit axes
// right and up, around an opening of width x height, the bars thickness wide and depth deep
// (along right x up).
MeshData frame(Vec3 centre, Vec3 right, Vec3 up, double width, double height, double thickness, double depth,
               double tile);

MeshData translated(MeshData mesh, Vec3 offset);
// Turned about the vertical line through pivot by angle radians (x toward -z for positive).
MeshData turnedY(MeshData mesh, Vec3 pivot, double angle);

// A point turned by degrees about the line through pivot along axis (right-hand rule, the
// sense in which the show draws a rotation key).
Vec3 turnedAbout(Vec3 point, Vec3 pivot, Vec3 axis, double degrees);

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

// Aborts the generator with a message when a scene breaks one of its own rules; a scene that
// breaks them would load but show something wrong.
void require(bool condition, const std::string& what);

} // namespace pelx::datagen

// The mesh primitives the scene builders are made of: the show's vector type, triangle meshes
// with texture coordinates, the shapes (grids, boxes, cylinders, cones, spheres, frames) and
// the moves and turns that place them, all in the show's y-up world.
#pragma once

#include "platform/vec.h"

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

// A triangle mesh in world coordinates (y up), one texture coordinate pair per vertex.
struct MeshData {
    std::vector<Vec3> positions;
    std::vector<std::array<float, 2>> uvs;
    std::vector<std::array<uint32_t, 3>> faces;

    uint32_t addVertex(Vec3 p, double u, double v);
    void addTriangle(uint32_t a, uint32_t b, uint32_t c) { faces.push_back({a, b, c}); }
    // Corners in order around the quad.
    void addQuad(uint32_t a, uint32_t b, uint32_t c, uint32_t d);
    // The quads of a grid of (columns + 1) x (rows + 1) vertices added row by row from vertex
    // first, each row's vertices in order.
    void addGridQuads(uint32_t first, int columns, int rows);
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

// A mesh's faces reordered so that those on its side toward `out` come first. Where the cameras
// mostly see that side, its faces are drawn first and hide the far side, which is then never
// filled: a box drawn in the other order fills most of its pixels twice.
MeshData nearSideFirst(MeshData mesh, Vec3 out);

// Aborts the generator with a message when a scene breaks one of its own rules; a scene that
// breaks them would load but show something wrong.
void require(bool condition, const std::string& what);

} // namespace pelx::datagen

// Mesh shapes for the scene files: each built in its own local frame and placed in the world.
#include "mesh_shapes.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>

namespace pelx::datagen {

namespace {
constexpr double PI = std::numbers::pi;
} // namespace

double length(Vec3 a) {
    return std::sqrt(dot(a, a));
}
Vec3 normalized(Vec3 a) {
    const double l = length(a);
    return l > 0 ? a * (1.0 / l) : a;
}
Vec3 mix(Vec3 a, Vec3 b, double t) {
    return a + (b - a) * t;
}

void require(bool condition, const std::string& what) {
    if (condition) return;
    std::fprintf(stderr, "pelx-datagen: scene rule broken: %s\n", what.c_str());
    std::exit(EXIT_FAILURE);
}

uint32_t MeshData::addVertex(Vec3 p, double u, double v) {
    positions.push_back(p);
    uvs.push_back({static_cast<float>(u), static_cast<float>(v)});
    return static_cast<uint32_t>(positions.size() - 1);
}

void MeshData::addQuad(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
    addTriangle(a, b, c);
    addTriangle(a, c, d);
}

void MeshData::addGridQuads(uint32_t first, int columns, int rows) {
    const auto row = static_cast<uint32_t>(columns + 1);
    for (int j = 0; j < rows; ++j)
        for (int i = 0; i < columns; ++i) {
            const uint32_t a = first + j * row + i;
            addQuad(a, a + 1, a + 1 + row, a + row);
        }
}

void MeshData::append(const MeshData& other) {
    const auto base = static_cast<uint32_t>(positions.size());
    positions.insert(positions.end(), other.positions.begin(), other.positions.end());
    uvs.insert(uvs.end(), other.uvs.begin(), other.uvs.end());
    for (const auto& f : other.faces) faces.push_back({f[0] + base, f[1] + base, f[2] + base});
}

MeshData grid(Vec3 origin, Vec3 edgeU, Vec3 edgeV, int nu, int nv, double tilesU, double tilesV,
              double offsetU, double offsetV) {
    require(nu >= 1 && nv >= 1, "a grid needs at least one cell");
    MeshData mesh;
    for (int j = 0; j <= nv; ++j)
        for (int i = 0; i <= nu; ++i) {
            const double s = static_cast<double>(i) / nu, t = static_cast<double>(j) / nv;
            // v = 0 at the far end of edgeV: the picture's top row ends up at the top of a wall.
            mesh.addVertex(origin + edgeU * s + edgeV * t, offsetU + tilesU * s,
                           offsetV + tilesV * (1.0 - t));
        }
    mesh.addGridQuads(0, nu, nv);
    return mesh;
}

namespace {

int cellsFor(double extent, double maxCell) {
    return std::max(1, static_cast<int>(std::ceil(extent / maxCell - 1e-9)));
}

// One side of a box as a grid; edgeU points to the right of a viewer outside the box.
void addSide(MeshData& mesh, Vec3 origin, Vec3 edgeU, Vec3 edgeV, double tile, double maxCell) {
    const double lu = length(edgeU), lv = length(edgeV);
    mesh.append(
        grid(origin, edgeU, edgeV, cellsFor(lu, maxCell), cellsFor(lv, maxCell), lu / tile, lv / tile));
}

// Local coordinates (x along ex, y along ey, z along ez) placed at origin.
MeshData placed(MeshData mesh, Vec3 origin, Vec3 ex, Vec3 ey, Vec3 ez) {
    for (Vec3& p : mesh.positions) p = origin + ex * p.x + ey * p.y + ez * p.z;
    return mesh;
}

} // namespace

MeshData box(Vec3 low, Vec3 high, double tile, double maxCell, unsigned faces) {
    const double dx = high.x - low.x, dy = high.y - low.y, dz = high.z - low.z;
    require(dx > 0 && dy > 0 && dz > 0, "a box needs a positive size on every axis");
    MeshData mesh;
    if (faces & BOX_BOTTOM) addSide(mesh, low, {dx, 0, 0}, {0, 0, dz}, tile, maxCell);
    if (faces & BOX_TOP) addSide(mesh, {low.x, high.y, high.z}, {dx, 0, 0}, {0, 0, -dz}, tile, maxCell);
    if (faces & BOX_LEFT) addSide(mesh, low, {0, 0, dz}, {0, dy, 0}, tile, maxCell);
    if (faces & BOX_RIGHT) addSide(mesh, {high.x, low.y, high.z}, {0, 0, -dz}, {0, dy, 0}, tile, maxCell);
    if (faces & BOX_BACK) addSide(mesh, {high.x, low.y, low.z}, {-dx, 0, 0}, {0, dy, 0}, tile, maxCell);
    if (faces & BOX_FRONT) addSide(mesh, {low.x, low.y, high.z}, {dx, 0, 0}, {0, dy, 0}, tile, maxCell);
    return mesh;
}

MeshData cylinder(Vec3 base, double radius, double height, int sides, int rings, double tilesAround,
                  double tileUp, bool topCap, bool bottomCap) {
    require(sides >= 3 && rings >= 1, "a cylinder needs three sides and one ring");
    MeshData mesh;
    for (int j = 0; j <= rings; ++j)
        for (int i = 0; i <= sides; ++i) {
            const double a = 2 * PI * i / sides, y = height * j / rings;
            mesh.addVertex(base + Vec3{radius * std::cos(a), y, radius * std::sin(a)},
                           tilesAround * i / sides, (height - y) / tileUp);
        }
    const auto row = static_cast<uint32_t>(sides + 1);
    for (int j = 0; j < rings; ++j)
        for (int i = 0; i < sides; ++i) {
            const uint32_t a = j * row + i;
            mesh.addQuad(a, a + 1, a + 1 + row, a + row);
        }
    for (int cap = 0; cap < 2; ++cap) {
        if ((cap == 0 && !bottomCap) || (cap == 1 && !topCap)) continue;
        const double y = cap == 0 ? 0 : height;
        const uint32_t centre = mesh.addVertex(base + Vec3{0, y, 0}, 0.5, 0.5);
        const auto first = static_cast<uint32_t>(mesh.positions.size());
        for (int i = 0; i < sides; ++i) {
            const double a = 2 * PI * i / sides;
            mesh.addVertex(base + Vec3{radius * std::cos(a), y, radius * std::sin(a)},
                           0.5 + 0.5 * std::cos(a), 0.5 + 0.5 * std::sin(a));
        }
        for (int i = 0; i < sides; ++i) mesh.addTriangle(centre, first + i, first + (i + 1) % sides);
    }
    return mesh;
}

MeshData cone(Vec3 apex, Vec3 dir, double length, double radius, int sides) {
    require(sides >= 3, "a cone needs three sides");
    const Vec3 axis = normalized(dir);
    const Vec3 helper = std::fabs(axis.y) < 0.9 ? Vec3{0, 1, 0} : Vec3{1, 0, 0};
    const Vec3 side1 = normalized(cross(axis, helper)), side2 = cross(axis, side1);
    MeshData mesh;
    for (int i = 0; i <= sides; ++i) mesh.addVertex(apex, static_cast<double>(i) / sides, 0.0);
    for (int i = 0; i <= sides; ++i) {
        const double a = 2 * PI * i / sides;
        mesh.addVertex(apex + axis * length + (side1 * std::cos(a) + side2 * std::sin(a)) * radius,
                       static_cast<double>(i) / sides, 1.0);
    }
    const auto rim = static_cast<uint32_t>(sides + 1);
    for (int i = 0; i < sides; ++i) mesh.addTriangle(i, rim + i, rim + i + 1);
    return mesh;
}

MeshData sphere(Vec3 centre, double radius, int slices, int stacks) {
    require(slices >= 3 && stacks >= 2, "a sphere needs three slices and two stacks");
    MeshData mesh;
    for (int j = 0; j <= stacks; ++j)
        for (int i = 0; i <= slices; ++i) {
            const double polar = PI * j / stacks, a = 2 * PI * i / slices;
            mesh.addVertex(
                centre + Vec3{std::sin(polar) * std::cos(a), std::cos(polar), std::sin(polar) * std::sin(a)} *
                             radius,
                static_cast<double>(i) / slices, static_cast<double>(j) / stacks);
        }
    const auto row = static_cast<uint32_t>(slices + 1);
    for (int j = 0; j < stacks; ++j)
        for (int i = 0; i < slices; ++i) {
            const uint32_t a = j * row + i;
            if (j > 0) mesh.addTriangle(a, a + 1, a + 1 + row);
            if (j < stacks - 1) mesh.addTriangle(a, a + 1 + row, a + row);
        }
    return mesh;
}

MeshData frame(Vec3 centre, Vec3 right, Vec3 up, double width, double height, double thickness, double depth,
               double tile) {
    const double w = width / 2 + thickness, h = height / 2 + thickness, d = depth / 2;
    MeshData local;
    local.append(box({-w, height / 2, -d}, {w, h, d}, tile));   // top bar
    local.append(box({-w, -h, -d}, {w, -height / 2, d}, tile)); // bottom bar
    local.append(box({-w, -height / 2, -d}, {-width / 2, height / 2, d}, tile, 1e9,
                     BOX_ALL & ~(BOX_TOP | BOX_BOTTOM))); // left
    local.append(box({width / 2, -height / 2, -d}, {w, height / 2, d}, tile, 1e9,
                     BOX_ALL & ~(BOX_TOP | BOX_BOTTOM))); // right
    return placed(local, centre, right, up, cross(right, up));
}

MeshData translated(MeshData mesh, Vec3 offset) {
    for (Vec3& p : mesh.positions) p = p + offset;
    return mesh;
}

MeshData turnedY(MeshData mesh, Vec3 pivot, double angle) {
    const double c = std::cos(angle), s = std::sin(angle);
    for (Vec3& p : mesh.positions) {
        const double x = p.x - pivot.x, z = p.z - pivot.z;
        p.x = pivot.x + c * x + s * z;
        p.z = pivot.z - s * x + c * z;
    }
    return mesh;
}

Vec3 turnedAbout(Vec3 point, Vec3 pivot, Vec3 axis, double degrees) {
    const Vec3 k = normalized(axis), v = point - pivot;
    const double a = degrees * PI / 180.0, c = std::cos(a), s = std::sin(a);
    // Rodrigues' rotation formula.
    return pivot + v * c + cross(k, v) * s + k * (dot(k, v) * (1 - c));
}

MeshData nearSideFirst(MeshData mesh, Vec3 out) {
    auto reach = [&](const std::array<uint32_t, 3>& face) {
        return dot(mesh.positions[face[0]] + mesh.positions[face[1]] + mesh.positions[face[2]], out);
    };
    std::stable_sort(mesh.faces.begin(), mesh.faces.end(),
                     [&](const auto& a, const auto& b) { return reach(a) > reach(b); });
    return mesh;
}

} // namespace pelx::datagen

// The benchmark's rooms, shared with the equivalence test so that the scenes that are timed are
// also the scenes held to the plain algorithm: furniture-sized clouds of vertices, "$" walls
// and eight moving lights in lighting mode 3, generated from a fixed seed.
#pragma once

#include "scene/scene.h"

#include <vector>

namespace pelx::testing {

struct RoomSize {
    int vertices; // in all, shared out among the lit meshes
    int litMeshes;
    int walls; // casters: the lit meshes and the walls
};

// Today's room (10,000 vertices, 30 casters) and larger ones: the floor grows with the casters,
// so that they stand as densely in every room, and the vertices grow faster than either.
inline constexpr RoomSize ROOM_SIZES[] = {
    {10000, 20, 10}, {30000, 37, 18}, {100000, 67, 33}, {300000, 160, 80}};

// Builds the room of that size and bakes it as the loader does, leaving shadowTestMode at 1.
void buildRoom(Scene& scene, const RoomSize& size);

// Where the lights were placed, for moveLights.
std::vector<Vec3d> lightPlaces(const Scene& scene);

// Moves each light to its place on a small circle for that frame.
void moveLights(Scene& scene, const std::vector<Vec3d>& placed, int frame);

} // namespace pelx::testing

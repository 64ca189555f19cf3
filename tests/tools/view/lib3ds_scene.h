// Scenes written by lib3ds, as other 3D tools write them: meshes with their material names as
// texture files, omni lights (no spotlight target, so no range), no camera and no keyframer.
#pragma once

#include <cstring>
#include <string>
#include <vector>

extern "C" {
#include <lib3ds/file.h>
#include <lib3ds/light.h>
#include <lib3ds/mesh.h>
}

namespace pelx::test {

struct Lib3dsQuad {
    std::string name;
    std::string material;
    float corners[4][3]; // 3DS coordinates, z up
};

inline bool writeLib3dsScene(const std::string& path, const std::vector<Lib3dsQuad>& quads, int omniLights) {
    Lib3dsFile* file = lib3ds_file_new();
    for (const Lib3dsQuad& quad : quads) {
        Lib3dsMesh* mesh = lib3ds_mesh_new(quad.name.c_str());
        lib3ds_mesh_new_point_list(mesh, 4);
        lib3ds_mesh_new_texel_list(mesh, 4);
        lib3ds_mesh_new_face_list(mesh, 2);
        const float texels[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
        for (int i = 0; i < 4; ++i) {
            for (int k = 0; k < 3; ++k) mesh->pointL[i].pos[k] = quad.corners[i][k];
            mesh->texelL[i][0] = texels[i][0];
            mesh->texelL[i][1] = texels[i][1];
        }
        const int faces[2][3] = {{0, 1, 2}, {0, 2, 3}};
        for (int f = 0; f < 2; ++f) {
            for (int k = 0; k < 3; ++k) mesh->faceL[f].points[k] = static_cast<Lib3dsWord>(faces[f][k]);
            std::strncpy(mesh->faceL[f].material, quad.material.c_str(), sizeof mesh->faceL[f].material - 1);
        }
        lib3ds_file_insert_mesh(file, mesh);
    }
    for (int n = 0; n < omniLights; ++n) {
        Lib3dsLight* light = lib3ds_light_new(("Omni" + std::to_string(n + 1)).c_str());
        light->spot_light = LIB3DS_FALSE;
        for (int k = 0; k < 3; ++k) light->color[k] = 1;
        light->position[0] = 100.0f * n;
        light->position[2] = 200;
        lib3ds_file_insert_light(file, light);
    }
    const bool saved = lib3ds_file_save(file, path.c_str());
    lib3ds_file_free(file);
    return saved;
}

} // namespace pelx::test

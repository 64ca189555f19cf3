// Files written by lib3ds, an independent 3DS writer, read by our loader: the same vertices
// (after the change to y-up), faces, texture coordinates, material, light and camera.
#include "scene_bytes.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

extern "C" {
#include <lib3ds/camera.h>
#include <lib3ds/file.h>
#include <lib3ds/light.h>
#include <lib3ds/mesh.h>
}

namespace pelx {
namespace {

TEST(Lib3dsCrossCheck, AFileWrittenByLib3dsLoadsWithTheSameContent) {
    const float points[4][3] = {{0, 0, 0}, {2, 0, 0}, {2, 3, 1}, {-1.5f, 0.25f, 7}};
    const uint16_t faces[2][3] = {{0, 1, 2}, {0, 2, 3}};
    const float texels[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0.5f, -2}};

    Lib3dsFile* file = lib3ds_file_new();
    Lib3dsMesh* mesh = lib3ds_mesh_new("plate");
    lib3ds_mesh_new_point_list(mesh, 4);
    lib3ds_mesh_new_texel_list(mesh, 4);
    lib3ds_mesh_new_face_list(mesh, 2);
    for (int i = 0; i < 4; ++i) {
        for (int k = 0; k < 3; ++k) mesh->pointL[i].pos[k] = points[i][k];
        mesh->texelL[i][0] = texels[i][0];
        mesh->texelL[i][1] = texels[i][1];
    }
    for (int f = 0; f < 2; ++f) {
        for (int k = 0; k < 3; ++k) mesh->faceL[f].points[k] = faces[f][k];
        std::strcpy(mesh->faceL[f].material, "data/tile.jpg");
    }
    lib3ds_file_insert_mesh(file, mesh);

    Lib3dsLight* light = lib3ds_light_new("&key");
    light->spot_light = LIB3DS_TRUE;
    light->color[0] = 0.75f;
    light->color[1] = 0.5f;
    light->color[2] = 0.25f;
    const float at[3] = {1, 2, 3}, spot[3] = {4, 6, 3};
    for (int k = 0; k < 3; ++k) {
        light->position[k] = at[k];
        light->spot[k] = spot[k];
    }
    light->hot_spot = 30;
    light->fall_off = 45;
    lib3ds_file_insert_light(file, light);

    Lib3dsCamera* camera = lib3ds_camera_new("view");
    const float eye[3] = {0, -10, 2}, target[3] = {1, 1, 1};
    for (int k = 0; k < 3; ++k) {
        camera->position[k] = eye[k];
        camera->target[k] = target[k];
    }
    camera->fov = 45;
    lib3ds_file_insert_camera(file, camera);

    test::TempDir dir;
    const std::string path = dir.file("lib3ds.3ds");
    ASSERT_TRUE(lib3ds_file_save(file, path.c_str()));
    lib3ds_file_free(file);

    test::ScopedRecordedTextures textures;
    Scene scene;
    ASSERT_TRUE(loadScene(scene, path.c_str(), 2));
    test::expectConsistent(scene, "lib3ds file");
    SceneObject* plate = findObject(scene, "plate");
    SceneObject* key = findObject(scene, "&key");
    SceneObject* view = findObject(scene, "view");
    ASSERT_TRUE(plate && key && view);
    EXPECT_EQ(scene.objectCount, 3);

    EXPECT_EQ(plate->kind, KIND_MESH);
    ASSERT_EQ(plate->vertexCount, 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(plate->vertices[size_t(i)].x, points[i][0]) << i;
        EXPECT_EQ(plate->vertices[size_t(i)].y, points[i][2]) << i;
        EXPECT_EQ(plate->vertices[size_t(i)].z, -points[i][1]) << i;
    }
    ASSERT_EQ(plate->faceCount, 2);
    for (int f = 0; f < 2; ++f) {
        EXPECT_EQ(plate->faces[size_t(f)].a, faces[f][0]);
        EXPECT_EQ(plate->faces[size_t(f)].b, faces[f][1]);
        EXPECT_EQ(plate->faces[size_t(f)].c, faces[f][2]);
    }
    ASSERT_EQ(plate->texCoordCount, 4);
    EXPECT_EQ(plate->texCoords[3].u, 0.5f);
    EXPECT_EQ(plate->texCoords[3].v, -2.0f);
    EXPECT_EQ(scene.materialCount, 1);
    EXPECT_STREQ(scene.materials[0].name, "data/tile.jpg");
    EXPECT_EQ(plate->materialIndex, 0);
    EXPECT_FLOAT_EQ(plate->boundsMin.z, -3);
    EXPECT_FLOAT_EQ(plate->boundsMax.y, 7);

    EXPECT_EQ(key->kind, KIND_LIGHT);
    EXPECT_EQ(key->light.color, (Vec3f{0.75f, 0.5f, 0.25f}));
    EXPECT_EQ(key->position, (Vec3d{1, 3, -2}));
    EXPECT_FLOAT_EQ(key->light.range, 5) << "target (4, 6, 3) is 5 from (1, 2, 3)";
    EXPECT_EQ(key->light.tag, '&');

    EXPECT_EQ(view->kind, KIND_CAMERA);
    EXPECT_EQ(view->eye, (Vec3d{0, 2, 10}));
    EXPECT_EQ(view->target, (Vec3d{1, 1, -1}));
    EXPECT_EQ(scene.cameraCount, 1);
    EXPECT_EQ(scene.frameCount, 0) << "no keyframer: no eye keys";
}

} // namespace
} // namespace pelx

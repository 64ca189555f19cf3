// Mesh and material chunks: vertices with bounds and section rectangles, faces and texture
// coordinates kept as stored, counts bounded by their chunk, and the material table.
#include "scene_bytes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pelx {
namespace {

using test::Chunk;

Chunk vertexList(const std::vector<float>& xyz, int storedCount = -1) {
    Chunk list(0x4110);
    list.u16(static_cast<uint16_t>(storedCount >= 0 ? storedCount : int(xyz.size() / 3)));
    for (float v : xyz) list.f32(v);
    return list;
}

Chunk meshOf(const std::string& name, const std::vector<Chunk>& parts) {
    Chunk mesh(0x4100);
    for (const Chunk& part : parts) mesh.child(part);
    return Chunk(0x4000).str(name).child(mesh);
}

Chunk facesWithMaterials(const std::vector<std::string>& materials) {
    Chunk faces(0x4120);
    faces.u16(1).u16(0).u16(1).u16(2).u16(7);
    for (const std::string& m : materials) faces.child(Chunk(0x4130).str(m).u16(1).u16(0));
    return faces;
}

void expectCorners(const Vec3f (&got)[4], const std::vector<Vec3f>& expected, const char* what) {
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(got[i].x, expected[size_t(i)].x) << what << " corner " << i;
        EXPECT_FLOAT_EQ(got[i].y, expected[size_t(i)].y) << what << " corner " << i;
        EXPECT_FLOAT_EQ(got[i].z, expected[size_t(i)].z) << what << " corner " << i;
    }
}

TEST(MeshChunks, BoundsAndSectionsFollowTheYUpVertices) {
    struct Case {
        const char* what;
        std::vector<float> stored; // file coordinates
        Vec3f min, max;
        char shadow; // 'Z' or 'X'
    };
    const Case cases[] = {
        {"one vertex", {1, 2, 3}, {1, 3, -2}, {1, 3, -2}, 'X'},
        {"longest along x", {0, 0, 0, 4, 2, 1}, {0, 0, -2}, {4, 1, 0}, 'Z'},
        {"flat, deeper than wide", {0, 0, 5, 2, -3, 5}, {0, 5, 0}, {2, 5, 3}, 'X'},
        {"flat, width equal to depth", {0, 0, 0, 2, -2, 0}, {0, 0, 0}, {2, 0, 2}, 'X'},
        {"flat, wider than deep", {0, 0, 0, 3, -2, 0}, {0, 0, 0}, {3, 0, 2}, 'Z'},
        {"taller than wide", {0, 0, 0, 2, 0, 5}, {0, 0, 0}, {2, 5, 0}, 'X'},
    };
    for (const Case& c : cases) {
        Scene scene;
        ASSERT_TRUE(
            test::loadBytes(scene, test::fileOf({test::editorOf({meshOf("m", {vertexList(c.stored)})})}), 0));
        EXPECT_EQ(scene.kind, KIND_MESH) << c.what;
        EXPECT_EQ(scene.vertexCount, c.stored.size() / 3) << c.what;
        EXPECT_FLOAT_EQ(scene.boundsMin.x, c.min.x) << c.what;
        EXPECT_FLOAT_EQ(scene.boundsMin.y, c.min.y) << c.what;
        EXPECT_FLOAT_EQ(scene.boundsMin.z, c.min.z) << c.what;
        EXPECT_FLOAT_EQ(scene.boundsMax.x, c.max.x) << c.what;
        EXPECT_FLOAT_EQ(scene.boundsMax.y, c.max.y) << c.what;
        EXPECT_FLOAT_EQ(scene.boundsMax.z, c.max.z) << c.what;
        const Vec3f(&chosen)[4] = c.shadow == 'Z' ? scene.sectionZ : scene.sectionX;
        for (int i = 0; i < 4; ++i) EXPECT_EQ(scene.shadowSection[i], chosen[i]) << c.what;
    }
}

TEST(MeshChunks, SectionCornersOfABox) {
    Scene scene;
    // Stored (0,0,0) and (4,2,1) become (0,0,0) and (4,1,-2).
    ASSERT_TRUE(test::loadBytes(
        scene, test::fileOf({test::editorOf({meshOf("m", {vertexList({0, 0, 0, 4, 2, 1})})})}), 0));
    expectCorners(scene.sectionZ, {{0, 0, -1}, {4, 0, -1}, {4, 1, -1}, {0, 1, -1}}, "z");
    expectCorners(scene.sectionX, {{2, 0, -2}, {2, 0, 0}, {2, 1, 0}, {2, 1, -2}}, "x");
    expectCorners(scene.sectionY, {{0, 0.5f, -2}, {4, 0.5f, -2}, {4, 0.5f, 0}, {0, 0.5f, 0}}, "y");
    expectCorners(scene.shadowSection, {{0, 0, -1}, {4, 0, -1}, {4, 1, -1}, {0, 1, -1}}, "shadow");
    ASSERT_EQ(scene.vertices.size(), 2u);
    EXPECT_EQ(scene.vertices[1].x, 4.0);
    EXPECT_EQ(scene.vertices[1].y, 1.0);
    EXPECT_EQ(scene.vertices[1].z, -2.0);
}

TEST(MeshChunks, VertexColoursStartWhite) {
    Scene scene;
    // "$" meshes are never lit per frame, and lighting mode 0 lights nothing.
    ASSERT_TRUE(test::loadBytes(
        scene, test::fileOf({test::editorOf({meshOf("$sky", {vertexList({0, 0, 0, 1, 1, 1})})})}), 0));
    ASSERT_EQ(scene.vertexColors.size(), 2u);
    for (const Vec3f& c : scene.vertexColors) EXPECT_EQ(c, (Vec3f{1, 1, 1}));
    for (const Vec3f& c : scene.baseColors) EXPECT_EQ(c, (Vec3f{1, 1, 1}));
}

TEST(MeshChunks, FacesAndCoordinatesAreKeptAsStored) {
    Chunk faces(0x4120);
    faces.u16(2).u16(0).u16(1).u16(2).u16(3).u16(1).u16(2).u16(9).u16(0x8000); // 9 is past the vertices
    Chunk uv(0x4140);
    uv.u16(1).f32(0.25f).f32(-2);
    Scene scene;
    ASSERT_TRUE(test::loadBytes(
        scene,
        test::fileOf({test::editorOf({meshOf("m", {vertexList({0, 0, 0, 1, 0, 0, 0, 1, 0}), faces, uv})})}),
        0));
    ASSERT_EQ(scene.faceCount, 2);
    EXPECT_EQ(scene.faces[1].c, 9);
    EXPECT_EQ(scene.faces[1].flags, 0x8000);
    EXPECT_EQ(scene.faces[0].flags, 3);
    EXPECT_TRUE(faceIsDrawable(scene, scene.faces[0]));
    EXPECT_FALSE(faceIsDrawable(scene, scene.faces[1]));
    EXPECT_EQ(scene.texCoordCount, 1);
    EXPECT_EQ(scene.texCoords[0].u, 0.25f);
    EXPECT_EQ(scene.texCoords[0].v, -2.0f) << "no flip";
    EXPECT_EQ(texCoordAt(scene, 2).u, 0.0f);
}

TEST(MeshChunks, CountsAreBoundedByTheirChunk) {
    struct Case {
        const char* what;
        Chunk part;
        uint16_t SceneObject::*count;
        uint16_t expected;
    };
    Chunk faces(0x4120);
    faces.u16(65535).u16(0).u16(1).u16(2).u16(0);
    Chunk uv(0x4140);
    uv.u16(40000).f32(1).f32(2).f32(3).f32(4).u16(5); // two pairs and two stray bytes
    const Case cases[] = {
        {"vertices", vertexList({1, 2, 3, 4, 5, 6}, 1000), &SceneObject::vertexCount, 2},
        {"faces", faces, &SceneObject::faceCount, 1},
        {"texture coordinates", uv, &SceneObject::texCoordCount, 2},
        {"a vertex list without its count", Chunk(0x4110), &SceneObject::vertexCount, 0},
    };
    for (const Case& c : cases) {
        Scene scene;
        ASSERT_TRUE(test::loadBytes(scene, test::fileOf({test::editorOf({meshOf("m", {c.part})})}), 0));
        EXPECT_EQ(scene.*c.count, c.expected) << c.what;
        EXPECT_EQ(scene.vertices.size(), scene.vertexCount) << c.what;
        EXPECT_EQ(scene.vertexColors.size(), scene.vertexCount) << c.what;
        EXPECT_EQ(scene.faces.size(), scene.faceCount) << c.what;
        EXPECT_EQ(scene.texCoords.size(), scene.texCoordCount) << c.what;
    }
}

TEST(MeshChunks, MaterialNamesSelectTexturesOrMirrors) {
    struct Case {
        const char* what;
        std::vector<std::string> materials; // face material chunks of one mesh, in order
        bool mirror;
        int32_t materialIndex;
        int32_t mirrorCount;
        std::vector<std::string> recorded; // texture requests: a path, or "" for a blank texture
    };
    const Case cases[] = {
        {"texture", {"data/brick.jpg"}, false, 0, 0, {"data/brick.jpg"}},
        {"mirror", {"mirror"}, true, 0, 1, {""}},
        {"mirr alone", {"mirr"}, true, 0, 1, {""}},
        {"upper-case Mirror is a texture", {"Mirror"}, false, 0, 0, {"Mirror"}},
        {"no face material list", {}, false, 0, 0, {}},
        {"the last of several decides", {"mirror", "data/a.jpg"}, false, 0, 1, {"", "data/a.jpg"}},
        {"every mirror chunk counts, one render texture serves them",
         {"data/a.jpg", "mirr1", "mirr2", "mirr3"},
         true,
         0,
         3,
         {"data/a.jpg", ""}},
        {"a mirror again after a texture keeps its render texture",
         {"mirr1", "data/a.jpg", "mirr2"},
         true,
         0,
         2,
         {"", "data/a.jpg"}},
    };
    for (const Case& c : cases) {
        test::ScopedRecordedTextures textures;
        Scene scene;
        Chunk mesh = meshOf("m", {vertexList({0, 0, 0}), facesWithMaterials(c.materials)});
        ASSERT_TRUE(test::loadBytes(scene, test::fileOf({test::editorOf({mesh})}), 0));
        EXPECT_EQ(bool(scene.isMirror), c.mirror) << c.what;
        EXPECT_EQ(scene.materialIndex, c.materialIndex) << c.what;
        EXPECT_EQ(scene.mirrorCount, c.mirrorCount) << c.what;
        std::vector<std::string> recorded;
        for (const auto& entry : textures.backend.entries()) {
            recorded.push_back(entry.path);
            if (entry.path.empty()) {
                EXPECT_EQ(entry.edge, 512) << c.what;
            }
        }
        EXPECT_EQ(recorded, c.recorded) << c.what;
        if (c.mirror) {
            EXPECT_NE(scene.mirrorTexture, 0u) << c.what;
        }
    }
}

// Remembers every blank texture request with all its arguments.
class BlankTextureRequests : public TextureBackend {
  public:
    struct Request {
        int edge, components;
        uint32_t format;
        int index;
    };
    std::vector<Request> blanks;
    int loads = 0;
    void loadTexture(TextureId* slots, const char*, int index) override {
        ++loads;
        slots[index] = 5;
    }
    void createBlankTexture(TextureId* slots, int edge, int components, uint32_t format, int index) override {
        blanks.push_back({edge, components, format, index});
        slots[index] = 9;
    }
};

TEST(MeshChunks, AMirrorGetsA512SquareRgbRenderTexture) {
    BlankTextureRequests backend;
    ScopedTextureBackend installed(&backend);
    Scene scene;
    const bool loaded = test::loadBytes(
        scene,
        test::fileOf(
            {test::editorOf({meshOf("m", {vertexList({0, 0, 0}), facesWithMaterials({"mirror"})})})}),
        0);
    ASSERT_TRUE(loaded);
    ASSERT_EQ(backend.blanks.size(), 1u);
    EXPECT_EQ(backend.blanks[0].edge, 512);
    EXPECT_EQ(backend.blanks[0].components, 3);
    EXPECT_EQ(backend.blanks[0].format, 0x1907u) << "GL_RGB";
    EXPECT_EQ(backend.blanks[0].index, 0);
    EXPECT_EQ(backend.loads, 0) << "a mirror material names no picture";
    EXPECT_EQ(scene.mirrorTexture, 9u);
    EXPECT_EQ(scene.materialCount, 0);
}

TEST(MeshChunks, MeshesSharingAMaterialShareOneEntry) {
    test::ScopedRecordedTextures textures;
    Scene scene;
    std::vector<Chunk> objects;
    for (const char* m : {"data/a.jpg", "data/b.jpg", "data/a.jpg"})
        objects.push_back(meshOf("m", {vertexList({0, 0, 0}), facesWithMaterials({m})}));
    ASSERT_TRUE(test::loadBytes(scene, test::fileOf({test::editorOf(objects)}), 0));
    EXPECT_EQ(scene.materialCount, 2);
    EXPECT_EQ(textures.backend.entries().size(), 2u) << "each texture is loaded once";
    EXPECT_STREQ(scene.materials[0].name, "data/a.jpg");
    EXPECT_STREQ(scene.materials[1].name, "data/b.jpg");
    EXPECT_EQ(scene.materials[1].texture, textures.backend.entries()[1].id);
    EXPECT_EQ(test::objectAt(scene, 2)->materialIndex, 0);
    EXPECT_EQ(test::objectAt(scene, 1)->materialIndex, 1);
}

TEST(MeshChunks, AFullMaterialTableBindsNoTexture) {
    test::ScopedRecordedTextures textures;
    Scene scene;
    std::vector<Chunk> objects;
    for (int i = 0; i <= MAX_MATERIALS; ++i)
        objects.push_back(
            meshOf("m" + std::to_string(i),
                   {vertexList({0, 0, 0}), facesWithMaterials({"t" + std::to_string(i) + ".jpg"})}));
    objects.push_back(meshOf("again", {vertexList({0, 0, 0}), facesWithMaterials({"t7.jpg"})}));
    ASSERT_TRUE(test::loadBytes(scene, test::fileOf({test::editorOf(objects)}), 0));
    EXPECT_EQ(scene.materialCount, MAX_MATERIALS);
    EXPECT_EQ(textures.backend.entries().size(), size_t(MAX_MATERIALS));
    EXPECT_EQ(test::objectAt(scene, MAX_MATERIALS - 1)->materialIndex, MAX_MATERIALS - 1);
    SceneObject* overflow = test::objectAt(scene, MAX_MATERIALS);
    EXPECT_EQ(overflow->materialIndex, MATERIAL_NONE);
    EXPECT_EQ(materialAt(scene, overflow->materialIndex), nullptr);
    EXPECT_EQ(test::objectAt(scene, MAX_MATERIALS + 1)->materialIndex, 7) << "known names are still found";
}

TEST(MeshChunks, A256ByteMaterialNameIsItsWholePath) {
    test::ScopedRecordedTextures textures;
    const std::string longName(256, 'p');
    Chunk faces(0x4120);
    faces.u16(0).child(Chunk(0x4130).raw(std::vector<uint8_t>(longName.begin(), longName.end())).u16(0));
    Scene scene;
    ASSERT_TRUE(test::loadBytes(scene, test::fileOf({test::editorOf({meshOf("m", {faces})})}), 0));
    ASSERT_EQ(textures.backend.entries().size(), 1u);
    EXPECT_EQ(textures.backend.entries()[0].path, longName);
    EXPECT_EQ(std::string(scene.materials[0].name, MATERIAL_NAME_SIZE), longName);
}

} // namespace
} // namespace pelx

// Triangle-mesh chunks: vertices with their bounds and section rectangles, faces, the mesh's
// one material (its texture's path, or a mirror), and texture coordinates.
#include "scene3ds/chunk_handlers.h"

#include "image/texture.h"
#include "platform/message.h"
#include "scene/name_marks.h"

#include <cstring>
#include <new>

namespace pelx {

namespace {

constexpr uint32_t VERTEX_SIZE = 12;  // three f32
constexpr uint32_t FACE_SIZE = 8;     // three u16 indices and u16 flags
constexpr uint32_t TEXCOORD_SIZE = 8; // two f32
constexpr int MIRROR_TEXTURE_EDGE = 512;
constexpr uint32_t PIXEL_FORMAT_RGB = 0x1907; // GL_RGB, without pulling OpenGL into the loader
constexpr const char* MESSAGE_CAPTION = "-=(ERROR)=-";

} // namespace

void readMesh(Scene& scene, const ChunkHeader& header) {
    scene.current->kind = KIND_MESH;
    walkChildren(scene, header,
                 {{CHUNK_VERTICELIST, "      +--CHUNK_VERTICELIST\n", readVertices},
                  {CHUNK_FACELIST, "      +--CHUNK_FACELIST\n", readFaces},
                  {CHUNK_MAPPINGCOORDINATELIST, "      +--CHUNK_MAPPINGCOORDINATELIST\n", readTexCoords}});
}

void readVertices(Scene& scene, const ChunkHeader& header) {
    SceneObject& object = *scene.current;
    // Never believe a count beyond what the chunk can hold.
    uint32_t count = clampCount(scene, header, readU16(scene), VERTEX_SIZE);
    try {
        object.vertices.assign(count, Vec3d{});
        // White until the lighting writes them, so unlit meshes and "$" meshes have a colour.
        object.vertexColors.assign(count, Vec3f{1, 1, 1});
        object.baseColors.assign(count, Vec3f{1, 1, 1});
    } catch (const std::bad_alloc&) {
        object.vertices = {};
        object.vertexColors = {};
        object.baseColors = {};
        object.vertexCount = 0;
        showMessage("Cannot alloc memory for vertex", MESSAGE_CAPTION);
        return;
    }
    object.vertexCount = static_cast<uint16_t>(count);
    for (uint32_t i = 0; i < count; ++i) {
        Vec3d v = readVector(scene);
        object.vertices[i] = v;
        Vec3f f{float(v.x), float(v.y), float(v.z)};
        if (i == 0) {
            object.boundsMin = f;
            object.boundsMax = f;
            continue;
        }
        if (object.boundsMin.x > f.x) object.boundsMin.x = f.x;
        if (object.boundsMax.x < f.x) object.boundsMax.x = f.x;
        if (object.boundsMin.y > f.y) object.boundsMin.y = f.y;
        if (object.boundsMax.y < f.y) object.boundsMax.y = f.y;
        if (object.boundsMin.z > f.z) object.boundsMin.z = f.z;
        if (object.boundsMax.z < f.z) object.boundsMax.z = f.z;
    }
    skipChunk(scene, header);
    computeSections(object);
}

void computeSections(SceneObject& object) {
    const Vec3f lo = object.boundsMin;
    const Vec3f hi = object.boundsMax;
    const Vec3f mid{lo.x + (hi.x - lo.x) / 2, lo.y + (hi.y - lo.y) / 2, lo.z + (hi.z - lo.z) / 2};
    const Vec3f sectionZ[4] = {
        {lo.x, lo.y, mid.z}, {hi.x, lo.y, mid.z}, {hi.x, hi.y, mid.z}, {lo.x, hi.y, mid.z}};
    const Vec3f sectionX[4] = {
        {mid.x, lo.y, lo.z}, {mid.x, lo.y, hi.z}, {mid.x, hi.y, hi.z}, {mid.x, hi.y, lo.z}};
    const Vec3f sectionY[4] = {
        {lo.x, mid.y, lo.z}, {hi.x, mid.y, lo.z}, {hi.x, mid.y, hi.z}, {lo.x, mid.y, hi.z}};
    float dx = hi.x - lo.x;
    float dy = hi.y - lo.y;
    float dz = hi.z - lo.z;
    // A box longest along x is best represented by its horizontal cut; ties go to the x cut.
    const Vec3f* chosen = dx > dy && dx > dz ? sectionZ : sectionX;
    for (int i = 0; i < 4; ++i) {
        object.sectionZ[i] = sectionZ[i];
        object.sectionX[i] = sectionX[i];
        object.sectionY[i] = sectionY[i];
        object.shadowSection[i] = chosen[i];
    }
}

void readFaces(Scene& scene, const ChunkHeader& header) {
    SceneObject& object = *scene.current;
    uint32_t count = clampCount(scene, header, readU16(scene), FACE_SIZE);
    object.faces.assign(count, Face{});
    object.faceCount = static_cast<uint16_t>(count);
    // Indices are kept as stored, even past vertexCount: faceIsDrawable guards the passes.
    for (Face& face : object.faces) {
        auto indices = readFaceIndices(scene);
        face.a = indices[0];
        face.b = indices[1];
        face.c = indices[2];
        face.flags = readU16(scene);
    }
    walkChildren(scene, header,
                 {{CHUNK_FACEMATERIALLIST, "         +--CHUNK_FACEMATERIALLIST\n", readMaterial}});
}

void readMaterial(Scene& scene, const ChunkHeader&) {
    SceneObject& object = *scene.current;
    // One byte longer than the stored name so an unterminated 256-byte name is still a path.
    char name[MATERIAL_NAME_SIZE + 1] = {};
    readName(scene, name, MATERIAL_NAME_SIZE);

    if (isMirrorMaterial(name)) {
        scene.mirrorCount += 1;
        object.isMirror = 1;
        // Every "mirr" chunk counts, but a mesh needs only one render texture: a file repeating
        // the chunk must not make a 768 KB texture out of every 6 bytes.
        if (object.mirrorTexture == 0) {
            createBlankTexture(&object.mirrorTexture, MIRROR_TEXTURE_EDGE, 3, PIXEL_FORMAT_RGB, 0);
        }
        return;
    }
    object.isMirror = 0;
    for (int k = 0; k < scene.materialCount; ++k) {
        if (std::strncmp(scene.materials[k].name, name, MATERIAL_NAME_SIZE) == 0) {
            object.materialIndex = k;
            return;
        }
    }
    if (scene.materialCount >= MAX_MATERIALS) {
        // The table is full: the mesh is drawn without a texture rather than with another's.
        object.materialIndex = MATERIAL_NONE;
        return;
    }
    Material& entry = scene.materials[scene.materialCount];
    loadTexture(&entry.texture, name, 0);
    std::memcpy(entry.name, name, MATERIAL_NAME_SIZE);
    object.materialIndex = scene.materialCount;
    scene.materialCount += 1;
}

void readTexCoords(Scene& scene, const ChunkHeader& header) {
    SceneObject& object = *scene.current;
    uint32_t count = clampCount(scene, header, readU16(scene), TEXCOORD_SIZE);
    try {
        object.texCoords.assign(count, TexCoord{});
    } catch (const std::bad_alloc&) {
        object.texCoords = {};
        object.texCoordCount = 0;
        showMessage("Cannot alloc memory for mapping coordinate", MESSAGE_CAPTION);
        return;
    }
    object.texCoordCount = static_cast<uint16_t>(count);
    for (TexCoord& pair : object.texCoords) {
        pair.u = readF32(scene);
        pair.v = readF32(scene);
    }
    skipChunk(scene, header);
}

} // namespace pelx

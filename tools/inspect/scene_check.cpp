// The content check: loads a scene as the show does (lighting mode 3) and reports what
// would make it play wrongly or not at all. Errors lose data or break the show; warnings
// point at content that plays but probably not as meant.
#include "inspect.h"

#include "image/texture.h"
#include "scene/name_marks.h"
#include "scene3ds/byte_source.h"
#include "scene3ds/chunk_handlers.h"
#include "scene3ds/scene_loader.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <jpeglib.h>
#include <map>

namespace pelx::inspect {

namespace {

std::string nameOf(const SceneObject& object) {
    return std::string(object.name, strnlen(object.name, OBJECT_NAME_SIZE));
}

// ---- keyframer survey: what the node blocks hold, including the ones the loader skips ----

struct NodeSurvey {
    uint16_t id = 0;
    std::string name;
    bool named = false;
    bool trackBeforeName = false;
    uint32_t positionKeys = 0;
    uint32_t rotationKeys = 0;
};

uint32_t trackKeyCount(Scene& reader, const ChunkHeader& track) {
    for (int i = 0; i < 5; ++i) readU16(reader);
    // The smallest key is 18 bytes (frame, flags, three floats): what the chunk can hold.
    return clampCount(reader, track, readU32(reader), 18);
}

std::vector<NodeSurvey> surveyKeyframer(const char* path) {
    std::vector<NodeSurvey> nodes;
    FileByteSource source;
    if (!source.open(path) || source.size() < CHUNK_HEADER_SIZE || source.size() > uint64_t(INT32_MAX))
        return nodes;
    Scene reader;
    reader.file = &source;
    ChunkHeader main = readChunkHeader(reader);
    if (main.id != CHUNK_MAIN) return nodes;
    if (uint64_t(main.length) > source.size()) main.end = static_cast<uint32_t>(source.size());
    const std::initializer_list<ChildChunk> nodeIds = {{CHUNK_OBJETINFOBLOCK, nullptr},
                                                       {CHUNK_CAMERAINFOBLOCK, nullptr},
                                                       {CHUNK_CAMERATARGETINFOBLOCK, nullptr},
                                                       {CHUNK_LIGHTINFOBLOCK, nullptr},
                                                       {CHUNK_SPOTLIGHTINFOBLOCK, nullptr}};
    walkChildren(reader, main, {{CHUNK_KEYFRAMER, nullptr}}, [&](const ChunkHeader& keyframer) {
        walkChildren(reader, keyframer, nodeIds, [&](const ChunkHeader& node) {
            NodeSurvey survey;
            survey.id = node.id;
            walkChildren(
                reader, node,
                {{CHUNK_OBJETNAME, nullptr}, {CHUNK_POSITIONTRACK, nullptr}, {CHUNK_ROTATIONTRACK, nullptr}},
                [&](const ChunkHeader& child) {
                    if (child.id == CHUNK_OBJETNAME) {
                        char name[OBJECT_NAME_SIZE];
                        readName(reader, name);
                        survey.name.assign(name, strnlen(name, OBJECT_NAME_SIZE));
                        survey.named = true;
                        return;
                    }
                    if (!survey.named) survey.trackBeforeName = true;
                    uint32_t keys = trackKeyCount(reader, child);
                    (child.id == CHUNK_POSITIONTRACK ? survey.positionKeys : survey.rotationKeys) = keys;
                });
            nodes.push_back(survey);
        });
    });
    reader.file = nullptr;
    return nodes;
}

// ---- material pictures ----

struct HeaderErrors {
    jpeg_error_mgr standard;
    std::jmp_buf recover;
};

void leaveHeaderRead(j_common_ptr info) {
    std::longjmp(reinterpret_cast<HeaderErrors*>(info->err)->recover, 1);
}
void quiet(j_common_ptr) {}

// Components stored in a JPEG file's frame header, 0 when libjpeg cannot read the header.
int jpegComponents(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return 0;
    jpeg_decompress_struct info{};
    HeaderErrors errors{};
    int components = 0;
    info.err = jpeg_std_error(&errors.standard);
    errors.standard.error_exit = leaveHeaderRead;
    errors.standard.output_message = quiet;
    jpeg_create_decompress(&info);
    if (setjmp(errors.recover) == 0) {
        jpeg_stdio_src(&info, file);
        jpeg_read_header(&info, TRUE);
        components = info.num_components;
    }
    jpeg_destroy_decompress(&info);
    std::fclose(file);
    return components;
}

} // namespace

std::vector<Finding> checkScene(const char* path) {
    std::vector<Finding> findings;
    auto error = [&](const std::string& object, const std::string& message) {
        findings.push_back({Severity::error, true, object, message});
    };
    auto warning = [&](const std::string& object, const std::string& message) {
        findings.push_back({Severity::warning, true, object, message});
    };
    auto fileError = [&](const std::string& message) {
        findings.push_back({Severity::error, false, "", message});
    };

    // Load as the show does, watching the walk for damage and for the order of the blocks.
    RecordingTextureBackend textures;
    installTextureBackend(&textures);
    ChunkTrace trace;
    std::vector<uint16_t> topLevel;
    int namedObjects = 0;
    trace.chunks = [&](const ChunkVisit& visit) {
        if (visit.depth == 1 && visit.problem != ChunkProblem::stray) topLevel.push_back(visit.header.id);
        if (visit.recognised && visit.header.id == CHUNK_OBJETBLOCK) ++namedObjects;
        if (visit.problem == ChunkProblem::none) return;
        char text[160];
        const char* what =
            visit.problem == ChunkProblem::tooShort ? "has a length below 6; the rest of its parent is lost"
            : visit.problem == ChunkProblem::pastParent
                ? "reaches past its parent; what follows in the parent is lost"
            : visit.problem == ChunkProblem::pastFile ? "reaches past the end of the file (cut short?)"
                                                      : "leaves stray bytes too few for a chunk";
        std::snprintf(text, sizeof text, "damaged chunk %04X at offset %d %s", visit.header.id,
                      visit.header.start, what);
        fileError(text);
    };
    Scene scene;
    scene.shadowFactor = 0.1f;
    scene.translucentShadowFactor = 0.4f;
    scene.trace = &trace;
    const bool loaded = loadScene(scene, path, 3);
    scene.trace = nullptr;
    installTextureBackend(nullptr);
    if (!loaded) {
        const std::string problem = fileProblem(path);
        fileError(problem.empty() ? NOT_A_SCENE : problem);
        return findings;
    }

    // Block order: the keyframer finds its objects by name, so it must follow the editor.
    for (uint16_t id : topLevel) {
        if (id == CHUNK_3DEDITORCHUNK) break;
        if (id == CHUNK_KEYFRAMER) {
            fileError(
                "the keyframer block comes before any editor block: its tracks find no objects and are lost");
            break;
        }
    }
    if (namedObjects > scene.objectCount)
        fileError(std::to_string(namedObjects - scene.objectCount) + " named objects past the " +
                  std::to_string(MAX_OBJECTS) + " a scene can hold are lost");

    std::vector<SceneObject*> objects;
    resetCursor(scene);
    for (int i = 0; i < scene.objectCount; ++i, nextObject(scene)) objects.push_back(scene.current);
    resetCursor(scene);

    // Cameras: the show plays them in order and ends with the last one's last eye key.
    if (scene.cameraCount == 0) {
        fileError("no camera: the scene has nothing to look through and no frames to play");
    } else {
        const SceneObject& last = *scene.cameras[size_t(scene.cameraCount - 1)];
        if (last.positionTrack.keyCount == 0)
            error(nameOf(last), "the last camera has no eye keys: the scene has no frames to play");
    }
    int camerasSeen = 0;
    int carriersSeen = 0;
    int mirrorMeshes = 0;
    const std::vector<NodeSurvey> nodes = surveyKeyframer(path);

    for (SceneObject* object : objects) {
        const std::string name = nameOf(*object);
        if (object->kind == KIND_CAMERA && ++camerasSeen > MAX_CAMERAS)
            error(name, "camera past the " + std::to_string(MAX_CAMERAS) + " a scene can play: never used");

        if (isFlareCarrier(*object)) {
            if (object->kind != KIND_MESH) {
                warning(name, "marked as a flare carrier (\"*\") but not a mesh: it carries no flares");
            } else {
                if (++carriersSeen > MAX_EMITTERS)
                    error(name, "flare carrier past the " + std::to_string(MAX_EMITTERS) +
                                    " emitters a scene can hold: no flares");
                if (!hasFlareKind(*object))
                    warning(
                        name,
                        "flare carrier without a kind digit 0-3 as its second character: it emits as kind 0");
            }
        }

        if (object->kind == KIND_LIGHT) {
            bool inTable = false;
            for (int i = 0; i < scene.lightCount; ++i)
                inTable = inTable || scene.lights[size_t(i)] == &object->light;
            if (!inTable)
                error(name, "light past the " + std::to_string(MAX_LIGHTS) +
                                " a scene can hold: it lights nothing");
            const bool staticLight = isStaticLight(object->light);
            if (!(object->light.range > 0)) {
                warning(name, "no spotlight target (range 0): it lights nothing");
            } else if (!staticLight && !object->light.moving && !scene.hasMovingMesh) {
                warning(name, "neither static (\"&\") nor moving, and no mesh moves: it lights nothing");
            }
            if (!object->light.moving) {
                for (const NodeSurvey& node : nodes)
                    if (node.id == CHUNK_LIGHTINFOBLOCK && node.named && node.name == name &&
                        (node.positionKeys > 1 || node.rotationKeys > 1))
                        warning(
                            name,
                            "animated only by a light node (B005), which the loader skips: it stands still "
                            "(use a spotlight node, B007)");
            }
        }

        if (object->kind != KIND_MESH) continue;
        if (object->isMirror) ++mirrorMeshes;
        int badFaces = 0;
        int firstBad = -1;
        for (size_t f = 0; f < object->faces.size(); ++f) {
            if (faceIsDrawable(*object, object->faces[f])) continue;
            if (badFaces++ == 0) firstBad = int(f);
        }
        if (badFaces > 0) {
            const Face& face = object->faces[size_t(firstBad)];
            error(name, std::to_string(badFaces) + " faces use vertex indices past its " +
                            std::to_string(object->vertexCount) + " vertices (first: face " +
                            std::to_string(firstBad) + " = " + std::to_string(face.a) + "," +
                            std::to_string(face.b) + "," + std::to_string(face.c) +
                            "); they are not drawn or lit");
        }
        if (object->vertexCount > 0 && object->texCoordCount == 0)
            warning(name, "no texture coordinates: every vertex is drawn at (0, 0) of its texture");
        else if (object->texCoordCount < object->vertexCount)
            warning(name, "only " + std::to_string(object->texCoordCount) + " texture coordinates for " +
                              std::to_string(object->vertexCount) +
                              " vertices: the rest are drawn at (0, 0)");
        if (object->materialIndex == MATERIAL_NONE)
            error(name, "its material finds no room among the " + std::to_string(MAX_MATERIALS) +
                            " materials a scene can hold: drawn without texture");
    }

    if (scene.mirrorCount > mirrorMeshes)
        fileError("mirrorCount " + std::to_string(scene.mirrorCount) + " is above the " +
                  std::to_string(mirrorMeshes) +
                  " mirror meshes (a mesh with several \"mirr\" materials counts each)");

    // Material pictures, named by the first mesh that uses each.
    for (int k = 0; k < scene.materialCount; ++k) {
        const std::string file(scene.materials[size_t(k)].name,
                               strnlen(scene.materials[size_t(k)].name, MATERIAL_NAME_SIZE));
        std::string user;
        for (SceneObject* object : objects)
            if (object->kind == KIND_MESH && object->materialIndex == k) {
                user = nameOf(*object);
                break;
            }
        std::error_code ignored;
        if (!std::filesystem::is_regular_file(file, ignored)) {
            error(user, "material file \"" + file + "\" is missing (paths are read from the current folder)");
            continue;
        }
        if (!loadJpeg(file.c_str())) {
            error(user, "material file \"" + file + "\" is not a JPEG the loader can decode as colour");
            continue;
        }
        if (jpegComponents(file) == 1)
            warning(user,
                    "material file \"" + file + "\" is a grayscale JPEG: it is converted to colour at load");
    }

    // Keyframer nodes whose tracks go nowhere.
    for (const NodeSurvey& node : nodes) {
        if (node.id == CHUNK_LIGHTINFOBLOCK) continue; // skipped whole by the loader, reported above
        if (node.trackBeforeName) {
            char text[96];
            std::snprintf(text, sizeof text,
                          "a keyframer node (%04X) has a track before its name: the track is skipped",
                          node.id);
            if (node.named)
                warning(node.name, text);
            else
                findings.push_back({Severity::warning, false, "", text});
        }
        if (node.named && objects.size() > 0 && !findObject(scene, node.name.c_str()))
            warning(node.name, "keyframer node names no object of the scene: its tracks are skipped");
    }
    return findings;
}

std::string formatFinding(const char* path, const Finding& finding) {
    std::string line =
        std::string(path) + ": " + (finding.severity == Severity::error ? "error" : "warning") + ": ";
    if (finding.aboutObject) {
        // Names are raw bytes from the file; keep the line readable on any terminal.
        line += "object ";
        for (unsigned char c : finding.object) {
            if (c >= 0x20 && c < 0x7F) {
                line += static_cast<char>(c);
                continue;
            }
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            line += escaped;
        }
        line += ": ";
    }
    return line + finding.message;
}

} // namespace pelx::inspect

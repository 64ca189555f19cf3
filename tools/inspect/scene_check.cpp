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

// ---- the checks ----

// What the checks look at: the loaded scene, what the walk saw on the way, and the findings.
struct CheckedScene {
    const char* path;
    Scene scene;
    std::vector<uint16_t> topLevel; // ids of the top-level chunks, in file order
    int namedObjects = 0;           // named-object chunks the loader recognised
    std::vector<SceneObject*> objects;
    std::vector<NodeSurvey> nodes;
    // Counted object by object, for the checks that need them.
    int camerasSeen = 0;
    int carriersSeen = 0;
    int mirrorMeshes = 0;
    std::vector<Finding> findings;

    void error(const std::string& object, const std::string& message) {
        findings.push_back({Severity::error, true, object, message});
    }
    void warning(const std::string& object, const std::string& message) {
        findings.push_back({Severity::warning, true, object, message});
    }
    void fileError(const std::string& message) { findings.push_back({Severity::error, false, "", message}); }
};

// Block order: the keyframer finds its objects by name, so it must follow the editor.
void checkBlockOrder(CheckedScene& c) {
    for (uint16_t id : c.topLevel) {
        if (id == CHUNK_3DEDITORCHUNK) break;
        if (id == CHUNK_KEYFRAMER) {
            c.fileError(
                "the keyframer block comes before any editor block: its tracks find no objects and are lost");
            break;
        }
    }
}

void checkObjectTable(CheckedScene& c) {
    if (c.namedObjects > c.scene.objectCount)
        c.fileError(std::to_string(c.namedObjects - c.scene.objectCount) + " named objects past the " +
                    std::to_string(MAX_OBJECTS) + " a scene can hold are lost");
}

// The show plays the cameras in order and ends with the last one's last eye key.
void checkCameras(CheckedScene& c) {
    if (c.scene.cameraCount == 0) {
        c.fileError("no camera: the scene has nothing to look through and no frames to play");
        return;
    }
    const SceneObject& last = *c.scene.cameras[size_t(c.scene.cameraCount - 1)];
    if (last.positionTrack.keyCount == 0)
        c.error(nameOf(last), "the last camera has no eye keys: the scene has no frames to play");
}

void checkCameraTable(CheckedScene& c, const SceneObject& object) {
    if (object.kind == KIND_CAMERA && ++c.camerasSeen > MAX_CAMERAS)
        c.error(nameOf(object),
                "camera past the " + std::to_string(MAX_CAMERAS) + " a scene can play: never used");
}

void checkFlareCarrier(CheckedScene& c, const SceneObject& object) {
    if (!isFlareCarrier(object)) return;
    const std::string name = nameOf(object);
    if (object.kind != KIND_MESH) {
        c.warning(name, "marked as a flare carrier (\"*\") but not a mesh: it carries no flares");
        return;
    }
    if (++c.carriersSeen > MAX_EMITTERS)
        c.error(name, "flare carrier past the " + std::to_string(MAX_EMITTERS) +
                          " emitters a scene can hold: no flares");
    if (!hasFlareKind(object))
        c.warning(name, "flare carrier without a kind digit 0-3 as its second character: it emits as kind 0");
}

void checkLight(CheckedScene& c, const SceneObject& object) {
    if (object.kind != KIND_LIGHT) return;
    const std::string name = nameOf(object);
    bool inTable = false;
    for (int i = 0; i < c.scene.lightCount; ++i)
        inTable = inTable || c.scene.lights[size_t(i)] == &object.light;
    if (!inTable)
        c.error(name,
                "light past the " + std::to_string(MAX_LIGHTS) + " a scene can hold: it lights nothing");
    if (!(object.light.range > 0)) {
        c.warning(name, "no spotlight target (range 0): it lights nothing");
    } else if (!isStaticLight(object.light) && !object.light.moving && !c.scene.hasMovingMesh) {
        c.warning(name, "neither static (\"&\") nor moving, and no mesh moves: it lights nothing");
    }
    if (object.light.moving) return;
    for (const NodeSurvey& node : c.nodes)
        if (node.id == CHUNK_LIGHTINFOBLOCK && node.named && node.name == name &&
            (node.positionKeys > 1 || node.rotationKeys > 1))
            c.warning(name, "animated only by a light node (B005), which the loader skips: it stands still "
                            "(use a spotlight node, B007)");
}

void checkMesh(CheckedScene& c, const SceneObject& object) {
    if (object.kind != KIND_MESH) return;
    const std::string name = nameOf(object);
    if (object.isMirror) ++c.mirrorMeshes;
    int badFaces = 0;
    int firstBad = -1;
    for (size_t f = 0; f < object.faces.size(); ++f) {
        if (faceIsDrawable(object, object.faces[f])) continue;
        if (badFaces++ == 0) firstBad = int(f);
    }
    if (badFaces > 0) {
        const Face& face = object.faces[size_t(firstBad)];
        c.error(name, std::to_string(badFaces) + " faces use vertex indices past its " +
                          std::to_string(object.vertexCount) + " vertices (first: face " +
                          std::to_string(firstBad) + " = " + std::to_string(face.a) + "," +
                          std::to_string(face.b) + "," + std::to_string(face.c) +
                          "); they are not drawn or lit");
    }
    if (object.vertexCount > 0 && object.texCoordCount == 0)
        c.warning(name, "no texture coordinates: every vertex is drawn at (0, 0) of its texture");
    else if (object.texCoordCount < object.vertexCount)
        c.warning(name, "only " + std::to_string(object.texCoordCount) + " texture coordinates for " +
                            std::to_string(object.vertexCount) + " vertices: the rest are drawn at (0, 0)");
    if (object.materialIndex == MATERIAL_NONE)
        c.error(name, "its material finds no room among the " + std::to_string(MAX_MATERIALS) +
                          " materials a scene can hold: drawn without texture");
}

void checkMirrorCount(CheckedScene& c) {
    if (c.scene.mirrorCount > c.mirrorMeshes)
        c.fileError("mirrorCount " + std::to_string(c.scene.mirrorCount) + " is above the " +
                    std::to_string(c.mirrorMeshes) +
                    " mirror meshes (a mesh with several \"mirr\" materials counts each)");
}

// Material pictures, named by the first mesh that uses each.
void checkMaterialFiles(CheckedScene& c) {
    for (int k = 0; k < c.scene.materialCount; ++k) {
        const std::string file(c.scene.materials[size_t(k)].name,
                               strnlen(c.scene.materials[size_t(k)].name, MATERIAL_NAME_SIZE));
        std::string user;
        for (SceneObject* object : c.objects)
            if (object->kind == KIND_MESH && object->materialIndex == k) {
                user = nameOf(*object);
                break;
            }
        std::error_code ignored;
        if (!std::filesystem::is_regular_file(file, ignored)) {
            c.error(user,
                    "material file \"" + file + "\" is missing (paths are read from the current folder)");
            continue;
        }
        if (!loadJpeg(file.c_str())) {
            c.error(user, "material file \"" + file + "\" is not a JPEG the loader can decode as colour");
            continue;
        }
        if (jpegComponents(file) == 1)
            c.warning(user, "material file \"" + file +
                                "\" is a grayscale JPEG: it is converted to colour at load");
    }
}

// Keyframer nodes whose tracks go nowhere.
void checkKeyframerNodes(CheckedScene& c) {
    for (const NodeSurvey& node : c.nodes) {
        if (node.id == CHUNK_LIGHTINFOBLOCK)
            continue; // skipped whole by the loader, reported with the lights
        if (node.trackBeforeName) {
            char text[96];
            std::snprintf(text, sizeof text,
                          "a keyframer node (%04X) has a track before its name: the track is skipped",
                          node.id);
            if (node.named)
                c.warning(node.name, text);
            else
                c.findings.push_back({Severity::warning, false, "", text});
        }
        if (node.named && !c.objects.empty() && !findObject(c.scene, node.name.c_str()))
            c.warning(node.name, "keyframer node names no object of the scene: its tracks are skipped");
    }
}

// The checks, run in this order, so the findings come in it: the file as a whole, then each object
// in file order, then what needs every object seen.
struct SceneCheck {
    const char* name;
    void (*run)(CheckedScene&);
};
struct ObjectCheck {
    const char* name;
    void (*run)(CheckedScene&, const SceneObject&);
};
const SceneCheck FILE_CHECKS[] = {
    {"block order", checkBlockOrder}, {"object table", checkObjectTable}, {"cameras", checkCameras}};
const ObjectCheck OBJECT_CHECKS[] = {{"camera table", checkCameraTable},
                                     {"flare carrier", checkFlareCarrier},
                                     {"light", checkLight},
                                     {"mesh", checkMesh}};
const SceneCheck AFTER_OBJECT_CHECKS[] = {{"mirror count", checkMirrorCount},
                                          {"material files", checkMaterialFiles},
                                          {"keyframer nodes", checkKeyframerNodes}};

// Loads as the show does, watching the walk for damage and for the order of the blocks. False,
// with the reason among the findings, when the file does not load.
bool loadChecked(CheckedScene& c) {
    RecordingTextureBackend textures;
    ScopedTextureBackend installed(&textures);
    ChunkTrace trace;
    trace.chunks = [&](const ChunkVisit& visit) {
        if (visit.depth == 1 && visit.problem != ChunkProblem::stray) c.topLevel.push_back(visit.header.id);
        if (visit.recognised && visit.header.id == CHUNK_OBJETBLOCK) ++c.namedObjects;
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
        c.fileError(text);
    };
    c.scene.shadowFactor = 0.1f;
    c.scene.translucentShadowFactor = 0.4f;
    c.scene.trace = &trace;
    const bool loaded = loadScene(c.scene, c.path, 3);
    c.scene.trace = nullptr;
    if (!loaded) {
        const std::string problem = fileProblem(c.path);
        c.fileError(problem.empty() ? NOT_A_SCENE : problem);
    }
    return loaded;
}

} // namespace

std::vector<Finding> checkScene(const char* path) {
    CheckedScene c;
    c.path = path;
    if (!loadChecked(c)) return std::move(c.findings);
    resetCursor(c.scene);
    for (int i = 0; i < c.scene.objectCount; ++i, nextObject(c.scene)) c.objects.push_back(c.scene.current);
    resetCursor(c.scene);
    c.nodes = surveyKeyframer(path);

    for (const SceneCheck& check : FILE_CHECKS) check.run(c);
    for (SceneObject* object : c.objects)
        for (const ObjectCheck& check : OBJECT_CHECKS) check.run(c, *object);
    for (const SceneCheck& check : AFTER_OBJECT_CHECKS) check.run(c);
    return std::move(c.findings);
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

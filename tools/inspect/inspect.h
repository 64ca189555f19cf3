// pelx-3ds, the scene inspector: the chunk tree as the loader walks it, a content check for
// scene authors, and the loaded scene as JSON. Scenes load without OpenGL: material textures
// are recorded by name, not decoded.
#pragma once

#include "scene/scene.h"

#include <string>
#include <vector>

namespace pelx::inspect {

// Why the file cannot be read at all ("cannot be read: No such file or directory", "cannot be
// read: it is a folder", ...); empty when it opens as a file.
std::string fileProblem(const char* path);
// What a readable file that the loader refuses is.
inline constexpr const char* NOT_A_SCENE = "not a 3DS scene: it does not start with a main chunk (4D4D)";

// ---- tree ----
// One line per chunk the loader meets: offset, id, length, and the loader's name for it or
// "skipped"; damage that ends a walk is noted on its line. False when the file is no scene
// (fileProblem says why, when it cannot be read at all).
bool chunkTree(const char* path, std::string& out);

// ---- check ----
enum class Severity { warning, error };
struct Finding {
    Severity severity;
    bool aboutObject;   // false for findings about the whole file
    std::string object; // the object's name
    std::string message;
};
std::vector<Finding> checkScene(const char* path);
// "FILE: error|warning: object NAME: what is wrong" (without "object NAME: " for the file).
std::string formatFinding(const char* path, const Finding& finding);

// ---- dump ----
struct DumpOptions {
    int lightingMode = 3;
    float shadowFactor = 0.1f;
    float translucentShadowFactor = 0.4f;
    bool light = false;     // run computeLighting once after loading (and any animation)
    int shadowTestMode = 1; // for that lighting pass
    // --play D --at T1,T2,...: after loading, the scene is animated at each time T in turn
    // (the scene clock's elapsed T of duration D), before any lighting pass.
    bool play = false;
    float playDuration = 0;
    std::vector<float> playTimes;
};
// Reads the options that follow "dump FILE --json"; false with a reason for a bad one.
bool parseDumpOptions(const std::vector<std::string>& args, DumpOptions& options, std::string& error);
// Loads, applies the steps the options ask for, and writes the scene as one JSON object
// (with "loaded": false, also in *loaded, when the file could not be loaded).
std::string dumpScene(const char* path, const DumpOptions& options, bool* loaded = nullptr);
// The JSON form of a scene as it stands.
std::string sceneJson(const Scene& scene, const char* file, bool loaded);

} // namespace pelx::inspect

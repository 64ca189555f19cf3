// The dump: a loaded scene as one JSON object whose every value reads back exactly (32-bit
// floats with 9 significant digits, 64-bit with 17, non-finite values as null), every object
// carrying every key so that independent tools can compare scenes field by field.
#include "command_line.h"
#include "inspect.h"

#include "image/texture.h"
#include "lighting/lighting.h"
#include "platform/frame.h"
#include "platform/message.h"
#include "render/animation.h"
#include "scene3ds/scene_loader.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <type_traits>
#include <vector>

namespace pelx::inspect {

namespace {

// Bytes of a string value: a C string, or a fixed-size name buffer up to its first NUL.
struct Text {
    const char* bytes;
    size_t length;
};
Text textOf(const char* string) {
    return {string, std::strlen(string)};
}
Text nameText(const char* buffer, size_t capacity) {
    return {buffer, strnlen(buffer, capacity)};
}

// Writes values by type; field writes "key":value and the separator that follows it.
class JsonWriter {
  public:
    std::string text;

    template <class T> void field(const char* key, const T& v, const char* separator = ",") {
        text += '"';
        text += key;
        text += "\":";
        value(v);
        text += separator;
    }

    void value(float v) { number("%.9g", v); }
    void value(double v) { number("%.17g", v); }
    void value(bool v) { text += v ? "true" : "false"; }
    template <class T>
    requires(std::is_integral_v<T> && !std::is_same_v<T, bool>) void value(T v) { text += std::to_string(v); }
    // Bytes as Latin-1: 0x80..0xFF become \u0080..\u00ff, so any stored name is valid JSON.
    void value(Text s) {
        text += '"';
        for (size_t i = 0; i < s.length; ++i) {
            unsigned char c = static_cast<unsigned char>(s.bytes[i]);
            if (c == '"')
                text += "\\\"";
            else if (c == '\\')
                text += "\\\\";
            else if (c < 0x20 || c >= 0x7F) {
                char buffer[8];
                std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
                text += buffer;
            } else
                text += static_cast<char>(c);
        }
        text += '"';
    }
    void value(const Vec3f& v) { sequence(std::array{v.x, v.y, v.z}); }
    void value(const Vec3d& v) { sequence(std::array{v.x, v.y, v.z}); }
    void value(const TexCoord& t) { sequence(std::array{t.u, t.v}); }
    void value(const Face& f) { sequence(std::array{f.a, f.b, f.c, f.flags}); }
    template <class T> void value(const std::vector<T>& items) { sequence(items); }
    template <class T, size_t N> void value(const T (&items)[N]) { sequence(items); }
    void value(const SceneLight& light) {
        text += '{';
        field("lightPosition", light.lightPosition);
        field("color", light.color);
        field("range", light.range);
        field("moving", light.moving != 0);
        field("tag", Text{&light.tag, light.tag ? 1u : 0u});
        field("on", light.on != 0, "}");
    }
    void value(const KeyTrack& track) {
        text += '{';
        field("keyCount", track.keyCount);
        field("keyIndex", track.keyIndex);
        field("keyFrames", track.keyFrames);
        field("keyValues", track.keyValues, "}");
    }

  private:
    // A non-finite value has no JSON number: null.
    void number(const char* format, double v) {
        if (!std::isfinite(v)) {
            text += "null";
            return;
        }
        char buffer[40];
        std::snprintf(buffer, sizeof buffer, format, v);
        text += buffer;
    }
    template <class Items> void sequence(const Items& items) {
        text += '[';
        bool first = true;
        for (const auto& item : items) {
            if (!first) text += ',';
            first = false;
            value(item);
        }
        text += ']';
    }
};

const char* kindName(uint16_t kind) {
    switch (kind) {
    case KIND_MESH:
        return "mesh";
    case KIND_CAMERA:
        return "camera";
    case KIND_LIGHT:
        return "light";
    default:
        return "none";
    }
}

void writeObject(JsonWriter& w, const SceneObject& o) {
    w.text += '{';
    w.field("name", nameText(o.name, OBJECT_NAME_SIZE));
    w.field("kind", textOf(kindName(o.kind)));
    w.field("vertexCount", o.vertexCount);
    w.field("faceCount", o.faceCount);
    w.field("texCoordCount", o.texCoordCount);
    w.field("vertices", o.vertices);
    w.field("faces", o.faces);
    w.field("texCoords", o.texCoords);
    w.field("boundsMin", o.boundsMin);
    w.field("boundsMax", o.boundsMax);
    w.field("sectionX", o.sectionX);
    w.field("sectionY", o.sectionY);
    w.field("sectionZ", o.sectionZ);
    w.field("shadowSection", o.shadowSection);
    w.field("materialIndex", o.materialIndex);
    w.field("isMirror", o.isMirror != 0);
    w.field("baseColors", o.baseColors);
    w.field("vertexColors", o.vertexColors);
    w.field("position", o.position);
    w.field("rotation", o.rotation);
    w.field("rotationSum", o.rotationSum);
    w.field("pivot", o.pivot);
    w.field("eye", o.eye);
    w.field("target", o.target);
    w.field("light", o.light);
    w.field("positionTrack", o.positionTrack);
    w.field("rotationTrack", o.rotationTrack, "}");
}

} // namespace

std::string sceneJson(const Scene& scene, const char* file, bool loaded) {
    std::vector<const SceneObject*> objects;
    const SceneObject* walk = &scene;
    for (int i = 0; i < scene.objectCount && walk; ++i, walk = walk->next) objects.push_back(walk);
    auto indexOf = [&](auto matches) -> long long {
        for (size_t i = 0; i < objects.size(); ++i)
            if (matches(*objects[i])) return static_cast<long long>(i);
        return -1;
    };

    // Tables as their entries: material names, and lights and cameras as list indexes.
    std::vector<Text> materials;
    for (int k = 0; k < std::clamp(scene.materialCount, 0, MAX_MATERIALS); ++k)
        materials.push_back(nameText(scene.materials[k].name, MATERIAL_NAME_SIZE));
    std::vector<long long> lights;
    for (int k = 0; k < std::clamp(scene.lightCount, 0, MAX_LIGHTS); ++k)
        lights.push_back(indexOf([&](const SceneObject& o) { return &o.light == scene.lights[k]; }));
    std::vector<long long> cameras;
    for (int k = 0; k < std::clamp(scene.cameraCount, 0, MAX_CAMERAS); ++k)
        cameras.push_back(indexOf([&](const SceneObject& o) { return &o == scene.cameras[k]; }));

    const char* const LINE = ",\n";
    JsonWriter w;
    w.text += "{\n";
    w.field("file", textOf(file), LINE);
    w.field("loaded", loaded, LINE);
    w.field("lightingMode", scene.lightingMode, LINE);
    w.field("shadowFactor", scene.shadowFactor, LINE);
    w.field("translucentShadowFactor", scene.translucentShadowFactor, LINE);
    w.field("objectCount", scene.objectCount, LINE);
    w.field("lightCount", scene.lightCount, LINE);
    w.field("cameraCount", scene.cameraCount, LINE);
    w.field("materialCount", scene.materialCount, LINE);
    w.field("mirrorCount", scene.mirrorCount, LINE);
    w.field("emitterCount", scene.emitterCount, LINE);
    w.field("hasMovingMesh", scene.hasMovingMesh != 0, LINE);
    w.field("frameCount", scene.frameCount, LINE);
    w.field("currentFrame", scene.currentFrame, LINE);
    w.field("currentCamera", scene.currentCamera, LINE);
    w.field("materials", materials, LINE);
    w.field("lights", lights, LINE);
    w.field("cameras", cameras, LINE);
    // One object a line.
    w.text += "\"objects\":[\n";
    for (size_t i = 0; i < objects.size(); ++i) {
        writeObject(w, *objects[i]);
        w.text += i + 1 < objects.size() ? ",\n" : "\n";
    }
    w.text += "]\n}\n";
    return w.text;
}

bool parseDumpOptions(const std::vector<std::string>& args, DumpOptions& options, std::string& error) {
    cli::CommandLine line(args);
    bool json = false;
    try {
        while (line.next()) {
            if (line.is("--json")) {
                json = true;
            } else if (line.is("--light")) {
                options.light = true;
            } else if (line.is("--mode")) {
                options.lightingMode = line.wholeNumber(0, 3);
            } else if (line.is("--shadow-test-mode")) {
                options.shadowTestMode = line.wholeNumber(1, 2);
            } else if (line.is("--factors")) {
                const std::vector<double> factors = line.numbers(2);
                options.shadowFactor = static_cast<float>(factors[0]);
                options.translucentShadowFactor = static_cast<float>(factors[1]);
            } else if (line.is("--play")) {
                options.play = true;
                options.playDuration = static_cast<float>(line.number(0, 1e30));
            } else if (line.is("--at")) {
                // Times in seconds, played in the order given.
                options.playTimes.clear();
                for (double time : line.numberList()) {
                    if (std::fabs(time) > 1e30) line.refuse("--at needs times from -1e+30 to 1e+30 seconds");
                    options.playTimes.push_back(static_cast<float>(time));
                }
            } else {
                line.refuse("unknown option " + line.word());
            }
        }
        if (options.play != !options.playTimes.empty()) line.refuse("--play and --at go together");
        if (!json) line.refuse("dump writes JSON only: add --json");
    } catch (const cli::UsageError& problem) {
        error = problem.what();
        return false;
    }
    return true;
}

std::string dumpScene(const char* path, const DumpOptions& options, bool* loadedOut) {
    RecordingTextureBackend textures;
    ScopedTextureBackend installed(&textures);
    Scene scene;
    scene.shadowFactor = options.shadowFactor;
    scene.translucentShadowFactor = options.translucentShadowFactor;
    const bool loaded = loadScene(scene, path, options.lightingMode);

    // After loading, in this order: animation (when asked for), then one lighting pass.
    if (options.play) {
        for (float time : options.playTimes) {
            sceneClock.elapsed = time;
            sceneClock.duration = options.playDuration;
            animateScene(scene);
        }
    }
    if (options.light) {
        shadowTestMode = options.shadowTestMode;
        computeLighting(scene);
        resetCursor(scene);
    }
    std::string json = sceneJson(scene, path, loaded);
    if (loadedOut) *loadedOut = loaded;
    return json;
}

} // namespace pelx::inspect

// The dump: a loaded scene as one JSON object whose every value reads back exactly (32-bit
// floats with 9 significant digits, 64-bit with 17, non-finite values as null), every object
// carrying every key so that independent tools can compare scenes field by field.
#include "inspect.h"

#include "image/texture.h"
#include "platform/frame.h"
#include "platform/message.h"
#include "render/animation.h"
#include "render/lighting.h"
#include "scene3ds/scene_loader.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace pelx::inspect {

namespace {

class JsonWriter {
  public:
    std::string text;

    void f32(float v) {
        if (!std::isfinite(v)) {
            text += "null";
            return;
        }
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.9g", static_cast<double>(v));
        text += buffer;
    }
    void f64(double v) {
        if (!std::isfinite(v)) {
            text += "null";
            return;
        }
        char buffer[40];
        std::snprintf(buffer, sizeof buffer, "%.17g", v);
        text += buffer;
    }
    void integer(long long v) { text += std::to_string(v); }
    void boolean(bool v) { text += v ? "true" : "false"; }
    // Bytes as Latin-1: 0x80..0xFF become \u0080..\u00ff, so any stored name is valid JSON.
    void string(const char* bytes, size_t length) {
        text += '"';
        for (size_t i = 0; i < length; ++i) {
            unsigned char c = static_cast<unsigned char>(bytes[i]);
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
    // A fixed-size name buffer: up to its first NUL, or all of it.
    void name(const char* buffer, size_t capacity) { string(buffer, strnlen(buffer, capacity)); }
    void vec(const Vec3f& v) {
        text += '[';
        f32(v.x);
        text += ',';
        f32(v.y);
        text += ',';
        f32(v.z);
        text += ']';
    }
    void vec(const Vec3d& v) {
        text += '[';
        f64(v.x);
        text += ',';
        f64(v.y);
        text += ',';
        f64(v.z);
        text += ']';
    }
    void key(const char* k) {
        text += '"';
        text += k;
        text += "\":";
    }
    // n entries, entry k written by each(k).
    template <class Each> void list(size_t n, Each each) {
        text += '[';
        for (size_t k = 0; k < n; ++k) {
            if (k) text += ',';
            each(k);
        }
        text += ']';
    }
    template <class T, class Each> void array(const T& items, Each each) {
        text += '[';
        bool first = true;
        for (const auto& item : items) {
            if (!first) text += ',';
            first = false;
            each(item);
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

void writeTrack(JsonWriter& w, const KeyTrack& track) {
    w.text += '{';
    w.key("keyCount");
    w.integer(track.keyCount);
    w.text += ',';
    w.key("keyIndex");
    w.integer(track.keyIndex);
    w.text += ',';
    w.key("keyFrames");
    w.array(track.keyFrames, [&](uint16_t f) { w.integer(f); });
    w.text += ',';
    w.key("keyValues");
    w.array(track.keyValues, [&](const Vec3d& v) { w.vec(v); });
    w.text += '}';
}

void writeSection(JsonWriter& w, const char* key, const Vec3f (&corners)[4]) {
    w.key(key);
    w.array(corners, [&](const Vec3f& v) { w.vec(v); });
    w.text += ',';
}

void writeObject(JsonWriter& w, const SceneObject& o) {
    w.text += '{';
    w.key("name");
    w.name(o.name, OBJECT_NAME_SIZE);
    w.text += ',';
    w.key("kind");
    w.string(kindName(o.kind), std::strlen(kindName(o.kind)));
    w.text += ',';
    w.key("vertexCount");
    w.integer(o.vertexCount);
    w.text += ',';
    w.key("faceCount");
    w.integer(o.faceCount);
    w.text += ',';
    w.key("texCoordCount");
    w.integer(o.texCoordCount);
    w.text += ',';
    w.key("vertices");
    w.array(o.vertices, [&](const Vec3d& v) { w.vec(v); });
    w.text += ',';
    w.key("faces");
    w.array(o.faces, [&](const Face& f) {
        w.text += '[' + std::to_string(f.a) + ',' + std::to_string(f.b) + ',' + std::to_string(f.c) + ',' +
                  std::to_string(f.flags) + ']';
    });
    w.text += ',';
    w.key("texCoords");
    w.array(o.texCoords, [&](const TexCoord& t) {
        w.text += '[';
        w.f32(t.u);
        w.text += ',';
        w.f32(t.v);
        w.text += ']';
    });
    w.text += ',';
    w.key("boundsMin");
    w.vec(o.boundsMin);
    w.text += ',';
    w.key("boundsMax");
    w.vec(o.boundsMax);
    w.text += ',';
    writeSection(w, "sectionX", o.sectionX);
    writeSection(w, "sectionY", o.sectionY);
    writeSection(w, "sectionZ", o.sectionZ);
    writeSection(w, "shadowSection", o.shadowSection);
    w.key("materialIndex");
    w.integer(o.materialIndex);
    w.text += ',';
    w.key("isMirror");
    w.boolean(o.isMirror != 0);
    w.text += ',';
    w.key("baseColors");
    w.array(o.baseColors, [&](const Vec3f& v) { w.vec(v); });
    w.text += ',';
    w.key("vertexColors");
    w.array(o.vertexColors, [&](const Vec3f& v) { w.vec(v); });
    w.text += ',';
    const std::pair<const char*, const Vec3d*> places[] = {
        {"position", &o.position}, {"rotation", &o.rotation}, {"rotationSum", &o.rotationSum},
        {"pivot", &o.pivot},       {"eye", &o.eye},           {"target", &o.target}};
    for (const auto& [key, value] : places) {
        w.key(key);
        w.vec(*value);
        w.text += ',';
    }
    w.key("light");
    w.text += '{';
    w.key("lightPosition");
    w.vec(o.light.lightPosition);
    w.text += ',';
    w.key("color");
    w.vec(o.light.color);
    w.text += ',';
    w.key("range");
    w.f32(o.light.range);
    w.text += ',';
    w.key("moving");
    w.boolean(o.light.moving != 0);
    w.text += ',';
    w.key("tag");
    w.string(&o.light.tag, o.light.tag ? 1 : 0);
    w.text += ',';
    w.key("on");
    w.boolean(o.light.on != 0);
    w.text += "},";
    w.key("positionTrack");
    writeTrack(w, o.positionTrack);
    w.text += ',';
    w.key("rotationTrack");
    writeTrack(w, o.rotationTrack);
    w.text += '}';
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

    JsonWriter w;
    w.text += "{\n";
    w.key("file");
    w.string(file, std::strlen(file));
    w.text += ",\n";
    w.key("loaded");
    w.boolean(loaded);
    w.text += ",\n";
    w.key("lightingMode");
    w.integer(scene.lightingMode);
    w.text += ",\n";
    w.key("shadowFactor");
    w.f32(scene.shadowFactor);
    w.text += ",\n";
    w.key("translucentShadowFactor");
    w.f32(scene.translucentShadowFactor);
    w.text += ",\n";
    const std::pair<const char*, long long> counts[] = {
        {"objectCount", scene.objectCount}, {"lightCount", scene.lightCount},
        {"cameraCount", scene.cameraCount}, {"materialCount", scene.materialCount},
        {"mirrorCount", scene.mirrorCount}, {"emitterCount", scene.emitterCount}};
    for (const auto& [key, value] : counts) {
        w.key(key);
        w.integer(value);
        w.text += ",\n";
    }
    w.key("hasMovingMesh");
    w.boolean(scene.hasMovingMesh != 0);
    w.text += ",\n";
    w.key("frameCount");
    w.integer(scene.frameCount);
    w.text += ",\n";
    w.key("currentFrame");
    w.f64(scene.currentFrame);
    w.text += ",\n";
    w.key("currentCamera");
    w.integer(scene.currentCamera);
    w.text += ",\n";

    const int materialCount = std::clamp(scene.materialCount, 0, MAX_MATERIALS);
    w.key("materials");
    w.list(size_t(materialCount), [&](size_t k) { w.name(scene.materials[k].name, MATERIAL_NAME_SIZE); });
    w.text += ",\n";
    const int lightCount = std::clamp(scene.lightCount, 0, MAX_LIGHTS);
    w.key("lights");
    w.list(size_t(lightCount), [&](size_t k) {
        const SceneLight* light = scene.lights[k];
        w.integer(indexOf([&](const SceneObject& o) { return &o.light == light; }));
    });
    w.text += ",\n";
    const int cameraCount = std::clamp(scene.cameraCount, 0, MAX_CAMERAS);
    w.key("cameras");
    w.list(size_t(cameraCount), [&](size_t k) {
        const SceneObject* camera = scene.cameras[k];
        w.integer(indexOf([&](const SceneObject& o) { return &o == camera; }));
    });
    w.text += ",\n";
    w.key("objects");
    w.text += "[\n";
    for (size_t i = 0; i < objects.size(); ++i) {
        writeObject(w, *objects[i]);
        w.text += i + 1 < objects.size() ? ",\n" : "\n";
    }
    w.text += "]\n}\n";
    return w.text;
}

bool parseDumpOptions(const std::vector<std::string>& args, DumpOptions& options, std::string& error) {
    auto number = [&](const std::string& text, double& value) {
        char* end = nullptr;
        value = std::strtod(text.c_str(), &end);
        return !text.empty() && end && *end == 0 && std::isfinite(value);
    };
    auto integer = [&](const std::string& text, int& value) {
        char* end = nullptr;
        long parsed = std::strtol(text.c_str(), &end, 10);
        if (text.empty() || !end || *end != 0 || parsed < INT32_MIN || parsed > INT32_MAX) return false;
        value = static_cast<int>(parsed);
        return true;
    };
    bool json = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--json") {
            json = true;
        } else if (arg == "--light") {
            options.light = true;
        } else if (arg == "--mode" || arg == "--shadow-test-mode") {
            int value = 0;
            if (!hasValue || !integer(args[i + 1], value)) {
                error = arg + " needs a whole number";
                return false;
            }
            (arg == "--mode" ? options.lightingMode : options.shadowTestMode) = value;
            ++i;
        } else if (arg == "--factors") {
            const std::string value = hasValue ? args[i + 1] : std::string();
            const size_t comma = value.find(',');
            double s = 0, t = 0;
            if (comma == std::string::npos || !number(value.substr(0, comma), s) ||
                !number(value.substr(comma + 1), t)) {
                error = "--factors needs two numbers: S,T";
                return false;
            }
            options.shadowFactor = static_cast<float>(s);
            options.translucentShadowFactor = static_cast<float>(t);
            ++i;
        } else if (arg == "--play") {
            double value = 0;
            if (!hasValue || !number(args[i + 1], value) || !(value >= 0) || value > 1e30) {
                error = "--play needs a scene length in seconds, 0 or more";
                return false;
            }
            options.play = true;
            options.playDuration = static_cast<float>(value);
            ++i;
        } else if (arg == "--at") {
            // Times in seconds, comma-separated, played in the order given.
            const std::string list = hasValue ? args[i + 1] : std::string();
            options.playTimes.clear();
            size_t start = 0;
            for (;;) {
                const size_t comma = list.find(',', start);
                const std::string item =
                    list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
                double value = 0;
                if (!number(item, value) || std::fabs(value) > 1e30) {
                    error = "--at needs times in seconds: T1,T2,...";
                    return false;
                }
                options.playTimes.push_back(static_cast<float>(value));
                if (comma == std::string::npos) break;
                start = comma + 1;
            }
            ++i;
        } else {
            error = "unknown option " + arg;
            return false;
        }
    }
    if (options.play != !options.playTimes.empty()) {
        error = "--play and --at go together";
        return false;
    }
    if (!json) {
        error = "dump writes JSON only: add --json";
        return false;
    }
    return true;
}

std::string dumpScene(const char* path, const DumpOptions& options) {
    RecordingTextureBackend textures;
    installTextureBackend(&textures);
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
    installTextureBackend(nullptr);
    return json;
}

} // namespace pelx::inspect

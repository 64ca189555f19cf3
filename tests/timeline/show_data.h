// A small but complete data/ folder for running the show in tests: the pictures, a mask with
// a square outline, and six tiny scenes, each with a ground, a flare carrier, lights and a
// moving camera.
#pragma once

#include "image/jpeg_writer.h"
#include "support/chunk_writer.h"
#include "support/test_support.h"

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

namespace pelx::test {

inline void writeColourJpeg(const std::string& path, uint8_t r, uint8_t g, uint8_t b) {
    std::vector<uint8_t> pixels(32 * 32 * 3);
    for (size_t i = 0; i < pixels.size(); i += 3) {
        pixels[i] = r;
        pixels[i + 1] = g;
        pixels[i + 2] = b;
    }
    writeJpeg(path, 32, 32, 3, pixels);
}

// A light with a spotlight (so it has a range) and a colour.
inline Chunk lightObject(const std::string& name, float x, float y, float z, float r, float g, float b) {
    return Chunk(0x4000).str(name).child(Chunk(0x4600)
                                             .vec(x, y, z)
                                             .child(Chunk(0x0010).vec(r, g, b))
                                             .child(Chunk(0x4610).vec(x, y, z - 400).f32(30).f32(40)));
}

// A scene of the given length: a 400 x 400 ground, a "*1" carrier, `lights` lights, optionally a
// standing mirror, and a camera circling at 30 frames per second of scene time.
inline std::vector<uint8_t> tinyScene(float seconds, int lights, bool mirror = false) {
    Chunk editor(0x3D3D);
    editor.child(cameraObject("camera", 0, -300, 150, 0, 0, 0));
    editor.child(meshObject("ground", {-200, -200, 0, 200, -200, 0, 200, 200, 0, -200, 200, 0},
                            {0, 1, 2, 0, 2, 3}, "data/ground.jpg"));
    if (mirror)
        editor.child(meshObject("mirror1", {-60, 100, 0, 60, 100, 0, 60, 100, 80, -60, 100, 80},
                                {0, 1, 2, 0, 2, 3}, "mirror"));
    editor.child(meshObject("*1flame", {-5, 0, 20, 5, 0, 20, 0, 0, 30}, {0, 1, 2}, "data/fire.jpg"));
    for (int i = 0; i < lights; ++i)
        editor.child(lightObject("light" + std::to_string(i), float(40 * i - 100), 0, 200, 0.2f * (i % 5),
                                 0.5f, 1.0f - 0.1f * i));
    uint32_t last = static_cast<uint32_t>(seconds * 30);
    std::vector<FileKey> eye, target;
    for (uint32_t frame = 0; frame <= last; frame += 30) {
        float angle = frame * 0.01f;
        eye.push_back({frame, 300 * std::sin(angle), -300 * std::cos(angle), 150});
        target.push_back({frame, 0, 0, 0});
    }
    if (eye.back().frame != last) {
        eye.push_back({last, 0, -300, 150});
        target.push_back({last, 0, 0, 0});
    }
    Chunk keyframer(0xB000);
    keyframer.child(cameraNode(0xB003, "camera", eye)).child(cameraNode(0xB004, "camera", target));
    return Chunk(0x4D4D).child(editor).child(keyframer).bytes();
}

// A 320 x 200 mask holding one closed square outline whose top-left corner is (131, 41).
inline std::vector<uint8_t> squareMaskBmp() {
    std::vector<uint8_t> file(1078, 0);
    file[0] = 'B';
    file[1] = 'M';
    std::vector<uint8_t> picture(320 * 200, 0);
    for (int i = 0; i <= 20; ++i) {
        picture[41 * 320 + 131 + i] = 1;
        picture[61 * 320 + 131 + i] = 1;
        picture[(41 + i) * 320 + 131] = 1;
        picture[(41 + i) * 320 + 151] = 1;
    }
    for (int row = 199; row >= 0; --row)
        file.insert(file.end(), &picture[row * 320], &picture[row * 320] + 320);
    return file;
}

// Writes data/ under dir. Files listed in leaveOut are not written.
inline void writeShowData(const std::filesystem::path& dir, const std::vector<std::string>& leaveOut = {}) {
    std::filesystem::create_directories(dir / "data");
    auto wanted = [&](const std::string& name) {
        for (const std::string& left : leaveOut)
            if (left == name) return false;
        return true;
    };
    auto path = [&](const std::string& name) { return (dir / name).string(); };
    if (wanted("data/load.jpg")) writeColourJpeg(path("data/load.jpg"), 40, 60, 200);
    if (wanted("data/end.jpg")) writeColourJpeg(path("data/end.jpg"), 200, 200, 200);
    if (wanted("data/fire.jpg")) writeColourJpeg(path("data/fire.jpg"), 255, 140, 30);
    if (wanted("data/ground.jpg")) writeColourJpeg(path("data/ground.jpg"), 120, 110, 100);
    if (wanted("data/p.bmp")) writeFile(path("data/p.bmp"), squareMaskBmp());
    const struct {
        const char* file;
        float seconds;
        int lights;
        bool mirror;
    } scenes[] = {{"data/road.3ds", 67, 2, false},   {"data/colonne.3ds", 27, 2, false},
                  {"data/room.3ds", 27, 2, false},   {"data/mirror.3ds", 27, 2, true},
                  {"data/tunnel.3ds", 20, 2, false}, {"data/disco.3ds", 115, 6, false}};
    for (const auto& scene : scenes)
        if (wanted(scene.file))
            writeFile(path(scene.file), tinyScene(scene.seconds, scene.lights, scene.mirror));
}

} // namespace pelx::test

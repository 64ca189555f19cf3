// Load time of a 30,000-triangle scene from a file, its static lighting baked as the show
// bakes it (lighting mode 3, every caster's three sections), against the same load unlit.
#include "image/texture.h"
#include "scene3ds/scene_loader.h"
#include "support/chunk_writer.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using pelx::test::Chunk;

// A gently curved grid of columns x rows quads (two triangles each), offset along x.
Chunk gridMesh(const std::string& name, int columns, int rows, float offsetX, const std::string& material) {
    Chunk vertices(0x4110);
    vertices.u16(static_cast<uint16_t>((columns + 1) * (rows + 1)));
    for (int r = 0; r <= rows; ++r)
        for (int c = 0; c <= columns; ++c)
            vertices.vec(offsetX + c * 0.2f, r * 0.2f, 0.05f * float((c * 7 + r * 3) % 5));
    Chunk faces(0x4120);
    faces.u16(static_cast<uint16_t>(columns * rows * 2));
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            uint16_t a = static_cast<uint16_t>(r * (columns + 1) + c);
            uint16_t b = static_cast<uint16_t>(a + 1);
            uint16_t d = static_cast<uint16_t>(a + columns + 1);
            uint16_t e = static_cast<uint16_t>(d + 1);
            faces.u16(a).u16(b).u16(e).u16(0).u16(a).u16(e).u16(d).u16(0);
        }
    faces.child(Chunk(0x4130).str(material).u16(0));
    Chunk uv(0x4140);
    uv.u16(static_cast<uint16_t>((columns + 1) * (rows + 1)));
    for (int r = 0; r <= rows; ++r)
        for (int c = 0; c <= columns; ++c) uv.f32(float(c) / columns).f32(float(r) / rows);
    return Chunk(0x4000).str(name).child(Chunk(0x4100).child(vertices).child(faces).child(uv));
}

Chunk spot(const std::string& name, float x, float y, float z, float range) {
    return Chunk(0x4000).str(name).child(Chunk(0x4600)
                                             .vec(x, y, z)
                                             .child(Chunk(0x0010).vec(0.8f, 0.7f, 0.6f))
                                             .child(Chunk(0x4610).vec(x, y, z - range).f32(30).f32(60)));
}

// 20 meshes of 1,500 triangles, 4 static lights, 4 plain lights and a camera.
std::vector<uint8_t> sceneBytes() {
    Chunk editor(0x3D3D);
    for (int m = 0; m < 20; ++m)
        editor.child(gridMesh("wall" + std::to_string(m), 25, 30, float(m) * 5.5f,
                              "data/wall" + std::to_string(m % 4) + ".jpg"));
    for (int l = 0; l < 4; ++l) editor.child(spot("&sun" + std::to_string(l), float(l) * 28, 3, 8, 20));
    for (int l = 0; l < 4; ++l) editor.child(spot("lamp" + std::to_string(l), float(l) * 28 + 10, 3, 4, 12));
    editor.child(Chunk(0x4000).str("cam").child(Chunk(0x4700).vec(50, -40, 10).vec(50, 0, 3).f32(0).f32(35)));
    Chunk keyframer(0xB000);
    Chunk track(0xB020);
    track.u16(0)
        .u16(0)
        .u16(0)
        .u16(0)
        .u16(0)
        .u32(2)
        .u32(0)
        .u16(0)
        .vec(50, -40, 10)
        .u32(1000)
        .u16(0)
        .vec(60, -40, 10);
    keyframer.child(Chunk(0xB003).child(Chunk(0xB010).str("cam").u16(0).u16(0).u16(0xFFFF)).child(track));
    Chunk main(0x4D4D);
    main.child(editor).child(keyframer);
    return main.bytes();
}

class SceneFile {
  public:
    SceneFile() : path("/tmp/pelx-bench-scene-" + std::to_string(getpid()) + ".3ds") {
        std::vector<uint8_t> bytes = sceneBytes();
        std::FILE* file = std::fopen(path.c_str(), "wb");
        if (file) {
            std::fwrite(bytes.data(), 1, bytes.size(), file);
            std::fclose(file);
        }
    }
    ~SceneFile() { std::remove(path.c_str()); }
    std::string path;
};

void loadScene30k(benchmark::State& state) {
    pelx::RecordingTextureBackend textures;
    pelx::ScopedTextureBackend installed(&textures);
    SceneFile file;
    int triangles = 0;
    for (auto _ : state) {
        pelx::Scene scene;
        scene.shadowFactor = 0.1f;
        scene.translucentShadowFactor = 0.4f;
        if (!pelx::loadScene(scene, file.path.c_str(), static_cast<int>(state.range(0))))
            state.SkipWithError("the scene did not load");
        triangles = 0;
        for (pelx::SceneObject* o = &scene; o; o = o->next) triangles += o->faceCount;
        benchmark::DoNotOptimize(scene.baseColors.data());
    }
    state.counters["triangles"] = triangles;
}
// Argument: the lighting mode (3: baked with shadows, as the show loads; 0: no bake).
BENCHMARK(loadScene30k)->Arg(3)->Arg(0)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

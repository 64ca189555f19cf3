// Writes small valid 3DS files into a folder: the scene fuzzer's starting corpus. Each holds
// a different part of the recognised chunk tree, so mutations start from every handler.
#include "support/chunk_writer.h"

#include <cstdio>
#include <string>
#include <vector>

using pelx::test::Chunk;
using pelx::test::FileKey;

namespace {

Chunk file(const std::vector<Chunk>& blocks) {
    Chunk main(0x4D4D);
    for (const Chunk& b : blocks) main.child(b);
    return main;
}

Chunk editor(const std::vector<Chunk>& objects) {
    Chunk e(0x3D3D);
    for (const Chunk& o : objects) e.child(o);
    return e;
}

Chunk spot(const std::string& name, float x, float y, float z, float range) {
    return Chunk(0x4000).str(name).child(Chunk(0x4600)
                                             .vec(x, y, z)
                                             .child(Chunk(0x0010).vec(1, 0.5f, -0.25f))
                                             .child(Chunk(0x4610).vec(x + range, y, z).f32(20).f32(40)));
}

Chunk rotationTrack() {
    Chunk t(0xB021);
    t.u16(0).u16(0).u16(0).u16(0).u16(0).u32(2);
    t.u32(0).u16(0x0009).f32(1).f32(2).f32(0).vec(0, 0, 1);
    t.u32(20).u16(0).f32(1.5f).vec(0, 0, 1);
    return t;
}

Chunk node(uint16_t id, const std::string& name, const std::vector<Chunk>& tracks) {
    Chunk n(id);
    n.child(Chunk(0xB010).str(name).u16(0).u16(0).u16(0xFFFF));
    for (const Chunk& t : tracks) n.child(t);
    return n;
}

bool write(const std::string& folder, const std::string& name, const Chunk& chunk) {
    std::vector<uint8_t> bytes = chunk.bytes();
    std::FILE* out = std::fopen((folder + "/" + name).c_str(), "wb");
    if (!out) return false;
    std::fwrite(bytes.data(), 1, bytes.size(), out);
    std::fclose(out);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_scene_seeds FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    using pelx::test::cameraNode;
    using pelx::test::cameraObject;
    using pelx::test::meshObject;
    using pelx::test::positionTrack;
    const Chunk box =
        meshObject("box", {0, 0, 0, 2, 0, 0, 2, 2, 0, 0, 2, 1}, {0, 1, 2, 0, 2, 3}, "data/box.jpg");
    const Chunk wall = meshObject("%glass", {-1, 3, 0, 3, 3, 0, 3, 3, 4}, {0, 1, 2}, "mirror");
    const Chunk flare = meshObject("*3fire", {0, 0, 5, 1, 0, 5, 0, 1, 5}, {0, 1, 2}, "data/fire.jpg");
    const Chunk camera = cameraObject("cam", 0, -10, 2, 0, 0, 0);
    const std::vector<Chunk> animation = {
        node(0xB002, "box", {positionTrack({{0, 0, 0, 0}, {30, 1, 0, 0}}), rotationTrack()}),
        node(0xB007, "&sun", {positionTrack({{0, 0, 0, 9}})}),
        node(0xB002, "lamp", {positionTrack({{0, 3, 0, 3}, {40, -3, 0, 3}})}),
        cameraNode(0xB003, "cam", {{0, 0, -10, 2}, {60, 0, -12, 3}}),
        cameraNode(0xB004, "cam", {{0, 0, 0, 0}, {60, 1, 0, 0}}),
    };
    Chunk keyframer(0xB000);
    keyframer.child(Chunk(0xB00A).u16(5).str("MAXSCENE").u16(100));
    for (const Chunk& n : animation) keyframer.child(n);

    bool ok = true;
    ok &= write(folder, "mesh.3ds", file({editor({box})}));
    ok &= write(folder, "lights.3ds",
                file({editor({box, spot("&sun", 0, 0, 9, 12), spot("lamp", 3, 0, 3, 8)})}));
    ok &= write(folder, "full.3ds",
                file({Chunk(0x0002).u32(3),
                      editor({Chunk(0x3D3E).u32(3), box, wall, flare, spot("&sun", 0, 0, 9, 12),
                              spot("lamp", 3, 0, 3, 8), camera}),
                      keyframer}));
    ok &= write(folder, "keyframer-first.3ds", file({keyframer, editor({box, camera})}));
    ok &= write(folder, "cameras.3ds",
                file({editor({camera, cameraObject("cam2", 5, 5, 5, 0, 0, 0)}),
                      Chunk(0xB000).child(cameraNode(0xB003, "cam2", {{0, 1, 2, 3}, {70000, 4, 5, 6}}))}));
    return ok ? 0 : 1;
}

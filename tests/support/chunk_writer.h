// Builds 3DS chunk trees in memory for tests: a chunk is its id, its own data and its
// children; the length field is filled in when the bytes are taken.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace pelx::test {

class Chunk {
  public:
    explicit Chunk(uint16_t id) : id(id) {}

    Chunk& u8(uint8_t v) {
        data.push_back(v);
        return *this;
    }
    Chunk& u16(uint16_t v) {
        for (int i = 0; i < 2; ++i) data.push_back(uint8_t(v >> (8 * i)));
        return *this;
    }
    Chunk& u32(uint32_t v) {
        for (int i = 0; i < 4; ++i) data.push_back(uint8_t(v >> (8 * i)));
        return *this;
    }
    Chunk& f32(float v) {
        uint32_t bits;
        std::memcpy(&bits, &v, 4);
        return u32(bits);
    }
    Chunk& vec(float a, float b, float c) { return f32(a).f32(b).f32(c); }
    // A NUL-terminated string.
    Chunk& str(const std::string& s) {
        data.insert(data.end(), s.begin(), s.end());
        data.push_back(0);
        return *this;
    }
    Chunk& raw(const std::vector<uint8_t>& bytes) {
        data.insert(data.end(), bytes.begin(), bytes.end());
        return *this;
    }
    Chunk& child(const Chunk& c) {
        std::vector<uint8_t> b = c.bytes();
        data.insert(data.end(), b.begin(), b.end());
        return *this;
    }

    std::vector<uint8_t> bytes() const {
        std::vector<uint8_t> out;
        uint32_t length = static_cast<uint32_t>(6 + data.size());
        out.push_back(uint8_t(id));
        out.push_back(uint8_t(id >> 8));
        for (int i = 0; i < 4; ++i) out.push_back(uint8_t(length >> (8 * i)));
        out.insert(out.end(), data.begin(), data.end());
        return out;
    }

  private:
    uint16_t id;
    std::vector<uint8_t> data;
};

// A position track (0xB020) with linear keys (no spline parameters); values in file
// coordinates (z up).
struct FileKey {
    uint32_t frame;
    float a, b, c;
};
inline Chunk positionTrack(const std::vector<FileKey>& keys) {
    Chunk track(0xB020);
    track.u16(0).u16(0).u16(0).u16(0).u16(0).u32(static_cast<uint32_t>(keys.size()));
    for (const FileKey& k : keys) track.u32(k.frame).u16(0).vec(k.a, k.b, k.c);
    return track;
}

// A triangle mesh object: vertices in file coordinates, faces, one material name, and texture
// coordinates for every vertex.
inline Chunk meshObject(const std::string& name, const std::vector<float>& xyz, const std::vector<uint16_t>& abc,
                        const std::string& material) {
    Chunk vertices(0x4110);
    vertices.u16(static_cast<uint16_t>(xyz.size() / 3));
    for (float v : xyz) vertices.f32(v);
    Chunk faces(0x4120);
    faces.u16(static_cast<uint16_t>(abc.size() / 3));
    for (size_t i = 0; i + 2 < abc.size(); i += 3) faces.u16(abc[i]).u16(abc[i + 1]).u16(abc[i + 2]).u16(0);
    if (!material.empty()) faces.child(Chunk(0x4130).str(material).u16(0));
    Chunk uv(0x4140);
    uv.u16(static_cast<uint16_t>(xyz.size() / 3));
    for (size_t i = 0; i < xyz.size() / 3; ++i) uv.f32(float(i % 2)).f32(float((i / 2) % 2));
    return Chunk(0x4000).str(name).child(Chunk(0x4100).child(vertices).child(faces).child(uv));
}

// A camera object with its eye and target (file coordinates).
inline Chunk cameraObject(const std::string& name, float ex, float ey, float ez, float tx, float ty, float tz) {
    return Chunk(0x4000).str(name).child(Chunk(0x4700).vec(ex, ey, ez).vec(tx, ty, tz).f32(0).f32(35));
}

// A camera node (0xB003) or camera-target node (0xB004) carrying a position track.
inline Chunk cameraNode(uint16_t nodeId, const std::string& name, const std::vector<FileKey>& keys) {
    return Chunk(nodeId).child(Chunk(0xB010).str(name).u16(0).u16(0).u16(0xFFFF)).child(positionTrack(keys));
}

} // namespace pelx::test

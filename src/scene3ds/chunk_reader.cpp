// Little-endian primitives, chunk headers and the child walk shared by every chunk handler.
// Every read goes through scene.file; a short read yields zeros, never an error.
#include "scene3ds/chunk_reader.h"

#include "scene3ds/byte_source.h"

#include <cstring>

namespace pelx {

namespace {

// Fills bytes from the source; an incomplete value reads as zero, like one past the end.
template <size_t N> std::array<uint8_t, N> readBytes(Scene& scene) {
    std::array<uint8_t, N> bytes{};
    if (scene.file->read(bytes.data(), N) != N) bytes.fill(0);
    return bytes;
}

} // namespace

uint16_t readU16(Scene& scene) {
    auto b = readBytes<2>(scene);
    return static_cast<uint16_t>(b[0] | (b[1] << 8));
}

uint32_t readU32(Scene& scene) {
    auto b = readBytes<4>(scene);
    return uint32_t(b[0]) | (uint32_t(b[1]) << 8) | (uint32_t(b[2]) << 16) | (uint32_t(b[3]) << 24);
}

float readF32(Scene& scene) {
    uint32_t bits = readU32(scene);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

ChunkHeader readChunkHeader(Scene& scene) {
    ChunkHeader header;
    header.start = static_cast<int32_t>(scene.file->tell());
    header.id = readU16(scene);
    header.length = readU32(scene);
    header.end = static_cast<uint32_t>(header.start) + header.length;
    return header;
}

void skipChunk(Scene& scene, const ChunkHeader& header) {
    scene.file->seek(header.end);
}

Vec3d readVector(Scene& scene) {
    float a = readF32(scene);
    float b = readF32(scene);
    float c = readF32(scene);
    return {a, c, -double(b)};
}

Vec3f readPlainVector(Scene& scene) {
    Vec3f v;
    v.x = readF32(scene);
    v.y = readF32(scene);
    v.z = readF32(scene);
    return v;
}

std::array<uint16_t, 3> readFaceIndices(Scene& scene) {
    std::array<uint16_t, 3> indices;
    for (uint16_t& index : indices) index = readU16(scene);
    return indices;
}

void readName(Scene& scene, char* buffer, int limit) {
    std::memset(buffer, 0, size_t(limit));
    for (int i = 0; i < limit; ++i) {
        uint8_t byte = 0;
        if (scene.file->read(&byte, 1) != 1) byte = 0;
        buffer[i] = static_cast<char>(byte);
        if (byte == 0) return;
    }
}

uint32_t bytesLeft(Scene& scene, const ChunkHeader& header) {
    uint64_t here = scene.file->tell();
    return here < header.end ? static_cast<uint32_t>(header.end - here) : 0;
}

uint32_t clampCount(Scene& scene, const ChunkHeader& header, uint32_t count, uint32_t recordSize) {
    uint32_t room = bytesLeft(scene, header) / recordSize;
    return count < room ? count : room;
}

void traceChunk(Scene& scene, const ChunkHeader& header, bool recognised, const char* traceLine,
                ChunkProblem problem) {
    ChunkTrace* trace = scene.trace;
    if (!trace) return;
    if (recognised && traceLine && trace->lines) trace->lines(traceLine);
    if (trace->chunks) trace->chunks(ChunkVisit{header, trace->depth, recognised, traceLine, problem});
}

namespace {

// The child walk; handle(entry, child) reads a child whose id matches an entry of recognised.
template <class Entry, class Handle>
void walk(Scene& scene, const ChunkHeader& parent, std::initializer_list<Entry> recognised, Handle handle) {
    if (scene.trace) scene.trace->depth += 1;
    const uint64_t fileSize = scene.file->size();
    while (scene.file->tell() < parent.end) {
        uint64_t here = scene.file->tell();
        if (parent.end - here < CHUNK_HEADER_SIZE) {
            // A few bytes that cannot hold a header: nothing more to find in this parent.
            ChunkHeader stray;
            stray.start = static_cast<int32_t>(here);
            stray.length = static_cast<uint32_t>(parent.end - here);
            stray.end = parent.end;
            traceChunk(scene, stray, false, nullptr, ChunkProblem::stray);
            break;
        }
        ChunkHeader child = readChunkHeader(scene);
        if (child.length < CHUNK_HEADER_SIZE) {
            // It would not move the walk forward; everything after it is unreadable.
            traceChunk(scene, child, false, nullptr, ChunkProblem::tooShort);
            break;
        }
        // A stored length reaching past the parent (or the file) is read only up to the
        // parent's end, and nothing after it can be trusted to start where it claims.
        ChunkProblem problem = ChunkProblem::none;
        uint64_t claimedEnd = uint64_t(uint32_t(child.start)) + child.length;
        if (claimedEnd > fileSize)
            problem = ChunkProblem::pastFile;
        else if (claimedEnd > parent.end)
            problem = ChunkProblem::pastParent;
        if (problem != ChunkProblem::none) child.end = parent.end;

        const Entry* known = nullptr;
        for (const Entry& candidate : recognised)
            if (candidate.id == child.id) known = &candidate;
        traceChunk(scene, child, known != nullptr, known ? known->traceLine : nullptr, problem);
        if (known) handle(*known, child);
        skipChunk(scene, child);
        if (problem != ChunkProblem::none) break;
    }
    if (scene.trace) scene.trace->depth -= 1;
}

} // namespace

void walkChildren(Scene& scene, const ChunkHeader& parent, std::initializer_list<ChildChunk> recognised,
                  const std::function<void(const ChunkHeader& child)>& handle) {
    walk(scene, parent, recognised, [&](const ChildChunk&, const ChunkHeader& child) { handle(child); });
}

void walkChildren(Scene& scene, const ChunkHeader& parent, std::initializer_list<ChildHandler> handlers) {
    walk(scene, parent, handlers,
         [&](const ChildHandler& handler, const ChunkHeader& child) { handler.read(scene, child); });
}

} // namespace pelx

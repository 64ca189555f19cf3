// The 3DS chunk reader: little-endian primitives read from the scene's byte source, chunk
// headers, the chunk ids the loader knows, and the one rule by which every handler walks the
// children of its chunk. An optional trace on the scene sees every chunk the walk meets.
#pragma once

#include "scene/scene.h"

#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>

namespace pelx {

// The chunk ids the loader recognises, with their parents.
inline constexpr uint16_t CHUNK_MAIN = 0x4D4D;                  // the first chunk of a file
inline constexpr uint16_t CHUNK_3DEDITORCHUNK = 0x3D3D;         // under CHUNK_MAIN
inline constexpr uint16_t CHUNK_OBJETBLOCK = 0x4000;            // under CHUNK_3DEDITORCHUNK
inline constexpr uint16_t CHUNK_TRIANGULARMESH = 0x4100;        // under CHUNK_OBJETBLOCK
inline constexpr uint16_t CHUNK_VERTICELIST = 0x4110;           // under CHUNK_TRIANGULARMESH
inline constexpr uint16_t CHUNK_FACELIST = 0x4120;              // under CHUNK_TRIANGULARMESH
inline constexpr uint16_t CHUNK_FACEMATERIALLIST = 0x4130;      // under CHUNK_FACELIST
inline constexpr uint16_t CHUNK_MAPPINGCOORDINATELIST = 0x4140; // under CHUNK_TRIANGULARMESH
inline constexpr uint16_t CHUNK_LIGHT = 0x4600;                 // under CHUNK_OBJETBLOCK
inline constexpr uint16_t CHUNK_LIGHTCOLOR = 0x0010;            // under CHUNK_LIGHT
inline constexpr uint16_t CHUNK_SPOTLIGHT = 0x4610;             // under CHUNK_LIGHT
inline constexpr uint16_t CHUNK_CAMERA = 0x4700;                // under CHUNK_OBJETBLOCK
inline constexpr uint16_t CHUNK_KEYFRAMER = 0xB000;             // under CHUNK_MAIN
inline constexpr uint16_t CHUNK_OBJETINFOBLOCK = 0xB002;        // under CHUNK_KEYFRAMER
inline constexpr uint16_t CHUNK_CAMERAINFOBLOCK = 0xB003;       // under CHUNK_KEYFRAMER
inline constexpr uint16_t CHUNK_CAMERATARGETINFOBLOCK = 0xB004; // under CHUNK_KEYFRAMER
inline constexpr uint16_t CHUNK_SPOTLIGHTINFOBLOCK = 0xB007;    // under CHUNK_KEYFRAMER, read as 0xB002
inline constexpr uint16_t CHUNK_OBJETNAME = 0xB010;             // under the four node blocks
inline constexpr uint16_t CHUNK_OBJETPIVOTPOINT = 0xB013;       // under the four node blocks
inline constexpr uint16_t CHUNK_POSITIONTRACK = 0xB020;         // under the four node blocks
inline constexpr uint16_t CHUNK_ROTATIONTRACK = 0xB021;         // under the four node blocks
// Not read by the loader; named because the inspector warns about lights animated by them.
inline constexpr uint16_t CHUNK_LIGHTINFOBLOCK = 0xB005;

inline constexpr uint32_t CHUNK_HEADER_SIZE = 6;

struct ChunkHeader {
    int32_t start = 0; // position of the header's first byte
    uint16_t id = 0;
    uint32_t length = 0; // as stored: header + own data + children
    uint32_t end = 0;    // start + length; moved back to the parent's end (or the file's) when
                         // the stored length reaches past it
};

// Why a walk stopped early at a chunk (ChunkVisit::problem).
enum class ChunkProblem {
    none,
    tooShort,   // length below the 6 header bytes: not read, the walk ends
    pastParent, // reaches past its parent's end: read up to there, then the walk ends
    pastFile,   // reaches past the end of the file: read up to there, then the walk ends
    stray,      // fewer than 6 bytes left before the parent's end: no header there
};

// One chunk met by a walk, as the trace sees it. traceLine is null for chunks that have none.
struct ChunkVisit {
    const ChunkHeader& header;
    int depth;       // 0 for the main chunk
    bool recognised; // handed to a handler (false: jumped over)
    const char* traceLine;
    ChunkProblem problem;
};

// Optional observer of a load, set in Scene::trace. lines receives the loader's trace lines
// exactly as written (indentation and newline included); chunks receives every chunk met.
struct ChunkTrace {
    std::function<void(const char* line)> lines;
    std::function<void(const ChunkVisit& visit)> chunks;
    int depth = 0; // depth of the chunks being walked; kept by the walk
};

// Primitive reads from scene.file; past the end of the data numbers read as 0.
uint16_t readU16(Scene& scene);
uint32_t readU32(Scene& scene);
float readF32(Scene& scene);
ChunkHeader readChunkHeader(Scene& scene);
// Seeks to the header's end.
void skipChunk(Scene& scene, const ChunkHeader& header);
// Three floats (a, b, c) read as (a, c, -b): the file's z-up frame becomes y-up.
Vec3d readVector(Scene& scene);
// Three floats in file order (colours).
Vec3f readPlainVector(Scene& scene);
std::array<uint16_t, 3> readFaceIndices(Scene& scene);
// Bytes into buffer until a NUL has been stored or limit bytes are stored (then unterminated).
// A read past the end of the data stores NUL.
void readName(Scene& scene, char* buffer, int limit = OBJECT_NAME_SIZE);

// Bytes between the current position and the chunk's end (0 when past it).
uint32_t bytesLeft(Scene& scene, const ChunkHeader& header);
// A count read from the file, bounded by how many records of recordSize bytes the rest of
// the chunk can hold, so that a damaged count never allocates more than the file provides.
uint32_t clampCount(Scene& scene, const ChunkHeader& header, uint32_t count, uint32_t recordSize);

// A child id a parent recognises, with the line announced to the trace (null for none).
struct ChildChunk {
    uint16_t id;
    const char* traceLine;
};

// A child id a parent recognises with its trace line and the handler that reads it.
struct ChildHandler {
    uint16_t id;
    const char* traceLine;
    void (*read)(Scene& scene, const ChunkHeader& header);
};

// Walks the children of parent from the current position up to parent.end: each recognised
// child is announced and handed to handle, every child is followed by a seek to its end.
// A child shorter than a header or reaching past its parent (or the file) ends the walk.
void walkChildren(Scene& scene, const ChunkHeader& parent, std::initializer_list<ChildChunk> recognised,
                  const std::function<void(const ChunkHeader& child)>& handle);
// The same walk, each recognised child read by the handler given with its id.
void walkChildren(Scene& scene, const ChunkHeader& parent, std::initializer_list<ChildHandler> handlers);

// Reports a chunk to the scene's trace, if any (used for the main chunk, which has no parent).
void traceChunk(Scene& scene, const ChunkHeader& header, bool recognised, const char* traceLine,
                ChunkProblem problem);

} // namespace pelx

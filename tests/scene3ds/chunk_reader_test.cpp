// The chunk reader: little-endian primitives, names, headers, the child walk and its ends
// on damaged data, and the trace lines of a load.
#include "scene3ds/chunk_reader.h"

#include "scene_bytes.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pelx {
namespace {

using test::Chunk;

struct ReaderFixture {
    explicit ReaderFixture(std::vector<uint8_t> bytes) : source(std::move(bytes)) { scene.file = &source; }
    MemoryByteSource source;
    Scene scene;
};

TEST(ChunkReader, NumbersAreLittleEndianAndZeroPastTheEnd) {
    // 0x1234, 0x89ABCDEF, 1.5f, then two bytes that cannot make a u32.
    ReaderFixture r({0x34, 0x12, 0xEF, 0xCD, 0xAB, 0x89, 0x00, 0x00, 0xC0, 0x3F, 0x01, 0x02});
    EXPECT_EQ(readU16(r.scene), 0x1234);
    EXPECT_EQ(readU32(r.scene), 0x89ABCDEFu);
    EXPECT_EQ(readF32(r.scene), 1.5f);
    EXPECT_EQ(readU32(r.scene), 0u) << "an incomplete value reads as zero";
    EXPECT_EQ(readU16(r.scene), 0) << "past the end";
    EXPECT_EQ(readF32(r.scene), 0.0f);
}

TEST(ChunkReader, VectorsChangeToYUpColoursDoNot) {
    ReaderFixture r(Chunk(1).vec(1, 2, 3).vec(1, 2, 3).bytes());
    r.source.seek(6);
    Vec3d v = readVector(r.scene);
    EXPECT_EQ(v.x, 1.0);
    EXPECT_EQ(v.y, 3.0);
    EXPECT_EQ(v.z, -2.0);
    Vec3f c = readPlainVector(r.scene);
    EXPECT_EQ(c.x, 1.0f);
    EXPECT_EQ(c.y, 2.0f);
    EXPECT_EQ(c.z, 3.0f);
}

TEST(ChunkReader, FaceIndicesInFileOrder) {
    ReaderFixture r(Chunk(1).u16(7).u16(0xFFFF).u16(2).bytes());
    r.source.seek(6);
    auto indices = readFaceIndices(r.scene);
    EXPECT_EQ(indices[0], 7);
    EXPECT_EQ(indices[1], 0xFFFF);
    EXPECT_EQ(indices[2], 2);
}

TEST(ChunkReader, NamesStopAfterTheirNulOrTheLimit) {
    struct Case {
        std::string stored; // bytes in the file (a NUL is added when terminated)
        bool terminated;
        int limit;
        std::string expected; // characters in the buffer
        uint64_t endPosition;
    };
    const std::string s79(79, 'n'), s80(80, 'e'), s85(85, 'f'), s256(256, 'm');
    const Case cases[] = {
        {"abc", true, 80, "abc", 4},
        {"", true, 80, "", 1},
        {s79, true, 80, s79, 80},
        {s80, true, 80, s80, 80},                  // the NUL stays unread
        {s85, true, 80, std::string(80, 'f'), 80}, // the rest of the name stays unread
        {"ab", false, 80, "ab", 2},                // the end of the data stores the NUL
        {s256, true, 256, s256, 256},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes(c.stored.begin(), c.stored.end());
        if (c.terminated) bytes.push_back(0);
        bytes.push_back('Z'); // what follows the name
        if (!c.terminated) bytes.pop_back();
        ReaderFixture r(bytes);
        std::vector<char> buffer(size_t(c.limit) + 1, '#');
        readName(r.scene, buffer.data(), c.limit);
        EXPECT_EQ(std::string(buffer.data(), strnlen(buffer.data(), size_t(c.limit))), c.expected)
            << c.stored;
        EXPECT_EQ(r.source.tell(), c.endPosition) << c.stored;
        EXPECT_EQ(buffer[size_t(c.limit)], '#') << "nothing is written past the limit";
    }
}

TEST(ChunkReader, HeaderEndIsStartPlusLengthIn32Bits) {
    std::vector<uint8_t> bytes(10, 0);
    std::vector<uint8_t> header = {0x10, 0x41, 0x20, 0, 0, 0, 0x00, 0x40, 0xFF, 0xFF, 0xFF, 0xFF};
    bytes.insert(bytes.end(), header.begin(), header.end());
    ReaderFixture r(bytes);
    r.source.seek(10);
    ChunkHeader h = readChunkHeader(r.scene);
    EXPECT_EQ(h.start, 10);
    EXPECT_EQ(h.id, 0x4110);
    EXPECT_EQ(h.length, 0x20u);
    EXPECT_EQ(h.end, 0x2Au);
    ChunkHeader wrapped = readChunkHeader(r.scene);
    EXPECT_EQ(wrapped.start, 16);
    EXPECT_EQ(wrapped.length, 0xFFFFFFFFu);
    EXPECT_EQ(wrapped.end, 15u);
    skipChunk(r.scene, h);
    EXPECT_EQ(r.source.tell(), 0x2Au);
}

// One walk over a parent chunk (id 0x0F00) whose recognised children are 0x0A0A and 0x0B0B.
struct WalkResult {
    std::vector<uint16_t> handled;
    std::vector<uint32_t> handledEnds;
    std::vector<ChunkProblem> problems; // one per chunk the trace saw
    std::string lines;
};

WalkResult walk(const std::vector<uint8_t>& bytes) {
    ReaderFixture r(bytes);
    WalkResult result;
    ChunkTrace trace;
    trace.lines = [&](const char* line) { result.lines += line; };
    trace.chunks = [&](const ChunkVisit& visit) { result.problems.push_back(visit.problem); };
    r.scene.trace = &trace;
    ChunkHeader parent = readChunkHeader(r.scene);
    if (uint64_t(parent.end) > bytes.size()) parent.end = uint32_t(bytes.size());
    walkChildren(r.scene, parent, {{0x0A0A, "A\n"}, {0x0B0B, "  B\n"}}, [&](const ChunkHeader& child) {
        result.handled.push_back(child.id);
        result.handledEnds.push_back(child.end);
        readU32(r.scene); // handlers may read into their chunk; the walk resynchronises
    });
    EXPECT_EQ(trace.depth, 0);
    return result;
}

std::vector<uint8_t> withLength(std::vector<uint8_t> bytes, size_t at, uint32_t length) {
    for (int i = 0; i < 4; ++i) bytes[at + 2 + i] = uint8_t(length >> (8 * i));
    return bytes;
}

TEST(ChunkWalk, RecognisedChildrenAreHandledOthersSkipped) {
    using P = ChunkProblem;
    const Chunk a = Chunk(0x0A0A).u32(1).u32(2);
    const Chunk b = Chunk(0x0B0B);
    const Chunk unknown = Chunk(0x7777).u32(5);
    const Chunk misplaced = Chunk(0x4110).u16(0); // a known id, but not one this parent takes

    const Chunk ordinary = Chunk(0x0F00).child(a).child(unknown).child(b).child(misplaced).child(a);
    WalkResult r = walk(ordinary.bytes());
    EXPECT_EQ(r.handled, (std::vector<uint16_t>{0x0A0A, 0x0B0B, 0x0A0A}));
    EXPECT_EQ(r.lines, "A\n  B\nA\n");
    EXPECT_EQ(r.problems, (std::vector<P>(5, P::none)));

    WalkResult empty = walk(Chunk(0x0F00).bytes());
    EXPECT_TRUE(empty.handled.empty()) << "a parent without children reads no header";
    EXPECT_TRUE(empty.problems.empty());
}

TEST(ChunkWalk, DamagedChildrenEndTheWalk) {
    using P = ChunkProblem;
    const Chunk a = Chunk(0x0A0A).u32(1);
    const Chunk b = Chunk(0x0B0B).u32(2);
    const std::vector<uint8_t> good = Chunk(0x0F00).child(a).child(b).child(a).bytes();
    // Offsets: parent header 0..5, first a at 6 (10 bytes), b at 16 (10 bytes), a at 26.
    ASSERT_EQ(good.size(), 36u);

    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        std::vector<uint16_t> handled;
        std::vector<P> problems;
    };
    // Bytes after the parent, so that a child can reach past its parent but not the file.
    std::vector<uint8_t> tailed = good;
    const std::vector<uint8_t> tail = Chunk(0x0A0A).u32(9).bytes();
    tailed.insert(tailed.end(), tail.begin(), tail.end());
    std::vector<uint8_t> pastParent = withLength(tailed, 0, 24); // the parent now ends inside b
    std::vector<uint8_t> cut = good;
    cut.resize(33);                                       // the last a is cut short by the end of the file
    std::vector<uint8_t> stray = withLength(good, 0, 30); // four bytes of the last a remain
    const Case cases[] = {
        {"length below a header", withLength(good, 16, 5), {0x0A0A}, {P::none, P::tooShort}},
        {"length zero", withLength(good, 16, 0), {0x0A0A}, {P::none, P::tooShort}},
        {"past the parent's end", withLength(tailed, 16, 25), {0x0A0A, 0x0B0B}, {P::none, P::pastParent}},
        {"length wraps past 4 GiB",
         withLength(good, 16, 0xFFFFFFF0),
         {0x0A0A, 0x0B0B},
         {P::none, P::pastFile}},
        {"file ends inside the last child", cut, {0x0A0A, 0x0B0B, 0x0A0A}, {P::none, P::none, P::pastFile}},
        {"parent ends inside a child", pastParent, {0x0A0A, 0x0B0B}, {P::none, P::pastParent}},
        {"bytes too few for a header", stray, {0x0A0A, 0x0B0B}, {P::none, P::none, P::stray}},
    };
    for (const Case& c : cases) {
        WalkResult r = walk(c.bytes);
        EXPECT_EQ(r.handled, c.handled) << c.what;
        EXPECT_EQ(r.problems, c.problems) << c.what;
        for (uint32_t end : r.handledEnds) EXPECT_LE(end, c.bytes.size()) << c.what;
    }
    // A child reaching past its parent is read only up to the parent's end.
    WalkResult past = walk(withLength(tailed, 16, 25));
    EXPECT_EQ(past.handledEnds.back(), 36u);
    WalkResult inside = walk(pastParent);
    EXPECT_EQ(inside.handledEnds.back(), 24u);
}

TEST(ByteSources, FileAndMemoryReadTheSameBytes) {
    test::TempDir dir;
    const std::vector<uint8_t> bytes = {1, 2, 3, 4, 5};
    test::writeFile(dir.file("five.bin"), bytes);
    FileByteSource file;
    ASSERT_TRUE(file.open(dir.file("five.bin").c_str()));
    MemoryByteSource memory(bytes);
    for (ByteSource* source : {static_cast<ByteSource*>(&file), static_cast<ByteSource*>(&memory)}) {
        uint8_t got[8] = {};
        EXPECT_EQ(source->size(), 5u);
        EXPECT_EQ(source->read(got, 2), 2u);
        EXPECT_EQ(got[1], 2);
        source->seek(3);
        EXPECT_EQ(source->read(got, 8), 2u) << "only what is left";
        EXPECT_EQ(got[0], 4);
        EXPECT_EQ(source->tell(), 5u);
        source->seek(100);
        EXPECT_EQ(source->tell(), 100u);
        EXPECT_EQ(source->read(got, 1), 0u);
        source->seek(1);
        EXPECT_EQ(source->read(got, 1), 1u);
        EXPECT_EQ(got[0], 2) << "back inside after a seek past the end";
    }
    FileByteSource missing;
    EXPECT_FALSE(missing.open(dir.file("absent.bin").c_str()));
    EXPECT_FALSE(missing.isOpen());
}

TEST(LoadTrace, EveryRecognisedChunkAnnouncesItsLine) {
    using namespace test;
    Chunk mesh = meshObject("box", {0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, 2}, "data/box.jpg");
    Chunk lamp = spotObject("lamp", 0, 0, 0, 1, 1, 1, 3, 0, 4);
    Chunk camera = cameraObject("cam", 0, -10, 0, 0, 0, 0);
    Chunk editor = editorOf({mesh, Chunk(0x0100).f32(1), lamp, camera}); // 0x0100 is skipped
    Chunk node = objectNode(
        "box", {Chunk(0xB013).vec(0, 0, 0), positionTrack({{0, 0, 0, 0}}), rotationTrack({{0, 0, 0, 0, 1}})});
    Chunk keyframer = keyframerOf({Chunk(0xB00A).u16(5), node, cameraNode(0xB003, "cam", {{0, 0, -10, 0}}),
                                   cameraNode(0xB004, "cam", {{0, 0, 0, 0}}),
                                   objectNode("lamp", {positionTrack({{0, 0, 0, 0}})}, 0xB007)});
    std::vector<uint8_t> bytes = fileOf({Chunk(0x0002).u32(3), editor, keyframer});

    ScopedRecordedTextures textures;
    Scene scene;
    std::string lines;
    ChunkTrace trace;
    trace.lines = [&](const char* line) { lines += line; };
    scene.trace = &trace;
    ASSERT_TRUE(loadBytes(scene, bytes));
    EXPECT_EQ(lines, "CHUNK_3DEDITORCHUNK\n"
                     "+--CHUNK_OBJETBLOCK\n"
                     "   +--CHUNK_TRIANGULARMESH\n"
                     "      +--CHUNK_VERTICELIST\n"
                     "      +--CHUNK_FACELIST\n"
                     "         +--CHUNK_FACEMATERIALLIST\n"
                     "      +--CHUNK_MAPPINGCOORDINATELIST\n"
                     "+--CHUNK_OBJETBLOCK\n"
                     "   +--CHUNK_LIGHT\n"
                     "      +--CHUNK_SPOTLIGHT\n"
                     "+--CHUNK_OBJETBLOCK\n"
                     "   +--CHUNK_CAMERA\n"
                     "CHUNK_KEYFRAMER\n"
                     "+--CHUNK_OBJETINFOBLOCK\n"
                     "   +--CHUNK_OBJETNAME\n"
                     "   +--CHUNK_OBJETPIVOTPOINT\n"
                     "   +--CHUNK_POSITIONTRACK\n"
                     "   +--CHUNK_ROTATIONTRACK\n"
                     "+--CHUNK_CAMERAINFOBLOCK\n"
                     "   +--CHUNK_OBJETNAME\n"
                     "   +--CHUNK_POSITIONTRACK\n"
                     "+--CHUNK_CAMERATARGETINFOBLOCK\n"
                     "   +--CHUNK_OBJETNAME\n"
                     "   +--CHUNK_POSITIONTRACK\n"
                     "+--CHUNK_OBJETINFOBLOCK\n"
                     "   +--CHUNK_OBJETNAME\n"
                     "   +--CHUNK_POSITIONTRACK\n");
}

TEST(LoadTrace, ChunksAreSeenWithTheirDepth) {
    using namespace test;
    std::vector<uint8_t> bytes = fileOf({editorOf({lightObject("l", 1, 2, 3, 1, 1, 1)})});
    Scene scene;
    std::vector<std::pair<uint16_t, int>> seen;
    ChunkTrace trace;
    trace.chunks = [&](const ChunkVisit& visit) { seen.emplace_back(visit.header.id, visit.depth); };
    scene.trace = &trace;
    ASSERT_TRUE(loadBytes(scene, bytes));
    const std::vector<std::pair<uint16_t, int>> expected = {
        {0x4D4D, 0}, {0x3D3D, 1}, {0x4000, 2}, {0x4600, 3}, {0x0010, 4}};
    EXPECT_EQ(seen, expected);
}

} // namespace
} // namespace pelx

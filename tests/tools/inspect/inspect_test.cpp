// The inspector: the JSON dump compared with hand-written values, its options, the content
// check's findings and the chunk tree.
#include "inspect.h"

#include "image/jpeg_writer.h"
#include "json_reader.h"
#include "scene3ds/scene_bytes.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace pelx {
namespace {

using test::Chunk;
using test::Json;

std::string writeScene(const test::TempDir& dir, const std::string& name, const std::vector<uint8_t>& bytes) {
    test::writeFile(dir.file(name), bytes);
    return dir.file(name);
}

Json dump(const std::string& path, const std::vector<std::string>& args = {"--json"}) {
    inspect::DumpOptions options;
    std::string error;
    EXPECT_TRUE(inspect::parseDumpOptions(args, options, error)) << error;
    return test::parseJson(inspect::dumpScene(path.c_str(), options));
}

const std::vector<std::string> TOP_KEYS = {
    "file", "loaded", "lightingMode", "shadowFactor", "translucentShadowFactor", "objectCount", "lightCount",
    "cameraCount", "materialCount", "mirrorCount", "emitterCount", "hasMovingMesh", "frameCount", "currentFrame",
    "currentCamera", "materials", "lights", "cameras", "objects"};
const std::vector<std::string> OBJECT_KEYS = {
    "name", "kind", "vertexCount", "faceCount", "texCoordCount", "vertices", "faces", "texCoords", "boundsMin",
    "boundsMax", "sectionX", "sectionY", "sectionZ", "shadowSection", "materialIndex", "isMirror", "baseColors",
    "vertexColors", "position", "rotation", "rotationSum", "pivot", "eye", "target", "light", "positionTrack",
    "rotationTrack"};
const std::vector<std::string> LIGHT_KEYS = {"lightPosition", "color", "range", "moving", "tag", "on"};
const std::vector<std::string> TRACK_KEYS = {"keyCount", "keyIndex", "keyFrames", "keyValues"};

// A scene of a mesh with a Latin-1 name, a static spotlight and an animated camera.
std::vector<uint8_t> sampleScene() {
    Chunk mesh = test::meshObject("caf\xE9", {1, 2, 3, 0, 0, 0, 4, 0, 0}, {0, 1, 2}, "data/stone.jpg");
    Chunk sun = test::spotObject("&sun", 0, 0, 0, -0.5f, 0.25f, -1, 3, 0, 4);
    Chunk camera = test::cameraObject("cam", 0, -10, 0, 0, 0, 0);
    Chunk node = test::objectNode("caf\xE9", {test::rotationTrack({{0, 1, 1, 0, 0}, {15, 1.57079637f, 0, 0, 1}})});
    return test::fileOf({test::editorOf({mesh, sun, camera}),
                         test::keyframerOf({node, test::cameraNode(0xB003, "cam", {{0, 0, -10, 0}, {70000, 0, -5, 0}})})});
}

std::string numberAt(const Json& array, size_t i) { return array[i].source; }

TEST(InspectDump, EveryObjectCarriesEveryKeyInOrder) {
    test::TempDir dir;
    Json scene = dump(writeScene(dir, "s.3ds", sampleScene()));
    EXPECT_EQ(scene.keyOrder, TOP_KEYS);
    ASSERT_EQ(scene["objects"].size(), 3u);
    for (const Json& object : scene["objects"].items) {
        EXPECT_EQ(object.keyOrder, OBJECT_KEYS);
        EXPECT_EQ(object["light"].keyOrder, LIGHT_KEYS);
        EXPECT_EQ(object["positionTrack"].keyOrder, TRACK_KEYS);
        EXPECT_EQ(object["rotationTrack"].keyOrder, TRACK_KEYS);
        for (const char* section : {"sectionX", "sectionY", "sectionZ", "shadowSection"})
            EXPECT_EQ(object[section].size(), 4u) << section;
    }
}

TEST(InspectDump, SceneValuesMatchHandWrittenOnes) {
    test::TempDir dir;
    const std::string path = writeScene(dir, "s.3ds", sampleScene());
    Json scene = dump(path);
    EXPECT_EQ(scene["file"].text, path);
    EXPECT_TRUE(scene["loaded"].flag);
    EXPECT_EQ(scene["lightingMode"].source, "3");
    EXPECT_EQ(scene["shadowFactor"].source, "0.100000001");
    EXPECT_EQ(scene["translucentShadowFactor"].source, "0.400000006");
    EXPECT_EQ(scene["objectCount"].source, "3");
    EXPECT_EQ(scene["lightCount"].source, "1");
    EXPECT_EQ(scene["cameraCount"].source, "1");
    EXPECT_EQ(scene["materialCount"].source, "1");
    EXPECT_EQ(scene["mirrorCount"].source, "0");
    EXPECT_EQ(scene["emitterCount"].source, "0");
    EXPECT_FALSE(scene["hasMovingMesh"].flag);
    EXPECT_EQ(scene["frameCount"].source, "4464");
    EXPECT_EQ(scene["currentFrame"].source, "0");
    EXPECT_EQ(scene["materials"][0].text, "data/stone.jpg");
    EXPECT_EQ(scene["lights"].size(), 1u);
    EXPECT_EQ(scene["lights"][0].source, "1");
    EXPECT_EQ(scene["cameras"][0].source, "2");

    const Json& mesh = scene["objects"][0];
    EXPECT_EQ(mesh["name"].text, "caf\xE9");
    EXPECT_EQ(mesh["kind"].text, "mesh");
    EXPECT_EQ(mesh["vertexCount"].source, "3");
    EXPECT_EQ(numberAt(mesh["vertices"][0], 0), "1");
    EXPECT_EQ(numberAt(mesh["vertices"][0], 1), "3");
    EXPECT_EQ(numberAt(mesh["vertices"][0], 2), "-2");
    EXPECT_EQ(mesh["faces"][0].size(), 4u);
    EXPECT_EQ(numberAt(mesh["faces"][0], 2), "2");
    EXPECT_EQ(numberAt(mesh["texCoords"][1], 0), "1");
    EXPECT_EQ(numberAt(mesh["boundsMax"], 0), "4");
    EXPECT_EQ(numberAt(mesh["boundsMin"], 2), "-2");
    EXPECT_EQ(numberAt(mesh["sectionZ"][0], 2), "-1");
    EXPECT_EQ(mesh["materialIndex"].source, "0");
    EXPECT_FALSE(mesh["isMirror"].flag);
    EXPECT_EQ(mesh["baseColors"].size(), 3u);
    // The rotation key: pi/2 about the stored z axis, converted with 3.1415.
    const Json& rotation = mesh["rotationTrack"];
    EXPECT_EQ(rotation["keyCount"].source, "2");
    EXPECT_EQ(numberAt(rotation["keyFrames"], 1), "15");
    EXPECT_NEAR(rotation["keyValues"][1][1].value, 90.00266, 0.000005);
    EXPECT_EQ(numberAt(rotation["keyValues"][0], 1), "0");
    EXPECT_EQ(mesh["light"]["tag"].text, "");
    EXPECT_FALSE(mesh["light"]["on"].flag);

    const Json& sun = scene["objects"][1];
    EXPECT_EQ(sun["kind"].text, "light");
    EXPECT_EQ(sun["light"]["tag"].text, "&");
    EXPECT_TRUE(sun["light"]["on"].flag);
    EXPECT_FALSE(sun["light"]["moving"].flag);
    EXPECT_EQ(sun["light"]["range"].source, "5");
    EXPECT_EQ(numberAt(sun["light"]["color"], 0), "0.5");
    EXPECT_EQ(numberAt(sun["light"]["color"], 1), "0.25");
    EXPECT_EQ(numberAt(sun["light"]["color"], 2), "1");
    EXPECT_EQ(sun["vertices"].size(), 0u);

    const Json& cam = scene["objects"][2];
    EXPECT_EQ(cam["kind"].text, "camera");
    EXPECT_EQ(numberAt(cam["eye"], 2), "10");
    EXPECT_EQ(numberAt(cam["positionTrack"]["keyFrames"], 1), "4464");
    EXPECT_EQ(cam["positionTrack"]["keyIndex"].source, "1");
}

TEST(InspectDump, NumbersReadBackExactly) {
    // 0.1 as a float, a NaN and an infinity among the vertices, and a rotation in doubles.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    Chunk vertices(0x4110);
    vertices.u16(2).vec(0.1f, nan, 16777217.0f).vec(inf, 0.0f, 1e-30f);
    Chunk mesh = Chunk(0x4000).str("m").child(Chunk(0x4100).child(vertices));
    Chunk node = test::objectNode("m", {test::rotationTrack({{0, 0, 1, 0, 0}, {1, 0.3f, 0, 0, 1}})});
    test::TempDir dir;
    Json scene = dump(writeScene(dir, "n.3ds", test::fileOf({test::editorOf({mesh}), test::keyframerOf({node})})));
    const Json& m = scene["objects"][0];
    EXPECT_EQ(numberAt(m["vertices"][0], 0), "0.10000000149011612") << "a 64-bit value";
    EXPECT_EQ(m["vertices"][0][2].type, Json::null) << "minus NaN is still not a number";
    EXPECT_EQ(numberAt(m["vertices"][0], 1), "16777216") << "the nearest float";
    EXPECT_EQ(m["vertices"][1][0].type, Json::null);
    EXPECT_EQ(numberAt(m["vertices"][1], 2), "-0");
    EXPECT_EQ(numberAt(m["boundsMin"], 0), "0.100000001") << "a 32-bit value";
    EXPECT_EQ(m["boundsMax"][0].type, Json::null);
    // Every 64-bit value reads back to the same double.
    Scene loaded;
    ASSERT_TRUE(test::loadBytes(loaded, test::fileOf({test::editorOf({mesh}), test::keyframerOf({node})})));
    EXPECT_EQ(std::strtod(m["rotationTrack"]["keyValues"][1][1].source.c_str(), nullptr), loaded.rotationTrack.keyValues[1].y);
    EXPECT_EQ(std::strtod(m["vertices"][1][1].source.c_str(), nullptr), loaded.vertices[1].y);
}

TEST(InspectDump, NamesOf80CharactersAndUnloadableFiles) {
    const std::string n80(80, 'q');
    test::TempDir dir;
    Json scene = dump(writeScene(dir, "l.3ds", test::fileOf({test::editorOf({test::lightObject(n80, 0, 0, 0, 1, 1, 1)})})));
    EXPECT_EQ(scene["objects"][0]["name"].text, n80);
    // Its NUL stays unread and shifts the light chunk: the object's walk ends there.
    EXPECT_EQ(scene["objects"][0]["kind"].text, "none");
    EXPECT_EQ(scene["objects"][0]["light"]["tag"].text, "");

    Json missing = dump(dir.file("absent.3ds"));
    EXPECT_FALSE(missing["loaded"].flag);
    EXPECT_EQ(missing.keyOrder, TOP_KEYS);
    EXPECT_EQ(missing["objects"].size(), 0u);
    EXPECT_EQ(missing["objectCount"].source, "0");
    EXPECT_EQ(missing["lightingMode"].source, "3");
}

TEST(InspectDump, OptionsReachTheLoaderAndTheLightingPass) {
    // A moving mesh 5 units from a plain (per-frame) light reaching 10: the load bakes
    // nothing from it, one lighting pass adds half its colour.
    Chunk mesh = test::meshObject("m", {5, 0, 0, 0, 0, 0, 30, 0, 0}, {0, 1, 2}, "");
    Chunk lamp = test::spotObject("lamp", 0, 0, 0, 1, 0.5f, 0, 10, 0, 0);
    Chunk node = test::objectNode("m", {test::positionTrack({{0, 0, 0, 0}, {10, 0, 0, 0}})});
    test::TempDir dir;
    const std::string path = writeScene(dir, "o.3ds", test::fileOf({test::editorOf({mesh, lamp}), test::keyframerOf({node})}));

    Json loadedOnly = dump(path, {"--json", "--mode", "2", "--factors", "0.25,0.5"});
    EXPECT_EQ(loadedOnly["lightingMode"].source, "2");
    EXPECT_EQ(loadedOnly["shadowFactor"].source, "0.25");
    EXPECT_EQ(loadedOnly["translucentShadowFactor"].source, "0.5");
    const Json& before = loadedOnly["objects"][0];
    EXPECT_EQ(numberAt(before["baseColors"][0], 0), "0");
    EXPECT_EQ(numberAt(before["vertexColors"][0], 0), "1") << "white until a lighting pass";

    Json lit = dump(path, {"--mode", "2", "--light", "--json"});
    const Json& after = lit["objects"][0];
    EXPECT_EQ(numberAt(after["vertexColors"][0], 0), "0.5");
    EXPECT_EQ(numberAt(after["vertexColors"][0], 1), "0.25");
    EXPECT_EQ(numberAt(after["vertexColors"][1], 0), "1");
    EXPECT_EQ(numberAt(after["vertexColors"][2], 0), "0");

    Json unlit = dump(path, {"--json", "--mode", "0"});
    EXPECT_EQ(numberAt(unlit["objects"][0]["baseColors"][2], 0), "1") << "mode 0 bakes white";
}

TEST(InspectDump, BadOptionsAreRefused) {
    const std::vector<std::vector<std::string>> bad = {
        {}, {"--mode", "3"}, {"--json", "--mode"}, {"--json", "--mode", "x"}, {"--json", "--factors", "0.1"},
        {"--json", "--factors", "a,b"}, {"--json", "--shadow-test-mode", "1.5"}, {"--json", "--colour"}};
    for (const auto& args : bad) {
        inspect::DumpOptions options;
        std::string error;
        EXPECT_FALSE(inspect::parseDumpOptions(args, options, error)) << (args.empty() ? "" : args.back());
        EXPECT_FALSE(error.empty());
    }
    inspect::DumpOptions options;
    std::string error;
    ASSERT_TRUE(inspect::parseDumpOptions({"--json", "--shadow-test-mode", "2", "--light"}, options, error));
    EXPECT_EQ(options.shadowTestMode, 2);
    EXPECT_TRUE(options.light);
    EXPECT_EQ(options.lightingMode, 3);
    EXPECT_EQ(options.shadowFactor, 0.1f);
}

// ---- check ----

std::vector<std::string> check(const std::string& path) {
    std::vector<std::string> lines;
    for (const inspect::Finding& finding : inspect::checkScene(path.c_str()))
        lines.push_back(inspect::formatFinding(path.c_str(), finding));
    return lines;
}

Chunk animatedCamera(std::vector<Chunk>& nodes) {
    nodes.push_back(test::cameraNode(0xB003, "cam", {{0, 0, -10, 0}, {100, 0, -9, 0}}));
    return test::cameraObject("cam", 0, -10, 0, 0, 0, 0);
}

TEST(InspectCheck, FindingsNameTheFileTheObjectAndTheFault) {
    test::TempDir dir;
    const std::string colour = dir.file("colour.jpg");
    const std::string gray = dir.file("gray.jpg");
    const std::string broken = dir.file("broken.jpg");
    ASSERT_TRUE(test::writeJpeg(colour, 4, 4, 3, std::vector<uint8_t>(48, 200)));
    ASSERT_TRUE(test::writeJpeg(gray, 4, 4, 1, std::vector<uint8_t>(16, 100)));
    test::writeFile(broken, {0xFF, 0xD8, 0x00, 0x01, 0x02});
    const Chunk mesh = test::meshObject("box", {0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, 2}, colour);

    struct Case {
        const char* what;
        std::vector<Chunk> objects;
        std::vector<Chunk> nodes;
        bool keyframerFirst;
        std::vector<std::string> expected; // after "FILE: "
    };
    std::vector<Chunk> cameraNodes;
    const Chunk cam = animatedCamera(cameraNodes);
    const Chunk movingMeshNode = test::objectNode("box", {test::positionTrack({{0, 0, 0, 0}, {10, 1, 0, 0}})});
    Chunk twoMirrors(0x4120);
    twoMirrors.u16(0).child(Chunk(0x4130).str("mirror").u16(0)).child(Chunk(0x4130).str("mirr2").u16(0));
    Chunk noUv = Chunk(0x4000).str("bare").child(Chunk(0x4100).child(Chunk(0x4110).u16(1).vec(0, 0, 0)));
    Chunk badFace = test::meshObject("torn", {0, 0, 0, 1, 0, 0}, {0, 1, 7, 0, 1, 1}, colour);
    std::vector<Chunk> b005 = cameraNodes;
    b005.push_back(Chunk(0xB005).child(test::nodeName("bulb")).child(test::positionTrack({{0, 0, 0, 0}, {9, 1, 1, 1}})));
    std::vector<Chunk> strayNodes = cameraNodes;
    strayNodes.push_back(test::objectNode("ghost", {}));

    const std::vector<Case> cases = {
        {"clean", {mesh, test::spotObject("&sun", 0, 0, 5, 1, 1, 1, 0, 0, 0), cam}, cameraNodes, false, {}},
        {"no camera", {mesh}, {}, false, {"error: no camera: the scene has nothing to look through and no frames to play"}},
        {"last camera without eye keys",
         {cam, test::cameraObject("second", 0, 0, 0, 1, 0, 0)}, cameraNodes, false,
         {"error: object second: the last camera has no eye keys: the scene has no frames to play"}},
        {"keyframer first", {mesh, cam}, cameraNodes, true,
         {"error: the keyframer block comes before any editor block: its tracks find no objects and are lost",
          "error: object cam: the last camera has no eye keys: the scene has no frames to play"}},
        {"lights that light nothing",
         {mesh, cam, test::lightObject("bulb", 0, 0, 0, 1, 1, 1), test::spotObject("lamp", 0, 0, 0, 1, 1, 1, 5, 0, 0)},
         b005, false,
         {"warning: object bulb: no spotlight target (range 0): it lights nothing",
          "warning: object bulb: animated only by a light node (B005), which the loader skips: it stands still (use a "
          "spotlight node, B007)",
          "warning: object lamp: neither static (\"&\") nor moving, and no mesh moves: it lights nothing"}},
        {"a plain light with a moving mesh lights it",
         {mesh, cam, test::spotObject("lamp", 0, 0, 0, 1, 1, 1, 5, 0, 0)},
         [&] { auto n = cameraNodes; n.push_back(movingMeshNode); return n; }(), false, {}},
        {"faces and coordinates", {badFace, noUv, cam}, cameraNodes, false,
         {"error: object torn: 1 faces use vertex indices past its 2 vertices (first: face 0 = 0,1,7); they are not drawn or lit",
          "warning: object bare: no texture coordinates: every vertex is drawn at (0, 0) of its texture"}},
        {"material files",
         {test::meshObject("g", {0, 0, 0}, {}, gray), test::meshObject("b", {0, 0, 0}, {}, broken),
          test::meshObject("n", {0, 0, 0}, {}, dir.file("none.jpg")), cam},
         cameraNodes, false,
         {"warning: object g: material file \"" + gray + "\" is a grayscale JPEG: it is converted to colour at load",
          "error: object b: material file \"" + broken + "\" is not a JPEG the loader can decode as colour",
          "error: object n: material file \"" + dir.file("none.jpg") +
              "\" is missing (paths are read from the current folder)"}},
        {"mirrors counted twice", {Chunk(0x4000).str("glass").child(Chunk(0x4100).child(Chunk(0x4110).u16(1).vec(0, 0, 0)).child(twoMirrors).child(Chunk(0x4140).u16(1).f32(0).f32(0))), cam},
         cameraNodes, false,
         {"error: mirrorCount 2 is above the 1 mirror meshes (a mesh with several \"mirr\" materials counts each)"}},
        {"flare carriers", {test::meshObject("*fire", {0, 0, 0}, {}, colour), test::meshObject("*2glow", {0, 0, 0}, {}, colour), cam},
         cameraNodes, false,
         {"warning: object *fire: flare carrier without a kind digit 0-3 as its second character: it emits as kind 0"}},
        {"a node naming nothing", {mesh, cam}, strayNodes, false,
         {"warning: object ghost: keyframer node names no object of the scene: its tracks are skipped"}},
    };
    for (const Case& c : cases) {
        std::vector<Chunk> blocks = {test::editorOf(c.objects)};
        Chunk keyframer = test::keyframerOf(c.nodes);
        if (c.keyframerFirst) blocks.insert(blocks.begin(), keyframer);
        else blocks.push_back(keyframer);
        const std::string path = writeScene(dir, "c.3ds", test::fileOf(blocks));
        std::vector<std::string> expected;
        for (const std::string& line : c.expected)
            if (!line.empty()) expected.push_back(path + ": " + line);
        EXPECT_EQ(check(path), expected) << c.what;
    }
}

TEST(InspectCheck, CapacityOverflowsAreErrors) {
    test::TempDir dir;
    std::vector<Chunk> nodes;
    std::vector<Chunk> objects = {animatedCamera(nodes)};
    for (int i = 0; i < MAX_LIGHTS + 1; ++i)
        objects.push_back(test::spotObject("&l" + std::to_string(i), 0, 0, 0, 1, 1, 1, 1, 0, 0));
    for (int i = 0; i < MAX_MATERIALS + 1; ++i)
        objects.push_back(test::meshObject("m" + std::to_string(i), {0, 0, 0}, {}, "t" + std::to_string(i) + ".jpg"));
    // Flare carriers without a material, so that only the emitter table overflows.
    for (int i = 0; i < MAX_EMITTERS + 1; ++i)
        objects.push_back(test::meshObject("*0f" + std::to_string(i), {0, 0, 0}, {}, ""));
    // The first camera plus ten more; the list ends with them so the last has no eye keys.
    for (int i = 0; i < MAX_CAMERAS; ++i) objects.push_back(test::cameraObject("c" + std::to_string(i), 0, 0, 0, 1, 0, 0));
    const std::string path = writeScene(dir, "big.3ds", test::fileOf({test::editorOf(objects), test::keyframerOf(nodes)}));
    std::vector<std::string> lines = check(path);
    auto has = [&](const std::string& text) {
        for (const std::string& line : lines)
            if (line == path + ": " + text) return true;
        return false;
    };
    EXPECT_TRUE(has("error: object &l100: light past the 100 a scene can hold: it lights nothing"));
    EXPECT_TRUE(has("error: object m60: its material finds no room among the 60 materials a scene can hold: drawn without texture"));
    EXPECT_FALSE(has("error: object &l99: light past the 100 a scene can hold: it lights nothing"));
    EXPECT_TRUE(has("error: object *0f60: flare carrier past the 60 emitters a scene can hold: no flares"));
    EXPECT_FALSE(has("error: object *0f59: flare carrier past the 60 emitters a scene can hold: no flares"));
    EXPECT_TRUE(has("error: object c9: camera past the 10 a scene can play: never used"));
    EXPECT_FALSE(has("error: object c8: camera past the 10 a scene can play: never used"));
}

TEST(InspectCheck, UnreadableAndDamagedFiles) {
    test::TempDir dir;
    const std::string path = writeScene(dir, "bad.3ds", {0x3D, 0x3D, 6, 0, 0, 0});
    EXPECT_EQ(check(path), std::vector<std::string>{path + ": error: not a 3DS scene: it does not start with a main chunk (4D4D)"});
    std::vector<uint8_t> bytes = test::fileOf({test::editorOf({test::cameraObject("cam", 0, 0, 0, 1, 0, 0)})});
    bytes.resize(bytes.size() - 3); // the camera chunk runs past the end of the file
    const std::string cut = writeScene(dir, "cut.3ds", bytes);
    std::vector<std::string> lines = check(cut);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], cut + ": error: damaged chunk 4D4D at offset 0 reaches past the end of the file (cut short?)");
}

// The program on files it cannot use: every command names the file, says which of missing,
// folder or not a scene it is, and ends with status 1 (dump still prints its JSON).
TEST(InspectProgram, FilesItCannotUseAreNamedWithTheReason) {
    test::TempDir dir;
    const std::string missing = dir.file("absent.3ds");
    const std::string folder = dir.path.string();
    const std::string text =
        writeScene(dir, "notes.3ds", {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '\n'});
    struct Case {
        const char* command;
        std::string file;
        const char* says;
    };
    const Case cases[] = {
        {"tree", missing, "cannot be read: No such file or directory"},
        {"tree", folder, "cannot be read: it is a folder"},
        {"tree", text, "not a 3DS scene"},
        {"check", missing, "cannot be read: No such file or directory"},
        {"check", folder, "cannot be read: it is a folder"},
        {"check", text, "not a 3DS scene"},
        {"dump", missing, "cannot be read: No such file or directory"},
        {"dump", folder, "cannot be read: it is a folder"},
        {"dump", text, "not a 3DS scene"},
    };
    for (const Case& c : cases) {
        const std::string extra = std::strcmp(c.command, "dump") == 0 ? " --json" : "";
        const std::string command = "'" PELX_3DS_PATH "' " + std::string(c.command) + " '" + c.file + "'" +
                                    extra + " 2>&1; echo status $?";
        std::string output;
        if (std::FILE* pipe = popen(command.c_str(), "r")) {
            char buffer[256];
            while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
            pclose(pipe);
        }
        EXPECT_NE(
            output.find(c.file + ": " + (std::strcmp(c.command, "check") == 0 ? "error: " : "") + c.says),
            std::string::npos)
            << c.command << " " << c.file << ": " << output;
        EXPECT_NE(output.find("status 1\n"), std::string::npos)
            << c.command << " " << c.file << ": " << output;
    }
}

// ---- tree ----

TEST(InspectTree, OneLinePerChunkWithTheLoadersName) {
    Chunk object = Chunk(0x4000).str("l").child(Chunk(0x4600).vec(0, 0, 0).child(Chunk(0x0010).vec(1, 1, 1)));
    std::vector<uint8_t> bytes = test::fileOf({Chunk(0x0002).u32(3), test::editorOf({object})});
    test::TempDir dir;
    const std::string path = writeScene(dir, "t.3ds", bytes);
    std::string tree;
    ASSERT_TRUE(inspect::chunkTree(path.c_str(), tree));
    EXPECT_EQ(tree, "    offset    id      length  chunk\n"
                    "         0  4D4D          66  CHUNK_MAIN\n"
                    "         6  0002          10    skipped\n"
                    "        16  3D3D          50    CHUNK_3DEDITORCHUNK\n"
                    "        22  4000          44      CHUNK_OBJETBLOCK\n"
                    "        30  4600          36        CHUNK_LIGHT\n"
                    "        48  0010          18          CHUNK_LIGHTCOLOR\n");
    std::vector<uint8_t> damaged = bytes;
    damaged[18] = 0xFF; // the editor block's length reaches past the file
    test::writeFile(path, damaged);
    std::string damagedTree;
    ASSERT_TRUE(inspect::chunkTree(path.c_str(), damagedTree));
    EXPECT_NE(damagedTree.find("        16  3D3D         255    CHUNK_3DEDITORCHUNK  ! reaches past the end of the file at 66\n"),
              std::string::npos)
        << damagedTree;
    EXPECT_FALSE(inspect::chunkTree(dir.file("absent.3ds").c_str(), tree));
}

} // namespace
} // namespace pelx

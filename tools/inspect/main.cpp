// pelx-3ds: inspect 3DS scene files without a display.
#include "inspect.h"

#include "platform/message.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char* const USAGE =
    "usage: pelx-3ds tree FILE\n"
    "       pelx-3ds check FILE...\n"
    "       pelx-3ds dump FILE --json [--mode N] [--factors S,T] [--play D --at T1,T2,...] [--light]\n"
    "                                 [--shadow-test-mode N]\n"
    "\n"
    "tree   the chunk tree as the loader walks it: offset, id (hex), length, and the loader's\n"
    "       name for each chunk it reads; chunks it jumps over are marked skipped, damage that\n"
    "       ends a walk is marked with '!'.\n"
    "check  loads each scene as the show does (lighting mode 3) and prints one line per finding:\n"
    "         FILE: error|warning: object NAME: what is wrong\n"
    "       (without 'object NAME: ' for findings about the whole file). Errors: damaged chunks,\n"
    "       a keyframer block before the editor block, no camera or a last camera without eye\n"
    "       keys, tables overflowing (100 lights, 10 cameras, 60 materials, 60 flare carriers),\n"
    "       faces using vertices the mesh does not have, mirrorCount above the mirror meshes,\n"
    "       material files that are missing or that the loader cannot decode. Warnings: lights\n"
    "       that light nothing (no spotlight target, or neither \"&\" nor moving while no mesh\n"
    "       moves), lights animated only by light nodes (B005) the loader skips, meshes with\n"
    "       too few texture coordinates, flare carriers without a kind digit, grayscale material\n"
    "       JPEGs (converted to colour at load, so they play, but cost a conversion), keyframer\n"
    "       tracks that reach no object. Material paths are read from the current folder, as\n"
    "       the show reads them. Exit status 1 when any file has an error.\n"
    "dump   the loaded scene as one JSON object. --mode: the lighting mode given to the loader\n"
    "       (default 3); --factors: shadowFactor and translucentShadowFactor (default 0.1,0.4);\n"
    "       --light: run the per-frame lighting once after loading; --shadow-test-mode: the\n"
    "       shadow test mode for that pass (default 1); --play D --at T1,T2,...: after loading,\n"
    "       animate the scene at each time T in turn, as the show does at T seconds into a\n"
    "       scene of D seconds (the lighting pass, if asked for, comes after).\n";

int usage(const char* problem) {
    if (problem) std::fprintf(stderr, "pelx-3ds: %s\n", problem);
    std::fputs(USAGE, stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    using namespace pelx;
    // A failing allocation in the loader reports itself here instead of in a message box.
    setMessageSink(stderrMessageSink());
    if (argc < 2) return usage(nullptr);
    const std::string command = argv[1];
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(USAGE, stdout);
        return 0;
    }
    if (command == "tree") {
        if (argc != 3) return usage("tree takes one file");
        std::string tree;
        bool loaded = inspect::chunkTree(argv[2], tree);
        std::fputs(tree.c_str(), stdout);
        return loaded ? 0 : 1;
    }
    if (command == "check") {
        if (argc < 3) return usage("check takes one or more files");
        bool anyError = false;
        for (int i = 2; i < argc; ++i) {
            for (const inspect::Finding& finding : inspect::checkScene(argv[i])) {
                std::puts(inspect::formatFinding(argv[i], finding).c_str());
                anyError = anyError || finding.severity == inspect::Severity::error;
            }
        }
        return anyError ? 1 : 0;
    }
    if (command == "dump") {
        if (argc < 3) return usage("dump takes a file");
        inspect::DumpOptions options;
        std::string problem;
        if (!inspect::parseDumpOptions(std::vector<std::string>(argv + 3, argv + argc), options, problem))
            return usage(problem.c_str());
        std::fputs(inspect::dumpScene(argv[2], options).c_str(), stdout);
        return 0;
    }
    return usage(("unknown command " + command).c_str());
}

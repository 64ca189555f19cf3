// pelx-3ds: inspect 3DS scene files without a display.
#include "command_line.h"
#include "inspect.h"

#include "platform/message.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char* const USAGE =
    "Usage: pelx-3ds tree FILE\n"
    "  or:  pelx-3ds check FILE...\n"
    "  or:  pelx-3ds dump FILE --json [dump options]\n"
    "Inspects 3DS scene files as the show's loader reads them, without a display.\n"
    "\n"
    "tree FILE\n"
    "       The chunk tree as the loader walks it: offset, id (hex), length, and the loader's\n"
    "       name for each chunk it reads; chunks it jumps over are marked skipped, damage that\n"
    "       ends a walk is marked with '!'.\n"
    "\n"
    "check FILE...\n"
    "       Loads each scene as the show does (lighting mode 3) and prints one line per finding,\n"
    "       \"FILE: error|warning: object NAME: what is wrong\" (without \"object NAME: \" for\n"
    "       findings about the whole file). Errors: damaged chunks, a keyframer block before the\n"
    "       editor block, no camera or a last camera without eye keys, tables overflowing (100\n"
    "       lights, 10 cameras, 60 materials, 60 flare carriers), faces using vertices the mesh\n"
    "       does not have, mirrorCount above the mirror meshes, material files that are missing\n"
    "       or that the loader cannot decode. Warnings: lights that light nothing (no spotlight\n"
    "       target, or neither \"&\" nor moving while no mesh moves), lights animated only by\n"
    "       light nodes (B005) the loader skips, meshes with too few texture coordinates, flare\n"
    "       carriers without a kind digit, grayscale material JPEGs (converted to colour at load,\n"
    "       so they play, but cost a conversion), keyframer tracks that reach no object. Material\n"
    "       paths are read from the current folder, as the show reads them. Exit status 1 when\n"
    "       any file has an error.\n"
    "\n"
    "dump FILE --json\n"
    "       The loaded scene as one JSON object.\n"
    "\n"
    "Dump options:\n"
    "  --mode N                the lighting mode given to the loader (default 3)\n"
    "  --factors S,T           shadowFactor and translucentShadowFactor (default 0.1,0.4)\n"
    "  --play D --at T1,T2,...\n"
    "                          after loading, animate the scene at each time T in turn, as the\n"
    "                          show does at T seconds into a scene of D seconds\n"
    "  --light                 run the per-frame lighting once after loading (and after the\n"
    "                          animation, if asked for)\n"
    "  --shadow-test-mode N    the shadow test mode for that lighting pass (default 1)\n"
    "\n"
    "  --help                  print this help and exit\n"
    "  --version               print the version and exit\n";

// The file named on the command line could not be used: say which and why.
int fileFailure(const char* path, const std::string& problem) {
    std::fprintf(stderr, "pelx-3ds: %s: %s\n", path, problem.c_str());
    return 1;
}

const pelx::cli::Tool TOOL{"pelx-3ds", USAGE};

[[noreturn]] void usage(const std::string& problem) {
    pelx::cli::exitWithUsageError(TOOL, problem);
}

} // namespace

int main(int argc, char** argv) {
    using namespace pelx;
    // A failing allocation in the loader reports itself here instead of in a message box.
    setMessageSink(stderrMessageSink());
    if (argc < 2) usage("which command? tree, check or dump");
    const std::string command = argv[1];
    if (command == "--help" || command == "-h" || command == "help") cli::printUsage(TOOL);
    if (command == "--version") cli::printVersion(TOOL);
    if (command == "tree") {
        if (argc != 3) usage("tree takes one file");
        // A file that cannot be read has no tree to show; say why instead.
        const std::string problem = inspect::fileProblem(argv[2]);
        if (!problem.empty()) return fileFailure(argv[2], problem);
        std::string tree;
        const bool loaded = inspect::chunkTree(argv[2], tree);
        std::fputs(tree.c_str(), stdout);
        return loaded ? 0 : fileFailure(argv[2], inspect::NOT_A_SCENE);
    }
    if (command == "check") {
        if (argc < 3) usage("check takes one or more files");
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
        if (argc < 3) usage("dump takes a file");
        inspect::DumpOptions options;
        std::string problem;
        if (!inspect::parseDumpOptions(std::vector<std::string>(argv + 3, argv + argc), options, problem))
            usage(problem);
        bool loaded = false;
        std::fputs(inspect::dumpScene(argv[2], options, &loaded).c_str(), stdout);
        if (loaded) return 0;
        const std::string unreadable = inspect::fileProblem(argv[2]);
        return fileFailure(argv[2], unreadable.empty() ? inspect::NOT_A_SCENE : unreadable);
    }
    usage((command[0] == '-' ? "unknown option " : "unknown command ") + command);
}

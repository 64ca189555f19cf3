// pelx-datagen SHOWDIR: writes the show's data folder, SHOWDIR/data/..., with the same relative
// paths the show opens ("data/load.jpg", "data/brick.jpg", ...), so the show plays when started
// from SHOWDIR. Every run writes the same bytes.
#include "data_folder.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

const char* const USAGE =
    "Usage: pelx-datagen SHOWDIR\n"
    "Writes the show's data folder, SHOWDIR/data/: six scenes, their pictures and textures, the\n"
    "fire logo's mask and the soundtrack, the same bytes on every run. The show plays these data\n"
    "when it is started from SHOWDIR. Exit status 1 when a file cannot be written.\n"
    "\n"
    "  --help     print this help and exit\n"
    "  --version  print the version and exit\n";

int usage(const char* problem) {
    if (problem) std::fprintf(stderr, "pelx-datagen: %s\n", problem);
    std::fputs(USAGE, stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(USAGE, stdout);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::puts("pelx-datagen " PELX_VERSION);
        return 0;
    }
    if (argc != 2) return usage(nullptr);
    // A word that looks like an option is one we do not know, never a folder to fill.
    if (argv[1][0] == '-') return usage((std::string("unknown option ") + argv[1]).c_str());
    return pelx::writeDataFolder(std::filesystem::path(argv[1])) ? 0 : 1;
}

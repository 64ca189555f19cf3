// pelx-datagen SHOWDIR: writes the show's data folder, SHOWDIR/data/..., with the same relative
// paths the show opens ("data/load.jpg", "data/brick.jpg", ...), so the show plays when started
// from SHOWDIR. Every run writes the same bytes.
#include "data_folder.h"

#include <cstdio>
#include <filesystem>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: pelx-datagen SHOWDIR\n"
                             "Writes SHOWDIR/data/ (scenes, pictures, textures, mask, soundtrack).\n");
        return 2;
    }
    return pelx::writeDataFolder(std::filesystem::path(argv[1])) ? 0 : 1;
}

// pelx-icon FOLDER: writes icon 103, the program's own picture, as the PNG files of the desktop's
// icon theme: FOLDER/NxN/apps/pelx.png for every size desktops ask for, the 32 x 32 exactly as
// the windows carry it and the others drawn from it (icon_sizes.h). The build runs it, so the
// menu's icons always show the picture the windows carry.
#include "icon_sizes.h"
#include "png_writer.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: pelx-icon FOLDER\n"
                   "Writes the program's icon as FOLDER/NxN/apps/pelx.png at 16 to 256 pixels.\n",
                   stderr);
        return 2;
    }
    for (int size : pelx::ICON_THEME_SIZES) {
        const std::string sizeName = std::to_string(size) + "x" + std::to_string(size);
        const std::filesystem::path folder = std::filesystem::path(argv[1]) / sizeName / "apps";
        std::error_code failed;
        std::filesystem::create_directories(folder, failed);
        std::string error;
        if (failed) {
            error = "cannot make " + folder.string() + ": " + failed.message();
        } else if (pelx::writePng((folder / "pelx.png").string(), size, size, pelx::appIconRgbAt(size).data(),
                                  &error)) {
            continue;
        }
        std::fprintf(stderr, "pelx-icon: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

// pelx-icon FILE: writes icon 103, the program's own 32 x 32 picture, as a PNG file for the
// desktop menu. The build runs it, so the menu's icon is always the one the windows carry.
#include "png_writer.h"
#include "resources/app_icon.h"

#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: pelx-icon FILE\nWrites the program's 32 x 32 icon as a PNG file.\n", stderr);
        return 2;
    }
    // The icon is fully opaque, so its RGB bytes say all of it.
    const auto rgba = pelx::appIconRgba();
    std::vector<uint8_t> rgb;
    rgb.reserve(rgba.size() / 4 * 3);
    for (size_t i = 0; i < rgba.size(); i += 4) rgb.insert(rgb.end(), {rgba[i], rgba[i + 1], rgba[i + 2]});
    if (!pelx::writePng(argv[1], pelx::APP_ICON_SIZE, pelx::APP_ICON_SIZE, rgb.data())) {
        std::fprintf(stderr, "pelx-icon: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}

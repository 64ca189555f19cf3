// Where the build put the generated data folder (the `data` target runs before these tests
// are built), and a JPEG header check the show's loader does not offer.
#pragma once

#include <cstdio>
#include <jpeglib.h>
#include <string>

namespace pelx::test {

inline std::string generatedData(const std::string& path) {
    // Paths in the show start with "data/"; the folder itself is the build's data folder.
    return std::string(PELX_BUILD_DIR) + "/" + path;
}

struct JpegHeader {
    bool read = false;
    int components = 0;
    J_COLOR_SPACE colorSpace = JCS_UNKNOWN;
    int width = 0;
    int height = 0;
};

// The header of a JPEG file as libjpeg reads it (colour files have three components in YCbCr).
inline JpegHeader readJpegHeader(const std::string& path) {
    JpegHeader header;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return header;
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    if (jpeg_read_header(&info, TRUE) == JPEG_HEADER_OK) {
        header.read = true;
        header.components = info.num_components;
        header.colorSpace = info.jpeg_color_space;
        header.width = int(info.image_width);
        header.height = int(info.image_height);
    }
    jpeg_destroy_decompress(&info);
    std::fclose(file);
    return header;
}

} // namespace pelx::test

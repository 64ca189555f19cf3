// PNG writing with libpng; no time stamp or other varying chunk, so equal frames give equal files.
// The bytes go through an AtomicFile, so a full disk or a killed capture leaves no cut frame.
#include "png_writer.h"

#include "platform/atomic_file.h"

#include <csetjmp>
#include <png.h>
#include <vector>

namespace pelx {

namespace {

void writeBytes(png_structp png, png_bytep data, png_size_t size) {
    auto* file = static_cast<AtomicFile*>(png_get_io_ptr(png));
    if (!file->write(data, size)) png_error(png, "write failed");
}

void flushNothing(png_structp) {}

// libpng's own handler prints to stderr; the file's error says it better.
void quietError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

} // namespace

bool writePng(const std::string& path, int width, int height, const uint8_t* pixels, PixelLayout layout,
              std::string* error) {
    AtomicFile file(path);
    auto failed = [&](const char* reason) {
        file.discard();
        if (error) *error = file.error().empty() ? "cannot write " + path + ": " + reason : file.error();
        return false;
    };
    if (!file.open()) return failed("");
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, quietError, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) {
        png_destroy_write_struct(&png, &info);
        return failed("out of memory");
    }
    // Read-back frames are turned upright by the order of the row pointers and reach RGB through
    // libpng's own transforms, row by row, so they are never copied whole.
    const bool readBack = layout == PixelLayout::BgrxBottomUp;
    const size_t rowBytes = size_t(width) * (readBack ? 4 : 3);
    std::vector<png_bytep> rows(height);
    for (int y = 0; y < height; ++y)
        rows[y] = const_cast<png_bytep>(pixels + size_t(readBack ? height - 1 - y : y) * rowBytes);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return failed("the PNG encoder failed");
    }
    png_set_write_fn(png, &file, writeBytes, flushNothing);
    png_set_compression_level(png, 3); // frames are many; speed matters more than size here
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    if (readBack) {
        png_set_bgr(png);
        png_set_filler(png, 0, PNG_FILLER_AFTER);
    }
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    if (!file.commit()) return failed("");
    return true;
}

} // namespace pelx

// The logo mask reader: 320 x 200 palette indices from an uncompressed 8-bit BMP, whose
// pixel rows start after the 14 + 40 header bytes and the 256-entry palette.
#include "image/texture.h"

#include <cstdio>
#include <cstring>

namespace pelx {

namespace {
constexpr long MASK_PIXEL_OFFSET = 1078;
}

void loadMaskBmp(const char* path, uint8_t* buffer) {
    std::FILE* file = std::fopen(path, "rb");
    if (!file) {
        // No mask, no logo.
        std::memset(buffer, 0, MASK_SIZE);
        return;
    }
    std::vector<uint8_t> stored(MASK_SIZE, 0xFF); // past the end of a short file: 0xFF
    if (std::fseek(file, MASK_PIXEL_OFFSET, SEEK_SET) == 0) std::fread(stored.data(), 1, stored.size(), file);
    std::fclose(file);
    // The file keeps the bottom row first.
    size_t next = 0;
    for (int row = MASK_HEIGHT - 1; row >= 0; --row)
        for (int column = 0; column < MASK_WIDTH; ++column) buffer[row * MASK_WIDTH + column] = stored[next++];
}

} // namespace pelx

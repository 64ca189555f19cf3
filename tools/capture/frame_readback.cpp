// Back-buffer read-back: OpenGL hands rows bottom first; files want them top first.
#include "frame_readback.h"

#include <GL/gl.h>
#include <cstring>

namespace pelx {

std::vector<uint8_t> readBackBuffer(int width, int height) {
    std::vector<uint8_t> pixels(size_t(width) * height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    std::vector<uint8_t> flipped(pixels.size());
    const size_t row = size_t(width) * 3;
    for (int y = 0; y < height; ++y)
        std::memcpy(&flipped[size_t(height - 1 - y) * row], &pixels[size_t(y) * row], row);
    return flipped;
}

} // namespace pelx

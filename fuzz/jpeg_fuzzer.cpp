// Decodes the fuzzer's bytes as a JPEG file.
#include "fuzz_support.h"

#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string path = pelx::fuzz::scratchFile(data, size);
    if (path.empty()) return 0;
    std::unique_ptr<pelx::RgbImage> image = pelx::loadJpeg(path.c_str());
    if (image && image->pixels.size() != size_t(image->stride) * size_t(image->height)) __builtin_trap();
    std::remove(path.c_str());
    return 0;
}

// Reads the fuzzer's bytes as the logo mask file.
#include "fuzz_support.h"

#include <cstdio>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string path = pelx::fuzz::scratchFile(data, size);
    if (path.empty()) return 0;
    std::vector<uint8_t> mask(pelx::MASK_SIZE, 0xAB);
    pelx::loadMaskBmp(path.c_str(), mask.data());
    // Every byte comes from the file, or is 0xFF past its end.
    for (size_t i = 0; i < mask.size(); ++i) {
        size_t row = i / pelx::MASK_WIDTH, column = i % pelx::MASK_WIDTH;
        size_t stored = 1078 + (pelx::MASK_HEIGHT - 1 - row) * pelx::MASK_WIDTH + column;
        uint8_t expected = stored < size ? data[stored] : 0xFF;
        if (mask[i] != expected) __builtin_trap();
    }
    std::remove(path.c_str());
    return 0;
}

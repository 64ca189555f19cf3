// Linear congruential generator: seed 1, seed = seed * 214013 + 2531011 (mod 2^32),
// result bits 16..30.
#include "platform/random.h"

#include <cstdint>

namespace pelx {

namespace {
uint32_t seed = 1;
}

int nextRandom() {
    seed = seed * 214013u + 2531011u;
    return static_cast<int>((seed >> 16) & 0x7fff);
}

int randomBelow(int n) {
    return nextRandom() % n;
}

void resetRandom() {
    seed = 1;
}

} // namespace pelx

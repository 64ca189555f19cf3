// Loading a whole 3DS file into an empty scene, ready at frame 0 with its static lighting.
//
// Layer scene3ds: byte source, chunk reader, loadScene. May use lighting and the layers below.
#pragma once

#include "scene/scene.h"

namespace pelx {

// True when the file was read; false when it cannot be opened or does not start with a main
// chunk (the scene stays empty then).
bool loadScene(Scene& scene, const char* fileName, int lightingMode);

class ByteSource;
// The same load from bytes already at hand (memory, tests, the fuzzer); the source stays the
// caller's. False when the bytes do not start with a main chunk.
bool loadScene(Scene& scene, ByteSource& source, int lightingMode);

} // namespace pelx

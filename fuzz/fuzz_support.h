// What the fuzz targets share: texture requests answered without OpenGL and without keeping
// a record (a long run would grow one without end), message boxes dropped, and a scratch file
// for the loaders that read from a path.
#pragma once

#include "image/texture.h"
#include "platform/message.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

namespace pelx::fuzz {

class NullTextureBackend : public TextureBackend {
  public:
    void loadTexture(TextureId* slots, const char*, int index) override { slots[index] = 1; }
    void createBlankTexture(TextureId* slots, int, int, uint32_t, int index) override { slots[index] = 1; }
};

inline void quietEnvironment() {
    static NullTextureBackend textures;
    installTextureBackend(&textures);
    setMessageSink([](const std::string&, const std::string&) {});
}

// A file in the temporary folder holding the input, named for this process.
inline std::string scratchFile(const uint8_t* data, size_t size) {
    std::string path = "/tmp/pelx-fuzz-" + std::to_string(getpid()) + ".bin";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return std::string();
    if (size) std::fwrite(data, 1, size, file);
    std::fclose(file);
    return path;
}

} // namespace pelx::fuzz

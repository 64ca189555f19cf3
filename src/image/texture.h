// Pictures and textures: JPEG files decoded into RGB images and uploaded as mipmapped
// textures, the 8-bit BMP logo mask, and blank square textures to render into.
// Texture creation goes through a replaceable backend, so scenes load without OpenGL.
//
// Layer image: pictures and textures. May use platform.
#pragma once

#include "platform/scoped_swap.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace pelx {

// An OpenGL texture name. Callers own arrays of them and pass the array and a slot.
using TextureId = uint32_t;

struct RgbImage {
    int32_t stride = 0; // bytes per row
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> pixels; // rows top first, R, G, B per pixel
};

// Decodes a JPEG file into RGB rows (grayscale files are converted). nullptr when the file
// cannot be opened, is not a JPEG libjpeg can decode, or cannot be turned into RGB.
std::unique_ptr<RgbImage> loadJpeg(const char* path);

// Makes a mipmapped texture from a JPEG file into slots[index]. A file that gives no image is
// reported with its path in a "-=(Status)=-" box and still gets a texture name (untextured).
// A null path does nothing.
void loadTexture(TextureId* slots, const char* path, int index);

// An all-black edge x edge texture with linear filtering into slots[index].
void createBlankTexture(TextureId* slots, int edge, int components, uint32_t format, int index);

// The logo mask: 320 x 200 palette indices, top row first.
constexpr int MASK_WIDTH = 320;
constexpr int MASK_HEIGHT = 200;
constexpr int MASK_SIZE = MASK_WIDTH * MASK_HEIGHT;
// Fills buffer (MASK_SIZE bytes) from an uncompressed 8-bit BMP. Bytes past the end of a short
// file read as 0xFF; a missing file leaves the buffer all zero.
void loadMaskBmp(const char* path, uint8_t* buffer);

// Where texture names come from. The default makes real OpenGL textures; a scene can be
// loaded without a rendering context by installing another backend.
class TextureBackend {
  public:
    virtual ~TextureBackend() = default;
    virtual void loadTexture(TextureId* slots, const char* path, int index) = 0;
    virtual void createBlankTexture(TextureId* slots, int edge, int components, uint32_t format,
                                    int index) = 0;
};

// nullptr restores the OpenGL backend.
void installTextureBackend(TextureBackend* backend);
// The backend installed now (the OpenGL one by default).
TextureBackend* currentTextureBackend();
// Installs a backend while it lives (platform/scoped_swap.h).
using ScopedTextureBackend = ScopedSwap<TextureBackend*, currentTextureBackend, installTextureBackend>;
// The OpenGL backend itself, for a backend that changes the request and hands it on.
TextureBackend& glTextureBackend();

// A backend without OpenGL: it decodes nothing, hands out names 1, 2, 3, ... and remembers
// which file (or blank texture) each name stands for.
class RecordingTextureBackend : public TextureBackend {
  public:
    struct Entry {
        TextureId id;
        std::string path; // empty for a blank texture
        int edge;         // blank textures only
    };
    void loadTexture(TextureId* slots, const char* path, int index) override;
    void createBlankTexture(TextureId* slots, int edge, int components, uint32_t format, int index) override;
    const std::vector<Entry>& entries() const { return made; }

  private:
    std::vector<Entry> made;
};

} // namespace pelx

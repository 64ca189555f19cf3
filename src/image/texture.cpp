// Texture creation: the OpenGL backend, the recording backend and the switch between them.
#include "image/texture.h"

#include "platform/message.h"

#include <GL/gl.h>
#include <GL/glu.h>

namespace pelx {

namespace {

class GlTextureBackend : public TextureBackend {
  public:
    void loadTexture(TextureId* slots, const char* path, int index) override {
        std::unique_ptr<RgbImage> image = loadJpeg(path);
        if (!image) showMessage(path, "-=(Status)=-");
        glGenTextures(1, &slots[index]);
        glBindTexture(GL_TEXTURE_2D, slots[index]);
        if (image) {
            // Rows of odd widths are not padded to four bytes.
            glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
            gluBuild2DMipmaps(GL_TEXTURE_2D, 3, image->width, image->height, GL_RGB, GL_UNSIGNED_BYTE,
                              image->pixels.data());
            glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        }
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    }

    void createBlankTexture(TextureId* slots, int edge, int components, uint32_t format, int index) override {
        // Four bytes per component, as the upload's type is GL_UNSIGNED_INT.
        std::vector<uint8_t> zeros(size_t(edge) * edge * components * 4, 0);
        glGenTextures(1, &slots[index]);
        glBindTexture(GL_TEXTURE_2D, slots[index]);
        glTexImage2D(GL_TEXTURE_2D, 0, components, edge, edge, 0, format, GL_UNSIGNED_INT, zeros.data());
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    }
};

GlTextureBackend glBackend;
// Written by installTextureBackend (tools and tests without a context); read by the loaders.
TextureBackend* backend = &glBackend;

} // namespace

void installTextureBackend(TextureBackend* replacement) {
    backend = replacement ? replacement : &glBackend;
}

TextureBackend* currentTextureBackend() {
    return backend;
}

TextureBackend& glTextureBackend() {
    return glBackend;
}

void loadTexture(TextureId* slots, const char* path, int index) {
    if (!path) return;
    backend->loadTexture(slots, path, index);
}

void createBlankTexture(TextureId* slots, int edge, int components, uint32_t format, int index) {
    backend->createBlankTexture(slots, edge, components, format, index);
}

void RecordingTextureBackend::loadTexture(TextureId* slots, const char* path, int index) {
    slots[index] = static_cast<TextureId>(made.size() + 1);
    made.push_back({slots[index], path, 0});
}

void RecordingTextureBackend::createBlankTexture(TextureId* slots, int edge, int, uint32_t, int index) {
    slots[index] = static_cast<TextureId>(made.size() + 1);
    made.push_back({slots[index], std::string(), edge});
}

} // namespace pelx

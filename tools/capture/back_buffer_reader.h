// The back buffer read for saving, in the framebuffer's own layout: B, G, R, X bytes, rows bottom
// first, as OpenGL hands them. Where the driver offers pixel buffer objects, a read only starts
// at the present and is collected later, so the renderer finishes the frame while the show
// goes on to the next one; elsewhere every read is done at once with glReadPixels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

namespace pelx {

// True for Mesa's software renderers, which draw with the same cores that would copy a pixel
// buffer: there a read left in flight costs a copy more and overlaps nothing.
bool rendererDrawsOnTheCpu();

class BackBufferReader {
  public:
    // The rendering context must be current. depth: reads left in flight after a present; 0,
    // or a driver without pixel buffer objects, reads every frame at its present.
    BackBufferReader(int width, int height, int depth);
    ~BackBufferReader();
    BackBufferReader(const BackBufferReader&) = delete;
    BackBufferReader& operator=(const BackBufferReader&) = delete;

    size_t frameBytes() const { return size_t(width) * height * 4; }
    bool usesPixelBuffers() const { return !buffers.empty(); }
    // Reads that may stay in flight after a present: 0 without pixel buffers.
    int depth() const { return inFlightAtMost; }

    // Starts reading the finished frame in the back buffer, under the caller's tag. Without
    // pixel buffers the read happens at the collect that must follow before the next frame.
    void start(uint64_t tag);
    // Reads waiting to be collected.
    size_t pending() const { return inFlight.size(); }
    // Copies the oldest started read into pixels (frameBytes() of them) and gives its tag.
    // False when the driver cannot hand the pixels over (its buffer does not map).
    bool collect(uint8_t* pixels, uint64_t* tag);

  private:
    struct Read {
        uint64_t tag;
        size_t buffer; // index into buffers; unused without pixel buffers
    };

    int width, height, inFlightAtMost;
    std::vector<unsigned> buffers; // pixel buffer objects, one per read in flight plus one
    size_t nextBuffer = 0;
    std::deque<Read> inFlight;
};

} // namespace pelx

// Pixel buffer objects came with OpenGL 2.1; their entry points are looked up at run time, and
// a driver without them gets plain glReadPixels into the caller's memory.
#include "back_buffer_reader.h"

#include "capture_phases.h"
#include "platform/window.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <cassert>
#include <cstdio>
#include <cstring>
#include <string>

namespace pelx {

namespace {

struct PixelBufferCalls {
    PFNGLGENBUFFERSPROC genBuffers = nullptr;
    PFNGLDELETEBUFFERSPROC deleteBuffers = nullptr;
    PFNGLBINDBUFFERPROC bindBuffer = nullptr;
    PFNGLBUFFERDATAPROC bufferData = nullptr;
    PFNGLMAPBUFFERPROC mapBuffer = nullptr;
    PFNGLUNMAPBUFFERPROC unmapBuffer = nullptr;
};

// Written by the first reader that finds them; the calls belong to the one rendering context.
PixelBufferCalls gl;

bool driverOffersPixelBuffers() {
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    int major = 0, minor = 0;
    const bool core = version && std::sscanf(version, "%d.%d", &major, &minor) == 2 &&
                      (major > 2 || (major == 2 && minor >= 1));
    const bool extension = extensions && std::strstr(extensions, "GL_ARB_pixel_buffer_object") != nullptr;
    if (!core && !extension) return false;
    gl.genBuffers = reinterpret_cast<PFNGLGENBUFFERSPROC>(glProcAddress("glGenBuffers"));
    gl.deleteBuffers = reinterpret_cast<PFNGLDELETEBUFFERSPROC>(glProcAddress("glDeleteBuffers"));
    gl.bindBuffer = reinterpret_cast<PFNGLBINDBUFFERPROC>(glProcAddress("glBindBuffer"));
    gl.bufferData = reinterpret_cast<PFNGLBUFFERDATAPROC>(glProcAddress("glBufferData"));
    gl.mapBuffer = reinterpret_cast<PFNGLMAPBUFFERPROC>(glProcAddress("glMapBuffer"));
    gl.unmapBuffer = reinterpret_cast<PFNGLUNMAPBUFFERPROC>(glProcAddress("glUnmapBuffer"));
    return gl.genBuffers && gl.deleteBuffers && gl.bindBuffer && gl.bufferData && gl.mapBuffer &&
           gl.unmapBuffer;
}

void readInto(int width, int height, void* pixels) {
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, pixels);
}

} // namespace

bool rendererDrawsOnTheCpu() {
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    if (!renderer) return false;
    for (const char* name : {"llvmpipe", "softpipe", "swrast", "Software Rasterizer"})
        if (std::strstr(renderer, name)) return true;
    return false;
}

BackBufferReader::BackBufferReader(int width, int height, int depth)
    : width(width), height(height), inFlightAtMost(depth) {
    if (depth <= 0 || !driverOffersPixelBuffers()) {
        inFlightAtMost = 0;
        return;
    }
    buffers.resize(static_cast<size_t>(depth) + 1);
    gl.genBuffers(static_cast<GLsizei>(buffers.size()), buffers.data());
    for (unsigned buffer : buffers) {
        gl.bindBuffer(GL_PIXEL_PACK_BUFFER, buffer);
        gl.bufferData(GL_PIXEL_PACK_BUFFER, static_cast<GLsizeiptr>(frameBytes()), nullptr, GL_STREAM_READ);
    }
    gl.bindBuffer(GL_PIXEL_PACK_BUFFER, 0);
}

BackBufferReader::~BackBufferReader() {
    if (!buffers.empty()) gl.deleteBuffers(static_cast<GLsizei>(buffers.size()), buffers.data());
}

void BackBufferReader::start(uint64_t tag) {
    assert(pending() <= static_cast<size_t>(inFlightAtMost) &&
           "collect the oldest read before starting another");
    if (buffers.empty()) {
        inFlight.push_back(Read{tag, 0});
        return;
    }
    ScopedCapturePhase phase(CapturePhase::ReadBack);
    const size_t buffer = nextBuffer;
    nextBuffer = (nextBuffer + 1) % buffers.size();
    gl.bindBuffer(GL_PIXEL_PACK_BUFFER, buffers[buffer]);
    readInto(width, height, nullptr);
    gl.bindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    // Hands the frame to the renderer's threads now rather than at the next wait.
    glFlush();
    inFlight.push_back(Read{tag, buffer});
}

bool BackBufferReader::collect(uint8_t* pixels, uint64_t* tag) {
    assert(!inFlight.empty() && "no read to collect");
    ScopedCapturePhase phase(CapturePhase::ReadBack);
    const Read read = inFlight.front();
    inFlight.pop_front();
    *tag = read.tag;
    if (buffers.empty()) {
        readInto(width, height, pixels);
        return true;
    }
    gl.bindBuffer(GL_PIXEL_PACK_BUFFER, buffers[read.buffer]);
    const void* mapped = gl.mapBuffer(GL_PIXEL_PACK_BUFFER, GL_READ_ONLY);
    if (mapped) {
        std::memcpy(pixels, mapped, frameBytes());
        gl.unmapBuffer(GL_PIXEL_PACK_BUFFER);
    }
    gl.bindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    return mapped != nullptr;
}

} // namespace pelx

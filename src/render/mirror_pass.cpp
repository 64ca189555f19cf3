// Mirrors: before the frame's main drawing, the scene is drawn once per mirror from the
// mirror's position with the camera's angles negated, into a 512 x 512 area, and copied into
// the mirror's texture. Where the driver offers framebuffer objects the area is off-screen, so
// display modes lower than 512 pixels still give a whole picture.
#include "render/mirror_pass.h"

#include "lighting/lighting.h"
#include "platform/display_state.h"
#include "platform/frame.h"
#include "platform/launch_options.h"
#include "platform/window.h"
#include "render/mesh_pass.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace pelx {

bool allowOffscreenMirrors = true;

namespace {

constexpr int MIRROR_EDGE = 512;

// The off-screen target, made once per rendering context: a framebuffer with a colour and a
// depth renderbuffer of the mirror's size.
struct OffscreenTarget {
    PlatformGlContext* context = nullptr; // the context the names below belong to
    bool probed = false;
    bool usable = false;
    GLuint framebuffer = 0;
    GLuint colorBuffer = 0;
    GLuint depthBuffer = 0;
    PFNGLBINDFRAMEBUFFERPROC bindFramebuffer = nullptr;
};

OffscreenTarget offscreen;

bool hasExtension(const char* name) {
    const char* all = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    if (!all) return false;
    const size_t length = std::strlen(name);
    for (const char* at = std::strstr(all, name); at; at = std::strstr(at + 1, name)) {
        const bool starts = at == all || at[-1] == ' ';
        const bool ends = at[length] == ' ' || at[length] == '\0';
        if (starts && ends) return true;
    }
    return false;
}

int glMajorVersion() {
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    return version ? std::atoi(version) : 0;
}

template <typename Function> Function entryPoint(const char* name) {
    return reinterpret_cast<Function>(glProcAddress(name));
}

// Framebuffer objects are part of OpenGL 3.0 and of GL_ARB_framebuffer_object under their
// plain names, and of GL_EXT_framebuffer_object with the EXT suffix; the constants agree.
bool createOffscreenTarget(OffscreenTarget& target) {
    const char* suffix = nullptr;
    if (glMajorVersion() >= 3 || hasExtension("GL_ARB_framebuffer_object"))
        suffix = "";
    else if (hasExtension("GL_EXT_framebuffer_object"))
        suffix = "EXT";
    else
        return false;
    auto named = [suffix](const char* base) { return std::string(base) + suffix; };
    auto genFramebuffers = entryPoint<PFNGLGENFRAMEBUFFERSPROC>(named("glGenFramebuffers").c_str());
    auto deleteFramebuffers = entryPoint<PFNGLDELETEFRAMEBUFFERSPROC>(named("glDeleteFramebuffers").c_str());
    auto bindFramebuffer = entryPoint<PFNGLBINDFRAMEBUFFERPROC>(named("glBindFramebuffer").c_str());
    auto genRenderbuffers = entryPoint<PFNGLGENRENDERBUFFERSPROC>(named("glGenRenderbuffers").c_str());
    auto deleteRenderbuffers =
        entryPoint<PFNGLDELETERENDERBUFFERSPROC>(named("glDeleteRenderbuffers").c_str());
    auto bindRenderbuffer = entryPoint<PFNGLBINDRENDERBUFFERPROC>(named("glBindRenderbuffer").c_str());
    auto renderbufferStorage =
        entryPoint<PFNGLRENDERBUFFERSTORAGEPROC>(named("glRenderbufferStorage").c_str());
    auto framebufferRenderbuffer =
        entryPoint<PFNGLFRAMEBUFFERRENDERBUFFERPROC>(named("glFramebufferRenderbuffer").c_str());
    auto checkStatus = entryPoint<PFNGLCHECKFRAMEBUFFERSTATUSPROC>(named("glCheckFramebufferStatus").c_str());
    if (!genFramebuffers || !deleteFramebuffers || !bindFramebuffer || !genRenderbuffers ||
        !deleteRenderbuffers || !bindRenderbuffer || !renderbufferStorage || !framebufferRenderbuffer ||
        !checkStatus)
        return false;

    genRenderbuffers(1, &target.colorBuffer);
    bindRenderbuffer(GL_RENDERBUFFER, target.colorBuffer);
    renderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, MIRROR_EDGE, MIRROR_EDGE);
    genRenderbuffers(1, &target.depthBuffer);
    bindRenderbuffer(GL_RENDERBUFFER, target.depthBuffer);
    renderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, MIRROR_EDGE, MIRROR_EDGE);
    bindRenderbuffer(GL_RENDERBUFFER, 0);

    genFramebuffers(1, &target.framebuffer);
    bindFramebuffer(GL_FRAMEBUFFER, target.framebuffer);
    framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, target.colorBuffer);
    framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, target.depthBuffer);
    const bool complete = checkStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    bindFramebuffer(GL_FRAMEBUFFER, 0);
    if (!complete) {
        deleteFramebuffers(1, &target.framebuffer);
        deleteRenderbuffers(1, &target.colorBuffer);
        deleteRenderbuffers(1, &target.depthBuffer);
        target.framebuffer = target.colorBuffer = target.depthBuffer = 0;
        return false;
    }
    target.bindFramebuffer = bindFramebuffer;
    return true;
}

// The off-screen target of the current context, made on first use; null when the driver
// offers none.
OffscreenTarget* offscreenTarget() {
    if (!allowOffscreenMirrors) return nullptr;
    if (offscreen.probed && offscreen.context != displayState.renderContext) offscreen = OffscreenTarget{};
    if (!offscreen.probed) {
        offscreen.probed = true;
        offscreen.context = displayState.renderContext;
        offscreen.usable = createOffscreenTarget(offscreen);
        // A failed attempt may leave errors behind; they must not be taken for the show's own.
        // (Bounded: without a current context some drivers report an error on every call.)
        for (int n = 0; n < 32 && glGetError() != GL_NO_ERROR; ++n) {
        }
    }
    return offscreen.usable ? &offscreen : nullptr;
}

// The part of the 512 x 512 area that lies inside the window, when drawing on-screen.
void visibleCapture(int* width, int* height) {
    int w = launchOptions.width;
    int h = launchOptions.height;
    const ClientRect& client = displayState.clientRect;
    if (client.right > client.left && client.bottom > client.top) {
        w = std::min(w, client.right - client.left);
        h = std::min(h, client.bottom - client.top);
    }
    *width = std::clamp(w, 0, MIRROR_EDGE);
    *height = std::clamp(h, 0, MIRROR_EDGE);
}

// Copies the reflection drawn in the lower-left corner into the bound texture. Off-screen the
// whole area is defined; on-screen only the rows and columns inside the window are, so only
// those are copied, into a texture whose other texels were defined (black) beforehand.
void captureReflection(bool offscreenDrawing) {
    if (offscreenDrawing) {
        glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 0, 0, MIRROR_EDGE, MIRROR_EDGE, 0);
        return;
    }
    int width = 0, height = 0;
    visibleCapture(&width, &height);
    if (width == MIRROR_EDGE && height == MIRROR_EDGE) {
        glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 0, 0, MIRROR_EDGE, MIRROR_EDGE, 0);
        return;
    }
    GLint textureWidth = 0, textureHeight = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &textureWidth);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &textureHeight);
    if (textureWidth != MIRROR_EDGE || textureHeight != MIRROR_EDGE) {
        const std::vector<uint8_t> black(MIRROR_EDGE * MIRROR_EDGE * 3, 0);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, MIRROR_EDGE, MIRROR_EDGE, 0, GL_RGB, GL_UNSIGNED_BYTE,
                     black.data());
    }
    if (width > 0 && height > 0) glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, width, height);
}

// The next mirror at or after list position *skip, with *skip moved onto it; null when the
// list ends first (the count of mirror materials may be larger than the mirror meshes).
SceneObject* findMirror(Scene& scene, int* skip) {
    if (*skip >= scene.objectCount) return nullptr;
    seekObject(scene, *skip);
    for (;;) {
        SceneObject* object = scene.current;
        if (object->kind == KIND_MESH && object->isMirror) return object;
        if (!object->next || *skip + 1 >= scene.objectCount) return nullptr;
        nextObject(scene);
        *skip += 1;
    }
}

} // namespace

void renderMirrors(Scene& scene) {
    // A scene with mirrors is lit once here; the reflections and the main view share the colours.
    if (!launchOptions.lightsOff) computeLighting(scene);

    SceneObject* camera = viewingCamera(scene);
    if (camera && scene.mirrorCount > 0) {
        const Vec3d savedRotation = camera->rotation;
        const Vec3d savedEye = camera->eye;
        OffscreenTarget* target = offscreenTarget();
        int skip = 0;
        // Mirrors are hidden while reflections are drawn, so none shows up in another's picture.
        drawMirrors = false;
        for (int n = 0; n < scene.mirrorCount; ++n) {
            SceneObject* mirror = findMirror(scene, &skip);
            if (!mirror) break;
            skip += 1; // the next search starts after this mirror

            if (target) target->bindFramebuffer(GL_FRAMEBUFFER, target->framebuffer);
            glViewport(0, 0, MIRROR_EDGE, MIRROR_EDGE);
            clearFrame();
            camera->rotation = -savedRotation;
            camera->eye = mirror->position;
            drawMesh(scene);
            // A mirror whose texture was never made has nowhere to keep its picture; copying
            // into name 0 would give every untextured mesh that picture.
            if (mirror->mirrorTexture != 0) {
                glBindTexture(GL_TEXTURE_2D, mirror->mirrorTexture);
                captureReflection(target != nullptr);
            }
            if (target) target->bindFramebuffer(GL_FRAMEBUFFER, 0);
            clearFrame();
            glViewport(0, 0, launchOptions.width, launchOptions.height);
        }
        camera->rotation = savedRotation;
        camera->eye = savedEye;
    }
    drawMirrors = true;
    resetCursor(scene);
}

} // namespace pelx

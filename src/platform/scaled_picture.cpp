// The scaled full-screen picture: copy the drawn corner into a texture, clear, draw one quad.
#include "platform/scaled_picture.h"

#include <GL/gl.h>
#include <algorithm>
#include <cstdint>

namespace pelx {

namespace {

// The texture the corner is copied into, power-of-two sized as OpenGL 1.1 requires. Written
// and read only by drawScaledPicture; forgotten when the display closes.
GLuint pictureTexture = 0;
int textureWidth = 0;
int textureHeight = 0;

int powerOfTwoAtLeast(int size) {
    int edge = 1;
    while (edge < size) edge *= 2;
    return edge;
}

// Rounded a * b / c for the non-negative sizes of a screen.
int scaledSize(int a, int b, int c) {
    const int64_t product = static_cast<int64_t>(a) * b;
    return static_cast<int>((product + c / 2) / c);
}

} // namespace

PictureRect scaledPictureRect(int pictureWidth, int pictureHeight, int screenWidth, int screenHeight) {
    PictureRect rect;
    if (pictureWidth <= 0 || pictureHeight <= 0 || screenWidth <= 0 || screenHeight <= 0) return rect;
    // Compare the aspects without division: the screen is narrower than the picture when
    // screenWidth / screenHeight < pictureWidth / pictureHeight.
    const bool narrower =
        static_cast<int64_t>(screenWidth) * pictureHeight < static_cast<int64_t>(pictureWidth) * screenHeight;
    if (narrower) {
        rect.width = screenWidth;
        rect.height = std::min(screenHeight, scaledSize(screenWidth, pictureHeight, pictureWidth));
    } else {
        rect.height = screenHeight;
        rect.width = std::min(screenWidth, scaledSize(screenHeight, pictureWidth, pictureHeight));
    }
    rect.x = (screenWidth - rect.width) / 2;
    rect.y = (screenHeight - rect.height) / 2;
    return rect;
}

void drawScaledPicture(int pictureWidth, int pictureHeight, int screenWidth, int screenHeight) {
    const PictureRect rect = scaledPictureRect(pictureWidth, pictureHeight, screenWidth, screenHeight);
    if (rect.width <= 0 || rect.height <= 0) return;
    // The corner cannot be read beyond the drawable (a screen smaller than the picture).
    const int copyWidth = std::min(pictureWidth, screenWidth);
    const int copyHeight = std::min(pictureHeight, screenHeight);

    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glMatrixMode(GL_TEXTURE);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, screenWidth, 0, screenHeight, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();

    const int wantWidth = powerOfTwoAtLeast(pictureWidth);
    const int wantHeight = powerOfTwoAtLeast(pictureHeight);
    if (pictureTexture == 0) glGenTextures(1, &pictureTexture);
    glBindTexture(GL_TEXTURE_2D, pictureTexture);
    if (textureWidth != wantWidth || textureHeight != wantHeight) {
        textureWidth = wantWidth;
        textureHeight = wantHeight;
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, textureWidth, textureHeight, 0, GL_RGB, GL_UNSIGNED_BYTE,
                     nullptr);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    }
    glReadBuffer(GL_BACK);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, copyWidth, copyHeight);

    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_FOG);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_STENCIL_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glViewport(0, 0, screenWidth, screenHeight);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);

    // Texel centres from the first to the last of the copied ones: the filter never reaches
    // the texture's undefined texels beyond the copy, nor GL_CLAMP's border colour.
    const float s0 = 0.5f / static_cast<float>(textureWidth);
    const float t0 = 0.5f / static_cast<float>(textureHeight);
    const float s1 = (static_cast<float>(copyWidth) - 0.5f) / static_cast<float>(textureWidth);
    const float t1 = (static_cast<float>(copyHeight) - 0.5f) / static_cast<float>(textureHeight);
    // On a screen smaller than the picture only the part inside the drawable was drawn; it
    // keeps its place and proportion in the rectangle, and the rest stays black.
    const float x0 = static_cast<float>(rect.x);
    const float y0 = static_cast<float>(rect.y);
    const float x1 = x0 + static_cast<float>(rect.width) * static_cast<float>(copyWidth) /
                              static_cast<float>(pictureWidth);
    const float y1 = y0 + static_cast<float>(rect.height) * static_cast<float>(copyHeight) /
                              static_cast<float>(pictureHeight);
    glBegin(GL_QUADS);
    glTexCoord2f(s0, t0);
    glVertex2f(x0, y0);
    glTexCoord2f(s1, t0);
    glVertex2f(x1, y0);
    glTexCoord2f(s1, t1);
    glVertex2f(x1, y1);
    glTexCoord2f(s0, t1);
    glVertex2f(x0, y1);
    glEnd();

    glMatrixMode(GL_TEXTURE);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopAttrib();
}

void forgetScaledPictureTexture() {
    pictureTexture = 0;
    textureWidth = textureHeight = 0;
}

} // namespace pelx

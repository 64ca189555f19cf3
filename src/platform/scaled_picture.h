// Full screen on a screen that lacks the chosen mode: the frame is drawn at the chosen size in
// the lower-left corner of the back buffer and shown scaled in proportion over the whole
// drawable, centred between black bars. Plain OpenGL 1.1: one copy into a texture, one quad.
#pragma once

namespace pelx {

// A rectangle of drawable pixels, (x, y) its lower-left corner.
struct PictureRect {
    int x = 0, y = 0, width = 0, height = 0;
};

// Where a picture of pictureWidth x pictureHeight lands when scaled in proportion to fill a
// screen of screenWidth x screenHeight: the whole height (the whole width on a screen narrower
// than the picture), centred, sizes rounded to the nearest pixel.
PictureRect scaledPictureRect(int pictureWidth, int pictureHeight, int screenWidth, int screenHeight);

// Replaces the back buffer's contents by its lower-left pictureWidth x pictureHeight corner
// scaled (filtered) into scaledPictureRect, with black all round. Leaves the OpenGL state as it
// found it. The texture it copies through is made on first use in the current context.
void drawScaledPicture(int pictureWidth, int pictureHeight, int screenWidth, int screenHeight);
// Forgets that texture (its name dies with the context that made it).
void forgetScaledPictureTexture();

} // namespace pelx

// The part of space the current projection shows, so that a pass can leave out what cannot
// reach the picture: a drawing lying wholly outside it yields no pixel, and leaving it out
// changes nothing on screen.
#pragma once

#include "platform/vec.h"

namespace pelx {

struct ViewVolume {
    bool known = false; // false unless the projection is a symmetric perspective
    double slopeX = 0, slopeY = 0; // the projection's x and y scales
    double zNear = 0, zFar = 0;
};

// Read from the current projection matrix; once per pass is enough.
ViewVolume readViewVolume();

// v turned as glRotatef(degrees, axis) turns it; axis 0, 1, 2 for x, y, z.
Vec3d turnedLikeGl(Vec3d v, double degrees, int axis);

// False only when every point, in eye coordinates, lies outside one and the same side of the
// volume by more than `radius` (and a margin over GL's float rounding). With an unknown
// volume, or a point that is not finite, everything may show.
bool mayShow(const ViewVolume& view, const Vec3d* points, int count, double radius);

} // namespace pelx

#include "platform/view_volume.h"

#include <GL/gl.h>
#include <cmath>

namespace pelx {

ViewVolume readViewVolume() {
    double m[16]; // column-major: m[column * 4 + row]
    glGetDoublev(GL_PROJECTION_MATRIX, m);
    ViewVolume view;
    // gluPerspective's shape: x and y scaled, no shear, w = -z.
    const bool perspective = m[1] == 0 && m[2] == 0 && m[3] == 0 && m[4] == 0 && m[6] == 0 && m[7] == 0 &&
                             m[8] == 0 && m[9] == 0 && m[11] == -1 && m[12] == 0 && m[13] == 0 &&
                             m[15] == 0 && m[0] > 0 && m[5] > 0;
    if (!perspective || m[10] == 1 || m[10] == -1) return view;
    view.zNear = m[14] / (m[10] - 1);
    view.zFar = m[14] / (m[10] + 1);
    if (!(view.zNear > 0 && view.zFar > view.zNear)) return view;
    view.slopeX = m[0];
    view.slopeY = m[5];
    view.known = true;
    return view;
}

Vec3d turnedLikeGl(Vec3d v, double degrees, int axis) {
    const double r = degrees * (3.14159265358979323846 / 180), c = std::cos(r), s = std::sin(r);
    switch (axis) {
    case 0:
        return {v.x, c * v.y - s * v.z, s * v.y + c * v.z};
    case 1:
        return {c * v.x + s * v.z, v.y, -s * v.x + c * v.z};
    default:
        return {c * v.x - s * v.y, s * v.x + c * v.y, v.z};
    }
}

bool mayShow(const ViewVolume& view, const Vec3d* points, int count, double radius) {
    if (!view.known || count <= 0) return true;
    const double nx = std::sqrt(view.slopeX * view.slopeX + 1), ny = std::sqrt(view.slopeY * view.slopeY + 1);
    // How far outside each side a point is: near, far, right, left, top, bottom.
    auto beyond = [&](const Vec3d& e, int side) {
        switch (side) {
        case 0:
            return e.z + view.zNear;
        case 1:
            return -e.z - view.zFar;
        case 2:
            return (view.slopeX * e.x + e.z) / nx;
        case 3:
            return (-view.slopeX * e.x + e.z) / nx;
        case 4:
            return (view.slopeY * e.y + e.z) / ny;
        default:
            return (-view.slopeY * e.y + e.z) / ny;
        }
    };
    for (int i = 0; i < count; ++i)
        if (!std::isfinite(points[i].x) || !std::isfinite(points[i].y) || !std::isfinite(points[i].z)) return true;
    for (int side = 0; side < 6; ++side) {
        bool allOutside = true;
        for (int i = 0; i < count && allOutside; ++i) {
            const Vec3d& e = points[i];
            const double margin = radius + 1e-3 * (1 + std::fabs(e.x) + std::fabs(e.y) + std::fabs(e.z));
            allOutside = beyond(e, side) > margin;
        }
        if (allOutside) return false;
    }
    return true;
}

} // namespace pelx

// The free camera's opening view frames any box: every corner, carried through the same turns
// the mesh pass makes (x, then y, then -eye) and a 45-degree perspective with the camera's
// depth range, lands inside the picture and between the near and far planes.
#include "free_camera.h"

#include <gtest/gtest.h>

#include <cmath>

namespace pelx::view {
namespace {

constexpr double PI = 3.14159265358979323846;

// v turned by angle degrees about an axis, as glRotatef turns the world.
Vec3d rotateX(Vec3d v, double degrees) {
    const double c = std::cos(degrees * PI / 180), s = std::sin(degrees * PI / 180);
    return {v.x, c * v.y - s * v.z, s * v.y + c * v.z};
}
Vec3d rotateY(Vec3d v, double degrees) {
    const double c = std::cos(degrees * PI / 180), s = std::sin(degrees * PI / 180);
    return {c * v.x + s * v.z, v.y, -s * v.x + c * v.z};
}

TEST(FreeCamera, TheOpeningViewHoldsEveryCornerOfTheBox) {
    struct Case {
        const char* what;
        Vec3d low, high;
        double aspect;
    };
    const Case cases[] = {
        {"unit cube", {0, 0, 0}, {1, 1, 1}, 4.0 / 3},
        {"show-sized room", {-400, 0, -300}, {400, 250, 300}, 4.0 / 3},
        {"flat floor", {-1000, 0, -1000}, {1000, 0, 1000}, 16.0 / 9},
        {"long along x", {-50000, -1, -1}, {50000, 1, 1}, 16.0 / 9},
        {"long along z, tall window", {-2, -2, -80000}, {2, 2, 80000}, 0.5},
        {"tall tower", {-5, 0, -5}, {5, 9000, 5}, 4.0 / 3},
        {"far from the origin", {1e5, 2e5, -3e5}, {1e5 + 30, 2e5 + 10, -3e5 + 20}, 1.0},
        {"a single point", {7, 7, 7}, {7, 7, 7}, 4.0 / 3},
    };
    for (const Case& c : cases) {
        Bounds box;
        box.add(c.low);
        box.add(c.high);
        const FreeCamera camera = frameBounds(box, c.aspect);
        const Vec3d eye = freeEye(camera), angles = freeRotation(camera);
        double nearPlane = 0, farPlane = 0;
        freeDepthRange(camera, &nearPlane, &farPlane);
        ASSERT_GT(nearPlane, 0) << c.what;
        ASSERT_GT(farPlane, nearPlane) << c.what;
        const double f = 1 / std::tan(22.5 * PI / 180);
        for (int corner = 0; corner < 8; ++corner) {
            const Vec3d p{corner & 1 ? c.high.x : c.low.x, corner & 2 ? c.high.y : c.low.y,
                          corner & 4 ? c.high.z : c.low.z};
            // glRotatef(x), glRotatef(y), glTranslatef(-eye): the point meets the translation first.
            Vec3d v = rotateX(rotateY({p.x - eye.x, p.y - eye.y, p.z - eye.z}, angles.y), angles.x);
            const double depth = -v.z;
            EXPECT_GT(depth, nearPlane) << c.what << " corner " << corner;
            EXPECT_LT(depth, farPlane) << c.what << " corner " << corner;
            EXPECT_LE(std::abs(f / c.aspect * v.x / depth), 1.0) << c.what << " corner " << corner;
            EXPECT_LE(std::abs(f * v.y / depth), 1.0) << c.what << " corner " << corner;
        }
        // Looking down at the scene from its front (+z side).
        EXPECT_GT(eye.y, camera.centre.y) << c.what;
        EXPECT_GT(eye.z, camera.centre.z) << c.what;
    }
}

} // namespace
} // namespace pelx::view

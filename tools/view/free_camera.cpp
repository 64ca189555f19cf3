// Free camera arithmetic. The mesh pass turns the world by the camera's x angle, then its y
// angle, then moves it by -eye; the camera then looks down -z. So the view direction in the
// world is (sin y cos x, -sin x, -cos y cos x).
#include "free_camera.h"

#include <algorithm>
#include <cmath>

namespace pelx::view {

namespace {

constexpr double PI = 3.14159265358979323846;
constexpr double DEGREES = PI / 180.0;
constexpr double OPENING_PITCH = 30.0; // from above
constexpr double ORBIT_DEGREES_PER_PIXEL = 0.3;
constexpr double ZOOM_PER_STEP = 0.85;
// The box's corners stay this much inside the view's sides, so the scene does not sit right on
// the edges.
constexpr double FRAME_MARGIN = 1.05;

Vec3d plus(Vec3d a, Vec3d b, double scale) {
    return {a.x + b.x * scale, a.y + b.y * scale, a.z + b.z * scale};
}

double length(Vec3d v) {
    return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
}

Vec3d rightOf(const FreeCamera& camera) {
    return {std::cos(camera.yaw * DEGREES), 0, std::sin(camera.yaw * DEGREES)};
}

// The camera's up: right x forward.
Vec3d upOf(const FreeCamera& camera) {
    const Vec3d f = freeForward(camera), r = rightOf(camera);
    return {r.y * f.z - r.z * f.y, r.z * f.x - r.x * f.z, r.x * f.y - r.y * f.x};
}

} // namespace

void Bounds::add(const Vec3d& p) {
    if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) return;
    if (empty()) {
        low = high = p;
        return;
    }
    low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
    high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
}

FreeCamera frameBounds(const Bounds& box, double aspect) {
    FreeCamera camera;
    if (!box.empty()) {
        camera.centre = {(box.low.x + box.high.x) / 2, (box.low.y + box.high.y) / 2,
                         (box.low.z + box.high.z) / 2};
        camera.sceneRadius =
            length({box.high.x - box.low.x, box.high.y - box.low.y, box.high.z - box.low.z}) / 2;
    }
    // A point (or nothing) still gets a view of some size.
    camera.sceneRadius = std::max(camera.sceneRadius, 1.0);
    camera.sceneCentre = camera.centre;
    camera.yaw = 0;
    camera.pitch = OPENING_PITCH;
    // Far enough back along the view that every corner is inside the picture's sides (with a
    // margin) and in front of the near plane: for a corner x across, y up and z beyond the
    // centre, x / (distance + z) must stay within the tangent of the half angle.
    const double tanHalfHeight = std::tan(SHOW_FIELD_OF_VIEW / 2 * DEGREES);
    const double tanHalfWidth = std::max(aspect, 1e-3) * tanHalfHeight;
    const Vec3d f = freeForward(camera), r = rightOf(camera), u = upOf(camera);
    double distance = 0;
    for (int corner = 0; corner < 8 && !box.empty(); ++corner) {
        const Vec3d p{corner & 1 ? box.high.x : box.low.x, corner & 2 ? box.high.y : box.low.y,
                      corner & 4 ? box.high.z : box.low.z};
        const Vec3d d{p.x - camera.centre.x, p.y - camera.centre.y, p.z - camera.centre.z};
        const double x = d.x * r.x + d.y * r.y + d.z * r.z;
        const double y = d.x * u.x + d.y * u.y + d.z * u.z;
        const double z = d.x * f.x + d.y * f.y + d.z * f.z;
        distance = std::max({distance, FRAME_MARGIN * std::abs(x) / tanHalfWidth - z,
                             FRAME_MARGIN * std::abs(y) / tanHalfHeight - z, 4 * SHOW_NEAR_PLANE - z});
    }
    // A point (or nothing) still gets a view of some size.
    camera.distance = std::max(distance, camera.sceneRadius);
    return camera;
}

Vec3d freeForward(const FreeCamera& camera) {
    const double x = camera.pitch * DEGREES, y = camera.yaw * DEGREES;
    return {std::sin(y) * std::cos(x), -std::sin(x), -std::cos(y) * std::cos(x)};
}

Vec3d freeEye(const FreeCamera& camera) {
    return plus(camera.centre, freeForward(camera), -camera.distance);
}

Vec3d freeRotation(const FreeCamera& camera) {
    return {camera.pitch, camera.yaw, 0};
}

void orbitFree(FreeCamera& camera, double dxPixels, double dyPixels) {
    camera.yaw = std::fmod(camera.yaw - dxPixels * ORBIT_DEGREES_PER_PIXEL, 360.0);
    // Short of straight up or down, where the yaw would lose its meaning.
    camera.pitch = std::clamp(camera.pitch + dyPixels * ORBIT_DEGREES_PER_PIXEL, -89.0, 89.0);
}

void panFree(FreeCamera& camera, double dxPixels, double dyPixels, int viewHeight) {
    // One pixel is this much of the world at the centre's distance.
    const double perPixel =
        2 * camera.distance * std::tan(SHOW_FIELD_OF_VIEW / 2 * DEGREES) / std::max(viewHeight, 1);
    camera.centre = plus(camera.centre, rightOf(camera), -dxPixels * perPixel);
    camera.centre = plus(camera.centre, upOf(camera), dyPixels * perPixel);
}

void zoomFree(FreeCamera& camera, int steps) {
    camera.distance = std::clamp(camera.distance * std::pow(ZOOM_PER_STEP, steps), SHOW_NEAR_PLANE * 2,
                                 camera.sceneRadius * 1000);
}

void flyFree(FreeCamera& camera, double forward, double right, double seconds) {
    // Half the scene's size per second, whatever its units.
    const double step = camera.sceneRadius * 0.5 * seconds;
    camera.centre = plus(camera.centre, freeForward(camera), forward * step);
    camera.centre = plus(camera.centre, rightOf(camera), right * step);
}

void freeDepthRange(const FreeCamera& camera, double* nearPlane, double* farPlane) {
    const Vec3d eye = freeEye(camera);
    const double reach =
        length({eye.x - camera.sceneCentre.x, eye.y - camera.sceneCentre.y, eye.z - camera.sceneCentre.z}) +
        camera.sceneRadius * FRAME_MARGIN;
    *farPlane = std::max(SHOW_FAR_PLANE, reach);
    // The show's ratio of far to near keeps the depth buffer's precision.
    *nearPlane = std::max(SHOW_NEAR_PLANE, *farPlane * (SHOW_NEAR_PLANE / SHOW_FAR_PLANE));
}

} // namespace pelx::view

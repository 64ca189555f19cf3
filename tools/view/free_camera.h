// The viewer's free camera: it orbits a centre at a distance, turned by a yaw and a pitch, and
// is handed to the mesh pass as a scene camera's eye and angles (x, then y; no roll).
#pragma once

#include "display/display.h"
#include "platform/vec.h"

namespace pelx::view {

struct Bounds {
    Vec3d low{1, 1, 1};
    Vec3d high{-1, -1, -1}; // low above high: empty
    bool empty() const { return low.x > high.x || low.y > high.y || low.z > high.z; }
    void add(const Vec3d& point);
};

struct FreeCamera {
    Vec3d centre;        // the point it orbits and pans
    double distance = 1; // from the eye to the centre
    double yaw = 0;      // degrees about y; 0 looks toward -z
    double pitch = 0;    // degrees about x; positive looks down
    Vec3d sceneCentre;   // the framed scene, for speeds and the depth range
    double sceneRadius = 1;
};

// Looking at the box's centre from above and in front, far enough back that the whole box is
// in view for this width / height.
FreeCamera frameBounds(const Bounds& box, double aspect);

Vec3d freeEye(const FreeCamera& camera);
// The angles the mesh pass turns the view by: (pitch, yaw, 0).
Vec3d freeRotation(const FreeCamera& camera);
// Unit vector the camera looks along.
Vec3d freeForward(const FreeCamera& camera);

// Mouse steering: degrees per pixel dragged, pan in pixels of a view that many pixels high,
// zoom in wheel steps (positive: closer).
void orbitFree(FreeCamera& camera, double dxPixels, double dyPixels);
void panFree(FreeCamera& camera, double dxPixels, double dyPixels, int viewHeight);
void zoomFree(FreeCamera& camera, int steps);
// Moves eye and centre together: forward and right in -1..1, for this many seconds.
void flyFree(FreeCamera& camera, double forward, double right, double seconds);

// Near and far planes that hold the scene from where the camera stands: the show's own
// (SHOW_NEAR_PLANE, SHOW_FAR_PLANE) when the scene fits in those, deeper otherwise. The field of
// view is always the show's.
void freeDepthRange(const FreeCamera& camera, double* nearPlane, double* farPlane);

} // namespace pelx::view

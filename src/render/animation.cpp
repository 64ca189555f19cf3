// Keyframe animation: the scene clock turned into a frame number, the camera cuts, the camera
// moved along its eye and target paths and turned towards its target, and every mesh and light
// moved along its position and rotation tracks. Interpolation is linear between keys.
#include "render/animation.h"

#include "platform/frame.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace pelx {

namespace {

// The camera angles convert as the scene files do (SCENE_HALF_TURN_RADIANS).
double degreesOf(double radians) {
    return radians * SCENE_DEGREES_PER_HALF_TURN / SCENE_HALF_TURN_RADIANS;
}

// Keys a track really holds: the count as stored, but never more than its arrays carry.
int64_t trackLength(const KeyTrack& track) {
    return std::min<int64_t>({static_cast<int64_t>(track.keyCount),
                              static_cast<int64_t>(track.keyFrames.size()),
                              static_cast<int64_t>(track.keyValues.size())});
}

double currentFrameOf(const Scene& scene) {
    const float elapsed = sceneClock.elapsed;
    const float duration = sceneClock.duration;
    float frame;
    if (duration > 0) {
        frame = static_cast<float>(scene.frameCount) * (elapsed / duration);
    } else {
        // A scene of length 0 is at its start while no time has passed and at its end after.
        frame = elapsed > 0 ? static_cast<float>(scene.frameCount) : 0.0f;
    }
    double result = frame;
    // The last camera's final key is never reached: the scene ends one frame before it.
    if (std::trunc(result) >= scene.frameCount) result = std::max(scene.frameCount - 1, 0);
    return result;
}

// Places a camera track's cursor on a segment it can interpolate: between 1 and the last key,
// and past the zero-length segments (keys sharing a frame) without running off the end.
// Returns false when the track has fewer than two keys.
bool settleCameraCursor(KeyTrack& track) {
    const int64_t length = trackLength(track);
    if (length < 2) {
        track.keyIndex = static_cast<int32_t>(std::max<int64_t>(length - 1, 0));
        return false;
    }
    int64_t k = std::clamp<int64_t>(track.keyIndex, 1, length - 1);
    while (k < length - 1 && track.keyFrames[k - 1] == track.keyFrames[k]) ++k;
    track.keyIndex = static_cast<int32_t>(k);
    return true;
}

// The camera's point on one of its tracks at this frame, along the segment that ends at the
// cursor; a frame past either end of the segment extrapolates along it.
Vec3d cameraPointAt(const KeyTrack& track, double frame, Vec3d unchanged) {
    const int64_t length = trackLength(track);
    if (length == 0) return unchanged;
    if (length == 1) return track.keyValues[0];
    const int64_t k = track.keyIndex;
    const Vec3d p0 = track.keyValues[k - 1];
    const Vec3d p1 = track.keyValues[k];
    const double f0 = track.keyFrames[k - 1];
    const double f1 = track.keyFrames[k];
    // Only the final segment can still be of zero length here (its keys share one frame):
    // the camera stands on the final key rather than dividing by zero.
    if (f0 == f1) return p1;
    // Scaled before the division, as the mesh tracks are: the result is rounded the same way
    // whichever tool evaluates the path.
    return {p1.x + (p0.x - p1.x) * (frame - f1) / (f0 - f1), p1.y + (p0.y - p1.y) * (frame - f1) / (f0 - f1),
            p1.z + (p0.z - p1.z) * (frame - f1) / (f0 - f1)};
}

// At most one key per frame: a camera whose frame has passed its cursor moves on to the next
// segment, or stands exactly on its final key when there is none.
void stepCameraCursor(KeyTrack& track, double frame, Vec3d& point) {
    const int64_t length = trackLength(track);
    if (length == 0) return;
    const int64_t k = std::clamp<int64_t>(track.keyIndex, 0, length - 1);
    if (track.keyFrames[k] <= frame) {
        if (k < length - 1)
            track.keyIndex = static_cast<int32_t>(k + 1);
        else
            point = track.keyValues[length - 1];
    }
}

// Angles that turn the view (which looks down -z) from the eye towards the target.
void aimCamera(SceneObject& camera) {
    double dx = camera.eye.x - camera.target.x;
    double dy = camera.eye.y - camera.target.y;
    double dz = camera.eye.z - camera.target.z;
    const double length = std::sqrt(dx * dx + dy * dy + dz * dz);
    if (length != 0) {
        dx /= length;
        dy /= length;
        dz /= length;
    }
    const double h = std::sqrt(dx * dx + dz * dz);
    // Looking straight up or down leaves the yaw free; 0 keeps it finite. Rounding may put
    // the cosines a hair outside -1..1, where acos has no value.
    const double yaw = h > 0 ? degreesOf(std::acos(std::clamp(dz / h, -1.0, 1.0))) : 0.0;
    const double pitch = degreesOf(std::acos(std::clamp(h, -1.0, 1.0)));
    camera.rotation.y = dx >= 0 ? -yaw : yaw;
    camera.rotation.x = dy >= 0 ? pitch : -pitch;
}

void animateCamera(Scene& scene, double frame) {
    if (scene.cameraCount <= 0) return;
    const int count = std::min(scene.cameraCount, MAX_CAMERAS);
    if (scene.currentCamera < 0 || scene.currentCamera >= count) return;

    // A camera is left once its eye cursor stands on its last key (or the track has no segment
    // at all); tested once per frame, so the cameras follow one another in file order.
    SceneObject* camera = scene.cameras[scene.currentCamera];
    if (camera && scene.currentCamera < count - 1 &&
        camera->positionTrack.keyIndex >= trackLength(camera->positionTrack) - 1)
        scene.currentCamera += 1;
    camera = scene.cameras[scene.currentCamera];
    if (!camera) return;

    KeyTrack& eyeTrack = camera->positionTrack;
    KeyTrack& targetTrack = camera->rotationTrack; // the target path lives in the rotation slots
    settleCameraCursor(eyeTrack);
    settleCameraCursor(targetTrack);
    camera->eye = cameraPointAt(eyeTrack, frame, camera->eye);
    camera->target = cameraPointAt(targetTrack, frame, camera->target);
    aimCamera(*camera);
    stepCameraCursor(eyeTrack, frame, camera->eye);
    stepCameraCursor(targetTrack, frame, camera->target);
}

void animateObject(SceneObject& object, double frame) {
    KeyTrack& positions = object.positionTrack;
    KeyTrack& rotations = object.rotationTrack;
    const int64_t positionKeys = trackLength(positions);
    const int64_t rotationKeys = trackLength(rotations);

    // Frame 0 exactly restarts the object, so a scene played again starts from its first keys.
    if (frame == 0.0) {
        positions.keyIndex = 0;
        rotations.keyIndex = 0;
        if (positionKeys > 1) object.position = positions.keyValues[0];
        if (rotationKeys > 1) {
            object.rotation = rotations.keyValues[0];
            object.rotationSum = rotations.keyValues[0];
        }
    }

    if (positionKeys > 1) {
        int64_t i = std::max<int64_t>(positions.keyIndex, 0);
        if (i < positionKeys - 1) {
            const Vec3d p0 = positions.keyValues[i];
            const Vec3d p1 = positions.keyValues[i + 1];
            const double f0 = positions.keyFrames[i];
            const double f1 = positions.keyFrames[i + 1];
            if (f1 != f0) {
                const double span = f1 - f0;
                object.position = {(p1.x - p0.x) * (frame - f0) / span + p0.x,
                                   (p1.y - p0.y) * (frame - f0) / span + p0.y,
                                   (p1.z - p0.z) * (frame - f0) / span + p0.z};
            } else {
                // Keys sharing a frame are a jump: the object is at the later one.
                object.position = p1;
            }
            // A frame may pass several keys at once.
            while (i < positionKeys - 1 && positions.keyFrames[i + 1] <= frame) ++i;
            positions.keyIndex = static_cast<int32_t>(i);
        }
        if (object.kind == KIND_LIGHT) object.light.lightPosition = object.position;
    }

    if (rotationKeys > 1) {
        int64_t j = std::max<int64_t>(rotations.keyIndex, 0);
        if (j < rotationKeys - 1) {
            // Keys after the first are increments about x, y and z, added up in rotationSum.
            const Vec3d step = rotations.keyValues[j + 1];
            const double f0 = rotations.keyFrames[j];
            const double f1 = rotations.keyFrames[j + 1];
            Vec3d partial = step; // keys sharing a frame turn by the whole increment at once
            if (f1 != f0)
                partial = {(frame - f0) * step.x / (f1 - f0), (frame - f0) * step.y / (f1 - f0),
                           (frame - f0) * step.z / (f1 - f0)};
            object.rotation = -(partial + object.rotationSum);
            while (j < rotationKeys - 1 && rotations.keyFrames[j + 1] <= frame) {
                ++j;
                object.rotationSum = object.rotationSum + rotations.keyValues[j];
            }
            rotations.keyIndex = static_cast<int32_t>(j);
        }
    }
}

} // namespace

void animateScene(Scene& scene) {
    const double frame = currentFrameOf(scene);
    scene.currentFrame = frame;

    animateCamera(scene, frame);

    resetCursor(scene);
    for (int n = 0; n < scene.objectCount; ++n) {
        SceneObject& object = *scene.current;
        if (object.kind == KIND_MESH || object.kind == KIND_LIGHT) animateObject(object, frame);
        nextObject(scene);
    }
    resetCursor(scene);
}

} // namespace pelx

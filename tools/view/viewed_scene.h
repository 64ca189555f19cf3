// One 3DS scene as the viewer holds it: loaded as the show loads its scenes (lighting mode,
// shadow factors, flares), posed at any time of its animation, seen through its own cameras or
// the free camera, and lit by a headlight when none of its lights reaches a mesh.
#pragma once

#include "free_camera.h"
#include "image/texture.h"
#include "scene/scene.h"

#include <memory>
#include <string>
#include <vector>

namespace pelx::view {

// The show's flare settings for a scene: capacity, lifetime (s), rate (per s), size, rise.
struct FlareSettings {
    int capacity = 50;
    float lifetime = 1.0f;
    int rate = 10;
    float size = 15.0f;
    float rise = 50.0f;
};

struct SceneSettings {
    int lightingMode = 3;
    // Before loading, for the lights baked at load...
    float shadowFactor = 0.1f;
    float translucentShadowFactor = 0.4f;
    // ...and from the first frame on (a show script may change them once the scene is loaded).
    float playShadowFactor = 0.1f;
    float playTranslucentShadowFactor = 0.4f;
    int shadowTestMode = 1; // 1: one shadow rectangle per caster, 2: three
    FlareSettings flares;
};

struct LoadedScene {
    std::unique_ptr<Scene> scene;      // null when the file did not load
    std::string error;                 // why not, naming the file
    std::vector<std::string> problems; // pictures missing or not decoding, one line each
    std::vector<std::string> files;    // the scene file and the pictures it uses
};

// Loads path as the show does, pictures through textures (the viewer's lookup). A file that
// cannot be read, is damaged (cut short, chunk lengths past their parents) or holds no mesh
// does not load. Sets the shadow test mode the settings ask for.
LoadedScene loadViewedScene(const std::string& path, const SceneSettings& settings, TextureBackend& textures);
// Why path cannot be a scene, found without loading it (no such file, unreadable, no main
// chunk at its start); empty when it may be one. Lets a tool fail before it opens a window.
std::string sceneFileProblem(const std::string& path);
// Gives back the texture names of a scene that is about to go (reloads would pile them up).
void releaseSceneTextures(Scene& scene);

// "2 meshes, 1 light, no camera, 27.0 s": what a load brought, for the user.
std::string sceneSummary(const Scene& scene, float length);

// Seconds the scene plays: its frame count at 30 frames per second.
float sceneLength(const Scene& scene);
// Back to the state of a fresh load: first camera on its first segment, every object on its
// first keys. (The show's frame 0 restarts meshes and lights but never the cameras.)
void rewindScene(Scene& scene);
// The animation at scene time t of a scene lasting length seconds, as the show's clock poses it.
void animateAt(Scene& scene, float t, float length);
// Animates every 1/fps seconds after from up to to, and at to: the cursors move on as they
// would on screen.
void playForward(Scene& scene, float from, float to, float length, int fps);

// The meshes as loaded (their first keys), in world coordinates.
Bounds sceneBounds(const Scene& scene);
// A camera with an eye and a target that are apart.
bool hasUsableCamera(const Scene& scene);
// False when every light lights nothing: no lights, none with a range (no spotlight target),
// or only lights that are neither static ("&") nor moving while no mesh moves.
bool lightReachesMeshes(const Scene& scene);

// While it lives, the scene is seen from eye with these angles: the current camera's pose is
// replaced (a scene without cameras gets a stand-in), and put back at the end.
class CameraOverride {
  public:
    CameraOverride(Scene& scene, const Vec3d& eye, const Vec3d& rotation);
    ~CameraOverride();
    CameraOverride(const CameraOverride&) = delete;
    CameraOverride& operator=(const CameraOverride&) = delete;

  private:
    Scene& scene;
    SceneObject standIn;
    SceneObject* camera = nullptr;
    Vec3d savedEye;
    Vec3d savedRotation;
};

// A white light at the eye, added to the scene's lights while it is on.
struct Headlight {
    SceneLight light;
    bool on = false;
};
// Moves the headlight to eye with a range reaching past the whole scene, and puts it in the
// light table (on) or takes it out (off). False when the table has no room for it.
bool placeHeadlight(Scene& scene, Headlight& headlight, const Vec3d& eye, const Bounds& bounds);

} // namespace pelx::view

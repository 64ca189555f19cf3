// The viewer's frame body: what the show's frame loop does between animating and presenting.
#include "view_frame.h"

#include "display/display.h"
#include "lighting/lighting.h"
#include "platform/launch_options.h"
#include "platform/phase_timer.h"
#include "render/mesh_pass.h"
#include "render/mirror_pass.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <optional>

namespace pelx::view {

void drawViewFrame(Scene& scene, ViewState& view) {
    std::optional<CameraOverride> free;
    Vec3d eye;
    if (view.freeView) {
        double nearPlane = SHOW_NEAR_PLANE, farPlane = SHOW_FAR_PLANE;
        freeDepthRange(view.freeCamera, &nearPlane, &farPlane);
        glViewport(0, 0, view.width, view.height);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(SHOW_FIELD_OF_VIEW,
                       static_cast<double>(view.width) / (view.height > 0 ? view.height : 1), nearPlane,
                       farPlane);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        eye = freeEye(view.freeCamera);
        free.emplace(scene, eye, freeRotation(view.freeCamera));
    } else {
        resizeViewport(view.width, view.height);
        if (const SceneObject* camera = viewingCamera(scene)) eye = camera->eye;
    }
    placeHeadlight(scene, view.headlight, eye, view.bounds);

    ScopedPhase phase(Phase::MeshPass);
    if (scene.mirrorCount > 0) {
        if (view.mirrors) {
            renderMirrors(scene);
        } else {
            // The mesh pass leaves the lighting of a scene with mirrors to the mirror pass.
            drawMirrors = false;
            if (!launchOptions.lightsOff) computeLighting(scene);
        }
    }
    drawMesh(scene);
}

} // namespace pelx::view

// The mesh pass: every opaque mesh, then the additive "%" meshes over them, then the scene's
// flares, all from the current camera in immediate mode. Lighting is computed here unless the
// scene has mirrors, whose pass lights the frame once for all its drawings.
#include "render/mesh_pass.h"

#include "effects/flare_emitters.h"
#include "lighting/lighting.h"
#include "platform/display_state.h"
#include "platform/frame.h"
#include "platform/launch_options.h"
#include "platform/view_volume.h"
#include "scene/name_marks.h"

#include <GL/gl.h>
#include <algorithm>

namespace pelx {

namespace {

// The camera's view, then the object's own motion: moved to its position and turned about its
// pivot (the first position key, where its vertices were modelled). Objects without a track
// keep their vertices as stored.
void applyObjectTransform(const SceneObject* camera, const SceneObject& object) {
    glLoadIdentity();
    if (camera) {
        glRotatef(static_cast<float>(camera->rotation.x), 1, 0, 0);
        glRotatef(static_cast<float>(camera->rotation.y), 0, 1, 0);
        glRotatef(static_cast<float>(camera->rotation.z), 0, 0, 1);
        glTranslatef(static_cast<float>(-camera->eye.x), static_cast<float>(-camera->eye.y),
                     static_cast<float>(-camera->eye.z));
    }
    const bool moves = object.positionTrack.keyCount > 1;
    if (moves)
        glTranslatef(static_cast<float>(object.position.x), static_cast<float>(object.position.y),
                     static_cast<float>(object.position.z));
    if (object.rotationTrack.keyCount > 1) {
        glRotatef(static_cast<float>(object.rotation.x), 1, 0, 0);
        glRotatef(static_cast<float>(object.rotation.y), 0, 1, 0);
        glRotatef(static_cast<float>(object.rotation.z), 0, 0, 1);
    }
    if (moves)
        glTranslatef(static_cast<float>(-object.pivot.x), static_cast<float>(-object.pivot.y),
                     static_cast<float>(-object.pivot.z));
}

// The picture of the mesh's material; a mesh that names no loaded material binds texture 0,
// the untextured state.
TextureId materialTexture(const Scene& scene, const SceneObject& object) {
    const Material* material = materialAt(scene, object.materialIndex);
    return material ? material->texture : 0;
}

void emitCorner(const SceneObject& object, uint16_t index, bool colored) {
    if (colored) {
        // A vertex the lighting has not reached yet is drawn white, its unlit colour.
        const Vec3f color = index < object.vertexColors.size() ? object.vertexColors[index] : Vec3f{1, 1, 1};
        glColor3d(color.x, color.y, color.z);
    }
    const TexCoord uv = texCoordAt(object, index);
    glTexCoord2f(uv.u, uv.v);
    const Vec3d& v = object.vertices[index];
    glVertex3f(static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.z));
}

// One glBegin/glEnd pair per mesh; faces naming vertices the mesh does not have are left out.
void emitTriangles(const SceneObject& object, bool colored) {
    const size_t faceCount = std::min<size_t>(object.faceCount, object.faces.size());
    glBegin(GL_TRIANGLES);
    for (size_t n = 0; n < faceCount; ++n) {
        const Face& face = object.faces[n];
        if (!faceIsDrawable(object, face)) continue;
        emitCorner(object, face.a, colored);
        emitCorner(object, face.b, colored);
        emitCorner(object, face.c, colored);
    }
    glEnd();
}

} // namespace

// The corners of the vertices' box (kept by the loader, in the floats GL is given), taken
// through the same camera and object motion as applyObjectTransform's matrix. A mesh wholly
// outside the view would only be transformed and clipped away.
bool meshMayShow(const ViewVolume& view, const SceneObject* camera, const SceneObject& object) {
    if (!view.known || object.vertices.empty()) return true;
    auto f = [](double v) { return static_cast<double>(static_cast<float>(v)); };
    const Vec3f low = object.boundsMin, high = object.boundsMax;
    const bool moves = object.positionTrack.keyCount > 1, turns = object.rotationTrack.keyCount > 1;
    Vec3d corners[8];
    for (int i = 0; i < 8; ++i) {
        Vec3d p{i & 1 ? high.x : low.x, i & 2 ? high.y : low.y, i & 4 ? high.z : low.z};
        if (moves) p = p - Vec3d{f(object.pivot.x), f(object.pivot.y), f(object.pivot.z)};
        if (turns) {
            p = turnedLikeGl(p, f(object.rotation.z), 2);
            p = turnedLikeGl(p, f(object.rotation.y), 1);
            p = turnedLikeGl(p, f(object.rotation.x), 0);
        }
        if (moves) p = p + Vec3d{f(object.position.x), f(object.position.y), f(object.position.z)};
        if (camera) {
            p = p - Vec3d{f(camera->eye.x), f(camera->eye.y), f(camera->eye.z)};
            p = turnedLikeGl(p, f(camera->rotation.z), 2);
            p = turnedLikeGl(p, f(camera->rotation.y), 1);
            p = turnedLikeGl(p, f(camera->rotation.x), 0);
        }
        corners[i] = p;
    }
    return mayShow(view, corners, 8, 0);
}

void drawMesh(Scene& scene) {
    const bool colored = !launchOptions.lightsOff;
    if (colored && scene.mirrorCount == 0) computeLighting(scene);
    const SceneObject* camera = viewingCamera(scene);
    const ViewVolume view = readViewVolume();

    resetCursor(scene);
    for (int n = 0; n < scene.objectCount; ++n) {
        const SceneObject& object = *scene.current;
        if (object.kind == KIND_MESH && !isAdditive(object) && (!object.isMirror || drawMirrors) &&
            meshMayShow(view, camera, object)) {
            applyObjectTransform(camera, object);
            glBindTexture(GL_TEXTURE_2D,
                          object.isMirror ? object.mirrorTexture : materialTexture(scene, object));
            emitTriangles(object, colored);
        }
        nextObject(scene);
    }

    // Glowing meshes add to what is behind them; they are hidden by the opaque meshes but
    // must not hide one another.
    beginAdditiveBlend();
    if (displayState.blendDepthMask)
        glDepthMask(GL_FALSE);
    else
        glDisable(GL_DEPTH_TEST);
    resetCursor(scene);
    for (int n = 0; n < scene.objectCount; ++n) {
        const SceneObject& object = *scene.current;
        if (object.kind == KIND_MESH && isAdditive(object) && meshMayShow(view, camera, object)) {
            applyObjectTransform(camera, object);
            glBindTexture(GL_TEXTURE_2D, materialTexture(scene, object));
            emitTriangles(object, colored);
        }
        nextObject(scene);
    }
    if (displayState.blendDepthMask)
        glDepthMask(GL_TRUE);
    else
        glEnable(GL_DEPTH_TEST);
    endAdditiveBlend();

    if (scene.emitterCount > 0) drawFlareEmitters(scene);

    glColor3ub(255, 255, 255);
    resetCursor(scene);
}

} // namespace pelx

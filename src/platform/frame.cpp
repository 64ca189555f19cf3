// Frame clearing and additive blending.
#include "platform/frame.h"

#include <GL/gl.h>

namespace pelx {

SceneClock sceneClock;

void clearFrame() { glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT); }

void beginAdditiveBlend() {
    glBlendFunc(GL_ONE, GL_ONE);
    glEnable(GL_BLEND);
}

void endAdditiveBlend() { glDisable(GL_BLEND); }

} // namespace pelx

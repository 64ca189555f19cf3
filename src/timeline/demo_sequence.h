// The show from first to last step: display, loading, music, the six scenes, teardown.
//
// Layer timeline: clock and frame loop, assets, scene scripts, the sequence, the scenes'
// names, files and lengths (show_scenes.h). May use display, audio and the layers below.
#pragma once

#include "timeline/show_scenes.h"

#include <functional>
#include <string>

namespace pelx {

// One scene of the show: its name, its script and the length its script plays, the first and
// last as show_scenes.h gives them.
struct ShowScene {
    const char* name;
    void (*play)();
    float length;
};
// The six scenes in the order they play: road, colonne, room, mirror, tunnel, disco.
extern const ShowScene SHOW_SCENES[SHOW_SCENE_COUNT];
// The six lengths together, loading not counted: 283 s.
float showLength();

// What a tool may watch or narrow while the show runs. The show itself uses none of it.
struct ShowHooks {
    std::function<void()> beforeLoading;            // display open, nothing loaded yet
    std::function<void(int step)> afterLoadingStep; // 1..10
    std::function<void()> beforeFirstScene;         // after loading, before the music
    std::function<void(const ShowScene&)> sceneStarts;
    std::function<void(const ShowScene&)> sceneEnds;
    std::string onlyScene; // play just this scene after the full load (empty: all six)
};

// The show as the launch dialog starts it. A stop request (installStopSignals) ends it after
// the frame or loading step in progress, with the music stopped and the display closed.
void runDemo(void* instance);
// The same sequence with hooks.
void runShow(void* instance, const ShowHooks& hooks);

} // namespace pelx

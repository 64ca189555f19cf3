// The generator's run: each part writes its own files, timed, and a failure in one part does
// not stop the others.
#include "data_folder.h"

#include "logo_mask.h"
#include "pictures.h"
#include "scenes.h"
#include "soundtrack.h"
#include "textures.h"

#include <chrono>
#include <cstdio>
#include <functional>
#include <thread>

namespace pelx {

namespace {

bool timed(const char* what, const std::function<bool()>& part) {
    auto start = std::chrono::steady_clock::now();
    bool ok = part();
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("pelx-datagen: %-28s %s in %.2f s\n", what, ok ? "written" : "FAILED", seconds);
    std::fflush(stdout);
    return ok;
}

} // namespace

bool writeDataFolder(const std::filesystem::path& showDir) {
    // The soundtrack takes longest and shares nothing with the rest, so it has a thread of its own.
    bool soundOk = false;
    std::thread sound([&] { soundOk = timed("soundtrack", [&] { return writeSoundtrack(showDir); }); });
    bool ok = true;
    ok = timed("pictures", [&] { return writePictures(showDir); }) && ok;
    ok = timed("logo mask", [&] { return writeLogoMask(showDir); }) && ok;
    ok = timed("material textures", [&] { return writeTextures(showDir); }) && ok;
    ok = timed("scenes", [&] { return writeScenes((showDir / "data").string()); }) && ok;
    sound.join();
    return ok && soundOk;
}

} // namespace pelx

// The generator's run: each part writes its own files, timed. A part that fails for its own
// reasons does not stop the others; a file that cannot be written stops them all.
#include "data_folder.h"

#include "canvas.h"
#include "logo_mask.h"
#include "pictures.h"
#include "scenes.h"
#include "soundtrack.h"
#include "text.h"
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
    // A part cut short by a failed write was reported by that write, once.
    if (ok || !dataWriteFailed())
        std::printf("pelx-datagen: %-28s %s in %.2f s\n", what, ok ? "written" : "FAILED", seconds);
    std::fflush(stdout);
    return ok;
}

} // namespace

bool writeDataFolder(const std::filesystem::path& showDir) {
    if (!fontsLoad()) return false;
    // A folder that cannot be made is one clear error now, not a failure per file after the
    // soundtrack has been synthesized for nothing.
    const std::filesystem::path data = showDir / "data";
    std::error_code error;
    std::filesystem::create_directories(data, error);
    if (error || !std::filesystem::is_directory(data)) {
        std::fprintf(stderr, "pelx-datagen: cannot make the folder %s: %s\n", data.c_str(),
                     error ? error.message().c_str() : "a file of that name is in the way");
        return false;
    }
    // The soundtrack takes longest and shares nothing with the rest, so it has a thread of its own.
    bool soundOk = false;
    std::thread sound([&] { soundOk = timed("soundtrack", [&] { return writeSoundtrack(showDir); }); });
    const struct {
        const char* what;
        std::function<bool()> write;
    } parts[] = {
        {"pictures", [&] { return writePictures(showDir); }},
        {"logo mask", [&] { return writeLogoMask(showDir); }},
        {"material textures", [&] { return writeTextures(showDir); }},
        {"scenes", [&] { return writeScenes((showDir / "data").string()); }},
    };
    bool ok = true;
    for (const auto& part : parts) {
        if (dataWriteFailed()) break;
        ok = timed(part.what, part.write) && ok;
    }
    sound.join();
    return ok && soundOk && !dataWriteFailed();
}

} // namespace pelx

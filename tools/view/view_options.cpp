// Command line of pelx-view.
#include "view_options.h"

#include "command_line.h"
#include "key_table.h"

#include <cmath>

namespace pelx::view {

// pelx-view's name and usage, for the kit's messages.
const cli::Tool& viewTool();

namespace {

float factor(cli::CommandLine& line, double value) {
    if (value < 0 || value > 1) line.refuse(line.word() + " takes factors from 0 to 1");
    return static_cast<float>(value);
}

ViewOptions readViewOptions(cli::CommandLine& line) {
    ViewOptions options;
    bool playFactorsGiven = false;
    while (line.next()) {
        if (line.is("--mode")) {
            options.settings.lightingMode = line.wholeNumber(0, 3);
        } else if (line.is("--factors")) {
            const std::vector<double> f = line.numbers(2);
            options.settings.shadowFactor = factor(line, f[0]);
            options.settings.translucentShadowFactor = factor(line, f[1]);
        } else if (line.is("--play-factors")) {
            const std::vector<double> f = line.numbers(2);
            options.settings.playShadowFactor = factor(line, f[0]);
            options.settings.playTranslucentShadowFactor = factor(line, f[1]);
            playFactorsGiven = true;
        } else if (line.is("--shadow-test-mode")) {
            options.settings.shadowTestMode = line.wholeNumber(1, 2);
        } else if (line.is("--flares")) {
            const std::vector<double> f = line.numbers(5);
            // The pool is allocated per carrier: a bound keeps a typing slip from taking the memory.
            if (f[0] < 1 || f[0] > 100000 || f[0] != std::floor(f[0]) || f[2] < 0 || f[2] > 10000 ||
                f[2] != std::floor(f[2]) || f[1] <= 0 || f[3] < 0)
                line.refuse(
                    "--flares needs a capacity of 1 to 100000, a lifetime above 0, a whole rate of 0 to "
                    "10000 and a size of 0 or more");
            options.settings.flares = {static_cast<int>(f[0]), static_cast<float>(f[1]),
                                       static_cast<int>(f[2]), static_cast<float>(f[3]),
                                       static_cast<float>(f[4])};
        } else if (line.is("--length")) {
            options.length = static_cast<float>(line.number(0, 1e6));
        } else if (line.is("--size")) {
            const cli::Size size = line.size();
            options.width = size.width;
            options.height = size.height;
        } else if (line.is("--snapshot")) {
            options.snapshot = line.value();
        } else if (line.is("--at")) {
            options.at = static_cast<float>(line.number(0, 1e6));
            options.atGiven = true;
        } else if (line.is("--fps")) {
            options.fps = line.wholeNumber(1, 1000);
        } else if (line.is("--free")) {
            options.free = true;
        } else if (line.is("--clock-frames")) {
            options.clockFrames = line.wholeNumber(0, 10000000);
        } else if (line.isOption()) {
            line.answerOrRefuse(viewTool());
        } else if (options.file.empty()) {
            options.file = line.word();
        } else {
            line.refuse("one scene file at a time (" + options.file + ", then " + line.word() + ")");
        }
    }
    if (options.file.empty()) line.refuse("which 3DS file?");
    if (!playFactorsGiven) {
        options.settings.playShadowFactor = options.settings.shadowFactor;
        options.settings.playTranslucentShadowFactor = options.settings.translucentShadowFactor;
    }
    if (options.snapshot.empty() && (options.atGiven || options.free || options.clockFrames != 0))
        line.refuse("--at, --free and --clock-frames are for --snapshot");
    if (!options.snapshot.empty() && !options.atGiven) line.refuse("--snapshot needs --at T");
    return options;
}

} // namespace

std::string usageText() {
    return "Usage: pelx-view FILE.3ds [options]\n"
           "Plays one 3DS scene with the show's own loader, animation, lighting, mirrors and flares:\n"
           "its animation over its length, then again, through its cameras or a free camera. The\n"
           "scene is reloaded when the file or one of its pictures changes on disk. Pictures are\n"
           "looked for as the show does (from the current folder), then beside the scene file, then\n"
           "by their file name in any letter case there.\n"
           "\n"
           "  --mode N             lighting mode: 0 none, 1 and 2 without shadows, 3 with (default 3)\n"
           "  --factors S,T        shadowFactor and translucentShadowFactor at load (default 0.1,0.4)\n"
           "  --play-factors S,T   the factors from the first frame on (default: those of --factors)\n"
           "  --shadow-test-mode N shadow rectangles per caster: 1 one, 2 all three (default 1)\n"
           "  --flares C,L,R,S,H   flare carriers: capacity, lifetime, rate, size, rise\n"
           "                       (default 50,1,10,15,50)\n"
           "  --length S           seconds the animation lasts (default: its frames at 30 per second)\n"
           "  --size WxH           window or picture size (default 800x600)\n"
           "  --help, --version\n"
           "\n"
           "Snapshot: plays the scene on a virtual clock and writes one frame as PNG, then exits.\n"
           "  --snapshot OUT.png   where the frame goes\n"
           "  --at T               scene time of the frame, in seconds (required)\n"
           "  --fps N              frames per second of scene time on the way to T (default 30)\n"
           "  --free               through the free camera's opening view, not the scene's camera\n"
           "  --clock-frames N     the virtual clock reads as pelx-capture's does after N frames at\n"
           "                       --fps: 1 s + (N + k) / fps, to the millisecond, at frame k (default 0)\n"
           "\n"
           "Keys:\n" +
           keyHelp();
}

const cli::Tool& viewTool() {
    static const cli::Tool tool{"pelx-view", usageText()};
    return tool;
}

ViewOptions parseViewOptions(int argc, char** argv) {
    cli::CommandLine line(argc, argv);
    try {
        return readViewOptions(line);
    } catch (const cli::UsageError& error) {
        cli::exitWithUsageError(viewTool(), error.what());
    }
}

} // namespace pelx::view

// Command line of pelx-view.
#include "view_options.h"

#include "key_table.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace pelx::view {

namespace {

[[noreturn]] void usageError(const std::string& problem) {
    std::fprintf(stderr, "pelx-view: %s\n%s", problem.c_str(), usageText().c_str());
    std::exit(2);
}

double number(const char* text, const std::string& option) {
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    if (end == text || *end != '\0' || !std::isfinite(value))
        usageError("bad number for " + option + ": " + text);
    return value;
}

// Comma-separated numbers, exactly count of them.
std::vector<double> numbers(const char* text, size_t count, const std::string& option) {
    std::vector<double> values;
    std::string rest = text;
    for (;;) {
        const size_t comma = rest.find(',');
        values.push_back(number(rest.substr(0, comma).c_str(), option));
        if (comma == std::string::npos) break;
        rest = rest.substr(comma + 1);
    }
    if (values.size() != count)
        usageError(option + " takes " + std::to_string(count) + " numbers separated by commas");
    return values;
}

int wholeNumber(const char* text, const std::string& option, double low, double high) {
    const double value = number(text, option);
    if (value < low || value > high || value != std::floor(value))
        usageError(option + " needs a whole number from " + std::to_string(int64_t(low)) + " to " +
                   std::to_string(int64_t(high)));
    return static_cast<int>(value);
}

float factor(double value, const std::string& option) {
    if (value < 0 || value > 1) usageError(option + " takes factors from 0 to 1");
    return static_cast<float>(value);
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

ViewOptions parseViewOptions(int argc, char** argv) {
    ViewOptions options;
    bool playFactorsGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> const char* {
            if (i + 1 >= argc) usageError(arg + " needs a value");
            return argv[++i];
        };
        if (arg == "--help" || arg == "-h") {
            std::fputs(usageText().c_str(), stdout);
            std::exit(0);
        } else if (arg == "--version") {
            std::printf("pelx-view %s\n", PELX_VERSION);
            std::exit(0);
        } else if (arg == "--mode") {
            options.settings.lightingMode = wholeNumber(value(), arg, 0, 3);
        } else if (arg == "--factors") {
            const std::vector<double> f = numbers(value(), 2, arg);
            options.settings.shadowFactor = factor(f[0], arg);
            options.settings.translucentShadowFactor = factor(f[1], arg);
        } else if (arg == "--play-factors") {
            const std::vector<double> f = numbers(value(), 2, arg);
            options.settings.playShadowFactor = factor(f[0], arg);
            options.settings.playTranslucentShadowFactor = factor(f[1], arg);
            playFactorsGiven = true;
        } else if (arg == "--shadow-test-mode") {
            options.settings.shadowTestMode = wholeNumber(value(), arg, 1, 2);
        } else if (arg == "--flares") {
            const std::vector<double> f = numbers(value(), 5, arg);
            FlareSettings& flares = options.settings.flares;
            // The pool is allocated per carrier: a bound keeps a typing slip from taking the memory.
            if (f[0] < 1 || f[0] > 100000 || f[0] != std::floor(f[0]) || f[2] < 0 || f[2] > 10000 ||
                f[2] != std::floor(f[2]) || f[1] <= 0 || f[3] < 0)
                usageError(
                    "--flares needs a capacity of 1 to 100000, a lifetime above 0, a whole rate of 0 to "
                    "10000 and a size of 0 or more");
            flares = {static_cast<int>(f[0]), static_cast<float>(f[1]), static_cast<int>(f[2]),
                      static_cast<float>(f[3]), static_cast<float>(f[4])};
        } else if (arg == "--length") {
            const double length = number(value(), arg);
            if (length < 0 || length > 1e6) usageError("--length takes seconds from 0 to 1000000");
            options.length = static_cast<float>(length);
        } else if (arg == "--size") {
            const char* size = value();
            int w = 0, h = 0;
            char extra = 0;
            if (std::sscanf(size, "%dx%d%c", &w, &h, &extra) != 2 || w < 16 || h < 16 || w > 8192 || h > 8192)
                usageError("--size needs WxH from 16x16 to 8192x8192, for example 800x600");
            options.width = w;
            options.height = h;
        } else if (arg == "--snapshot") {
            options.snapshot = value();
        } else if (arg == "--at") {
            const double at = number(value(), arg);
            if (at < 0 || at > 1e6) usageError("--at takes seconds from 0 to 1000000");
            options.at = static_cast<float>(at);
            options.atGiven = true;
        } else if (arg == "--fps") {
            options.fps = wholeNumber(value(), arg, 1, 1000);
        } else if (arg == "--free") {
            options.free = true;
        } else if (arg == "--clock-frames") {
            options.clockFrames = wholeNumber(value(), arg, 0, 10000000);
        } else if (!arg.empty() && arg[0] == '-') {
            usageError("unknown option " + arg);
        } else if (options.file.empty()) {
            options.file = arg;
        } else {
            usageError("one scene file at a time (" + options.file + ", then " + arg + ")");
        }
    }
    if (options.file.empty()) usageError("which 3DS file?");
    if (!playFactorsGiven) {
        options.settings.playShadowFactor = options.settings.shadowFactor;
        options.settings.playTranslucentShadowFactor = options.settings.translucentShadowFactor;
    }
    if (options.snapshot.empty() && (options.atGiven || options.free || options.clockFrames != 0))
        usageError("--at, --free and --clock-frames are for --snapshot");
    if (!options.snapshot.empty() && !options.atGiven) usageError("--snapshot needs --at T");
    return options;
}

} // namespace pelx::view

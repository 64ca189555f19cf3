// pelx-capture's command line, read with the tools' command-line kit.
#include "capture.h"

#include "command_line.h"
#include "timeline/demo_sequence.h"

namespace pelx {

namespace {

const char* const USAGE =
    "Usage: pelx-capture [options]\n"
    "Plays the show in a window from the data/ folder of the current directory or, when it has\n"
    "none, from the installed show data (PREFIX/share/pelx/data beside PREFIX/bin).\n"
    "\n"
    "Capture (default): a virtual clock advances 1/fps per frame; every frame is rendered.\n"
    "  --out DIR          write the frames as DIR/frame-NNNNNN.png\n"
    "  --video FILE       pipe the frames and the soundtrack to ffmpeg, writing FILE\n"
    "  --fps N            frames per second of show time (default 30)\n"
    "  --size WxH         window size (default 800x600)\n"
    "  --from S --to S    write only frames whose show time t has S <= t < S (the rest are\n"
    "                     still computed, so everything is as in a full run)\n"
    "  --every N          write every Nth frame\n"
    "  --with-loading     also write the loading frames before the first scene\n"
    "  --no-lights        the \"No lights\" switch\n"
    "  --no-music         a video without the soundtrack\n"
    "  --crf N            the video's quality for x264, 0 (lossless) to 51 (default 18)\n"
    "  --preset NAME      x264's speed against size: ultrafast, superfast, veryfast, faster,\n"
    "                     fast, medium, slow, slower or veryslow (default veryfast)\n"
    "  --phases           at the end, print where the time went (drawing, reading back,\n"
    "                     converting, writing) per written frame\n"
    "\n"
    "Benchmark: the real clock, nothing written.\n"
    "  --benchmark        frame times per scene and load time per loading step\n"
    "  --scene NAME       play only this scene after the full load\n"
    "                     (road, colonne, room, mirror, tunnel, disco)\n"
    "  --json             print the figures as one JSON object\n"
    "\n"
    "  --help             print this help and exit\n"
    "  --version          print the version and exit\n";

const char* const X264_PRESETS[] = {"ultrafast", "superfast", "veryfast", "faster",  "fast",
                                    "medium",    "slow",      "slower",   "veryslow"};

const cli::Tool TOOL{"pelx-capture", USAGE};

CaptureOptions readOptions(cli::CommandLine& line) {
    CaptureOptions options;
    while (line.next()) {
        if (line.is("--out")) {
            options.outDir = line.value();
        } else if (line.is("--video")) {
            options.videoFile = line.value();
        } else if (line.is("--fps")) {
            options.fps = line.wholeNumber(1, 100000);
        } else if (line.is("--size")) {
            const cli::Size size = line.size();
            options.width = size.width;
            options.height = size.height;
        } else if (line.is("--from")) {
            options.from = line.number();
        } else if (line.is("--to")) {
            options.to = line.number();
        } else if (line.is("--every")) {
            options.every = line.wholeNumber(1, 100000);
        } else if (line.is("--with-loading")) {
            options.withLoading = true;
        } else if (line.is("--no-lights")) {
            options.noLights = true;
        } else if (line.is("--no-music")) {
            options.noMusic = true;
        } else if (line.is("--crf")) {
            options.crf = line.number();
            if (options.crf < 0 || options.crf > 51)
                line.refuse("--crf needs a number from 0 (lossless) to 51");
            options.encoderChosen = true;
        } else if (line.is("--preset")) {
            options.preset = line.value();
            bool known = false;
            for (const char* preset : X264_PRESETS) known = known || options.preset == preset;
            if (!known)
                line.refuse(
                    "unknown --preset " + options.preset +
                    " (ultrafast, superfast, veryfast, faster, fast, medium, slow, slower, veryslow)");
            options.encoderChosen = true;
        } else if (line.is("--phases")) {
            options.phases = true;
        } else if (line.is("--benchmark")) {
            options.benchmark = true;
        } else if (line.is("--scene")) {
            options.scene = line.value();
        } else if (line.is("--json")) {
            options.json = true;
        } else {
            line.answerOrRefuse(TOOL);
        }
    }
    if (!options.scene.empty()) {
        bool known = false;
        for (const ShowScene& scene : SHOW_SCENES) known = known || options.scene == scene.name;
        if (!known)
            line.refuse("unknown scene " + options.scene + " (road, colonne, room, mirror, tunnel, disco)");
        if (!options.benchmark) line.refuse("--scene is for --benchmark");
    }
    if (options.json && !options.benchmark) line.refuse("--json is for --benchmark");
    if (options.encoderChosen && options.videoFile.empty()) line.refuse("--crf and --preset are for --video");
    if (options.phases && options.benchmark)
        line.refuse("--phases is for a capture; --benchmark has its own");
    if (!options.benchmark && options.outDir.empty() && options.videoFile.empty())
        line.refuse("say where the frames go: --out DIR or --video FILE (or use --benchmark)");
    if (options.to <= options.from) line.refuse("--to must be later than --from");
    return options;
}

} // namespace

CaptureOptions parseCaptureOptions(int argc, char** argv) {
    cli::CommandLine line(argc, argv);
    try {
        return readOptions(line);
    } catch (const cli::UsageError& problem) {
        cli::exitWithUsageError(TOOL, problem.what());
    }
}

} // namespace pelx

// pelx-capture: plays the show's own code windowed and either saves every frame (PNG files or
// a video through the ffmpeg program) on a virtual clock, or measures frame times on the real
// clock. Message boxes go to standard error. SIGINT, SIGTERM and SIGHUP stop a capture after
// the frame in progress, leaving whole files: every frame reported, or a playable video.
#include "capture.h"

#include "frame_writer.h"
#include "platform/launch_options.h"
#include "platform/message.h"
#include "platform/stop_signal.h"
#include "platform/window.h"
#include "timeline/demo_sequence.h"
#include "video_pipe.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

using namespace pelx;

namespace pelx {

namespace {
// The frames being written and the video being made, so that a failure anywhere stops the
// writer threads and removes ffmpeg's unfinished file. Written by abandonOnFailure (the
// capture), read by fail.
FrameWriter* unfinishedWriter = nullptr;
VideoPipe* unfinishedVideo = nullptr;
} // namespace

void abandonOnFailure(FrameWriter* writer, VideoPipe* video) {
    unfinishedWriter = writer;
    unfinishedVideo = video;
}

void fail(const std::string& message) {
    // The threads go first: they may be writing into ffmpeg's pipe.
    if (unfinishedWriter) unfinishedWriter->abandon();
    if (unfinishedVideo) unfinishedVideo->abandon();
    std::fprintf(stderr, "pelx-capture: %s\n", message.c_str());
    std::exit(2);
}

} // namespace pelx

namespace {

// The show reads data/ from the current folder. Where there is none, an installed capture plays
// the installed data, PREFIX/share/pelx beside PREFIX/bin; the file names given on the command
// line keep naming what they named in the folder the capture was started from.
void enterShowFolder(CaptureOptions& options) {
    namespace fs = std::filesystem;
    std::error_code error;
    if (fs::is_directory("data", error)) return;
    const fs::path program = fs::read_symlink("/proc/self/exe", error);
    if (error) return;
    const fs::path showFolder = program.parent_path().parent_path() / "share" / "pelx";
    if (!fs::is_directory(showFolder / "data", error)) return;
    if (!options.outDir.empty()) options.outDir = fs::absolute(options.outDir).string();
    if (!options.videoFile.empty()) options.videoFile = fs::absolute(options.videoFile).string();
    fs::current_path(showFolder, error);
    if (error) fail("cannot enter " + showFolder.string() + ": " + error.message());
}

} // namespace

int main(int argc, char** argv) {
    CaptureOptions options = parseCaptureOptions(argc, argv);
    // Known before anything is drawn: a range that starts after the last frame writes nothing.
    // Each scene may draw one frame at its very end, past its length.
    if (!options.benchmark && options.from >= showLength() + SHOW_SCENE_COUNT * 2.0 / options.fps) {
        char reason[160];
        std::snprintf(reason, sizeof reason, "--from %g lies after the end of the show, which lasts %g s",
                      options.from, static_cast<double>(showLength()));
        fail(reason);
    }
    enterShowFolder(options);
    installStopSignals();
    setMessageSink(stderrMessageSink());
    launchOptions = LaunchOptions{};
    launchOptions.width = options.width;
    launchOptions.height = options.height;
    launchOptions.fullscreen = false;
    launchOptions.lightsOff = options.noLights;
    // The capture never plays sound itself; a video takes the soundtrack from the file.
    launchOptions.musicOff = true;
    launchOptions.launchRequested = 1;
    // No event may cost a frame.
    setEventsIgnored(true);
    if (options.benchmark) return runBenchmark(options);
    return runCapture(options);
}

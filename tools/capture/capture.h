// pelx-capture's parts: its options, the capture on a virtual clock and the benchmark on the
// real one, and how either ends on a failure.
#pragma once

#include <limits>
#include <string>

namespace pelx {

class FrameWriter;
class VideoPipe;

struct CaptureOptions {
    std::string outDir;
    std::string videoFile;
    int fps = 30;
    int width = 800;
    int height = 600;
    double from = 0;
    double to = std::numeric_limits<double>::infinity();
    int every = 1;
    bool withLoading = false;
    bool noLights = false;
    bool noMusic = false;
    bool phases = false;
    double crf = 18;
    std::string preset = "veryfast";
    bool encoderChosen = false; // --crf or --preset given
    bool benchmark = false;
    std::string scene;
    bool json = false;
};

// Reads the command line; a word it cannot use ends the program with the reason and the usage
// (status 2), --help and --version with status 0.
CaptureOptions parseCaptureOptions(int argc, char** argv);

inline constexpr const char* NO_DISPLAY =
    "the display window could not be opened (no X display? try xvfb-run -a)";

// Ends the program with "pelx-capture: message" and status 2, after stopping the frames being
// written and removing the unfinished video that abandonOnFailure names.
[[noreturn]] void fail(const std::string& message);
// What a failure must stop first: the writer threads (which may be writing into ffmpeg's pipe),
// then the video. nullptr where there is none.
void abandonOnFailure(FrameWriter* writer, VideoPipe* video);

// Every presented frame moves a virtual clock on by 1/fps; the frames go to PNG files or ffmpeg.
int runCapture(const CaptureOptions& options);
// The real clock; frame times per scene and load times per loading step.
int runBenchmark(const CaptureOptions& options);

} // namespace pelx

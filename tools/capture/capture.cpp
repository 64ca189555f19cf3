// pelx-capture: plays the show's own code windowed and either saves every frame (PNG files or
// a video through the ffmpeg program) on a virtual clock, or measures frame times on the real
// clock. Message boxes go to standard error. SIGINT, SIGTERM and SIGHUP stop a capture after
// the frame in progress, leaving whole files: every frame reported, or a playable video.
#include "back_buffer_reader.h"
#include "capture_phases.h"
#include "frame_writer.h"
#include "platform/clock.h"
#include "platform/launch_options.h"
#include "platform/message.h"
#include "platform/phase_timer.h"
#include "platform/stop_signal.h"
#include "platform/window.h"
#include "timeline/asset_set.h"
#include "timeline/data_files.h"
#include "timeline/demo_sequence.h"
#include "video_pipe.h"

#include <GL/gl.h>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <iterator>
#include <limits>
#include <memory>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace pelx;

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

struct Options {
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

const char* const X264_PRESETS[] = {"ultrafast", "superfast", "veryfast", "faster",  "fast",
                                    "medium",    "slow",      "slower",   "veryslow"};

const char* const NO_DISPLAY = "the display window could not be opened (no X display? try xvfb-run -a)";

// The frames being written and the video being made, so that a failure anywhere stops the
// writer threads and removes ffmpeg's unfinished file. Written by Capture, read by fail.
FrameWriter* unfinishedWriter = nullptr;
VideoPipe* unfinishedVideo = nullptr;

[[noreturn]] void fail(const std::string& message) {
    // The threads go first: they may be writing into ffmpeg's pipe.
    if (unfinishedWriter) unfinishedWriter->abandon();
    if (unfinishedVideo) unfinishedVideo->abandon();
    std::fprintf(stderr, "pelx-capture: %s\n", message.c_str());
    std::exit(2);
}

// An option the capture does not know: the usage goes with the message.
[[noreturn]] void usageError(const std::string& message) {
    std::fprintf(stderr, "pelx-capture: %s\n", message.c_str());
    std::fputs(USAGE, stderr);
    std::exit(2);
}

double number(const char* text, const char* option) {
    char* end = nullptr;
    double value = std::strtod(text, &end);
    if (end == text || *end != '\0' || !std::isfinite(value)) fail(std::string("bad number for ") + option);
    return value;
}

int positiveInt(const char* text, const char* option) {
    double value = number(text, option);
    if (value < 1 || value > 100000 || value != std::floor(value))
        fail(std::string(option) + " needs a whole number from 1 to 100000");
    return static_cast<int>(value);
}

Options parseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&]() -> const char* {
            if (i + 1 >= argc) fail(arg + " needs a value");
            return argv[++i];
        };
        if (arg == "--help" || arg == "-h") {
            std::fputs(USAGE, stdout);
            std::exit(0);
        } else if (arg == "--version") {
            std::puts("pelx-capture " PELX_VERSION);
            std::exit(0);
        } else if (arg == "--out") {
            options.outDir = value();
        } else if (arg == "--video") {
            options.videoFile = value();
        } else if (arg == "--fps") {
            options.fps = positiveInt(value(), "--fps");
        } else if (arg == "--size") {
            const char* size = value();
            int w = 0, h = 0;
            char extra = 0;
            if (std::sscanf(size, "%dx%d%c", &w, &h, &extra) != 2 || w < 16 || h < 16 || w > 8192 || h > 8192)
                fail("--size needs WxH, for example 800x600");
            options.width = w;
            options.height = h;
        } else if (arg == "--from") {
            options.from = number(value(), "--from");
        } else if (arg == "--to") {
            options.to = number(value(), "--to");
        } else if (arg == "--every") {
            options.every = positiveInt(value(), "--every");
        } else if (arg == "--with-loading") {
            options.withLoading = true;
        } else if (arg == "--no-lights") {
            options.noLights = true;
        } else if (arg == "--no-music") {
            options.noMusic = true;
        } else if (arg == "--crf") {
            options.crf = number(value(), "--crf");
            if (options.crf < 0 || options.crf > 51) fail("--crf needs a number from 0 (lossless) to 51");
            options.encoderChosen = true;
        } else if (arg == "--preset") {
            options.preset = value();
            bool known = false;
            for (const char* preset : X264_PRESETS) known = known || options.preset == preset;
            if (!known)
                fail("unknown --preset " + options.preset +
                     " (ultrafast, superfast, veryfast, faster, fast, medium, slow, slower, veryslow)");
            options.encoderChosen = true;
        } else if (arg == "--phases") {
            options.phases = true;
        } else if (arg == "--benchmark") {
            options.benchmark = true;
        } else if (arg == "--scene") {
            options.scene = value();
        } else if (arg == "--json") {
            options.json = true;
        } else {
            usageError("unknown option " + arg);
        }
    }
    if (!options.scene.empty()) {
        bool known = false;
        for (const ShowScene& scene : SHOW_SCENES) known = known || options.scene == scene.name;
        if (!known) fail("unknown scene " + options.scene + " (road, colonne, room, mirror, tunnel, disco)");
        if (!options.benchmark) fail("--scene is for --benchmark");
    }
    if (options.json && !options.benchmark) fail("--json is for --benchmark");
    if (options.encoderChosen && options.videoFile.empty()) fail("--crf and --preset are for --video");
    if (options.phases && options.benchmark) fail("--phases is for a capture; --benchmark has its own");
    if (!options.benchmark && options.outDir.empty() && options.videoFile.empty())
        fail("say where the frames go: --out DIR or --video FILE (or use --benchmark)");
    if (options.to <= options.from) fail("--to must be later than --from");
    return options;
}

// The show reads data/ from the current folder. Where there is none, an installed capture plays
// the installed data, PREFIX/share/pelx beside PREFIX/bin; the file names given on the command
// line keep naming what they named in the folder the capture was started from.
void enterShowFolder(Options& options) {
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

bool programExists(const char* name) {
    std::string command = std::string("command -v ") + name + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

// Capture mode: every presented frame moves the virtual clock on by 1/fps.
class Capture {
  public:
    explicit Capture(const Options& options) : options(options), clock(START_MS) {}

    int run() {
        if (!options.videoFile.empty() && !programExists("ffmpeg"))
            fail("the ffmpeg program is not installed (apt-get install ffmpeg), so no video can be made; "
                 "--out DIR writes PNG files instead");
        if (!options.outDir.empty()) {
            std::error_code error;
            std::filesystem::create_directories(options.outDir, error);
            if (error) fail("cannot create " + options.outDir + ": " + error.message());
        }
        installVirtualClock(&clock);
        enableCapturePhases(options.phases);
        // The show's present phase holds the hook and the window's present; the hook's own
        // time is taken out of it at the end.
        enablePhaseTimer(options.phases);
        setPresentHook([this] { framePresented(); });
        ShowHooks hooks;
        hooks.beforeLoading = [this] { displayOpened = true; };
        hooks.beforeFirstScene = [this] {
            inShow = true;
            showStarted = std::chrono::steady_clock::now();
        };
        // Reads still in flight are collected while the rendering context lives; the next scene
        // makes a new reader.
        hooks.sceneEnds = [this](const ShowScene&) { releaseReader(); };
        // Frames are read from the back buffer before the present; the window never needs to
        // show them, and presenting costs time (some 3 ms a frame at 1920x1080 under Xvfb).
        setPresentSkipped(true);
        runShow(nullptr, hooks);
        setPresentSkipped(false);
        setPresentHook(nullptr);
        if (const int signal = stopSignal()) stopped(signal);
        // The show ends quietly when it gets no window; a capture that wrote nothing must not
        // look like one that worked.
        if (!displayOpened) fail(NO_DISPLAY);
        finish();
        return 0;
    }

  private:
    static constexpr uint32_t START_MS = 1000;

    void framePresented() {
        const auto hookStart = std::chrono::steady_clock::now();
        if (inShow && hookEnd != std::chrono::steady_clock::time_point{}) betweenHooks += hookStart - hookEnd;
        framePresentedTimed();
        hookEnd = std::chrono::steady_clock::now();
        if (inShow) inHooks += hookEnd - hookStart;
    }

    void framePresentedTimed() {
        if (inShow) {
            double showTime = static_cast<double>(showFrames) / options.fps;
            if (showTime >= options.to) {
                // Nothing later is written; end here rather than render the rest of the show.
                releaseReader();
                finish();
                std::exit(0);
            }
            if (showTime >= options.from && showFrames % options.every == 0) {
                write(true);
                ++showFramesWritten;
            } else {
                finishUnreadFrame();
            }
            ++showFrames;
        } else if (options.withLoading) {
            // One frame per loading step; each lasts as long as a written show frame. A loading
            // step has no end hook, so its frame is read at once.
            write(false);
        } else {
            finishUnreadFrame();
        }
        ++presented;
        clock.set(START_MS + static_cast<uint32_t>(std::llround(presented * 1000.0 / options.fps)));
        progress(false);
    }

    // With no present to wait for it, a frame nobody reads would leave the renderer queueing
    // work, and memory, for frame after frame.
    static void finishUnreadFrame() { glFinish(); }

    // Starts reading the frame back and hands the reads beyond those that may stay in flight to
    // the writer; a frame with no hook after it (a loading step) is never left in flight.
    void write(bool mayStayInFlight) {
        if (!writer) openWriter();
        if (!reader) {
            // With a renderer on the GPU the frame is finished and copied while the show
            // computes the next; a software renderer reads at once (measured: a read left in
            // flight costs llvmpipe a copy more and gains nothing on the same cores).
            reader = std::make_unique<BackBufferReader>(options.width, options.height,
                                                        rendererDrawsOnTheCpu() ? 0 : 1);
            pixelBuffersUsed = reader->usesPixelBuffers();
        }
        reader->start(framesRead++);
        const size_t inFlight = mayStayInFlight ? static_cast<size_t>(reader->depth()) : 0;
        while (reader->pending() > inFlight) collectRead();
    }

    void collectRead() {
        uint8_t* pixels = writer->acquire();
        if (!pixels) fail(writer->error());
        uint64_t number = 0;
        if (!reader->collect(pixels, &number)) fail("the OpenGL driver did not hand over a frame read back");
        writer->submit(number);
    }

    void releaseReader() {
        if (!reader) return;
        while (reader->pending() > 0) collectRead();
        reader.reset();
    }

    // The video starts with the first frame written, so a run that writes nothing leaves no file.
    void openWriter() {
        if (!options.videoFile.empty()) openVideo();
        FrameWriterSettings settings;
        settings.width = options.width;
        settings.height = options.height;
        settings.outDir = options.outDir;
        settings.video = video.get();
        // PNG encoding is the slow part of writing files: one encoder a core, the show's
        // drawing sharing them. A frame for each encoder, one queued and one being read
        // back keep every thread busy with a few frames in memory.
        settings.pngThreads = static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
        settings.slots = (options.outDir.empty() ? 1 : settings.pngThreads) + 2;
        writer = std::make_unique<FrameWriter>(settings);
        unfinishedWriter = writer.get();
    }

    // Every frame read so far written; fails with the writer's reason.
    void drainWriter() {
        if (!writer) return;
        if (!writer->drain()) fail(writer->error());
        written = writer->written();
    }

    // Show time of the first show frame that is written: the first frame n with n / fps in the
    // range whose number is a multiple of --every.
    double firstWrittenShowTime() const {
        uint64_t frame = options.from > 0 ? static_cast<uint64_t>(std::floor(options.from * options.fps)) : 0;
        while (static_cast<double>(frame) / options.fps < options.from) ++frame;
        while (frame % options.every != 0) ++frame;
        return static_cast<double>(frame) / options.fps;
    }

    // The soundtrack starts at the first scene's first frame: a video that starts later in the
    // show seeks into the music, and loading frames at its head delay the music by their length.
    // Both can hold at once.
    void openVideo() {
        double rate = static_cast<double>(options.fps) / options.every;
        char head[512];
        std::snprintf(head, sizeof head,
                      "ffmpeg -y -loglevel error -f rawvideo -pix_fmt rgb24 -s %dx%d -framerate %.6f -i -",
                      options.width, options.height, rate);
        std::string command = head;
        bool music = !options.noMusic && std::filesystem::exists(DATA_SOUNDTRACK);
        if (music) {
            char audio[160];
            // Every loading frame stands in the video as long as one written show frame.
            const double loadingSeconds = options.withLoading ? LOADING_STEPS / rate : 0.0;
            std::snprintf(audio, sizeof audio, " -ss %.6f -itsoffset %.6f -i %s", firstWrittenShowTime(),
                          loadingSeconds, DATA_SOUNDTRACK);
            command += audio;
            command += " -map 0:v -map 1:a -c:a aac -b:a 192k -shortest";
        }
        char encoder[96];
        std::snprintf(encoder, sizeof encoder, " -c:v libx264 -preset %s -crf %g -pix_fmt yuv420p",
                      options.preset.c_str(), options.crf);
        command += encoder;
        video = std::make_unique<VideoPipe>(options.videoFile);
        unfinishedVideo = video.get();
        std::string error;
        if (!video->start(command, &error)) fail(error);
    }

    // Writes what is left, then ends ffmpeg's input; with -shortest it cuts the soundtrack where
    // the frames end.
    void finishVideo() {
        drainWriter();
        writer.reset();
        unfinishedWriter = nullptr;
        if (!video) return;
        std::string error;
        if (!video->finish(&error)) fail(error);
        unfinishedVideo = nullptr;
        video.reset();
    }

    // A stop request: the frame in progress was written, and nothing after it.
    [[noreturn]] void stopped(int signal) {
        finishVideo();
        progress(true);
        const char* name = signal == SIGINT ? "SIGINT" : signal == SIGTERM ? "SIGTERM" : "SIGHUP";
        std::string where = options.outDir;
        if (!options.videoFile.empty()) where += (where.empty() ? "" : " and ") + options.videoFile;
        std::fprintf(stderr, "pelx-capture: stopped by %s: %llu frames written to %s\n", name,
                     static_cast<unsigned long long>(written), where.c_str());
        endByStopSignal(signal);
    }

    // On a terminal one line rewritten twice a second; in a log a full line every 10 seconds,
    // and always a last line with the totals.
    void progress(bool last) {
        auto now = std::chrono::steady_clock::now();
        if (!last &&
            now - lastProgress < (onTerminal ? std::chrono::milliseconds(500) : std::chrono::seconds(10)))
            return;
        lastProgress = now;
        double seconds = std::chrono::duration<double>(now - started).count();
        if (writer) written = writer->written();
        std::fprintf(stderr, "%sshow time %7.2f s  frames written %6llu  %6.1f frames/s%s%s",
                     onTerminal ? "\r" : "", static_cast<double>(showFrames) / options.fps,
                     static_cast<unsigned long long>(written), seconds > 0 ? presented / seconds : 0.0,
                     last ? "" : expectedEnd(now).c_str(), last || !onTerminal ? "\n" : "");
    }

    // "  ends about HH:MM:SS" (local time) at the pace of the show frames so far, or nothing
    // while the show has not started.
    std::string expectedEnd(std::chrono::steady_clock::time_point now) const {
        const double seconds = std::chrono::duration<double>(now - showStarted).count();
        if (!inShow || showFrames < 2 || seconds <= 0) return "";
        const double endTime = std::min(options.to, static_cast<double>(showLength()));
        const double framesLeft = std::max(0.0, endTime * options.fps - static_cast<double>(showFrames));
        const auto end = std::chrono::system_clock::now() +
                         std::chrono::duration_cast<std::chrono::system_clock::duration>(
                             std::chrono::duration<double>(framesLeft * seconds / showFrames));
        const std::time_t endSeconds = std::chrono::system_clock::to_time_t(end);
        std::tm local{};
        char text[32];
        if (!localtime_r(&endSeconds, &local) ||
            std::strftime(text, sizeof text, "  ends about %H:%M:%S", &local) == 0)
            return "";
        return text;
    }

    void finish() {
        if (finished) return;
        finished = true;
        finishVideo();
        progress(true);
        if (options.phases) printPhases();
        if (showFramesWritten == 0) {
            char reason[160];
            std::snprintf(
                reason, sizeof reason,
                "no frame was written: every show frame computed, up to %.2f s of show time, lies outside "
                "the range",
                static_cast<double>(showFrames) / options.fps);
            fail(reason);
        }
    }

    // The show's time between two hooks is its drawing and the window's present of the frame
    // before; the present is known from the show's own phase timer.
    void printPhases() {
        using std::chrono::duration_cast;
        using std::chrono::nanoseconds;
        const auto presentAndHook = duration_cast<std::chrono::steady_clock::duration>(
            std::chrono::duration<double, std::milli>(phaseTotals()[static_cast<size_t>(Phase::Present)]));
        const auto present = std::max(presentAndHook - inHooks, std::chrono::steady_clock::duration{});
        addCapturePhase(CapturePhase::Present, present);
        addCapturePhase(CapturePhase::Draw,
                        std::max(betweenHooks - present, std::chrono::steady_clock::duration{}));
        const double showSeconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - showStarted).count();
        std::fprintf(stderr, "from the first scene on: %.2f s, %.2f frames written a second\n", showSeconds,
                     showSeconds > 0 ? static_cast<double>(showFramesWritten) / showSeconds : 0.0);
        std::fprintf(stderr, "read back %s\n",
                     pixelBuffersUsed ? "through pixel buffer objects, one frame in flight"
                                      : "with glReadPixels");
        printCapturePhases(written,
                           std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
    }

    const Options& options;
    VirtualClock clock;
    std::chrono::steady_clock::time_point hookEnd{};
    std::chrono::steady_clock::duration betweenHooks{}, inHooks{};
    bool displayOpened = false;
    bool inShow = false;
    bool finished = false;
    uint64_t presented = 0;
    uint64_t showFrames = 0;
    uint64_t framesRead = 0;        // loading frames included
    uint64_t written = 0;           // of them, written (as the writer last said)
    uint64_t showFramesWritten = 0; // scene frames only
    std::unique_ptr<VideoPipe> video;
    std::unique_ptr<FrameWriter> writer;
    std::unique_ptr<BackBufferReader> reader;
    bool pixelBuffersUsed = false;
    std::chrono::steady_clock::time_point showStarted;
    const bool onTerminal = isatty(STDERR_FILENO) != 0;
    std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();
    // A log's first line comes 10 seconds in; a terminal's at once.
    std::chrono::steady_clock::time_point lastProgress =
        onTerminal ? std::chrono::steady_clock::time_point{} : started;
};

struct SceneFigures {
    std::string name;
    std::vector<double> frameMs;
    PhaseTotals phases{};
};

double percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    size_t index = static_cast<size_t>(std::ceil(p * values.size())) - 1;
    return values[std::min(index, values.size() - 1)];
}

// Benchmark mode: the real clock; frame time is the time from one presentation to the next.
class Benchmark {
  public:
    explicit Benchmark(const Options& options) : options(options) {}

    int run() {
        enablePhaseTimer(true);
        setPresentHook([this] { framePresented(); });
        ShowHooks hooks;
        hooks.onlyScene = options.scene;
        bool displayOpened = false;
        hooks.beforeLoading = [this, &displayOpened] {
            displayOpened = true;
            lastMark = Clock::now();
        };
        hooks.afterLoadingStep = [this](int) {
            auto now = Clock::now();
            loadMs.push_back(std::chrono::duration<double, std::milli>(now - lastMark).count());
            lastMark = now;
        };
        hooks.sceneStarts = [this](const ShowScene& scene) {
            scenes.push_back(SceneFigures{scene.name, {}, {}});
            resetPhaseTotals();
            lastPresent = Clock::now();
        };
        hooks.sceneEnds = [this](const ShowScene&) { scenes.back().phases = phaseTotals(); };
        runShow(nullptr, hooks);
        setPresentHook(nullptr);
        // Figures of a run cut short would pass for a whole one's.
        if (const int signal = stopSignal()) endByStopSignal(signal);
        if (!displayOpened) fail(NO_DISPLAY);
        options.json ? printJson() : printTable();
        return 0;
    }

  private:
    using Clock = std::chrono::steady_clock;

    void framePresented() {
        if (scenes.empty()) return; // loading frames
        // Presentation has not happened yet when the hook runs; finish the GPU work so the frame
        // time includes the drawing it caused.
        glFinish();
        auto now = Clock::now();
        scenes.back().frameMs.push_back(std::chrono::duration<double, std::milli>(now - lastPresent).count());
        lastPresent = now;
    }

    static double perFrame(const SceneFigures& scene, Phase phase) {
        return scene.frameMs.empty() ? 0 : scene.phases[static_cast<size_t>(phase)] / scene.frameMs.size();
    }

    // The phases a report shows, by the names the JSON form gives them, in report order.
    struct ReportedPhase {
        const char* name;
        Phase phase;
    };
    static constexpr ReportedPhase REPORTED_PHASES[] = {{"animate", Phase::Animate},
                                                        {"lighting", Phase::Lighting},
                                                        {"meshPass", Phase::MeshPass},
                                                        {"particles", Phase::Particles},
                                                        {"present", Phase::Present}};

    // A phase's column in the table: as wide as its name, at least 8.
    static int columnWidth(const ReportedPhase& reported) {
        return std::max(8, static_cast<int>(std::strlen(reported.name)));
    }

    void printTable() const {
        std::printf("size %dx%d\nload ms:", options.width, options.height);
        double total = 0;
        for (double ms : loadMs) {
            std::printf(" %.1f", ms);
            total += ms;
        }
        std::printf("  (total %.1f)\n", total);
        const char* const perFrameLabel = "ms per frame: ";
        std::printf("%-8s %7s %10s %9s | %s", "scene", "frames", "median ms", "p99 ms", perFrameLabel);
        for (size_t i = 0; i < std::size(REPORTED_PHASES); ++i)
            std::printf("%s%*s", i ? " " : "", columnWidth(REPORTED_PHASES[i]), REPORTED_PHASES[i].name);
        std::printf("\n");
        for (const SceneFigures& s : scenes) {
            std::printf("%-8s %7zu %10.2f %9.2f | ", s.name.c_str(), s.frameMs.size(),
                        percentile(s.frameMs, 0.5), percentile(s.frameMs, 0.99));
            for (size_t i = 0; i < std::size(REPORTED_PHASES); ++i) {
                // The first figure stands under the label and its phase's name.
                int width = columnWidth(REPORTED_PHASES[i]);
                if (i == 0) width += static_cast<int>(std::strlen(perFrameLabel));
                std::printf("%s%*.2f", i ? " " : "", width, perFrame(s, REPORTED_PHASES[i].phase));
            }
            std::printf("\n");
        }
    }

    void printJson() const {
        std::printf("{\"size\": \"%dx%d\", \"loadMs\": [", options.width, options.height);
        for (size_t i = 0; i < loadMs.size(); ++i) std::printf("%s%.3f", i ? ", " : "", loadMs[i]);
        std::printf("], \"scenes\": [");
        for (size_t i = 0; i < scenes.size(); ++i) {
            const SceneFigures& s = scenes[i];
            std::printf(
                "%s{\"name\": \"%s\", \"frames\": %zu, \"medianFrameMs\": %.3f, \"p99FrameMs\": %.3f, "
                "\"phaseMs\": {",
                i ? ", " : "", s.name.c_str(), s.frameMs.size(), percentile(s.frameMs, 0.5),
                percentile(s.frameMs, 0.99));
            for (size_t p = 0; p < std::size(REPORTED_PHASES); ++p)
                std::printf("%s\"%s\": %.3f", p ? ", " : "", REPORTED_PHASES[p].name,
                            perFrame(s, REPORTED_PHASES[p].phase));
            std::printf("}}");
        }
        std::printf("]}\n");
    }

    const Options& options;
    std::vector<double> loadMs;
    std::vector<SceneFigures> scenes;
    Clock::time_point lastMark;
    Clock::time_point lastPresent;
};

} // namespace

int main(int argc, char** argv) {
    Options options = parseOptions(argc, argv);
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
    if (options.benchmark) return Benchmark(options).run();
    return Capture(options).run();
}

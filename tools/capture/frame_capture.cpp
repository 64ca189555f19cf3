// The capture: the show on a virtual clock that every presented frame moves on by 1/fps, its
// frames read back and written by threads beside it as PNG files or piped to ffmpeg.
#include "capture.h"

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
#include <memory>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace pelx {

namespace {

bool programExists(const char* name) {
    std::string command = std::string("command -v ") + name + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

// Capture mode: every presented frame moves the virtual clock on by 1/fps.
class Capture {
  public:
    explicit Capture(const CaptureOptions& options) : options(options), clock(START_MS) {}

    int run() {
        if (!options.videoFile.empty() && !programExists("ffmpeg"))
            fail("the ffmpeg program is not installed (apt-get install ffmpeg), so no video can be made; "
                 "--out DIR writes PNG files instead");
        if (!options.outDir.empty()) {
            std::error_code error;
            std::filesystem::create_directories(options.outDir, error);
            if (error) fail("cannot create " + options.outDir + ": " + error.message());
        }
        ScopedVirtualClock virtualClock(&clock);
        enableCapturePhases(options.phases);
        // The show's present phase holds the hook and the window's present; the hook's own
        // time is taken out of it at the end.
        enablePhaseTimer(options.phases);
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
        {
            ScopedPresentHook hook([this] { framePresented(); });
            ScopedPresentSkipped skipped(true);
            runShow(nullptr, hooks);
        }
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
        abandonOnFailure(writer.get(), video.get());
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
        abandonOnFailure(writer.get(), video.get());
        std::string error;
        if (!video->start(command, &error)) fail(error);
    }

    // Writes what is left, then ends ffmpeg's input; with -shortest it cuts the soundtrack where
    // the frames end.
    void finishVideo() {
        drainWriter();
        writer.reset();
        abandonOnFailure(nullptr, video.get());
        if (!video) return;
        std::string error;
        if (!video->finish(&error)) fail(error);
        abandonOnFailure(nullptr, nullptr);
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

    const CaptureOptions& options;
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

} // namespace

int runCapture(const CaptureOptions& options) {
    return Capture(options).run();
}

} // namespace pelx

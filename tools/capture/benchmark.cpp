// The benchmark: the show on the real clock, frame times per scene with the time of each phase,
// and load times per loading step; nothing is written.
#include "capture.h"

#include "platform/phase_timer.h"
#include "platform/stop_signal.h"
#include "platform/window.h"
#include "timeline/demo_sequence.h"

#include <GL/gl.h>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

namespace pelx {

namespace {

struct SceneFigures {
    std::string name;
    std::vector<double> frameMs;
    PhaseTotals phases{};
};

// Benchmark mode: the real clock; frame time is the time from one presentation to the next.
class Benchmark {
  public:
    explicit Benchmark(const CaptureOptions& options) : options(options) {}

    int run() {
        enablePhaseTimer(true);
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
        {
            ScopedPresentHook hook([this] { framePresented(); });
            runShow(nullptr, hooks);
        }
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

    const CaptureOptions& options;
    std::vector<double> loadMs;
    std::vector<SceneFigures> scenes;
    Clock::time_point lastMark;
    Clock::time_point lastPresent;
};

} // namespace

int runBenchmark(const CaptureOptions& options) {
    return Benchmark(options).run();
}

} // namespace pelx

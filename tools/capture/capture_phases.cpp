// The capture's phase totals: atomic counters of nanoseconds, so that writer threads add to them
// without a lock; getrusage gives the CPU time and peak memory.
#include "capture_phases.h"

#include <array>
#include <atomic>
#include <cstdio>
#include <sys/resource.h>

namespace pelx {

namespace {

// Written by enableCapturePhases (start of the capture); read by every mark.
std::atomic<bool> enabled{false};
std::array<std::atomic<int64_t>, static_cast<size_t>(CapturePhase::Count)> totalNs{};

const char* const PHASE_NAMES[] = {"draw", "present", "read back", "convert", "write/pipe", "slot wait"};
static_assert(std::size(PHASE_NAMES) == static_cast<size_t>(CapturePhase::Count));

double seconds(const timeval& time) {
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
}

} // namespace

void enableCapturePhases(bool on) {
    enabled = on;
}

bool capturePhasesEnabled() {
    return enabled.load(std::memory_order_relaxed);
}

void addCapturePhase(CapturePhase phase, std::chrono::steady_clock::duration time) {
    if (!capturePhasesEnabled()) return;
    totalNs[static_cast<size_t>(phase)].fetch_add(std::chrono::nanoseconds(time).count(),
                                                  std::memory_order_relaxed);
}

ScopedCapturePhase::ScopedCapturePhase(CapturePhase phase) : phase(phase), active(capturePhasesEnabled()) {
    if (active) start = std::chrono::steady_clock::now();
}

ScopedCapturePhase::~ScopedCapturePhase() {
    if (active) addCapturePhase(phase, std::chrono::steady_clock::now() - start);
}

void printCapturePhases(uint64_t framesWritten, double wallSeconds) {
    const double frames = framesWritten > 0 ? static_cast<double>(framesWritten) : 1.0;
    std::fprintf(stderr, "%-10s %10s %12s\n", "phase", "total s", "ms per frame");
    for (size_t i = 0; i < static_cast<size_t>(CapturePhase::Count); ++i) {
        const double total = static_cast<double>(totalNs[i].load()) / 1e9;
        std::fprintf(stderr, "%-10s %10.2f %12.2f\n", PHASE_NAMES[i], total, total * 1000.0 / frames);
    }
    rusage self{}, children{};
    getrusage(RUSAGE_SELF, &self);
    getrusage(RUSAGE_CHILDREN, &children);
    const double cpu = seconds(self.ru_utime) + seconds(self.ru_stime);
    const double encoderCpu = seconds(children.ru_utime) + seconds(children.ru_stime);
    std::fprintf(stderr,
                 "wall %.2f s for %llu frames (%.2f frames/s); CPU %.2f s here (%.0f%%), %.2f s in ffmpeg; "
                 "peak RSS %ld MB\n",
                 wallSeconds, static_cast<unsigned long long>(framesWritten),
                 wallSeconds > 0 ? static_cast<double>(framesWritten) / wallSeconds : 0.0, cpu,
                 wallSeconds > 0 ? 100.0 * cpu / wallSeconds : 0.0, encoderCpu, self.ru_maxrss / 1024);
}

} // namespace pelx

// Where a capture's time goes: the show's drawing and presenting on the main thread, and the
// capture's own work on the frames, wherever it runs. --phases prints the split when the capture
// ends, as ms per written frame beside the wall time, the CPU time and the peak memory.
#pragma once

#include <chrono>
#include <cstdint>

namespace pelx {

enum class CapturePhase {
    Draw,     // the show's work on a frame up to its present (main thread)
    Present,  // showing the frame in the window (main thread)
    ReadBack, // the back buffer into memory, waiting for the renderer to finish (main thread)
    Convert,  // pixel layout and row order for the file or the pipe
    Write,    // PNG encoding and writing, or frames into ffmpeg's pipe
    Wait,     // the main thread held back while every frame slot is taken
    Count
};

// Off by default; a mark then costs one test of a flag. Marks may come from any thread.
void enableCapturePhases(bool enabled);
bool capturePhasesEnabled();
void addCapturePhase(CapturePhase phase, std::chrono::steady_clock::duration time);

// Times its scope into a phase.
class ScopedCapturePhase {
  public:
    explicit ScopedCapturePhase(CapturePhase phase);
    ~ScopedCapturePhase();
    ScopedCapturePhase(const ScopedCapturePhase&) = delete;
    ScopedCapturePhase& operator=(const ScopedCapturePhase&) = delete;

  private:
    CapturePhase phase;
    bool active;
    std::chrono::steady_clock::time_point start;
};

// The table on standard error: every phase's total and its ms per written frame, then the wall
// time, frames per second, CPU time and peak resident memory of the whole run.
void printCapturePhases(uint64_t framesWritten, double wallSeconds);

} // namespace pelx

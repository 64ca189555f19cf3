// Where a frame's time goes: animation, lighting, mesh pass, particles, present. The frame
// code marks its phases; the capture tool's benchmark switches the timer on and reads it.
// Switched off (the show), a phase mark costs one test of a flag.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace pelx {

enum class Phase { Animate, Lighting, MeshPass, Particles, Present, Count };

// Marks a phase for the life of the object. Time spent in a phase opened inside another is
// counted for the inner phase only.
class ScopedPhase {
  public:
    explicit ScopedPhase(Phase phase);
    ~ScopedPhase();
    ScopedPhase(const ScopedPhase&) = delete;
    ScopedPhase& operator=(const ScopedPhase&) = delete;

  private:
    bool active;
};

using PhaseTotals = std::array<double, static_cast<std::size_t>(Phase::Count)>; // milliseconds

void enablePhaseTimer(bool enabled);
// Totals since the last reset.
PhaseTotals phaseTotals();
void resetPhaseTotals();

// The value below which a share p of the frame times lies (p = 0.5, the median): the
// ceil(p x n)-th smallest; 0 for no values.
double percentile(std::vector<double> values, double p);

} // namespace pelx

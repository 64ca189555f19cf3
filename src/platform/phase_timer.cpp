// Phase timing with a steady clock and a small stack of open phases.
#include "platform/phase_timer.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace pelx {

namespace {

using Clock = std::chrono::steady_clock;

// Written by enablePhaseTimer (capture tool); read by every phase mark.
bool timerEnabled = false;
PhaseTotals totals{};
constexpr int MAX_DEPTH = 8;
Phase openPhases[MAX_DEPTH];
int depth = 0;
Clock::time_point lastSwitch;

// Charges the time since the last switch to the innermost open phase.
void chargeOpenPhase(Clock::time_point now) {
    if (depth > 0)
        totals[static_cast<size_t>(openPhases[depth - 1])] +=
            std::chrono::duration<double, std::milli>(now - lastSwitch).count();
    lastSwitch = now;
}

} // namespace

ScopedPhase::ScopedPhase(Phase phase) : active(timerEnabled && depth < MAX_DEPTH) {
    if (!active) return;
    chargeOpenPhase(Clock::now());
    openPhases[depth++] = phase;
}

ScopedPhase::~ScopedPhase() {
    if (!active) return;
    chargeOpenPhase(Clock::now());
    --depth;
}

void enablePhaseTimer(bool enabled) {
    timerEnabled = enabled;
}

PhaseTotals phaseTotals() {
    return totals;
}

void resetPhaseTotals() {
    totals = PhaseTotals{};
}

double percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t index = static_cast<size_t>(std::ceil(p * static_cast<double>(values.size()))) - 1;
    return values[std::min(index, values.size() - 1)];
}

} // namespace pelx

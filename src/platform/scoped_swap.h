// The swap points through which tests and tools stand in for a part of the show: the virtual
// clock, the message sink, the present hook, the ignored events and the texture backend. Each
// follows one convention: a setter installs a replacement (an empty or null one puts the show's
// own back), current*() tells what is installed now, and a guard named Scoped<swap point>,
// declared beside the setter, installs a replacement while it lives and then puts back what was
// installed before it, so guards nest.
#pragma once

#include <utility>

namespace pelx {

// The guard for the swap point that `current` reads and `install` sets.
template <typename Value, Value (*current)(), void (*install)(Value)> class ScopedSwap {
  public:
    explicit ScopedSwap(Value replacement) : previous(current()) { install(std::move(replacement)); }
    ~ScopedSwap() { install(std::move(previous)); }
    ScopedSwap(const ScopedSwap&) = delete;
    ScopedSwap& operator=(const ScopedSwap&) = delete;

  private:
    Value previous;
};

} // namespace pelx

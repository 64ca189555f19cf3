// Stop requests through sigaction: the handler does nothing but note the signal, which is all a
// handler may safely do while the show draws on other threads' libraries.
#include "platform/stop_signal.h"

#include <SDL.h>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <pthread.h>

namespace pelx {

namespace {

constexpr int STOP_SIGNALS[] = {SIGINT, SIGTERM, SIGHUP};

// Written by the signal handler (once); read by stopSignal from the frame loops.
volatile std::sig_atomic_t firstStopSignal = 0;

extern "C" void noteStopSignal(int signal) {
    if (firstStopSignal != 0) {
        // Asked again while the teardown runs: whoever asks does not want to wait.
        std::signal(signal, SIG_DFL);
        std::raise(signal);
        return;
    }
    firstStopSignal = signal;
}

} // namespace

void installStopSignals() {
    // SDL would otherwise turn SIGINT and SIGTERM into quit events when it starts, and the
    // frame loops rightly ignore those as window-close requests.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    for (int signal : STOP_SIGNALS) {
        struct sigaction current {};
        sigaction(signal, nullptr, &current);
        if (current.sa_handler == SIG_IGN) continue;
        struct sigaction action {};
        action.sa_handler = noteStopSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART; // no call elsewhere fails with EINTR because of us
        sigaction(signal, &action, nullptr);
    }
}

int stopSignal() {
    return firstStopSignal;
}

void endByStopSignal(int signal) {
    std::fflush(nullptr);
    std::signal(signal, SIG_DFL);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, signal);
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
    std::raise(signal);
    // Only reached if the signal could not end us.
    std::_Exit(128 + signal);
}

} // namespace pelx

// Stop requests from outside the program: SIGINT (Ctrl+C in the terminal), SIGTERM (kill,
// timeout, a session ending) and SIGHUP (the terminal closing). A signal is not a window
// message: the show ignores close requests, but a stop request ends it after the frame in
// progress, through its normal teardown.
#pragma once

namespace pelx {

// From now on the first stop request is only noted, for the frame loops to see; a second one
// ends the process at once. A signal ignored when the program started stays ignored (nohup,
// a background job of a script). Also keeps SDL from turning the signals into quit events.
void installStopSignals();

// The signal number of the first stop request, 0 while none has arrived.
int stopSignal();
inline bool stopRequested() {
    return stopSignal() != 0;
}

// Ends the process as the signal would have ended it, so the caller sees status 128 + signal
// (a shell that ran us stops its script on Ctrl+C, as it should).
[[noreturn]] void endByStopSignal(int signal);

} // namespace pelx

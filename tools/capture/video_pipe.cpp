// ffmpeg started with posix_spawn rather than popen, for the process group of its own.
#include "video_pipe.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace pelx {

namespace {

// A word for sh that stands for exactly text, whatever quotes or spaces a file name holds.
std::string shellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

} // namespace

VideoPipe::~VideoPipe() {
    abandon();
}

bool VideoPipe::start(const std::string& command, std::string* error) {
    if (!output.open()) {
        *error = output.error();
        return false;
    }
    // An ffmpeg that gives up (say, on a codec it lacks) must end the capture with our
    // message, not by the broken pipe's signal.
    std::signal(SIGPIPE, SIG_IGN);
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) {
        *error = std::string("cannot make a pipe for ffmpeg: ") + std::strerror(errno);
        return false;
    }
    const std::string line = "exec " + command + " " + shellQuoted(output.temporaryPath());
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[0], STDIN_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF);
    const char* argv[] = {"sh", "-c", line.c_str(), nullptr};
    const int failed =
        posix_spawn(&child, "/bin/sh", &actions, &attributes, const_cast<char* const*>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    ::close(ends[0]);
    if (failed != 0) {
        ::close(ends[1]);
        child = -1;
        *error = std::string("cannot start ffmpeg: ") + std::strerror(failed);
        return false;
    }
    input = ends[1];
    // A frame is megabytes; a larger pipe lets ffmpeg take it in fewer turns. Where the system
    // allows no more, the default pipe does the same work.
    fcntl(input, F_SETPIPE_SZ, 1 << 20);
    return true;
}

bool VideoPipe::write(const void* data, size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(input, bytes, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool VideoPipe::endInput() {
    if (input >= 0) {
        ::close(input);
        input = -1;
    }
    if (child < 0) return false;
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    child = -1;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool VideoPipe::finish(std::string* error) {
    if (!endInput()) {
        output.discard();
        *error = "ffmpeg reported an error";
        return false;
    }
    if (!output.commit()) {
        *error = output.error();
        return false;
    }
    return true;
}

void VideoPipe::abandon() {
    if (input >= 0 || child >= 0) endInput();
    output.discard();
}

} // namespace pelx

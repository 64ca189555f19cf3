// ffmpeg started with posix_spawn rather than popen, for the process group of its own.
#include "video_pipe.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/uio.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

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

bool VideoPipe::writeBottomUp(const uint8_t* pixels, size_t rowBytes, int rows) {
    std::vector<iovec> parts(static_cast<size_t>(rows));
    for (int y = 0; y < rows; ++y)
        parts[static_cast<size_t>(y)] =
            iovec{const_cast<uint8_t*>(pixels + size_t(rows - 1 - y) * rowBytes), rowBytes};
    size_t next = 0;
    while (next < parts.size()) {
        const int count = static_cast<int>(std::min<size_t>(parts.size() - next, IOV_MAX));
        ssize_t n = ::writev(input, &parts[next], count);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        // Skips what went through, leaving a row cut short to start where it stopped.
        while (n > 0) {
            iovec& part = parts[next];
            const size_t taken = std::min(part.iov_len, static_cast<size_t>(n));
            part.iov_base = static_cast<uint8_t*>(part.iov_base) + taken;
            part.iov_len -= taken;
            n -= static_cast<ssize_t>(taken);
            if (part.iov_len == 0) ++next;
        }
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

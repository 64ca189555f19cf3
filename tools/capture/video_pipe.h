// The video: raw frames piped into the ffmpeg program, which writes them under a temporary name
// that becomes the video's name only once ffmpeg has finished the file.
#pragma once

#include "platform/atomic_file.h"

#include <cstddef>
#include <string>
#include <sys/types.h>

namespace pelx {

class VideoPipe {
  public:
    explicit VideoPipe(const std::string& file) : output(file) {}
    // Abandons a video that was not finished.
    ~VideoPipe();
    VideoPipe(const VideoPipe&) = delete;
    VideoPipe& operator=(const VideoPipe&) = delete;

    // Runs `command OUTPUT` with sh, frames going to its standard input. ffmpeg gets a process
    // group of its own, so Ctrl+C in the terminal reaches only the capture, which then ends
    // the video properly. False with a reason when it cannot start.
    bool start(const std::string& command, std::string* error);
    // False when ffmpeg takes no more input (it ended early).
    bool write(const void* data, size_t size);
    // Ends ffmpeg's input, waits for it to finish the file and gives the file its name. False
    // with a reason when ffmpeg reports an error; its file is removed then.
    bool finish(std::string* error);
    // Ends ffmpeg's input, waits for it and removes what it wrote.
    void abandon();

  private:
    // Closes the input and waits; true when ffmpeg ended with status 0.
    bool endInput();

    AtomicFile output;
    int input = -1;
    pid_t child = -1;
};

} // namespace pelx

// Frames leave the main thread here: a few frame slots, a thread that pipes the frames to
// ffmpeg in order and a small pool that encodes PNG files side by side, so the show draws the
// next frame while the last ones are written. The slots bound the memory: when every one is
// taken, the show waits.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace pelx {

class VideoPipe;

struct FrameWriterSettings {
    int width = 0;
    int height = 0;
    std::string outDir;         // PNG files DIR/frame-NNNNNN.png when not empty
    VideoPipe* video = nullptr; // frames piped in order when set
    int pngThreads = 1;
    int slots = 3; // frames in memory at most, the one being read back included
};

class FrameWriter {
  public:
    explicit FrameWriter(FrameWriterSettings settings);
    // Abandons what is still queued.
    ~FrameWriter();
    FrameWriter(const FrameWriter&) = delete;
    FrameWriter& operator=(const FrameWriter&) = delete;

    // A free slot's pixels (width * height B, G, R, X bytes, rows bottom first) to fill, waiting
    // while every slot is taken; null once a write has failed (error() says why).
    uint8_t* acquire();
    // Queues the pixels last acquired as frame number.
    void submit(uint64_t number);
    // Waits until every queued frame is written. False once a write has failed.
    bool drain();
    // Stops the threads after the frames they are on, dropping the queued ones.
    void abandon();

    // Frames with every file or pipe write done.
    uint64_t written() const;
    // The first failure, "cannot write PATH: reason" or "ffmpeg stopped taking frames".
    std::string error() const;

  private:
    struct Slot {
        std::vector<uint8_t> pixels;
        uint64_t number = 0;
        int outputsLeft = 0;
    };

    void pngLoop();
    void videoLoop();
    // Under the lock: one output of a slot done.
    void outputDone(size_t slot, bool ok, const std::string& failure);

    const FrameWriterSettings settings;
    std::vector<Slot> slots;
    mutable std::mutex lock;
    std::condition_variable changed;
    std::vector<size_t> freeSlots;
    size_t filling = SIZE_MAX; // the slot acquire() handed out
    std::deque<size_t> pngQueue, videoQueue;
    size_t busy = 0; // slots queued or being written
    bool stopping = false;
    std::string failure;
    uint64_t framesWritten = 0;
    std::vector<std::thread> threads;
};

} // namespace pelx

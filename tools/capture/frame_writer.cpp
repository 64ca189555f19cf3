// The writer threads share one lock and one condition: a slot moves from free to filling to
// queued, and back to free when its last output is done.
#include "frame_writer.h"

#include "capture_phases.h"
#include "png_writer.h"
#include "video_pipe.h"

#include <cassert>
#include <cstdio>
#include <filesystem>

namespace pelx {

namespace {

// B, G, R, X rows bottom first into R, G, B rows top first. ffmpeg would take B, G, R, X as
// they are, at the same cost of conversion; B, G, R it converts faster but with coarser colour,
// taking each 2 x 2 block's colour from one of its pixels.
void packRgbUpright(const uint8_t* bgrx, int width, int height, uint8_t* rgb) {
    for (int y = 0; y < height; ++y) {
        const uint8_t* from = bgrx + size_t(height - 1 - y) * width * 4;
        uint8_t* to = rgb + size_t(y) * width * 3;
        for (int x = 0; x < width; ++x, from += 4, to += 3) {
            to[0] = from[2];
            to[1] = from[1];
            to[2] = from[0];
        }
    }
}

} // namespace

FrameWriter::FrameWriter(FrameWriterSettings given) : settings(std::move(given)) {
    assert(settings.slots >= 1 && "a writer needs a slot");
    const size_t bytes = size_t(settings.width) * settings.height * 4;
    slots.resize(static_cast<size_t>(settings.slots));
    for (size_t i = 0; i < slots.size(); ++i) {
        slots[i].pixels.resize(bytes);
        freeSlots.push_back(slots.size() - 1 - i);
    }
    if (!settings.outDir.empty())
        for (int i = 0; i < std::max(1, settings.pngThreads); ++i)
            threads.emplace_back([this] { pngLoop(); });
    if (settings.video) threads.emplace_back([this] { videoLoop(); });
}

FrameWriter::~FrameWriter() {
    abandon();
}

uint8_t* FrameWriter::acquire() {
    assert(filling == SIZE_MAX && "submit the frame acquired before");
    std::unique_lock<std::mutex> held(lock);
    if (freeSlots.empty() && failure.empty()) {
        ScopedCapturePhase phase(CapturePhase::Wait);
        changed.wait(held, [this] { return !freeSlots.empty() || !failure.empty(); });
    }
    if (!failure.empty()) return nullptr;
    filling = freeSlots.back();
    freeSlots.pop_back();
    return slots[filling].pixels.data();
}

void FrameWriter::submit(uint64_t number) {
    assert(filling != SIZE_MAX && "acquire a slot first");
    std::lock_guard<std::mutex> held(lock);
    Slot& slot = slots[filling];
    slot.number = number;
    slot.outputsLeft = 0;
    if (!settings.outDir.empty()) {
        pngQueue.push_back(filling);
        ++slot.outputsLeft;
    }
    if (settings.video) {
        videoQueue.push_back(filling);
        ++slot.outputsLeft;
    }
    ++busy;
    filling = SIZE_MAX;
    changed.notify_all();
}

bool FrameWriter::drain() {
    // After a failure the threads drop what is queued, so this never waits for long.
    std::unique_lock<std::mutex> held(lock);
    changed.wait(held, [this] { return busy == 0; });
    return failure.empty();
}

void FrameWriter::abandon() {
    {
        std::lock_guard<std::mutex> held(lock);
        stopping = true;
        changed.notify_all();
    }
    for (std::thread& thread : threads) thread.join();
    threads.clear();
}

uint64_t FrameWriter::written() const {
    std::lock_guard<std::mutex> held(lock);
    return framesWritten;
}

std::string FrameWriter::error() const {
    std::lock_guard<std::mutex> held(lock);
    return failure;
}

void FrameWriter::outputDone(size_t index, bool ok, const std::string& problem) {
    if (!ok && failure.empty()) failure = problem;
    Slot& slot = slots[index];
    if (--slot.outputsLeft > 0) return;
    if (failure.empty()) ++framesWritten;
    freeSlots.push_back(index);
    --busy;
    changed.notify_all();
}

void FrameWriter::pngLoop() {
    std::unique_lock<std::mutex> held(lock);
    for (;;) {
        changed.wait(held, [this] { return stopping || !pngQueue.empty(); });
        if (pngQueue.empty()) return;
        const size_t index = pngQueue.front();
        pngQueue.pop_front();
        // Once something failed, no later frame is written: the files on disk stay a run of
        // whole frames.
        if (!failure.empty() || stopping) {
            outputDone(index, true, {});
            continue;
        }
        const Slot& slot = slots[index];
        char name[32];
        std::snprintf(name, sizeof name, "frame-%06llu.png", static_cast<unsigned long long>(slot.number));
        const std::string path = (std::filesystem::path(settings.outDir) / name).string();
        held.unlock();
        std::string problem;
        bool ok;
        {
            ScopedCapturePhase phase(CapturePhase::Write);
            ok = writePng(path, settings.width, settings.height, slot.pixels.data(),
                          PixelLayout::BgrxBottomUp, &problem);
        }
        held.lock();
        outputDone(index, ok, problem);
    }
}

void FrameWriter::videoLoop() {
    std::vector<uint8_t> rgb(size_t(settings.width) * settings.height * 3);
    std::unique_lock<std::mutex> held(lock);
    for (;;) {
        changed.wait(held, [this] { return stopping || !videoQueue.empty(); });
        if (videoQueue.empty()) return;
        const size_t index = videoQueue.front();
        videoQueue.pop_front();
        if (!failure.empty() || stopping) {
            outputDone(index, true, {});
            continue;
        }
        const Slot& slot = slots[index];
        held.unlock();
        {
            ScopedCapturePhase phase(CapturePhase::Convert);
            packRgbUpright(slot.pixels.data(), settings.width, settings.height, rgb.data());
        }
        bool ok;
        {
            ScopedCapturePhase phase(CapturePhase::Write);
            ok = settings.video->write(rgb.data(), rgb.size());
        }
        held.lock();
        outputDone(index, ok, "ffmpeg stopped taking frames");
    }
}

} // namespace pelx

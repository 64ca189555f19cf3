// Helpers shared by the tests: recorded message boxes, a virtual clock, temporary folders and
// small file writers.
#pragma once

#include "platform/clock.h"
#include "platform/message.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace pelx::test {

// Records every message box shown while it lives.
class MessageRecorder {
  public:
    MessageRecorder();
    std::vector<std::pair<std::string, std::string>> messages; // (text, caption)

  private:
    ScopedMessageSink sink;
};

// A virtual clock of its own, installed while it lives.
class TestClock {
  public:
    explicit TestClock(uint32_t startMs = 1000) : clock(startMs) {}
    VirtualClock clock;

  private:
    ScopedVirtualClock installed{&clock};
};

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    std::filesystem::path path;
    std::string file(const std::string& name) const { return (path / name).string(); }
};

// A disk that fills up: a tmpfs of the given size mounted on a fresh folder while it lives.
// Mounting needs root and a system that allows it; otherwise `reason` says why not.
class SmallDisk {
  public:
    explicit SmallDisk(size_t bytes);
    ~SmallDisk();
    TempDir dir;
    bool mounted = false;
    std::string reason;
};

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> readFile(const std::string& path);

} // namespace pelx::test

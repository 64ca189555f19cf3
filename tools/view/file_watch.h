// Noticing that files changed on disk, by their size and modification time.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace pelx::view {

struct FileStamp {
    std::string path;
    bool exists = false;
    uintmax_t size = 0;
    std::filesystem::file_time_type modified;
    bool operator==(const FileStamp&) const = default;
};

std::vector<FileStamp> stampFiles(const std::vector<std::string>& paths);

class FileWatch {
  public:
    // Starts over with these files, as they are now.
    void watch(const std::vector<std::string>& paths);
    // True when any watched file differs from when it was last looked at (then the new state is
    // the one remembered).
    bool changed();
    const std::vector<std::string>& paths() const { return watched; }

  private:
    std::vector<std::string> watched;
    std::vector<FileStamp> stamps;
};

} // namespace pelx::view

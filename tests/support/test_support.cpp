#include "support/test_support.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <random>
#include <sys/mount.h>
#include <unistd.h>

namespace pelx::test {

MessageRecorder::MessageRecorder()
    : sink([this](const std::string& text, const std::string& caption) {
          messages.emplace_back(text, caption);
      }) {}

TempDir::TempDir() {
    std::random_device device;
    path = std::filesystem::temp_directory_path() / ("pelx-test-" + std::to_string(device()));
    std::filesystem::create_directories(path);
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

SmallDisk::SmallDisk(size_t bytes) {
    if (geteuid() != 0) {
        reason = "mounting a small disk needs root";
        return;
    }
    const std::string options = "size=" + std::to_string(bytes);
    if (mount("tmpfs", dir.path.c_str(), "tmpfs", 0, options.c_str()) != 0) {
        reason = std::string("cannot mount a tmpfs here: ") + std::strerror(errno);
        return;
    }
    mounted = true;
}

SmallDisk::~SmallDisk() {
    if (mounted) umount2(dir.path.c_str(), MNT_DETACH);
}

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace pelx::test

#include "support/test_support.h"

#include <fstream>
#include <random>

namespace pelx::test {

MessageRecorder::MessageRecorder() {
    setMessageSink([this](const std::string& text, const std::string& caption) {
        messages.emplace_back(text, caption);
    });
}

MessageRecorder::~MessageRecorder() { setMessageSink(nullptr); }

TempDir::TempDir() {
    std::random_device device;
    path = std::filesystem::temp_directory_path() / ("pelx-test-" + std::to_string(device()));
    std::filesystem::create_directories(path);
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
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

// File and memory byte sources for the 3DS reader.
#include "scene3ds/byte_source.h"

#include <cstring>

namespace pelx {

FileByteSource::~FileByteSource() {
    close();
}

bool FileByteSource::open(const char* path) {
    close();
    file = std::fopen(path, "rb");
    if (!file) return false;
    // The size bounds every chunk the reader believes; without it nothing can be trusted.
    if (std::fseek(file, 0, SEEK_END) != 0) {
        close();
        return false;
    }
    long end = std::ftell(file);
    if (end < 0 || std::fseek(file, 0, SEEK_SET) != 0) {
        close();
        return false;
    }
    length = static_cast<uint64_t>(end);
    position = 0;
    return true;
}

void FileByteSource::close() {
    if (file) std::fclose(file);
    file = nullptr;
    length = 0;
    position = 0;
}

size_t FileByteSource::read(void* destination, size_t count) {
    if (!file || position >= length) return 0;
    size_t got = std::fread(destination, 1, count, file);
    position += got;
    return got;
}

void FileByteSource::seek(uint64_t target) {
    position = target;
    if (!file) return;
    // Past the end nothing is read, so the stream only follows positions inside the file.
    uint64_t inside = target < length ? target : length;
    std::fseek(file, static_cast<long>(inside), SEEK_SET);
}

size_t MemoryByteSource::read(void* destination, size_t count) {
    if (position >= length) return 0;
    size_t available = static_cast<size_t>(length - position);
    size_t got = count < available ? count : available;
    std::memcpy(destination, bytes + position, got);
    position += got;
    return got;
}

} // namespace pelx

// Where the 3DS reader takes its bytes from: a file on disk or a block of memory (tests and
// the fuzzer build files in memory). Reads past the end give fewer bytes, never an error.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace pelx {

class ByteSource {
  public:
    virtual ~ByteSource() = default;
    // Copies up to count bytes from the current position and moves past them; returns how
    // many were copied (fewer at the end of the data).
    virtual size_t read(void* destination, size_t count) = 0;
    // The current position, counted from the first byte.
    virtual uint64_t tell() const = 0;
    // Sets the position; a position past the end is allowed and reads nothing there.
    virtual void seek(uint64_t position) = 0;
    // Total number of bytes.
    virtual uint64_t size() const = 0;
};

// A file opened for binary reading; stdio's buffer keeps one-value reads cheap.
class FileByteSource : public ByteSource {
  public:
    FileByteSource() = default;
    ~FileByteSource() override;
    FileByteSource(const FileByteSource&) = delete;
    FileByteSource& operator=(const FileByteSource&) = delete;

    // False when the file cannot be opened (or its size cannot be found).
    bool open(const char* path);
    void close();
    bool isOpen() const { return file != nullptr; }

    size_t read(void* destination, size_t count) override;
    uint64_t tell() const override { return position; }
    void seek(uint64_t target) override;
    uint64_t size() const override { return length; }

  private:
    std::FILE* file = nullptr;
    uint64_t length = 0;
    uint64_t position = 0;
};

// Bytes held in memory; the source keeps its own copy unless given a view.
class MemoryByteSource : public ByteSource {
  public:
    MemoryByteSource(const uint8_t* data, size_t count) : bytes(data), length(count) {}
    explicit MemoryByteSource(std::vector<uint8_t> data)
        : owned(std::move(data)), bytes(owned.data()), length(owned.size()) {}
    MemoryByteSource(const MemoryByteSource&) = delete;
    MemoryByteSource& operator=(const MemoryByteSource&) = delete;

    size_t read(void* destination, size_t count) override;
    uint64_t tell() const override { return position; }
    void seek(uint64_t target) override { position = target; }
    uint64_t size() const override { return length; }

  private:
    std::vector<uint8_t> owned;
    const uint8_t* bytes = nullptr;
    size_t length = 0;
    uint64_t position = 0;
};

} // namespace pelx

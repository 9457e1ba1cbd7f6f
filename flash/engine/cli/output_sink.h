#pragma once

// Where the engine's output goes: the console (standard output) or the pipe handle given with
// -wp. Tests put a MemorySink in their place.

#include <cstddef>
#include <string>
#include <string_view>

namespace zeph::flash {

class OutputSink {
public:
    virtual ~OutputSink() = default;
    // Writes all bytes; false when they could not be written.
    virtual bool write(const void* data, size_t size) = 0;
    bool write(std::string_view text) { return write(text.data(), text.size()); }
};

// Standard output, flushed after each write so that progress lines show at once.
class ConsoleSink : public OutputSink {
public:
    using OutputSink::write;
    bool write(const void* data, size_t size) override;
};

// A file descriptor inherited from the front end. Each call is one write(2) (a record is at
// most 1032 bytes, below PIPE_BUF, so it arrives whole); a short write is completed.
class FdSink : public OutputSink {
public:
    explicit FdSink(int fd) : fd_(fd) {}
    using OutputSink::write;
    bool write(const void* data, size_t size) override;

private:
    int fd_;
};

class MemorySink : public OutputSink {
public:
    using OutputSink::write;
    bool write(const void* data, size_t size) override {
        bytes.append(static_cast<const char*>(data), size);
        ++writes;
        return true;
    }
    std::string bytes;
    int writes = 0;
};

} // namespace zeph::flash

#include "flash/engine/cli/output_sink.h"

#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace zeph::flash {

bool ConsoleSink::write(const void* data, size_t size) {
    const bool ok = std::fwrite(data, 1, size, stdout) == size;
    return std::fflush(stdout) == 0 && ok;
}

bool FdSink::write(const void* data, size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd_, p, size);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

} // namespace zeph::flash

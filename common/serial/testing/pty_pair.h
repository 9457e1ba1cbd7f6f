#pragma once

// A pseudo-terminal pair for tests: the code under test opens slavePath() as its serial line
// and the test plays the far end through the master side.

#include <cstddef>
#include <string>
#include <string_view>

namespace zeph::testing {

class PtyPair {
public:
    // Opens the pair in raw mode (line settings made through the master belong to the slave
    // side, so the slave starts raw too). On failure valid() is false and error() says why.
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool valid() const { return masterFd_ >= 0; }
    const std::string& error() const { return error_; }
    int masterFd() const { return masterFd_; }
    const std::string& slavePath() const { return slavePath_; }

    // Writes all of `bytes` to the master side.
    bool writeMaster(std::string_view bytes);
    // Reads from the master side until `count` bytes have come or timeoutMs has passed.
    std::string readMaster(std::size_t count, int timeoutMs);

private:
    int masterFd_ = -1;
    std::string slavePath_;
    std::string error_;
};

} // namespace zeph::testing

// zephsim: a simulated receiver on a pseudo-terminal or a serial device, for trying the monitor
// and the dashboard without hardware and for their end-to-end tests.

#include "faults.h"
#include "input_parser.h"
#include "line.h"
#include "output_queue.h"
#include "receiver_engine.h"
#include "sim_options.h"
#include "traffic_counts.h"

#include "common/files/replaced_file.h"
#include "sim/common/loop_signals.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <optional>
#include <poll.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace zeph::sim;

constexpr uint64_t kCountsEveryUs = 1'000'000;
constexpr size_t kReadChunk = 4096;
// At the end a client that takes nothing for this long is not waited for any more; a client
// that polls its port twice a second (the dashboard does) is still reading.
constexpr auto kLastReadWait = std::chrono::milliseconds(1000);

class Simulator {
public:
    // Without `countsFile` the counts go to standard error.
    Simulator(const SimOptions& options, const zeph::files::ReplacedFile* countsFile, SimLine& line)
        : options_(options), countsFile_(countsFile), line_(line), engine_(options.engine),
          faults_(options.faults), queue_(options.engine.line.baud),
          start_(std::chrono::steady_clock::now()) {}

    int run(int wakeFd);

private:
    uint64_t nowUs() const {
        return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
                                         std::chrono::steady_clock::now() - start_)
                                         .count());
    }
    void enqueue(const std::vector<Packet>& packets, uint64_t now);
    bool readInput(uint64_t now);
    void writeCounts(uint64_t leftUnread = 0) const;
    // What the client left unread when it was waited for no longer.
    int letClientReadTheRest() const;

    const SimOptions& options_;
    const zeph::files::ReplacedFile* countsFile_;
    SimLine& line_;
    ReceiverEngine engine_;
    InputParser parser_;
    FaultInjector faults_;
    OutputQueue queue_;
    TrafficCounts counts_;
    std::chrono::steady_clock::time_point start_;
};

void Simulator::enqueue(const std::vector<Packet>& packets, uint64_t now) {
    for (const Packet& packet : packets) {
        if (packet.kind == Packet::Kind::LineChange) {
            queue_.pushLineChange(packet.line);
        } else if (!queue_.push(packet, faults_.plan(packet), now)) {
            counts_.dropped(packet);
        }
    }
}

// False when the line has failed.
bool Simulator::readInput(uint64_t now) {
    uint8_t buffer[kReadChunk];
    const long n = line_.read(buffer, sizeof buffer);
    if (n < 0) {
        std::fprintf(stderr, "zephsim: cannot read %s: %s\n", line_.path().c_str(),
                     std::strerror(errno));
        return false;
    }
    if (n == 0) {
        return true;
    }
    if (!line_.farEndMatches()) { // at the wrong settings every byte is garbage
        counts_.garbledInput(static_cast<size_t>(n));
        parser_.reset();
        return true;
    }
    const std::vector<InputMessage> messages = parser_.feed(buffer, static_cast<size_t>(n));
    if (!messages.empty()) {
        enqueue(engine_.advance(now / 1000), now); // what was due comes before the answers
    }
    for (const InputMessage& message : messages) {
        counts_.received(message);
        enqueue(engine_.receive(message, now / 1000), now);
    }
    return true;
}

void Simulator::writeCounts(uint64_t leftUnread) const {
    const std::string text =
        counts_.report(parser_.rejects(), engine_.ignored(), line_.unreadDropped() + leftUnread);
    if (countsFile_ == nullptr) {
        std::fputs(text.c_str(), stderr);
        std::fflush(stderr);
        return;
    }
    // Renamed into place, so a reader never sees half a report; after a failed rewrite the last
    // one stays, and the next second tries again.
    std::string error;
    countsFile_->write(text, false, error);
}

// Closing a pseudo-terminal throws away what its client has not read yet, so the last
// messages sent wait on the line while the client keeps taking them in.
int Simulator::letClientReadTheRest() const {
    auto lastTaken = std::chrono::steady_clock::now();
    for (int unread = line_.unread(); unread > 0;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        const int left = line_.unread();
        if (left < unread) {
            lastTaken = std::chrono::steady_clock::now();
        } else if (std::chrono::steady_clock::now() - lastTaken >= kLastReadWait) {
            break;
        }
        unread = left;
    }
    return line_.unread();
}

int Simulator::run(int wakeFd) {
    uint64_t nextCountsUs = 0;
    int status = 0;
    while (!zeph::simcommon::stopRequested()) {
        uint64_t now = nowUs();
        enqueue(engine_.advance(now / 1000), now);
        for (const SentMessage& sent : queue_.service(now, line_)) {
            counts_.sent(sent);
        }
        if (zeph::simcommon::takeReportRequest()) {
            writeCounts();
        }
        if (countsFile_ != nullptr && now >= nextCountsUs) {
            writeCounts();
            nextCountsUs = now + kCountsEveryUs;
        }

        uint64_t next = engine_.nextEventMs() * 1000;
        if (!queue_.blocked()) {
            next = std::min(next, queue_.nextServiceUs());
        }
        if (countsFile_ != nullptr) {
            next = std::min(next, nextCountsUs);
        }
        now = nowUs();
        const uint64_t waitMs = next > now ? (next - now + 999) / 1000 : 0;
        pollfd fds[2] = {
            {line_.pollFd(), static_cast<short>(POLLIN | (queue_.blocked() ? POLLOUT : 0)), 0},
            {wakeFd, POLLIN, 0}};
        if (::poll(fds, 2, static_cast<int>(std::min<uint64_t>(waitMs, 1000))) < 0) {
            if (errno == EINTR) {
                continue;
            }
            std::perror("zephsim: poll");
            status = 1;
            break;
        }
        if ((fds[1].revents & POLLIN) != 0) {
            char drain[64];
            while (::read(wakeFd, drain, sizeof drain) > 0) {
            }
        }
        if ((fds[0].revents & (POLLIN | POLLERR | POLLHUP)) != 0 && !readInput(nowUs())) {
            status = 1;
            break;
        }
    }
    // What is still on the line goes with it when it closes: counted as dropped, not as read.
    const int leftUnread = status == 0 ? letClientReadTheRest() : line_.unread();
    writeCounts(static_cast<uint64_t>(std::max(leftUnread, 0)));
    return status;
}

} // namespace

int main(int argc, char** argv) {
    const ParsedOptions parsed = parseOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.options) {
        std::fprintf(stderr, "zephsim: %s\n", parsed.error.c_str());
        return 2;
    }
    const SimOptions& options = *parsed.options;
    if (options.help) {
        std::fputs(usage().c_str(), stdout);
        return 0;
    }

    std::string error;
    std::optional<zeph::files::ReplacedFile> countsFile;
    if (!options.countsPath.empty()) {
        countsFile = zeph::files::ReplacedFile::open(options.countsPath, error);
        if (!countsFile) {
            std::fprintf(stderr, "zephsim: %s\n", error.c_str());
            return 1;
        }
    }
    std::unique_ptr<SimLine> line =
        options.link.empty() ? SimLine::openPseudoTerminal(options.engine.line, error)
                             : SimLine::openDevice(options.link, options.engine.line, error);
    if (!line) {
        std::fprintf(stderr, "zephsim: %s\n", error.c_str());
        return 1;
    }
    int wakeFds[2] = {-1, -1};
    if (!zeph::simcommon::installLoopSignals(wakeFds, true)) {
        std::perror("zephsim: signals");
        return 1;
    }
    std::printf("%s\n", line->path().c_str());
    std::fflush(stdout);
    for (uint32_t tenths = 0;
         tenths < options.startAfterSeconds * 10 && !zeph::simcommon::stopRequested(); ++tenths) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }

    Simulator simulator(options, countsFile ? &*countsFile : nullptr, *line);
    return simulator.run(wakeFds[0]);
}

// flashsim: a simulated flash target on a pseudo-terminal or a serial device, for trying the
// flash programmer without hardware and for its end-to-end tests.

#include "chip_list.h"
#include "flashsim_options.h"
#include "sim/common/loop_signals.h"
#include "target_line.h"
#include "target_model.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

using namespace zeph::flashsim;

std::string programFolder() {
    char path[4096] = {};
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    std::string text = n > 0 ? std::string(path, static_cast<size_t>(n)) : std::string();
    const size_t slash = text.rfind('/');
    return slash == std::string::npos ? std::string() : text.substr(0, slash + 1);
}

constexpr int kIdlePollMs = 5;
constexpr size_t kReadChunk = 4096;
constexpr uint64_t kBitsPerByte = 10;

// Bytes waiting to go out, each sent no sooner than the line rate allows.
class PacedOutput {
public:
    void add(const OutputChunk& chunk) {
        for (uint8_t byte : chunk.bytes) {
            bytes_.push_back({byte, chunk.baud});
        }
    }
    bool empty() const { return bytes_.empty(); }
    // Writes what is due; false when the line failed.
    bool send(TargetLine& line, uint64_t nowUs) {
        if (bytes_.empty() || nextUs_ > nowUs) {
            return true;
        }
        nextUs_ = std::max(nextUs_, nowUs - std::min(nowUs, kBurstUs));
        uint8_t batch[kReadChunk];
        size_t count = 0;
        uint64_t at = nextUs_;
        while (count < bytes_.size() && count < sizeof batch && at <= nowUs) {
            batch[count] = bytes_[count].byte;
            at += kBitsPerByte * 1'000'000 / bytes_[count].baud;
            ++count;
        }
        const long n = line.write(batch, count);
        if (n < 0) {
            return false;
        }
        for (long i = 0; i < n; ++i) {
            nextUs_ += kBitsPerByte * 1'000'000 / bytes_.front().baud;
            bytes_.pop_front();
        }
        return true;
    }
    int waitMs(uint64_t nowUs) const {
        if (bytes_.empty()) {
            return kIdlePollMs;
        }
        return nextUs_ > nowUs ? static_cast<int>((nextUs_ - nowUs) / 1000) : 0;
    }

private:
    static constexpr uint64_t kBurstUs = 2000; // lateness that may be made up at once
    struct Byte {
        uint8_t byte;
        unsigned baud;
    };
    std::deque<Byte> bytes_;
    uint64_t nextUs_ = 0;
};

// Bytes from the host are taken no faster than the line rate, so a host that writes ahead waits
// on a full line, as on a real wire.
class PacedInput {
public:
    // How many bytes may be read now.
    size_t allowance(uint64_t nowUs, unsigned baud) {
        nextUs_ = std::max(nextUs_, nowUs - std::min(nowUs, kBurstUs));
        if (nextUs_ > nowUs) {
            return 0;
        }
        return std::min<uint64_t>(kReadChunk, (nowUs - nextUs_) / byteUs(baud) + 1);
    }
    void took(size_t count, unsigned baud) { nextUs_ += count * byteUs(baud); }
    int waitMs(uint64_t nowUs) const {
        return nextUs_ > nowUs ? static_cast<int>((nextUs_ - nowUs + 999) / 1000) : 0;
    }

private:
    static uint64_t byteUs(unsigned baud) { return kBitsPerByte * 1'000'000 / baud; }
    static constexpr uint64_t kBurstUs = 2000; // idle time saved up for at most a short burst
    uint64_t nextUs_ = 0;
};

void printNotes(TargetModel& model) {
    for (const std::string& text : model.takeNotes()) {
        std::fprintf(stderr, "flashsim: %s\n", text.c_str());
    }
}

int run(TargetModel& model, TargetLine& line, int wakeFd) {
    const auto start = std::chrono::steady_clock::now();
    const auto nowUs = [&] {
        return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
                                         std::chrono::steady_clock::now() - start)
                                         .count());
    };
    PacedOutput output;
    PacedInput input;
    unsigned rate = model.lineRate();
    bool warnedRate = false;
    while (!zeph::simcommon::stopRequested()) {
        const size_t allowed = input.allowance(nowUs(), model.lineRate());
        const int waitMs = allowed > 0 ? output.waitMs(nowUs())
                                       : std::min(output.waitMs(nowUs()), input.waitMs(nowUs()));
        struct pollfd fds[2] = {{line.pollFd(), static_cast<short>(allowed > 0 ? POLLIN : 0), 0},
                                {wakeFd, POLLIN, 0}};
        const int ready = ::poll(fds, 2, waitMs);
        if (ready < 0 && errno != EINTR) {
            std::perror("flashsim: poll");
            return 1;
        }
        uint8_t buffer[kReadChunk];
        const long n = (fds[0].revents & POLLIN) != 0 ? line.read(buffer, allowed) : 0;
        if (n > 0) {
            input.took(static_cast<size_t>(n), model.lineRate());
        } else if (allowed > 0 && n == 0) {
            model.lineIdle(nowUs()); // looked, and the host sent nothing
        }
        if (n < 0) {
            std::fprintf(stderr, "flashsim: cannot read %s: %s\n", line.path().c_str(),
                         std::strerror(errno));
            return 1;
        }
        if (n > 0 && !line.hostRateIs(model.lineRate())) {
            if (!warnedRate) { // at the wrong rate every byte is garbage
                std::fprintf(stderr, "flashsim: host not at %u baud: input ignored\n",
                             model.lineRate());
                warnedRate = true;
            }
        } else if (n > 0) {
            warnedRate = false;
            model.receive(buffer, static_cast<size_t>(n), nowUs());
        }
        model.advance(nowUs());
        for (const OutputChunk& chunk : model.takeOutput()) {
            output.add(chunk);
        }
        if (model.lineRate() != rate && output.empty()) {
            rate = model.lineRate();
            line.setRate(rate);
        }
        printNotes(model);
        if (!output.send(line, nowUs())) {
            std::fprintf(stderr, "flashsim: cannot write %s\n", line.path().c_str());
            return 1;
        }
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const ParsedOptions parsed = parseOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.options) {
        std::fprintf(stderr, "flashsim: %s\n", parsed.error.c_str());
        return 2;
    }
    FlashsimOptions options = *parsed.options;
    if (options.help) {
        std::fputs(usage().c_str(), stdout);
        return 0;
    }
    const std::string listPath =
        options.chipList.empty() ? programFolder() + "chiplist.txt" : options.chipList;
    const ChipListResult list = readChipList(listPath);
    if (!list.error.empty()) {
        std::fprintf(stderr, "flashsim: chip list %s: %s\n", listPath.c_str(), list.error.c_str());
        return 1;
    }
    const ChipEntry* chip =
        options.chipName.empty() ? &list.chips.front() : findChip(list.chips, options.chipName);
    if (chip == nullptr) {
        std::fprintf(stderr, "flashsim: no chip %s in %s\n", options.chipName.c_str(),
                     listPath.c_str());
        return 1;
    }
    options.target.chip = *chip;
    if (!options.chip2Name.empty()) {
        const ChipEntry* second = findChip(list.chips, options.chip2Name);
        if (second == nullptr) {
            std::fprintf(stderr, "flashsim: no chip %s in %s\n", options.chip2Name.c_str(),
                         listPath.c_str());
            return 1;
        }
        options.target.secondChip = *second;
    }
    TargetModel model(options.target);
    std::string error;
    if (!model.loadFlash(error)) {
        std::fprintf(stderr, "flashsim: %s\n", error.c_str());
        return 1;
    }
    int wakeFds[2] = {-1, -1};
    if (!zeph::simcommon::installLoopSignals(wakeFds, false)) {
        std::perror("flashsim: signals");
        return 1;
    }
    const auto line = options.link.empty()
                          ? TargetLine::openPseudoTerminal(kStartRate, error)
                          : TargetLine::openDevice(options.link, kStartRate, error);
    if (!line) {
        std::fprintf(stderr, "flashsim: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s\n", line->path().c_str());
    std::fflush(stdout);
    std::fprintf(stderr, "flashsim: %s %s, %d-bit bus, %d chip(s), %u bytes of flash\n",
                 chip->manufacturerName.c_str(), chip->deviceName.c_str(), options.target.busWidth,
                 options.target.chipCount, model.flash().size());
    if (const auto& second = options.target.secondChip) {
        std::fprintf(stderr, "flashsim: second chip reported as %s %s\n",
                     second->manufacturerName.c_str(), second->deviceName.c_str());
    }
    const int status = run(model, *line, wakeFds[0]);
    if (!model.saveFlash(error)) {
        std::fprintf(stderr, "flashsim: %s\n", error.c_str());
        return 1;
    }
    return status;
}

// flashsim: a simulated flash target on a pseudo-terminal or a serial device, for trying the
// flash programmer without hardware and for its end-to-end tests.

#include "chip_list.h"
#include "flashsim_options.h"
#include "line_pacing.h"
#include "sim/common/loop_signals.h"
#include "target_line.h"
#include "target_model.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <optional>
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

constexpr size_t kReadChunk = 4096;

void printNotes(TargetModel& model) {
    for (const std::string& text : model.takeNotes()) {
        std::fprintf(stderr, "flashsim: %s\n", text.c_str());
    }
}

// Sleeps until `deadlineUs` (none: for ever) or until a watched descriptor is ready.
int waitUntil(pollfd* fds, nfds_t count, std::optional<uint64_t> deadlineUs, uint64_t nowUs) {
    if (!deadlineUs) {
        return ::ppoll(fds, count, nullptr, nullptr);
    }
    const uint64_t waitUs = *deadlineUs > nowUs ? *deadlineUs - nowUs : 0;
    const timespec timeout{static_cast<time_t>(waitUs / 1'000'000),
                           static_cast<long>(waitUs % 1'000'000) * 1000};
    return ::ppoll(fds, count, &timeout, nullptr);
}

std::optional<uint64_t> earliest(std::optional<uint64_t> a, std::optional<uint64_t> b) {
    return a && b ? std::min(*a, *b) : a ? a : b;
}

// The loop sleeps until the host sends, a paced byte is due or the target's queue moves on;
// an idle target does not wake at all.
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
        uint64_t now = nowUs();
        long waiting = line.waiting();
        if (waiting < 0) {
            std::fprintf(stderr, "flashsim: cannot read %s: %s\n", line.path().c_str(),
                         std::strerror(errno));
            return 1;
        }
        const size_t allowed = input.allowance(now, model.lineRate());
        if (waiting > 0 && allowed > 0) {
            uint8_t buffer[kReadChunk];
            const long n = line.read(
                buffer, std::min<size_t>({allowed, sizeof buffer, static_cast<size_t>(waiting)}));
            if (n < 0) {
                std::fprintf(stderr, "flashsim: cannot read %s: %s\n", line.path().c_str(),
                             std::strerror(errno));
                return 1;
            }
            input.took(static_cast<size_t>(n));
            waiting = n > 0 ? std::max(0L, waiting - n) : 0; // none to be had: wait to be told
            if (n > 0 && !line.hostRateIs(model.lineRate())) {
                if (!warnedRate) { // at the wrong rate every byte is garbage
                    std::fprintf(stderr, "flashsim: host not at %u baud: input ignored\n",
                                 model.lineRate());
                    warnedRate = true;
                }
            } else if (n > 0) {
                warnedRate = false;
                model.receive(buffer, static_cast<size_t>(n), now);
            }
        }
        if (waiting == 0) {
            model.lineIdle(now); // looked, and the host sent nothing more
        }
        model.advance(now);
        for (const OutputChunk& chunk : model.takeOutput()) {
            output.add(chunk.bytes.data(), chunk.bytes.size(), chunk.baud);
        }
        printNotes(model);
        if (!output.send(now, [&](const uint8_t* bytes, size_t count) {
                return line.write(bytes, count);
            })) {
            std::fprintf(stderr, "flashsim: cannot write %s\n", line.path().c_str());
            return 1;
        }
        if (model.lineRate() != rate && output.empty()) { // the old rate's bytes are out
            rate = model.lineRate();
            line.setRate(rate);
        }

        // Bytes already waiting are read when the line rate allows, not when they show.
        const std::optional<uint64_t> deadline =
            earliest(earliest(output.wakeUs(), model.nextEventUs()),
                     input.wakeUs(static_cast<size_t>(waiting), model.lineRate()));
        const short lineEvents =
            static_cast<short>((waiting == 0 ? POLLIN : 0) | (output.blocked() ? POLLOUT : 0));
        struct pollfd fds[2] = {{line.pollFd(), lineEvents, 0}, {wakeFd, POLLIN, 0}};
        if (waitUntil(fds, 2, deadline, nowUs()) < 0 && errno != EINTR) {
            std::perror("flashsim: poll");
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
    printNotes(model);
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

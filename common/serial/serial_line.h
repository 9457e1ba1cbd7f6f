#pragma once

// One serial line over POSIX termios: open, line settings, modem lines, reads with a time-out,
// complete writes, queue counts, purge and driver line-error counters.

#include "common/serial/line_state.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace zeph {

enum class Parity { None, Odd, Even, Mark, Space };

struct LineSettings {
    int baud = 57600; // any positive rate; rates without a B constant go through termios2
    int dataBits = 8; // 5..8
    Parity parity = Parity::None;
    int stopBits = 1; // 1 or 2
    bool xonXoff = false;
    bool rtsCts = false;
};

// Outcome of an operation that can fail for a reason the user should read.
struct SerialStatus {
    bool ok = true;
    std::string message; // empty on success, else e.g. "Cannot open /dev/ttyS9: No such ..."

    explicit operator bool() const { return ok; }
    static SerialStatus success() { return {}; }
    static SerialStatus failure(std::string text) { return {false, std::move(text)}; }
};

// Driver line-error counts since the previous lineErrors() call.
struct LineErrors {
    uint32_t breaks = 0;
    uint32_t frames = 0;
    uint32_t overruns = 0; // the UART's receive register was overwritten
    uint32_t parity = 0;
    uint32_t bufferOverruns = 0; // the driver's input buffer was full

    bool any() const { return (breaks | frames | overruns | parity | bufferOverruns) != 0; }
};

// Threads: once the line is open and configured, one thread may read while another writes or
// asks for queue counts. open, configure, close and lineErrors belong to the owning thread, and
// close only after the reading thread has stopped, unless a lock keeps the reading thread off
// the line meanwhile (the monitor's serial port reopens a silent line that way, and its reader
// takes the driver's line-error counts under the same lock). On a -1 return, errno tells the
// cause.
class SerialLine {
public:
    SerialLine() = default;
    ~SerialLine();
    SerialLine(const SerialLine&) = delete;
    SerialLine& operator=(const SerialLine&) = delete;

    // Opens a device path for exclusive use, non-blocking, without becoming its controlling
    // terminal, and keeps its current settings for close(). A device another line holds is
    // refused as busy, also for a privileged process. An open line is closed first.
    SerialStatus open(const std::string& path);
    // Puts back the settings found at open, releases the exclusive claim and closes.
    void close();
    bool isOpen() const { return fd_ >= 0; }
    const std::string& path() const { return path_; }
    int nativeHandle() const { return fd_; }

    // Raw mode with the given framing; receiver on, modem status lines ignored.
    SerialStatus configure(const LineSettings& settings);
    // The output rate the driver holds, custom rates included.
    std::optional<unsigned> baudRate() const;
    // What the driver holds now: the rate, the framing and the flow control.
    std::optional<LineSettings> currentSettings() const;

    // Return false when the device has no modem lines (pseudo-terminals) or on error.
    bool setDtr(bool on);
    bool setRts(bool on);

    // Waits up to timeoutMs (negative: without limit, 0: no wait) for input and reads what is
    // there, at most `max` bytes. Returns the count, 0 on time-out, -1 on error or hang-up.
    long read(void* buffer, std::size_t max, int timeoutMs);
    // Reads until `count` bytes have arrived or timeoutMs (in total) has passed. Returns the
    // count gathered, which is short on time-out, or -1 on error.
    long readExact(void* buffer, std::size_t count, int timeoutMs);
    // Writes every byte unless timeoutMs (negative: without limit) passes first. Returns the
    // count written, short on time-out, or -1 on error.
    long write(const void* buffer, std::size_t count, int timeoutMs = -1);

    // Bytes waiting in the driver's queues, or -1.
    int inputQueued() const;
    int outputQueued() const;
    // Discards what is queued in the chosen directions.
    bool purge(bool input, bool output);
    // Waits until everything written has gone out on the line.
    bool drain();

    // Counts since the previous call (the first call after open counts from open). A device
    // without counters (pseudo-terminals) reports zeros from then on without asking again.
    LineErrors lineErrors();
    bool lineErrorsSupported() const { return countersSupported_; }

private:
    bool setModemLine(int line, bool on);
    bool readCounters(LineErrors& totals);

    int fd_ = -1;
    std::string path_;
    detail::SavedLineState saved_;
    bool countersSupported_ = true;
    LineErrors lastCounts_;
};

} // namespace zeph

#pragma once

// The receiver's serial port: opens and configures it, drains the driver's input queue on a
// reader thread into a double buffer, hands the bytes to the GUI thread every 50 ms, writes
// outgoing frames (logging each in hex), holds them back while the receiver is not ready,
// reopens a silent line and reports the driver's line errors.

#include "monitor/link/send.h"
#include "monitor/messages/program_state.h"
#include "monitor/sources/slot_hand_over.h"
#include "monitor/sources/timer_service.h"

#include "common/clock/clock.h"
#include "common/serial/serial_line.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace zeph::monitor {

// What the port hands its bytes and its 50 ms tick to: the serial source's StreamParser side.
class PortConsumer {
public:
    virtual ~PortConsumer() = default;
    virtual void process(const uint8_t* bytes, size_t count) = 0;
    // Called first on every 50 ms tick (the current-settings poll countdowns).
    virtual void tick() = 0;
};

// Driver line-error bits, as the line-error report knows them.
enum LineErrorBit : unsigned {
    kCeRxOver = 0x0001,
    kCeOverrun = 0x0002,
    kCeRxParity = 0x0004,
    kCeFrame = 0x0008,
    kCeBreak = 0x0010,
    kCeTxFull = 0x0100,
    kCePto = 0x0200,
    kCeIoe = 0x0400,
    kCeDns = 0x0800,
    kCeOop = 0x1000,
    kCeMode = 0x8000,
};

// The error bits for the counts a line reported.
unsigned lineErrorBits(const LineErrors& errors);

// Reports each set bit as one view line and one log line, in the report's fixed order; a set
// CE_MODE bit is reported alone.
void ReportLineErrors(MonitorEvents& events, unsigned bits);

// Line settings from the strings the settings file holds ("57600", "8", "NONE", "1"), over
// what the line reported when it was opened (`current`): its flow control stays, and so does its
// parity when the parity word's first letter is none of E, M, N, O, S.
LineSettings lineSettingsFrom(std::string_view baud, std::string_view dataBits,
                              std::string_view parity, std::string_view stopBits,
                              const LineSettings& current);

// Milliseconds a write of `count` bytes may take at `baud`: 19200 / baud ms per byte, in
// integer division; negative (no limit) when that is 0.
int writeTimeoutMs(int baud, size_t count);

// Every operation belongs to the GUI thread; the reader thread is the port's own.
class SerialPort : public OutputPort, public TimerClient {
public:
    static constexpr size_t kSlotBytes = SlotHandOver::kSlotBytes;
    static constexpr int kSilentTicksBeforeReopen = 20;
    static constexpr std::chrono::milliseconds kSettleTime{100};
    static constexpr std::chrono::milliseconds kReadyWait{3000};
    static constexpr const char* kCannotOpenText =
        "Error.. Cannot create UART handle.\nComm port is not available or may be in use.";

    SerialPort(TimerService& timers, Clock& clock, ProgramState& state, MonitorEvents& events);
    ~SerialPort() override;
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // Opens "COMn" or a device path with the settings' strings. Returns the text for the
    // message box, empty on success. An open port is closed first.
    std::string open(PortConsumer& consumer, const std::string& port, const std::string& baud,
                     const std::string& dataBits, const std::string& parity,
                     const std::string& stopBits);
    // Writes staged bytes, stops the reader thread, lets the output drain and closes.
    void close();
    bool isOpen() const { return open_; }
    // The device path in use.
    const std::string& path() const { return path_; }

    // OutputPort: writes go out at once while the receiver is ready, else they are staged.
    bool sendNow() const override { return sendNow_; }
    // Waits up to about three seconds for the receiver's first byte, writes all bytes and logs
    // them behind "Tx: 0x".
    void write(const uint8_t* bytes, size_t n) override;
    StagingBuffer& staging() override { return staging_; }
    // MID 18 OkToSend: a ready receiver gets the staged bytes in one piece.
    void SetSendNow(bool flag);

    // Timer 1034, the 50 ms service on the GUI thread.
    void onTimer(int clientId) override;

    // Drops what the reader thread has gathered so far (the source's reset).
    void discardReceived();

    // True once the reader thread has read a byte since opening.
    bool dataSeen() const { return dataSeen_.load(std::memory_order_acquire); }
    // Bytes the reader thread has taken from the driver since opening.
    uint64_t bytesTaken() const { return bytesTaken_.load(std::memory_order_acquire); }

private:
    void readerLoop();
    bool readQueued();
    bool openLine();
    void reopenInPlace();
    void purgeQueues();
    void waitForReceiver();
    void waitForOutputDrain();

    TimerService& timers_;
    Clock& clock_;
    ProgramState& state_;
    MonitorEvents& events_;

    PortConsumer* consumer_ = nullptr;
    std::string path_;
    LineSettings settings_;
    bool open_ = false;
    bool wroteSinceOpen_ = false;
    int timerHandle_ = 0;
    int silentTicks_ = 0;
    bool inService_ = false;
    bool sendNow_ = true;
    StagingBuffer staging_;

    // The line is shared with the reader thread: it queries and reads under this lock, and the
    // GUI thread holds it while it closes and opens the device again. Writes need no lock: only
    // the GUI thread replaces the descriptor, and one thread may write while another reads.
    std::mutex lineMutex_;
    SerialLine line_;
    std::thread reader_;
    std::atomic<bool> run_{false};

    // The double buffer, shared with the reader thread.
    SlotHandOver slots_;
    std::atomic<bool> dataSeen_{false};
    std::atomic<unsigned> lineErrors_{0};
    std::atomic<uint64_t> bytesTaken_{0};
};

} // namespace zeph::monitor

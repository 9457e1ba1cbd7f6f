#include "monitor/sources/serial_port.h"

#include "monitor/messages/rx_message.h"

#include "common/serial/port_names.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <pthread.h>

namespace zeph::monitor {
namespace {

using namespace std::chrono_literals;

constexpr auto kIdlePoll = 20ms;  // the reader's sleep while nothing is queued
constexpr auto kReadPause = 1ms;  // the reader's sleep after each read
constexpr auto kReadyPoll = 50ms; // a write's wait for the receiver's first byte
constexpr auto kDrainPoll = 1ms;  // close's wait for the output queue
constexpr auto kDrainLimit = 3000ms;
// Bytes the driver counts as sent may still sit in an adapter's FIFO, or unread at the far end
// of a pseudo-terminal: they must leave at the old settings before the line changes.
constexpr auto kWrittenSettle = 100ms;
constexpr int kWriteRateBase = 19200; // a write may take 19200 / baud ms per byte

struct LineErrorText {
    unsigned bit;
    const char* view;
    const char* log;
};

// The report's order; CE_DNS alone has a view text that differs from its log text.
constexpr LineErrorText kLineErrorTexts[] = {
    {kCeBreak, "Comm: CE_BREAK", "Comm: CE_BREAK\n"},
    {kCeDns, "Comm: CE_DNS.", "Comm: CE_DNS\n"},
    {kCeFrame, "Comm: CE_FRAME", "Comm: CE_FRAME\n"},
    {kCeIoe, "Comm: CE_IOE", "Comm: CE_IOE\n"},
    {kCeOop, "Comm: CE_OOP", "Comm: CE_OOP\n"},
    {kCeOverrun, "Comm: CE_OVERRUN", "Comm: CE_OVERRUN\n"},
    {kCePto, "Comm: CE_PTO", "Comm: CE_PTO\n"},
    {kCeRxOver, "Comm: CE_RXOVER", "Comm: CE_RXOVER\n"},
    {kCeRxParity, "Comm: CE_RXPARITY", "Comm: CE_RXPARITY\n"},
    {kCeTxFull, "Comm: CE_TXFULL", "Comm: CE_TXFULL\n"},
};

// The number a settings string starts with (after blanks), 0 when there is none.
int leadingNumber(std::string_view text) {
    const size_t start = text.find_first_not_of(" \t");
    if (start == std::string_view::npos) {
        return 0;
    }
    text.remove_prefix(start);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    int value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc{} ? value : 0;
}

} // namespace

unsigned lineErrorBits(const LineErrors& errors) {
    unsigned bits = 0;
    bits |= errors.breaks != 0 ? kCeBreak : 0u;
    bits |= errors.frames != 0 ? kCeFrame : 0u;
    bits |= errors.overruns != 0 ? kCeOverrun : 0u;
    bits |= errors.parity != 0 ? kCeRxParity : 0u;
    bits |= errors.bufferOverruns != 0 ? kCeRxOver : 0u;
    return bits;
}

void ReportLineErrors(MonitorEvents& events, unsigned bits) {
    if ((bits & kCeMode) != 0) {
        events.showText("Comm: CE_MODE", kLinkErrorCode);
        events.writeLog("Comm: CE_MODE\n");
        return;
    }
    for (const LineErrorText& entry : kLineErrorTexts) {
        if ((bits & entry.bit) != 0) {
            events.showText(entry.view, kLinkErrorCode);
            events.writeLog(entry.log);
        }
    }
}

LineSettings lineSettingsFrom(std::string_view baud, std::string_view dataBits,
                              std::string_view parity, std::string_view stopBits,
                              const LineSettings& current) {
    // Parity (for an unknown word) and the flow control stay as the line reported them.
    LineSettings settings = current;
    settings.baud = leadingNumber(baud);
    settings.dataBits = leadingNumber(dataBits);
    if (!parity.empty()) {
        switch (parity.front()) {
        case 'E':
            settings.parity = Parity::Even;
            break;
        case 'M':
            settings.parity = Parity::Mark;
            break;
        case 'N':
            settings.parity = Parity::None;
            break;
        case 'O':
            settings.parity = Parity::Odd;
            break;
        case 'S':
            settings.parity = Parity::Space;
            break;
        default:
            break;
        }
    }
    // termios has no one-and-a-half stop bits: "1.5" gets two, like every other word but "1".
    settings.stopBits = stopBits == "1" ? 1 : 2;
    return settings;
}

int writeTimeoutMs(int baud, size_t count) {
    const int perByte = baud > 0 ? kWriteRateBase / baud : 0;
    if (perByte == 0) {
        return -1;
    }
    const size_t total = static_cast<size_t>(perByte) * count;
    return total > static_cast<size_t>(INT_MAX) ? INT_MAX : static_cast<int>(total);
}

SerialPort::SerialPort(TimerService& timers, Clock& clock, ProgramState& state,
                       MonitorEvents& events)
    : timers_(timers), clock_(clock), state_(state), events_(events) {}

SerialPort::~SerialPort() {
    close();
}

std::string SerialPort::open(PortConsumer& consumer, const std::string& port,
                             const std::string& baud, const std::string& dataBits,
                             const std::string& parity, const std::string& stopBits) {
    close();
    path_ = resolvePortName(port);
    if (!line_.open(path_)) {
        return kCannotOpenText;
    }
    purgeQueues();
    settings_ = lineSettingsFrom(baud, dataBits, parity, stopBits,
                                 line_.currentSettings().value_or(LineSettings{}));
    if (SerialStatus status = line_.configure(settings_); !status) {
        line_.close();
        // A rate that reads as no number is named as it was typed ("fast"), not as 0.
        return settings_.baud <= 0 ? "Unsupported baud rate " + baud : status.message;
    }

    consumer_ = &consumer;
    wroteSinceOpen_ = false;
    silentTicks_ = 0;
    sendNow_ = true;
    slots_.reset();
    dataSeen_.store(false);
    lineErrors_.store(0);
    bytesTaken_.store(0);

    // Give the line time to settle before the first read.
    clock_.sleepFor(kSettleTime);
    run_.store(true);
    reader_ = std::thread(&SerialPort::readerLoop, this);
    timerHandle_ = timers_.registerTimer(kSerialServiceTimerId, *this, kSerialServicePeriodMs);
    open_ = true;

    if (state_.autoDetect) {
        state_.targetSwClass = kSwVersionPollPending;
    }
    return {};
}

void SerialPort::close() {
    if (!open_) {
        return;
    }
    timers_.killTimer(timerHandle_);
    timerHandle_ = 0;
    if (!staging_.empty()) {
        events_.writeLog("Flush data\n");
        const std::vector<uint8_t> staged = staging_.take();
        write(staged.data(), staged.size());
    }
    run_.store(false);
    if (reader_.joinable()) {
        reader_.join();
    }
    waitForOutputDrain();
    if (wroteSinceOpen_) {
        clock_.sleepFor(kWrittenSettle);
    }
    purgeQueues();
    line_.close();
    open_ = false;
    consumer_ = nullptr;
}

void SerialPort::write(const uint8_t* bytes, size_t n) {
    if (!open_) {
        return;
    }
    waitForReceiver();
    line_.write(bytes, n, writeTimeoutMs(settings_.baud, n));
    wroteSinceOpen_ = true;

    events_.writeLog(txLogLine(bytes, n));
}

void SerialPort::SetSendNow(bool flag) {
    sendNow_ = flag;
    if (flag && !staging_.empty()) {
        const std::vector<uint8_t> staged = staging_.take();
        write(staged.data(), staged.size());
    }
}

void SerialPort::onTimer(int clientId) {
    // A message box raised while the bytes are parsed runs its own event loop, which fires this
    // timer again; that tick is skipped, so a slot is never handed over while it is being parsed.
    if (clientId != kSerialServiceTimerId || !open_ || inService_) {
        return;
    }
    inService_ = true;
    consumer_->tick();
    if (!dataSeen()) {
        if (silentTicks_ < kSilentTicksBeforeReopen) {
            ++silentTicks_;
        } else {
            // About a second without a byte: the line may be stuck, so open it afresh.
            silentTicks_ = 0;
            reopenInPlace();
        }
        inService_ = false;
        return;
    }
    if (const unsigned bits = lineErrors_.exchange(0, std::memory_order_acq_rel); bits != 0) {
        ReportLineErrors(events_, bits);
    }
    const SlotHandOver::Slot& slot = slots_.swap();
    if (slot.count > 0) {
        consumer_->process(slot.bytes.data(), slot.count);
    }
    inService_ = false;
}

// One swap empties the slot the reader fills next and hands over the other, so everything
// gathered before it is dropped.
void SerialPort::discardReceived() {
    if (!open_) {
        slots_.reset();
        return;
    }
    slots_.swap().count = 0;
}

void SerialPort::readerLoop() {
    // Named, so a look at the process's threads tells the reader from the GUI thread.
    pthread_setname_np(pthread_self(), "serial reader");
    while (run_.load(std::memory_order_acquire)) {
        std::this_thread::sleep_for(readQueued() ? kReadPause : kIdlePoll);
    }
}

// Reader thread: moves what the driver has queued into the fill slot. False when nothing was
// queued (or the line is closed for a reopen that failed).
bool SerialPort::readQueued() {
    std::lock_guard<std::mutex> lock(lineMutex_);
    const int queued = line_.inputQueued();
    if (queued <= 0) {
        return false;
    }
    dataSeen_.store(true, std::memory_order_release);
    if (const unsigned bits = lineErrorBits(line_.lineErrors()); bits != 0) {
        lineErrors_.fetch_or(bits, std::memory_order_acq_rel);
    }

    SlotHandOver::Slot& slot = slots_.enter();
    // A driver may queue more than a slot holds; the rest waits for the next round.
    const size_t want = std::min(static_cast<size_t>(queued), kSlotBytes);
    if (slot.count + want > kSlotBytes) {
        slot.count = 0; // the GUI thread fell behind: the older bytes are dropped
    }
    const long got = line_.read(slot.bytes.data() + slot.count, want, 0);
    if (got > 0) {
        slot.count += static_cast<size_t>(got);
        bytesTaken_.fetch_add(static_cast<uint64_t>(got), std::memory_order_acq_rel);
    }
    slots_.leave();
    return true;
}

bool SerialPort::openLine() {
    if (!line_.open(path_) || !line_.configure(settings_)) {
        line_.close();
        return false;
    }
    purgeQueues();
    return true;
}

// GUI thread, while the reader keeps running: the lock keeps it off the line during the swap.
void SerialPort::reopenInPlace() {
    std::lock_guard<std::mutex> lock(lineMutex_);
    purgeQueues();
    line_.close();
    openLine();
}

// Input is always dropped. Output is purged only while the driver still holds some: on a
// pseudo-terminal a purge would also drop what the far end has not read yet.
void SerialPort::purgeQueues() {
    line_.purge(true, line_.outputQueued() > 0);
}

void SerialPort::waitForReceiver() {
    const Clock::TimePoint end = clock_.now() + kReadyWait;
    while (!dataSeen() && clock_.now() < end) {
        clock_.sleepFor(kReadyPoll);
    }
}

void SerialPort::waitForOutputDrain() {
    const Clock::TimePoint end = clock_.now() + kDrainLimit;
    while (line_.outputQueued() > 0 && clock_.now() < end) {
        clock_.sleepFor(kDrainPoll);
    }
}

} // namespace zeph::monitor
